#include "base/JobRunner.h"

#include "base/WorkerThread.h"
#include <QMetaObject>
#include <QThread>
#include <new>

JobRunner::JobRunner(QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<JobProgress>("JobProgress");
}

JobRunner::~JobRunner()
{
    // No finish() or signal from a destructor: the owner is going away too.
    if (m_job) {
        m_stop->store(true);
        m_job.reset();
    }
    if (m_thread) {
        m_thread->quit();
        m_thread->wait();
        delete m_worker;
        delete m_thread;
    }
}

bool JobRunner::start(std::shared_ptr<SlicedJob> job)
{
    if (m_job || !job)
        return false;
    if (!m_thread) {
        m_thread = new WorkerQThread;
        m_thread->setObjectName(QStringLiteral("job worker"));
        m_worker = new QObject;
        startWorkerThread(m_thread, m_worker);
    }
    m_job = std::move(job);
    m_stop = std::make_shared<std::atomic<bool>>(false);
    ++m_generation;
    m_nextSlice = 0;
    m_lastFailure.clear();
    m_progress = JobProgress();
    m_progress.total = m_job->totalItems();
    m_clock.start();
    emit started(m_progress.total);
    runNextSlice();
    return true;
}

void JobRunner::runNextSlice()
{
    if (!m_job)
        return;
    if (m_nextSlice >= m_job->sliceCount()) {
        endJob(false);
        return;
    }
    const int index = m_nextSlice++;
    const quint64 generation = m_generation;
    std::shared_ptr<SlicedJob> job = m_job;
    std::shared_ptr<std::atomic<bool>> stop = m_stop;
    QMetaObject::invokeMethod(m_worker, [this, job, stop, generation, index] {
        qint64 items = 0;
        QString failure;
        {
            QMutexLocker lock(&m_sliceLock);
            if (stop->load())
                return;
            // A slice that runs out of memory ends the job, not the program.
            try {
                items = job->runSlice(index, *stop);
            } catch (const std::bad_alloc&) {
                failure = QStringLiteral("not enough memory");
            }
        }
        if (!failure.isEmpty()) {
            QMetaObject::invokeMethod(this, [this, generation, failure] { sliceFailed(generation, failure); },
                                      Qt::QueuedConnection);
            return;
        }
        QMetaObject::invokeMethod(this, [this, generation, index, items] {
            sliceDone(generation, index, items);
        }, Qt::QueuedConnection);
    }, Qt::QueuedConnection);
}

void JobRunner::sliceDone(quint64 generation, int index, qint64 items)
{
    // A slice of a stopped (or since replaced) job comes back: drop it.
    if (!m_job || generation != m_generation)
        return;
    try {
        m_job->deliverSlice(index);
    } catch (const std::bad_alloc&) {
        sliceFailed(generation, QStringLiteral("not enough memory"));
        return;
    }
    m_progress.done += items;
    const double seconds = m_clock.nsecsElapsed() * 1e-9;
    m_progress.itemsPerSecond = seconds > 0.0 ? double(m_progress.done) / seconds : 0.0;
    m_progress.secondsLeft = m_progress.itemsPerSecond > 0.0
        ? double(qMax<qint64>(0, m_progress.total - m_progress.done)) / m_progress.itemsPerSecond
        : -1.0;
    // A progress display without memory to draw in must not end the job.
    try {
        emit progress(m_progress);
    } catch (const std::bad_alloc&) {
    }
    runNextSlice();
}

void JobRunner::sliceFailed(quint64 generation, const QString& why)
{
    if (!m_job || generation != m_generation)
        return;
    m_job->setFailure(why);
    stop();
}

void JobRunner::stop()
{
    if (!m_job)
        return;
    m_stop->store(true);
    ++m_generation;
    endJob(true);
}

void JobRunner::endJob(bool stopped)
{
    std::shared_ptr<SlicedJob> job = std::move(m_job);
    m_job.reset();
    // Putting the results together takes their memory: a job that finds none
    // fails, and ends as a stopped one, instead of never ending.
    try {
        job->finish(stopped);
    } catch (const std::bad_alloc&) {
        job->setFailure(QStringLiteral("not enough memory"));
        stopped = true;
    }
    m_lastFailure = job->failure();
    emit finished(stopped);
}

void JobRunner::stopAndWait()
{
    stop();
    if (!m_thread)
        return;
    QMutexLocker lock(&m_sliceLock);
}
