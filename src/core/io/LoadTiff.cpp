#include "io/LoadTiff.h"

#include "base/AnnounceOrEnd.h"
#include "base/LargeBuffer.h"
#include "base/Log.h"
#include "io/TiffData.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace {

// The files of one request as the readers fill them: slot k is the k-th file
// to read. Readers take slots in order, at most `window` ahead of the one the
// loader hands out next, and mark each done; the loader waits for the slot
// it needs.
struct ReadAhead {
    struct Slot {
        std::unique_ptr<TiffData> data;
        bool ok = false;
        bool done = false;
    };
    std::vector<Slot> items;
    std::mutex mutex;
    std::condition_variable changed;
    int nextToRead = 0;
    int nextToHand = 0;
    int window = 1;
    bool quit = false;
};

} // namespace

LoadTiff::LoadTiff(QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<LoadedImages>("LoadedImages");
}

void LoadTiff::cancelRequestsUpTo(int n)
{
    int current = m_cancelledUpTo.load();
    while (n > current && !m_cancelledUpTo.compare_exchange_weak(current, n)) {
    }
}

int LoadTiff::filesToRead(int fileCount, int skip, int cutFirst, int cutLast)
{
    const qint64 step = std::max(skip, 1);
    const qint64 first = std::max(cutFirst, 0);
    const qint64 end = qint64(fileCount) - std::max(cutLast, 0);
    if (end <= first)
        return 0;
    return int((end - first + step - 1) / step);
}

void LoadTiff::loadTiffs(QStringList files, int skip, int cutFirst, int cutLast)
{
    const int request = ++m_lastRequest;
    m_busy = true;

    int asked = isCancelled(request) ? 0 : filesToRead(files.size(), skip, cutFirst, cutLast);
    const qint64 step = std::max(skip, 1);
    const qint64 first = std::max(cutFirst, 0);
    const auto fileNo = [step, first](int k) { return int(first + k * step); };
    const bool render = m_renderOnLoad.load();
    const int readers = std::min(asked, m_readers > 0 ? m_readers.load() : std::max(1, QThread::idealThreadCount()));

    const QStringList& names = files;   // read by every reader: no detaching
    ReadAhead ahead;
    try {
        ahead.items.resize(std::size_t(asked));
    } catch (const std::bad_alloc&) {
        warnNoMemory("Not enough memory to load the files");
        asked = 0;
    }
    ahead.window = 2 * readers;
    // One file into its slot. A read without memory for its image (or for
    // the image object) is a failed read, like a broken file.
    const auto readInto = [&](std::unique_lock<std::mutex>& lock, int k) {
        lock.unlock();
        std::unique_ptr<TiffData> data;
        bool ok = false;
        try {
            data = std::make_unique<TiffData>();
            ok = data->read(names.at(fileNo(k)), render);
        } catch (const std::bad_alloc&) {
            data.reset();
            ok = false;
        }
        lock.lock();
        ahead.items[std::size_t(k)].data = std::move(data);
        ahead.items[std::size_t(k)].ok = ok;
        ahead.items[std::size_t(k)].done = true;
        ahead.changed.notify_all();
    };
    const auto readFiles = [&] {
        std::unique_lock<std::mutex> lock(ahead.mutex);
        for (;;) {
            ahead.changed.wait(lock, [&] {
                return ahead.quit || ahead.nextToRead >= asked || ahead.nextToRead < ahead.nextToHand + ahead.window;
            });
            if (ahead.quit || ahead.nextToRead >= asked || isCancelled(request))
                return;
            readInto(lock, ahead.nextToRead++);
        }
    };
    // Readers that cannot be started (no address space for a stack, a
    // process limit) are done without: with none at all the loader reads
    // each file itself when it needs it.
    std::vector<std::thread> pool;
    // However this request ends, its readers are stopped and waited for: a
    // thread still running at the end of the pool ends the program.
    struct Joiner {
        ReadAhead& ahead;
        std::vector<std::thread>& pool;
        ~Joiner()
        {
            {
                std::lock_guard<std::mutex> lock(ahead.mutex);
                ahead.quit = true;
            }
            ahead.changed.notify_all();
            for (std::thread& t : pool)
                if (t.joinable())
                    t.join();
        }
    } joiner{ahead, pool};
    try {
        pool.reserve(std::size_t(readers));
        for (int t = 0; t < readers; ++t)
            pool.emplace_back(readFiles);
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }

    // Handing an image over takes memory too (a queued call): without it the
    // rest of the list is given up, the readers stopped and the request
    // still finished, so that its caller does not wait for ever.
    try {
        for (int done = 0; done < asked && !isCancelled(request); ++done) {
            std::unique_ptr<TiffData> data;
            bool ok = false;
            {
                std::unique_lock<std::mutex> lock(ahead.mutex);
                ReadAhead::Slot& slot = ahead.items[std::size_t(done)];
                if (pool.empty() && !slot.done && ahead.nextToRead == done)
                    readInto(lock, ahead.nextToRead++);
                // A reader that saw the cancel leaves its slot unread: look
                // at the cancel now and then.
                while (!slot.done && !isCancelled(request))
                    ahead.changed.wait_for(lock, std::chrono::milliseconds(20));
                if (!slot.done)
                    break;
                data = std::move(slot.data);
                ok = slot.ok;
                ahead.nextToHand = done + 1;
                ahead.changed.notify_all();
            }
            if (isCancelled(request))
                break;
            if (ok)
                emit loaded(data.release(), fileNo(done));
            emit progress(done + 1, asked);
        }
    } catch (const std::bad_alloc&) {
        warnNoMemory("Not enough memory to hand over the images; the load was given up");
    }

    {
        std::lock_guard<std::mutex> lock(ahead.mutex);
        ahead.quit = true;
        ahead.changed.notify_all();
    }
    for (std::thread& t : pool)
        t.join();
    // Images read ahead of a cancel go with `ahead`.
    m_busy = false;
    announceFinish();
}

void LoadTiff::announceFinish()
{
    // The caller waits for this signal; the loader may be the main thread.
    announceOrEnd("the end of a load", [this] { emit finishLoadFiles(); });
}

void LoadTiff::loadSource(ImageSourcePtr source)
{
    const int request = ++m_lastRequest;
    m_busy = true;
    const int asked = source ? source->count() : 0;
    const auto cancelled = [this, request] { return isCancelled(request); };
    const bool grouped = m_grouped.load();
    // Grouped: images read and not yet handed over, owned here until they are.
    std::vector<std::pair<std::unique_ptr<TiffData>, int>> pending;
    QElapsedTimer sinceHandOver;
    bool handedOver = false;
    const auto handOver = [&](int done) {
        LoadedImages group;
        group.reserve(int(pending.size()));
        for (const auto& [data, fNo] : pending)
            group.append({data.get(), fNo});
        emit loadedGroup(group);
        for (auto& p : pending)
            p.first.release();
        pending.clear();
        emit progress(done, asked);
        sinceHandOver.start();
        handedOver = true;
    };
    try {
        for (int i = 0; i < asked && !isCancelled(request); ++i) {
            std::unique_ptr<TiffData> data = source->read(i, m_renderOnLoad.load(), cancelled);
            if (isCancelled(request))
                break;
            if (!grouped) {
                if (data)
                    emit loaded(data.release(), i);
                emit progress(i + 1, asked);
                continue;
            }
            if (data)
                pending.emplace_back(std::move(data), i);
            const bool last = i + 1 == asked;
            if (last || !handedOver || sinceHandOver.elapsed() >= handOverMs)
                handOver(i + 1);
        }
    } catch (const std::bad_alloc&) {
        warnNoMemory("Not enough memory to load the images; the load was given up");
    }
    // The reading's passing buffers (compressed chunks, decoded ones) are
    // free now: they go back rather than stay beside the images.
    source.reset();
    LargeBuffer::trimHeaps();
    m_busy = false;
    announceFinish();
}
