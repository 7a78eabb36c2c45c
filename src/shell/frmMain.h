#pragma once

#include "ColorValue.h"
#include "CommPort.h"
#include "CommSettingSearch.h"
#include "CompareTest.h"
#include "CommonDialog.h"
#include "DisplayColors.h"
#include "DisplayModel.h"
#include "DisplayOptions.h"
#include "DisplayPrinter.h"
#include "DisplaySaver.h"
#include "FileTransmitter.h"
#include "HexHistory.h"
#include "LockKeys.h"
#include "PlatformServices.h"
#include "PortOpening.h"
#include "PortReconnector.h"
#include "KeyboardTransmitter.h"
#include "ReceivePath.h"
#include "SessionLog.h"
#include "StringSetStore.h"
#include "TrafficTee.h"
#include "Twips.h"
#include "frmMainUi.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

// The main window: the terminal display to the right of the port settings
// column, the status bar and the menus. It owns the display content, the
// display options that the Options menu's check marks steer, the five display
// colors and the break character; other windows use them through the public
// operations. Positions are designed in twips and converted at the screen's
// logical resolution.
struct DisplayLayout;
class frmAbout;
class frmBreakCharacter;
class frmColorSettings;
class frmGeneral;
class frmStrings;
class HexView;

class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    frmMain(const PlatformServices &services, std::unique_ptr<CommPort> port,
            std::unique_ptr<LockKeys> lockKeys = systemLockKeys(),
            QWidget *parent = nullptr);
    ~frmMain() override;

    // The folder of the setup file, read at start-up and written at exit.
    // Without one, start-up takes the default setup and exit saves nothing.
    void setSetupFolder(const QString &folder) { m_setupFolder = folder; }
    // The file of the options beyond the setup file, read at start-up and
    // written at exit; without one they start at their defaults and are not kept.
    void setAddedOptionsFile(const QString &path) { m_addedOptionsPath = path; }
    // Where the port box takes its list from each time it opens; at first
    // the serial devices that the system reports.
    void setPortChoices(std::function<QStringList()> source);

    // Start-up: lays the window out, restores the setup, shows the window
    // centered on its screen, gives the display the keyboard focus, opens the
    // port, raises RTS and starts showing received data. A non-empty portText
    // replaces the restored port number for this run.
    void Form_Load(const QString &portText = QString());

    // Reads the setup file into the controls, the colors, the break character
    // and the string sets, or applies the default setup.
    void RestoreSetup();
    // Writes the setup file from them; a failure leaves the file as it was.
    void SaveSetup();
    void RestoreAddedOptions();
    void SaveAddedOptions();

    // Sizes the display from the window size and moves the compare-test
    // row above the window's bottom edge; a window too small keeps the
    // display's previous size.
    void ResetDisplaySize();
    // Focuses the display (the text display, or the hex view while it is
    // shown) when it is visible, so that typing goes to the terminal.
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
    // Received data on their way to the display.
    ReceivePath &receivePath() { return m_receivePath; }
    // Follows the check marks of the Options menu and the break character.
    const DisplayOptions &displayOptions() const { return m_displayOptions; }

    // Closes and reopens the port with the six boxes and the multiplier card.
    void EnableCommPort();
    void DisableCommPort();
    void cmdPortState_Click();
    // 0 lowers RTS, 1 raises it, any other value toggles what the button shows.
    void RTS(int Active = 0);
    void cmdRTSstate_Click();
    // The options for today's adapters at the end of the Options menu.
    void mnuDTRActive_Click();
    void mnuSendBreak_Click();
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
    void mnuColors_Click();
    void mnuBreakCharacter_Click();
    void mnuAbout_Click();
    // The help window has no owner: it stays open after the main window closes.
    void mnuGeneral_Click();

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
    // Options beyond the setup file, read from their check marks.
    void mnuTimeStamps_Click();
    void mnuHexView_Click();
    // Check or uncheck the item, which then applies.
    void SetTimeStamps(bool shown);
    void SetHexView(bool shown);
    // The session as hex rows, shown by the hex view.
    const HexHistory &hexHistory() const { return m_hexHistory; }

    // Tools menu: the compare test and the search for a device's settings.
    void mnuCompareTest_Click();
    void cmdSetStandard_Click();
    void cmdExitTest_Click();
    void chkBadHold_Click();
    // One tick of the compare test; the test timer calls it every 100 ms.
    void tmrTestTimer_Timer();
    void mnuFindCommSetting_Click();
    bool isSearching() const { return m_settingSearch->isRunning(); }
    // The File menu: save the display, send a file, print.
    void mnuSaveText_Click();
    void mnuSaveAscii_Click();
    void mnuTransmitFile_Click();
    bool isTransmittingFile() const { return m_fileTransmitter.isBusy(); }
    void mnuPrintAlldata_Click();
    void mnuPrintSelectedData_Click();
    // Starts logging after asking for the file, or stops it.
    void mnuLogToFile_Click();
    // Starts logging the session to path; false, with a message, if it cannot.
    bool startLogging(const QString &path);
    const SessionLog &sessionLog() const { return m_sessionLog; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectPortControls();
    void connectKeyboardAndStrings();
    void connectViews();
    void displayKeyDown(QKeyEvent *event);
    void displayKeyTyped(QKeyEvent *event);
    void showPortState(PortState state);
    PortSettingsTexts boxTexts() const;
    PortOpening openPort();
    void showRateWarning(const PortOpening &opening);
    void connectAdapters();
    bool reopenLostPort();
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
    void closeSecondaryWindows();
    void connectTools();
    void showCompareTest(bool visible);
    void placeCompareTest(const DisplayLayout &layout);
    void bumpCount(QLabel *count);
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
    SessionLog m_sessionLog;
    HexHistory m_hexHistory;
    TrafficTee m_traffic; // the port's traffic goes to the log and the hex history
    Ui::frmMain ui;
    QPointer<frmStrings> m_stringsWindow;
    QPointer<frmAbout> m_aboutWindow;
    QPointer<frmColorSettings> m_colorWindow;
    QPointer<frmBreakCharacter> m_breakWindow;
    QString m_setupFolder;
    QString m_addedOptionsPath;
    QPointer<frmGeneral> m_generalWindow;
    CompareTest m_compareTest;
    CommSettingSearch *m_settingSearch = nullptr;
    PortReconnector *m_reconnector = nullptr;
    QString m_shownRateWarning; // not repeated while the device keeps to its rate
    HexView *m_hexView = nullptr;

    int m_normalMinimumWidth = 0; // the window's minimum width without the compare test
    static constexpr int NormalDisplayMargin = 700;
    static constexpr int CompareTestDisplayMargin = 1000;
    int intDisplayMargin = 0; // twips kept free below the display besides the status bar
    QString SettingsString;
    bool m_receiveEnabled = false; // received data reach the display from start-up on
};
