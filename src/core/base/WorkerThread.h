#pragma once

#include <QThread>

class QObject;

// Starts `thread` and moves `worker` onto it. A thread that cannot be had
// (no address space left for its stack, a process limit) would leave the
// worker on a thread that never runs, and everything sent to it waiting for
// ever: the worker then stays on the calling thread, slower but working, and
// the program says so. Returns whether the worker runs on its own thread.
bool startWorkerThread(QThread* thread, QObject* worker, QThread::Priority priority = QThread::InheritPriority);

// Tests stand in for a machine without room for another thread: while set,
// startWorkerThread starts nothing and keeps every worker where it is.
void refuseWorkerThreads(bool refuse);

// A worker's thread whose event loop outlives running out of memory: Qt's
// own allocations in the loop (outside any event handler, where the
// application's guard cannot catch them) would end the program; here the
// loop is entered again after a short pause, and the work queued for the
// thread is still done once memory is back.
class WorkerQThread : public QThread
{
public:
    using QThread::QThread;

protected:
    void run() override;
};
