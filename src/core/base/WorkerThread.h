#pragma once

#include <QThread>

class QObject;

// Starts `thread` and moves `worker` onto it. A thread that cannot be had
// (no address space left for its stack, a process limit) would leave the
// worker on a thread that never runs, and everything sent to it waiting for
// ever: the worker then stays on the calling thread, slower but working, and
// the program says so. Returns whether the worker runs on its own thread.
bool startWorkerThread(QThread* thread, QObject* worker, QThread::Priority priority = QThread::InheritPriority);
