#include "base/LogCategories.h"
#include "io/ImageReaders.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace {

struct TiffCloser {
    void operator()(TIFF* t) const { TIFFClose(t); }
};

// libtiff's own errors and warnings for one open file go to the debug output
// with the file's name, not to stderr; each reader thread has its own.
int routeTiffMessage(const char* kind, void* userData, const char* module, const char* fmt, va_list ap)
{
    char text[512];
    std::vsnprintf(text, sizeof text, fmt, ap);
    const QString& fileName = *static_cast<const QString*>(userData);
    qCDebug(lcIo).noquote() << QStringLiteral("libtiff %1: %2: %3 : ")
                              .arg(QLatin1String(kind), QString::fromLocal8Bit(module ? module : ""),
                                   QString::fromLocal8Bit(text))
            + fileName;
    return 1;   // handled: the process-wide handler is not called
}

int tiffError(TIFF*, void* userData, const char* module, const char* fmt, va_list ap)
{
    return routeTiffMessage("error", userData, module, fmt, ap);
}

int tiffWarning(TIFF*, void* userData, const char* module, const char* fmt, va_list ap)
{
    return routeTiffMessage("warning", userData, module, fmt, ap);
}

TIFF* openTiff(const QString& fileName, const QString* context)
{
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, tiffError, const_cast<QString*>(context));
    TIFFOpenOptionsSetWarningHandlerExtR(options, tiffWarning, const_cast<QString*>(context));
    // The file system's own encoding, so that names outside Latin-1 open too.
    // "m": read, never map the file: a file that shrinks while it is read
    // (still being written at a beamline) is then a failed read, where a
    // mapped one would end the program with SIGBUS.
    TIFF* tif = TIFFOpenExt(QFile::encodeName(fileName).constData(), "rm", options);
    TIFFOpenOptionsFree(options);
    return tif;
}

}

bool ImageReaders::readTiff(const QString& fileName, ImageContent& out)
{
    // Outlives the TIFF handle: libtiff may still report while closing.
    const QString context = fileName;
    std::unique_ptr<TIFF, TiffCloser> tif(openTiff(fileName, &context));
    if (!tif) {
        qCDebug(lcIo).noquote() << "Not a readable TIFF file :" << fileName;
        return false;
    }
    if (TIFFIsBigTIFF(tif.get())) {
        qCDebug(lcIo).noquote() << "BigTIFF files are not read, only classic TIFF :" << fileName;
        return false;
    }
    if (TIFFIsTiled(tif.get())) {
        qCDebug(lcIo).noquote() << "Tiled TIFF files are not read, only TIFF in strips :" << fileName;
        return false;
    }

    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t bitsPerSample = 1;
    uint16_t samplesPerPixel = 1;
    uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLEFORMAT, &sampleFormat);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_COMPRESSION, &compression);
    const tmsize_t scanline = TIFFScanlineSize(tif.get());

    if (bitsPerSample != 16 || samplesPerPixel != 1 || sampleFormat != SAMPLEFORMAT_UINT
        || scanline != tmsize_t(width) * 2) {
        qCDebug(lcIo).noquote() << "Not a single-sample 16-bit unsigned TIFF :" << fileName;
        return false;
    }

    if (width == 0 || height == 0) {
        reportNoPixels(height, width, fileName);
        return false;
    }

    // Refuse sizes the file cannot hold before allocating: uncompressed data
    // must be in the file, compressed data must stay below the sane bound.
    const quint64 pixels = quint64(width) * height;
    if (pixels > ImageContent::maxPixels) {
        ImageReaders::reportTooLarge(height, width, fileName);
        return false;
    }
    if (compression == COMPRESSION_NONE && pixels * 2 > quint64(QFileInfo(fileName).size())) {
        qCDebug(lcIo).noquote() << "Image size does not fit the file. (h,w) =" << height << width << fileName;
        return false;
    }
    if (!out.allocate(width, height, 0)) {
        ImageReaders::reportNoMemory(height, width, fileName);
        return false;
    }

    // Whole strips straight into the samples: an uncompressed strip is read
    // into place without a copy in between, and the range follows each strip
    // while it is still in the cache.
    quint16* samples = reinterpret_cast<quint16*>(out.samples.get());
    uint32_t rowsPerStrip = height;
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    if (rowsPerStrip == 0 || rowsPerStrip > height)
        rowsPerStrip = height;
    const tstrip_t strips = TIFFNumberOfStrips(tif.get());
    for (uint32_t row = 0; row < height; row += rowsPerStrip) {
        const uint32_t rows = std::min(rowsPerStrip, height - row);
        const tmsize_t bytes = tmsize_t(rows) * scanline;
        quint16* first = samples + size_t(row) * width;
        const tstrip_t strip = TIFFComputeStrip(tif.get(), row, 0);
        if (strip >= strips || TIFFReadEncodedStrip(tif.get(), strip, first, bytes) != bytes) {
            qCDebug(lcIo).noquote() << "Error on reading scanline" << row << fileName;
            out.samples.reset();
            return false;
        }
        out.widenRange16(first, size_t(rows) * width);
    }
    out.scanlineBytes = quint32(scanline);
    return true;
}
