#include "base/LargeBuffer.h"

#include <new>
#ifdef __linux__
#include <sys/mman.h>
#endif

namespace LargeBuffer {

namespace {
constexpr std::size_t hugePage = std::size_t(2) << 20;
}

void Deleter::operator()(void* p) const
{
    ::operator delete[](p, std::align_val_t(alignment));
}

void* allocate(std::size_t bytes, Deleter* deleter)
{
    deleter->alignment = bytes >= 2 * hugePage ? hugePage : 64;
    void* p = ::operator new[](bytes ? bytes : 1, std::align_val_t(deleter->alignment), std::nothrow);
#ifdef __linux__
    if (p && deleter->alignment == hugePage)
        madvise(p, bytes, MADV_HUGEPAGE);   // advice only; failure changes nothing
#endif
    return p;
}

} // namespace LargeBuffer
