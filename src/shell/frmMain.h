#pragma once

#include "ColorValue.h"
#include "DisplayModel.h"
#include "DisplayOptions.h"
#include "LockKeys.h"
#include "PlatformServices.h"
#include "Twips.h"
#include "frmMainUi.h"

#include <QMainWindow>

#include <memory>

// The main window: the terminal display to the right of the port settings
// column, the status bar and the menus. It owns the display content, the
// display options that the Options menu's check marks steer, the five display
// colors and the break character; other windows use them through the public
// operations. Positions are designed in twips and converted at the screen's
// logical resolution.
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmMain(const PlatformServices &services,
                     std::unique_ptr<LockKeys> lockKeys = std::make_unique<SysfsLockKeys>(),
                     QWidget *parent = nullptr);
    ~frmMain() override;

    // Start-up: lays the window out, shows it centered on its screen and
    // gives the display the keyboard focus.
    void Form_Load();

    // Sizes the display from the window size and moves the compare-test
    // row above the window's bottom edge; a window too small keeps the
    // display's previous size.
    void ResetDisplaySize();
    // Focuses the display when it is visible, so that typing goes to the terminal.
    void ResetFocus();

    // Appends text (Latin-1) in a color value at the end of the display; text
    // equal to the break character starts a new line after it.
    void PutInDisplay(QByteArrayView strInput, quint32 lngColor);

    quint32 ReturnReceiveCharColor() const { return lngReceiveCharColor; }
    quint32 ReturnReceiveFuncColor() const { return lngReceiveFuncColor; }
    quint32 ReturnXmitCharColor() const { return lngXmitCharColor; }
    quint32 ReturnXmitFuncColor() const { return lngXmitFuncColor; }
    quint32 ReturnBackGroundColor() const { return lngBackGroundColor; }
    // Text already shown keeps its colors.
    void SetReceiveCharColor(quint32 lngValueIn) { lngReceiveCharColor = lngValueIn; }
    void SetReceiveFuncColor(quint32 lngValueIn) { lngReceiveFuncColor = lngValueIn; }
    void SetXmitCharColor(quint32 lngValueIn) { lngXmitCharColor = lngValueIn; }
    void SetXmitFuncColor(quint32 lngValueIn) { lngXmitFuncColor = lngValueIn; }
    // Also recolors the display's background at once.
    void SetBackGroundColor(quint32 lngValueIn);

    QByteArray ReturnBreakCharacter() const { return m_displayOptions.breakCharacter(); }
    QByteArray GetBreakCharacter() const { return m_displayOptions.breakCharacter(); }
    void SetBreakCharacter(const QByteArray &strInput);

    DisplayModel &displayModel() { return m_displayModel; }
    // Follows the check marks of the Options menu and the break character.
    const DisplayOptions &displayOptions() const { return m_displayOptions; }

    void mnuExit_Click();
    void mnuSelectAll_Click();
    // Puts the selected text on the clipboard as plain text, line breaks as LF.
    void mnuCopy_Click();
    void mnuClearDisplay_Click();
    void cmdClearScreen_Click();
    // The menu item is checkable, so choosing it toggles the mark by itself;
    // this does the same for callers.
    void mnuShowFunctionCharacters_Click();
    void mnuSpcChar_Click();
    void mnuSpcString_Click();
    void mnuSpcSpecialChar_Click();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void centerOnScreen();
    void checkSpaceOption(QAction *chosen);
    void readDisplayOptions();

    PlatformServices m_services;
    std::unique_ptr<LockKeys> m_lockKeys;
    Twips m_twips;
    DisplayModel m_displayModel;
    DisplayOptions m_displayOptions;
    Ui::frmMain ui;

    quint32 lngReceiveCharColor = ColorValue::SystemButtonFace;
    quint32 lngReceiveFuncColor = ColorValue::Yellow;
    quint32 lngXmitCharColor = ColorValue::Green;
    quint32 lngXmitFuncColor = ColorValue::Magenta;
    quint32 lngBackGroundColor = ColorValue::SystemHighlight;
    int intDisplayMargin = 0; // twips kept free below the display besides the status bar
};
