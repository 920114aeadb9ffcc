#include "output/TiffWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <tiffio.h>
#include <vector>

// Reads the TIFF back with libtiff itself, so that the writer is checked
// against the library's view of the file rather than against our own reader.
struct ReadBack {
    bool ok = false;
    uint32_t width = 0, height = 0, rowsPerStrip = 0, strips = 0;
    uint16_t bits = 0, samples = 0, compression = 0, photometric = 0, planar = 0, orientation = 0;
    std::vector<quint16> pixels;
};

static ReadBack readBack(const QString& path)
{
    ReadBack r;
    // "c": no strip chopping, so the tags are reported as the file holds them.
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "rc");
    if (!tif)
        return r;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &r.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &r.height);
    TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &r.rowsPerStrip);
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &r.bits);
    TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &r.samples);
    TIFFGetField(tif, TIFFTAG_COMPRESSION, &r.compression);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &r.photometric);
    TIFFGetField(tif, TIFFTAG_PLANARCONFIG, &r.planar);
    TIFFGetField(tif, TIFFTAG_ORIENTATION, &r.orientation);
    r.strips = TIFFNumberOfStrips(tif);
    if (TIFFScanlineSize(tif) != tmsize_t(r.width * sizeof(quint16))) {
        TIFFClose(tif);
        return r;
    }
    r.pixels.resize(size_t(r.width) * r.height);
    r.ok = true;
    for (uint32_t y = 0; y < r.height; ++y)
        if (TIFFReadScanline(tif, r.pixels.data() + size_t(y) * r.width, y) != 1)
            r.ok = false;
    TIFFClose(tif);
    return r;
}

class TestTiffWriter : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void rejects_data();
    void rejects();
    void unwritablePath();
    void overwritesExistingFile();
};

void TestTiffWriter::roundTrip_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("strips");
    QTest::addColumn<int>("lastStripRows");
    // RowsPerStrip is the width: a tall image needs several strips, the last
    // one usually shorter; a wide one fits into one strip.
    QTest::newRow("tall 3x10") << 3 << 10 << 4 << 1;
    QTest::newRow("tall 64x200") << 64 << 200 << 4 << 8;
    QTest::newRow("tall exact 5x15") << 5 << 15 << 3 << 5;
    QTest::newRow("column 1x5") << 1 << 5 << 5 << 1;
    QTest::newRow("wide 10x3") << 10 << 3 << 1 << 3;
    QTest::newRow("wide 300x7") << 300 << 7 << 1 << 7;
    QTest::newRow("row 5x1") << 5 << 1 << 1 << 1;
    QTest::newRow("square 16x16") << 16 << 16 << 1 << 16;
    QTest::newRow("single 1x1") << 1 << 1 << 1 << 1;
}

void TestTiffWriter::roundTrip()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, strips);
    QFETCH(int, lastStripRows);

    // A buffer of exactly width x height samples (the sanitizer build catches
    // any read beyond it); values span the whole 16-bit range and make byte
    // order and row/column mix-ups visible.
    std::vector<quint16> data(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            data[size_t(y) * width + x] = quint16((y * 7919 + x * 257 + 0x1234) & 0xffff);
    data.front() = 0;
    data.back() = 0xffff;

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("image.tif"));
    QVERIFY(writeTiff16(path, data.data(), width, height));

    const ReadBack r = readBack(path);
    QVERIFY(r.ok);
    QCOMPARE(int(r.width), width);
    QCOMPARE(int(r.height), height);
    QCOMPARE(int(r.rowsPerStrip), width);
    QCOMPARE(int(r.bits), 16);
    QCOMPARE(int(r.samples), 1);
    QCOMPARE(int(r.compression), COMPRESSION_NONE);
    QCOMPARE(int(r.photometric), PHOTOMETRIC_MINISBLACK);
    QCOMPARE(int(r.planar), PLANARCONFIG_CONTIG);
    QCOMPARE(int(r.orientation), ORIENTATION_TOPLEFT);
    QCOMPARE(int(r.strips), strips);
    for (size_t i = 0; i < data.size(); ++i)
        if (r.pixels[i] != data[i])
            QFAIL(qPrintable(QStringLiteral("sample %1 (x %2, y %3): %4 instead of %5")
                                 .arg(i).arg(i % width).arg(i / width).arg(r.pixels[i]).arg(data[i])));

    // The last strip holds only the remaining rows: its byte count says so.
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "rc");
    QVERIFY(tif);
    uint64_t* counts = nullptr;
    QVERIFY(TIFFGetField(tif, TIFFTAG_STRIPBYTECOUNTS, &counts));
    QCOMPARE(qint64(counts[strips - 1]), qint64(lastStripRows) * width * 2);
    TIFFClose(tif);
}

void TestTiffWriter::rejects_data()
{
    QTest::addColumn<bool>("nullData");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("null data") << true << 4 << 4;
    QTest::newRow("zero width") << false << 0 << 4;
    QTest::newRow("zero height") << false << 4 << 0;
    QTest::newRow("negative width") << false << -3 << 4;
    QTest::newRow("negative height") << false << 4 << -1;
}

void TestTiffWriter::rejects()
{
    QFETCH(bool, nullData);
    QFETCH(int, width);
    QFETCH(int, height);
    const std::vector<quint16> data(16, 7);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.tif"));
    QVERIFY(!writeTiff16(path, nullData ? nullptr : data.data(), width, height));
    QVERIFY(!QFile::exists(path));
}

void TestTiffWriter::unwritablePath()
{
    const std::vector<quint16> data(4, 1);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing/sub/dir/x.tif"));
    QVERIFY(!writeTiff16(path, data.data(), 2, 2));
    QVERIFY(!QFile::exists(path));
}

void TestTiffWriter::overwritesExistingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("twice.tif"));
    const std::vector<quint16> big(40 * 40, 5);
    const std::vector<quint16> small{1, 2, 3, 4, 5, 6};
    QVERIFY(writeTiff16(path, big.data(), 40, 40));
    QVERIFY(writeTiff16(path, small.data(), 2, 3));
    const ReadBack r = readBack(path);
    QVERIFY(r.ok);
    QCOMPARE(int(r.width), 2);
    QCOMPARE(int(r.height), 3);
    QCOMPARE(r.pixels, small);
}

QTEST_APPLESS_MAIN(TestTiffWriter)
#include "tst_tiffwriter.moc"
