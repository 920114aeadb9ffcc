// Reading 16-bit TIFF images into TiffData against libtiff alone, the memory
// a loaded image holds, and rendering the display image.

#include "display/ColorScale.h"
#include "io/TiffData.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <benchmark/benchmark.h>
#include <chrono>
#include <malloc.h>
#include <memory>
#include <tiffio.h>
#include <vector>

namespace {

QTemporaryDir& benchDir()
{
    static QTemporaryDir dir;
    return dir;
}

// A w x h 16-bit little-endian uncompressed TIFF with a smooth gradient and
// some texture, written once per size.
QString tiffFile(uint32_t w, uint32_t h)
{
    const QString file = benchDir().filePath(QString("bench_%1x%2.tif").arg(w).arg(h));
    if (QFile::exists(file))
        return file;
    TIFF* tif = TIFFOpen(QFile::encodeName(file).constData(), "wl");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    std::vector<uint16_t> line(w);
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x)
            line[x] = uint16_t(1000 + x * 7 + y * 5 + ((x * 31 + y * 17) & 255));
        TIFFWriteScanline(tif, line.data(), y, 0);
    }
    TIFFClose(tif);
    return file;
}

// A w x h IM image with 4-byte samples.
QString im32File(uint32_t w, uint32_t h)
{
    const QString file = benchDir().filePath(QString("bench_%1x%2.img").arg(w).arg(h));
    if (QFile::exists(file))
        return file;
    QByteArray comment("BytesPerPixel=4,");
    QByteArray b(64, '\0');
    b[0] = 'I';
    b[1] = 'M';
    qToLittleEndian<quint16>(quint16(comment.size()), b.data() + 2);
    qToLittleEndian<quint16>(quint16(w), b.data() + 4);
    qToLittleEndian<quint16>(quint16(h), b.data() + 6);
    b += comment;
    QByteArray pixels(int(w * h * 4), '\0');
    for (uint32_t i = 0; i < w * h; ++i)
        qToLittleEndian<quint32>(100000 + i % 65521 * 13, pixels.data() + i * 4);
    QFile f(file);
    f.open(QIODevice::WriteOnly);
    f.write(b + pixels);
    return file;
}

// libtiff alone: open, read every scanline into one buffer, close.
bool readWithLibtiff(const QString& file, std::unique_ptr<uint16_t[]>& buffer)
{
    TIFF* tif = TIFFOpen(QFile::encodeName(file).constData(), "r");
    if (!tif)
        return false;
    uint32_t w = 0, h = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    buffer.reset(new uint16_t[size_t(w) * h]);
    bool ok = true;
    for (uint32_t r = 0; r < h && ok; ++r)
        ok = TIFFReadScanline(tif, buffer.get() + size_t(r) * w, r, 0) >= 0;
    TIFFClose(tif);
    return ok;
}

void BM_ReadTiff2048_LibtiffScanlinesOnly(benchmark::State& state)
{
    const QString file = tiffFile(2048, 2048);
    for (auto _ : state) {
        std::unique_ptr<uint16_t[]> buffer;
        if (!readWithLibtiff(file, buffer))
            state.SkipWithError("libtiff read failed");
        benchmark::DoNotOptimize(buffer.get());
    }
}
BENCHMARK(BM_ReadTiff2048_LibtiffScanlinesOnly)->Unit(benchmark::kMillisecond);

void BM_ReadTiff2048_TiffDataWithDisplayImage(benchmark::State& state)
{
    const QString file = tiffFile(2048, 2048);
    for (auto _ : state) {
        TiffData d;
        if (!d.read(file))
            state.SkipWithError("TiffData::read failed");
        benchmark::DoNotOptimize(d.displayBuffer());
    }
}
BENCHMARK(BM_ReadTiff2048_TiffDataWithDisplayImage)->Unit(benchmark::kMillisecond);

// Both reads alternately in the same iterations; the counter `ratio` is
// TiffData time / libtiff time.
void BM_ReadTiff2048_TiffDataOverLibtiffRatio(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    const QString file = tiffFile(2048, 2048);
    double libtiffSeconds = 0, tiffDataSeconds = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        {
            std::unique_ptr<uint16_t[]> buffer;
            readWithLibtiff(file, buffer);
            benchmark::DoNotOptimize(buffer.get());
        }
        auto t1 = Clock::now();
        {
            TiffData d;
            d.read(file);
            benchmark::DoNotOptimize(d.displayBuffer());
        }
        auto t2 = Clock::now();
        libtiffSeconds += std::chrono::duration<double>(t1 - t0).count();
        tiffDataSeconds += std::chrono::duration<double>(t2 - t1).count();
    }
    const double n = double(state.iterations());
    state.counters["libtiff_ms"] = libtiffSeconds / n * 1e3;
    state.counters["tiffdata_ms"] = tiffDataSeconds / n * 1e3;
    state.counters["ratio"] = tiffDataSeconds / libtiffSeconds;
}
BENCHMARK(BM_ReadTiff2048_TiffDataOverLibtiffRatio)->Unit(benchmark::kMillisecond);

// Heap bytes (small blocks and mapped blocks) held by one loaded image,
// measured with the allocator's own statistics.
void BM_LoadedTiff16_HeldBytesPerPixel(benchmark::State& state)
{
    const uint32_t w = uint32_t(state.range(0)), h = uint32_t(state.range(1));
    const QString file = tiffFile(w, h);
    auto held = [] {
        const struct mallinfo2 m = mallinfo2();
        return double(m.uordblks) + double(m.hblkhd);
    };
    double perPixel = 0;
    for (auto _ : state) {
        const double before = held();
        auto d = std::make_unique<TiffData>();
        d->read(file);
        perPixel = (held() - before) / (double(w) * h);
        benchmark::DoNotOptimize(d.get());
    }
    state.counters["bytes_per_pixel"] = perPixel;
}
BENCHMARK(BM_LoadedTiff16_HeldBytesPerPixel)->Args({2048, 2048})->Args({1001, 777})->Unit(benchmark::kMillisecond);

void BM_GenImage2048_Tiff16(benchmark::State& state)
{
    TiffData d;
    d.read(tiffFile(2048, 2048));
    ColorScale scale;
    scale.setLimits(0.1, 0.9);
    d.setColorScale(&scale);
    for (auto _ : state) {
        d.genImage();
        benchmark::DoNotOptimize(d.displayBuffer());
    }
}
BENCHMARK(BM_GenImage2048_Tiff16)->Unit(benchmark::kMillisecond);

void BM_GenImage2048_Tiff16Shifted(benchmark::State& state)
{
    TiffData d;
    d.read(tiffFile(2048, 2048));
    d.setShift(13, -7);
    for (auto _ : state) {
        d.genImage();
        benchmark::DoNotOptimize(d.displayBuffer());
    }
}
BENCHMARK(BM_GenImage2048_Tiff16Shifted)->Unit(benchmark::kMillisecond);

void BM_GenImage2048_Im32(benchmark::State& state)
{
    TiffData d;
    d.read(im32File(2048, 2048));
    for (auto _ : state) {
        d.genImage();
        benchmark::DoNotOptimize(d.displayBuffer());
    }
}
BENCHMARK(BM_GenImage2048_Im32)->Unit(benchmark::kMillisecond);

}
