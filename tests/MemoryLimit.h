#pragma once

#include <QFile>
#include <QtGlobal>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

// Running out of memory on purpose: for its lifetime the process may use
// only `extraBytes` more address space than it uses now (RLIMIT_AS), so an
// allocation beyond that fails as it would on a full machine or under a
// cluster job's memory limit. Not usable under the sanitizers, which reserve
// terabytes of address space for their shadow memory.
class MemoryLimit
{
public:
    static bool usable()
    {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
        return false;
#else
        return true;
#endif
#else
        return true;
#endif
    }

    // Address space in use now (VmSize), in bytes.
    static qint64 inUse()
    {
        QFile statm(QStringLiteral("/proc/self/statm"));
        if (!statm.open(QIODevice::ReadOnly))
            return -1;
        return statm.readLine().split(' ').value(0).toLongLong() * qint64(::sysconf(_SC_PAGESIZE));
    }

    explicit MemoryLimit(qint64 extraBytes)
    {
        // Free memory the allocator still holds would be handed out again
        // under the limit.
        malloc_trim(0);
        getrlimit(RLIMIT_AS, &m_old);
        rlimit lower = m_old;
        lower.rlim_cur = rlim_t(inUse() + extraBytes);
        m_set = inUse() > 0 && setrlimit(RLIMIT_AS, &lower) == 0;
    }
    ~MemoryLimit()
    {
        if (m_set)
            setrlimit(RLIMIT_AS, &m_old);
    }
    MemoryLimit(const MemoryLimit&) = delete;
    MemoryLimit& operator=(const MemoryLimit&) = delete;

    bool isSet() const { return m_set; }

private:
    rlimit m_old{};
    bool m_set = false;
};

// Threads that wait until destroyed. The C library keeps the stacks of ended
// threads (up to 40 MB) and hands them to new ones, so under a MemoryLimit a
// thread start can still succeed after earlier tests; parked threads take
// those stacks first, and a thread started afterwards needs fresh address
// space. Made before the MemoryLimit, destroyed after it.
class ParkedThreads
{
public:
    explicit ParkedThreads(int n = 8)
    {
        for (int i = 0; i < n; ++i)
            m_threads.emplace_back([this] {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_wake.wait(lock, [this] { return m_quit; });
            });
    }
    ~ParkedThreads()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_quit = true;
        }
        m_wake.notify_all();
        for (std::thread& t : m_threads)
            t.join();
    }
    ParkedThreads(const ParkedThreads&) = delete;
    ParkedThreads& operator=(const ParkedThreads&) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_quit = false;
    std::vector<std::thread> m_threads;
};
