#pragma once

#include <cstddef>

// Decoding of chunks that area detectors' HDF5 files compress with the
// bitshuffle/LZ4 filter, without the HDF5 library: the loaders decompress
// images on their own threads while the library (one call at a time) serves
// the others.
//
// A chunk is: the uncompressed size in bytes (uint64, big-endian), the block
// size in bytes (uint32, big-endian), then per block of that many bytes (the
// last one shorter, a whole number of 8 elements) its compressed size
// (uint32, big-endian) and an LZ4 block holding the block's bits shuffled:
// bit k of byte j of every element, element after element, plane after
// plane. The last (elements % 8) elements follow as they are.
namespace BitshuffleLz4 {

// Decodes `in` (inBytes long) into `out`, which takes exactly outBytes:
// the chunk's uncompressed size. False, leaving `out` in some state, when
// the chunk is malformed, does not fit or has another size.
bool decode(const unsigned char* in, std::size_t inBytes, std::size_t elementBytes, unsigned char* out,
            std::size_t outBytes);

// Restores `count` elements of elementBytes bytes (count a multiple of 8)
// from their bit planes in `planes` into `out`.
void unshuffle(const unsigned char* planes, std::size_t count, std::size_t elementBytes, unsigned char* out);

}
