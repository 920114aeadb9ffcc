#include "io/TiffData.h"
#include "output/TiffWriter.h"

#include <QTemporaryDir>
#include <QtTest>
#include <vector>

// Maps written by the TIFF writer must read back through the program's own
// reader sample for sample, whatever the strip layout (tall images have
// several strips of `width` rows, wide ones a single strip).
class TestTiffRoundTrip : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
};

void TestTiffRoundTrip::roundTrip_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("tall, short last strip") << 7 << 30;
    QTest::newRow("wide") << 300 << 5;
    QTest::newRow("square") << 64 << 64;
    QTest::newRow("one pixel") << 1 << 1;
}

void TestTiffRoundTrip::roundTrip()
{
    QFETCH(int, width);
    QFETCH(int, height);
    std::vector<quint16> samples(size_t(width) * height);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = quint16((i * 2654435761u) >> 7);  // every bit pattern, no structure
    samples.front() = 0;
    samples.back() = 65535;

    QTemporaryDir dir;
    const QString path = dir.filePath("map.tif");
    QVERIFY(writeTiff16(path, samples.data(), width, height));

    TiffData image;
    QVERIFY(image.read(path));
    QCOMPARE(int(image.width()), width);
    QCOMPARE(int(image.height()), height);
    QCOMPARE(image.pixelType(), int(TiffData::TiffU16));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            QCOMPARE(image.sample16(x, y), samples[size_t(y) * width + x]);
    QCOMPARE(image.minimum(), width * height > 1 ? 0.0 : 65535.0);
    QCOMPARE(image.maximum(), 65535.0);
}

QTEST_GUILESS_MAIN(TestTiffRoundTrip)
#include "tst_tiffroundtrip.moc"
