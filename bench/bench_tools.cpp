// Tools benchmark: the window's answer time while a tool runs, and the time
// of a full settings search. The program's window, on the offscreen platform
// and the real serial backend, works against wirelook-devsim:
//
// 1. Find Comm Setting against a probe device that never answers (all 50
//    probes are made): the time from the menu click to the end of the search.
// 2. The compare test fed by the readings device (a reading every 500 ms,
//    every fifth one wrong).
//
// During both, a click on the RTS button and an arrow key on the display are
// posted in turn every 100 ms; the time from posting to the handler running
// is what the user waits for the window to react.
//
// Usage: bench_tools [path to wirelook-devsim]
#include "BenchSetup.h"
#include "CommSettingSearch.h"
#include "QtCommPort.h"
#include "SystemServices.h"
#include "frmMain.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

struct Device
{
    QProcess process;
    QString path;

    Device(const QString &devsim, const QStringList &arguments)
    {
        process.start(devsim, arguments);
        process.waitForReadyRead(5000);
        path = QString::fromLocal8Bit(process.readLine().trimmed());
    }
    ~Device()
    {
        process.terminate();
        process.waitForFinished(5000);
    }
};

// Posts a click and a key in turn and records how long each waited.
class Poker : public QObject
{
public:
    Poker(QPushButton *button, QWidget *display) : m_button(button), m_display(display)
    {
        connect(button, &QPushButton::clicked, this, [this] { record(m_clicks); });
        display->installEventFilter(this);
        m_timer.setInterval(100);
        connect(&m_timer, &QTimer::timeout, this, &Poker::post);
    }
    void start() { m_timer.start(); }
    void stop() { m_timer.stop(); }
    void report(const char *what) const
    {
        std::printf("  %s: %s; %s (goal < 100 ms)\n", what, summary("clicks", m_clicks).c_str(),
                    summary("keys", m_keys).c_str());
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && m_keyPosted)
            record(m_keys);
        return false;
    }

private:
    void post()
    {
        m_posted.start();
        if (m_nextIsKey) {
            m_keyPosted = true;
            QCoreApplication::postEvent(
                m_display, new QKeyEvent(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier));
            QCoreApplication::postEvent(
                m_display, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Left, Qt::NoModifier));
        } else {
            const QPointF centre = QRectF(m_button->rect()).center();
            for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
                QCoreApplication::postEvent(
                    m_button, new QMouseEvent(
                                  type, centre, m_button->mapToGlobal(centre), Qt::LeftButton,
                                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                  Qt::NoModifier));
        }
        m_nextIsKey = !m_nextIsKey;
    }
    void record(QList<double> &into)
    {
        into.append(double(m_posted.nsecsElapsed()) / 1e6);
        m_keyPosted = false;
    }
    static std::string summary(const char *what, QList<double> values)
    {
        std::sort(values.begin(), values.end());
        char text[120];
        std::snprintf(text, sizeof text, "%lld %s, worst %.1f ms, median %.1f ms",
                      static_cast<long long>(values.size()), what, values.value(values.size() - 1),
                      values.value(values.size() / 2));
        return text;
    }

    QPushButton *m_button;
    QWidget *m_display;
    QTimer m_timer;
    QElapsedTimer m_posted;
    bool m_nextIsKey = false;
    bool m_keyPosted = false;
    QList<double> m_clicks;
    QList<double> m_keys;
};

} // namespace

int main(int argc, char *argv[])
{
    BenchSetup::offscreenByDefault();
    QApplication app(argc, argv);
    const QString devsim = BenchSetup::devsimPath(argc, argv, 1);

    SystemServices services;
    frmMain window(services.services(), std::make_unique<QtCommPort>());
    auto *rts = window.findChild<QPushButton *>(QStringLiteral("cmdRTSstate"));
    auto *display = window.findChild<QWidget *>(QStringLiteral("rtbDisplay"));
    auto *search = window.findChild<CommSettingSearch *>();
    const auto action = [&](const char *name) {
        return window.findChild<QAction *>(QLatin1String(name));
    };

    // 1. A full search: the device is at a rate the search never tries.
    {
        Device silent(devsim, {"probe", "--baud", "1200"});
        window.Form_Load(silent.path);
        Poker poker(rts, display);
        QElapsedTimer clock;
        double seconds = 0;
        QObject::connect(search, &CommSettingSearch::finished, &app, [&] {
            seconds = double(clock.nsecsElapsed()) / 1e9;
            app.quit();
        });
        clock.start();
        action("mnuFindCommSetting")->trigger();
        poker.start();
        QTimer::singleShot(60000, &app, &QApplication::quit);
        app.exec();
        poker.stop();
        std::printf("Find Comm Setting, nothing found\n");
        std::printf("  %d probes in %.3f s, %.1f ms a probe (goal <= %.1f s: 50 x 0.3 s + 10%%)\n",
                    search->probesMade(), seconds, 1000 * seconds / search->probesMade(),
                    CommSettingSearch::ProbeCount * CommSettingSearch::ProbeWaitSeconds * 1.1);
        poker.report("while searching");
        if (search->isRunning() || search->probesMade() != CommSettingSearch::ProbeCount)
            return 1;
    }

    // 2. The compare test on readings for 10 s.
    {
        Device readings(devsim, {"readings", "--interval-ms", "500", "--bad-every", "5"});
        window.findChild<QComboBox *>(QStringLiteral("cboPortNumber"))->setEditText(readings.path);
        window.EnableCommPort();
        action("mnuCompareTest")->trigger();
        Poker poker(rts, display);
        // The standard is the first whole reading after a clear display.
        QTimer watch;
        bool standardSet = false;
        window.cmdClearScreen_Click();
        QObject::connect(&watch, &QTimer::timeout, &app, [&] {
            if (!standardSet && window.displayModel().text().endsWith("[LF ]")) {
                standardSet = true;
                window.cmdSetStandard_Click();
                poker.start();
                QTimer::singleShot(10000, &app, &QApplication::quit);
            }
        });
        watch.start(5);
        app.exec();
        poker.stop();
        const QString good = window.findChild<QLabel *>(QStringLiteral("lblGoodCount"))->text();
        const QString bad = window.findChild<QLabel *>(QStringLiteral("lblBadCount"))->text();
        std::printf("Compare test, a reading every 500 ms, every fifth wrong, for 10 s\n");
        std::printf("  counted %s good, %s bad\n", qPrintable(good), qPrintable(bad));
        poker.report("while testing");
    }
    return 0;
}
