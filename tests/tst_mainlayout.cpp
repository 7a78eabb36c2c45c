#include "MainWindowFixture.h"
#include "PanelStatusBar.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QScreen>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>

// The main window's layout on an offscreen screen whose resolution
// WIRELOOK_TEST_DPI gives as "logical dpi[/base dpi]", 96 unless set. A base
// below the logical resolution makes Qt scale by their ratio, as a desktop's
// scale factor does.
namespace {

// Where a control draws its text, in its own coordinates.
QRect textRoom(const QWidget *control)
{
    if (const auto *button = qobject_cast<const QAbstractButton *>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const bool check = qobject_cast<const QCheckBox *>(control);
        return control->style()->subElementRect(
            check ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents, &option, button);
    }
    const auto *label = qobject_cast<const QLabel *>(control);
    const int margin = label->margin();
    return label->contentsRect().adjusted(margin, margin, -margin, -margin);
}

// "name: text" where the text does not fit the room its control gives it.
QString cutText(const QWidget *control, const QString &text, int flags = 0)
{
    const QRect room = textRoom(control);
    const QRect needed = control->fontMetrics().boundingRect(room, flags | Qt::AlignCenter, text);
    if (room.contains(needed) && needed.width() <= room.width())
        return {};
    QString message;
    QDebug(&message) << control->objectName() << text << "needs" << needed.size() << "has"
                     << room.size();
    return message;
}

// Where a one-line label's text stands, in its parent's coordinates.
int baseline(const QLabel *label)
{
    const QRect room = textRoom(label);
    const QFontMetrics metrics = label->fontMetrics();
    const QRect text = QStyle::alignedRect(label->layoutDirection(), label->alignment(),
                                           QSize(room.width(), metrics.height()), room);
    return label->y() + text.top() + metrics.ascent();
}

} // namespace

class TestMainLayout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void captionsFitAndTheLeftColumnStaysWhole();
    void breakCharacterShowsWhole();
};

void TestMainLayout::initTestCase()
{
    Window w;
    if (QFontInfo(w.window->font()).family() != w.window->font().family())
        QSKIP("The window's font is not installed; scripts/setup.sh installs it.");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestMainLayout::captionsFitAndTheLeftColumnStaysWhole()
{
    Window w;
    w.start();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    w.child("lblDataDrop")->show();
    // The status panels' longer texts.
    auto *bar = w.child<PanelStatusBar>("StatusBar1");
    w.action("mnuSingle")->trigger();
    bar->setPanelText(6, QStringLiteral("500000 Selected "));
    QStringList cut;
    // The whole window is on the screen, title bar included.
    const QRect screen = w.window->screen()->availableGeometry();
    if (!screen.contains(w.window->frameGeometry()))
        cut << QStringLiteral("The window is not wholly on the screen");
    for (const QLabel *label : w.window->findChildren<QLabel *>()) {
        if (label->isVisible())
            cut << cutText(label, label->text(), label->wordWrap() ? Qt::TextWordWrap : 0);
    }
    for (const QAbstractButton *button : w.window->findChildren<QAbstractButton *>()) {
        if (button->isVisible())
            cut << cutText(button, button->text());
    }
    for (const char *card : {"mnuQuadruple", "mnuDouble"}) {
        w.action(card)->trigger();
        cut << cutText(bar->panel(3), bar->panelText(3));
    }
    for (int number = 1; number <= PanelStatusBar::PanelCount; ++number) {
        if (!bar->rect().contains(bar->panel(number)->geometry()))
            cut << bar->panel(number)->objectName() + QStringLiteral(" beyond the window's edge");
    }

    // The compare test's row is whole and inside the window, above the status
    // bar and below the display, while it is shown; the counts stand on the
    // captions' baseline.
    const int normalMinimumWidth = w.window->minimumWidth();
    w.action("mnuCompareTest")->trigger();
    const QWidget *client = w.window->centralWidget();
    const QRect display = w.child("rtbDisplay")->geometry();
    for (const char *name : {"cmdSetStandard", "cmdExitTest", "lblGoodCountCaption", "lblGoodCount",
                             "lblBadCountCaption", "lblBadCount", "chkBadHold"}) {
        const QWidget *control = w.child(name);
        cut << cutText(control, control->property("text").toString());
        if (!client->rect().contains(control->geometry()))
            cut << QLatin1String(name) +
                       QStringLiteral(" beyond the window's edge or the status bar");
        if (control->geometry().intersects(display))
            cut << QLatin1String(name) + QStringLiteral(" over the display");
    }
    for (const auto &[count, caption] : {std::pair("lblGoodCount", "lblGoodCountCaption"),
                                         {"lblBadCount", "lblBadCountCaption"}}) {
        if (baseline(w.child<QLabel>(count)) != baseline(w.child<QLabel>(caption)))
            cut << QLatin1String(count) + QStringLiteral(" off its caption's baseline");
    }
    w.child<QAbstractButton>("cmdExitTest")->click();
    QCOMPARE(w.window->minimumWidth(), normalMinimumWidth);

    cut.removeAll(QString());
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));

    // At its smallest the window shows the whole left column above the status bar.
    w.window->resize(1, 1);
    QTRY_COMPARE(w.window->size(), w.window->minimumSize());
    const QRect shown(0, 0, w.window->width() - client->x(), bar->y() - client->y());
    for (const QWidget *control : client->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (control->isVisible() && control->x() < w.child("rtbDisplay")->x())
            QVERIFY2(shown.contains(control->geometry()), qPrintable(control->objectName()));
    }
    // One pixel less and the lowest, "Data being Dropped", would be cut.
    QCOMPARE(w.child("lblDataDrop")->geometry().bottom() + 1, shown.height());
}

void TestMainLayout::breakCharacterShowsWhole()
{
    Window w;
    w.start();
    QWidget *window = w.open("mnuBreakCharacter", "frmBreakCharacter");
    QVERIFY(window);
    // The widest token, from an empty hex number, in each mode.
    window->findChild<QAbstractButton *>(QStringLiteral("optHexFormat"))->click();
    QTest::keyClick(window->findChild<QWidget *>(QStringLiteral("txtInput1")), Qt::Key_Return);
    auto *selected = window->findChild<QLabel *>(QStringLiteral("lblBreakChar"));
    QCOMPARE(selected->text(), QStringLiteral("[NUL]"));
    for (const char *mode : {"optFunction", "optCharacter", "optHexFormat"}) {
        window->findChild<QAbstractButton *>(QLatin1String(mode))->click();
        QTRY_VERIFY2(cutText(selected, selected->text()).isEmpty(),
                     qPrintable(mode + QLatin1Char(' ') + cutText(selected, selected->text())));
    }
}

int main(int argc, char *argv[])
{
    QTemporaryDir config;
    QFile file(config.filePath(QStringLiteral("screens.json")));
    if (!config.isValid() || !file.open(QIODevice::WriteOnly))
        return 1;
    const QStringList dpi =
        qEnvironmentVariable("WIRELOOK_TEST_DPI", QStringLiteral("96")).split(QLatin1Char('/'));
    file.write(QStringLiteral(R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": 1280,
        "height": 1024, "logicalDpi": %1, "logicalBaseDpi": %2, "dpr": 1}]})")
                   .arg(dpi.first(), dpi.last())
                   .toLatin1());
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(file.fileName()));

    QApplication app(argc, argv);
    TestMainLayout test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainlayout.moc"
