#include "BatchHarness.h"
#include "CorpusRows.h"

#include "batch/BatchDispatcher.h"
#include "batch/BatchInterpreter.h"
#include "batch/BatchKeywords.h"
#include "batch/BatchScriptFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

// Every folder tests/batch/<case>/ holds a script (script.bat), the progress
// log it must produce (expected.log) and the lines it must send to the
// executor (expected.sent, one per line: number, inRem, [cmd] [args]...).
// An optional file stop_after holds the number of sent lines after which
// Stop is pressed. The script is loaded and split as the batch window does.
class TestBatchScripts : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void golden_data();
    void golden();
    void remBlockOutlivesTheRun();
    void endLineIsReenteredQuietly();
    void backslashOnTheLastLine();
    void substitutionIsBounded();
    void scriptKeepsBytesOutsideUtf8();
    void loopFrom01To100KeepsTwoDigitsUntil100();
    void longLinesFail_data();
    void longLinesFail();
    void fuzzCorpus_data();
    void fuzzCorpus();
};

namespace {

QString readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

// Runs the dispatcher in this thread until the run has ended; false when it
// did not end within `budget` event rounds.
bool runToEnd(const FakeExecutor& executor, int budget = 200000)
{
    for (int i = 0; i < budget && executor.ends.isEmpty(); ++i)
        QCoreApplication::processEvents();
    return !executor.ends.isEmpty();
}

} // namespace

void TestBatchScripts::initTestCase()
{
    BatchKeywords::init();
    registerBatchMetaTypes();
}

void TestBatchScripts::golden_data()
{
    QTest::addColumn<QString>("dir");
    const QDir root(QStringLiteral(BATCH_CASES_DIR));
    const QStringList cases = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    int found = 0;
    for (const QString& c : cases) {
        if (!QFileInfo::exists(root.filePath(c + "/script.bat")))
            continue;
        QTest::newRow(qPrintable(c)) << root.filePath(c);
        ++found;
    }
    QVERIFY(found >= 10);
}

void TestBatchScripts::golden()
{
    QFETCH(QString, dir);
    QString script;
    QString error;
    QVERIFY2(BatchScriptFile::read(dir + "/script.bat", &script, &error), qPrintable(error));
    const QStringList lines = script.split(QLatin1Char('\n'));

    BatchDispatcher dispatcher;
    FakeExecutor executor(&dispatcher);
    executor.stopAfter = readAll(dir + "/stop_after").trimmed().toInt();
    executor.attach();

    dispatcher.doDispatchCmds(lines);
    QVERIFY2(runToEnd(executor), "the run did not end");
    QCOMPARE(executor.ends, QList<bool>{executor.stopAfter > 0});

    QCOMPARE(executor.log, readAll(dir + "/expected.log"));
    QStringList expectedSent = readAll(dir + "/expected.sent").split(QLatin1Char('\n'));
    if (!expectedSent.isEmpty() && expectedSent.last().isEmpty())
        expectedSent.removeLast();
    QCOMPARE(executor.sent, expectedSent);

    // Late completions after the end change nothing.
    const int sentBefore = executor.sent.size();
    dispatcher.finishBatchExec();
    dispatcher.finishBatchExec();
    QCoreApplication::processEvents();
    QCOMPARE(executor.sent.size(), sentBefore);
    QCOMPARE(executor.ends.size(), 1);
}

void TestBatchScripts::remBlockOutlivesTheRun()
{
    BatchDispatcher dispatcher;
    FakeExecutor executor(&dispatcher);
    executor.attach();

    dispatcher.doDispatchCmds({"seek_image 1", ":rem_start", "seek_image 2"});
    QVERIFY(runToEnd(executor));
    QVERIFY(dispatcher.interpreter().inRem());

    // The next run starts inside the unterminated block until ":rem_end".
    executor.ends.clear();
    executor.sent.clear();
    executor.log.clear();
    dispatcher.doDispatchCmds({"seek_image 3", ":REM_END", "seek_image 4"});
    QVERIFY(runToEnd(executor));
    QCOMPARE(executor.sent, QStringList({"1 1 [seek_image] [3]", "2 0 [:REM_END]", "3 0 [seek_image] [4]"}));
    QCOMPARE(executor.log, QString("seek_image : 4\n"));
}

void TestBatchScripts::endLineIsReenteredQuietly()
{
    // After ":end" the run stays "running" on that line: a completion from a
    // loader or an analysis run finds the same line and does nothing.
    BatchDispatcher dispatcher;
    FakeExecutor executor(&dispatcher);
    executor.attach();
    dispatcher.doDispatchCmds({"seek_image 1", ":end", "seek_image 2"});
    QVERIFY(runToEnd(executor));
    QVERIFY(dispatcher.interpreter().running());
    QCOMPARE(dispatcher.interpreter().lineIndex(), 1);
    dispatcher.finishBatchExec();
    QCOMPARE(executor.sent, QStringList{"1 0 [seek_image] [1]"});
    QCOMPARE(executor.ends.size(), 1);
}

void TestBatchScripts::backslashOnTheLastLine()
{
    BatchDispatcher dispatcher;
    FakeExecutor executor(&dispatcher);
    executor.attach();
    dispatcher.doDispatchCmds({"seek_image 3 \\", "seek_image 4\\ \t"});
    QVERIFY(runToEnd(executor));
    QCOMPARE(executor.sent, QStringList({"1 0 [seek_image] [3] [seek_image] [4]"}));
}

// A script naming a file whose name is not UTF-8 reads that name byte for
// byte and is saved back unchanged.
void TestBatchScripts::scriptKeepsBytesOutsideUtf8()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("latin1.bat");
    const QByteArray bytes("load_I1_files NEW i1/i1_\xe9" "6962.00eV.tif\nset_band_w 2\n");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    f.close();
    QString text, error;
    QVERIFY2(BatchScriptFile::read(path, &text, &error), qPrintable(error));
    QVERIFY(text.contains(QString("i1_") + QChar(0xDCE9) + "6962"));
    QVERIFY2(BatchScriptFile::write(path, text, &error), qPrintable(error));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), bytes);
}

void TestBatchScripts::substitutionIsBounded()
{
    // Loops whose values hold their own token multiply an argument's length
    // with every loop; the growth stops at the limit.
    QVector<LoopVar> loops(12);
    for (LoopVar& l : loops) {
        l.token = "A";
        l.current = "AAAA";
    }
    loops[3].token.clear();   // an empty token replaces nothing
    QStringList args{"xAy", "none"};
    BatchInterpreter::substitute(loops, args);
    QVERIFY(args.at(0).size() <= BatchInterpreter::maxArgumentLength);
    QVERIFY(args.at(0).size() > BatchInterpreter::maxArgumentLength - 4);
    QVERIFY(args.at(0).startsWith("xAAAA"));
    QVERIFY(args.at(0).endsWith("Ay"));
    QCOMPARE(args.at(1), QString("none"));
}

void TestBatchScripts::loopFrom01To100KeepsTwoDigitsUntil100()
{
    BatchDispatcher dispatcher;
    FakeExecutor executor(&dispatcher);
    executor.attach();
    dispatcher.doDispatchCmds({":for n N 01 100", "save_image f_N.png", ":next n", ""});
    QVERIFY(runToEnd(executor));

    auto value = [](int i) { return i < 10 ? QStringLiteral("0%1").arg(i) : QString::number(i); };
    QString log = QStringLiteral("for n : N = 01\n");
    QStringList sent{"1 0 [:for] [n] [N] [01] [100]"};
    for (int i = 1; i <= 100; ++i) {
        log += QStringLiteral("save_image : f_%1.png\nnext n : N = %2\n").arg(value(i), value(qMin(i + 1, 100)));
        sent << QStringLiteral("2 0 [save_image] [f_%1.png]").arg(value(i)) << QStringLiteral("3 0 [:next] [n]");
    }
    sent << "4 1 []";
    QCOMPARE(executor.log, log);
    QCOMPARE(executor.sent, sent);
}

// A line of megabytes used to take seconds and gigabytes to split: the file
// reader refuses it, and so does the interpreter (lines typed or pasted into
// the editor, or joined by continuation marks).
void TestBatchScripts::longLinesFail_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("fails");
    const int max = BatchInterpreter::maxLineLength;
    const QString word = QStringLiteral("seek_image ");
    QTest::newRow("at the limit") << QStringList{"set_band_w 1", word + QString(max - word.size(), '1')} << false;
    QTest::newRow("one beyond") << QStringList{"set_band_w 1", word + QString(max - word.size() + 1, '1')} << true;
    QTest::newRow("ten megabytes") << QStringList{"set_band_w 1", QString(10 << 20, 'x')} << true;
    QTest::newRow("joined by continuation marks")
        << QStringList{"set_band_w 1", word + "\\", QString(max / 2, '2') + "\\", QString(max / 2, '3')} << true;
}

void TestBatchScripts::longLinesFail()
{
    QFETCH(QStringList, lines);
    QFETCH(bool, fails);
    QTemporaryDir dir;
    QFile f(dir.filePath("long.bat"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(lines.join('\n').toUtf8());
    f.close();
    QString text, error;
    const bool read = BatchScriptFile::read(f.fileName(), &text, &error);
    // The file reader sees physical lines: continuation marks are joined later.
    const bool physicalTooLong = fails && !lines.last().startsWith('3');
    QCOMPARE(read, !physicalTooLong);
    if (physicalTooLong)
        QCOMPARE(error, QStringLiteral("Can not load %1: line 2 is longer than %2 characters")
                            .arg(f.fileName()).arg(BatchInterpreter::maxLineLength));

    BatchDispatcher dispatcher;
    FakeExecutor executor(&dispatcher);
    executor.attach();
    dispatcher.doDispatchCmds(lines);
    QVERIFY(runToEnd(executor));
    QCOMPARE(executor.sent.size(), fails ? 1 : 2);
    QCOMPARE(executor.failures,
             fails ? QStringList{QStringLiteral("Line 2: the line is longer than %1 characters")
                                     .arg(BatchInterpreter::maxLineLength)}
                   : QStringList());
    QCOMPARE(executor.ends, QList<bool>{fails});
}

// Every script the batch fuzzer keeps, run through the interpreter with each
// line completed at once: lines sent lie inside the script, arguments stay
// within their bound, and loops end within the step budget or are cut there.
void TestBatchScripts::fuzzCorpus_data()
{
    addCorpusRows(QStringLiteral(BATCH_CORPUS_DIR), 10);
}

void TestBatchScripts::fuzzCorpus()
{
    QFETCH(QString, file);
    const QStringList lines = readAll(file).split(QLatin1Char('\n'));
    BatchInterpreter interpreter;
    interpreter.start(lines);
    for (int step = 0; step < 2000; ++step) {
        const BatchInterpreter::Step s = interpreter.executeNextLine();
        if (!s.sent)
            break;
        QVERIFY(s.cmd.lineNo >= 1 && s.cmd.lineNo <= lines.size());
        for (const QString& a : s.cmd.args)
            QVERIFY(a.size() <= BatchInterpreter::maxArgumentLength);
    }
    interpreter.stop();
}

QTEST_GUILESS_MAIN(TestBatchScripts)
#include "tst_batchscripts.moc"
