#include "base/JobRunner.h"
#include "base/Log.h"
#include "base/RunOnThreads.h"
#include "MemoryLimit.h"

#include <QDebug>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTest>
#include <QThread>
#include <atomic>
#include <csignal>
#include <functional>
#include <pthread.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

Q_DECLARE_METATYPE(std::function<void()>)

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

// A job whose slice `failing` runs out of memory, in the worker or on delivery.
class HungryJob : public CountingJob
{
public:
    HungryJob(int failing, bool onDelivery) : CountingJob(4, 1), m_failing(failing), m_onDelivery(onDelivery) {}
    qint64 runSlice(int index, const std::atomic<bool>& stop) override
    {
        if (index == m_failing && !m_onDelivery)
            throw std::bad_alloc();
        return CountingJob::runSlice(index, stop);
    }
    void deliverSlice(int index) override
    {
        if (index == m_failing && m_onDelivery)
            throw std::bad_alloc();
        CountingJob::deliverSlice(index);
    }
    void finish(bool stopped) override
    {
        if (m_failing == sliceCount() && !stopped)
            throw std::bad_alloc();
        CountingJob::finish(stopped);
    }

private:
    int m_failing;
    bool m_onDelivery;
};

// The message handler under the guard: runs out of memory while told to.
QtMessageHandler handlerBelow = nullptr;
bool handlerRunsOut = false;
void runningOutHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (handlerRunsOut)
        throw std::bad_alloc();
    handlerBelow(type, context, message);
}

} // namespace

class TestJobRunner : public QObject
{
    Q_OBJECT
private slots:
    void runnerWithoutThread();
    void slicesRunInWorkerAndDeliverInOrder();
    void jobWithoutSlicesFinishesAtOnce();
    void stopDropsTheSliceInFlight();
    void secondStartIsRefusedWhileRunning();
    void memoryRunningOutFailsTheJob_data();
    void memoryRunningOutFailsTheJob();
    void threadsThatCannotBeHad();
    void warningWithoutMemory_data();
    void warningWithoutMemory();
    void endWithoutMemory_data();
    void endWithoutMemory();
};

// A job runner without its worker thread used to wait for ever: the slices
// run on the calling thread instead. First of the tests, before any thread
// ended and left a stack the next one could reuse under the limit.
void TestJobRunner::runnerWithoutThread()
{
    if (!MemoryLimit::usable())
        QSKIP("the sanitizers reserve the address space a limit would bound");
    JobRunner runner;
    auto job = std::make_shared<CountingJob>(3, 2);
    QSignalSpy finished(&runner, &JobRunner::finished);
    {
        MemoryLimit limit(qint64(1) << 20);
        QVERIFY(limit.isSet());
        QVERIFY(runner.start(job));
    }
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.first().at(0).toBool(), false);
    QCOMPARE(job->delivered, (std::vector<int>{0, 1, 2}));
    QCOMPARE(job->workerThread, QThread::currentThread());
}

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

// A slice that runs out of memory used to end the program (an uncaught
// std::bad_alloc in the worker thread): the job is stopped and says why.
void TestJobRunner::memoryRunningOutFailsTheJob_data()
{
    QTest::addColumn<int>("failing");
    QTest::addColumn<bool>("onDelivery");
    QTest::newRow("first slice, in the worker") << 0 << false;
    QTest::newRow("third slice, in the worker") << 2 << false;
    QTest::newRow("second slice, on delivery") << 1 << true;
    QTest::newRow("putting the results together") << 4 << false;
}

void TestJobRunner::memoryRunningOutFailsTheJob()
{
    QFETCH(int, failing);
    QFETCH(bool, onDelivery);
    JobRunner runner;
    auto job = std::make_shared<HungryJob>(failing, onDelivery);
    QSignalSpy finished(&runner, &JobRunner::finished);
    QVERIFY(runner.start(job));
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.first().at(0).toBool(), true);
    QCOMPARE(runner.lastFailure(), QString("not enough memory"));
    QCOMPARE(job->failure(), QString("not enough memory"));
    QCOMPARE(job->delivered, std::vector<int>([&] {
                 std::vector<int> v;
                 for (int i = 0; i < failing; ++i)
                     v.push_back(i);
                 return v;
             }()));
    // A job that failed in its finish has not finished; any other was stopped.
    QCOMPARE(job->finishes, failing == 4 ? std::vector<bool>{} : std::vector<bool>{true});
    // The next job starts clean.
    auto next = std::make_shared<CountingJob>(2, 1);
    QVERIFY(runner.start(next));
    QVERIFY(finished.wait(5000));
    QVERIFY(runner.lastFailure().isEmpty());
}

// Threads that cannot be had (no address space for their stacks) used to end
// the program with std::system_error: their work runs on the calling thread,
// and an exception of any work reaches the caller once all have ended.
void TestJobRunner::threadsThatCannotBeHad()
{
    std::atomic<int> done{0};
    if (MemoryLimit::usable()) {
        MemoryLimit limit(qint64(1) << 20);
        QVERIFY(limit.isSet());
        runOnThreads(6, [&](int) { done.fetch_add(1); });
    } else {
        runOnThreads(6, [&](int) { done.fetch_add(1); });
    }
    QCOMPARE(done.load(), 6);
    bool caught = false;
    try {
        runOnThreads(3, [&](int t) {
            if (t == 2)
                throw std::bad_alloc();
            done.fetch_add(1);
        });
    } catch (const std::bad_alloc&) {
        caught = true;
    }
    QVERIFY(caught);
    QCOMPARE(done.load(), 8);
}

void TestJobRunner::warningWithoutMemory_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("ascii") << QStringLiteral("Not enough memory for an image") << QByteArray("Not enough memory for an image\n");
    QTest::newRow("others as ?") << QStringLiteral("gr\u00fc\u00dfe\ttab") << QByteArray("gr??e?tab\n");
    QTest::newRow("cut at the buffer") << QString(3000, QLatin1Char('x')) << QByteArray(1023, 'x') + '\n';
}

// A warning whose formatting ran out of memory used to end the program (the
// exception left through ~QDebug); the guard writes what it can instead.
void TestJobRunner::warningWithoutMemory()
{
    QFETCH(QString, message);
    QFETCH(QByteArray, written);
    if (!handlerBelow) {
        handlerBelow = qInstallMessageHandler(runningOutHandler);
        guardMessageOutput();
    }
    QTemporaryFile err;
    QVERIFY(err.open());
    fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(err.handle(), STDERR_FILENO);
    handlerRunsOut = true;
    qWarning().noquote() << message;
    handlerRunsOut = false;
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    err.seek(0);
    QCOMPARE(err.readAll(), written);
}

namespace {

struct ChildEnd {
    int status = -1; // waitpid's
    QByteArray err;
};

// Runs `work` in a child process (no core file) and returns how it ended
// and what it wrote to stderr.
ChildEnd runInChild(const std::function<void()>& work)
{
    ChildEnd end;
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return end;
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        ::dup2(pipeEnds[1], STDERR_FILENO);
        ::close(pipeEnds[0]);
        work();
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    char buffer[512];
    ssize_t n;
    while ((n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0)
        end.err.append(buffer, int(n));
    ::close(pipeEnds[0]);
    ::waitpid(pid, &end.status, 0);
    return end;
}

void throwOnThread(std::function<void()> thrower)
{
    std::thread t([thrower] {
        pthread_setname_np(pthread_self(), "reader");
        thrower();
    });
    t.join();
}

} // namespace

void TestJobRunner::endWithoutMemory_data()
{
    QTest::addColumn<std::function<void()>>("work");
    QTest::addColumn<int>("exitStatus"); // -1: ended by SIGABRT
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("given up in a thread")
        << std::function<void()>([] { throwOnThread([] { throw std::bad_alloc(); }); }) << 1
        << QByteArray("Not enough memory in the thread \"reader\" (nothing there could go on); the program ends\n");
    QTest::newRow("given up by a lock holder")
        << std::function<void()>([] { endForWantOfMemory("Not enough memory for the work of QSlider (event 12)"); })
        << 1 << QByteArray("Not enough memory for the work of QSlider (event 12); the program ends\n");
    QTest::newRow("other exceptions still abort")
        << std::function<void()>([] { throwOnThread([] { throw std::runtime_error("x"); }); }) << -1 << QByteArray();
}

// Memory that ran out where nothing catches it (Qt's own threads) used to
// abort the program; it ends with a message and status 1 instead.
void TestJobRunner::endWithoutMemory()
{
    QFETCH(std::function<void()>, work);
    QFETCH(int, exitStatus);
    QFETCH(QByteArray, written);
    const ChildEnd end = runInChild([work] {
        endOnUncaughtOutOfMemory();
        work();
    });
    if (exitStatus < 0) {
        QVERIFY(WIFSIGNALED(end.status));
        QCOMPARE(WTERMSIG(end.status), SIGABRT);
        return;
    }
    QVERIFY2(WIFEXITED(end.status), end.err.constData());
    QCOMPARE(WEXITSTATUS(end.status), exitStatus);
    QCOMPARE(end.err, written);
}

QTEST_GUILESS_MAIN(TestJobRunner)
#include "tst_jobrunner.moc"
