#pragma once

#include <QString>

class FileDialogs;

// The main window's file dialog, shared by the file commands: every showing
// starts at the name chosen last in any of them.
class CommonDialog
{
public:
    static const QString Filter;

    explicit CommonDialog(FileDialogs &dialogs) : m_dialogs(dialogs) {}

    // The chosen path, or an empty name when the user cancels; cancelling
    // keeps the name chosen before.
    QString showSave(const QString &title);
    QString showOpen(const QString &title);
    const QString &fileName() const { return m_fileName; }

private:
    QString remember(const QString &chosen);

    FileDialogs &m_dialogs;
    QString m_fileName;
};
