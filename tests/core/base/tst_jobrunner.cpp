#include "base/JobRunner.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <atomic>
#include <vector>

namespace {

// Slices of `items` items each; slice `slowSlice` waits until released.
class CountingJob : public SlicedJob
{
public:
    CountingJob(int slices, qint64 items) : m_slices(slices), m_items(items) {}
    int sliceCount() const override { return m_slices; }
    qint64 totalItems() const override { return m_slices * m_items; }
    qint64 runSlice(int index, const std::atomic<bool>& stop) override
    {
        ran.fetch_add(1);
        workerThread = QThread::currentThread();
        while (index == slowSlice && !release.load() && !stop.load())
            QThread::msleep(1);
        return m_items;
    }
    void deliverSlice(int index) override
    {
        delivered.push_back(index);
        deliveryThread = QThread::currentThread();
    }
    void finish(bool stopped) override
    {
        finishes.push_back(stopped);
    }

    std::atomic<int> ran{0};
    std::atomic<bool> release{false};
    int slowSlice = -1;
    std::vector<int> delivered;
    std::vector<bool> finishes;
    QThread* workerThread = nullptr;
    QThread* deliveryThread = nullptr;

private:
    int m_slices;
    qint64 m_items;
};

} // namespace

class TestJobRunner : public QObject
{
    Q_OBJECT
private slots:
    void slicesRunInWorkerAndDeliverInOrder();
    void jobWithoutSlicesFinishesAtOnce();
    void stopDropsTheSliceInFlight();
    void secondStartIsRefusedWhileRunning();
};

void TestJobRunner::slicesRunInWorkerAndDeliverInOrder()
{
    JobRunner runner;
    auto job = std::make_shared<CountingJob>(5, 10);
    QSignalSpy done(&runner, &JobRunner::finished);
    QSignalSpy progress(&runner, &JobRunner::progress);
    QVERIFY(runner.start(job));
    QVERIFY(runner.isRunning());
    QVERIFY(done.wait(5000));
    QCOMPARE(done.first().first().toBool(), false);
    QCOMPARE(job->delivered, (std::vector<int>{0, 1, 2, 3, 4}));
    QCOMPARE(job->finishes, std::vector<bool>{false});
    QVERIFY(job->workerThread != QThread::currentThread());
    QCOMPARE(job->deliveryThread, QThread::currentThread());
    QCOMPARE(progress.count(), 5);
    const JobProgress last = progress.last().first().value<JobProgress>();
    QCOMPARE(last.done, qint64(50));
    QCOMPARE(last.total, qint64(50));
    QCOMPARE(last.percent(), 100.0);
    QVERIFY(!runner.isRunning());
}

void TestJobRunner::jobWithoutSlicesFinishesAtOnce()
{
    JobRunner runner;
    auto job = std::make_shared<CountingJob>(0, 1);
    QSignalSpy done(&runner, &JobRunner::finished);
    QVERIFY(runner.start(job));
    QCOMPARE(done.count(), 1);
    QCOMPARE(job->finishes, std::vector<bool>{false});
    QVERIFY(!runner.isRunning());
}

void TestJobRunner::stopDropsTheSliceInFlight()
{
    JobRunner runner;
    auto job = std::make_shared<CountingJob>(4, 1);
    job->slowSlice = 1;
    QSignalSpy done(&runner, &JobRunner::finished);
    QVERIFY(runner.start(job));
    QTRY_VERIFY(job->ran.load() == 2 && job->delivered.size() == 1);
    runner.stop();
    // Stopping is immediate on the GUI side.
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.first().first().toBool(), true);
    QCOMPARE(job->finishes, std::vector<bool>{true});
    runner.stopAndWait();
    QTest::qWait(50);
    // The slow slice came back after the stop and was dropped; nothing ran after it.
    QCOMPARE(job->delivered, std::vector<int>{0});
    QCOMPARE(job->ran.load(), 2);
    QCOMPARE(done.count(), 1);

    // The runner takes a new job afterwards.
    auto next = std::make_shared<CountingJob>(2, 1);
    QVERIFY(runner.start(next));
    QVERIFY(done.wait(5000));
    QCOMPARE(next->delivered, (std::vector<int>{0, 1}));
}

void TestJobRunner::secondStartIsRefusedWhileRunning()
{
    JobRunner runner;
    auto job = std::make_shared<CountingJob>(3, 1);
    job->slowSlice = 0;
    QVERIFY(runner.start(job));
    QVERIFY(!runner.start(std::make_shared<CountingJob>(1, 1)));
    job->release.store(true);
    QSignalSpy done(&runner, &JobRunner::finished);
    QVERIFY(done.wait(5000));
    QCOMPARE(job->delivered, (std::vector<int>{0, 1, 2}));
}

QTEST_GUILESS_MAIN(TestJobRunner)
#include "tst_jobrunner.moc"
