// The main window's two views of the traffic: the text display, with or
// without time stamps, and the hex view, which takes the text display's place
// while Hex View is checked. The edit commands act on the view shown; saving,
// printing and the tools read the text display always.
#include "frmMain.h"

#include "DisplayView.h"
#include "HexView.h"
#include "TimeStampText.h"

#include <QAction>
#include <QKeyEvent>

namespace {

// The display breaks lines with CR LF; clipboard text uses LF, which each
// platform's clipboard turns into its own line ending.
QString clipboardText(QByteArray displayText)
{
    return QString::fromLatin1(displayText.replace("\r\n", "\n"));
}

} // namespace

void frmMain::connectViews()
{
    m_hexView = new HexView(m_hexHistory, m_colors, ui.rtbDisplay->parentWidget());
    m_hexView->setObjectName(QStringLiteral("hexDisplay"));
    m_hexView->setGeometry(ui.rtbDisplay->geometry());
    m_hexView->hide();
    connect(m_hexView, &HexView::keyDown, this, &frmMain::displayKeyDown);
    connect(m_hexView, &HexView::keyTyped, this, &frmMain::displayKeyTyped);
    // Restored check marks apply as well as clicked ones.
    connect(ui.mnuTimeStamps, &QAction::toggled, this, &frmMain::mnuTimeStamps_Click);
    connect(ui.mnuHexView, &QAction::toggled, this, &frmMain::mnuHexView_Click);
}

void frmMain::mnuTimeStamps_Click()
{
    ui.rtbDisplay->setTimeStampsShown(ui.mnuTimeStamps->isChecked());
}

void frmMain::mnuHexView_Click()
{
    const bool hex = ui.mnuHexView->isChecked();
    m_hexView->setVisible(hex);
    ui.rtbDisplay->setVisible(!hex);
    ResetFocus();
}

void frmMain::SetTimeStamps(bool shown)
{
    ui.mnuTimeStamps->setChecked(shown);
}

void frmMain::SetHexView(bool shown)
{
    ui.mnuHexView->setChecked(shown);
}

void frmMain::mnuSelectAll_Click()
{
    if (ui.mnuHexView->isChecked())
        m_hexView->selectAll();
    else
        m_displayModel.selectAll();
}

void frmMain::mnuCopy_Click()
{
    QByteArray text;
    if (ui.mnuHexView->isChecked()) {
        text = m_hexView->selectedText();
    } else if (ui.mnuTimeStamps->isChecked()) {
        text = TimeStampText().stamped(m_displayModel, m_displayModel.selectionStart(),
                                       m_displayModel.selectionLength());
    } else {
        text = m_displayModel.selectedText();
    }
    m_services.clipboard->setText(clipboardText(text));
}
