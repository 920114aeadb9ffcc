#include "core/io/TestImageFiles.h"
#include "io/TiffData.h"
#include "MemoryLimit.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <cfloat>
#include <cmath>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

using namespace TestImageFiles;

class TestImageReaders : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void recognition_data();
    void recognition();
    void shortFile();
    void missingFile();

    void tiffRoundTrip_data();
    void tiffRoundTrip();
    void tiffOtherLayoutsRejected_data();
    void tiffOtherLayoutsRejected();
    void tiffTruncated();
    void tiffShrinksWhileRead();
    void imageWithoutMemory();
    void tiffHugeSizeRefused_data();
    void tiffHugeSizeRefused();
    void tiffRefused_data();
    void tiffRefused();

    void imSamples_data();
    void imSamples();
    void imHeaderWinsOverComment();
    void imTooShort_data();
    void imTooShort();
    void imLyingHeader();
    void imShortComment();
    void imZeroSizeRefused_data();
    void imZeroSizeRefused();
    void failedReadKeepsRecord();

    void cttrExample();
    void cttrHeader_data();
    void cttrHeader();
    void cttrMissingLinesReadAsZero();
    void cttrLyingHeader_data();
    void cttrLyingHeader();
    void cttrUnrepresentableValues_data();
    void cttrUnrepresentableValues();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestImageReaders::initTestCase()
{
    QVERIFY(m_dir.isValid());
    TIFFSetWarningHandler(nullptr);
    TIFFSetErrorHandler(nullptr);
}

void TestImageReaders::recognition_data()
{
    // The extension plays no part: every file is named .img.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("pixelType");
    QTest::addColumn<QString>("refusal");   // the message before the file name
    const QVector<quint16> one{7};
    const QString notImage = "Not a TIFF, IM or CTTR image file";
    const QString cttrText = "#CTTR-CTImg\n# RANGE_X1 = 1\n# RANGE_Y1 = 1\n0 0 1\n";
    const auto utf16 = [](const QString& text, bool bom) {
        QByteArray b(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);   // little-endian here
        return bom ? QByteArray("\xFF\xFE") + b : b;
    };
    QTest::newRow("IM") << imFile(1, 1, QByteArray(), littleEndian(one)) << true << 1 << QString();
    QTest::newRow("CTTR") << cttrText.toLatin1() << true << 3 << QString();
    QTest::newRow("CTTR tag cut by a zero byte") << QByteArray("#CTTR-CT\0mg\n# RANGE_X1 = 1\n", 27) << false << 4
                                                 << notImage;
    QTest::newRow("lower-case tag") << QByteArray("#cttr-ctimg\n# RANGE_X1 = 1\n") << false << 4 << notImage;
    QTest::newRow("unknown") << QByteArray("P5 3 2 255 abcdefghijkl") << false << 4 << notImage;
    QTest::newRow("IM not at offset 0") << QByteArray(" IM").append(QByteArray(80, '\0')) << false << 4 << notImage;
    QTest::newRow("PNG named .img") << QByteArray("\x89PNG\r\n\x1a\n").append(QByteArray(64, '\0')) << false << 4
                                    << notImage + " (a PNG image)";
    QTest::newRow("JPEG") << QByteArray("\xFF\xD8\xFF\xE0").append(QByteArray(64, 'j')) << false << 4
                          << notImage + " (a JPEG image)";
    QTest::newRow("UTF-16 CTTR") << utf16(cttrText, true) << false << 4 << notImage + " (UTF-16 text)";
    QTest::newRow("UTF-16 CTTR, no BOM") << utf16(cttrText, false) << false << 4 << notImage + " (UTF-16 text)";
    QTest::newRow("UTF-8 CTTR with BOM") << QByteArray("\xEF\xBB\xBF") + cttrText.toLatin1() << false << 4
                                         << notImage + " (text with a byte-order mark)";
}

void TestImageReaders::recognition()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, ok);
    QFETCH(int, pixelType);
    QFETCH(QString, refusal);
    const QString file = path("recognition.img");
    QVERIFY(writeFile(file, bytes));
    MessageCatcher catcher;
    TiffData d;
    QCOMPARE(d.read(file), ok);
    QCOMPARE(d.pixelType(), pixelType);
    if (!ok)
        QCOMPARE(catcher.messages(), QStringList{refusal + " : " + file});
}

void TestImageReaders::shortFile()
{
    const QString file = path("short.tif");
    QVERIFY(writeFile(file, QByteArray("II*\0abcdefghij", 14)));
    MessageCatcher catcher;
    TiffData d;
    QVERIFY(!d.read(file));
    QCOMPARE(catcher.messages(), QStringList{"Error on reading file (1) " + file});
}

void TestImageReaders::missingFile()
{
    const QString file = path("no such file.tif");
    MessageCatcher catcher;
    TiffData d;
    QVERIFY(!d.read(file));
    QCOMPARE(catcher.messages(), QStringList{"Can not open (1) " + file});
}

void TestImageReaders::tiffRoundTrip_data()
{
    QTest::addColumn<bool>("bigEndian");
    QTest::addColumn<int>("compression");
    QTest::addColumn<int>("rowsPerStrip");
    QTest::newRow("little-endian") << false << int(COMPRESSION_NONE) << 0;
    QTest::newRow("big-endian") << true << int(COMPRESSION_NONE) << 0;
    QTest::newRow("one row per strip") << false << int(COMPRESSION_NONE) << 1;
    QTest::newRow("LZW, big-endian") << true << int(COMPRESSION_LZW) << 2;
    QTest::newRow("deflate") << false << int(COMPRESSION_ADOBE_DEFLATE) << 0;
}

void TestImageReaders::tiffRoundTrip()
{
    QFETCH(bool, bigEndian);
    QFETCH(int, compression);
    QFETCH(int, rowsPerStrip);
    const uint32_t w = 7, h = 5;
    QVector<quint16> samples(w * h);
    for (int i = 0; i < samples.size(); ++i)
        samples[i] = quint16(300 + i * 1001);   // both bytes differ, so a byte swap shows
    samples[9] = 0xFFFF;
    samples[20] = 12;
    TiffLayout layout;
    layout.bigEndian = bigEndian;
    layout.compression = uint16_t(compression);
    layout.rowsPerStrip = uint32_t(rowsPerStrip);
    const QString file = path("round trip.dat");
    QVERIFY(writeTiff16(file, w, h, samples, layout));
    QFile raw(file);
    QVERIFY(raw.open(QIODevice::ReadOnly));
    QCOMPARE(raw.read(2), QByteArray(bigEndian ? "MM" : "II"));

    TiffData d;
    QVERIFY(d.read(file));
    QCOMPARE(d.fileName(), file);
    QCOMPARE(d.pixelType(), 0);
    QCOMPARE(d.width(), w);
    QCOMPARE(d.height(), h);
    QCOMPARE(d.scanlineBytes(), w * 2);
    QCOMPARE(d.bytesPerPixel(), quint16(2));
    QCOMPARE(d.minimum(), 12.0);
    QCOMPARE(d.maximum(), 65535.0);
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            QCOMPARE(d.sample16(int(x), int(y)), samples[int(y * w + x)]);
            QCOMPARE(d.sample(int(x), int(y)), double(samples[int(y * w + x)]));
        }
    }
    QVERIFY(d.displayImage());
    QCOMPARE(d.displayImage()->size(), QSize(int(w), int(h)));
}

void TestImageReaders::tiffOtherLayoutsRejected_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("samplesPerPixel");
    QTest::addColumn<int>("sampleFormat");
    QTest::newRow("8-bit") << 8 << 1 << int(SAMPLEFORMAT_UINT);
    QTest::newRow("16-bit RGB") << 16 << 3 << int(SAMPLEFORMAT_UINT);
    QTest::newRow("8-bit RGB") << 8 << 3 << int(SAMPLEFORMAT_UINT);
    QTest::newRow("32-bit float") << 32 << 1 << int(SAMPLEFORMAT_IEEEFP);
    QTest::newRow("32-bit unsigned") << 32 << 1 << int(SAMPLEFORMAT_UINT);
    QTest::newRow("16-bit signed") << 16 << 1 << int(SAMPLEFORMAT_INT);
}

void TestImageReaders::tiffOtherLayoutsRejected()
{
    QFETCH(int, bits);
    QFETCH(int, samplesPerPixel);
    QFETCH(int, sampleFormat);
    const uint32_t w = 4, h = 3;
    QByteArray data(int(w * h) * samplesPerPixel * bits / 8, '\x11');
    TiffLayout layout;
    layout.bitsPerSample = uint16_t(bits);
    layout.samplesPerPixel = uint16_t(samplesPerPixel);
    layout.sampleFormat = uint16_t(sampleFormat);
    const QString file = path("other.tif");
    QVERIFY(writeTiff(file, w, h, data.constData(), layout));
    MessageCatcher catcher;
    TiffData d;
    QVERIFY(!d.read(file));
    QCOMPARE(catcher.messages(), QStringList{"Not a single-sample 16-bit unsigned TIFF : " + file});
    QCOMPARE(d.pixelType(), 4);
    QCOMPARE(d.width(), 0u);
    QVERIFY(!d.displayImage());
}

void TestImageReaders::tiffTruncated()
{
    const uint32_t w = 64, h = 64;
    QVector<quint16> samples(w * h, 1234);
    TiffLayout layout;
    layout.compression = COMPRESSION_ADOBE_DEFLATE;
    layout.rowsPerStrip = 8;
    const QString file = path("truncated.tif");
    QVERIFY(writeTiff16(file, w, h, samples, layout));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    // Keep the header and directory (written at the end) but spoil the strips.
    for (int i = 8; i < 60 && i < bytes.size(); ++i)
        bytes[i] = char(0xFF);
    f.seek(0);
    f.write(bytes);
    f.close();
    MessageCatcher catcher;
    TiffData d;
    QVERIFY(!d.read(file));
    QCOMPARE(d.pixelType(), 4);
    QCOMPARE(d.height(), 0u);
    QVERIFY(catcher.messages().contains("Error on reading scanline 0 " + file));
}

// Files at beamlines are often still being written: one that shrinks while it
// is read is a failed (or a complete) read, never a SIGBUS, which a reader
// that maps the file gets when the mapped pages vanish (it ended the
// program in 4 to 7 of 10 tries).
void TestImageReaders::tiffShrinksWhileRead()
{
    const QString file = path("shrinking.tif");
    const int side = 1024;   // 2 MiB of samples
    QVERIFY(writeTiff16(file, side, side, QVector<quint16>(side * side, 1234)));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray whole = f.readAll();
    f.close();

    std::atomic<bool> done{false};
    std::atomic<int> reads{0};
    std::thread reader([&] {
        while (!done.load()) {
            TiffData d;
            d.read(file, false);
            ++reads;
        }
    });
    // The writer cuts the file short and writes it again in place, as a
    // detector program rewriting a file does.
    QElapsedTimer clock;
    clock.start();
    const QByteArray name = QFile::encodeName(file);
    while (clock.elapsed() < 300) {
        const int fd = ::open(name.constData(), O_WRONLY);
        QVERIFY(fd >= 0);
        QVERIFY(::ftruncate(fd, 8192) == 0);
        QThread::usleep(50);
        QCOMPARE(::pwrite(fd, whole.constData(), size_t(whole.size()), 0), ssize_t(whole.size()));
        ::close(fd);
        QThread::usleep(300);
    }
    done = true;
    reader.join();
    QVERIFY(reads.load() > 10);
}

// Memory that runs out used to be reported as a size that "does not fit the
// file", and a picture without memory for it ended the program.
void TestImageReaders::imageWithoutMemory()
{
    if (!MemoryLimit::usable())
        QSKIP("the sanitizers reserve the address space a limit would bound");
    const QString file = path("deflated.tif");
    QVERIFY(writeFile(file, craftedTiff(16000, 16000, COMPRESSION_ADOBE_DEFLATE, 64)));
    MessageCatcher catcher;
    TiffData d;
    {
        MemoryLimit limit(qint64(64) << 20);
        QVERIFY(limit.isSet());
        QVERIFY(!d.read(file));
    }
    QVERIFY2(catcher.contains("Not enough memory for an image of 16000 x 16000 pixels : " + file),
             qPrintable(catcher.messages().join('|')));
    QCOMPARE(d.pixelType(), 4);

    // A picture beyond the largest block a thread's heap can hand out
    // (64 MiB), which the allocator would otherwise try when the address
    // space runs out.
    const QString large = path("large.tif");
    const int side = 8200;
    QVERIFY(writeTiff16(large, side, side, QVector<quint16>(side * side, 7)));
    TiffData image;
    QVERIFY(image.read(large, false));
    {
        MemoryLimit limit(qint64(1) << 20);
        QVERIFY(limit.isSet());
        QVERIFY(!image.genImage());
        // The same for a whole read that renders at once.
        TiffData rendered;
        QVERIFY(!rendered.read(large, true));
    }
    QVERIFY(!image.displayImage());
    QCOMPARE(image.sample16(5, 5), quint16(7));
    QVERIFY(image.genImage());
    QVERIFY(image.displayImage());
}

void TestImageReaders::tiffHugeSizeRefused_data()
{
    QTest::addColumn<uint>("width");
    QTest::addColumn<uint>("height");
    QTest::addColumn<int>("compression");
    QTest::addColumn<bool>("beyondBound");   // larger than any image read, or merely short
    // Beyond the sane bound, whatever the file holds; it used to be called a
    // size that "does not fit the file".
    QTest::newRow("uncompressed 100000 x 100000") << 100000u << 100000u << int(COMPRESSION_NONE) << true;
    QTest::newRow("uncompressed 30000 x 30000") << 30000u << 30000u << int(COMPRESSION_NONE) << true;
    QTest::newRow("deflate 20000 x 20000") << 20000u << 20000u << int(COMPRESSION_ADOBE_DEFLATE) << true;
    // Uncompressed: more than the file holds.
    QTest::newRow("uncompressed 64 x 64, 8 KiB short") << 64u << 64u << int(COMPRESSION_NONE) << false;
}

void TestImageReaders::tiffHugeSizeRefused()
{
    QFETCH(uint, width);
    QFETCH(uint, height);
    QFETCH(int, compression);
    QFETCH(bool, beyondBound);
    const QString file = path("huge.tif");
    QVERIFY(writeFile(file, craftedTiff(width, height, uint16_t(compression), 64)));
    MessageCatcher catcher;
    TiffData d;
    QVERIFY(!d.read(file));
    const QString expected = beyondBound
        ? QString("Image of %1 x %2 pixels is larger than the 268435456 pixels an image may have : %3")
        : QString("Image size does not fit the file. (h,w) = %1 %2 %3");
    QVERIFY2(catcher.contains(expected.arg(height).arg(width).arg(file)), qPrintable(catcher.messages().join('|')));
    // libtiff's own complaints about the file reach the debug output too,
    // each naming the file.
    for (const QString& line : catcher.messages())
        QVERIFY2(!line.startsWith("libtiff") || line.endsWith(" : " + file), qPrintable(line));
    QCOMPARE(d.pixelType(), 4);
}

void TestImageReaders::tiffRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("BigTIFF") << "bigtiff" << "BigTIFF files are not read, only classic TIFF";
    QTest::newRow("tiled") << "tiled" << "Tiled TIFF files are not read, only TIFF in strips";
    QTest::newRow("directory beyond the end") << "broken" << "Not a readable TIFF file";
    QTest::newRow("width 0") << "width0" << "Not a readable TIFF file";
}

void TestImageReaders::tiffRefused()
{
    QFETCH(QString, kind);
    QFETCH(QString, refusal);
    const QString file = path(kind + ".tif");
    const uint32_t w = 32, h = 32;
    const QVector<quint16> samples(int(w * h), 321);
    if (kind == "broken") {
        QByteArray b("II*\0", 4);
        b.append("\xA0\x86\x01\0", 4).append(QByteArray(24, '\0'));   // first directory at 100000
        QVERIFY(writeFile(file, b));
    } else if (kind == "width0") {
        QVERIFY(writeFile(file, craftedTiff(0, 4, COMPRESSION_NONE, 64)));
    } else {
        TiffLayout layout;
        layout.bigTiff = kind == "bigtiff";
        layout.tileSize = kind == "tiled" ? 16 : 0;
        QVERIFY(writeTiff16(file, w, h, samples, layout));
    }
    MessageCatcher catcher;
    TiffData d;
    QVERIFY(!d.read(file));
    QCOMPARE(d.pixelType(), 4);
    QCOMPARE(catcher.messages().last(), refusal + " : " + file);
    for (const QString& line : catcher.messages())
        QVERIFY2(!line.startsWith("libtiff") || line.endsWith(" : " + file), qPrintable(line));
}

void TestImageReaders::imSamples_data()
{
    QTest::addColumn<QByteArray>("comment");
    QTest::addColumn<int>("announced");
    QTest::addColumn<int>("bytesPerPixel");
    QTest::addColumn<int>("pixelType");
    QTest::newRow("no comment") << QByteArray() << 2 << 2 << 1;
    QTest::newRow("4 bytes") << QByteArray("Prop_Exposure=2,BytesPerPixel=4,Prop_X=1") << 4 << 4 << 2;
    QTest::newRow("4 bytes first") << QByteArray("BytesPerPixel=4,") << 4 << 4 << 2;
    QTest::newRow("blanks after the key") << QByteArray("BytesPerPixel=  4   7,") << 4 << 4 << 2;
    QTest::newRow("2 bytes") << QByteArray("BytesPerPixel=2,") << 2 << 2 << 1;
    QTest::newRow("after the last comma") << QByteArray("Prop_A=1,BytesPerPixel=4") << 2 << 2 << 1;
    QTest::newRow("last of two") << QByteArray("BytesPerPixel=4,BytesPerPixel=2,") << 2 << 2 << 1;
    QTest::newRow("not at item start") << QByteArray("A=1, BytesPerPixel=4,") << 2 << 2 << 1;
    QTest::newRow("3 reads 2-byte samples") << QByteArray("BytesPerPixel=3,") << 3 << 2 << 1;
}

void TestImageReaders::imSamples()
{
    QFETCH(QByteArray, comment);
    QFETCH(int, announced);
    QFETCH(int, bytesPerPixel);
    QFETCH(int, pixelType);
    const quint16 w = 4, h = 3;
    QVector<quint32> values(w * h);
    for (int i = 0; i < values.size(); ++i)
        values[i] = bytesPerPixel == 4 ? quint32(0x01020304u * (i + 1)) : quint32(0x0102 * (i + 1) + 0x8000);
    values[5] = 3;
    QByteArray pixels;
    if (bytesPerPixel == 4) {
        pixels = littleEndian(values);
    } else {
        QVector<quint16> v16;
        for (quint32 v : values)
            v16 << quint16(v);
        pixels = littleEndian(v16);
    }
    const QString file = path("im.img");
    QVERIFY(writeFile(file, imFile(w, h, comment, pixels)));

    MessageCatcher catcher;
    TiffData d;
    QVERIFY(d.read(file));
    QVERIFY(catcher.contains(QString("bytes per pixel %1").arg(announced)));
    QCOMPARE(d.pixelType(), pixelType);
    QCOMPARE(int(d.bytesPerPixel()), bytesPerPixel);
    QCOMPARE(d.width(), quint32(w));
    QCOMPARE(d.height(), quint32(h));
    double lo = DBL_MAX, hi = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double v = values[y * w + x];
            QCOMPARE(d.sample(x, y), v);
            lo = qMin(lo, v);
            hi = qMax(hi, v);
        }
    }
    QCOMPARE(d.minimum(), lo);
    QCOMPARE(d.maximum(), hi);
}

void TestImageReaders::imHeaderWinsOverComment()
{
    const QByteArray comment("Prop_ImageWidth=100,Prop_ImageHeight=50,");
    const QString file = path("header wins.img");
    QVERIFY(writeFile(file, imFile(64, 2, comment, QByteArray(64 * 2 * 2, '\0'))));
    TiffData d;
    QVERIFY(d.read(file));
    QCOMPARE(d.width(), 64u);
    QCOMPARE(d.height(), 2u);
    // An all-zero image keeps the initial maximum, the smallest normal double.
    QCOMPARE(d.minimum(), 0.0);
    QCOMPARE(d.maximum(), DBL_MIN);
}

void TestImageReaders::imTooShort_data()
{
    QTest::addColumn<QByteArray>("comment");
    QTest::addColumn<int>("sampleBytes");
    QTest::addColumn<QString>("error");
    QTest::newRow("2-byte") << QByteArray("x=1,") << 2 << "Error on reading (3)";
    QTest::newRow("4-byte") << QByteArray("BytesPerPixel=4,") << 4 << "Error on reading (2)";
}

void TestImageReaders::imTooShort()
{
    QFETCH(QByteArray, comment);
    QFETCH(int, sampleBytes);
    QFETCH(QString, error);
    const QString file = path("short.img");
    QVERIFY(writeFile(file, imFile(5, 3, comment, QByteArray(5 * 3 * sampleBytes - 1, '\7'))));
    MessageCatcher catcher;
    TiffData d;
    QVERIFY(!d.read(file));
    QVERIFY(catcher.contains("invalid file size. expected (h,w) = 3 5"));
    QVERIFY(catcher.contains(error + " " + file));
    QCOMPARE(d.pixelType(), 4);
    QCOMPARE(d.width(), 0u);
    QCOMPARE(d.height(), 0u);
    QVERIFY(!d.row16(0) && !d.row32(0));
    QCOMPARE(d.sample(0, 0), 0.0);

    // The same file with the missing byte reads.
    QVERIFY(writeFile(file, imFile(5, 3, comment, QByteArray(5 * 3 * sampleBytes, '\7'))));
    QVERIFY(d.read(file));
}

void TestImageReaders::imLyingHeader()
{
    const QString file = path("lying.img");
    QVERIFY(writeFile(file, imFile(60000, 60000, "BytesPerPixel=4,", QByteArray(100, '\1'))));
    MessageCatcher catcher;
    TiffData d;
    QVERIFY(!d.read(file));
    QVERIFY(catcher.contains("invalid file size. expected (h,w) = 60000 60000"));
    QVERIFY(catcher.contains("Error on reading (2) " + file));
}

void TestImageReaders::imShortComment()
{
    QByteArray bytes = imFile(0, 0, QByteArray(), QByteArray());
    qToLittleEndian<quint16>(40, bytes.data() + 2);
    bytes += "abc,def";
    const QString file = path("short comment.img");
    QVERIFY(writeFile(file, bytes));
    MessageCatcher catcher;
    TiffData d;
    QVERIFY(!d.read(file));
    QVERIFY(catcher.contains("Error on reading (5) 7 40 " + file));
    QVERIFY(catcher.contains("invalid file size. expected (h,w) = 0 0"));
}

void TestImageReaders::imZeroSizeRefused_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("0 x 0") << 0 << 0;
    QTest::newRow("4 x 0") << 4 << 0;
    QTest::newRow("0 x 4") << 0 << 4;
}

void TestImageReaders::imZeroSizeRefused()
{
    QFETCH(int, width);
    QFETCH(int, height);
    const QString file = path("empty.img");
    QVERIFY(writeFile(file, imFile(quint16(width), quint16(height), "BytesPerPixel=2,", QByteArray(16, '\3'))));
    MessageCatcher catcher;
    TiffData d;
    QVERIFY(!d.read(file));
    QCOMPARE(d.pixelType(), 4);
    QCOMPARE(catcher.messages().last(), QString("Image has no pixels. (h,w) = %1 %2 %3").arg(height).arg(width).arg(file));
}

void TestImageReaders::failedReadKeepsRecord()
{
    const QString good = path("good.img");
    const QString bad = path("bad.img");
    QVERIFY(writeFile(good, imFile(2, 1, QByteArray(), littleEndian(QVector<quint16>{5, 9}))));
    QVERIFY(writeFile(bad, imFile(2, 2, QByteArray(), littleEndian(QVector<quint16>{5, 9}))));
    TiffData d;
    QVERIFY(d.read(good));
    QVERIFY(!d.read(bad));
    QCOMPARE(d.fileName(), good);
    QCOMPARE(d.height(), 1u);
    QCOMPARE(d.sample(1, 0), 9.0);
}

void TestImageReaders::cttrExample()
{
    const QString file = path("example.dat");
    const QByteArray text = "#CTTR-CTImg version 1\n"
                            "# range_x0 = 0\n"
                            "# RANGE_X1 = 3\n"
                            "# Range_Y1 = 2 ignored\n"
                            "0 0 -0.1\n"
                            "1 0 0.002\n"
                            "2 0 1.5\n"
                            "0 1 \"2\"\n"
                            "1 1 abc\n"
                            "2 1 10\n";
    QVERIFY(writeFile(file, text));
    MessageCatcher catcher;
    TiffData d;
    QVERIFY(d.read(file));
    QCOMPARE(d.pixelType(), 3);
    QCOMPARE(d.width(), 3u);
    QCOMPARE(d.height(), 2u);
    const float expected[6] = {0.0f, 1.0f, 750.0f, 1000.0f, 0.0f, 5000.0f};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(d.sample(i % 3, i / 3), double(expected[i]));
    QCOMPARE(d.rowFloat(1)[2], 5000.0f);
    QCOMPARE(d.minimum(), 0.0);
    QCOMPARE(d.maximum(), 5000.0);
    const QStringList want{"ksv #CTTR-CTImg version 1", "ksv # range_x0 = 0", "ksv # RANGE_X1 = 3",
                           "ksv # Range_Y1 = 2 ignored", "rrr 0 3 0 2 3 2"};
    QCOMPARE(catcher.messages(), want);
}

void TestImageReaders::cttrHeader_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<uint>("width");
    QTest::addColumn<uint>("height");
    QTest::addColumn<QString>("rrr");
    QTest::newRow("zero range") << QByteArray("# RANGE_X0 = 0\n# RANGE_X1 = 0\n# RANGE_Y1 = 2\n")
                                << false << 0u << 0u << "rrr 0 0 0 2 0 2";
    QTest::newRow("missing keys") << QByteArray("# RANGE_X1 = 2\n") << false << 0u << 0u << "rrr 0 2 0 0 2 0";
    QTest::newRow("negative") << QByteArray("# RANGE_X0 = 5\n# RANGE_X1 = 2\n# RANGE_Y1 = 1\n")
                              << false << 0u << 0u << "rrr 5 2 0 1 -3 1";
    QTest::newRow("offsets") << QByteArray("# RANGE_X0 = 2\n# RANGE_X1 = 5\n# RANGE_Y0 = 10\n# RANGE_Y1 = 11\n")
                             << true << 3u << 1u << "rrr 2 5 10 11 3 1";
    QTest::newRow("truncated values") << QByteArray("# RANGE_X1 = 3.9\n# RANGE_Y1 = 1.2e0\n")
                                      << true << 3u << 1u << "rrr 0 3 0 1 3 1";
    QTest::newRow("value not a number") << QByteArray("# RANGE_X1 = three\n# RANGE_Y1 = 1\n")
                                        << false << 0u << 0u << "rrr 0 0 0 1 0 1";
    QTest::newRow("later key wins") << QByteArray("# RANGE_X1 = 9\n# RANGE_X1 = 1\n# RANGE_Y1 = 1\n")
                                    << true << 1u << 1u << "rrr 0 1 0 1 1 1";
}

void TestImageReaders::cttrHeader()
{
    QFETCH(QByteArray, header);
    QFETCH(bool, ok);
    QFETCH(uint, width);
    QFETCH(uint, height);
    QFETCH(QString, rrr);
    const QString file = path("header.dat");
    QVERIFY(writeFile(file, "#CTTR-CTImg\n" + header + "0 0 1\n1 0 2\n2 0 3\n"));
    MessageCatcher catcher;
    TiffData d;
    QCOMPARE(d.read(file), ok);
    QVERIFY(catcher.contains(rrr));
    QCOMPARE(d.width(), width);
    QCOMPARE(d.height(), height);
    if (!ok) {
        const QStringList r = rrr.split(' ');
        QCOMPARE(catcher.messages().last(), QString("Image has no pixels. (h,w) = %1 %2 %3").arg(r[6], r[5], file));
    }
}

void TestImageReaders::cttrUnrepresentableValues_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<float>("stored");
    QTest::addColumn<bool>("reported");
    QTest::newRow("inf") << "inf" << 0.0f << true;
    QTest::newRow("-inf") << "-inf" << 0.0f << true;
    QTest::newRow("nan") << "nan" << 0.0f << true;
    QTest::newRow("beyond double") << "1e999" << 0.0f << true;
    QTest::newRow("beyond float after x 500") << "1e36" << 0.0f << true;
    QTest::newRow("largest float / 500") << "6.8e35" << float(6.8e35 * 500.0) << false;
    QTest::newRow("negative") << "-3" << 0.0f << false;
}

void TestImageReaders::cttrUnrepresentableValues()
{
    QFETCH(QString, value);
    QFETCH(float, stored);
    QFETCH(bool, reported);
    const QString file = path("values.dat");
    QVERIFY(writeFile(file, ("#CTTR-CTImg\n# RANGE_X1 = 2\n# RANGE_Y1 = 1\n0 0 " + value + "\n1 0 2\n").toLatin1()));
    MessageCatcher catcher;
    TiffData d;
    QVERIFY(d.read(file));
    QCOMPARE(d.rowFloat(0)[0], stored);
    QCOMPARE(d.rowFloat(0)[1], 1000.0f);
    QVERIFY(std::isfinite(d.maximum()));
    QCOMPARE(d.maximum(), qMax(1000.0, double(stored)));
    const QString message = "Stored 0 for 1 values that are not finite or too large : " + file;
    QCOMPARE(catcher.contains(message), reported);
}

void TestImageReaders::cttrMissingLinesReadAsZero()
{
    const QString file = path("missing.dat");
    QVERIFY(writeFile(file, "#CTTR-CTImg\n# RANGE_X1 = 2\n# RANGE_Y1 = 2\n0 0 1\n1 0 2\n0 1 3"));
    TiffData d;
    QVERIFY(d.read(file));
    QCOMPARE(d.sample(0, 1), 1500.0);
    QCOMPARE(d.sample(1, 1), 0.0);
}

void TestImageReaders::cttrLyingHeader_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");   // %1 stands for the file
    const QByteArray header = "#CTTR-CTImg\n# RANGE_X1 = 1000\n# RANGE_Y1 = 1000\n";
    QTest::newRow("100000 x 100000")
        << QByteArray("#CTTR-CTImg\n# RANGE_X1 = 100000\n# RANGE_Y1 = 100000\n0 0 1\n")
        << "Image of 100000 x 100000 pixels is larger than the 268435456 pixels an image may have : %1";
    // Blank lines used to count as pixel lines: a megabyte of them made a
    // blank image of a million pixels (and 16384 x 16384 over 268 MB of them
    // took 25 s and 1.3 GB before it failed).
    QTest::newRow("1000 x 1000 over blank lines")
        << header + QByteArray(1500000, '\n') << "Image size does not fit the file. (h,w) = 1000 1000 %1";
    QTest::newRow("1000 x 1000, one value line")
        << header + "0 0 1\n" << "Image size does not fit the file. (h,w) = 1000 1000 %1";
}

void TestImageReaders::cttrLyingHeader()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    const QString file = path("lying.dat");
    QVERIFY(writeFile(file, content));
    MessageCatcher catcher;
    TiffData d;
    QVERIFY(!d.read(file));
    QVERIFY2(catcher.contains(message.arg(file)), qPrintable(catcher.messages().join('|')));
    QCOMPARE(d.pixelType(), 4);
}

QTEST_GUILESS_MAIN(TestImageReaders)
#include "tst_imagereaders.moc"
