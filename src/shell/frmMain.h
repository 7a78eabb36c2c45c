#pragma once

#include "ColorValue.h"
#include "CommPort.h"
#include "CommonDialog.h"
#include "DisplayColors.h"
#include "DisplayModel.h"
#include "DisplayOptions.h"
#include "DisplayPrinter.h"
#include "DisplaySaver.h"
#include "FileTransmitter.h"
#include "LockKeys.h"
#include "PlatformServices.h"
#include "PortOpening.h"
#include "KeyboardTransmitter.h"
#include "ReceivePath.h"
#include "StringSetStore.h"
#include "Twips.h"
#include "frmMainUi.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

// The main window: the terminal display to the right of the port settings
// column, the status bar and the menus. It owns the display content, the
// display options that the Options menu's check marks steer, the five display
// colors and the break character; other windows use them through the public
// operations. Positions are designed in twips and converted at the screen's
// logical resolution.
class frmAbout;
class frmStrings;

class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    frmMain(const PlatformServices &services, std::unique_ptr<CommPort> port,
            std::unique_ptr<LockKeys> lockKeys = std::make_unique<SysfsLockKeys>(),
            QWidget *parent = nullptr);
    ~frmMain() override;

    // Start-up: lays the window out, shows it centered on its screen, gives
    // the display the keyboard focus, opens the port, raises RTS and starts
    // showing received data. A non-empty portText replaces the port number.
    void Form_Load(const QString &portText = QString());

    // Sizes the display from the window size and moves the compare-test
    // row above the window's bottom edge; a window too small keeps the
    // display's previous size.
    void ResetDisplaySize();
    // Focuses the display when it is visible, so that typing goes to the terminal.
    void ResetFocus();

    // Appends text (Latin-1) in a color value at the end of the display; text
    // equal to the break character starts a new line after it.
    void PutInDisplay(QByteArrayView strInput, quint32 lngColor);

    quint32 ReturnReceiveCharColor() const { return m_colors.receiveChar; }
    quint32 ReturnReceiveFuncColor() const { return m_colors.receiveFunc; }
    quint32 ReturnXmitCharColor() const { return m_colors.xmitChar; }
    quint32 ReturnXmitFuncColor() const { return m_colors.xmitFunc; }
    quint32 ReturnBackGroundColor() const { return m_colors.background; }
    // Text already shown keeps its colors.
    void SetReceiveCharColor(quint32 lngValueIn) { m_colors.receiveChar = lngValueIn; }
    void SetReceiveFuncColor(quint32 lngValueIn) { m_colors.receiveFunc = lngValueIn; }
    void SetXmitCharColor(quint32 lngValueIn) { m_colors.xmitChar = lngValueIn; }
    void SetXmitFuncColor(quint32 lngValueIn) { m_colors.xmitFunc = lngValueIn; }
    // Also recolors the display's background at once.
    void SetBackGroundColor(quint32 lngValueIn);

    QByteArray ReturnBreakCharacter() const { return m_displayOptions.breakCharacter(); }
    QByteArray GetBreakCharacter() const { return m_displayOptions.breakCharacter(); }
    void SetBreakCharacter(const QByteArray &strInput);

    DisplayModel &displayModel() { return m_displayModel; }
    // Follows the check marks of the Options menu and the break character.
    const DisplayOptions &displayOptions() const { return m_displayOptions; }

    // Closes and reopens the port with the six boxes and the multiplier card.
    void EnableCommPort();
    void DisableCommPort();
    void cmdPortState_Click();
    // 0 lowers RTS, 1 raises it, any other value toggles what the button shows.
    void RTS(int Active = 0);
    void cmdRTSstate_Click();
    const QString &settingsString() const { return SettingsString; }
    CommPort &commPort() { return *MSComm1; }

    // Port events: received data and line errors are queued, errors shown.
    void MSComm1_OnComm();
    // Shows waiting received data for a few milliseconds at a time.
    void Timer1_Timer();
    void cmdPurge_Click();

    // Keys on the display: a key pressed (function keys and Backspace send
    // from here; returns true when the key was consumed), a character typed,
    // and the mouse released (the selection count).
    bool rtbDisplay_KeyDown(int keyCode, int shiftState);
    void rtbDisplay_KeyPress(uchar character);
    void rtbDisplay_MouseUp();
    void mnuReceiveInterruptsAllowed_Click();
    void mnuFullStrings_Click();
    bool isSending() const { return m_transmitter.isBusy(); }

    // The string sets: the store, the menus that show it, the set menus.
    StringSetStore &stringSets() { return m_strings; }
    void UpdateMenu();
    void ClearAllStringChecks();
    void mnuStringSet_Click(int set);
    void mnuFString_Click(int key);
    void mnuStrings_Click();
    void mnuAbout_Click();

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

    // The File menu: save the display, send a file, print.
    void mnuSaveText_Click();
    void mnuSaveAscii_Click();
    void mnuTransmitFile_Click();
    bool isTransmittingFile() const { return m_fileTransmitter.isBusy(); }
    void mnuPrintAlldata_Click();
    void mnuPrintSelectedData_Click();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectPortControls();
    void connectKeyboardAndStrings();
    void showPortState(PortState state);
    void applyQuickSetting(const QString &baud, const QString &parity, const QString &dataBits,
                           const QString &stopBits);
    void chooseMultiplier(QAction *chosen);
    int cardDivisor() const;
    void startReceiveTimer();
    void MSComm1_DeviceLost();
    void showMessage(const QString &text);
    void centerOnScreen();
    void checkSpaceOption(QAction *chosen);
    void readDisplayOptions();
    void connectFileCommands();
    void printDisplay(QByteArrayView text);

    PlatformServices m_services;
    std::unique_ptr<CommPort> MSComm1;
    std::unique_ptr<LockKeys> m_lockKeys;
    Twips m_twips;
    DisplayModel m_displayModel;
    DisplayOptions m_displayOptions;
    DisplayColors m_colors;
    ReceivePath m_receivePath;
    StringSetStore m_strings;
    KeyboardTransmitter m_transmitter;
    CommonDialog CommonDialog1;
    DisplaySaver m_displaySaver;
    FileTransmitter m_fileTransmitter;
    DisplayPrinter m_displayPrinter;
    Ui::frmMain ui;
    QPointer<frmStrings> m_stringsWindow;
    QPointer<frmAbout> m_aboutWindow;

    int intDisplayMargin = 0; // twips kept free below the display besides the status bar
    QString SettingsString;
    bool m_receiveEnabled = false; // received data reach the display from start-up on
};
