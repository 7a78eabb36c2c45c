#include "frmMain.h"

#include "DisplayLayout.h"
#include "DisplayView.h"
#include "PanelStatusBar.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int NormalDisplayMargin = 700;
// The layout rules count a window's title bar, menu bar and borders as these
// fixed twips beyond the area below its menu bar, so that the display meets the
// status bar and the right edge whatever the window manager draws around it.
constexpr qreal NonClientHeight = 700;
constexpr qreal NonClientWidth = 115;

// The display breaks lines with CR LF; clipboard text uses LF, which each
// platform's clipboard turns into its own line ending.
QString clipboardText(QByteArray displayText)
{
    return QString::fromLatin1(displayText.replace("\r\n", "\n"));
}

} // namespace

frmMain::frmMain(const PlatformServices &services, std::unique_ptr<LockKeys> lockKeys,
                 QWidget *parent)
    : QMainWindow(parent), m_services(services), m_lockKeys(std::move(lockKeys)),
      m_twips(screen()->logicalDotsPerInch())
{
    ui.setupUi(this, m_displayModel, m_twips, *m_services.clock, *m_lockKeys);

    connect(ui.mnuExit, &QAction::triggered, this, &frmMain::mnuExit_Click);
    connect(ui.mnuSelectAll, &QAction::triggered, this, &frmMain::mnuSelectAll_Click);
    connect(ui.mnuCopy, &QAction::triggered, this, &frmMain::mnuCopy_Click);
    connect(ui.mnuClearDisplay, &QAction::triggered, this, &frmMain::mnuClearDisplay_Click);
    connect(ui.cmdClearScreen, &QPushButton::clicked, this, &frmMain::cmdClearScreen_Click);
    connect(ui.mnuSpcChar, &QAction::triggered, this, &frmMain::mnuSpcChar_Click);
    connect(ui.mnuSpcString, &QAction::triggered, this, &frmMain::mnuSpcString_Click);
    connect(ui.mnuSpcSpecialChar, &QAction::triggered, this, &frmMain::mnuSpcSpecialChar_Click);

    // The check marks are the options; the display options follow them
    // however they change.
    for (QAction *option : {ui.mnuShowFunctionCharacters, ui.mnuSpcString, ui.mnuSpcSpecialChar})
        connect(option, &QAction::toggled, this, &frmMain::readDisplayOptions);
    readDisplayOptions();
}

frmMain::~frmMain()
{
    // The display view refers to the model, so it goes first.
    delete takeCentralWidget();
}

void frmMain::Form_Load()
{
    intDisplayMargin = NormalDisplayMargin;
    ResetDisplaySize();

    // The setup: the display takes the background color.
    SetBackGroundColor(lngBackGroundColor);

    show();
    centerOnScreen();
    ResetFocus();
}

void frmMain::centerOnScreen()
{
    const QRect area = screen()->geometry();
    const QSize outer = frameGeometry().size();
    move(area.x() + qRound((area.width() - outer.width()) / 2.0),
         area.y() + qRound((area.height() - outer.height()) / 2.0));
}

void frmMain::ResetDisplaySize()
{
    const QSizeF window(m_twips.fromPixels(width()) + NonClientWidth,
                        m_twips.fromPixels(height() - menuBar()->height()) + NonClientHeight);
    const DisplayLayout layout = DisplayLayout::forWindow(
        window, m_twips.fromPixels(ui.StatusBar1->height()), intDisplayMargin);

    QSize display = ui.rtbDisplay->size();
    if (layout.displayWidth)
        display.setWidth(m_twips.toPixels(*layout.displayWidth));
    if (layout.displayHeight)
        display.setHeight(m_twips.toPixels(*layout.displayHeight));
    ui.rtbDisplay->resize(display);

    const auto moveTo = [this](QWidget *widget, qreal top) {
        widget->move(widget->x(), m_twips.toPixels(top));
    };
    moveTo(ui.cmdSetStandard, layout.testButtonTop);
    moveTo(ui.cmdExitTest, layout.testButtonTop);
    moveTo(ui.lblGoodCountCaption, layout.testCaptionTop);
    moveTo(ui.lblBadCountCaption, layout.testCaptionTop);
    moveTo(ui.chkBadHold, layout.testCaptionTop);
    moveTo(ui.lblGoodCount, layout.testCountTop);
    moveTo(ui.lblBadCount, layout.testCountTop);
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    ResetDisplaySize();
}

void frmMain::ResetFocus()
{
    if (ui.rtbDisplay->isVisible())
        ui.rtbDisplay->setFocus();
}

void frmMain::PutInDisplay(QByteArrayView strInput, quint32 lngColor)
{
    m_displayModel.putInDisplay(strInput, lngColor, m_displayOptions.breakCharacter());
}

void frmMain::SetBackGroundColor(quint32 lngValueIn)
{
    lngBackGroundColor = lngValueIn;
    ui.rtbDisplay->setBackgroundColor(ColorValue::toQColor(lngValueIn));
}

void frmMain::SetBreakCharacter(const QByteArray &strInput)
{
    m_displayOptions.setBreakCharacter(strInput);
}

void frmMain::mnuExit_Click()
{
    close();
}

void frmMain::mnuSelectAll_Click()
{
    m_displayModel.selectAll();
}

void frmMain::mnuCopy_Click()
{
    m_services.clipboard->setText(clipboardText(m_displayModel.selectedText()));
}

void frmMain::mnuClearDisplay_Click()
{
    m_displayModel.clear();
}

void frmMain::cmdClearScreen_Click()
{
    m_displayModel.clear();
    ResetFocus();
}

void frmMain::mnuShowFunctionCharacters_Click()
{
    ui.mnuShowFunctionCharacters->toggle();
}

void frmMain::mnuSpcChar_Click()
{
    checkSpaceOption(ui.mnuSpcChar);
}

void frmMain::mnuSpcString_Click()
{
    checkSpaceOption(ui.mnuSpcString);
}

void frmMain::mnuSpcSpecialChar_Click()
{
    checkSpaceOption(ui.mnuSpcSpecialChar);
}

void frmMain::checkSpaceOption(QAction *chosen)
{
    for (QAction *option : {ui.mnuSpcChar, ui.mnuSpcString, ui.mnuSpcSpecialChar})
        option->setChecked(option == chosen);
}

void frmMain::readDisplayOptions()
{
    m_displayOptions.showFunctionCharacters = ui.mnuShowFunctionCharacters->isChecked();
    // When a restored setup checks more than one, the currency sign wins over [SPC].
    if (ui.mnuSpcSpecialChar->isChecked())
        m_displayOptions.spaceOption = SpaceOption::SpecialCharacter;
    else if (ui.mnuSpcString->isChecked())
        m_displayOptions.spaceOption = SpaceOption::String;
    else
        m_displayOptions.spaceOption = SpaceOption::Character;
}
