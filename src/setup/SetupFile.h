#pragma once

#include "SetupFormat.h"

#include <QString>

class QSaveFile;

// LastSetup.txt in one folder: read once at start-up, written once at exit.
// Reading never fails: a missing or unreadable file gives the default setup.
// Writing replaces the file whole or not at all, and leaves a read-only file
// or folder untouched. The process's current directory is never used.
class SetupFile
{
public:
    explicit SetupFile(const QString &folder);

    // chooseFolder() of this program's folder and its per-user configuration folder.
    static QString chooseFolder();
    // The program's folder when it already holds a setup file or can take
    // one, else the per-user configuration folder.
    static QString chooseFolder(const QString &programFolder, const QString &userFolder);

    const QString &path() const { return m_path; }

    SetupFormat::Reading restore(const SetupOptions &current) const;

    // True when the file now holds the setup; false leaves it as it was.
    bool save(const LastSetup &setup) const;
    // The same through a given file object, which must be named path().
    bool save(const LastSetup &setup, QSaveFile &file) const;

private:
    QString m_folder;
    QString m_path;
};
