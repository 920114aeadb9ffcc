#pragma once

#include "base/SlicedJob.h"

#include <QElapsedTimer>
#include <QMetaType>
#include <QMutex>
#include <QObject>
#include <atomic>
#include <memory>

class QThread;

// Where a job stands: items done of items in all, the rate so far and the
// time the rest will take at that rate (-1 while unknown).
struct JobProgress {
    qint64 done = 0;
    qint64 total = 0;
    double itemsPerSecond = 0.0;
    double secondsLeft = -1.0;

    double percent() const { return total > 0 ? 100.0 * double(done) / double(total) : 0.0; }
};
Q_DECLARE_METATYPE(JobProgress)

// Runs one SlicedJob at a time in a worker thread of its own: slice k is
// computed in the worker, delivered on the GUI thread, and only then is
// slice k + 1 started, so results are recorded in order where the maps live
// and the GUI thread never blocks on the work. stop() takes effect at once on
// the GUI side: the job finishes as stopped, the slice still computing is
// dropped when it comes back, and no later slice runs.
//
// Lives in the thread that calls start() (the GUI thread); the worker thread
// is started on first use and stopped by the destructor.
class JobRunner : public QObject
{
    Q_OBJECT
public:
    explicit JobRunner(QObject* parent = nullptr);
    ~JobRunner() override;

    // Starts `job` unless one is running (false then). A job without slices
    // finishes at once (finish(false) and finished(false) before returning).
    bool start(std::shared_ptr<SlicedJob> job);
    bool isRunning() const { return bool(m_job); }
    JobProgress lastProgress() const { return m_progress; }
    // Why the last job did not do all of its work: its own failure(), or
    // "not enough memory" when a slice ran out of memory (the job is then
    // stopped: finished(true)). Empty when it did; cleared by start().
    const QString& lastFailure() const { return m_lastFailure; }

    // Stops the running job (if any) and blocks until the worker has left
    // the slice it may still be computing. Call it before destroying or
    // changing anything a slice reads (the image series, the maps it fills).
    void stopAndWait();

public slots:
    // Finishes the running job as stopped; nothing when idle.
    void stop();

signals:
    void started(qint64 totalItems);
    void progress(JobProgress p);
    // After the job's own finish(stopped).
    void finished(bool stopped);

private:
    void runNextSlice();
    void endJob(bool stopped);
    void sliceDone(quint64 generation, int index, qint64 items);
    void sliceFailed(quint64 generation, const QString& why);

    QThread* m_thread = nullptr;
    QObject* m_worker = nullptr;
    std::shared_ptr<SlicedJob> m_job;
    std::shared_ptr<std::atomic<bool>> m_stop;
    quint64 m_generation = 0;
    int m_nextSlice = 0;
    JobProgress m_progress;
    QString m_lastFailure;
    QElapsedTimer m_clock;
    // Held by the worker while it computes a slice.
    QMutex m_sliceLock;
};
