#include "base/WorkerThread.h"

#include "base/LogCategories.h"

#include <QDebug>
#include <atomic>
#include <new>

namespace {

std::atomic<bool> refused{false};

}

void refuseWorkerThreads(bool refuse)
{
    refused.store(refuse);
}

bool startWorkerThread(QThread* thread, QObject* worker, QThread::Priority priority)
{
    // Started first: an object can only be moved from the thread it lives in,
    // so one moved onto a thread that then failed could never come back.
    if (!refused.load())
        thread->start(priority);
    if (!thread->isRunning()) {
        qCWarning(lcBase).noquote() << QStringLiteral("Not enough memory (or a process limit) for the thread \"%1\"; its work runs on the main thread")
                                           .arg(thread->objectName());
        return false;
    }
    worker->moveToThread(thread);
    return true;
}

void WorkerQThread::run()
{
    bool warned = false;
    for (;;) {
        try {
            exec();
            return;
        } catch (const std::bad_alloc&) {
            if (!warned) {
                warned = true;
                try {
                    qCWarning(lcBase).noquote() << "Not enough memory for the event loop of a worker thread; it goes on";
                } catch (const std::bad_alloc&) {
                }
            }
            msleep(20);
        }
    }
}
