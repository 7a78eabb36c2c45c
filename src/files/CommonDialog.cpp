#include "CommonDialog.h"

#include "PlatformServices.h"

const QString CommonDialog::Filter = QStringLiteral("No Files (*.txt)");

QString CommonDialog::showSave(const QString &title)
{
    return remember(m_dialogs.saveFileName(title, Filter, m_fileName));
}

QString CommonDialog::showOpen(const QString &title)
{
    // A file to send need not be text: firmware images, for one.
    return remember(
        m_dialogs.openFileName(title, Filter + QStringLiteral(";;All Files (*)"), m_fileName));
}

QString CommonDialog::remember(const QString &chosen)
{
    if (!chosen.isEmpty())
        m_fileName = chosen;
    return chosen;
}
