#pragma once

#include "BackColor.h"
#include "FakeCommPort.h"
#include "LockKeys.h"
#include "TestServices.h"
#include "frmMain.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>
#include <memory>

// The display text shown in any of the colors.
inline QByteArray shownIn(const DisplayModel &model, std::initializer_list<quint32> colors)
{
    QByteArray text;
    for (qsizetype at = 0; at < model.length();) {
        const DisplayModel::ColorSpan span = model.colorSpanAt(at);
        if (std::find(colors.begin(), colors.end(), span.color) != colors.end())
            text += model.textView(at, span.end - at);
        at = span.end;
    }
    return text;
}

// Lock keys that the test sets; by default known and both off.
class FakeLockKeys : public LockKeys
{
public:
    FakeLockKeys(bool known = true, bool num = false, bool caps = false)
        : known(known), num(num), caps(caps)
    {
    }
    bool available() const override { return known; }
    bool numLock() const override { return num; }
    bool capsLock() const override { return caps; }
    bool known;
    bool num;
    bool caps;
};
using NoLockKeys = FakeLockKeys;

// The main window on a fake port, with recording services and a setup file
// in a folder of its own.
struct Window
{
    TestServices services;
    FakeCommPort *port = nullptr;
    FakeLockKeys *lockKeys = new FakeLockKeys; // owned by the window
    QTemporaryDir setupFolder;
    std::unique_ptr<frmMain> window;

    explicit Window(const std::function<void(FakeCommPort &)> &prepare = {})
    {
        auto fake = std::make_unique<FakeCommPort>();
        port = fake.get();
        if (prepare)
            prepare(*port);
        window = std::make_unique<frmMain>(services.services(), std::move(fake),
                                           std::unique_ptr<LockKeys>(lockKeys));
        window->setSetupFolder(setupFolder.path());
        window->setAddedOptionsFile(optionsPath());
    }

    // The window on a given fake port, such as one that plays a device.
    explicit Window(std::unique_ptr<FakeCommPort> fake) : port(fake.get())
    {
        window = std::make_unique<frmMain>(services.services(), std::move(fake),
                                           std::unique_ptr<LockKeys>(lockKeys));
    }

    QString optionsPath() const { return setupFolder.filePath(QStringLiteral("Wirelook.ini")); }

    // Runs the start-up sequence as the program does.
    void start(const QString &portText = QString()) { window->Form_Load(portText); }
    // Starts and waits until the window is active.
    bool load(const QString &portText = QString())
    {
        start(portText);
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }
    // Opens a secondary window from its menu item and waits until it is active.
    template <typename T = QWidget> T *open(const char *menuItem, const char *name)
    {
        action(menuItem)->trigger();
        T *opened = nullptr; // not one that was closed and awaits deletion
        for (T *candidate : window->findChildren<T *>(QLatin1String(name))) {
            if (candidate->isVisible())
                opened = candidate;
        }
        if (!opened || !QTest::qWaitForWindowExposed(opened))
            return nullptr;
        opened->activateWindow();
        return QTest::qWaitFor([opened] { return QApplication::activeWindow() == opened; })
                   ? opened
                   : nullptr;
    }

    template <typename T = QWidget> T *child(const char *name) const
    {
        T *found = window->findChild<T *>(QLatin1String(name));
        Q_ASSERT(found);
        return found;
    }
    QAction *action(const char *name) const { return child<QAction>(name); }
    QComboBox *box(const char *name) const { return child<QComboBox>(name); }
    QString text(const char *name) const
    {
        if (auto *button = window->findChild<QPushButton *>(QLatin1String(name)))
            return button->text();
        return child<QLabel>(name)->text();
    }
    quint32 color(const char *name) const { return BackColor::of(child(name)); }
    void useStyle(bool receiveInterrupts, bool fullStrings) const
    {
        action("mnuReceiveInterruptsAllowed")->setChecked(receiveInterrupts);
        action("mnuFullStrings")->setChecked(fullStrings);
    }
    // A small output queue that only empties when the test drains it.
    void holdQueue(int size) const
    {
        port->holdOutput = true;
        port->setOutBufferSize(size);
    }
    QByteArray display() const { return window->displayModel().text(); }
    QByteArray shownIn(quint32 color) const { return ::shownIn(window->displayModel(), {color}); }

    // Logs the session to a file in the setup folder; loggedEvents() stops
    // the log and reads back its event lines, without time or mark.
    bool startLog()
    {
        return window->startLogging(setupFolder.filePath(QStringLiteral("session.log")));
    }
    QStringList loggedEvents()
    {
        window->mnuLogToFile_Click();
        QFile file(setupFolder.filePath(QStringLiteral("session.log")));
        QStringList events;
        if (!file.open(QIODevice::ReadOnly))
            return events;
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (const qsizetype at = line.indexOf(" ! "); at >= 0)
                events.append(QString::fromLatin1(line.mid(at + 3).trimmed()));
        }
        return events;
    }
};
