#include "io/ImageReaders.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <tiffio.h>

namespace {

struct TiffCloser {
    void operator()(TIFF* t) const { TIFFClose(t); }
};

}

bool ImageReaders::readTiff(const QString& fileName, ImageContent& out)
{
    // The file system's own encoding, so that names outside Latin-1 open too.
    std::unique_ptr<TIFF, TiffCloser> tif(TIFFOpen(QFile::encodeName(fileName).constData(), "r"));
    if (!tif)
        return false;

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
        || TIFFIsTiled(tif.get()) || scanline != tmsize_t(width) * 2) {
        qDebug().noquote() << "Not a single-sample 16-bit unsigned TIFF :" << fileName;
        return false;
    }

    // Refuse sizes the file cannot hold before allocating: uncompressed data
    // must be in the file, compressed data must stay below the sane bound.
    const quint64 pixels = quint64(width) * height;
    const bool tooLarge = pixels > ImageContent::maxPixels
        || (compression == COMPRESSION_NONE && pixels * 2 > quint64(QFileInfo(fileName).size()));
    if (tooLarge || !out.allocate(width, height, 0)) {
        qDebug().noquote() << "Image size does not fit the file. (h,w) =" << height << width << fileName;
        return false;
    }

    quint16* samples = reinterpret_cast<quint16*>(out.samples.get());
    for (uint32_t row = 0; row < height; ++row) {
        quint16* line = samples + size_t(row) * width;
        if (TIFFReadScanline(tif.get(), line, row, 0) < 0) {
            qDebug().noquote() << "Error on reading scanline" << row << fileName;
            out.samples.reset();
            return false;
        }
        out.widenRange16(line, width);
    }
    out.scanlineBytes = quint32(scanline);
    return true;
}
