#include "base/Log.h"
#include "base/OptionTable.h"
#include "base/Persisted.h"
#include "base/StartupOptions.h"
#include "base/TextItems.h"
#include "DebugCapture.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>


class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void splitter_data();
    void splitter();
    void splitterMessages_data();
    void splitterMessages();
    void printableText_data();
    void printableText();
    void optionTableFirstArrivalWins();
    void commandLine_data();
    void commandLine();
    void configFile();
    void configFilePrecedence_data();
    void configFilePrecedence();
    void missingConfigFile();
    void configuredScriptIsNamed_data();
    void configuredScriptIsNamed();
    void logWithTimeFormat();
    void dialogStartFolder_data();
    void dialogStartFolder();
    void keptSettingsBesideTheConfigFile();
};

void TestStartup::splitter_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("rest");
    QTest::newRow("plain") << "abc def" << "abc" << " def";
    QTest::newRow("leading blanks and tab") << " \t abc\tdef" << "abc" << "\tdef";
    QTest::newRow("single item") << "abc" << "abc" << "";
    QTest::newRow("only blanks") << "   " << "" << "";
    QTest::newRow("empty") << "" << "" << "";
    QTest::newRow("quoted with blanks") << "\"a b c\" rest" << "a b c" << " rest";
    QTest::newRow("two adjacent quotes") << "\"\"next" << "" << "next";
    QTest::newRow("quote inside unquoted item") << "ab\"cd ef" << "ab\"cd" << " ef";
    QTest::newRow("unterminated quote") << "x \"abc def" << "x" << " \"abc def";
    QTest::newRow("unterminated quote first") << "\"abc def" << "abc def" << "";
    QTest::newRow("unquoted ends with quote") << "abc\" def" << "abc\"" << " def";
}

void TestStartup::splitter()
{
    QFETCH(QString, line);
    QFETCH(QString, item);
    QFETCH(QString, rest);
    QString got = "sentinel";
    QCOMPARE(nextItem(line, got), rest);
    QCOMPARE(got, item);
}

void TestStartup::splitterMessages_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("message");
    QTest::newRow("open quote") << "\"abc def"
                                << "In a line [\"abc def] item is started from quote but not ended by quote";
    QTest::newRow("closing quote only") << "abc\" def"
                                        << "In a line [abc\" def] item is started from not quote but ended by quote";
    QTest::newRow("balanced") << "\"abc\" def" << "";
}

void TestStartup::splitterMessages()
{
    QFETCH(QString, line);
    QFETCH(QString, message);
    DebugCapture capture;
    QString item;
    nextItem(line, item);
    if (message.isEmpty())
        QVERIFY(DebugCapture::lines().isEmpty());
    else
        QCOMPARE(DebugCapture::lines(), QStringList{message});
}

// A NUL byte from a script used to cut a message on stderr short.
void TestStartup::printableText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("NUL inside") << QString::fromLatin1("set\0word tail", 13) << "set\\0word tail";
    QTest::newRow("escape and bell") << QString::fromLatin1("a\x1b[2Jb\x07") << "a\\x1b[2Jb\\x07";
    QTest::newRow("tab and accents kept") << QString::fromUtf8("a\tb \xc3\xa9") << QString::fromUtf8("a\tb \xc3\xa9");
}

void TestStartup::printableText()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(printable(text), shown);
}

void TestStartup::optionTableFirstArrivalWins()
{
    OptionTable t;
    t.add("-d", "first", "first");
    t.add("-e", "", "");
    t.add("-d", "second", "second tail");
    QVERIFY(t.contains("-d"));
    QVERIFY(!t.contains("-D"));
    QCOMPARE(t.value("-d"), QString("first"));
    QCOMPARE(t.entries().size(), 3);
    QCOMPARE(t.entries().at(2).rest, QString("second tail"));
    // An option given without a value yields the empty text, not the default.
    QCOMPARE(t.value("-e", "dflt"), QString(""));
    QCOMPARE(t.value("-x", "dflt"), QString("dflt"));
}

void TestStartup::commandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("batchFile");
    QTest::addColumn<bool>("run");
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("dataRoot");
    const QString yen = AppPaths::defaultDir();
    QTest::newRow("nothing") << QStringList{"prog"} << "" << false << false << yen;
    QTest::newRow("-b then -x") << QStringList{"prog", "-b", "-x"} << "" << true << false << yen;
    QTest::newRow("-b file -x") << QStringList{"prog", "-b", "run.bat", "-x"} << "run.bat" << true << false << yen;
    QTest::newRow("-e and stray word") << QStringList{"prog", "stray", "-e"} << "" << false << true << yen;
    QTest::newRow("-d twice") << QStringList{"prog", "-d", "/a", "-d", "/b"} << "" << false << false << "/a";
    QTest::newRow("-e swallows value") << QStringList{"prog", "-e", "word"} << "" << false << true << yen;
}

void TestStartup::commandLine()
{
    QFETCH(QStringList, args);
    OptionTable t;
    readCommandLine(args, t);
    const StartupSettings s = startupSettings(t);
    QTEST(s.batchFile, "batchFile");
    QTEST(s.runBatch, "run");
    QTEST(s.english, "english");
    QTEST(s.dataRoot, "dataRoot");
    QVERIFY(!t.contains("prog"));
}

static QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& text)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write(text);
    return path;
}

void TestStartup::configFile()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "c.cfg",
        "# a comment line\n"
        "   \n"
        "DataRoot \"/data/my dir\" trailing words\n"
        "Key value # comment\n"
        "-e\n"
        "-config other.cfg\n"
        "Hashed \"/a#b\"\n"
        "Empty\n");
    OptionTable t;
    DebugCapture capture;
    QVERIFY(readConfigFile(path, t));
    QCOMPARE(t.value("DataRoot"), QString("/data/my dir"));
    QCOMPARE(t.entries().at(0).rest, QString(" \"/data/my dir\" trailing words"));
    QCOMPARE(t.value("Key"), QString("value"));
    QVERIFY(t.contains("-e"));
    // The "#" cuts the quoted value short: the splitter complains and keeps what it has.
    QCOMPARE(t.value("Hashed"), QString("/a"));
    QVERIFY(DebugCapture::lines().join('\n').contains("item is started from quote but not ended by quote"));
    QVERIFY(t.contains("Empty"));
    QCOMPARE(t.value("Empty", "x"), QString(""));
    QCOMPARE(t.entries().size(), 6);
    // A "-config" line in the file has no effect once the file is being read.
    const StartupSettings s = startupSettings(t);
    QVERIFY(s.english);
    QCOMPARE(s.dataRoot, QString("/data/my dir"));
}

void TestStartup::configFilePrecedence_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("expectedConfig");
    QTest::addColumn<QString>("expectedRoot");
    QTest::newRow("default file") << QStringList{"p"} << "config.cfg" << "";
    QTest::newRow("-c") << QStringList{"p", "-c", "A"} << "A" << "fromA";
    QTest::newRow("-config wins over -c") << QStringList{"p", "-c", "A", "-config", "B"} << "B" << "fromB";
    QTest::newRow("-config first, then -c") << QStringList{"p", "-config", "B", "-c", "A"} << "B" << "fromB";
    QTest::newRow("-d beats DataRoot") << QStringList{"p", "-c", "A", "-d", "/cmd"} << "A" << "/cmd";
}

void TestStartup::configFilePrecedence()
{
    QFETCH(QStringList, args);
    QFETCH(QString, expectedConfig);
    QFETCH(QString, expectedRoot);
    QTemporaryDir dir;
    writeFile(dir, "A", "DataRoot fromA\n");
    writeFile(dir, "B", "DataRoot fromB\n");
    OptionTable t;
    readCommandLine(args, t);
    QCOMPARE(configFileName(t), expectedConfig);
    if (expectedConfig != "config.cfg") {
        QVERIFY(readConfigFile(dir.filePath(configFileName(t)), t));
        QCOMPARE(startupSettings(t).dataRoot, expectedRoot);
    }
}

// A configuration in a folder someone sent could run a script unnoticed.
void TestStartup::configuredScriptIsNamed_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("config");
    QTest::addColumn<QString>("note");
    QTest::newRow("run by the configuration") << QStringList{"p", "-c", "A"} << "-b s.bat\n-x\n"
                                              << "The configuration %1/A runs the batch script %1/s.bat at start";
    QTest::newRow("loaded by the configuration") << QStringList{"p", "-c", "A"} << "-b s.bat\n"
                                                 << "The configuration %1/A loads the batch script %1/s.bat";
    QTest::newRow("run by the command line's -x") << QStringList{"p", "-c", "A", "-x"} << "-b s.bat\n"
                                                  << "The configuration %1/A runs the batch script %1/s.bat at start";
    QTest::newRow("named on the command line") << QStringList{"p", "-c", "A", "-b", "own.bat"} << "-b s.bat\n-x\n"
                                               << "";
    QTest::newRow("no script") << QStringList{"p", "-c", "A"} << "-x\nDataRoot /d\n" << "";
}

void TestStartup::configuredScriptIsNamed()
{
    QFETCH(QStringList, args);
    QFETCH(QString, config);
    QFETCH(QString, note);
    QTemporaryDir dir;
    writeFile(dir, "A", config.toUtf8());
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    OptionTable commandLine;
    readCommandLine(args, commandLine);
    OptionTable all = commandLine;
    QVERIFY(readConfigFile(configFileName(all), all));
    const QString made = configuredScriptNote(commandLine, all, configFileName(all));
    QDir::setCurrent(before);
    QCOMPARE(made, note.isEmpty() ? QString() : note.arg(QFileInfo(dir.path()).canonicalFilePath()));
}

void TestStartup::missingConfigFile()
{
    DebugCapture capture;
    OptionTable t;
    QVERIFY(!readConfigFile("/nonexistent/dir/config.cfg", t));
    QCOMPARE(DebugCapture::lines(), QStringList{"Can't open config file : /nonexistent/dir/config.cfg"});
    QCOMPARE(t.entries().size(), 0);
    const QString root = startupSettings(t).dataRoot;
    QCOMPARE(root, QString("C:") + QChar(0x00A5) + "Data");
    QCOMPARE(AppPaths::batchDir(), root);
}

void TestStartup::logWithTimeFormat()
{
    DebugCapture capture;
    logWithTime("2da 1:");
    QCOMPARE(DebugCapture::lines().size(), 1);
    const QRegularExpression re("^2da 1: \\d{6} \\d{2}:\\d{2}:\\d{2}\\.\\d{3}$");
    QVERIFY2(re.match(DebugCapture::lines().first()).hasMatch(), qPrintable(DebugCapture::lines().first()));
}

// File dialogs never open at the root of the file system.
void TestStartup::dialogStartFolder_data()
{
    QTest::addColumn<QString>("lastUsed");
    QTest::addColumn<QString>("dataRoot");
    QTest::addColumn<QString>("expected");
    QTest::newRow("last folder used") << "%T/last" << "%T/root" << "%T/last";
    QTest::newRow("last folder gone: data root") << "%T/gone" << "%T/root" << "%T/root";
    QTest::newRow("none used yet: data root") << "" << "%T/root" << "%T/root";
    QTest::newRow("data root missing: home") << "" << "%T/nothing" << "%H";
    QTest::newRow("default data root: home") << "" << "" << "%H";
    QTest::newRow("a file is no folder") << "%T/file.txt" << "%T/nothing" << "%H";
}

void TestStartup::dialogStartFolder()
{
    QFETCH(QString, lastUsed);
    QFETCH(QString, dataRoot);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("last") && QDir(dir.path()).mkpath("root"));
    writeFile(dir, "file.txt", "x");
    const auto fill = [&dir](QString s) {
        return s.replace("%T", QFileInfo(dir.path()).absoluteFilePath()).replace("%H", QDir::homePath());
    };
    const QString before = AppPaths::dataRoot();
    AppPaths::setDataRoot(dataRoot.isEmpty() ? AppPaths::defaultDir() : fill(dataRoot));
    const QString start = AppPaths::startFolder(fill(lastUsed));
    AppPaths::setDataRoot(before);
    QCOMPARE(start, fill(expected));
    QVERIFY(start != "/");
}

// Nothing is kept until a file is named; then values come back from it.
void TestStartup::keptSettingsBesideTheConfigFile()
{
    QTemporaryDir dir;
    Persisted::setFile(QString());
    Persisted::setValue("folders/series", "/x");
    QCOMPARE(Persisted::value("folders/series", "none").toString(), QString("none"));
    const QString file = Persisted::fileBeside(dir.filePath("config.cfg"));
    QCOMPARE(QFileInfo(file).absolutePath(), QFileInfo(dir.path()).absoluteFilePath());
    Persisted::setFile(file);
    Persisted::setValue("folders/series", "/x");
    QCOMPARE(Persisted::value("folders/series").toString(), QString("/x"));
    Persisted::setFile(QString());
    QVERIFY(QFileInfo(file).isFile());
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
