#include "BatchHarness.h"

#include "batch/BatchDispatcher.h"
#include "batch/BatchKeywords.h"
#include "batchwindow/BatchCtrl.h"
#include "i18n/Translation.h"

#include <QDir>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QThread>
#include <QTranslator>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QPlainTextEdit* editor(BatchCtrl& w) { return w.findChild<QPlainTextEdit*>("BatchCmds"); }
QPlainTextEdit* logView(BatchCtrl& w) { return w.findChild<QPlainTextEdit*>("BatchLogs"); }
QPushButton* button(BatchCtrl& w, const char* name) { return w.findChild<QPushButton*>(name); }

QFileDialog* visibleDialog(BatchCtrl& w)
{
    QFileDialog* shown = nullptr;
    for (QFileDialog* d : w.findChildren<QFileDialog*>())
        if (d->isVisible())
            shown = d;
    return shown;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The window wired to a dispatcher in its own thread, and an executor that
// answers every line and reports unknown words through the window.
struct Rig {
    QThread thread;
    BatchDispatcher* dispatcher = new BatchDispatcher;
    BatchCtrl window;
    FakeExecutor executor{dispatcher};

    Rig()
    {
        dispatcher->moveToThread(&thread);
        thread.start();
        window.setDispatcher(dispatcher);
        executor.attach();
        executor.reportError = [this](const CmdLine& cmd) { window.showCmdErr(cmd); };
    }
    ~Rig()
    {
        thread.quit();
        thread.wait();
        delete dispatcher;
    }
    bool waitForEnd()
    {
        if (!executor.ends.isEmpty())
            return true;
        QSignalSpy spy(&executor, &FakeExecutor::ended);
        return spy.wait(60000);
    }
};

} // namespace

class TestBatchCtrl : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        BatchKeywords::init();
        registerBatchMetaTypes();
    }

    // The window's size, tabs and buttons; Clear empties the script, Clear Log the log.
    void form()
    {
        BatchCtrl w;
        QCOMPARE(w.size(), QSize(800, 658));
        const auto* tabs = w.findChild<QTabWidget*>();
        QVERIFY(tabs);
        QCOMPARE(tabs->tabText(0), QString("Batch Cmds"));
        QCOMPARE(tabs->tabText(1), QString("Progress Log"));
        QVERIFY(editor(w));
        QVERIFY(!editor(w)->isReadOnly());
        QVERIFY(logView(w)->isReadOnly());
        const QList<QPair<const char*, QString>> buttons{{"Load", "Load"},      {"Save", "Save"},
                                                         {"ClearLog", "Clear Log"}, {"Clear", "Clear"},
                                                         {"Exec", "Exec."},     {"Stop", "Stop"}};
        for (const auto& b : buttons) {
            QVERIFY2(button(w, b.first), b.first);
            QCOMPARE(button(w, b.first)->text(), b.second);
        }
        editor(w)->setPlainText("seek_image 1");
        logView(w)->setPlainText("old log");
        QTest::mouseClick(button(w, "Clear"), Qt::LeftButton);
        QCOMPARE(editor(w)->toPlainText(), QString());
        QCOMPARE(logView(w)->toPlainText(), QString("old log"));
        QTest::mouseClick(button(w, "ClearLog"), Qt::LeftButton);
        QCOMPARE(logView(w)->toPlainText(), QString());
    }

    // Exec. runs the editor's script; the log shows each line as it runs.
    void scriptRunsFromTheWindow()
    {
        Rig rig;
        editor(rig.window)->setPlainText(":for i %i 1 2\nsave_image out%i.png\n:next i\n\n   \n:echo \"done now\"");
        QTest::mouseClick(button(rig.window, "Exec"), Qt::LeftButton);
        QVERIFY(rig.waitForEnd());
        QCOMPARE(rig.executor.ends, QList<bool>{false});
        QCOMPARE(rig.window.lastScript().size(), 6);
        QCOMPARE(logView(rig.window)->toPlainText(),
                 QString("for i : %i = 1\nsave_image : out1.png\nnext i : %i = 2\nsave_image : out2.png\n"
                         "next i : %i = 2\nErr:    \necho done now"));
    }

    // Stop ends the run while a line is held; the next line never runs.
    void stopButtonStopsTheRun()
    {
        Rig rig;
        rig.executor.hold << "analyzer_exec_LCF";
        QSignalSpy received(&rig.executor, &FakeExecutor::lineReceived);
        QSignalSpy stopSignal(&rig.window, &BatchCtrl::batchStop);
        editor(rig.window)->setPlainText("analyzer_exec_LCF\nsave_data a.tif");
        QTest::mouseClick(button(rig.window, "Exec"), Qt::LeftButton);
        QVERIFY(received.wait(60000));
        QTest::mouseClick(button(rig.window, "Stop"), Qt::LeftButton);
        QCOMPARE(stopSignal.count(), 1);
        QVERIFY(rig.waitForEnd());
        QCOMPARE(rig.executor.ends, QList<bool>{true});
        QCOMPARE(rig.executor.sent, QStringList{"1 0 [analyzer_exec_LCF]"});
    }

    // Save writes the script as UTF-8 and nothing else; load reads each line back with a line feed.
    void saveAndLoad()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("run.bat");
        BatchCtrl w;
        const QString script = QString::fromUtf8("seek_image 1\n\n# 注釈\nsave_image \"a b.png\"");
        editor(w)->setPlainText(script);
        w.save(path);
        QCOMPARE(fileBytes(path), script.toUtf8());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"run.bat"});

        editor(w)->setPlainText("other");
        w.load(path);
        QCOMPARE(editor(w)->toPlainText(), script + "\n");
        QSignalSpy dispatched(&w, &BatchCtrl::doDispatchCmds);
        w.execCmdsSlot();
        QCOMPARE(dispatched.count(), 1);
        QCOMPARE(dispatched.at(0).at(0).toStringList(),
                 QStringList({"seek_image 1", "", QString::fromUtf8("# 注釈"), "save_image \"a b.png\"", ""}));
    }

    // A missing file, a directory, a pipe or a file over 32 MiB is refused; the editor keeps its text.
    void loadRefusesWhatIsNoScript_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing file") << "missing";
        QTest::newRow("directory") << "directory";
        QTest::newRow("named pipe") << "fifo";
        QTest::newRow("too large") << "large";
    }
    void loadRefusesWhatIsNoScript()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QString path = dir.filePath("x.bat");
        if (kind == "directory") {
            QVERIFY(QDir(dir.path()).mkdir("x.bat"));
        } else if (kind == "fifo") {
            // Opening a pipe with no writer would block for ever.
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        } else if (kind == "large") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize((qint64(32) << 20) + 1));
        }
        BatchCtrl w;
        editor(w)->setPlainText("kept");
        QSignalSpy failed(&w, &BatchCtrl::loadFailed);
        w.load(path);
        QCOMPARE(editor(w)->toPlainText(), QString("kept"));
        QCOMPARE(failed.count(), 1);
        QVERIFY(failed.at(0).at(0).toString().contains(path));
        const QString log = logView(w)->toPlainText();
        QVERIFY2(log.startsWith("Can not load ") && log.contains(path), qPrintable(log));
    }

    // A save that cannot write leaves no file and says so in the log.
    void saveFailureKeepsTheOldFile()
    {
        QTemporaryDir dir;
        BatchCtrl w;
        editor(w)->setPlainText("new text");
        const QString nowhere = dir.filePath("no/such/dir/run.bat");
        w.save(nowhere);
        QVERIFY(!QFileInfo::exists(nowhere));
        QVERIFY(logView(w)->toPlainText().startsWith("Can not save " + nowhere));
    }

    // Load and Save open their own file dialogs, filtered on batch files.
    void dialogs()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("d.bat");
        QVERIFY(writeFile(path, "seek_image 2\n"));
        BatchCtrl w;
        QTest::mouseClick(button(w, "Load"), Qt::LeftButton);
        QFileDialog* open = visibleDialog(w);
        QVERIFY(open);
        QCOMPARE(open->acceptMode(), QFileDialog::AcceptOpen);
        QCOMPARE(open->nameFilters(), QStringList({"Batch File (*.bat)", "Any Files (* *.*)"}));
        emit open->fileSelected(path);
        QCOMPARE(editor(w)->toPlainText(), QString("seek_image 2\n"));
        open->hide();

        QTest::mouseClick(button(w, "Save"), Qt::LeftButton);
        QFileDialog* save = visibleDialog(w);
        QVERIFY(save);
        QVERIFY(save != open);
        QCOMPARE(save->acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(save->nameFilters(), open->nameFilters());
        editor(w)->setPlainText("save_data x.tif");
        emit save->fileSelected(dir.filePath("e.bat"));
        QCOMPARE(fileBytes(dir.filePath("e.bat")), QByteArray("save_data x.tif"));
        save->hide();
    }

    // Log text goes in as given, at the cursor, which stays at the end.
    void logInsertsAtTheCursor()
    {
        BatchCtrl w;
        w.Log("echo a");
        w.Log("next i : %i = 2\n");
        w.showCmdErr(CmdLine("bogus word # comment"));
        QCOMPARE(logView(w)->toPlainText(), QString("echo anext i : %i = 2\nErr: bogus word \n"));
        QVERIFY(logView(w)->textCursor().atEnd());
    }

    // A script of a hundred thousand lines, or an endless echo loop, used to
    // grow the log (and the memory) without end: the oldest lines go, and
    // a line of echoes is ended when it grows too long.
    void logStaysBounded()
    {
        BatchCtrl w;
        for (int i = 0; i < BatchCtrl::maxLogLines + 500; ++i)
            w.Log(QStringLiteral("seek_image : %1\n").arg(i));
        QCOMPARE(logView(w)->blockCount(), BatchCtrl::maxLogLines);
        QVERIFY(logView(w)->toPlainText().endsWith(QStringLiteral("seek_image : %1\n").arg(BatchCtrl::maxLogLines + 499)));
        for (int i = 0; i < 5000; ++i)
            w.Log("echo abc");
        int longest = 0;
        for (QTextBlock b = logView(w)->document()->begin(); b.isValid(); b = b.next())
            longest = qMax(longest, b.length());
        QVERIFY2(longest <= BatchCtrl::maxLogLineLength + 10, qPrintable(QString::number(longest)));
        QCOMPARE(logView(w)->blockCount(), BatchCtrl::maxLogLines);
    }

    // "-b file -x": the file is loaded, then run as if Exec. were pressed.
    void startUpHandOff()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("start.bat");
        QVERIFY(writeFile(path, "seek_image 4\r\nquit"));
        Rig rig;
        rig.window.setBatchFile(path);
        rig.window.execBatchSlot();
        QVERIFY(rig.waitForEnd());
        QCOMPARE(rig.executor.sent, QStringList({"1 0 [seek_image] [4]", "2 0 [quit]", "3 1 []"}));
    }

    // The window and its dialog in Japanese.
    void japanese()
    {
        QTranslator translator;
        QVERIFY(installJapanese(*qApp, translator));
        {
            BatchCtrl w;
            QCOMPARE(button(w, "Exec")->text(), QString::fromUtf8("実行"));
            QCOMPARE(button(w, "ClearLog")->text(), QString::fromUtf8("ログ消去"));
            QCOMPARE(w.findChild<QTabWidget*>()->tabText(1), QString::fromUtf8("進行ログ"));
            QVERIFY(!w.findChild<QFileDialog*>());
            QTest::mouseClick(button(w, "Load"), Qt::LeftButton);
            QFileDialog* dialog = w.findChild<QFileDialog*>();
            QVERIFY(dialog);
            dialog->hide();
            QCOMPARE(dialog->nameFilters().first(), QString::fromUtf8("バッチファイル (*.bat)"));
        }
        qApp->removeTranslator(&translator);
    }
};

QTEST_MAIN(TestBatchCtrl)
#include "tst_batchctrl.moc"
