#include "base/WorkerThread.h"

#include "base/LogCategories.h"

#include <QDebug>

bool startWorkerThread(QThread* thread, QObject* worker, QThread::Priority priority)
{
    // Started first: an object can only be moved from the thread it lives in,
    // so one moved onto a thread that then failed could never come back.
    thread->start(priority);
    if (!thread->isRunning()) {
        qCWarning(lcBase).noquote() << QStringLiteral("Not enough memory (or a process limit) for the thread \"%1\"; its work runs on the main thread")
                                           .arg(thread->objectName());
        return false;
    }
    worker->moveToThread(thread);
    return true;
}
