#pragma once

#include "SetupFormat.h"

#include <QString>

// LastSetup.txt in one folder: read once at start-up, written once at exit.
// Reading never fails: a missing, unreadable or damaged file, or anything
// but a regular file, gives the default setup. Writing goes through
// FileTarget: the file is replaced whole or not at all (in place where the
// folder takes no new file), a device such as /dev/null is written directly,
// and anything else is left alone, as is a read-only file. A file that does
// not read as a setup is kept beside as LastSetup.txt.bak before it is
// replaced. The process's current directory is never used.
class SetupFile
{
public:
    explicit SetupFile(const QString &folder);

    // chooseFolder() of this program's folder and its per-user configuration folder.
    static QString chooseFolder();
    // The per-user configuration folder for an installed program (its desktop
    // entry where the install puts it); otherwise the program's folder when
    // it already holds a setup file or can take one, else the per-user folder.
    static QString chooseFolder(const QString &programFolder, const QString &userFolder);

    const QString &path() const { return m_path; }
    QString backupPath() const { return m_path + QLatin1String(".bak"); }

    SetupFormat::Reading restore(const SetupOptions &current) const;

    // True when the file now holds the setup; false leaves it as it was.
    bool save(const LastSetup &setup) const;

private:
    QByteArray content() const;
    // Copies a file that does not read as a setup to backupPath(); false
    // when it could not be kept.
    bool keepUnreadable() const;

    QString m_folder;
    QString m_path;
};
