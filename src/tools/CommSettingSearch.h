#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

class CommPort;
class DisplayModel;
struct DisplayColors;

// Rate and framing as the texts of the four settings boxes.
struct LineSettingTexts
{
    QString baud;
    QString parity;
    QString dataBits;
    QString stopBits;
};

// The search for an unknown device's line settings. It tries ten rates by
// five framings; for each it raises RTS, reopens the port with the rate
// (divided by the multiplier card) and framing, sends the probe SYN "C" CR,
// waits 0.3 s and looks at the display, which the receive path fills
// meanwhile. The display must then read the status line and one of the four
// known answers, nothing more. A found setting stays on the port and in the
// boxes; otherwise the user's settings are put back and the port reopened.
//
// The search is a state machine on the event loop: start() returns at once
// and each probe continues from a timer, so the window keeps working.
class CommSettingSearch : public QObject
{
    Q_OBJECT

public:
    static constexpr int ProbeCount = 50;
    static constexpr float ProbeWaitSeconds = 0.3f;

    // What the search needs of the main window.
    struct Window
    {
        std::function<bool()> portActive; // the port button is green
        std::function<int()> cardDivisor; // 1, 2 or 4
        std::function<void()> raiseRts;   // raises RTS and shows it on the RTS button
        std::function<LineSettingTexts()> settingTexts;
        std::function<void(const LineSettingTexts &)> setSettingTexts;
        std::function<void()> enableCommPort; // reopens the port with the boxes
        std::function<void(const QString &)> showMessage;
    };

    CommSettingSearch(Window window, CommPort &port, DisplayModel &display,
                      const DisplayColors &colors, QObject *parent = nullptr);

    // Starts a search; ignored while one runs. With the port not active it
    // only says so.
    void start();
    // Ends a running search without opening the port again: the user's
    // settings go back in the boxes, and finished(false) is emitted.
    void stop();
    bool isRunning() const { return m_probe >= 0; }
    // How many probes the running or last search made.
    int probesMade() const { return m_probesMade; }

signals:
    void finished(bool found);

private:
    void probe();
    void look();
    void showOnly(const QByteArray &text);
    void finish(bool found);

    Window m_window;
    CommPort &m_port;
    DisplayModel &m_display;
    const DisplayColors &m_colors;
    LineSettingTexts m_kept;
    QByteArray m_status;
    int m_probe = -1; // index of the probe under way; -1 while idle
    int m_search = 0; // bumped by stop(), so that the stopped search's wait is ignored
    int m_probesMade = 0;
};
