// Decodes arbitrary bytes as a bitshuffle/LZ4 chunk, as the HDF5 loaders do
// outside the library. The first byte chooses the element size (1, 2, 4 or
// 8 bytes), the next two the expected uncompressed size (little-endian);
// the rest is the chunk.

#include "io/BitshuffleLz4.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    const std::size_t elementBytes = std::size_t(1) << (data[0] & 3);
    const std::size_t outBytes = std::size_t(data[1]) | (std::size_t(data[2]) << 8);
    const unsigned char* chunk = data + 3;
    const std::size_t chunkBytes = size - 3;
    // Exactly the stated size, so that the sanitizer sees any write past it.
    std::vector<unsigned char> out(outBytes);
    std::vector<unsigned char> again(outBytes);
    const bool ok = BitshuffleLz4::decode(chunk, chunkBytes, elementBytes, out.data(), outBytes);
    // Decoding is a function of its input: twice, the same bytes.
    if (ok && (!BitshuffleLz4::decode(chunk, chunkBytes, elementBytes, again.data(), outBytes)
               || std::memcmp(out.data(), again.data(), outBytes) != 0))
        __builtin_trap();
    return 0;
}
