#include "frmMain.h"

#include "AddedOptions.h"
#include "BackColor.h"
#include "DisplayLayout.h"
#include "DisplayView.h"
#include "HexView.h"
#include "PanelStatusBar.h"
#include "SetupFile.h"
#include "TypedKeys.h"
#include "frmAbout.h"
#include "frmBreakCharacter.h"
#include "frmColorSettings.h"
#include "frmGeneral.h"
#include "frmStrings.h"

#include <QAction>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QComboBox>
#include <QKeyEvent>
#include <QCheckBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>

namespace {

// The layout rules count a window's title bar, menu bar and borders as these
// fixed twips beyond the area below its menu bar, so that the display meets the
// status bar and the right edge whatever the window manager draws around it.
constexpr qreal NonClientHeight = 700;
constexpr qreal NonClientWidth = 115;

// Received data are shown in slices of this length, so the window keeps answering.
constexpr std::chrono::milliseconds ReceiveSlice(4);

struct QuickSetting
{
    const char *baud;
    const char *parity;
    const char *dataBits;
    const char *stopBits;
};

// Parity presets in menu order; they leave the baud rate alone.
struct ParityPreset
{
    const char *parity;
    const char *dataBits;
    const char *stopBits;
};
constexpr ParityPreset ParityPresets[] = {
    {"Even", "7", "1"}, {"Even", "7", "2"},  {"Even", "8", "1"},  {"Odd", "7", "1"},
    {"Odd", "7", "2"},  {"Odd", "8", "1"},   {"None", "8", "1"},  {"None", "8", "2"},
    {"Mark", "7", "1"}, {"Mark", "7", "2"},  {"Mark", "8", "1"},  {"Space", "7", "1"},
    {"Space", "7", "2"}, {"Space", "8", "1"}};

// The check marks that the setup keeps, each with its place in the setup.
std::array<std::pair<bool SetupOptions::*, QAction *>, 9> setupMarks(const Ui::frmMain &ui)
{
    return {{{&SetupOptions::spcString, ui.mnuSpcString},
             {&SetupOptions::spcSpecialChar, ui.mnuSpcSpecialChar},
             {&SetupOptions::spcChar, ui.mnuSpcChar},
             {&SetupOptions::receiveInterruptsAllowed, ui.mnuReceiveInterruptsAllowed},
             {&SetupOptions::fullStrings, ui.mnuFullStrings},
             {&SetupOptions::single, ui.mnuSingle},
             {&SetupOptions::doubler, ui.mnuDouble},
             {&SetupOptions::quadruple, ui.mnuQuadruple},
             {&SetupOptions::showFunctionCharacters, ui.mnuShowFunctionCharacters}}};
}

// The check marks kept in the added options' file.
std::array<std::pair<bool AddedOptions::*, QAction *>, 5> addedMarks(const Ui::frmMain &ui)
{
    return {{{&AddedOptions::highSpeedRates, ui.mnuHighSpeedRates},
             {&AddedOptions::dtrActive, ui.mnuDTRActive},
             {&AddedOptions::reconnectAutomatically, ui.mnuReconnectAutomatically},
             {&AddedOptions::timeStamps, ui.mnuTimeStamps},
             {&AddedOptions::hexView, ui.mnuHexView}}};
}

} // namespace

frmMain::frmMain(const PlatformServices &services, std::unique_ptr<CommPort> port,
                 std::unique_ptr<LockKeys> lockKeys, QWidget *parent)
    : QMainWindow(parent), m_services(services), MSComm1(std::move(port)),
      m_lockKeys(std::move(lockKeys)), m_twips(screen()->logicalDotsPerInch()),
      m_receivePath(m_displayModel, m_displayOptions, m_colors, *services.clock),
      m_transmitter(*MSComm1, m_displayModel, m_displayOptions, m_colors, m_strings),
      CommonDialog1(*services.fileDialogs),
      m_displaySaver(m_displayModel, CommonDialog1, *services.messageBoxes,
                     QCoreApplication::applicationDirPath()),
      m_fileTransmitter(*MSComm1, m_displayModel, m_displayOptions, m_colors, m_transmitter,
                        CommonDialog1, *services.messageBoxes),
      m_displayPrinter(*services.printer, *services.messageBoxes),
      m_sessionLog(m_displayOptions, *services.clock, *services.messageBoxes),
      m_hexHistory(*services.clock), m_traffic({&m_sessionLog, &m_hexHistory})
{
    m_displayModel.setClock(services.clock);
    ui.setupUi(this, m_displayModel, m_twips, *m_services.clock, *m_lockKeys);
    m_normalMinimumWidth = minimumWidth();
    connectPortControls();
    connectKeyboardAndStrings();
    connectTools();
    connectFileCommands();
    connectAdapters();
    connectViews();

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
    MSComm1->setRecorder(nullptr); // the log and the hex history go before the port
    delete m_generalWindow;
    // The display view refers to the model, so it goes first.
    delete takeCentralWidget();
}

void frmMain::Form_Load(const QString &portText)
{
    intDisplayMargin = NormalDisplayMargin;
    ResetDisplaySize();

    RestoreSetup();
    RestoreAddedOptions();
    if (!portText.isEmpty())
        ui.cboPortNumber->setEditText(portText);
    SetBackGroundColor(m_colors.background);

    show();
    centerOnScreen();
    ResetFocus();

    m_receivePath.purge();
    EnableCommPort();
    RTS(1);
    m_receiveEnabled = true;
    startReceiveTimer();
}

void frmMain::connectPortControls()
{
    ui.Timer1->setSingleShot(true);
    connect(ui.Timer1, &QTimer::timeout, this, &frmMain::Timer1_Timer);
    connect(MSComm1.get(), &CommPort::OnComm, this, &frmMain::MSComm1_OnComm);
    connect(MSComm1.get(), &CommPort::deviceLost, this, &frmMain::MSComm1_DeviceLost);
    connect(&m_receivePath, &ReceivePath::entriesWaiting, this, &frmMain::startReceiveTimer);
    connect(&m_receivePath, &ReceivePath::droppingStarted, ui.lblDataDrop, &QWidget::show);
    connect(&m_receivePath, &ReceivePath::droppingReported, this, [this] {
        MSComm1->Input();
        ui.lblDataDrop->hide();
    });

    // A pick from a list, or Enter in the baud or port box, applies the settings;
    // typing alone does not. Enter is taken before the box sees it (eventFilter).
    for (QComboBox *box : {ui.cboPortNumber, ui.cboBaud, ui.cboParity, ui.cboDataBits,
                           ui.cboStopBits, ui.cboHandShaking}) {
        connect(box, &QComboBox::activated, this, [this] {
            EnableCommPort();
            ResetFocus();
        });
        box->installEventFilter(this);
    }
    // A device path may be longer than the box.
    connect(ui.cboPortNumber, &QComboBox::editTextChanged, ui.cboPortNumber, &QWidget::setToolTip);
    connect(ui.cmdPortState, &QPushButton::clicked, this, &frmMain::cmdPortState_Click);
    connect(ui.cmdRTSstate, &QPushButton::clicked, this, &frmMain::cmdRTSstate_Click);
    connect(ui.cmdPurge, &QPushButton::clicked, this, &frmMain::cmdPurge_Click);

    const std::pair<QAction *, QuickSetting> quickSettings[] = {
        {ui.mnuQuick9600n81, {"9600", "None", "8", "1"}},
        {ui.mnuQuick9600e71, {"9600", "Even", "7", "1"}},
        {ui.mnuQuick38400n81, {"38400", "None", "8", "1"}},
        {ui.mnuQuick1152000n81, {"115200", "None", "8", "1"}}};
    for (const auto &[action, setting] : quickSettings) {
        connect(action, &QAction::triggered, this, [this, setting] {
            applyQuickSetting(QLatin1String(setting.baud), QLatin1String(setting.parity),
                              QLatin1String(setting.dataBits), QLatin1String(setting.stopBits));
        });
    }
    for (size_t i = 0; i < ui.mnuParityPresets.size(); ++i) {
        const ParityPreset preset = ParityPresets[i];
        connect(ui.mnuParityPresets[i], &QAction::triggered, this, [this, preset] {
            applyQuickSetting(QString(), QLatin1String(preset.parity),
                              QLatin1String(preset.dataBits), QLatin1String(preset.stopBits));
        });
    }
    for (QAction *card : {ui.mnuSingle, ui.mnuDouble, ui.mnuQuadruple})
        connect(card, &QAction::triggered, this, [this, card] { chooseMultiplier(card); });
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == ui.cboBaud || watched == ui.cboPortNumber) {
                EnableCommPort();
                ResetFocus();
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::connectKeyboardAndStrings()
{
    connect(ui.rtbDisplay, &DisplayView::keyDown, this, &frmMain::displayKeyDown);
    connect(ui.rtbDisplay, &DisplayView::keyTyped, this, &frmMain::displayKeyTyped);
    connect(ui.rtbDisplay, &DisplayView::mouseReleased, this, &frmMain::rtbDisplay_MouseUp);
    connect(ui.mnuReceiveInterruptsAllowed, &QAction::triggered, this,
            &frmMain::mnuReceiveInterruptsAllowed_Click);
    connect(ui.mnuFullStrings, &QAction::triggered, this, &frmMain::mnuFullStrings_Click);
    for (int set = 0; set < StringSetStore::SetCount; ++set) {
        connect(ui.mnuStringSet[size_t(set)], &QAction::triggered, this,
                [this, set] { mnuStringSet_Click(set); });
    }
    for (int key = 0; key < StringSetStore::KeyCount; ++key) {
        connect(ui.mnuFKeyString[size_t(key)], &QAction::triggered, this,
                [this, key] { mnuFString_Click(key + 1); });
    }
    connect(ui.mnuStrings, &QAction::triggered, this, &frmMain::mnuStrings_Click);
    connect(ui.mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);
    connect(ui.mnuColors, &QAction::triggered, this, &frmMain::mnuColors_Click);
    connect(ui.mnuBreakCharacter, &QAction::triggered, this, &frmMain::mnuBreakCharacter_Click);
    connect(ui.mnuGeneral, &QAction::triggered, this, &frmMain::mnuGeneral_Click);
}

void frmMain::displayKeyDown(QKeyEvent *event)
{
    const TypedKeys::KeyDown key = TypedKeys::keyDownOf(*event);
    if (key.keyCode != 0 && rtbDisplay_KeyDown(key.keyCode, key.shiftState))
        event->accept();
}

void frmMain::displayKeyTyped(QKeyEvent *event)
{
    for (const char character : TypedKeys::typedCharactersOf(*event))
        rtbDisplay_KeyPress(uchar(character));
    event->accept();
}

bool frmMain::rtbDisplay_KeyDown(int keyCode, int shiftState)
{
    const TransmitStyle style{ui.mnuReceiveInterruptsAllowed->isChecked(),
                              ui.mnuFullStrings->isChecked()};
    return m_transmitter.keyDown(keyCode, shiftState, style);
}

void frmMain::rtbDisplay_KeyPress(uchar character)
{
    m_transmitter.keyPress(character);
}

void frmMain::rtbDisplay_MouseUp()
{
    const qsizetype count = SelectionCount(m_displayModel.selectedText());
    ui.StatusBar1->setPanelText(6, QString::number(count) + QStringLiteral(" Selected "));
}

void frmMain::mnuReceiveInterruptsAllowed_Click()
{
    ui.mnuReceiveInterruptsAllowed->setChecked(true);
    ui.mnuFullStrings->setChecked(false);
}

void frmMain::mnuFullStrings_Click()
{
    ui.mnuReceiveInterruptsAllowed->setChecked(false);
    ui.mnuFullStrings->setChecked(true);
}

void frmMain::UpdateMenu()
{
    for (int set = 0; set < StringSetStore::SetCount; ++set)
        ui.mnuStringSet[size_t(set)]->setText(literalMenuCaption(m_strings.name(set)));
    ClearAllStringChecks();
    const int current = m_strings.currentSet();
    if (current >= 0 && current < StringSetStore::SetCount)
        ui.mnuStringSet[size_t(current)]->setChecked(true);
    constexpr qsizetype CaptionLength = 50;
    for (int key = 0; key < StringSetStore::KeyCount; ++key) {
        const QByteArray typed = m_strings.typed(current, key).left(CaptionLength);
        ui.mnuFKeyString[size_t(key)]->setText(QStringLiteral("F%1 ").arg(key + 1) +
                                               literalMenuCaption(typed));
    }
}

void frmMain::ClearAllStringChecks()
{
    for (QAction *item : ui.mnuStringSet)
        item->setChecked(false);
}

void frmMain::mnuStringSet_Click(int set)
{
    ClearAllStringChecks();
    ui.mnuStringSet[size_t(set)]->setChecked(true);
    m_strings.setCurrentSet(set);
    UpdateMenu();
}

void frmMain::mnuFString_Click(int key)
{
    rtbDisplay_KeyDown(KeyboardTransmitter::KeyF1 + key - 1, 0);
}

void frmMain::mnuStrings_Click()
{
    if (!m_stringsWindow) {
        m_stringsWindow =
            new frmStrings(m_strings, *m_services.messageBoxes, [this] { UpdateMenu(); }, this);
    }
    m_stringsWindow->show();
    m_stringsWindow->raise();
    m_stringsWindow->activateWindow();
}

void frmMain::mnuAbout_Click()
{
    if (!m_aboutWindow)
        m_aboutWindow = new frmAbout(this);
    m_aboutWindow->show();
    m_aboutWindow->raise();
}

// A closed option window is on its way out: the next opening makes a new one.
void frmMain::mnuColors_Click()
{
    if (!m_colorWindow || m_colorWindow->isHidden()) {
        m_colorWindow = new frmColorSettings(
            m_colors, *m_services.messageBoxes,
            [this](const DisplayColors &colors) {
                SetReceiveCharColor(colors.receiveChar);
                SetReceiveFuncColor(colors.receiveFunc);
                SetXmitCharColor(colors.xmitChar);
                SetXmitFuncColor(colors.xmitFunc);
                SetBackGroundColor(colors.background);
            },
            this);
    }
    m_colorWindow->show();
    m_colorWindow->raise();
    m_colorWindow->activateWindow();
}

void frmMain::mnuBreakCharacter_Click()
{
    if (!m_breakWindow || m_breakWindow->isHidden()) {
        m_breakWindow = new frmBreakCharacter(
            ReturnBreakCharacter(), *m_services.messageBoxes,
            [this](const QByteArray &token) { SetBreakCharacter(token); }, this);
    }
    m_breakWindow->show();
    m_breakWindow->raise();
    m_breakWindow->activateWindow();
}

// Shutdown: the setup is saved first, then the port is released and received
// data stop, then the secondary windows close.
void frmMain::connectFileCommands()
{
    connect(ui.mnuSaveText, &QAction::triggered, this, &frmMain::mnuSaveText_Click);
    connect(ui.mnuSaveAscii, &QAction::triggered, this, &frmMain::mnuSaveAscii_Click);
    connect(ui.mnuTransmitFile, &QAction::triggered, this, &frmMain::mnuTransmitFile_Click);
    connect(&m_fileTransmitter, &FileTransmitter::progress, ui.StatusBar1,
            &PanelStatusBar::setProgressText);
    connect(ui.mnuLogToFile, &QAction::triggered, this, &frmMain::mnuLogToFile_Click);
    connect(&m_sessionLog, &SessionLog::loggingChanged, ui.mnuLogToFile, &QAction::setChecked);
    MSComm1->setRecorder(&m_traffic);
    connect(ui.mnuPrintAlldata, &QAction::triggered, this, &frmMain::mnuPrintAlldata_Click);
    connect(ui.mnuPrintSelectedData, &QAction::triggered, this,
            &frmMain::mnuPrintSelectedData_Click);
}

void frmMain::mnuSaveText_Click()
{
    m_displaySaver.saveText(ui.mnuTimeStamps->isChecked());
}

void frmMain::mnuSaveAscii_Click()
{
    // The save reads the display through its selection, which ends at the end.
    if (m_displaySaver.saveAscii()) {
        ui.rtbDisplay->updateNow();
        ui.rtbDisplay->verticalScrollBar()->setValue(ui.rtbDisplay->verticalScrollBar()->maximum());
    }
}

void frmMain::mnuTransmitFile_Click()
{
    m_fileTransmitter.transmitFile(
        TransmitStyle{ui.mnuReceiveInterruptsAllowed->isChecked(), ui.mnuFullStrings->isChecked()});
}

void frmMain::mnuLogToFile_Click()
{
    if (m_sessionLog.isLogging()) {
        m_sessionLog.stop();
        return;
    }
    const QString path = m_services.fileDialogs->appendFileName(
        QStringLiteral("Log To File"), QStringLiteral("Log Files (*.log);;All Files (*)"),
        m_sessionLog.fileName());
    if (!path.isEmpty())
        startLogging(path);
    // The item checks itself when chosen; it shows whether a log is kept.
    ui.mnuLogToFile->setChecked(m_sessionLog.isLogging());
}

bool frmMain::startLogging(const QString &path)
{
    return m_sessionLog.start(path);
}

void frmMain::mnuPrintAlldata_Click()
{
    printDisplay(m_displayModel.textView(0, m_displayModel.length()));
}

void frmMain::mnuPrintSelectedData_Click()
{
    printDisplay(m_displayModel.selectedText());
}

void frmMain::printDisplay(QByteArrayView text)
{
    // The line width is measured against the letter N in the window's own font.
    const qreal letterWidth =
        QFontMetricsF(font()).horizontalAdvance(QLatin1Char('N')) * 72.0 / logicalDpiX();
    m_displayPrinter.print(text, letterWidth);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // A search would go on opening the port, and holds a probe's settings.
    m_settingSearch->stop();
    SaveSetup();
    SaveAddedOptions();
    m_receiveEnabled = false;
    ui.Timer1->stop();
    m_reconnector->stop();
    if (MSComm1->PortOpen())
        MSComm1->setPortOpen(false);
    m_sessionLog.stop();
    closeSecondaryWindows();
    QMainWindow::closeEvent(event);
}

void frmMain::mnuGeneral_Click()
{
    if (!m_generalWindow)
        m_generalWindow = new frmGeneral;
    m_generalWindow->show();
    m_generalWindow->raise();
    m_generalWindow->activateWindow();
}

void frmMain::closeSecondaryWindows()
{
    // In this order. The help window is not among them: it stays open, and
    // the program runs on until it is closed.
    for (const char *name :
         {"frmBreakCharacter", "frmColorSettings", "frmStrings", "frmStringsHelp", "frmAbout"}) {
        if (auto *window = findChild<QWidget *>(QLatin1String(name)))
            window->close();
    }
}

void frmMain::RestoreSetup()
{
    SetupOptions marks;
    for (const auto &[option, action] : setupMarks(ui))
        marks.*option = action->isChecked();
    const SetupFormat::Reading reading = m_setupFolder.isEmpty()
                                             ? SetupFormat::read({}, marks)
                                             : SetupFile(m_setupFolder).restore(marks);
    const LastSetup &setup = reading.setup;
    ui.cboPortNumber->setEditText(setup.port.port);
    ui.cboBaud->setEditText(setup.port.baud);
    ui.cboParity->setEditText(setup.port.parity);
    ui.cboDataBits->setEditText(setup.port.dataBits);
    ui.cboStopBits->setEditText(setup.port.stopBits);
    ui.cboHandShaking->setEditText(setup.port.handshaking);
    m_colors = setup.colors;
    SetBreakCharacter(setup.breakCharacter);
    // Set directly: the menus' own click handling does not run.
    for (const auto &[option, action] : setupMarks(ui))
        action->setChecked(setup.options.*option);
    ui.StatusBar1->setPanelText(3, reading.multiplierPanel);
    m_strings = setup.strings;
    UpdateMenu();
}

void frmMain::SaveSetup()
{
    if (m_setupFolder.isEmpty())
        return;
    LastSetup setup;
    setup.strings = m_strings;
    setup.port = boxTexts();
    setup.colors = m_colors;
    setup.breakCharacter = ReturnBreakCharacter();
    for (const auto &[option, action] : setupMarks(ui))
        setup.options.*option = action->isChecked();
    SetupFile(m_setupFolder).save(setup);
}

void frmMain::RestoreAddedOptions()
{
    if (m_addedOptionsPath.isEmpty())
        return;
    const AddedOptions options = AddedOptionsFile(m_addedOptionsPath).read();
    for (const auto &[option, action] : addedMarks(ui))
        action->setChecked(options.*option);
}

void frmMain::SaveAddedOptions()
{
    if (m_addedOptionsPath.isEmpty())
        return;
    AddedOptions options;
    for (const auto &[option, action] : addedMarks(ui))
        options.*option = action->isChecked();
    AddedOptionsFile(m_addedOptionsPath).write(options);
}

void frmMain::showMessage(const QString &text)
{
    m_services.messageBoxes->information(text);
}

void frmMain::showPortState(PortState state)
{
    switch (state) {
    case PortState::Busy:
        ui.cmdPortState->setText(QStringLiteral("Port Busy"));
        BackColor::set(ui.cmdPortState, ColorValue::Yellow);
        break;
    case PortState::Free:
        ui.cmdPortState->setText(QStringLiteral("Port Free"));
        BackColor::set(ui.cmdPortState, ColorValue::Red);
        break;
    case PortState::Active:
        ui.cmdPortState->setText(QStringLiteral("Port Active"));
        BackColor::set(ui.cmdPortState, ColorValue::Green);
        break;
    }
}

int frmMain::cardDivisor() const
{
    if (ui.mnuQuadruple->isChecked())
        return 4;
    return ui.mnuDouble->isChecked() ? 2 : 1;
}

void frmMain::EnableCommPort()
{
    showPortState(PortState::Free);
    const PortOpening opening = openPort();
    // A busy port shows its state before the message, as a free one does.
    if (opening.state == PortState::Busy)
        showPortState(opening.state);
    if (!opening.message.isEmpty())
        showMessage(opening.message);
    showPortState(opening.state);
    showRateWarning(opening);
}

void frmMain::DisableCommPort()
{
    m_reconnector->stop();
    if (MSComm1->PortOpen())
        MSComm1->setPortOpen(false);
    showPortState(PortState::Free);
}

void frmMain::cmdPortState_Click()
{
    if (MSComm1->PortOpen())
        DisableCommPort();
    else
        EnableCommPort();
    ResetFocus();
}

void frmMain::RTS(int Active)
{
    const bool raise =
        Active == 1 || (Active != 0 && BackColor::of(ui.cmdRTSstate) != ColorValue::Green);
    MSComm1->setRTS(raise);
    ui.cmdRTSstate->setText(raise ? QStringLiteral("RTS Active") : QStringLiteral("RTS Idle"));
    BackColor::set(ui.cmdRTSstate, raise ? ColorValue::Green : ColorValue::Red);
}

void frmMain::cmdRTSstate_Click()
{
    RTS(-1);
    ResetFocus();
}

void frmMain::applyQuickSetting(const QString &baud, const QString &parity,
                                const QString &dataBits, const QString &stopBits)
{
    if (!baud.isNull())
        ui.cboBaud->setEditText(baud);
    ui.cboParity->setEditText(parity);
    ui.cboDataBits->setEditText(dataBits);
    ui.cboStopBits->setEditText(stopBits);
    EnableCommPort();
    ResetFocus();
}

void frmMain::chooseMultiplier(QAction *chosen)
{
    for (QAction *card : {ui.mnuSingle, ui.mnuDouble, ui.mnuQuadruple})
        card->setChecked(card == chosen);
    const QString panel = chosen == ui.mnuQuadruple ? QStringLiteral("Quadrupler Card")
                          : chosen == ui.mnuDouble  ? QStringLiteral("Doubler Card")
                                                    : QStringLiteral("No Multiplier Card");
    ui.StatusBar1->setPanelText(3, panel);
    EnableCommPort();
}

void frmMain::MSComm1_OnComm()
{
    switch (MSComm1->CommEvent()) {
    case CommPort::Receive: {
        const QByteArray data = MSComm1->Input();
        m_receivePath.receive(data);
        break;
    }
    case CommPort::Break:
        m_receivePath.lineEvent(ReceiveQueue::Marker::Break);
        break;
    case CommPort::FramingError:
        m_receivePath.lineEvent(ReceiveQueue::Marker::Frame);
        break;
    case CommPort::ParityError:
        m_receivePath.lineEvent(ReceiveQueue::Marker::Parity);
        break;
    case CommPort::Overrun:
        showMessage(QStringLiteral("Comm Event Overrun"));
        break;
    case CommPort::ReceiveOverflow:
        showMessage(QStringLiteral("Receiver Buffer Overflow"));
        break;
    case CommPort::TransmitFull:
        showMessage(QStringLiteral("Transmit Full"));
        break;
    case CommPort::ControlBlockError:
        showMessage(QStringLiteral("unexpected error"));
        break;
    case CommPort::CtsChange: {
        const bool high = MSComm1->CTSHolding();
        ui.lblCTSstate->setText(high ? QStringLiteral("CTS High") : QStringLiteral("CTS Low"));
        BackColor::set(ui.lblCTSstate, high ? ColorValue::Green : ColorValue::Red);
        break;
    }
    default:
        break;
    }
}

void frmMain::MSComm1_DeviceLost()
{
    showPortState(PortState::Free);
    if (ui.mnuReconnectAutomatically->isChecked()) {
        m_receivePath.lineEvent(ReceiveQueue::Marker::Lost);
        m_reconnector->waitForDevice();
        return;
    }
    showMessage(
        QStringLiteral("The port %1 was lost: the device is gone.").arg(MSComm1->deviceName()));
}

void frmMain::startReceiveTimer()
{
    if (m_receiveEnabled && !ui.Timer1->isActive())
        ui.Timer1->start(0);
}

void frmMain::Timer1_Timer()
{
    if (!m_receivePath.showSlice(ReceiveSlice))
        ui.Timer1->start(0);
}

void frmMain::cmdPurge_Click()
{
    m_receivePath.purge();
    ui.lblDataDrop->hide();
    ResetFocus();
}

void frmMain::centerOnScreen()
{
    // Where the screen's free area is smaller (a large scale factor), the
    // window shrinks to it as far as it may and its title bar stays on it.
    const QRect free = screen()->availableGeometry();
    resize(size().boundedTo(free.size() - (frameGeometry().size() - size())));
    const QRect area = screen()->geometry();
    const QSize outer = frameGeometry().size();
    move(std::max(free.x(), area.x() + qRound((area.width() - outer.width()) / 2.0)),
         std::max(free.y(), area.y() + qRound((area.height() - outer.height()) / 2.0)));
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
    placeCompareTest(layout);
    m_hexView->setGeometry(ui.rtbDisplay->geometry());
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    ResetDisplaySize();
}

void frmMain::ResetFocus()
{
    QWidget *display =
        ui.mnuHexView->isChecked() ? static_cast<QWidget *>(m_hexView) : ui.rtbDisplay;
    if (display->isVisible())
        display->setFocus();
}

void frmMain::PutInDisplay(QByteArrayView strInput, quint32 lngColor)
{
    m_displayModel.putInDisplay(strInput, lngColor, m_displayOptions.breakCharacter());
}

void frmMain::SetBackGroundColor(quint32 lngValueIn)
{
    m_colors.background = lngValueIn;
    ui.rtbDisplay->setBackgroundColor(ColorValue::toQColor(lngValueIn));
    m_hexView->colorsChanged();
}

void frmMain::SetBreakCharacter(const QByteArray &strInput)
{
    m_displayOptions.setBreakCharacter(strInput);
}

void frmMain::mnuExit_Click()
{
    close();
}

void frmMain::mnuClearDisplay_Click()
{
    m_displayModel.clear();
    m_hexHistory.clear();
}

void frmMain::cmdClearScreen_Click()
{
    mnuClearDisplay_Click();
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
