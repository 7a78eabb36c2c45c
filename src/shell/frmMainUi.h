#pragma once

#include <array>

class Clock;
class DisplayModel;
class DisplayView;
class LockKeys;
class PanelStatusBar;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QPushButton;
class QTimer;
class Twips;

namespace Ui {

// The main window's controls and menus as designed: every one carries its
// name as objectName, its caption, its starting check mark and its place in
// twips. Submenus are QMenu objects, items are QActions.
struct frmMain
{
    void setupUi(QMainWindow *window, DisplayModel &model, const Twips &twips, const Clock &clock,
                 const LockKeys &lockKeys);

    DisplayView *rtbDisplay = nullptr;

    QComboBox *cboPortNumber = nullptr;
    QComboBox *cboBaud = nullptr;
    QComboBox *cboParity = nullptr;
    QComboBox *cboDataBits = nullptr;
    QComboBox *cboStopBits = nullptr;
    QComboBox *cboHandShaking = nullptr;
    QLabel *lblPortNumber = nullptr;
    QLabel *lblBaudCaption = nullptr;
    QLabel *lblParityCaption = nullptr;
    QLabel *lblDataBitsCaption = nullptr;
    QLabel *lblStopBits = nullptr;
    QLabel *lblHandShakingCaption = nullptr;

    QPushButton *cmdPortState = nullptr;
    QPushButton *cmdRTSstate = nullptr;
    QLabel *lblCTSstate = nullptr;
    QPushButton *cmdClearScreen = nullptr;
    QPushButton *cmdPurge = nullptr;
    QLabel *lblDataDrop = nullptr;

    // Compare test, hidden until the test is started.
    QPushButton *cmdSetStandard = nullptr;
    QPushButton *cmdExitTest = nullptr;
    QLabel *lblGoodCountCaption = nullptr;
    QLabel *lblGoodCount = nullptr;
    QLabel *lblBadCountCaption = nullptr;
    QLabel *lblBadCount = nullptr;
    QCheckBox *chkBadHold = nullptr;
    QLineEdit *txtStandard = nullptr;

    QTimer *Timer1 = nullptr;
    QTimer *tmrTestTimer = nullptr;
    PanelStatusBar *StatusBar1 = nullptr;

    QMenu *mnuFile = nullptr;
    QMenu *mnuSave = nullptr;
    QAction *mnuSaveAscii = nullptr;
    QAction *mnuSaveText = nullptr;
    QAction *mnuTransmitFile = nullptr;
    QAction *mnuLogToFile = nullptr;
    QMenu *mnuPrint = nullptr;
    QAction *mnuPrintAlldata = nullptr;
    QAction *mnuPrintSelectedData = nullptr;
    QAction *mnuExit = nullptr;

    QMenu *mnuEdit = nullptr;
    QAction *mnuSelectAll = nullptr;
    QAction *mnuCopy = nullptr;
    QAction *mnuClearDisplay = nullptr;

    QMenu *mnuOptions = nullptr;
    QAction *mnuColors = nullptr;
    QAction *mnuStrings = nullptr;
    QMenu *mnuTransmitSytle = nullptr;
    QAction *mnuReceiveInterruptsAllowed = nullptr;
    QAction *mnuFullStrings = nullptr;
    QAction *mnuBreakCharacter = nullptr;
    QMenu *mnuSpace = nullptr;
    QAction *mnuSpcChar = nullptr;
    QAction *mnuSpcString = nullptr;
    QAction *mnuSpcSpecialChar = nullptr;
    QMenu *mnuMultiplier = nullptr;
    QAction *mnuSingle = nullptr;
    QAction *mnuDouble = nullptr;
    QAction *mnuQuadruple = nullptr;
    QAction *mnuShowFunctionCharacters = nullptr;
    // Beyond the setup file: kept in the added options' file.
    QAction *mnuHighSpeedRates = nullptr;
    QAction *mnuDTRActive = nullptr;
    QAction *mnuSendBreak = nullptr;
    QAction *mnuReconnectAutomatically = nullptr;
    QAction *mnuTimeStamps = nullptr;
    QAction *mnuHexView = nullptr;

    QMenu *mnuTools = nullptr;
    QAction *mnuCompareTest = nullptr;
    QAction *mnuFindCommSetting = nullptr;

    QMenu *mnuQuickCommSettings = nullptr;
    QAction *mnuQuick9600n81 = nullptr;
    QAction *mnuQuick9600e71 = nullptr;
    QAction *mnuQuick38400n81 = nullptr;
    QAction *mnuQuick1152000n81 = nullptr;
    QMenu *mnuQuickParitySettings = nullptr;
    // mnuEven71, mnuEven72, mnuEven81, mnuOdd71, ... mnuSpace81, in menu order.
    std::array<QAction *, 14> mnuParityPresets{};

    QMenu *mnuSelectStringSet = nullptr;
    std::array<QAction *, 10> mnuStringSet{}; // mnuStringSet0 to mnuStringSet9
    QMenu *mnuViewStrings = nullptr;
    std::array<QAction *, 12> mnuFKeyString{}; // mnuF1String to mnuF12String

    QMenu *mnuHelp = nullptr;
    QAction *mnuGeneral = nullptr;
    QAction *mnuAbout = nullptr;
};

} // namespace Ui
