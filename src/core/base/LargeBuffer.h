#pragma once

#include <cstddef>
#include <memory>

// Memory for large stores (image samples, block values). A store of at least
// two huge pages is aligned to 2 MB and asked to be backed by transparent
// huge pages, which spares tens of thousands of page faults when it is first
// written: on a virtual machine first touching fresh memory costs more than
// reading an image into it. Smaller stores are 64-byte aligned.
namespace LargeBuffer {

// Releases what allocate() gave, with the alignment it was given.
struct Deleter {
    std::size_t alignment = 64;
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

} // namespace LargeBuffer
