#include "io/Hdf5Stack.h"

#include "io/Hdf5DirectRead.h"
#include "io/Hdf5Handle.h"
#include "io/Hdf5Read.h"

#include <algorithm>
#include <mutex>

struct Hdf5Stack::Impl {
    QString file;
    QString dataset;
    Hdf5Id fileId;
    Hdf5Id set;
    Hdf5Id fileSpace;
    int rank = 0;
    int count = 0;
    quint32 width = 0;
    quint32 height = 0;
    int pixelType = 4;
    Hdf5DirectReader direct;   // open on the direct route
};

Hdf5Stack::Hdf5Stack()
    : d(new Impl)
{
}

Hdf5Stack::~Hdf5Stack()
{
    close();
}

void Hdf5Stack::close()
{
    d->direct.close();
    if (d->fileId) {
        Hdf5Quiet quiet;
        d->fileSpace.reset();
        d->set.reset();
        d->fileId.reset();
    }
    d->count = 0;
}

bool Hdf5Stack::isOpen() const
{
    return d->set.isValid() || d->direct.isOpen();
}

Hdf5Stack::Route Hdf5Stack::route() const
{
    return d->direct.isOpen() ? Direct : Library;
}

int Hdf5Stack::count() const
{
    return d->count;
}

quint32 Hdf5Stack::width() const
{
    return d->width;
}

quint32 Hdf5Stack::height() const
{
    return d->height;
}

int Hdf5Stack::pixelType() const
{
    return d->pixelType;
}

QString Hdf5Stack::imageName(const QString& file, const QString& dataset, int i)
{
    return QStringLiteral("%1::%2[%3]").arg(file, dataset).arg(i);
}

namespace {

// With chunks several images deep, a chunk cache holding every chunk that
// one image touches: the next images are then read from the cache. Chunks of
// one image each are read once; without a cache HDF5 reads them straight
// into the image (uncompressed) instead of into the cache and then copying.
Hdf5Id accessList(hid_t file, const QString& path, const Hdf5Dataset& info)
{
    Hdf5Id dapl = Hdf5Id::plist(H5Pcreate(H5P_DATASET_ACCESS));
    const Hdf5Id probe = Hdf5Read::openDataset(file, path);
    const Hdf5Id dcpl = Hdf5Id::plist(probe ? H5Dget_create_plist(probe.get()) : H5I_INVALID_HID);
    if (!dapl || !dcpl || H5Pget_layout(dcpl.get()) != H5D_CHUNKED || info.rank() < 2)
        return dapl;
    hsize_t chunk[32];
    const int rank = H5Pget_chunk(dcpl.get(), 32, chunk);
    if (rank != info.rank())
        return dapl;
    if (rank == 2 || chunk[0] <= 1) {
        H5Pset_chunk_cache(dapl.get(), 0, 0, 1.0);
        return dapl;
    }
    double chunkBytes = double(info.bytes);
    for (int i = 0; i < rank; ++i)
        chunkBytes *= double(chunk[i]);
    const qint64 h = info.dims[rank - 2], w = info.dims[rank - 1];
    const double across = double((h + qint64(chunk[rank - 2]) - 1) / qint64(chunk[rank - 2]))
        * double((w + qint64(chunk[rank - 1]) - 1) / qint64(chunk[rank - 1]));
    // At most 1 GB; a file whose chunks need more is read, slower, anyway.
    const double bytes = std::min(across * chunkBytes * 1.25 + 1048576.0, 1073741824.0);
    const size_t slots = size_t(std::clamp(across * 10.0, 521.0, 1e6)) | 1;
    H5Pset_chunk_cache(dapl.get(), slots, size_t(bytes), 1.0);
    return dapl;
}

}

bool Hdf5Stack::open(const QString& file, const QString& dataset, QString* error, Route allowed,
                     const Hdf5OpenFile* opened)
{
    close();
    Hdf5Quiet quiet;
    d->file = file;
    d->dataset = dataset.startsWith(QLatin1Char('/')) ? dataset : QLatin1Char('/') + dataset;
    if (opened && opened->name == file && opened->id && H5Iinc_ref(opened->id.get()) >= 0)
        d->fileId = Hdf5Id::file(opened->id.get());
    else
        d->fileId = Hdf5Read::openFile(file, error);
    if (!d->fileId)
        return false;
    Hdf5Dataset info;
    if (!Hdf5Read::describe(d->fileId.get(), d->dataset, &info)) {
        *error = QStringLiteral("%1: no dataset %2").arg(file, d->dataset);
        close();
        return false;
    }
    QString fault;
    if (info.rank() != 3 && info.rank() != 2)
        fault = QStringLiteral("has %1 dimensions; images need 3 (images x height x width) or 2 (one image)")
                    .arg(info.rank());
    else if (!info.isNumeric())
        fault = QStringLiteral("holds %1 values, not numbers").arg(info.typeText());
    else if (!info.missingFilters.isEmpty())
        fault = QStringLiteral("is compressed with a filter this program cannot apply: %1")
                    .arg(info.missingFilters.join(QStringLiteral(", ")));
    const qint64 h = info.rank() >= 2 ? info.dims[info.rank() - 2] : 0;
    const qint64 w = info.rank() >= 2 ? info.dims[info.rank() - 1] : 0;
    const qint64 n = info.rank() == 3 ? info.dims[0] : 1;
    if (fault.isEmpty() && (w <= 0 || h <= 0 || n <= 0))
        fault = QStringLiteral("holds no image (%1)").arg(info.shapeText());
    else if (fault.isEmpty() && (quint64(w) * quint64(h) > ImageContent::maxPixels || n > 1000000))
        fault = QStringLiteral("has images larger than this program reads (%1)").arg(info.shapeText());
    if (!fault.isEmpty()) {
        *error = QStringLiteral("%1: dataset %2 %3").arg(file, d->dataset, fault);
        close();
        return false;
    }
    d->rank = info.rank();
    d->count = int(n);
    d->width = quint32(w);
    d->height = quint32(h);
    d->pixelType = Hdf5Read::pixelTypeFor(info.kind, info.bytes);
    if (allowed == Direct && openDirect()) {
        // Nothing more is asked of the library.
        d->fileId.reset();
        return true;
    }
    const Hdf5Id dapl = accessList(d->fileId.get(), d->dataset, info);
    d->set = Hdf5Id::dataset(H5Dopen2(d->fileId.get(), d->dataset.toUtf8().constData(), dapl.get()));
    d->fileSpace = Hdf5Id::space(d->set ? H5Dget_space(d->set.get()) : H5I_INVALID_HID);
    if (!d->set || !d->fileSpace) {
        *error = QStringLiteral("%1: can not open dataset %2").arg(file, d->dataset);
        close();
        return false;
    }
    return true;
}

void Hdf5Stack::setDirectPieceBytes(std::size_t bytes)
{
    Hdf5DirectReader::setPieceBytes(bytes);
}

bool Hdf5Stack::openDirect()
{
    const Hdf5Id set = Hdf5Id::dataset(H5Dopen2(d->fileId.get(), d->dataset.toUtf8().constData(), H5P_DEFAULT));
    Hdf5DirectPlan plan;
    return set && Hdf5Direct::plan(d->fileId.get(), set.get(), d->pixelType, &plan)
        && d->direct.open(d->file, std::move(plan));
}

bool Hdf5Stack::read(int i, ImageContent& out, QString* error, SampleSlabs* slabs)
{
    if (!isOpen() || i < 0 || i >= d->count) {
        *error = QStringLiteral("%1: dataset %2 has no image %3").arg(d->file, d->dataset).arg(i);
        return false;
    }
    ImageContent content;
    if (!content.allocate(d->width, d->height, d->pixelType, slabs)) {
        *error = QStringLiteral("%1: no memory for image %2 of %3").arg(d->file).arg(i).arg(d->dataset);
        return false;
    }
    content.bytesPerPixel = quint16(ImageContent::sampleSize(d->pixelType));
    content.scanlineBytes = d->width * content.bytesPerPixel;
    if (d->direct.isOpen()) {
        QString why;
        // The range is taken piece by piece as the samples arrive.
        const auto widen = [&content](const unsigned char* piece, std::size_t bytes) {
            content.widenRangeOver(piece, bytes);
        };
        if (!d->direct.read(i, content.samples.get(), &why, widen)) {
            *error = QStringLiteral("%1: can not read image %2 of dataset %3 (%4)").arg(d->file).arg(i).arg(d->dataset, why);
            return false;
        }
        out = std::move(content);
        return true;
    }
    // The library lets one thread in at a time, call by call. Stacks read in
    // several threads at once (I1, I0 and the dark) take turns image by
    // image instead: waking each other at every call cost more than the
    // reading.
    static std::mutex oneImageAtATime;
    const std::lock_guard<std::mutex> turn(oneImageAtATime);
    Hdf5Quiet quiet;
    const hsize_t start[3] = {hsize_t(i), 0, 0};
    const hsize_t count3[3] = {1, d->height, d->width};
    const hsize_t* startAt = d->rank == 3 ? start : start + 1;
    const hsize_t* countAt = d->rank == 3 ? count3 : count3 + 1;
    // The memory space has the selection's shape: HDF5 then copies whole
    // rows instead of mapping element by element.
    const Hdf5Id memSpace = Hdf5Id::space(H5Screate_simple(d->rank, countAt, nullptr));
    if (H5Sselect_hyperslab(d->fileSpace.get(), H5S_SELECT_SET, startAt, nullptr, countAt, nullptr) < 0
        || H5Dread(d->set.get(), Hdf5Read::memoryType(d->pixelType), memSpace.get(), d->fileSpace.get(), H5P_DEFAULT,
                   content.samples.get())
            < 0) {
        const QString why = Hdf5Text::lastError();
        *error = QStringLiteral("%1: can not read image %2 of dataset %3%4")
                     .arg(d->file)
                     .arg(i)
                     .arg(d->dataset, why.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(why));
        return false;
    }
    content.updateRange();
    out = std::move(content);
    return true;
}
