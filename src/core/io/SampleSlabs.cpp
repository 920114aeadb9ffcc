#include "io/SampleSlabs.h"

#include <algorithm>
#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {

// Stores of a huge page or more are whole huge pages: the system backs a
// partly covered last one with small pages, one fault (costly on a virtual
// machine) per 4 KB. The part of the last one no image takes is handed back
// once faulted in.
constexpr std::size_t hugePage = std::size_t(2) << 20;
constexpr std::size_t smallPage = 4096;

std::size_t storeSize(std::size_t used)
{
    return used >= hugePage ? (used + hugePage - 1) / hugePage * hugePage : used;
}

// Hands back the pages of a store of `size` bytes past its first `used`.
void dropPagesPast(unsigned char* store, std::size_t size, std::size_t used)
{
#ifdef __linux__
    const std::size_t kept = (used + smallPage - 1) / smallPage * smallPage;
    if (size > kept)
        madvise(store + kept, size - kept, MADV_DONTNEED);
#else
    (void)store, (void)size, (void)used;
#endif
}

}

SampleSlabs::SampleSlabs(std::size_t bytes, int count, Faulting faulting)
    : m_faulting(faulting), m_bytes(bytes), m_stride((bytes + 63) / 64 * 64), m_left(std::max(count, 0))
{
    if (m_stride > 0 && faulting != Recycle)
        m_perStore = int(std::max<std::size_t>(1, std::min<std::size_t>(storeBytes / m_stride, 1u << 20)));
}

SampleSlabs::~SampleSlabs()
{
    release();
}

LargeBuffer::Ptr<unsigned char> SampleSlabs::take()
{
    if (m_faulting == Recycle) {
        // Only the slabs hold the store: its last image is gone.
        if (!m_store || m_store.use_count() > 1) {
            m_store = LargeBuffer::share(LargeBuffer::makePassing<unsigned char>(m_bytes));
            if (!m_store)
                return nullptr;
        }
        return LargeBuffer::part(m_store, m_store.get());
    }
    if (m_left <= 0 || m_stride == 0)
        return LargeBuffer::make<unsigned char>(m_bytes);
    if (!m_store || m_cut >= m_inStore) {
        release();
        const int n = std::min(m_perStore, m_left);
        const std::size_t used = m_stride * std::size_t(n);
        LargeBuffer::Ptr<unsigned char> store = LargeBuffer::make<unsigned char>(storeSize(used));
        if (!store) {
            // Short of a whole store: this image alone may still fit.
            --m_left;
            return LargeBuffer::make<unsigned char>(m_bytes);
        }
        if (m_faulting == FaultAhead) {
            // Fault the store in now, before the reader takes its turn at
            // the file: another reader's turn then overlaps with it.
            for (std::size_t at = 0; at < used; at += smallPage)
                store[at] = 0;
            dropPagesPast(store.get(), storeSize(used), used);
        }
        m_store = LargeBuffer::share(std::move(store));
        m_storeSize = storeSize(used);
        m_inStore = n;
        m_cut = 0;
    }
    --m_left;
    return LargeBuffer::part(m_store, m_store.get() + m_stride * std::size_t(m_cut++));
}

void SampleSlabs::trimTail()
{
    // The write into the last huge page brought in all of it; what lies past
    // the images goes back (a load cut short leaves more).
    if (m_faulting == FaultOnWrite && m_store)
        dropPagesPast(m_store.get(), m_storeSize, m_stride * std::size_t(m_cut));
}

void SampleSlabs::release()
{
    trimTail();
    m_store.reset();
    m_cut = m_inStore = 0;
    m_storeSize = 0;
}
