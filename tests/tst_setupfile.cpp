#include "ColorValue.h"
#include "ScratchFiles.h"
#include "SetupFile.h"
#include "SetupFormat.h"
#include "UnusualSetup.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace {

// The named colors and their values.
const std::pair<const char *, quint32> NamedColors[] = {{"White", 16777215},
                                                        {"Black", 0},
                                                        {"Red", 255},
                                                        {"Green", 65280},
                                                        {"Yellow", 65535},
                                                        {"Blue", 16711680},
                                                        {"Dark Blue", 0x8000000D},
                                                        {"Magenta", 16711935},
                                                        {"Cyan", 16776960},
                                                        {"Dark Gray", 0x80000011},
                                                        {"Light Gray", 0x8000000F}};

// The unusual setup's file with the lines from number first (from 1) on replaced by texts.
QByteArray withLines(int first, const QByteArrayList &texts)
{
    QByteArrayList lines = SetupFormat::write(unusualSetup()).split('\n');
    for (qsizetype i = 0; i < texts.size(); ++i)
        lines[first - 1 + i] = texts[i] + '\r';
    return lines.join('\n');
}

// The unusual setup's file cut short after count lines.
QByteArray firstLines(int count)
{
    return SetupFormat::write(unusualSetup()).split('\n').first(count).join('\n') + '\n';
}

// The check marks before a restore: the menus' initial states, but for a
// quadrupler card, so that kept, read and default marks all differ.
const SetupOptions Before = optionsOf("FFTTFFFTT");

void setWritable(const QString &path, bool writable)
{
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner |
                                    (writable ? QFile::WriteOwner : QFile::Permissions()));
}

// A folder that takes no new file, holding a file anyone may write, for an
// ordinary user (see OrdinaryUserFiles).
void shutFolder(const QString &root, const QString &folder, const QString &file)
{
    const QFile::Permissions readAndSearch = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                             QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup;
    QFile::setPermissions(root, readAndSearch | QFile::WriteOwner);
    QFile::setPermissions(folder, readAndSearch);
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther |
                                    QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup);
}

} // namespace

class TestSetupFile : public QObject
{
    Q_OBJECT

private slots:
    void defaultSetupFile();
    void roundTrip();
    void reading_data();
    void reading();
    void arbitraryBytes();
    void chooseFolder_data();
    void chooseFolder();
    void saving_data();
    void saving();
    void whatIsNoFileIsNotReplaced_data();
    void whatIsNoFileIsNotReplaced();
};

void TestSetupFile::defaultSetupFile()
{
    QByteArray expected = "Revision: 1.3.00\r\n"
                          "Sample String Set\r\n"
                          "Here is a string example[CR]\r\n"
                          "Here is another.... [0x80][x0d]\r\n" +
                          QByteArray(10, '\r').replace("\r", "\r\n");
    for (int set = 2; set <= 10; ++set)
        expected += "String Set Number " + QByteArray::number(set) + "\r\n" +
                    QByteArray(12, '\r').replace("\r", "\r\n");
    expected += " 0 \r\n1\r\n9600\r\nNone\r\n8\r\n1\r\n0-none\r\n"
                "Light Gray\r\nYellow\r\nGreen\r\nMagenta\r\nDark Blue\r\n[CR ]\r\n"
                "False\r\nFalse\r\nTrue\r\nTrue\r\nFalse\r\nTrue\r\nFalse\r\nFalse\r\nTrue\r\n";
    QCOMPARE(SetupFormat::write(LastSetup()), expected);
}

void TestSetupFile::roundTrip()
{
    // Every flag combination, every named color in every place by its name, a value
    // with a line break (kept on one line: as tokens in a string, as a blank elsewhere).
    for (int combination = 0; combination < 512; ++combination) {
        LastSetup setup = unusualSetup();
        char letters[10] = {};
        for (int bit = 0; bit < 9; ++bit)
            letters[bit] = (combination & (1 << bit)) ? 'T' : 'F';
        setup.options = optionsOf(letters);
        const auto color = [combination](int place) {
            return NamedColors[(combination + place) % 11].second;
        };
        setup.colors = {color(0), color(1), color(2), color(3), color(4)};
        setup.strings.setCurrentSet(combination % 11);

        const QByteArray file = SetupFormat::write(setup);
        const QByteArrayList lines = file.split('\n');
        for (int place = 0; place < 5; ++place)
            QCOMPARE(lines[138 + place],
                     QByteArray(NamedColors[(combination + place) % 11].first) + '\r');
        const SetupFormat::Reading reading = SetupFormat::read(file, Before);
        QVERIFY2(reading.restored, letters);
        QCOMPARE(reading.setup, setup);
        QCOMPARE(SetupFormat::write(reading.setup), file);
    }

    LastSetup broken = unusualSetup();
    broken.strings.setString(2, 3, "two\r\nlines");
    broken.strings.setName(4, "name\non two lines");
    const SetupFormat::Reading reading = SetupFormat::read(SetupFormat::write(broken), Before);
    QVERIFY(reading.restored);
    QCOMPARE(reading.setup.strings.typed(2, 3), QByteArray("two[CR][LF]lines"));
    QCOMPARE(reading.setup.strings.name(4), QByteArray("name on two lines"));
}

void TestSetupFile::reading_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("restored");
    QTest::addColumn<int>("currentSet");
    QTest::addColumn<quint32>("xmitCharColor");
    QTest::addColumn<QByteArray>("options");
    QTest::addColumn<QString>("panel");

    const QByteArray file = SetupFormat::write(unusualSetup());
    const quint32 cyan = ColorValue::Cyan;
    const quint32 green = ColorValue::Green; // the default
    // Restored: the file's values, and the restore's own multiplier texts.
    const auto restored = [&](const char *name, const QByteArray &bytes, int set = 9,
                              quint32 color = ColorValue::Cyan, const char *options = "TTFFTFTTF",
                              const char *panel = "Doubler Card") {
        QTest::newRow(name) << bytes << true << set << color << QByteArray(options)
                            << QString::fromLatin1(panel);
    };
    // Fallen back: the default setup, with the marks read before the failure.
    const auto fallBack = [&](const char *name, const QByteArray &bytes, const char *options) {
        QTest::newRow(name) << bytes << false << 0 << green << QByteArray(options)
                            << QStringLiteral("No Multiplier Card");
    };
    const char *const nothingRead = "FFTTFTFFT";
    const char *const allRead = "TTFFTTFFF";

    restored("valid", file);
    restored("lines after 153 ignored", file + "Revision: 0\r\nFalse\r\n");
    restored("LF line ends", QByteArray(file).replace("\r\n", "\n"));
    restored("CR line ends", QByteArray(file).replace("\r\n", "\r"));
    fallBack("empty file", QByteArray(), nothingRead);
    fallBack("earlier revision", withLines(1, {"Revision: 1.2.18"}), nothingRead);
    fallBack("ends after line 144", firstLines(144), nothingRead);
    fallBack("ends after line 152", firstLines(152), "TTFFTTFFT");

    fallBack("flag number followed by text", withLines(153, {"1 x"}), "TTFFTTFFT");
    restored("flags in any case", withLines(145, {"tRUE", "TRUE", "false", "FaLsE", " true ",
                                                  "false", "True", "true", "FALSE"}));
    restored("flags as numbers",
             withLines(145, {"1", " -1 ", "0", "0.0", "2.5", "0", "7", "1e3", "-0"}));

    restored("set ' 3 '", withLines(132, {" 3 "}), 3);
    restored("set '2.5' rounds to even", withLines(132, {"2.5"}), 2);
    restored("set '3.5' rounds to even", withLines(132, {"3.5"}), 4);
    restored("set without a number", withLines(132, {"set"}), 0);
    restored("set 10, the spare set", withLines(132, {" 10 "}), 10);
    fallBack("set 11", withLines(132, {" 11 "}), allRead);
    fallBack("set -1", withLines(132, {"-1 "}), allRead);
    fallBack("set beyond 16 bits", withLines(132, {"32768"}), nothingRead);

    restored("color in other case", withLines(141, {"red"}), 9, ColorValue::Black);

    // The card lines: single, doubler, quadrupler.
    restored("all three cards", withLines(150, {"True", "True", "True"}), 9, cyan, "TTFFTTTTF",
             "No Mulitplier Card");
    restored("quadrupler card", withLines(150, {"False", "False", "True"}), 9, cyan, "TTFFTFFTF",
             "Quadupler Card");
    restored("no card", withLines(150, {"False", "False", "False"}), 9, cyan, "TTFFTFFFF", "???");
}

void TestSetupFile::reading()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, restored);
    QFETCH(int, currentSet);
    QFETCH(quint32, xmitCharColor);
    QFETCH(QByteArray, options);
    QFETCH(QString, panel);

    const SetupFormat::Reading reading = SetupFormat::read(file, Before);
    QCOMPARE(reading.restored, restored);
    LastSetup expected = restored ? unusualSetup() : LastSetup();
    expected.strings.setCurrentSet(currentSet);
    expected.colors.xmitChar = xmitCharColor;
    expected.options = optionsOf(options);
    QCOMPARE(reading.setup, expected);
    QCOMPARE(reading.multiplierPanel, panel);
}

void TestSetupFile::arbitraryBytes()
{
    QRandomGenerator random(8);
    const QByteArray valid = SetupFormat::write(unusualSetup());
    int restoredCount = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = valid;
        for (int changes = 1 + random.bounded(4); changes > 0 && !bytes.isEmpty(); --changes) {
            const qsizetype at = random.bounded(bytes.size());
            const char byte = "\r\n0 -.9TtFx\xFF"[random.bounded(13)];
            if (const int how = random.bounded(4); how == 0)
                bytes[at] = byte;
            else if (how == 1)
                bytes.insert(at, byte);
            else if (how == 2)
                bytes.truncate(at);
            else
                bytes[at] = char(random.bounded(256));
        }

        const SetupFormat::Reading reading = SetupFormat::read(bytes, Before);
        if (reading.restored) {
            ++restoredCount;
            const SetupFormat::Reading again =
                SetupFormat::read(SetupFormat::write(reading.setup), Before);
            QVERIFY(again.restored);
            QCOMPARE(again.setup, reading.setup);
        } else {
            LastSetup defaults;
            defaults.options = reading.setup.options;
            QCOMPARE(reading.setup, defaults);
            QVERIFY(defaults.options.single && !defaults.options.doubler &&
                    !defaults.options.quadruple);
        }
    }
    // Both outcomes were exercised.
    QVERIFY(restoredCount > 100 && restoredCount < 2900);
}

void TestSetupFile::chooseFolder_data()
{
    QTest::addColumn<bool>("programFolderWritable");
    QTest::addColumn<bool>("fileThere");
    QTest::addColumn<bool>("installed"); // the desktop entry in ../share/applications
    QTest::addColumn<bool>("programFolderChosen");
    QTest::newRow("writable folder") << true << false << false << true;
    QTest::newRow("read-only folder") << false << false << false << false;
    QTest::newRow("read-only folder with a setup file") << false << true << false << true;
    // An installed program keeps the setup per user, also where root can
    // write the program's folder or has left a file there.
    QTest::newRow("installed, writable folder with a setup file") << true << true << true << false;
}

void TestSetupFile::chooseFolder()
{
    QFETCH(bool, programFolderWritable);
    QFETCH(bool, fileThere);
    QFETCH(bool, installed);
    QFETCH(bool, programFolderChosen);
    QTemporaryDir prefix;
    const QDir program(prefix.filePath(QStringLiteral("bin")));
    const QString user = prefix.filePath(QStringLiteral("user"));
    QVERIFY(program.mkpath(QStringLiteral(".")));
    if (fileThere)
        QVERIFY(writeFile(program.filePath(QStringLiteral("LastSetup.txt")), {}));
    if (installed) {
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("share/applications")));
        QVERIFY(writeFile(prefix.filePath("share/applications/org.wirelook.Wirelook.desktop"), {}));
    }
    setWritable(program.path(), programFolderWritable);
    QCOMPARE(SetupFile::chooseFolder(program.path(), user),
             programFolderChosen ? program.path() : user);
    setWritable(program.path(), true);
    QCOMPARE(SetupFile::chooseFolder(program.filePath(QStringLiteral("missing")), user), user);
}

void TestSetupFile::saving_data()
{
    QTest::addColumn<QByteArray>("before"); // null: no file
    QTest::addColumn<QString>("situation");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<bool>("kept"); // the file before is kept beside as the backup

    const QByteArray valid = SetupFormat::write(LastSetup());
    const auto row = [](const char *name, const QByteArray &before, const char *situation,
                        bool saved, bool kept) {
        QTest::newRow(name) << before << QString::fromLatin1(situation) << saved << kept;
    };
    row("no folder yet", QByteArray(), "", true, false);
    row("read-only folder without the file", QByteArray(), "read-only folder", false, false);
    row("disk full", valid, "disk full", false, false);
    // Written in place, as the new file beside it cannot be made.
    row("valid file in a read-only folder", valid, "shut folder", true, false);
    row("damaged file", firstLines(140), "", true, true);
    row("empty file", "", "", true, false);
    // Not kept, not replaced.
    row("damaged file, no room beside it", firstLines(140), "shut folder", false, false);
}

void TestSetupFile::saving()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, situation);
    QFETCH(bool, saved);
    QFETCH(bool, kept);
    QTemporaryDir temporary;
    std::optional<ScratchFiles> scratch;
    if (situation == QLatin1String("disk full")) {
        scratch.emplace(64 * 1024);
        if (*scratch->why())
            QSKIP(scratch->why());
    }
    const QString root = scratch ? scratch->path() : temporary.path();
    const QString folder = root + QStringLiteral("/config/wirelook");
    const SetupFile file(folder);
    QCOMPARE(file.path(), folder + QStringLiteral("/LastSetup.txt"));
    QCOMPARE(file.backupPath(), folder + QStringLiteral("/LastSetup.txt.bak"));
    if (!before.isNull() || !situation.isEmpty())
        QVERIFY(QDir().mkpath(folder));
    if (!before.isNull())
        QVERIFY(writeFile(file.path(), before));

    std::optional<OrdinaryUserFiles> user;
    if (situation == QLatin1String("shut folder")) {
        shutFolder(root, folder, file.path());
        user.emplace();
    } else if (situation == QLatin1String("disk full")) {
        QVERIFY(scratch->fill());
    } else if (!situation.isEmpty()) {
        setWritable(folder, false);
    }
    const bool result = file.save(unusualSetup());
    user.reset();
    setWritable(folder, true);
    QCOMPARE(result, saved);
    const QByteArray none("(none)");
    QCOMPARE(contentOf(file.path()), saved             ? SetupFormat::write(unusualSetup())
                                     : before.isNull() ? none
                                                       : before);
    QCOMPARE(contentOf(file.backupPath()), kept ? before : none);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(),
             int(saved || !before.isNull()) + int(kept));
}

void TestSetupFile::whatIsNoFileIsNotReplaced_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<char>("kind");
    // A pipe would hold the start-up until something writes to it.
    QTest::newRow("a pipe") << "pipe" << false << 'p';
    // The usual way to keep a program from writing a file.
    QTest::newRow("a link to the null device") << "/dev/null" << true << 'c';
}

void TestSetupFile::whatIsNoFileIsNotReplaced()
{
    QFETCH(QString, target);
    QFETCH(bool, saved);
    QFETCH(char, kind);
    QTemporaryDir folder;
    const SetupFile setup(folder.path());
    const bool link = target.startsWith(QLatin1Char('/'));
    if (link)
        QVERIFY(QFile::link(target, setup.path()));
    else
        QCOMPARE(::mkfifo(QFile::encodeName(setup.path()).constData(), 0666), 0);
    QVERIFY(!setup.restore(Before).restored);
    QCOMPARE(setup.save(unusualSetup()), saved);
    QCOMPARE(fileKind(setup.path()), kind);
    QCOMPARE(QFileInfo(setup.path()).isSymLink(), link);
    QCOMPARE(QDir(folder.path())
                 .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("LastSetup.txt")});
}

QTEST_GUILESS_MAIN(TestSetupFile)
#include "tst_setupfile.moc"
