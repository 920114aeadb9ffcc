#include "BatchHarness.h"

#include "batch/BatchDispatcher.h"
#include "batch/BatchKeywords.h"

#include <QSignalSpy>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <memory>
#include <new>

// The dispatcher in a thread of its own, as the main window runs it, with an
// executor in the test's (GUI) thread that answers every line. Everything the
// dispatcher emits reaches the test through queued connections.
class TestBatchDispatcher : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        BatchKeywords::init();
        registerBatchMetaTypes();
    }
    void init()
    {
        m_thread = new QThread;
        m_dispatcher = new BatchDispatcher;
        m_dispatcher->moveToThread(m_thread);
        m_thread->start();
        m_executor = new FakeExecutor(m_dispatcher);
        m_executor->attach();
    }
    void cleanup()
    {
        m_thread->quit();
        m_thread->wait();
        delete m_dispatcher;
        delete m_thread;
        delete m_executor;
    }

    // Loops, unknown words and blank lines: every line sent in order, logged, one end.
    void runsAScriptAcrossThreads()
    {
        dispatch({":for i %i 1 3", "save_image out%i.png", ":next i", "bogus", ""});
        QVERIFY(waitForEnd());
        QCOMPARE(m_executor->ends, QList<bool>{false});
        QCOMPARE(m_executor->sent,
                 QStringList({"1 0 [:for] [i] [%i] [1] [3]", "2 0 [save_image] [out1.png]", "3 0 [:next] [i]",
                              "2 0 [save_image] [out2.png]", "3 0 [:next] [i]", "2 0 [save_image] [out3.png]",
                              "3 0 [:next] [i]", "4 0 [bogus]", "5 1 []"}));
        QCOMPARE(m_executor->log,
                 QString("for i : %i = 1\nsave_image : out1.png\nnext i : %i = 2\nsave_image : out2.png\n"
                         "next i : %i = 3\nsave_image : out3.png\nnext i : %i = 3\nErr: bogus\n"));
    }

    // A failure stops the run, names its line and is remembered; a late completion does not resume.
    void failureEndsTheRunAndNamesTheLine()
    {
        m_executor->failAt = 3;
        dispatch({"seek_image 1", "# note", "save_data \\", "  out.tif", "seek_image 2"});
        QVERIFY(waitForEnd());
        QCOMPARE(m_executor->ends, QList<bool>{true});
        QCOMPARE(m_executor->failures, QStringList{"Line 3: save_data failed"});
        QString remembered;
        QMetaObject::invokeMethod(m_dispatcher, [d = m_dispatcher, &remembered] { remembered = d->failure(); },
                                  Qt::BlockingQueuedConnection);
        QCOMPARE(remembered, QString("Line 3: save_data failed"));
        QCOMPARE(m_executor->sent.size(), 3);
        QVERIFY2(m_executor->log.endsWith("save_data : out.tif\nLine 3: save_data failed\n"),
                 qPrintable(m_executor->log));
        post(&BatchDispatcher::finishBatchExec);
        QCOMPARE(m_executor->sent.size(), 3);
        QCOMPARE(m_executor->ends.size(), 1);
    }

    // Stop while a line is held ends the run once; the held line's completion runs nothing more.
    void stopWhileALineIsHeld()
    {
        m_executor->hold << "load_I1_files";
        QSignalSpy received(m_executor, &FakeExecutor::lineReceived);
        dispatch({"load_I1_files NEW a.tif", "seek_image 5"});
        QVERIFY(received.wait(60000));
        QCOMPARE(m_executor->sent, QStringList{"1 0 [load_I1_files] [NEW] [a.tif]"});
        QMetaObject::invokeMethod(m_dispatcher, &BatchDispatcher::batchStopSlot, Qt::QueuedConnection);
        QVERIFY(waitForEnd());
        QCOMPARE(m_executor->ends, QList<bool>{true});
        post(&BatchDispatcher::finishBatchExec);
        QCOMPARE(m_executor->sent.size(), 1);
        QCOMPARE(m_executor->ends.size(), 1);
        post(&BatchDispatcher::batchStopSlot);
        QCOMPARE(m_executor->ends.size(), 1);
    }

    // Memory that runs out while a failure is reported (any of its signals)
    // still ends the run, failed, where the run used to wait for ever.
    void failureReportWithoutMemory_data()
    {
        QTest::addColumn<int>("failing");
        QTest::addColumn<int>("callsAfterThrow"); // the end is announced again, the reports are not
        QTest::newRow("log line") << 0 << 0;
        QTest::newRow("failure text") << 1 << 0;
        QTest::newRow("failure line") << 2 << 0;
        QTest::newRow("end, once") << 3 << 1;
    }
    void failureReportWithoutMemory()
    {
        QFETCH(int, failing);
        QFETCH(int, callsAfterThrow);
        // Atomic: the dispatcher's thread counts down while this one reads.
        auto throwsOnce = std::make_shared<std::atomic<int>>(1);
        auto runsOut = [throwsOnce] {
            if ((*throwsOnce)-- > 0)
                throw std::bad_alloc();
        };
        switch (failing) {
        case 0:
            connect(m_dispatcher, &BatchDispatcher::Log, m_dispatcher, [runsOut](const QString& text) {
                if (text.startsWith(QLatin1String("Line ")))
                    runsOut();
            }, Qt::DirectConnection);
            break;
        case 1:
            connect(m_dispatcher, &BatchDispatcher::runFailed, m_dispatcher, runsOut, Qt::DirectConnection);
            break;
        case 2:
            connect(m_dispatcher, &BatchDispatcher::runFailedAt, m_dispatcher, runsOut, Qt::DirectConnection);
            break;
        default:
            connect(m_dispatcher, &BatchDispatcher::runEnded, m_dispatcher, runsOut, Qt::DirectConnection);
        }
        m_executor->failAt = 2;
        dispatch({"seek_image 1", "save_data out.tif", "seek_image 2"});
        QVERIFY(waitForEnd());
        // The executor hears the first, failed announcement of the end before
        // the receiver after it runs out of memory: wait for the repeat too.
        QTRY_COMPARE(throwsOnce->load(), -callsAfterThrow);
        QCOMPARE(m_executor->ends.first(), true);
        QVERIFY(!m_executor->ends.contains(false));
        QCOMPARE(m_executor->sent.size(), 2);
        QString remembered;
        QMetaObject::invokeMethod(m_dispatcher, [d = m_dispatcher, &remembered] { remembered = d->failure(); },
                                  Qt::BlockingQueuedConnection);
        QCOMPARE(remembered, QString("Line 2: save_data failed"));
    }

    // A failure reported when no run is going is dropped without a trace.
    void failureOutsideARunIsIgnored()
    {
        QMetaObject::invokeMethod(m_dispatcher, [d = m_dispatcher] { d->commandFailed(QStringLiteral("x")); },
                                  Qt::QueuedConnection);
        drain();
        QVERIFY(m_executor->failures.isEmpty());
        QVERIFY(m_executor->ends.isEmpty());
        QVERIFY(m_executor->log.isEmpty());
    }

private:
    void dispatch(const QStringList& script)
    {
        QMetaObject::invokeMethod(m_dispatcher, [d = m_dispatcher, script] { d->doDispatchCmds(script); },
                                  Qt::QueuedConnection);
    }
    // Waits in the event loop for the run's end; only a broken hand-shake takes the minute.
    bool waitForEnd()
    {
        if (!m_executor->ends.isEmpty())
            return true;
        QSignalSpy spy(m_executor, &FakeExecutor::ended);
        return spy.wait(60000);
    }
    // Runs everything the dispatcher thread has queued, then everything it sent back.
    void drain()
    {
        QMetaObject::invokeMethod(m_dispatcher, [] {}, Qt::BlockingQueuedConnection);
        QCoreApplication::processEvents();
    }
    // Calls a slot of the dispatcher in its thread and lets every consequence arrive.
    void post(void (BatchDispatcher::*slot)())
    {
        QMetaObject::invokeMethod(m_dispatcher, slot, Qt::QueuedConnection);
        drain();
    }

    QThread* m_thread = nullptr;
    BatchDispatcher* m_dispatcher = nullptr;
    FakeExecutor* m_executor = nullptr;
};

QTEST_GUILESS_MAIN(TestBatchDispatcher)
#include "tst_batchdispatcher.moc"
