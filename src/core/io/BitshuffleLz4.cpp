#include "io/BitshuffleLz4.h"

#include <lz4.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace BitshuffleLz4 {

namespace {

std::uint64_t bigEndian64(const unsigned char* p)
{
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v = (v << 8) | p[i];
    return v;
}

std::uint32_t bigEndian32(const unsigned char* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

// Transposes the 8 x 8 bit matrix whose row r is byte r of x (bit c its
// column c): afterwards byte c holds, in bit r, what was bit c of byte r.
std::uint64_t transposeBits(std::uint64_t x)
{
    std::uint64_t t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAULL;
    x ^= t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCULL;
    x ^= t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ULL;
    x ^= t ^ (t << 28);
    return x;
}

}

namespace {

// The scalar way, for groups of 8 elements [from, to).
void unshuffleGroups(const unsigned char* planes, std::size_t rowBytes, std::size_t elementBytes, std::size_t from,
                     std::size_t to, unsigned char* out)
{
    // Plane j * 8 + k holds bit k of byte j of every element, element e at
    // bit e % 8 of its byte e / 8. Eight elements' byte j are then one 8 x 8
    // bit transpose of the planes' bytes at e / 8.
    for (std::size_t g = from; g < to; ++g) {
        unsigned char* group = out + g * 8 * elementBytes;
        for (std::size_t j = 0; j < elementBytes; ++j) {
            const unsigned char* plane = planes + j * 8 * rowBytes + g;
            std::uint64_t x = 0;
            for (int k = 0; k < 8; ++k)
                x |= std::uint64_t(plane[std::size_t(k) * rowBytes]) << (8 * k);
            x = transposeBits(x);
            for (int m = 0; m < 8; ++m)
                group[std::size_t(m) * elementBytes + j] = static_cast<unsigned char>(x >> (8 * m));
        }
    }
}

#if defined(__SSE2__)

// transposeBits on both 64-bit lanes.
__m128i transposeBits2(__m128i x)
{
    const __m128i m1 = _mm_set1_epi64x(0x00AA00AA00AA00AALL);
    const __m128i m2 = _mm_set1_epi64x(0x0000CCCC0000CCCCLL);
    const __m128i m3 = _mm_set1_epi64x(0x00000000F0F0F0F0LL);
    __m128i t = _mm_and_si128(_mm_xor_si128(x, _mm_srli_epi64(x, 7)), m1);
    x = _mm_xor_si128(x, _mm_xor_si128(t, _mm_slli_epi64(t, 7)));
    t = _mm_and_si128(_mm_xor_si128(x, _mm_srli_epi64(x, 14)), m2);
    x = _mm_xor_si128(x, _mm_xor_si128(t, _mm_slli_epi64(t, 14)));
    t = _mm_and_si128(_mm_xor_si128(x, _mm_srli_epi64(x, 28)), m3);
    x = _mm_xor_si128(x, _mm_xor_si128(t, _mm_slli_epi64(t, 28)));
    return x;
}

// Byte j of the 128 elements of groups g ... g + 15: lanes[i] holds in its
// low 8 bytes those of group g + 2i, in its high 8 those of group g + 2i + 1.
void sixteenGroups(const unsigned char* planes, std::size_t rowBytes, std::size_t j, std::size_t g, __m128i lanes[8])
{
    __m128i r[8];
    for (int k = 0; k < 8; ++k)
        r[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(planes + (j * 8 + std::size_t(k)) * rowBytes + g));
    // Bytes of the 8 planes side by side, group by group.
    __m128i a[8], b[8];
    for (int k = 0; k < 4; ++k) {
        a[2 * k] = _mm_unpacklo_epi8(r[2 * k], r[2 * k + 1]);
        a[2 * k + 1] = _mm_unpackhi_epi8(r[2 * k], r[2 * k + 1]);
    }
    b[0] = _mm_unpacklo_epi16(a[0], a[2]);
    b[1] = _mm_unpackhi_epi16(a[0], a[2]);
    b[2] = _mm_unpacklo_epi16(a[1], a[3]);
    b[3] = _mm_unpackhi_epi16(a[1], a[3]);
    b[4] = _mm_unpacklo_epi16(a[4], a[6]);
    b[5] = _mm_unpackhi_epi16(a[4], a[6]);
    b[6] = _mm_unpacklo_epi16(a[5], a[7]);
    b[7] = _mm_unpackhi_epi16(a[5], a[7]);
    for (int i = 0; i < 4; ++i) {
        lanes[2 * i] = transposeBits2(_mm_unpacklo_epi32(b[i], b[i + 4]));
        lanes[2 * i + 1] = transposeBits2(_mm_unpackhi_epi32(b[i], b[i + 4]));
    }
}

void store(unsigned char* at, __m128i v)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), v);
}

// Elements of 1, 2 or 4 bytes, 128 at a time; returns the groups done.
std::size_t unshuffleVector(const unsigned char* planes, std::size_t rowBytes, std::size_t elementBytes,
                            unsigned char* out)
{
    if (elementBytes != 1 && elementBytes != 2 && elementBytes != 4)
        return 0;
    std::size_t g = 0;
    for (; g + 16 <= rowBytes; g += 16) {
        __m128i v[4][8];
        for (std::size_t j = 0; j < elementBytes; ++j)
            sixteenGroups(planes, rowBytes, j, g, v[j]);
        unsigned char* at = out + g * 8 * elementBytes;
        for (int i = 0; i < 8; ++i) {
            // Lane i: elements of groups g + 2i and g + 2i + 1, 16 of them.
            if (elementBytes == 1) {
                store(at + 16 * i, v[0][i]);
            } else if (elementBytes == 2) {
                store(at + 32 * i, _mm_unpacklo_epi8(v[0][i], v[1][i]));
                store(at + 32 * i + 16, _mm_unpackhi_epi8(v[0][i], v[1][i]));
            } else {
                const __m128i lo01 = _mm_unpacklo_epi8(v[0][i], v[1][i]), hi01 = _mm_unpackhi_epi8(v[0][i], v[1][i]);
                const __m128i lo23 = _mm_unpacklo_epi8(v[2][i], v[3][i]), hi23 = _mm_unpackhi_epi8(v[2][i], v[3][i]);
                store(at + 64 * i, _mm_unpacklo_epi16(lo01, lo23));
                store(at + 64 * i + 16, _mm_unpackhi_epi16(lo01, lo23));
                store(at + 64 * i + 32, _mm_unpacklo_epi16(hi01, hi23));
                store(at + 64 * i + 48, _mm_unpackhi_epi16(hi01, hi23));
            }
        }
    }
    return g;
}

#else

std::size_t unshuffleVector(const unsigned char*, std::size_t, std::size_t, unsigned char*)
{
    return 0;
}

#endif

}

void unshuffle(const unsigned char* planes, std::size_t count, std::size_t elementBytes, unsigned char* out)
{
    const std::size_t rowBytes = count / 8;
    const std::size_t done = unshuffleVector(planes, rowBytes, elementBytes, out);
    unshuffleGroups(planes, rowBytes, elementBytes, done, rowBytes, out);
}

bool decode(const unsigned char* in, std::size_t inBytes, std::size_t elementBytes, unsigned char* out,
            std::size_t outBytes)
{
    if (!in || !out || inBytes < 12 || elementBytes == 0 || outBytes % elementBytes != 0)
        return false;
    if (bigEndian64(in) != outBytes)
        return false;
    const std::size_t blockBytes = bigEndian32(in + 8);
    const std::size_t blockElements = blockBytes / elementBytes;
    if (blockBytes == 0 || blockBytes % elementBytes != 0 || blockElements % 8 != 0
        || blockBytes > std::size_t(std::numeric_limits<int>::max()))
        return false;
    const std::size_t count = outBytes / elementBytes;
    // No block holds more than the chunk: a header's block size alone must
    // not make a thread keep gigabytes of scratch.
    thread_local std::vector<unsigned char> block;
    const std::size_t scratch = std::min(blockBytes, outBytes);
    if (block.size() < scratch)
        block.resize(scratch);
    std::size_t pos = 12, done = 0;
    while (count - done >= 8) {
        const std::size_t left = count - done;
        const std::size_t n = std::min(blockElements, left - left % 8);
        if (inBytes - pos < 4)
            return false;
        const std::size_t packed = bigEndian32(in + pos);
        pos += 4;
        if (packed > inBytes - pos || packed > std::size_t(std::numeric_limits<int>::max()))
            return false;
        const int bytes = int(n * elementBytes);
        if (LZ4_decompress_safe(reinterpret_cast<const char*>(in + pos), reinterpret_cast<char*>(block.data()),
                                int(packed), bytes)
            != bytes)
            return false;
        unshuffle(block.data(), n, elementBytes, out + done * elementBytes);
        pos += packed;
        done += n;
    }
    const std::size_t tail = (count - done) * elementBytes;
    if (inBytes - pos < tail)
        return false;
    std::memcpy(out + done * elementBytes, in + pos, tail);
    return true;
}

}
