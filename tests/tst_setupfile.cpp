#include "ColorValue.h"
#include "GeneralUtilities.h"
#include "ScratchFiles.h"
#include "SetupFile.h"
#include "SetupFormat.h"
#include "UnusualSetup.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
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

QList<QByteArray> linesOf(const QByteArray &file)
{
    QList<QByteArray> lines = file.split('\n');
    lines.removeLast();
    for (QByteArray &line : lines)
        line.chop(1);
    return lines;
}

QByteArray fileOf(const QList<QByteArray> &lines)
{
    QByteArray file;
    for (const QByteArray &line : lines)
        file += line + "\r\n";
    return file;
}

// The unusual setup's file with line number (from 1) replaced by text.
QByteArray withLine(int number, const QByteArray &text)
{
    QList<QByteArray> lines = linesOf(SetupFormat::write(unusualSetup()));
    lines[number - 1] = text;
    return fileOf(lines);
}

QByteArray firstLines(int count)
{
    return fileOf(linesOf(SetupFormat::write(unusualSetup())).first(count));
}

// The check marks before a restore: the menus' initial states, but for a
// quadrupler card, so that kept, read and default marks all differ.
const SetupOptions Before = optionsOf("FFTTFFFTT");

void setWritable(const QString &path, bool writable)
{
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner |
                                    (writable ? QFile::WriteOwner : QFile::Permissions()));
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
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
    void startUpChoosesTheProgramFolderFirst();
    void saving_data();
    void saving();
    void damagedFileIsKeptBeside_data();
    void damagedFileIsKeptBeside();
    void whatIsNoFileIsNotReplaced_data();
    void whatIsNoFileIsNotReplaced();
    void colorNames();
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
    const QByteArray written = SetupFormat::write(LastSetup());
    QCOMPARE(written, expected);
    QCOMPARE(written.count("\r\n"), 153);

    // No file gives the same default setup; the six display and transmit
    // marks stay as they were.
    const SetupFormat::Reading none = SetupFormat::read({}, optionsOf("TFFFTTFFF"));
    QVERIFY(!none.restored);
    LastSetup defaults;
    defaults.options = optionsOf("TFFFTTFFF");
    QCOMPARE(none.setup, defaults);
    QCOMPARE(none.multiplierPanel, QStringLiteral("No Multiplier Card"));
    QCOMPARE(none.setup.strings.decoded(0, 1), QByteArray("Here is another.... \x80\r"));
}

void TestSetupFile::roundTrip()
{
    // Every flag combination, every named color in every place, a value with a
    // line break (kept on one line: as tokens in a string, as a blank elsewhere).
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
    QCOMPARE(reading.setup.strings.decoded(2, 3), QByteArray("two\r\nlines"));
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
    fallBack("earlier revision", withLine(1, "Revision: 1.2.18"), nothingRead);
    fallBack("revision in other case", withLine(1, "revision: 1.3.00"), nothingRead);
    fallBack("ends after line 1", firstLines(1), nothingRead);
    fallBack("ends after line 131", firstLines(131), nothingRead);
    fallBack("ends after line 144", firstLines(144), nothingRead);
    fallBack("ends after line 146", firstLines(146), "TTTTFTFFT");
    fallBack("ends after line 152", firstLines(152), "TTFFTTFFT");

    fallBack("flag neither word nor number", withLine(149, "Yes"), "TTFFFTFFT");
    fallBack("flag line empty", withLine(145, ""), nothingRead);
    fallBack("flag number followed by text", withLine(153, "1 x"), "TTFFTTFFT");
    QList<QByteArray> lines = linesOf(file);
    const QByteArray anyCase[] = {"tRUE",  "TRUE", "false", "FaLsE", " true ",
                                  "false", "True", "true",  "FALSE"};
    const QByteArray numbers[] = {"1", " -1 ", "0", "0.0", "2.5", "0", "7", "1e3", "-0"};
    for (int i = 0; i < 9; ++i)
        lines[144 + i] = anyCase[i];
    restored("flags in any case", fileOf(lines));
    for (int i = 0; i < 9; ++i)
        lines[144 + i] = numbers[i];
    restored("flags as numbers", fileOf(lines));

    restored("set ' 3 '", withLine(132, " 3 "), 3);
    restored("set '3'", withLine(132, "3"), 3);
    restored("set '2.5' rounds to even", withLine(132, "2.5"), 2);
    restored("set '3.5' rounds to even", withLine(132, "3.5"), 4);
    restored("set without a number", withLine(132, "set"), 0);
    restored("set 10, the spare set", withLine(132, " 10 "), 10);
    fallBack("set 11", withLine(132, " 11 "), allRead);
    fallBack("set -1", withLine(132, "-1 "), allRead);
    fallBack("set 32767", withLine(132, "32767"), allRead);
    fallBack("set beyond 16 bits", withLine(132, "32768"), nothingRead);
    fallBack("set below 16 bits", withLine(132, "-32769"), nothingRead);

    restored("color Red", withLine(141, "Red"), 9, ColorValue::Red);
    restored("color in other case", withLine(141, "red"), 9, ColorValue::Black);
    restored("color with a blank", withLine(141, " Red"), 9, ColorValue::Black);
    restored("color unknown", withLine(141, "Purple"), 9, ColorValue::Black);

    const auto cards = [&](const char *single, const char *doubler, const char *quadruple) {
        QList<QByteArray> edited = linesOf(file);
        edited[149] = single;
        edited[150] = doubler;
        edited[151] = quadruple;
        return fileOf(edited);
    };
    restored("single card", cards("True", "False", "False"), 9, cyan, "TTFFTTFFF",
             "No Mulitplier Card");
    restored("all three cards", cards("True", "True", "True"), 9, cyan, "TTFFTTTTF",
             "No Mulitplier Card");
    restored("quadrupler card", cards("False", "False", "True"), 9, cyan, "TTFFTFFTF",
             "Quadupler Card");
    restored("no card", cards("False", "False", "False"), 9, cyan, "TTFFTFFFF", "???");
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
    QCOMPARE(reading.setup.options, expected.options);
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
    QTest::newRow("installed, read-only folder") << false << false << true << false;
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
    if (fileThere) {
        QFile file(program.filePath(QStringLiteral("LastSetup.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    if (installed) {
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("share/applications")));
        QFile entry(
            prefix.filePath(QStringLiteral("share/applications/org.wirelook.Wirelook.desktop")));
        QVERIFY(entry.open(QIODevice::WriteOnly));
    }
    setWritable(program.path(), programFolderWritable);
    QCOMPARE(SetupFile::chooseFolder(program.path(), user),
             programFolderChosen ? program.path() : user);
    setWritable(program.path(), true);
    QCOMPARE(SetupFile::chooseFolder(program.filePath(QStringLiteral("missing")), user), user);
}

void TestSetupFile::startUpChoosesTheProgramFolderFirst()
{
    // The user's folder exists and could take the file, yet the program's
    // own folder (this test's, writable) comes first.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QVERIFY(user.startsWith(config.path()) && QDir().mkpath(user));
    const QString program = QCoreApplication::applicationDirPath();
    QVERIFY(QFileInfo(program).isWritable());
    QCOMPARE(SetupFile::chooseFolder(), program);
    qunsetenv("XDG_CONFIG_HOME");
}

void TestSetupFile::saving_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<bool>("saved");
    QTest::newRow("saved") << "saved" << true;
    QTest::newRow("read-only folder without the file") << "folder" << false;
    QTest::newRow("read-only file") << "file" << false;
    // Written in place, as the new file beside it cannot be made.
    QTest::newRow("writable file in a read-only folder") << "file in folder" << true;
    QTest::newRow("disk full") << "disk full" << false;
}

void TestSetupFile::saving()
{
    QFETCH(QString, situation);
    QFETCH(bool, saved);
    QTemporaryDir temporary;
    std::optional<ScratchFiles> scratch;
    if (situation == QLatin1String("disk full")) {
        scratch.emplace(64 * 1024);
        if (*scratch->why())
            QSKIP(scratch->why());
    }
    const QString root = scratch ? scratch->path() : temporary.path();
    const QString folder = root + QStringLiteral("/config/wirelook");
    const QString currentDirectory = QDir::currentPath();
    const SetupFile file(folder);
    QCOMPARE(file.path(), folder + QStringLiteral("/LastSetup.txt"));
    QVERIFY(!file.restore(Before).restored);
    QVERIFY(file.save(LastSetup())); // the folder is made on the way

    bool result = false;
    if (situation == QLatin1String("file in folder")) {
        shutFolder(root, folder, file.path());
        const OrdinaryUserFiles user;
        result = file.save(unusualSetup());
    } else {
        if (situation == QLatin1String("disk full"))
            QVERIFY(scratch->fill());
        else if (situation == QLatin1String("folder"))
            QVERIFY(QFile::remove(file.path()));
        if (situation != QLatin1String("saved"))
            setWritable(situation == QLatin1String("file") ? file.path() : folder, false);
        result = file.save(unusualSetup());
    }
    setWritable(folder, true);
    QCOMPARE(result, saved);
    const LastSetup expected = saved ? unusualSetup() : LastSetup();
    if (situation == QLatin1String("folder")) {
        QVERIFY(!QFile::exists(file.path()));
        return;
    }
    QCOMPARE(contentOf(file.path()), SetupFormat::write(expected));
    QCOMPARE(file.restore(Before).setup, expected);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("LastSetup.txt")});
    QCOMPARE(QDir::currentPath(), currentDirectory);
}

void TestSetupFile::damagedFileIsKeptBeside_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<bool>("folderWritable");
    QTest::newRow("cut short to 140 lines") << firstLines(140) << true << true;
    QTest::newRow("a mistyped flag") << withLine(145, "Ture") << true << true;
    QTest::newRow("another revision") << withLine(1, "Revision: 1.4.00") << true << true;
    QTest::newRow("a valid file") << SetupFormat::write(unusualSetup()) << false << true;
    QTest::newRow("an empty file") << QByteArray() << false << true;
    // Not kept, not replaced.
    QTest::newRow("no room beside it") << firstLines(140) << false << false;
}

void TestSetupFile::damagedFileIsKeptBeside()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, kept);
    QFETCH(bool, folderWritable);
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("setup"));
    QVERIFY(QDir().mkpath(folder));
    const SetupFile setup(folder);
    QCOMPARE(setup.backupPath(), folder + QStringLiteral("/LastSetup.txt.bak"));
    const QByteArray older = "an older backup\r\n";
    QVERIFY(writeFile(setup.path(), file));
    QVERIFY(writeFile(setup.backupPath(), older));
    setup.restore(Before);
    QCOMPARE(contentOf(setup.backupPath()), older);

    if (folderWritable) {
        QVERIFY(setup.save(LastSetup()));
    } else {
        shutFolder(root.path(), folder, setup.path());
        const OrdinaryUserFiles user;
        QVERIFY(!setup.save(LastSetup()));
    }
    QCOMPARE(contentOf(setup.path()), folderWritable ? SetupFormat::write(LastSetup()) : file);
    QCOMPARE(contentOf(setup.backupPath()), kept ? file : older);
    // Once replaced, the file reads: the next save leaves the backup alone.
    if (folderWritable) {
        QVERIFY(setup.save(unusualSetup()));
        QCOMPARE(contentOf(setup.backupPath()), kept ? file : older);
    }
    setWritable(folder, true);
}

void TestSetupFile::whatIsNoFileIsNotReplaced_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<char>("kind");
    // A pipe would hold the start-up until something writes to it.
    QTest::newRow("a pipe") << "pipe" << false << 'p';
    // The usual way to keep a program from writing a file.
    QTest::newRow("a link to a null device") << "null" << true << 'c';
    QTest::newRow("a link to a full device") << "full" << false << 'c';
}

void TestSetupFile::whatIsNoFileIsNotReplaced()
{
    QFETCH(QString, target);
    QFETCH(bool, saved);
    QFETCH(char, kind);
    QTemporaryDir folder;
    const SetupFile setup(folder.path());
    std::optional<ScratchFiles> scratch;
    if (target == QLatin1String("pipe")) {
        QCOMPARE(::mkfifo(QFile::encodeName(setup.path()).constData(), 0666), 0);
    } else {
        scratch.emplace();
        if (*scratch->why())
            QSKIP(scratch->why());
        QVERIFY(scratch->makeDevice(target, 1, target == QLatin1String("null") ? 3 : 7));
        QVERIFY(QFile::link(scratch->filePath(target), setup.path()));
    }
    const SetupFormat::Reading reading = setup.restore(Before);
    QVERIFY(!reading.restored);
    QCOMPARE(reading.setup.strings, LastSetup().strings);
    QCOMPARE(setup.save(unusualSetup()), saved);
    QCOMPARE(fileKind(setup.path()), kind);
    QCOMPARE(QFileInfo(setup.path()).isSymLink(), bool(scratch));
    QCOMPARE(QDir(folder.path())
                 .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("LastSetup.txt")});
}

void TestSetupFile::colorNames()
{
    for (const auto &[name, value] : NamedColors) {
        QCOMPARE(GeneralUtilities::ReturnColorName(value), QLatin1String(name));
        QCOMPARE(GeneralUtilities::ReturnColorValue(QLatin1String(name)), value);
    }
    QCOMPARE(GeneralUtilities::ReturnColorName(1), QString());
    QCOMPARE(GeneralUtilities::ReturnColorName(0x80000005), QString());
    QCOMPARE(GeneralUtilities::ReturnColorValue(QStringLiteral("dark blue")), 0u);
    QCOMPARE(GeneralUtilities::ReturnColorValue(QString()), 0u);
}

QTEST_GUILESS_MAIN(TestSetupFile)
#include "tst_setupfile.moc"
