#include "base/LargeBuffer.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <utility>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace LargeBuffer {

namespace {

constexpr std::size_t hugePage = std::size_t(2) << 20;

void freeStore(void* p, std::size_t alignment)
{
    ::operator delete[](p, std::align_val_t(alignment));
}

std::size_t physicalMemory()
{
#ifdef __linux__
    const long pages = sysconf(_SC_PHYS_PAGES), size = sysconf(_SC_PAGESIZE);
    if (pages > 0 && size > 0)
        return std::size_t(pages) * std::size_t(size);
#endif
    return std::size_t(4) << 30;
}

// The spare huge stores, all 2 MB aligned.
struct Spares {
    std::mutex mutex;
    std::vector<std::pair<std::size_t, void*>> stores;
    std::size_t bytes = 0;
    const std::size_t limit = physicalMemory() / 4;

    // Under the lock: lets go of every spare whose size differs from `keep`.
    void releaseOther(std::size_t keep)
    {
        auto it = std::remove_if(stores.begin(), stores.end(), [this, keep](const std::pair<std::size_t, void*>& s) {
            if (s.first == keep)
                return false;
            freeStore(s.second, hugePage);
            bytes -= s.first;
            return true;
        });
        stores.erase(it, stores.end());
    }
};

Spares& spares()
{
    static Spares* s = new Spares;   // never destroyed: stores may be freed during exit
    return *s;
}

void* takeSpare(std::size_t bytes)
{
    Spares& s = spares();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.releaseOther(bytes);
    if (s.stores.empty())
        return nullptr;
    void* p = s.stores.back().second;
    s.stores.pop_back();
    s.bytes -= bytes;
    return p;
}

} // namespace

void Deleter::operator()(void* p) const
{
    if (store) {
        store.reset();
        return;
    }
    if (!p)
        return;
    if (alignment == hugePage && spare) {
        Spares& s = spares();
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.bytes + bytes <= s.limit) {
#if defined(__linux__) && defined(MADV_FREE)
            madvise(p, bytes, MADV_FREE);   // the system may take the pages back
#endif
            s.stores.emplace_back(bytes, p);
            s.bytes += bytes;
            return;
        }
    }
    freeStore(p, alignment);
}

void* allocate(std::size_t bytes, Deleter* deleter)
{
    deleter->alignment = bytes >= hugePage ? hugePage : 64;
    deleter->bytes = bytes;
    if (deleter->alignment == hugePage)
        if (void* p = takeSpare(bytes))
            return p;
    void* p = ::operator new[](bytes ? bytes : 1, std::align_val_t(deleter->alignment), std::nothrow);
    if (!p && spareBytes() > 0) {
        releaseSpares();
        p = ::operator new[](bytes ? bytes : 1, std::align_val_t(deleter->alignment), std::nothrow);
    }
#ifdef __linux__
    if (p && deleter->alignment == hugePage)
        madvise(p, bytes, MADV_HUGEPAGE);   // advice only; failure changes nothing
#endif
    return p;
}

std::size_t spareBytes()
{
    Spares& s = spares();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.bytes;
}

void releaseSpares()
{
    Spares& s = spares();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (const auto& store : s.stores)
        freeStore(store.second, hugePage);
    s.stores.clear();
    s.bytes = 0;
}

void trimHeaps()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace LargeBuffer
