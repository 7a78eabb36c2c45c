#include "frmGeneral.h"

#include "HelpTopics.h"

#include <QHash>
#include <QMenuBar>
#include <QScreen>
#include <QTextEdit>

namespace {

// The window opens this size, in pixels; every topic fits without scrolling.
constexpr QSize DesignSize(720, 460);

// The menu tree in order; an entry's holder is the submenu it belongs to,
// none for the menu bar.
struct MenuEntry
{
    const char *name;
    const char *caption;
    const char *holder;
    bool submenu;
};

constexpr MenuEntry Menus[] = {
    {"mnuCommSettings", "Comm. &Settings", nullptr, true},
    {"mnuPort", "&Port", "mnuCommSettings", false},
    {"mnuBaud", "&Baud", "mnuCommSettings", false},
    {"mnuParityStopandData", "&Parity, Stop and Data Bits", "mnuCommSettings", false},
    {"mnuHandShake", "&Hand Shaking", "mnuCommSettings", false},
    {"mnuPortActive", "&Port Active", nullptr, false},
    {"mnuRTSCTS", "&RTS / CTS", nullptr, false},
    {"mnuClearScreen", "&Clear Screen", nullptr, false},
    {"mnuDataPurge", "Data &Purge", nullptr, false},
    {"mnuDisplay", "The &Display", nullptr, false},
    {"mnuMenu", "Menu", nullptr, true},
    {"mnuFile", "&File", "mnuMenu", true},
    {"mnuSaveToFile", "&Save To File", "mnuFile", false},
    {"mnuTransmitAFile", "Transmit a File", "mnuFile", false},
    {"mnuLogToFile", "&Log To File", "mnuFile", false},
    {"mnuPrint", "&Print", "mnuFile", false},
    {"mnuExit", "E&xit", "mnuFile", false},
    {"mnuEdit", "&Edit", "mnuMenu", false},
    {"mnuOptions", "&Options", "mnuMenu", true},
    {"mnuColors", "Colors", "mnuOptions", false},
    {"mnuStrings", "&Strings", "mnuOptions", false},
    {"mnuTransmitStyle", "&Transmit Style", "mnuOptions", false},
    {"mnuBreakCharacter", "&Break Character", "mnuOptions", false},
    {"mnuSpaceOption", "&Space Option", "mnuOptions", false},
    {"mnuMulitplierCard", "&Multiplier Card", "mnuOptions", false},
    {"mnuHighSpeedRates", "High Speed &Rates", "mnuOptions", false},
    {"mnuDTRActive", "&DTR Active", "mnuOptions", false},
    {"mnuSendBreak", "Send Brea&k", "mnuOptions", false},
    {"mnuReconnectAutomatically", "Reconnect A&utomatically", "mnuOptions", false},
    {"mnuTimeStamps", "Ti&me Stamps", "mnuOptions", false},
    {"mnuHexView", "He&x View", "mnuOptions", false},
    {"mnuSelectStringSet", "&Select String Set", "mnuMenu", false},
    {"mnuViewStrings", "&View Strings", "mnuMenu", false},
    {"mnuTools", "&Tools", "mnuMenu", true},
    {"mnuCompareTest", "&Compare Testing", "mnuTools", false},
};

} // namespace

frmGeneral::frmGeneral(QWidget *parent) : QMainWindow(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmGeneral"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("General Use Information"));

    rtbDisplay = new QTextEdit(this);
    rtbDisplay->setObjectName(QStringLiteral("rtbDisplay"));
    rtbDisplay->setReadOnly(true);
    rtbDisplay->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QFont font = rtbDisplay->font();
    font.setPointSize(HelpTopics::BodyPointSize);
    rtbDisplay->setFont(font);
    rtbDisplay->setPlainText(HelpTopics::introduction());
    setCentralWidget(rtbDisplay);

    buildMenus();
    resize(DesignSize);
}

void frmGeneral::buildMenus()
{
    QHash<QString, QMenu *> submenus;
    for (const MenuEntry &entry : Menus) {
        const QString name = QLatin1String(entry.name);
        const QString caption = QLatin1String(entry.caption);
        QWidget *holder = entry.holder ? submenus.value(QLatin1String(entry.holder))
                                       : static_cast<QWidget *>(menuBar());
        QAction *item = nullptr;
        if (entry.submenu) {
            auto *submenu = new QMenu(caption, holder);
            submenu->setObjectName(name);
            submenus.insert(name, submenu);
            item = submenu->menuAction();
        } else {
            // Items with a topic show it; the others do nothing.
            item = new QAction(caption, holder);
            item->setObjectName(name);
            if (HelpTopics::find(name))
                connect(item, &QAction::triggered, this, [this, name] { showTopic(name); });
        }
        holder->addAction(item);
    }
}

void frmGeneral::showTopic(const QString &menuName)
{
    const HelpTopics::Topic *topic = HelpTopics::find(menuName);
    if (!topic)
        return;
    HelpTopics::compose(*rtbDisplay->document(), *topic);
    QTextCursor caret(rtbDisplay->document());
    caret.movePosition(QTextCursor::End);
    rtbDisplay->setTextCursor(caret);
}

void frmGeneral::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_centered) {
        m_centered = true;
        centerOnScreen();
    }
}

void frmGeneral::centerOnScreen()
{
    const QRect area = screen()->geometry();
    const QSize outer = frameGeometry().size();
    move(area.x() + qRound((area.width() - outer.width()) / 2.0),
         area.y() + qRound((area.height() - outer.height()) / 2.0));
}
