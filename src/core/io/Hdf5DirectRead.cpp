#include "io/Hdf5DirectRead.h"

#include "io/BitshuffleLz4.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// bitshuffle's registered filter id; its options as the filter leaves them
// in the file: major and minor version, sample size, block size, compressor
// (2: LZ4).
constexpr H5Z_filter_t bitshuffleFilter = 32008;
constexpr unsigned bitshuffleLz4 = 2;

std::atomic<std::size_t> pieceBytes{std::size_t(256) << 10};

// A decoded chunk larger than this stays with the library and its cache.
constexpr std::uint64_t maxChunkBytes = std::uint64_t(256) << 20;

struct SampleType {
    hid_t type;
    int pixelType;
    Hdf5DirectPlan::Conversion conversion;
    bool bigEndian;
};

// The file types read without the library: the conversion into the pixel
// type is exact for all (a copy, a swap or a widening cast).
bool sampleType(hid_t type, int pixelType, Hdf5DirectPlan* out)
{
    const SampleType known[] = {
        {H5T_STD_U8LE, 1, Hdf5DirectPlan::WidenUnsigned, false},
        {H5T_STD_U16LE, 1, Hdf5DirectPlan::SameType, false},
        {H5T_STD_U16BE, 1, Hdf5DirectPlan::SameType, true},
        {H5T_STD_U32LE, 2, Hdf5DirectPlan::SameType, false},
        {H5T_STD_U32BE, 2, Hdf5DirectPlan::SameType, true},
        {H5T_IEEE_F32LE, 3, Hdf5DirectPlan::SameType, false},
        {H5T_IEEE_F32BE, 3, Hdf5DirectPlan::SameType, true},
        {H5T_STD_I8LE, 3, Hdf5DirectPlan::SignedToFloat, false},
        {H5T_STD_I16LE, 3, Hdf5DirectPlan::SignedToFloat, false},
        {H5T_STD_I16BE, 3, Hdf5DirectPlan::SignedToFloat, true},
    };
    for (const SampleType& k : known) {
        if (k.pixelType != pixelType || H5Tequal(type, k.type) <= 0)
            continue;
        out->conversion = k.conversion;
        out->fileBytes = int(H5Tget_size(type));
        out->memoryBytes = pixelType == 1 ? 2 : 4;
        const bool hostBig = Q_BYTE_ORDER == Q_BIG_ENDIAN;
        out->swap = out->fileBytes > 1 && k.bigEndian != hostBig;
        return true;
    }
    return false;
}

// The filter pipeline: none, or bitshuffle with LZ4 alone.
bool coding(hid_t dcpl, int fileBytes, Hdf5DirectPlan::Coding* out)
{
    const int n = H5Pget_nfilters(dcpl);
    if (n == 0) {
        *out = Hdf5DirectPlan::Plain;
        return true;
    }
    if (n != 1)
        return false;
    unsigned flags = 0, config = 0;
    unsigned values[8] = {0};
    size_t count = 8;
    char name[8];
    if (H5Pget_filter2(dcpl, 0, &flags, &count, values, sizeof name, name, &config) != bitshuffleFilter)
        return false;
    if (count < 5 || values[4] != bitshuffleLz4 || int(values[2]) != fileBytes)
        return false;
    *out = Hdf5DirectPlan::BitshuffleLz4;
    return true;
}

// The file as the library sees it: no user block before the HDF5 data (its
// addresses would then be off) and the plain POSIX driver.
bool plainFile(hid_t file)
{
    const Hdf5Id fcpl = Hdf5Id::plist(H5Fget_create_plist(file));
    const Hdf5Id fapl = Hdf5Id::plist(H5Fget_access_plist(file));
    hsize_t userBlock = 1;
    return fcpl && fapl && H5Pget_userblock(fcpl.get(), &userBlock) >= 0 && userBlock == 0
        && H5Pget_driver(fapl.get()) == H5FD_SEC2;
}

// n samples of type T from `from` into `to` (which may be `from`) with
// their bytes reversed.
template <typename T>
void swapped(const unsigned char* from, unsigned char* to, std::size_t n)
{
    for (std::size_t k = 0; k < n; ++k) {
        T v;
        std::memcpy(&v, from + k * sizeof(T), sizeof(T));
        v = qbswap(v);
        std::memcpy(to + k * sizeof(T), &v, sizeof(T));
    }
}

bool placeChunks(hid_t set, hid_t dcpl, const hsize_t* dims, int rank, Hdf5DirectPlan* out)
{
    hsize_t chunk[3] = {0, 0, 0};
    if (H5Pget_chunk(dcpl, rank, chunk) != rank)
        return false;
    // Whole images only: chunks of one image each or of several.
    const hsize_t* plane = chunk + (rank - 2);
    if (plane[0] != dims[rank - 2] || plane[1] != dims[rank - 1]
        || (rank == 3 && (chunk[0] == 0 || chunk[0] > (hsize_t(1) << 20))))
        return false;
    out->imagesPerChunk = rank == 3 ? int(std::min<hsize_t>(chunk[0], hsize_t(out->images))) : 1;
    const std::uint64_t chunkSamples = out->samples * (rank == 3 ? chunk[0] : 1);
    const std::uint64_t chunkBytes = chunkSamples * std::uint64_t(out->fileBytes);
    if (out->coding == Hdf5DirectPlan::BitshuffleLz4 && chunkBytes > maxChunkBytes)
        return false;
    const std::size_t count = std::size_t((out->images + out->imagesPerChunk - 1) / out->imagesPerChunk);
    out->chunks.resize(count);
    for (std::size_t c = 0; c < count; ++c) {
        const hsize_t at[3] = {hsize_t(c) * (rank == 3 ? chunk[0] : 1), 0, 0};
        unsigned mask = 0;
        haddr_t address = HADDR_UNDEF;
        hsize_t bytes = 0;
        if (H5Dget_chunk_info_by_coord(set, at, &mask, &address, &bytes) < 0 || address == HADDR_UNDEF)
            return false;
        Hdf5DirectPlan::Chunk& place = out->chunks[c];
        place.offset = address;
        place.bytes = bytes;
        place.filtered = out->coding == Hdf5DirectPlan::BitshuffleLz4 && (mask & 1u) == 0;
        // A compressed chunk is at most about twice its samples even with
        // the smallest blocks; a larger one is left to the library.
        if (place.filtered ? bytes > 2 * chunkBytes + 4096 : bytes != chunkBytes)
            return false;
    }
    // The images of a chunk follow each other at the chunk's full depth.
    if (rank == 3)
        out->imagesPerChunk = int(chunk[0]);
    return true;
}

}

namespace Hdf5Direct {

bool plan(hid_t file, hid_t set, int pixelType, Hdf5DirectPlan* out)
{
    *out = Hdf5DirectPlan();
    const Hdf5Id space = Hdf5Id::space(H5Dget_space(set));
    const Hdf5Id type = Hdf5Id::type(H5Dget_type(set));
    const Hdf5Id dcpl = Hdf5Id::plist(H5Dget_create_plist(set));
    if (!space || !type || !dcpl || !plainFile(file))
        return false;
    const int rank = H5Sget_simple_extent_ndims(space.get());
    hsize_t dims[3] = {0, 0, 0};
    if ((rank != 2 && rank != 3) || H5Sget_simple_extent_dims(space.get(), dims, nullptr) != rank)
        return false;
    if (!sampleType(type.get(), pixelType, out) || !coding(dcpl.get(), out->fileBytes, &out->coding))
        return false;
    out->images = rank == 3 ? int(dims[0]) : 1;
    out->samples = std::uint64_t(dims[rank - 2]) * dims[rank - 1];
    if (out->images <= 0 || out->samples == 0)
        return false;
    switch (H5Pget_layout(dcpl.get())) {
    case H5D_CONTIGUOUS: {
        if (out->coding != Hdf5DirectPlan::Plain || H5Pget_external_count(dcpl.get()) != 0)
            return false;
        const haddr_t address = H5Dget_offset(set);
        const std::uint64_t bytes = out->imageFileBytes() * std::uint64_t(out->images);
        if (address == HADDR_UNDEF || H5Dget_storage_size(set) != bytes)
            return false;
        out->imagesPerChunk = out->images;
        out->chunks = {{address, bytes, false}};
        return true;
    }
    case H5D_CHUNKED:
        return placeChunks(set, dcpl.get(), dims, rank, out);
    default:
        return false;
    }
}

}

void Hdf5DirectReader::setPieceBytes(std::size_t bytes)
{
    pieceBytes = bytes;
}

Hdf5DirectReader::~Hdf5DirectReader()
{
    close();
}

bool Hdf5DirectReader::open(const QString& fileName, Hdf5DirectPlan plan)
{
    close();
    m_plan = std::move(plan);
    m_fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0) {
        close();
        return false;
    }
    for (const Hdf5DirectPlan::Chunk& c : m_plan.chunks)
        if (c.offset > std::uint64_t(info.st_size) || c.bytes > std::uint64_t(info.st_size) - c.offset) {
            close();
            return false;
        }
    return true;
}

void Hdf5DirectReader::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_chunkHeld = -1;
    std::vector<unsigned char>().swap(m_packed);
    std::vector<unsigned char>().swap(m_chunk);
    std::vector<unsigned char>().swap(m_scratch);
}

bool Hdf5DirectReader::readAt(std::uint64_t offset, std::uint64_t bytes, unsigned char* into, QString* why)
{
    while (bytes > 0) {
        const ssize_t got = ::pread(m_fd, into, std::size_t(bytes), off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            *why = got < 0 ? QString::fromLocal8Bit(std::strerror(errno)) : QStringLiteral("the file ends early");
            return false;
        }
        into += got;
        offset += std::uint64_t(got);
        bytes -= std::uint64_t(got);
    }
    return true;
}

bool Hdf5DirectReader::decodeChunk(std::size_t c, unsigned char* into, QString* why)
{
    const Hdf5DirectPlan::Chunk& place = m_plan.chunks[c];
    const std::uint64_t bytes = m_plan.imageFileBytes() * std::uint64_t(m_plan.imagesPerChunk);
    if (!place.filtered)
        return readAt(place.offset, bytes, into, why);
    if (m_packed.size() < place.bytes)
        m_packed.resize(std::size_t(place.bytes));
    if (!readAt(place.offset, place.bytes, m_packed.data(), why))
        return false;
    if (!BitshuffleLz4::decode(m_packed.data(), std::size_t(place.bytes), std::size_t(m_plan.fileBytes), into,
                               std::size_t(bytes))) {
        *why = QStringLiteral("a broken bitshuffle/LZ4 chunk");
        return false;
    }
    return true;
}

void Hdf5DirectReader::convert(const unsigned char* from, unsigned char* to) const
{
    const std::size_t n = std::size_t(m_plan.samples);
    switch (m_plan.conversion) {
    case Hdf5DirectPlan::SameType:
        if (!m_plan.swap) {
            if (from != to)
                std::memcpy(to, from, n * std::size_t(m_plan.fileBytes));
        } else if (m_plan.fileBytes == 2) {
            swapped<quint16>(from, to, n);
        } else {
            swapped<quint32>(from, to, n);
        }
        break;
    case Hdf5DirectPlan::WidenUnsigned: {
        quint16* out = reinterpret_cast<quint16*>(to);
        for (std::size_t k = 0; k < n; ++k)
            out[k] = from[k];
        break;
    }
    case Hdf5DirectPlan::SignedToFloat: {
        float* out = reinterpret_cast<float*>(to);
        if (m_plan.fileBytes == 1) {
            for (std::size_t k = 0; k < n; ++k)
                out[k] = float(static_cast<signed char>(from[k]));
        } else {
            for (std::size_t k = 0; k < n; ++k) {
                quint16 v;
                std::memcpy(&v, from + 2 * k, 2);
                out[k] = float(qint16(m_plan.swap ? qbswap(v) : v));
            }
        }
        break;
    }
    }
}

bool Hdf5DirectReader::read(int i, unsigned char* out, QString* why, const Written& written)
{
    if (m_fd < 0 || i < 0 || i >= m_plan.images) {
        *why = QStringLiteral("no such image");
        return false;
    }
    const std::size_t c = std::size_t(i / m_plan.imagesPerChunk);
    const std::uint64_t within = std::uint64_t(i % m_plan.imagesPerChunk) * m_plan.imageFileBytes();
    const bool same = m_plan.conversion == Hdf5DirectPlan::SameType;
    const auto wrote = [&] {
        if (written)
            written(out, std::size_t(m_plan.samples) * std::size_t(m_plan.memoryBytes));
        return true;
    };
    if (m_plan.coding == Hdf5DirectPlan::Plain) {
        const std::uint64_t at = m_plan.chunks[c].offset + within;
        if (same && !m_plan.swap) {
            // Samples the image keeps as they are go straight into it, a
            // cache-sized piece at a time.
            const std::uint64_t bytes = m_plan.imageFileBytes();
            const std::uint64_t piece = std::max<std::uint64_t>(pieceBytes.load(), std::uint64_t(m_plan.fileBytes));
            const std::uint64_t step = written ? piece - piece % std::uint64_t(m_plan.fileBytes) : bytes;
            for (std::uint64_t done = 0; done < bytes; done += step) {
                const std::uint64_t n = std::min(step, bytes - done);
                if (!readAt(at + done, n, out + done, why))
                    return false;
                if (written)
                    written(out + done, std::size_t(n));
            }
            return true;
        }
        unsigned char* into = out;
        if (!same) {
            m_scratch.resize(std::size_t(m_plan.imageFileBytes()));
            into = m_scratch.data();
        }
        if (!readAt(at, m_plan.imageFileBytes(), into, why))
            return false;
        convert(into, out);
        return wrote();
    }
    if (m_plan.imagesPerChunk == 1 && same) {
        if (!decodeChunk(c, out, why))
            return false;
        convert(out, out);
        return wrote();
    }
    // Chunks of several images are decoded once, for all of them.
    if (m_chunkHeld != std::ptrdiff_t(c)) {
        m_chunkHeld = -1;
        m_chunk.resize(std::size_t(m_plan.imageFileBytes() * std::uint64_t(m_plan.imagesPerChunk)));
        if (!decodeChunk(c, m_chunk.data(), why))
            return false;
        m_chunkHeld = std::ptrdiff_t(c);
    }
    convert(m_chunk.data() + within, out);
    return wrote();
}
