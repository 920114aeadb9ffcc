#include "io/ImageContent.h"

#include "io/SampleSlabs.h"

#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

bool ImageContent::allocate(quint32 w, quint32 h, int type, SampleSlabs* slabs)
{
    const quint64 pixels = quint64(w) * h;
    if (pixels > maxPixels)
        return false;
    width = w;
    height = h;
    pixelType = type;
    samples.reset();
    if (pixels == 0)
        return true;
    const size_t bytes = size_t(pixels) * sampleSize(type);
    samples = slabs && slabs->bytes() == bytes ? slabs->take() : LargeBuffer::make<unsigned char>(bytes);
    return samples != nullptr;
}

namespace {

template <class T>
void widenRange(const T* p, size_t n, double& minimum, double& maximum)
{
    if (n == 0)
        return;
    T lo = p[0];
    T hi = p[0];
    for (size_t i = 1; i < n; ++i) {
        lo = p[i] < lo ? p[i] : lo;
        hi = p[i] > hi ? p[i] : hi;
    }
    if (double(lo) < minimum)
        minimum = double(lo);
    if (double(hi) > maximum)
        maximum = double(hi);
}

void widenRangeFloat(const float* p, size_t n, double& minimum, double& maximum)
{
    for (size_t i = 0; i < n; ++i) {
        const double v = p[i];
        if (v < minimum)
            minimum = v;
        if (v > maximum)
            maximum = v;
    }
}

}

void ImageContent::widenRange16(const quint16* p, size_t n)
{
    if (n == 0)
        return;
    quint16 lo = p[0];
    quint16 hi = p[0];
    size_t i = 0;
#if defined(__SSE2__)
    // Eight samples at a time; SSE2 compares signed 16-bit lanes, so the
    // samples are biased by 0x8000 first.
    if (n >= 8) {
        const __m128i bias = _mm_set1_epi16(short(0x8000));
        __m128i vlo = _mm_set1_epi16(0x7fff);
        __m128i vhi = _mm_set1_epi16(short(0x8000));
        for (; i + 8 <= n; i += 8) {
            const __m128i v = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), bias);
            vlo = _mm_min_epi16(vlo, v);
            vhi = _mm_max_epi16(vhi, v);
        }
        alignas(16) quint16 los[8];
        alignas(16) quint16 his[8];
        _mm_store_si128(reinterpret_cast<__m128i*>(los), _mm_xor_si128(vlo, bias));
        _mm_store_si128(reinterpret_cast<__m128i*>(his), _mm_xor_si128(vhi, bias));
        for (int k = 0; k < 8; ++k) {
            lo = los[k] < lo ? los[k] : lo;
            hi = his[k] > hi ? his[k] : hi;
        }
    }
#endif
    for (; i < n; ++i) {
        lo = p[i] < lo ? p[i] : lo;
        hi = p[i] > hi ? p[i] : hi;
    }
    if (lo < minimum)
        minimum = lo;
    if (hi > maximum)
        maximum = hi;
}

void ImageContent::updateRange()
{
    if (samples)
        widenRangeOver(samples.get(), size_t(width) * height * size_t(sampleSize(pixelType)));
}

void ImageContent::widenRangeOver(const unsigned char* p, size_t bytes)
{
    switch (pixelType) {
    case 0:
    case 1:
        widenRange16(reinterpret_cast<const quint16*>(p), bytes / 2);
        break;
    case 2:
        widenRange(reinterpret_cast<const quint32*>(p), bytes / 4, minimum, maximum);
        break;
    case 3:
        widenRangeFloat(reinterpret_cast<const float*>(p), bytes / 4, minimum, maximum);
        break;
    default:
        break;
    }
}
