#pragma once

#include <QString>

// The options that LastSetup.txt has no place for, each switched on by the
// user at the end of the Options menu. They live in an INI file of their own,
// so the setup file keeps its fixed format.
struct AddedOptions
{
    bool highSpeedRates = false;
    bool dtrActive = true;
    bool reconnectAutomatically = false;
    bool timeStamps = false;
    bool hexView = false;

    bool operator==(const AddedOptions &) const = default;
};

// The options' file: read at start-up, written at exit. A missing or
// unreadable file gives the defaults; a key that is missing keeps its default.
class AddedOptionsFile
{
public:
    explicit AddedOptionsFile(const QString &path) : m_path(path) {}

    // Wirelook.ini in the user's configuration folder, beside the per-user
    // setup folder.
    static QString defaultPath();

    AddedOptions read() const;
    // True when the file now holds the options.
    bool write(const AddedOptions &options) const;

private:
    QString m_path;
};
