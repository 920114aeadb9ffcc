#pragma once

#include "DebugCapture.h"

// Writers of small image files for the image tests, and a catcher of debug
// messages.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QtEndian>
#include <tiffio.h>

namespace TestImageFiles {

struct TiffLayout {
    uint16_t bitsPerSample = 16;
    uint16_t samplesPerPixel = 1;
    uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    uint16_t compression = COMPRESSION_NONE;
    uint32_t rowsPerStrip = 0;   // 0: libtiff's default
    bool bigEndian = false;
    bool bigTiff = false;
    uint32_t tileSize = 0;   // 0: strips
};

// Writes `data` (height rows of scanline bytes, native byte order) as a TIFF.
inline bool writeTiff(const QString& path, uint32_t width, uint32_t height, const void* data,
                      const TiffLayout& layout = TiffLayout())
{
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), layout.bigTiff ? "w8" : layout.bigEndian ? "wb" : "wl");
    if (!tif)
        return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, layout.bitsPerSample);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, layout.samplesPerPixel);
    TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, layout.sampleFormat);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, layout.compression);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, layout.samplesPerPixel == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
    const size_t scan = size_t(width) * layout.samplesPerPixel * layout.bitsPerSample / 8;
    bool ok = true;
    if (layout.tileSize) {   // tiles of tileSize x tileSize, the image a whole number of them
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, layout.tileSize);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, layout.tileSize);
        QByteArray tile(int(TIFFTileSize(tif)), '\x11');
        for (uint32_t t = 0; t < TIFFNumberOfTiles(tif) && ok; ++t)
            ok = TIFFWriteEncodedTile(tif, t, tile.data(), tile.size()) >= 0;
        TIFFClose(tif);
        return ok;
    }
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP,
                 layout.rowsPerStrip ? layout.rowsPerStrip : TIFFDefaultStripSize(tif, 0));
    for (uint32_t r = 0; r < height && ok; ++r) {
        QByteArray line(static_cast<const char*>(data) + r * scan, int(scan));
        ok = TIFFWriteScanline(tif, line.data(), r, 0) >= 0;
    }
    TIFFClose(tif);
    return ok;
}

inline bool writeTiff16(const QString& path, uint32_t width, uint32_t height,
                        const QVector<quint16>& samples, const TiffLayout& layout = TiffLayout())
{
    return writeTiff(path, width, height, samples.constData(), layout);
}

// A hand-made little-endian TIFF header describing one strip of 16-bit
// samples, with the size and compression given and only `dataBytes` of data.
inline QByteArray craftedTiff(uint32_t width, uint32_t height, uint16_t compression, uint32_t dataBytes)
{
    struct Entry {
        uint16_t tag, type;
        uint32_t count, value;
    };
    const uint16_t SHORT = 3, LONG = 4;
    const Entry entries[] = {
        {256, LONG, 1, width}, {257, LONG, 1, height}, {258, SHORT, 1, 16},
        {259, SHORT, 1, compression}, {262, SHORT, 1, 1}, {273, LONG, 1, 0 /* patched */},
        {277, SHORT, 1, 1}, {278, LONG, 1, height}, {279, LONG, 1, dataBytes}};
    const int n = int(sizeof entries / sizeof entries[0]);
    const uint32_t dataOffset = 8 + 2 + n * 12 + 4;
    QByteArray b("II*\0", 4);
    auto put16 = [&b](uint16_t v) { char c[2]; qToLittleEndian(v, c); b.append(c, 2); };
    auto put32 = [&b](uint32_t v) { char c[4]; qToLittleEndian(v, c); b.append(c, 4); };
    put32(8);
    put16(uint16_t(n));
    for (const Entry& e : entries) {
        put16(e.tag);
        put16(e.type);
        put32(e.count);
        const uint32_t v = e.tag == 273 ? dataOffset : e.value;
        if (e.type == SHORT) {
            put16(uint16_t(v));
            put16(0);
        } else {
            put32(v);
        }
    }
    put32(0);
    b.append(QByteArray(int(dataBytes), '\x01'));
    return b;
}

// IM file: "IM", comment length, width, height, 56 unused bytes, comment,
// then `pixelBytes` as given.
inline QByteArray imFile(quint16 width, quint16 height, const QByteArray& comment, const QByteArray& pixelBytes)
{
    QByteArray b(64, '\0');
    b[0] = 'I';
    b[1] = 'M';
    qToLittleEndian<quint16>(quint16(comment.size()), b.data() + 2);
    qToLittleEndian<quint16>(width, b.data() + 4);
    qToLittleEndian<quint16>(height, b.data() + 6);
    for (int i = 10; i < 64; ++i)
        b[i] = char(0xA5);   // unused header bytes carry junk
    return b + comment + pixelBytes;
}

template <class T>
QByteArray littleEndian(const QVector<T>& values)
{
    QByteArray b(values.size() * int(sizeof(T)), '\0');
    for (int i = 0; i < values.size(); ++i)
        qToLittleEndian<T>(values[i], b.data() + i * int(sizeof(T)));
    return b;
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

using MessageCatcher = DebugCapture;

}
