#pragma once

#include <QString>
#include <QtGlobal>
#include <atomic>

// Long work cut into slices (a band of grid rows, one image, one map row):
// a JobRunner runs the slices one after the other in its worker thread and
// hands each finished slice to the GUI thread, which records its results
// before the next slice starts. Everything a slice reads must stay alive and
// unchanged until the runner is idle again (JobRunner::stopAndWait()).
class SlicedJob
{
public:
    virtual ~SlicedJob() = default;

    // Number of slices; fixed when the job starts.
    virtual int sliceCount() const = 0;
    // Items (spectra, images, pixels) of the whole job, for progress and rate.
    virtual qint64 totalItems() const = 0;
    // Worker thread: computes slice `index` and returns the items it did.
    // Long slices check `stop` now and then and may return early when it is set.
    virtual qint64 runSlice(int index, const std::atomic<bool>& stop) = 0;
    // GUI thread, after runSlice(index), in slice order: records its results.
    virtual void deliverSlice(int index) { Q_UNUSED(index); }
    // GUI thread, once: after the last delivery (stopped false) or when the
    // job was stopped (stopped true; undelivered slices are dropped).
    virtual void finish(bool stopped) { Q_UNUSED(stopped); }

    // Why the job could not do all of its work ("not enough memory for ..."),
    // empty while it could. The first reason given is kept. A job that fails
    // still finishes; its owner reads this afterwards and fails the action.
    const QString& failure() const { return m_failure; }
    void setFailure(const QString& why)
    {
        if (m_failure.isEmpty())
            m_failure = why;
    }

    // Every slice on the calling thread, each delivered before the next one
    // runs, then finish(false): for drivers and tests without an event loop.
    void runAllHere()
    {
        const std::atomic<bool> stop{false};
        for (int i = 0; i < sliceCount(); ++i) {
            runSlice(i, stop);
            deliverSlice(i);
        }
        finish(false);
    }

private:
    QString m_failure;
};
