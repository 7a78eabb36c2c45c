#include "CommandLine.h"

#include "Log.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <cstdio>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

struct ModeInfo
{
    Config::Mode mode;
    QString name;
    QString summary;
    QString description;
};

const QString kGeneral = QStringLiteral(
    "Plays a serial device on a pseudo-terminal, so that Wirelook can be run without hardware.\n"
    "Prints the device path the terminal should open as the first line on stdout and runs\n"
    "until SIGINT or SIGTERM.\n"
    "\n"
    "Modes:\n"
    "  echo      sends back what it receives\n"
    "  probe     answers the settings probe while the line settings match\n"
    "  readings  sends a reading again and again at an interval\n"
    "  flood     sends a block of bytes as fast as the terminal takes them\n"
    "\n"
    "Run 'wirelook-devsim MODE --help' for the options of a mode.");

const QList<ModeInfo> &modes()
{
    static const QList<ModeInfo> list = {
        {Config::Mode::Echo, QStringLiteral("echo"), QStringLiteral("Sends back what it receives."),
         QStringLiteral("Sends back every byte it receives, unchanged.")},
        {Config::Mode::Probe, QStringLiteral("probe"),
         QStringLiteral("Answers the settings probe."),
         QStringLiteral(
             "Answers the settings probe SYN \"C\" CR (hex 16 43 0D) with ACK NAK and a byte\n"
             "pair, but only while the terminal's line settings match --baud, --parity and\n"
             "--stop.\n"
             "\n"
             "The settings are read from the pseudo-terminal, which keeps only part of them:\n"
             "the rate (arbitrary rates too), the stop bits and the odd, mark and space parity\n"
             "flags. Linux forces 8 data bits and clears the parity-enable flag on a\n"
             "pseudo-terminal, so parity None and Even look alike, and the data bits cannot be\n"
             "compared at all.")},
        {Config::Mode::Readings, QStringLiteral("readings"),
         QStringLiteral("Sends a reading at an interval."),
         QStringLiteral(
             "Sends --text and the line end every --interval-ms milliseconds while the terminal\n"
             "has the port open; readings that fall while it is closed are lost, as on a real\n"
             "line. With --bad-every N every Nth reading sent is --bad-text instead.")},
        {Config::Mode::Flood, QStringLiteral("flood"),
         QStringLiteral("Sends a block of bytes as fast as possible."),
         QStringLiteral(
             "Sends --bytes bytes as fast as the terminal reads them, reports the count and the\n"
             "rate (MB = 10^6 bytes) on stderr, and exits when the terminal closes the port.\n"
             "The bytes are lines of printable characters ending in CR LF; the mixed kind adds\n"
             "about 2% control bytes (never ESC) and 0.5% bytes 0x80-0xFF. The last line is a\n"
             "visible end marker with the byte count and the CRC-32 of all bytes before it.")},
    };
    return list;
}

// Reads option values, keeping the first error.
class Values
{
public:
    explicit Values(const QCommandLineParser &parser) : m_parser(parser) {}

    qint64 number(const QCommandLineOption &option, qint64 min, qint64 max)
    {
        bool ok = false;
        const QString text = value(option);
        const qint64 n = text.toLongLong(&ok);
        if (ok && n >= min && n <= max)
            return n;
        fail(option, QStringLiteral("a whole number from %1 to %2").arg(min).arg(max));
        return min;
    }

    // A byte count with an optional suffix K, M or G (powers of 1024).
    qint64 size(const QCommandLineOption &option)
    {
        QString text = value(option).trimmed().toUpper();
        qint64 unit = 1;
        const QString suffixes = QStringLiteral("KMG");
        if (!text.isEmpty() && suffixes.contains(text.back())) {
            unit = qint64(1) << (10 * (suffixes.indexOf(text.back()) + 1));
            text.chop(1);
        }
        bool ok = false;
        const qint64 n = text.toLongLong(&ok);
        if (ok && n > 0 && n <= std::numeric_limits<qint64>::max() / unit)
            return n * unit;
        fail(option, QStringLiteral("a byte count such as 4096, 64K or 16M"));
        return 1;
    }

    QByteArray latin1(const QCommandLineOption &option)
    {
        const QString text = value(option);
        for (const QChar c : text) {
            if (c.unicode() > 0xFF) {
                fail(option, QStringLiteral("Latin-1 text"));
                break;
            }
        }
        return text.toLatin1();
    }

    // The index of the value in choices, compared without case.
    int choice(const QCommandLineOption &option, const QStringList &choices)
    {
        const int index = choices.indexOf(value(option).toLower());
        if (index < 0)
            fail(option, QStringLiteral("one of ") + choices.join(u", "));
        return std::max(index, 0);
    }

    QByteArray bytePair(const QCommandLineOption &option)
    {
        const QString text = value(option);
        static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]{4}$"));
        if (!hex.match(text).hasMatch())
            fail(option, QStringLiteral("four hex digits such as EEEF"));
        return QByteArray::fromHex(text.toLatin1());
    }

    QString error;

private:
    QString value(const QCommandLineOption &option) const { return m_parser.value(option); }

    void fail(const QCommandLineOption &option, const QString &expected)
    {
        if (error.isEmpty())
            error = QStringLiteral("--%1: expected %2, got '%3'")
                        .arg(option.names().constFirst(), expected, value(option));
    }

    const QCommandLineParser &m_parser;
};

QCommandLineOption option(const QString &name, const QString &description,
                          const QString &valueName = {}, const QString &defaultValue = {})
{
    const QString shown =
        defaultValue.isEmpty() ? description : description + u" Default: "_s + defaultValue + u'.';
    return QCommandLineOption(name, shown, valueName, defaultValue);
}

} // namespace

std::optional<Config> parseCommandLine(const QStringList &arguments, int *exitCode)
{
    *exitCode = 1;
    QCommandLineParser parser;
    parser.setApplicationDescription(kGeneral);
    const QCommandLineOption help = parser.addHelpOption();
    const auto link = option(
        QStringLiteral("link"),
        QStringLiteral("Also make PATH a symbolic link to the device; it is removed at exit."),
        QStringLiteral("PATH"));
    const auto verbose =
        option(QStringLiteral("verbose"), QStringLiteral("Log what happens on stderr."));
    const auto exitOnClose =
        option(QStringLiteral("exit-on-close"),
               QStringLiteral("Exit when the terminal closes the device after opening it."));
    parser.addOptions({link, verbose, exitOnClose});
    parser.addPositionalArgument(QStringLiteral("mode"),
                                 QStringLiteral("echo, probe, readings or flood."));

    // A first pass finds the mode, whose options the second pass knows.
    parser.parse(arguments);
    const QString modeName = parser.positionalArguments().value(0);
    const ModeInfo *mode = nullptr;
    for (const ModeInfo &candidate : modes()) {
        if (candidate.name == modeName)
            mode = &candidate;
    }

    const auto baud = option(QStringLiteral("baud"), QStringLiteral("The device's rate."),
                             QStringLiteral("N"), QStringLiteral("9600"));
    const auto parity =
        option(QStringLiteral("parity"), QStringLiteral("The device's parity: N, E, O, M or S."),
               QStringLiteral("P"), QStringLiteral("N"));
    const auto stop = option(QStringLiteral("stop"), QStringLiteral("Stop bits: 1 or 2."),
                             QStringLiteral("N"), QStringLiteral("1"));
    const auto pair = option(
        QStringLiteral("pair"),
        QStringLiteral("The two bytes after ACK NAK, as four hex digits. The settings search "
                       "accepts EEEF, 7E7F, FEFF and DEDF."),
        QStringLiteral("HEX"), QStringLiteral("EEEF"));
    const auto text = option(QStringLiteral("text"), QStringLiteral("The reading, plain text."),
                             QStringLiteral("TEXT"), QStringLiteral("+0012.34 kg"));
    const auto badText = option(QStringLiteral("bad-text"), QStringLiteral("The wrong reading."),
                                QStringLiteral("TEXT"), QStringLiteral("+0099.99 kg"));
    const auto eol = option(QStringLiteral("eol"),
                            QStringLiteral("Line end after each reading: crlf, cr, lf or none."),
                            QStringLiteral("END"), QStringLiteral("crlf"));
    const auto interval =
        option(QStringLiteral("interval-ms"), QStringLiteral("Milliseconds between readings."),
               QStringLiteral("MS"), QStringLiteral("1000"));
    const auto badEvery = option(QStringLiteral("bad-every"),
                                 QStringLiteral("Send the wrong reading every Nth time; 0: never."),
                                 QStringLiteral("N"), QStringLiteral("0"));
    const auto echo =
        option(QStringLiteral("echo"), QStringLiteral("Also send back what is received."));
    const auto bytes = option(QStringLiteral("bytes"),
                              QStringLiteral("How many bytes; suffixes K, M, G (1024 based)."),
                              QStringLiteral("SIZE"), QStringLiteral("1M"));
    const auto mix = option(QStringLiteral("mix"),
                            QStringLiteral("mixed: with control and high bytes; text: without."),
                            QStringLiteral("KIND"), QStringLiteral("mixed"));
    const auto seed = option(QStringLiteral("seed"), QStringLiteral("Seed of the bytes."),
                             QStringLiteral("N"), QStringLiteral("1"));
    const auto waitOpen =
        option(QStringLiteral("wait-open"),
               QStringLiteral("on: start when the terminal opens the device; off: start at "
                              "once, the pseudo-terminal holding what it can until then."),
               QStringLiteral("on|off"), QStringLiteral("on"));
    const auto startDelay =
        option(QStringLiteral("start-delay-ms"), QStringLiteral("Wait this long before starting."),
               QStringLiteral("MS"), QStringLiteral("0"));
    const auto vanishAfter = option(
        QStringLiteral("vanish-after"),
        QStringLiteral("After sending SIZE bytes (suffixes K, M, G), close the pseudo-terminal "
                       "as if the device were unplugged, and exit: the terminal's reads fail "
                       "and the device path disappears."),
        QStringLiteral("SIZE"));
    const auto vanishDelay = option(
        QStringLiteral("vanish-delay-ms"),
        QStringLiteral("Time between the last byte and the close, for the terminal to read it; "
                       "what it has not read by then is lost."),
        QStringLiteral("MS"), QStringLiteral("200"));

    if (mode) {
        parser.setApplicationDescription(mode->description);
        parser.clearPositionalArguments();
        parser.addPositionalArgument(mode->name, mode->summary);
        switch (mode->mode) {
        case Config::Mode::Echo:
            break;
        case Config::Mode::Probe:
            parser.addOptions({baud, parity, stop, pair});
            break;
        case Config::Mode::Readings:
            parser.addOptions(
                {text, eol, interval, badEvery, badText, echo, vanishAfter, vanishDelay});
            break;
        case Config::Mode::Flood:
            parser.addOptions({bytes, mix, seed, waitOpen, startDelay, vanishAfter, vanishDelay});
            break;
        }
    }

    const bool parsed = parser.parse(arguments);
    if (parser.isSet(help) || parser.isSet(u"help-all"_s)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        *exitCode = 0;
        return std::nullopt;
    }
    QString error = parsed ? QString() : parser.errorText();
    if (error.isEmpty() && !mode) {
        error = modeName.isEmpty() ? QStringLiteral("no mode given")
                                   : QStringLiteral("unknown mode '%1'").arg(modeName);
    }
    if (error.isEmpty() && parser.positionalArguments().size() > 1)
        error = QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments()[1]);
    if (!error.isEmpty()) {
        Log::error(error + QStringLiteral(" (see --help)"));
        return std::nullopt;
    }

    Config config;
    config.mode = mode->mode;
    config.link = parser.value(link);
    config.verbose = parser.isSet(verbose);
    config.exitOnClose = parser.isSet(exitOnClose);

    Values values(parser);
    const auto readVanish = [&] {
        if (parser.isSet(vanishAfter))
            config.vanishAfter = values.size(vanishAfter);
        config.vanishDelay = std::chrono::milliseconds(values.number(vanishDelay, 0, 3600000));
    };
    switch (config.mode) {
    case Config::Mode::Echo:
        break;
    case Config::Mode::Probe: {
        const auto rate = quint32(values.number(baud, 1, std::numeric_limits<quint32>::max()));
        // In the order of Parity.
        const int parityIndex = values.choice(parity, {u"n"_s, u"e"_s, u"o"_s, u"m"_s, u"s"_s});
        const int stopBits = int(values.number(stop, 1, 2));
        config.probeSettings = LineSettings::expected(rate, Parity(parityIndex), stopBits);
        config.probePair = values.bytePair(pair);
        break;
    }
    case Config::Mode::Readings: {
        static const QList<QByteArray> ends = {"\r\n", "\r", "\n", ""};
        const QByteArray end = ends[values.choice(eol, {u"crlf"_s, u"cr"_s, u"lf"_s, u"none"_s})];
        config.readings.reading = values.latin1(text) + end;
        config.readings.badReading = values.latin1(badText) + end;
        config.readings.interval = std::chrono::milliseconds(values.number(interval, 1, 3600000));
        config.readings.badEvery = int(values.number(badEvery, 0, 1000000));
        config.readings.echo = parser.isSet(echo);
        readVanish();
        break;
    }
    case Config::Mode::Flood: {
        config.flood.bytes = values.size(bytes);
        config.flood.mix = Payload::Mix(values.choice(mix, {u"mixed"_s, u"text"_s}));
        config.flood.seed = quint64(values.number(seed, 0, std::numeric_limits<qint64>::max()));
        config.flood.waitOpen = values.choice(waitOpen, {u"on"_s, u"off"_s}) == 0;
        config.flood.startDelay = std::chrono::milliseconds(values.number(startDelay, 0, 3600000));
        const qint64 minimum = Payload::minimumSize(config.flood.bytes, config.flood.mix);
        if (values.error.isEmpty() && config.flood.bytes < minimum)
            values.error =
                QStringLiteral("--bytes: at least %1 to hold the end marker").arg(minimum);
        readVanish();
        break;
    }
    }
    if (!values.error.isEmpty()) {
        Log::error(values.error);
        return std::nullopt;
    }
    *exitCode = 0;
    return config;
}
