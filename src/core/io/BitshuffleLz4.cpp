#include "io/BitshuffleLz4.h"

#include <lz4.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

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

void unshuffle(const unsigned char* planes, std::size_t count, std::size_t elementBytes, unsigned char* out)
{
    // Plane j * 8 + k holds bit k of byte j of every element, element e at
    // bit e % 8 of its byte e / 8. Eight elements' byte j are then one 8 x 8
    // bit transpose of the planes' bytes at e / 8.
    const std::size_t rowBytes = count / 8;
    for (std::size_t g = 0; g < rowBytes; ++g) {
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
    thread_local std::vector<unsigned char> block;
    if (block.size() < blockBytes)
        block.resize(blockBytes);
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
