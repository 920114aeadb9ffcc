#pragma once

#include "base/LargeBuffer.h"

#include <cstddef>
#include <memory>

// The sample buffers of a run of images of one size (the images of an HDF5
// stack or of a TXRM file), cut from a few large stores instead of being
// allocated one by one. A store of megabytes is backed by huge pages, so
// first writing the images costs a few page faults instead of one per 4 KB,
// which on a virtual machine is more than reading the images.
//
// A store of 2 MB or more is rounded up to whole huge pages; the part of
// the last one no image takes is handed back. It holds up to storeBytes of
// images (at least one image) and lives as long as any image cut from it.
// When a store cannot be had, the image gets a buffer of its own.
//
// How the pages come in:
// - FaultAhead: the store is faulted in when it is made, before the read
//   that takes a lock shared with other readers (the HDF5 library's).
// - FaultOnWrite: the reads fault the pages as they write them; one pass
//   over fresh memory instead of two (zeroing, then the read) costs less
//   when nothing makes the read wait.
// - Recycle: one image per store, handed out again once its last image is
//   gone (frames averaged one by one): the same pages serve every frame.
class SampleSlabs
{
public:
    static constexpr std::size_t storeBytes = std::size_t(32) << 20;
    enum Faulting { FaultAhead, FaultOnWrite, Recycle };

    // Buffers of `bytes` each for the next `count` images.
    SampleSlabs(std::size_t bytes, int count, Faulting faulting = FaultAhead);
    ~SampleSlabs();
    SampleSlabs(const SampleSlabs&) = delete;
    SampleSlabs& operator=(const SampleSlabs&) = delete;

    // The next image's buffer (not initialised), 64-byte aligned; null when
    // the memory is not there.
    LargeBuffer::Ptr<unsigned char> take();
    // Lets go of the store being cut (the images taken keep it). Call it
    // (or destroy the slabs) only after the last image taken was written.
    void release();

    std::size_t bytes() const { return m_bytes; }
    int imagesPerStore() const { return m_perStore; }

private:
    // FaultOnWrite: hands back the pages of the store past its last image.
    void trimTail();

    Faulting m_faulting = FaultAhead;
    std::size_t m_bytes = 0;
    std::size_t m_stride = 0;   // m_bytes rounded up to 64
    int m_perStore = 1;
    int m_left = 0;             // images still to come
    std::shared_ptr<unsigned char> m_store;
    int m_cut = 0;              // images cut from m_store
    int m_inStore = 0;          // images m_store has room for
    std::size_t m_storeSize = 0;  // bytes of m_store
};
