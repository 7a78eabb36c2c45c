#include "frmMainUi.h"

#include "BackColor.h"
#include "ColorValue.h"
#include "DisplayLayout.h"
#include "DisplayModel.h"
#include "DisplayView.h"
#include "PanelStatusBar.h"
#include "SettingsBox.h"
#include "Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

namespace {

// Designed client area and fixed sizes, in twips.
constexpr qreal ClientWidth = 8895;
constexpr qreal ClientHeight = 7410;
constexpr qreal StatusBarHeight = 255;
constexpr qreal StatusPanelWidth = 1440;
constexpr qreal BoxWidth = 1200;
constexpr qreal BoxHeight = 315;
constexpr qreal CaptionHeight = 225;
constexpr qreal CaptionAbove = 240; // a box's caption starts this far above the box

// Compare-test row, from the display's left edge; ResetDisplaySize sets the tops.
constexpr qreal TestButtonHeight = 315;
constexpr qreal TestLabelHeight = 255;

class Builder
{
public:
    Builder(QWidget *client, const Twips &twips) : m_client(client), m_twips(twips) {}

    template <typename Widget>
    Widget *place(Widget *widget, const char *name, qreal left, qreal top, qreal width,
                  qreal height) const
    {
        widget->setObjectName(QLatin1String(name));
        widget->setGeometry(m_twips.toPixels(left, top, width, height));
        return widget;
    }

    QLabel *label(const char *name, const QString &caption, qreal left, qreal top, qreal width,
                  qreal height) const
    {
        return place(new QLabel(caption, m_client), name, left, top, width, height);
    }

    QPushButton *button(const char *name, const QString &caption, qreal left, qreal top,
                        qreal width, qreal height) const
    {
        return place(new QPushButton(caption, m_client), name, left, top, width, height);
    }

    // An editable box whose text starts as designed, whatever its list holds.
    QComboBox *comboBox(const char *name, const QString &text, const QStringList &items, qreal left,
                        qreal top) const
    {
        auto *box = place(new SettingsBox(m_client), name, left, top, BoxWidth, BoxHeight);
        box->addItems(items);
        box->setCurrentIndex(-1);
        box->setEditText(text);
        return box;
    }

    QLabel *caption(const char *name, const QString &text, const QComboBox *box) const
    {
        const qreal left = m_twips.fromPixels(box->x());
        const qreal top = m_twips.fromPixels(box->y()) - CaptionAbove;
        // Wider than the box where the text needs it.
        QLabel *caption = label(name, text, left, top, BoxWidth, CaptionHeight);
        caption->resize(std::max(caption->width(), caption->sizeHint().width()), caption->height());
        return caption;
    }

private:
    QWidget *m_client;
    const Twips &m_twips;
};

QMenu *addSubmenu(QWidget *parent, const char *name, const QString &caption)
{
    auto *menu = new QMenu(caption, parent);
    menu->setObjectName(QLatin1String(name));
    if (auto *bar = qobject_cast<QMenuBar *>(parent))
        bar->addMenu(menu);
    else
        static_cast<QMenu *>(parent)->addMenu(menu);
    return menu;
}

QAction *addItem(QMenu *menu, const QString &name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

QAction *addOption(QMenu *menu, const char *name, const QString &caption, bool checked)
{
    QAction *action = addItem(menu, QLatin1String(name), caption);
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}

} // namespace

namespace Ui {

void frmMain::setupUi(QMainWindow *window, DisplayModel &model, const Twips &twips,
                      const Clock &clock, const LockKeys &lockKeys)
{
    window->setWindowTitle(QStringLiteral("Wirelook....."));
    // The twips above are designed around one font, which set-up installs;
    // hinting only up and down keeps its widths whatever the system's settings.
    QFont font(QStringLiteral("DejaVu Sans"), 9);
    font.setHintingPreference(QFont::PreferVerticalHinting);
    window->setFont(font);
    auto *client = new QWidget(window);
    window->setCentralWidget(client);
    const Builder build(client, twips);

    // Created first, so that it comes first in the tab order.
    rtbDisplay = new DisplayView(model, client);
    rtbDisplay->setObjectName(QStringLiteral("rtbDisplay"));
    rtbDisplay->move(twips.toPixels(DisplayLayout::DisplayLeft),
                     twips.toPixels(DisplayLayout::DisplayTop));

    cboPortNumber = build.comboBox("cboPortNumber", QStringLiteral("1"),
                                   {"1", "2", "3", "4", "5", "6", "7", "8"}, 30, 255);
    cboBaud = build.comboBox("cboBaud", QStringLiteral("9600"),
                             {"256000", "128000", "115200 ", "57600 ", "56000 ", "38400 ", "28800 ",
                              "19200 ", "14400 ", "9600", "4800 ", "2400 ", "1200 ", "600 ", "300",
                              "110 "},
                             60, 840);
    cboParity = build.comboBox("cboParity", QStringLiteral("cboParity"),
                               {"None", "Even", "Odd", "Mark", "Space"}, 45, 1425);
    cboDataBits = build.comboBox("cboDataBits", QStringLiteral("cboDataBits"),
                                 {"4", "5", "6", "7", "8"}, 50, 2010);
    cboStopBits =
        build.comboBox("cboStopBits", QStringLiteral("cboStopBits"), {"2", "1.5", "1"}, 50, 2600);
    cboHandShaking = build.comboBox("cboHandShaking", QStringLiteral("cboHandShaking"),
                                    {"0-None", "1-Xon Xoff", "2-Rts Cts", "3-Both"}, 60, 3185);
    lblPortNumber = build.caption("lblPortNumber", QStringLiteral("Port Number"), cboPortNumber);
    lblBaudCaption = build.caption("lblBaudCaption", QStringLiteral("Baud Rate"), cboBaud);
    lblParityCaption = build.caption("lblParityCaption", QStringLiteral("Parity"), cboParity);
    lblDataBitsCaption =
        build.caption("lblDataBitsCaption", QStringLiteral("Data Bits"), cboDataBits);
    lblStopBits = build.caption("lblStopBits", QStringLiteral("Stop Bits"), cboStopBits);
    lblHandShakingCaption =
        build.caption("lblHandShakingCaption", QStringLiteral("Hand Shaking"), cboHandShaking);

    cmdPortState = build.button("cmdPortState", QStringLiteral("Port Busy"), 50, 3771, 1200, 315);
    BackColor::set(cmdPortState, ColorValue::Yellow);
    cmdRTSstate = build.button("cmdRTSstate", QStringLiteral("RTS ?"), 50, 4272, 1200, 315);
    BackColor::set(cmdRTSstate, ColorValue::Yellow);
    lblCTSstate = build.label("lblCTSstate", QStringLiteral("CTS ?"), 50, 4773, 1200, 315);
    lblCTSstate->setAlignment(Qt::AlignCenter);
    cmdClearScreen =
        build.button("cmdClearScreen", QStringLiteral("Clear Screen"), 50, 5274, 1200, 330);
    cmdPurge = build.button("cmdPurge", QStringLiteral("Data Purge"), 60, 5790, 1200, 330);
    lblDataDrop =
        build.label("lblDataDrop", QStringLiteral("Data being Dropped"), 75, 6210, 1170, 465);
    lblDataDrop->setWordWrap(true);
    lblDataDrop->setAlignment(Qt::AlignCenter);
    QPalette dropPalette = lblDataDrop->palette();
    dropPalette.setColor(QPalette::WindowText, ColorValue::toQColor(ColorValue::Red));
    lblDataDrop->setPalette(dropPalette);
    lblDataDrop->hide();

    cmdSetStandard = build.button("cmdSetStandard", QStringLiteral("Set Standard"), 1335, 0, 1200,
                                  TestButtonHeight);
    cmdExitTest =
        build.button("cmdExitTest", QStringLiteral("Exit Test"), 2655, 0, 1200, TestButtonHeight);
    lblGoodCountCaption = build.label("lblGoodCountCaption", QStringLiteral("Good Count :"), 3975,
                                      0, 1050, TestLabelHeight);
    lblGoodCount = build.label("lblGoodCount", QStringLiteral("0"), 5025, 0, 735, TestLabelHeight);
    lblBadCountCaption = build.label("lblBadCountCaption", QStringLiteral("Bad Count :"), 5880, 0,
                                     1000, TestLabelHeight);
    lblBadCount = build.label("lblBadCount", QStringLiteral("0"), 6900, 0, 735, TestLabelHeight);
    chkBadHold = build.place(new QCheckBox(QStringLiteral("Hold Bad Reads"), client), "chkBadHold",
                             7755, 0, 1695, TestLabelHeight);
    // Holds a copy of the whole display text and is never shown.
    txtStandard = build.place(new QLineEdit(QStringLiteral("Text1"), client), "txtStandard", 1335,
                              0, 1200, TestLabelHeight);
    txtStandard->setMaxLength(int(DisplayModel::Capacity));
    // Left to right, each at its designed place or after its neighbour with the
    // designed gap, as wide as its text needs.
    int rowRight = 0;
    for (const auto &[control, gap] : std::initializer_list<std::pair<QWidget *, qreal>>{
             {cmdSetStandard, 0},
             {cmdExitTest, 120},
             {lblGoodCountCaption, 120},
             {lblGoodCount, 0},
             {lblBadCountCaption, 120},
             {lblBadCount, 20},
             {chkBadHold, 120}}) {
        const int left = std::max(control->x(), rowRight + twips.toPixels(gap));
        control->setGeometry(left, control->y(),
                             std::max(control->width(), control->sizeHint().width()),
                             control->height());
        rowRight = control->geometry().right() + 1;
    }
    const std::initializer_list<QWidget *> compareTest = {
        cmdSetStandard,     cmdExitTest, lblGoodCountCaption, lblGoodCount,
        lblBadCountCaption, lblBadCount, chkBadHold,          txtStandard};
    for (QWidget *widget : compareTest)
        widget->hide();

    Timer1 = new QTimer(window);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1);
    tmrTestTimer = new QTimer(window);
    tmrTestTimer->setObjectName(QStringLiteral("tmrTestTimer"));
    tmrTestTimer->setInterval(100);

    StatusBar1 = new PanelStatusBar(clock, lockKeys, twips.toPixels(StatusPanelWidth), window);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(twips.toPixels(StatusBarHeight));
    window->setStatusBar(StatusBar1);

    QMenuBar *bar = window->menuBar();
    mnuFile = addSubmenu(bar, "mnuFile", QStringLiteral("&File"));
    mnuSave = addSubmenu(mnuFile, "mnuSave", QStringLiteral("&Save To File"));
    mnuSaveAscii =
        addItem(mnuSave, QStringLiteral("mnuSaveAscii"), QStringLiteral("&Ascii Format"));
    mnuSaveText = addItem(mnuSave, QStringLiteral("mnuSaveText"), QStringLiteral("&Text Format"));
    mnuTransmitFile =
        addItem(mnuFile, QStringLiteral("mnuTransmitFile"), QStringLiteral("&Transmit a File"));
    mnuLogToFile =
        addItem(mnuFile, QStringLiteral("mnuLogToFile"), QStringLiteral("&Log To File..."));
    mnuLogToFile->setCheckable(true);
    mnuPrint = addSubmenu(mnuFile, "mnuPrint", QStringLiteral("&Print"));
    mnuPrintAlldata =
        addItem(mnuPrint, QStringLiteral("mnuPrintAlldata"), QStringLiteral("&All Data"));
    mnuPrintSelectedData =
        addItem(mnuPrint, QStringLiteral("mnuPrintSelectedData"), QStringLiteral("&Selected Data"));
    mnuExit = addItem(mnuFile, QStringLiteral("mnuExit"), QStringLiteral("E&xit"));

    mnuEdit = addSubmenu(bar, "mnuEdit", QStringLiteral("&Edit"));
    mnuSelectAll = addItem(mnuEdit, QStringLiteral("mnuSelectAll"), QStringLiteral("Select &All"));
    mnuSelectAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    mnuCopy = addItem(mnuEdit, QStringLiteral("mnuCopy"), QStringLiteral("&Copy"));
    mnuCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuClearDisplay =
        addItem(mnuEdit, QStringLiteral("mnuClearDisplay"), QStringLiteral("Clear &Display"));

    mnuOptions = addSubmenu(bar, "mnuOptions", QStringLiteral("&Options"));
    mnuColors = addItem(mnuOptions, QStringLiteral("mnuColors"), QStringLiteral("&Colors"));
    mnuStrings = addItem(mnuOptions, QStringLiteral("mnuStrings"), QStringLiteral("&Strings"));
    mnuStrings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuTransmitSytle =
        addSubmenu(mnuOptions, "mnuTransmitSytle", QStringLiteral("&Transmit Style"));
    mnuReceiveInterruptsAllowed = addOption(mnuTransmitSytle, "mnuReceiveInterruptsAllowed",
                                            QStringLiteral("&Receive Interrupts Allowed"), true);
    mnuFullStrings = addOption(mnuTransmitSytle, "mnuFullStrings",
                               QStringLiteral("&Full Strings Uninterrupted"), false);
    mnuBreakCharacter = addItem(mnuOptions, QStringLiteral("mnuBreakCharacter"),
                                QStringLiteral("&Break Character"));
    mnuSpace = addSubmenu(mnuOptions, "mnuSpace", QStringLiteral("Space& Option"));
    mnuSpcChar = addOption(mnuSpace, "mnuSpcChar", QStringLiteral("'& ' Character"), true);
    mnuSpcString = addOption(mnuSpace, "mnuSpcString", QStringLiteral("[SPC] &String"), false);
    mnuSpcSpecialChar =
        addOption(mnuSpace, "mnuSpcSpecialChar", QStringLiteral("\u00A4 &Character"), false);
    mnuMultiplier = addSubmenu(mnuOptions, "mnuMultiplier", QStringLiteral("Multiplier &Card"));
    mnuSingle = addOption(mnuMultiplier, "mnuSingle", QStringLiteral("No Card Installed"), true);
    mnuDouble = addOption(mnuMultiplier, "mnuDouble", QStringLiteral("&Doubler"), false);
    mnuQuadruple = addOption(mnuMultiplier, "mnuQuadruple", QStringLiteral("&Quadrupler"), false);
    mnuShowFunctionCharacters = addOption(mnuOptions, "mnuShowFunctionCharacters",
                                          QStringLiteral("Show Function Characters"), true);
    // Additions beyond the setup file, after a separator.
    mnuOptions->addSeparator();
    mnuHighSpeedRates =
        addOption(mnuOptions, "mnuHighSpeedRates", QStringLiteral("High Speed &Rates"), false);
    mnuDTRActive = addOption(mnuOptions, "mnuDTRActive", QStringLiteral("&DTR Active"), true);
    mnuSendBreak = addItem(mnuOptions, QStringLiteral("mnuSendBreak"), QStringLiteral("Send Brea&k"));
    mnuReconnectAutomatically = addOption(mnuOptions, "mnuReconnectAutomatically",
                                          QStringLiteral("Reconnect A&utomatically"), false);
    mnuTimeStamps = addOption(mnuOptions, "mnuTimeStamps", QStringLiteral("Ti&me Stamps"), false);
    mnuHexView = addOption(mnuOptions, "mnuHexView", QStringLiteral("He&x View"), false);

    mnuTools = addSubmenu(bar, "mnuTools", QStringLiteral("&Tools"));
    mnuCompareTest =
        addItem(mnuTools, QStringLiteral("mnuCompareTest"), QStringLiteral("&Compare Test"));
    mnuFindCommSetting = addItem(mnuTools, QStringLiteral("mnuFindCommSetting"),
                                 QStringLiteral("&Find Comm Setting"));

    mnuQuickCommSettings =
        addSubmenu(bar, "mnuQuickCommSettings", QStringLiteral("&Quick Comm Settings"));
    mnuQuick9600n81 = addItem(mnuQuickCommSettings, QStringLiteral("mnuQuick9600n81"),
                              QStringLiteral("9600 n 8 1"));
    mnuQuick9600e71 = addItem(mnuQuickCommSettings, QStringLiteral("mnuQuick9600e71"),
                              QStringLiteral("9600 e 7 1"));
    mnuQuick38400n81 = addItem(mnuQuickCommSettings, QStringLiteral("mnuQuick38400n81"),
                               QStringLiteral("38400 n 8 1"));
    mnuQuick1152000n81 = addItem(mnuQuickCommSettings, QStringLiteral("mnuQuick1152000n81"),
                                 QStringLiteral("115200 n 8 1"));
    mnuQuickParitySettings = addSubmenu(mnuQuickCommSettings, "mnuQuickParitySettings",
                                        QStringLiteral("Parity Settings"));
    static const char *const parityPresets[] = {"Even71", "Even72",  "Even81",  "Odd71",  "Odd72",
                                                "Odd81",  "None81",  "None82",  "Mark71", "Mark72",
                                                "Mark81", "Space71", "Space72", "Space81"};
    static_assert(std::size(parityPresets) == std::tuple_size_v<decltype(mnuParityPresets)>);
    for (size_t i = 0; i < mnuParityPresets.size(); ++i) {
        const QString caption = QLatin1String(parityPresets[i]);
        mnuParityPresets[i] =
            addItem(mnuQuickParitySettings, QStringLiteral("mnu") + caption, caption);
    }

    mnuSelectStringSet =
        addSubmenu(bar, "mnuSelectStringSet", QStringLiteral("&Select String Set"));
    for (size_t i = 0; i < mnuStringSet.size(); ++i) {
        mnuStringSet[i] = addItem(mnuSelectStringSet, QStringLiteral("mnuStringSet%1").arg(i),
                                  QStringLiteral("String Set %1").arg(i + 1));
        mnuStringSet[i]->setCheckable(true);
    }
    mnuViewStrings = addSubmenu(bar, "mnuViewStrings", QStringLiteral("&View Strings"));
    for (size_t i = 0; i < mnuFKeyString.size(); ++i) {
        mnuFKeyString[i] = addItem(mnuViewStrings, QStringLiteral("mnuF%1String").arg(i + 1),
                                   QStringLiteral("F%1").arg(i + 1));
    }

    mnuHelp = addSubmenu(bar, "mnuHelp", QStringLiteral("&Help"));
    mnuGeneral = addItem(mnuHelp, QStringLiteral("mnuGeneral"), QStringLiteral("&General"));
    mnuAbout = addItem(mnuHelp, QStringLiteral("mnuAbout"), QStringLiteral("&About"));

    window->resize(twips.toPixels(ClientWidth),
                   bar->sizeHint().height() + twips.toPixels(ClientHeight));
    // No smaller than the column of settings boxes and buttons at the left.
    QRect column;
    for (const QWidget *widget : client->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (widget->x() < rtbDisplay->x())
            column |= widget->geometry();
    }
    window->setMinimumSize(std::max(rtbDisplay->x(), column.right() + 1),
                           bar->sizeHint().height() + column.bottom() + 1 + StatusBar1->height());
}

} // namespace Ui
