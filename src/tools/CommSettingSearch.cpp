#include "CommSettingSearch.h"

#include "CommPort.h"
#include "DisplayColors.h"
#include "DisplayModel.h"
#include "WaitSeconds.h"

#include <QTimer>

namespace {

// Outer loop.
const char *const Rates[] = {"115200", "57600", "56000", "38400", "28800",
                             "19200",  "14400", "9600",  "4800",  "2400"};

// Inner loop.
struct Framing
{
    const char *parity;
    const char *dataBits;
    const char *stopBits;
};
constexpr Framing Framings[] = {{"None", "8", "1"},
                                {"Even", "7", "1"},
                                {"Odd", "7", "1"},
                                {"Even", "7", "2"},
                                {"Odd", "7", "2"}};

constexpr int FramingCount = int(std::size(Framings));
static_assert(std::size(Rates) * FramingCount == CommSettingSearch::ProbeCount);

const QByteArray Probe("\026C\r"); // SYN "C" CR

// The answers ACK NAK and one of the pairs EE EF, 7E 7F, FE FF, DE DF, as the
// display shows them. 7E is the printable "~", so that answer shows as
// "[ACK][NAK]~[x7F]"; it is tried where "[ACK][NAK][x7E][x7F]" is, which
// stays accepted as well.
const char *const Answers[] = {"[ACK][NAK][xEE][xEF]", "[ACK][NAK][x7E][x7F]", "[ACK][NAK]~[x7F]",
                               "[ACK][NAK][xFE][xFF]", "[ACK][NAK][xDE][xDF]"};

LineSettingTexts settingOf(int probe)
{
    const Framing &framing = Framings[probe % FramingCount];
    return {QLatin1String(Rates[probe / FramingCount]), QLatin1String(framing.parity),
            QLatin1String(framing.dataBits), QLatin1String(framing.stopBits)};
}

} // namespace

CommSettingSearch::CommSettingSearch(Window window, CommPort &port, DisplayModel &display,
                                     const DisplayColors &colors, QObject *parent)
    : QObject(parent), m_window(std::move(window)), m_port(port), m_display(display),
      m_colors(colors)
{
}

void CommSettingSearch::start()
{
    if (isRunning())
        return;
    if (!m_window.portActive()) {
        m_window.showMessage(QStringLiteral("I don't have a port available to me."));
        return;
    }
    m_kept = m_window.settingTexts();
    m_status = "Searching.";
    m_probe = 0;
    m_probesMade = 0;
    probe();
}

void CommSettingSearch::probe()
{
    m_status += '.';
    showOnly(m_status + "\r\n");

    const LineSettingTexts setting = settingOf(m_probe);
    const int rate = setting.baud.toInt() / m_window.cardDivisor();
    const QString settings = QString::number(rate) + QLatin1Char(',') + setting.parity.left(1) +
                             QLatin1Char(',') + setting.dataBits + QLatin1Char(',') +
                             setting.stopBits;

    // RTS goes up before the reopen, and again on the reopened port, so that
    // the line agrees with the RTS button whatever the device does on open.
    m_window.raiseRts();
    if (m_port.PortOpen())
        m_port.setPortOpen(false);
    // A setting the port or device refuses leaves the port closed: no probe
    // goes out, and the wait finds nothing.
    if (m_port.setSettings(settings) == CommError::None &&
        m_port.setPortOpen(true) == CommError::None) {
        m_window.raiseRts();
        m_port.Output(Probe);
    }
    ++m_probesMade;

    WaitSeconds(ProbeWaitSeconds, this, [this, search = m_search] {
        // One more turn of the event loop, for what arrived at the last moment.
        QTimer::singleShot(0, this, [this, search] {
            if (search == m_search)
                look();
        });
    });
}

void CommSettingSearch::stop()
{
    if (!isRunning())
        return;
    ++m_search;
    m_window.setSettingTexts(m_kept);
    finish(false);
}

void CommSettingSearch::look()
{
    const QByteArray line = m_status + "\r\n";
    const qsizetype length = m_display.length();
    for (const char *answer : Answers) {
        const QByteArrayView expected(answer);
        if (length == line.size() + expected.size() &&
            m_display.textView(0, line.size()) == QByteArrayView(line) &&
            m_display.textView(line.size(), expected.size()) == expected) {
            m_display.putInDisplay("\r\nFound it!!!!", m_colors.xmitFunc, {});
            m_window.setSettingTexts(settingOf(m_probe));
            finish(true);
            return;
        }
    }
    if (++m_probe < ProbeCount) {
        probe();
        return;
    }
    showOnly("Sorry.... \r\nI failed to find anyone out there.");
    m_window.setSettingTexts(m_kept);
    m_window.enableCommPort();
    finish(false);
}

void CommSettingSearch::showOnly(const QByteArray &text)
{
    const DisplayModel::ChangeBatch batch(m_display);
    m_display.clear();
    m_display.putInDisplay(text, m_colors.xmitFunc, {});
}

void CommSettingSearch::finish(bool found)
{
    m_probe = -1;
    emit finished(found);
}
