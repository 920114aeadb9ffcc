#include "core/io/TestImageFiles.h"
#include "display/ColorScale.h"
#include "io/TiffData.h"

#include <QTemporaryDir>
#include <QtTest>
#include <cfloat>
#include <climits>
#include <cmath>

using namespace TestImageFiles;

namespace {

// The display byte of value v, computed straight from the definitions:
// t from the image's range, s from the scale's limits, clamped, 256 steps.
int expectedGrey(double v, double minimum, double maximum, double lo, double hi)
{
    const double t = maximum > minimum ? (v - minimum) / (maximum - minimum) : 0.0;
    double s = (t - lo) / (hi - lo);
    if (!(s > 0.0))
        s = 0.0;
    if (s > 1.0)
        s = 1.0;
    return qMin(255, int(s * 256.0));
}

}

class TestTiffData : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void freshRecord();
    void sampleAccess_data();
    void sampleAccess();
    void shiftExtremes();
    void typedRows_data();
    void typedRows();
    void genImage_data();
    void genImage();
    void flatImage();
    void globalScaleByDefault();
    void renderAgainAfterScaleChange();

private:
    // Writes a w x h image of the pixel type with values(x, y) and reads it.
    bool load(TiffData& d, int pixelType, int w, int h, const std::function<quint32(int, int)>& value);
    QTemporaryDir m_dir;
};

void TestTiffData::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

bool TestTiffData::load(TiffData& d, int pixelType, int w, int h, const std::function<quint32(int, int)>& value)
{
    const QString file = m_dir.filePath(QString("image%1").arg(pixelType));
    QVector<quint16> v16;
    QVector<quint32> v32;
    QByteArray text = QString("#CTTR-CTImg\n# RANGE_X1 = %1\n# RANGE_Y1 = %2\n").arg(w).arg(h).toLatin1();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            v16 << quint16(value(x, y));
            v32 << value(x, y);
            text += QString("%1 %2 %3\n").arg(x).arg(y).arg(value(x, y) / 500.0, 0, 'g', 17).toLatin1();
        }
    }
    bool written = false;
    switch (pixelType) {
    case 0: written = writeTiff16(file, uint32_t(w), uint32_t(h), v16); break;
    case 1: written = writeFile(file, imFile(quint16(w), quint16(h), "", littleEndian(v16))); break;
    case 2: written = writeFile(file, imFile(quint16(w), quint16(h), "BytesPerPixel=4,", littleEndian(v32))); break;
    case 3: written = writeFile(file, text); break;
    }
    return written && d.read(file) && d.pixelType() == pixelType;
}

void TestTiffData::freshRecord()
{
    TiffData d;
    QCOMPARE(d.displayFormat(), 24);
    QCOMPARE(d.pixelType(), 4);
    QCOMPARE(d.bytesPerPixel(), quint16(2));
    QCOMPARE(d.width(), 0u);
    QCOMPARE(d.minimum(), DBL_MAX);
    QCOMPARE(d.maximum(), DBL_MIN);
    QCOMPARE(d.energy(), 0.0);
    QVERIFY(!d.colorScale());
    QVERIFY(!d.displayImage());
    QCOMPARE(d.sample(0, 0), 0.0);
    QCOMPARE(d.sample16(0, 0), quint16(0));
    double lo = 0, hi = 0;
    QVERIFY(!d.layerRange(lo, hi));
    d.genImage();
    QVERIFY(!d.layerImage());
}

void TestTiffData::sampleAccess_data()
{
    QTest::addColumn<int>("pixelType");
    QTest::addColumn<int>("shiftX");
    QTest::addColumn<int>("shiftY");
    for (int type = 0; type <= 3; ++type) {
        QTest::addRow("type %d, no shift", type) << type << 0 << 0;
        QTest::addRow("type %d, shift (1, 2)", type) << type << 1 << 2;
        QTest::addRow("type %d, shift (-2, -1)", type) << type << -2 << -1;
        QTest::addRow("type %d, shift beyond the image", type) << type << 9 << -9;
    }
}

void TestTiffData::sampleAccess()
{
    QFETCH(int, pixelType);
    QFETCH(int, shiftX);
    QFETCH(int, shiftY);
    const int w = 5, h = 4;
    auto value = [](int x, int y) { return quint32(100 * y + 10 * x + 7); };
    TiffData d;
    QVERIFY(load(d, pixelType, w, h, value));
    d.setShift(shiftX, shiftY);
    QCOMPARE(d.shiftX(), shiftX);
    QCOMPARE(d.shiftY(), shiftY);
    for (int y = -3; y < h + 3; ++y) {
        for (int x = -3; x < w + 3; ++x) {
            const int c = x - shiftX, r = y - shiftY;
            const bool inside = c >= 0 && c < w && r >= 0 && r < h;
            const double want = inside ? value(c, r) : 0.0;
            QCOMPARE(d.sample(x, y), want);
            QCOMPARE(d.sample16(x, y), quint16(d.is16Bit() ? want : 0));
            if (inside)
                QCOMPARE(d.sourceSample(quint32(c), quint32(r)), want);
        }
    }
    QCOMPARE(d.sourceSample(quint32(w), 0), 0.0);
    QCOMPARE(d.sourceSample(0, quint32(h)), 0.0);
}

void TestTiffData::shiftExtremes()
{
    TiffData d;
    QVERIFY(load(d, 1, 3, 2, [](int x, int y) { return quint32(x + 3 * y + 1); }));
    d.setShift(INT_MIN, INT_MAX);
    QCOMPARE(d.sample(INT_MAX, INT_MIN), 0.0);
    QCOMPARE(d.sample(INT_MIN, INT_MAX), 1.0);   // source (0, 0)
    d.setShift(1, 0);
    QCOMPARE(d.sample(INT_MIN, 0), 0.0);
    QCOMPARE(d.sample(0, 0), 0.0);
    QCOMPARE(d.sample(1, 1), 4.0);
}

void TestTiffData::typedRows_data()
{
    QTest::addColumn<int>("pixelType");
    QTest::addColumn<int>("sampleBytes");
    QTest::newRow("TIFF") << 0 << 2;
    QTest::newRow("IM 2-byte") << 1 << 2;
    QTest::newRow("IM 4-byte") << 2 << 4;
    QTest::newRow("CTTR") << 3 << 4;
}

void TestTiffData::typedRows()
{
    QFETCH(int, pixelType);
    QFETCH(int, sampleBytes);
    const int w = 3, h = 2;
    auto value = [](int x, int y) { return quint32(40 * y + x + 2); };
    TiffData d;
    QVERIFY(load(d, pixelType, w, h, value));
    QCOMPARE(d.row16(1) != nullptr, d.is16Bit());
    QCOMPARE(d.row32(1) != nullptr, pixelType == 2);
    QCOMPARE(d.rowFloat(1) != nullptr, pixelType == 3);
    QVERIFY(!d.row16(2) && !d.row32(2) && !d.rowFloat(2));
    double second = -1;
    int size = 0;
    QVERIFY(d.withSamples([&](const auto* p) {
        size = int(sizeof *p);
        second = double(p[w + 1]);   // row 1, column 1: rows are contiguous
    }));
    QCOMPARE(size, sampleBytes);
    QCOMPARE(second, double(value(1, 1)));
}

void TestTiffData::genImage_data()
{
    QTest::addColumn<int>("pixelType");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("lo");
    QTest::addColumn<double>("hi");
    QTest::addColumn<int>("shiftX");
    QTest::addColumn<int>("shiftY");
    for (int type = 0; type <= 3; ++type) {
        QTest::addRow("type %d, full scale", type) << type << 5 << 3 << 0.0 << 1.0 << 0 << 0;
        QTest::addRow("type %d, limits 0.2-0.8", type) << type << 6 << 4 << 0.2 << 0.8 << 0 << 0;
        QTest::addRow("type %d, inverted limits, shifted", type) << type << 7 << 3 << 0.9 << 0.1 << 2 << -1;
    }
    // Enough 16-bit pixels to take the table path.
    QTest::newRow("TIFF 300 x 260, shifted") << 0 << 300 << 260 << 0.1 << 0.7 << -3 << 5;
    QTest::newRow("IM 300 x 260") << 1 << 300 << 260 << -0.5 << 1.5 << 0 << 0;
    QTest::newRow("IM 32-bit 257 x 257") << 2 << 257 << 257 << 0.0 << 1.0 << 1 << 1;
}

void TestTiffData::genImage()
{
    QFETCH(int, pixelType);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(double, lo);
    QFETCH(double, hi);
    QFETCH(int, shiftX);
    QFETCH(int, shiftY);
    auto value = [](int x, int y) { return quint32(50 + (x * 37 + y * 101) % 4000); };
    TiffData d;
    QVERIFY(load(d, pixelType, width, height, value));
    ColorScale scale;
    scale.setLimits(lo, hi);
    d.setColorScale(&scale);
    d.setShift(shiftX, shiftY);
    // Every render, the second in the same picture too, gives a new generation.
    const quint64 unrendered = d.pictureGeneration();
    d.genImage();
    const quint64 first = d.pictureGeneration();
    d.genImage();
    QVERIFY(first != unrendered && d.pictureGeneration() != first);

    const QImage* image = d.displayImage();
    QVERIFY(image);
    QCOMPARE(d.layerImage(), image);
    QCOMPARE(image->format(), QImage::Format_Grayscale8);
    QCOMPARE(image->size(), QSize(width, height));
    const int stride = (width + 3) / 4 * 4;
    QCOMPARE(image->bytesPerLine(), stride);
    QCOMPARE(image->constBits(), d.displayBuffer());
    for (int y = 0; y < height; ++y) {
        const uchar* line = d.displayBuffer() + y * stride;
        for (int x = 0; x < width; ++x) {
            const int want = expectedGrey(d.sample(x, y), d.minimum(), d.maximum(), lo, hi);
            if (line[x] != want)
                QFAIL(qPrintable(QString("pixel (%1, %2): %3, expected %4").arg(x).arg(y).arg(line[x]).arg(want)));
        }
        for (int x = width; x < stride; ++x)
            QCOMPARE(int(line[x]), 0);
    }
}

void TestTiffData::flatImage()
{
    // No normalised value exists: every pixel, inside or shifted out, takes t = 0.
    TiffData d;
    QVERIFY(load(d, 1, 6, 2, [](int, int) { return 500u; }));
    QCOMPARE(d.minimum(), 500.0);
    QCOMPARE(d.maximum(), 500.0);
    ColorScale scale;
    scale.setLimits(-0.5, 1.0);
    d.setColorScale(&scale);
    d.setShift(2, 0);
    d.genImage();
    const int want = expectedGrey(0.0, 0.0, 1.0, -0.5, 1.0);
    QCOMPARE(want, 85);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 6; ++x)
            QCOMPARE(int(d.displayImage()->pixelColor(x, y).red()), want);
}

void TestTiffData::globalScaleByDefault()
{
    ColorScale* global = ColorScale::global();
    const double lo = global->lo(), hi = global->hi();
    global->setLimits(0.25, 0.5);
    TiffData d;
    QVERIFY(load(d, 0, 4, 1, [](int x, int) { return quint32(x * 100); }));
    global->setLimits(lo, hi);
    // 0, 1/3, 2/3, 1 through limits 0.25 .. 0.5 at the time of reading.
    const int want[4] = {0, 85, 255, 255};
    for (int x = 0; x < 4; ++x)
        QCOMPARE(int(d.displayBuffer()[x]), want[x]);
}

void TestTiffData::renderAgainAfterScaleChange()
{
    TiffData d;
    QVERIFY(load(d, 2, 3, 1, [](int x, int) { return quint32(x * 1000000); }));
    ColorScale scale;
    d.setColorScale(&scale);
    d.renderLayer();
    QCOMPARE(int(d.displayBuffer()[1]), 128);
    scale.setLimits(0.0, 0.5);
    d.renderLayer();
    QCOMPARE(int(d.displayBuffer()[1]), 255);
    QCOMPARE(int(d.displayImage()->pixelColor(1, 0).red()), 255);
    double lo = 0, hi = 0;
    QVERIFY(d.layerRange(lo, hi));
    QCOMPARE(lo, 0.0);
    QCOMPARE(hi, 2000000.0);
}

QTEST_GUILESS_MAIN(TestTiffData)
#include "tst_tiffdata.moc"
