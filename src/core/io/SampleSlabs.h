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
// A store is faulted in when it is made, outside any lock a reader takes.
// One of 2 MB or more is rounded up to whole huge pages.
// It holds up to storeBytes of images (at least one image) and lives
// as long as any image cut from it: a reader that drops each image after
// use (an average of frames) holds one store at a time. When a store cannot
// be had, the image gets a buffer of its own.
class SampleSlabs
{
public:
    static constexpr std::size_t storeBytes = std::size_t(32) << 20;

    // Buffers of `bytes` each for the next `count` images.
    SampleSlabs(std::size_t bytes, int count);

    // The next image's buffer (not initialised), 64-byte aligned; null when
    // the memory is not there.
    LargeBuffer::Ptr<unsigned char> take();
    // Lets go of the store being cut (the images taken keep it).
    void release();

    std::size_t bytes() const { return m_bytes; }
    int imagesPerStore() const { return m_perStore; }

private:
    std::size_t m_bytes = 0;
    std::size_t m_stride = 0;   // m_bytes rounded up to 64
    int m_perStore = 1;
    int m_left = 0;             // images still to come
    std::shared_ptr<unsigned char> m_store;
    int m_cut = 0;              // images cut from m_store
    int m_inStore = 0;          // images m_store has room for
};
