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
struct Deleter {
    std::size_t alignment = 64;
    std::size_t bytes = 0;
    void operator()(void* p) const;
};

template <class T>
using Ptr = std::unique_ptr<T[], Deleter>;

// `bytes` uninitialised bytes, or null when the memory is not there.
void* allocate(std::size_t bytes, Deleter* deleter);

template <class T>
Ptr<T> make(std::size_t count)
{
    Deleter d;
    T* p = static_cast<T*>(allocate(count * sizeof(T), &d));
    return Ptr<T>(p, d);
}

// Bytes held as spares, and handing every spare back to the system.
std::size_t spareBytes();
void releaseSpares();

} // namespace LargeBuffer
