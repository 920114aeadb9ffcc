#include "base/SharedLoop.h"

#include <QThread>
#include <QThreadPool>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>

namespace {

struct LoopState {
    int items = 0;
    int chunk = 1;
    std::function<void(int, int)> work;
    std::atomic<int> next{0};
    // Threads that may still claim or be doing a chunk. A thread counts
    // itself in before its first claim, so the caller, once the items are all
    // claimed, knows whom to wait for.
    std::atomic<int> active{0};
    std::mutex mutex;
    std::condition_variable idle;
    std::exception_ptr error;   // the helper's, for the caller

    void takeChunks()
    {
        for (int first = next.fetch_add(chunk); first < items; first = next.fetch_add(chunk))
            work(first, first + chunk < items ? first + chunk : items);
    }
};

QThreadPool* helperPool()
{
    // One thread that stays, never destroyed: a late helper may still be
    // returning while the program exits.
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(1);
        p->setExpiryTimeout(-1);
        return p;
    }();
    return pool;
}

} // namespace

void shareLoop(int items, int chunk, const std::function<void(int first, int end)>& work)
{
    if (items <= 0)
        return;
    if (chunk < 1)
        chunk = 1;
    if (items <= chunk || QThread::idealThreadCount() < 2) {
        work(0, items);
        return;
    }
    auto state = std::make_shared<LoopState>();
    state->items = items;
    state->chunk = chunk;
    state->work = work;
    state->active = 1;   // the caller
    helperPool()->tryStart([state] {
        state->active.fetch_add(1);
        std::exception_ptr error;
        try {
            state->takeChunks();
        } catch (...) {
            error = std::current_exception();
        }
        std::lock_guard<std::mutex> lock(state->mutex);
        if (error)
            state->error = error;
        state->active.fetch_sub(1);
        state->idle.notify_all();
    });
    // The helper may be working on the caller's data: wait for it even when
    // the caller's own part failed.
    std::exception_ptr error;
    try {
        state->takeChunks();
    } catch (...) {
        error = std::current_exception();
        state->next.store(items);   // nothing more is started
    }
    std::unique_lock<std::mutex> lock(state->mutex);
    state->active.fetch_sub(1);
    state->idle.wait(lock, [&state] { return state->active.load() == 0; });
    if (!error)
        error = state->error;
    lock.unlock();
    if (error)
        std::rethrow_exception(error);
}
