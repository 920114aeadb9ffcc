#include "output/TiffWriter.h"

#include "base/AtomicFile.h"

#include <QFile>
#include <tiffio.h>

namespace {

bool setTags(TIFF* tif, int width, int height)
{
    return TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(width)) == 1
        && TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(height)) == 1
        && TIFFSetField(tif, TIFFTAG_COMPRESSION, uint16_t(COMPRESSION_NONE)) == 1
        && TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_MINISBLACK)) == 1
        // Strips of `width` rows: the layout the files of this program have always had.
        && TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, uint32_t(width)) == 1
        && TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(1)) == 1
        && TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(16)) == 1
        && TIFFSetField(tif, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG)) == 1
        && TIFFSetField(tif, TIFFTAG_ORIENTATION, uint16_t(ORIENTATION_TOPLEFT)) == 1;
}

bool writeStrips(const QString& fileName, const quint16* data, int width, int height);

} // namespace

bool writeTiff16(const QString& fileName, const quint16* data, int width, int height)
{
    return writeTiff16(fileName, data, width, height, nullptr);
}

bool writeTiff16(const QString& fileName, const quint16* data, int width, int height, QString* error)
{
    if (!data || width <= 0 || height <= 0) {
        if (error)
            *error = QStringLiteral("Can't write %1: no image data").arg(fileName);
        return false;
    }
    // The file is written under a temporary name and renamed over the target
    // only when complete, so a failure never leaves a truncated file behind.
    TempSibling temp(fileName);
    if (!temp.create(error))
        return false;
    if (!writeStrips(temp.path(), data, width, height)) {
        if (error)
            *error = QStringLiteral("Can't write %1").arg(fileName);
        return false;
    }
    return temp.commit(error);
}

namespace {

bool writeStrips(const QString& fileName, const quint16* data, int width, int height)
{
    // The name in the file system's own encoding, so that a name with
    // characters beyond ASCII is written under exactly that name.
    const QByteArray name = QFile::encodeName(fileName);
    TIFF* tif = TIFFOpen(name.constData(), "w");
    if (!tif)
        return false;
    if (!setTags(tif, width, height)) {
        TIFFClose(tif);
        return false;
    }

    uint32_t rowsPerStrip = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    if (rowsPerStrip == 0 || rowsPerStrip > uint32_t(height))
        rowsPerStrip = uint32_t(height);

    const auto* src = reinterpret_cast<const uint8_t*>(data);
    const tmsize_t total = tmsize_t(width) * tmsize_t(height) * tmsize_t(sizeof(quint16));
    tmsize_t offset = 0;
    tstrip_t strip = 0;
    for (uint32_t row = 0; row < uint32_t(height); row += rowsPerStrip, ++strip) {
        // The last strip may hold fewer rows: its size is computed for the rows
        // it really has, so the source is never read past its end.
        const uint32_t rows = qMin(rowsPerStrip, uint32_t(height) - row);
        const tmsize_t size = TIFFVStripSize(tif, rows);
        if (size <= 0 || offset + size > total) {
            TIFFClose(tif);
            return false;
        }
        const tmsize_t written = TIFFWriteEncodedStrip(tif, strip, const_cast<uint8_t*>(src + offset), size);
        if (written < 0) {
            TIFFClose(tif);
            return false;
        }
        offset += written;
    }
    // Flushing writes the directory; a failure there (a full disk) would
    // otherwise go unnoticed because closing reports nothing.
    const bool flushed = TIFFFlush(tif) == 1;
    TIFFClose(tif);
    return flushed;
}

} // namespace
