#pragma once

// Inside the core only (see Hdf5Handle.h): reading the images of a dataset
// straight from its file, without the HDF5 library. The library serves one
// call at a time in the whole process, so stacks read side by side (I1, I0,
// the dark) would take turns; asked once where each image's bytes are, the
// loaders read them on their own threads.
//
// Taken are uncompressed images (contiguous datasets, or chunks of whole
// images without filters) and chunks of whole images compressed with
// bitshuffle/LZ4, of the sample types whose conversion is exact (8-, 16- and
// 32-bit unsigned, 8- and 16-bit signed, 32-bit float, either byte order).
// Anything else (other filters or types, external or virtual storage, chunks
// cutting images, chunks never written) stays with the library.

#include "io/Hdf5Handle.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

struct Hdf5DirectPlan {
    enum Coding { Plain, BitshuffleLz4 };
    enum Conversion {
        SameType,      // the memory sample is the file sample (maybe swapped)
        WidenUnsigned, // 8-bit unsigned into 16-bit
        SignedToFloat, // 8- or 16-bit signed into float
    };
    struct Chunk {
        std::uint64_t offset = 0;   // in the file
        std::uint64_t bytes = 0;    // stored
        bool filtered = true;       // false: stored as it is despite the filter
    };

    Coding coding = Plain;
    Conversion conversion = SameType;
    int fileBytes = 0;          // of one sample in the file
    int memoryBytes = 0;        // of one sample in the image
    bool swap = false;          // the file's byte order is not this machine's
    int images = 0;
    std::uint64_t samples = 0;  // per image
    int imagesPerChunk = 1;     // a contiguous dataset is one chunk of all
    std::vector<Chunk> chunks;

    std::uint64_t imageFileBytes() const { return samples * std::uint64_t(fileBytes); }
};

namespace Hdf5Direct {

// Where the images of dataset `set` (rank 3: images x height x width, or 2:
// one image) of `file` are and how their samples become samples of pixel
// type `pixelType`; false when they cannot be read without the library.
// Calls into the library: the caller holds what guards it.
bool plan(hid_t file, hid_t set, int pixelType, Hdf5DirectPlan* out);

}

// Reads images as a plan says, one at a time, from its own descriptor of the
// file; no HDF5 call. One reader serves one thread.
class Hdf5DirectReader
{
public:
    Hdf5DirectReader() = default;
    ~Hdf5DirectReader();
    Hdf5DirectReader(const Hdf5DirectReader&) = delete;
    Hdf5DirectReader& operator=(const Hdf5DirectReader&) = delete;

    // Opens the file; false when it cannot be opened or is shorter than the
    // plan's last byte.
    bool open(const QString& fileName, Hdf5DirectPlan plan);
    void close();
    bool isOpen() const { return m_fd >= 0; }

    // Called with each piece of the image once it holds its final samples,
    // in order, the pieces covering the image: work on the samples (their
    // range) then finds them still in the cache. Pieces are whole samples.
    using Written = std::function<void(const unsigned char* piece, std::size_t bytes)>;
    // Uncompressed samples kept as they are come in pieces of about this
    // size (256 KB: they stay in the core's cache); tests make it small.
    static void setPieceBytes(std::size_t bytes);

    // Image i into `out` (plan.samples samples of plan.memoryBytes each);
    // false with the reason in `why` on a read error or a broken chunk.
    bool read(int i, unsigned char* out, QString* why, const Written& written = {});

private:
    bool readAt(std::uint64_t offset, std::uint64_t bytes, unsigned char* into, QString* why);
    bool decodeChunk(std::size_t c, unsigned char* into, QString* why);
    void convert(const unsigned char* from, unsigned char* to) const;

    int m_fd = -1;
    Hdf5DirectPlan m_plan;
    std::vector<unsigned char> m_packed;    // a compressed chunk
    std::vector<unsigned char> m_chunk;     // a decoded chunk of several images
    std::ptrdiff_t m_chunkHeld = -1;        // which one m_chunk holds
    std::vector<unsigned char> m_scratch;   // an image before conversion
};
