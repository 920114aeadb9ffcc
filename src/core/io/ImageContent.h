#pragma once

#include "base/LargeBuffer.h"

#include <QtGlobal>
#include <cstddef>
#include <limits>
#include <memory>

class SampleSlabs;

// The pixel data a reader produces: size, sample type, one contiguous sample
// buffer (row after row) and the value range. A reader fills one of these and
// the image record takes it over only when the whole file was read.
struct ImageContent {
    // Largest image any reader accepts (16384 x 16384 pixels). Bounds what a
    // compressed or text file may make us allocate.
    static constexpr quint64 maxPixels = quint64(1) << 28;

    quint32 width = 0;
    quint32 height = 0;
    int pixelType = 4;           // 0/1: 16-bit, 2: 32-bit unsigned, 3: float, 4: none
    quint16 bytesPerPixel = 2;
    quint32 scanlineBytes = 0;
    double minimum = std::numeric_limits<double>::max();
    double maximum = std::numeric_limits<double>::min();
    LargeBuffer::Ptr<unsigned char> samples;

    static int sampleSize(int pixelType)
    {
        return pixelType == 0 || pixelType == 1 ? 2 : (pixelType == 2 || pixelType == 3 ? 4 : 0);
    }

    // Sets the size and type and allocates width x height samples (not
    // initialised), cut from `slabs` when given and its buffers have the
    // size. False when the image has more than maxPixels pixels or the
    // memory is not there.
    bool allocate(quint32 w, quint32 h, int type, SampleSlabs* slabs = nullptr);

    // Widens minimum and maximum to the smallest and largest sample (NaN
    // samples are skipped). The initial values are the record's: the largest
    // finite double and the smallest positive normal double.
    void updateRange();
    // The same over `bytes` of samples starting at `p` (whole samples of
    // this image's type), for an image filled piece by piece.
    void widenRangeOver(const unsigned char* p, size_t bytes);
    // The same over n 16-bit samples; the TIFF reader calls it per scanline
    // while the line is still in the cache.
    void widenRange16(const quint16* p, size_t n);
};
