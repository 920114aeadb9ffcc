#pragma once

#include <cstddef>
#include <memory>

// Memory for large stores (image samples, block values). A store of at least
// one huge page is aligned to 2 MB and asked to be backed by transparent huge
// pages, which spares thousands of page faults when it is first written: on a
// virtual machine first touching fresh memory costs more than reading an
// image into it. Smaller stores are 64-byte aligned.
//
// Freed huge stores wait as spares for the next store of the same size (a
// series loaded anew after its images were deleted): taking a spare skips
// the system's zeroing of fresh pages. Spares are marked free to the system,
// which takes their pages back when it runs short, and they are let go when
// a huge store of another size is asked for, when spares would exceed a
// quarter of the physical memory, or when an allocation fails.
namespace LargeBuffer {

// Releases what allocate() gave, with the alignment and size it was given.
// A part of a shared store (see part()) holds a share of the store instead:
// releasing the part drops the share, the last share frees the store.
struct Deleter {
    std::size_t alignment = 64;
    std::size_t bytes = 0;
    bool spare = true;   // a freed huge store waits as a spare
    mutable std::shared_ptr<void> store;
    void operator()(void* p) const;
};

template <class T>
using Ptr = std::unique_ptr<T[], Deleter>;

// Hands a store over to shared ownership, for parts of it to be given out.
template <class T>
std::shared_ptr<T> share(Ptr<T> store)
{
    Deleter d = store.get_deleter();
    return std::shared_ptr<T>(store.release(), d);
}

// The memory at `at` inside `store`, owned like a store of its own: the
// store lives until its last part (and its other shares) are gone.
template <class T>
Ptr<T> part(const std::shared_ptr<T>& store, T* at)
{
    Deleter d;
    d.store = store;
    return Ptr<T>(at, d);
}

// `bytes` uninitialised bytes, or null when the memory is not there.
void* allocate(std::size_t bytes, Deleter* deleter);

template <class T>
Ptr<T> make(std::size_t count)
{
    Deleter d;
    T* p = static_cast<T*>(allocate(count * sizeof(T), &d));
    return Ptr<T>(p, d);
}

// The same for passing use (sums, a buffer reused frame after frame): the
// store goes back to the system when freed instead of waiting as a spare,
// which would stay resident beside what a load keeps.
template <class T>
Ptr<T> makePassing(std::size_t count)
{
    Ptr<T> p = make<T>(count);
    p.get_deleter().spare = false;
    return p;
}

// Bytes held as spares, and handing every spare back to the system.
std::size_t spareBytes();
void releaseSpares();

// Hands what the allocator holds free in every thread's heap back to the
// system: a load's passing buffers (decoding, averaging) would otherwise stay
// resident beside the images it kept.
void trimHeaps();

} // namespace LargeBuffer
