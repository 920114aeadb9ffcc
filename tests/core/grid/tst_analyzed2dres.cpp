#include "display/ColorScale.h"
#include "display/ColorTables.h"
#include "grid/Analyzed2DRes.h"

#include <QSet>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>
#include <limits>
#include <memory>

namespace {

ScanGrid gridOf(int w, int h, int hw, int hh, const QRectF& area)
{
    ScanGrid g;
    g.setup(w, h, hw, hh, area, -1, -1);
    return g;
}

ScanGrid wholeMap(int w, int h)
{
    return gridOf(w, h, 0, 0, QRectF(0, 0, w, h));
}

// Every pixel of a w x h map set to f(x, y) through setData.
template <typename F>
void fillPixels(Analyzed2DRes& m, F f)
{
    for (int y = 0; y < m.height(); ++y)
        for (int x = 0; x < m.width(); ++x)
            m.setData(x, y, 0, 0, f(x, y));
}

const double qnan = std::numeric_limits<double>::quiet_NaN();
const double qinf = std::numeric_limits<double>::infinity();

}

class TestAnalyzed2DRes : public QObject
{
    Q_OBJECT
private slots:
    void creation();
    void setupAllocatesZeroed();
    void emptyAndOversizedGrids();
    void setDataFillsGridBlocks();
    void setDataClipsAtCorners_data();
    void setDataClipsAtCorners();
    void genImg_data();
    void genImg();
    void genImgRange_data();
    void genImgRange();
    void robustRange_data();
    void robustRange();
    void innerRange_data();
    void innerRange();
    void scaleSlotsUpdateColourScale();
    void exportValues_data();
    void exportValues();
    void exportUsesShownRange();
    void exportAsAnalyzed();
    void exportAsAnalyzedGridPastMap();
    void exportWithoutArrays();
    void clearKeepsSettings();
    void displayLayer();
    void imageFormatChoice();
    void lostScaleFallsBackToGlobal();
};

void TestAnalyzed2DRes::creation()
{
    Analyzed2DRes m(QStringLiteral("LCF Ref 1"));
    QCOMPARE(m.name(), QStringLiteral("LCF Ref 1"));
    QCOMPARE(m.minValue(), 1e300);
    QCOMPARE(m.maxValue(), -1e300);
    QCOMPARE(m.scaleMin(), 1e300);
    QCOMPARE(m.scaleMax(), -1e300);
    QVERIFY(!m.fixedScale());
    QCOMPARE(m.imageFormat(), 24);
    QCOMPARE(m.procMin(), 0.0);
    QCOMPARE(m.procMax(), 1.0);
    QCOMPARE(m.deglitchFactor(), 2.0);
    QCOMPARE(m.deglitchRatio(), 0.9);
    QVERIFY(!m.showProc());
    QVERIFY(!m.hasImage());
    QVERIFY(!m.img());
    QVERIFY(!m.data());
    QVERIFY(!m.procData());
    QCOMPARE(m.width(), 0);
    QCOMPARE(m.colorScale(), ColorScale::global());
    m.setNo(7);
    QCOMPARE(m.no(), 7);
}

void TestAnalyzed2DRes::setupAllocatesZeroed()
{
    Analyzed2DRes m;
    m.setup(wholeMap(6, 4));
    QVERIFY(m.data() && m.procData());
    fillPixels(m, [](int x, int y) { return x * 10.0 + y; });
    m.setDeglitchConds(1.0, 0.5);
    m.deglitch();
    m.genImg();
    QVERIFY(m.hasImage());
    QCOMPARE(m.maxValue(), 53.0);

    const ScanGrid g = gridOf(5, 3, 1, 1, QRectF(0, 0, 5, 3));
    m.setup(g);
    QCOMPARE(m.grid().imageWidth, 5);
    QCOMPARE(m.grid().halfWidth, 1);
    QCOMPARE(m.grid().stepX, 3);
    QVERIFY(!m.hasImage());
    QVERIFY(!m.img());
    QCOMPARE(m.minValue(), 1e300);
    QCOMPARE(m.maxValue(), -1e300);
    QCOMPARE(m.procMin(), 0.0);
    QCOMPARE(m.procMax(), 1.0);
    for (int i = 0; i < 15; ++i) {
        QCOMPARE(m.data()[i], 0.0);
        QCOMPARE(m.procData()[i], 0.0);
    }
}

// A map whose grid has no pixels, or absurdly many, gets no arrays; every
// operation on it is then harmless.
void TestAnalyzed2DRes::emptyAndOversizedGrids()
{
    for (const ScanGrid& g : {wholeMap(0, 10), wholeMap(100000, 100000)}) {
        Analyzed2DRes m;
        m.setup(g);
        QVERIFY(!m.data());
        QVERIFY(!m.procData());
        m.setData(3, 3, 2, 2, 5.0);
        QCOMPARE(m.maxValue(), 5.0);
        QCOMPARE(m.value(3, 3), 0.0);
        m.genImg();
        QVERIFY(!m.hasImage());
        QVERIFY(!m.img());
        m.deglitch();
        m.deglitch2(40);
        m.copyProc2Data();
        QCOMPARE(m.procMax(), 1.0);
        QVERIFY(m.tiffDataForSave(false, 0, 0, false).isEmpty());
    }
}

// A 10 x 10 area with 3 x 3 blocks: centres 1, 4, 7 cover pixels 0 ... 8,
// pixels 9 stay 0.
void TestAnalyzed2DRes::setDataFillsGridBlocks()
{
    Analyzed2DRes m;
    ScanGrid g = gridOf(10, 10, 1, 1, QRectF(0, 0, 10, 10));
    m.setup(g);
    g.restart();
    bool newLine;
    int k = 1;
    do {
        m.setData(g.x, g.y, g.halfWidth, g.halfHeight, k++);
    } while (g.next(newLine));
    QCOMPARE(k, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const double expected = (x == 9 || y == 9) ? 0.0 : (y / 3) * 3 + x / 3 + 1;
            QCOMPARE(m.value(x, y), expected);
        }
    QCOMPARE(m.minValue(), 1.0);
    QCOMPARE(m.maxValue(), 9.0);
    QCOMPARE(m.value(10, 0), 0.0);
    QCOMPARE(m.value(0, -1), 0.0);
}

void TestAnalyzed2DRes::setDataClipsAtCorners_data()
{
    QTest::addColumn<int>("cx");
    QTest::addColumn<int>("cy");
    QTest::addColumn<int>("inside");

    QTest::newRow("top left") << 0 << 0 << 4;
    QTest::newRow("top right") << 5 << 0 << 4;
    QTest::newRow("bottom left") << 0 << 4 << 4;
    QTest::newRow("bottom right") << 5 << 4 << 4;
    QTest::newRow("outside the corner") << 6 << 5 << 1;
    QTest::newRow("far outside") << -20 << 40 << 0;
}

void TestAnalyzed2DRes::setDataClipsAtCorners()
{
    QFETCH(int, cx);
    QFETCH(int, cy);
    QFETCH(int, inside);

    Analyzed2DRes m;
    m.setup(wholeMap(6, 5));
    m.setData(2, 2, 0, 0, 1.0);
    m.setData(cx, cy, 1, 1, -3.0);
    QCOMPARE(m.minValue(), -3.0);
    QCOMPARE(m.maxValue(), 1.0);
    int written = 0;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            written += m.value(x, y) == -3.0;
    QCOMPARE(written, inside);
}

void TestAnalyzed2DRes::genImg_data()
{
    QTest::addColumn<int>("format");
    QTest::newRow("grey") << int(QImage::Format_Grayscale8);
    QTest::newRow("rgb") << int(QImage::Format_RGB888);
}

// Every pixel is the colour scale's mapping of (v - min) / (max - min); the
// padding at the end of each line stays 0.
void TestAnalyzed2DRes::genImg()
{
    QFETCH(int, format);
    ColorScale scale;
    scale.setLimits(0.2, 0.8);
    Analyzed2DRes m;
    m.setColorScale(&scale);
    QVERIFY(m.setImageFormat(format));
    m.setup(wholeMap(5, 3));
    fillPixels(m, [](int x, int y) { return x == 4 && y == 2 ? qnan : -2.0 + x * 1.5 + y * 0.7; });
    const quint64 before = m.pictureGeneration();
    m.genImg();
    // A new picture has a generation no other picture had.
    const quint64 rendered = m.pictureGeneration();
    QVERIFY(rendered != before);
    Analyzed2DRes other;
    QVERIFY(other.pictureGeneration() != rendered);

    QVERIFY(m.hasImage());
    QImage* img = m.img();
    QVERIFY(img && !img->isNull());
    QCOMPARE(img->width(), 5);
    QCOMPARE(img->height(), 3);
    QCOMPARE(int(img->format()), format);
    const int bpl = ColorTables::bytesPerLine(5, format);
    QCOMPARE(img->bytesPerLine(), bpl);
    QCOMPARE(img->constBits(), m.pixels());

    ColorMapper mapper = scale.mapper();
    mapper.format = format;
    const int bpp = ColorTables::bytesPerPixel(format);
    const double lo = m.minValue(), hi = m.maxValue();
    QCOMPARE(lo, -2.0);
    QCOMPARE(hi, -2.0 + 4 * 1.5 + 1 * 0.7);
    for (int y = 0; y < 3; ++y) {
        const uchar* line = m.pixels() + y * bpl;
        for (int x = 0; x < 5; ++x) {
            uint8_t expected[3];
            mapper.write((m.value(x, y) - lo) / (hi - lo), expected);
            for (int b = 0; b < bpp; ++b)
                QCOMPARE(int(line[x * bpp + b]), int(expected[b]));
        }
        for (int p = 5 * bpp; p < bpl; ++p)
            QCOMPARE(int(line[p]), 0);
    }
    // The NaN pixel takes the first entry, the largest value the last one.
    QCOMPARE(int(m.pixels()[2 * bpl + 4 * bpp]), 0);
    QCOMPARE(int(m.pixels()[1 * bpl + 4 * bpp]), 255);
}

void TestAnalyzed2DRes::genImgRange_data()
{
    QTest::addColumn<bool>("fixed");
    QTest::addColumn<bool>("proc");
    QTest::addColumn<double>("lo");
    QTest::addColumn<double>("hi");

    QTest::newRow("value range") << false << false << 0.0 << 8.0;
    QTest::newRow("fixed scale") << true << false << 2.0 << 4.0;
    QTest::newRow("fixed scale wins over processed") << true << true << 2.0 << 4.0;
    QTest::newRow("processed range") << false << true << 1.0 << 7.0;
}

// The image takes its source and range from the fixed scale and showProc.
void TestAnalyzed2DRes::genImgRange()
{
    QFETCH(bool, fixed);
    QFETCH(bool, proc);
    QFETCH(double, lo);
    QFETCH(double, hi);

    ColorScale scale;
    Analyzed2DRes m;
    m.setColorScale(&scale);
    m.setup(wholeMap(9, 1));
    fillPixels(m, [](int x, int) { return double(x); });
    // deglitch2 with a wide limit copies every value into the processed
    // layer; copying it back and planting a new value gives two layers.
    m.deglitch2(1000);
    for (int x = 0; x < 9; ++x)
        QCOMPARE(m.procValue(x, 0), double(x));
    m.copyProc2Data();
    m.setData(0, 0, 0, 0, 2.0);
    m.setData(8, 0, 0, 0, 6.0);
    m.deglitch2(1000);
    QCOMPARE(m.procMin(), 1.0);
    QCOMPARE(m.procMax(), 7.0);
    m.setData(0, 0, 0, 0, 0.0);
    m.setData(8, 0, 0, 0, 8.0);   // values 0 ... 8, processed 2, 1 ... 7, 6

    m.setScale(2.0, 4.0);
    m.setFixedScale(fixed);
    m.selectProcImg(proc);
    double rlo, rhi;
    m.effectiveRange(rlo, rhi);
    QCOMPARE(rlo, lo);
    QCOMPARE(rhi, hi);
    QVERIFY(m.hasImage());
    const ColorMapper mapper = scale.mapper();
    for (int x = 0; x < 9; ++x) {
        const double v = proc ? m.procValue(x, 0) : m.value(x, 0);
        QCOMPARE(int(m.pixels()[x]), int(mapper.grey((v - lo) / (hi - lo))));
    }
}

void TestAnalyzed2DRes::robustRange_data()
{
    QTest::addColumn<QVector<double>>("outliers");   // put at the first pixels
    QTest::addColumn<int>("rule");
    QTest::addColumn<double>("lo");
    QTest::addColumn<double>("hi");
    QTest::addColumn<bool>("readable");   // the sample shows many grey levels
    // A 20 x 20 map of 0 ... 0.399 (step 0.001) with a few wild blocks.
    QTest::newRow("min/max follows the outliers")
        << QVector<double>{-130, 54} << int(DisplayRange::MinMax) << -130.0 << 54.0 << false;
    QTest::newRow("robust ignores two outliers")
        << QVector<double>{-130, 54} << int(DisplayRange::Robust) << 0.005 << 0.396 << true;
    QTest::newRow("masked blocks are not values")
        << QVector<double>{std::nan(""), std::nan("")} << int(DisplayRange::Robust) << 0.006 << 0.395 << true;
    QTest::newRow("no outliers: percentiles") << QVector<double>{} << int(DisplayRange::Robust) << 0.004 << 0.395
                                              << true;
}

void TestAnalyzed2DRes::robustRange()
{
    QFETCH(QVector<double>, outliers);
    QFETCH(int, rule);
    QFETCH(double, lo);
    QFETCH(double, hi);
    QFETCH(bool, readable);
    ColorScale scale;
    Analyzed2DRes m;
    m.setColorScale(&scale);
    QCOMPARE(m.rangeRule(), DisplayRange::Robust);   // result maps start robust
    m.setRangeRule(DisplayRange::Rule(rule));
    m.setup(wholeMap(20, 20));
    fillPixels(m, [](int x, int y) { return 0.001 * (x + 20 * y); });
    for (int i = 0; i < outliers.size(); ++i)
        m.setData(i, 0, 0, 0, outliers[i]);
    double rlo = 0.0, rhi = 0.0;
    m.effectiveRange(rlo, rhi);
    QVERIFY2(std::abs(rlo - lo) < 1e-12 && std::abs(rhi - hi) < 1e-12,
             qPrintable(QString("%1 %2").arg(rlo).arg(rhi)));
    m.genImg();
    QSet<int> greys;
    for (int i = 2; i < 400; ++i)
        greys.insert(m.pixels()[(i / 20) * 20 + i % 20]);
    QCOMPARE(greys.size() > 100, readable);
}

void TestAnalyzed2DRes::innerRange_data()
{
    // A 12 x 12 map, NaN but for the square [2, 9]^2: its rim of 28 blocks
    // at 100, inside it 1 ... 36 row by row.
    QTest::addColumn<int>("inset");
    QTest::addColumn<double>("lo");
    QTest::addColumn<double>("hi");
    QTest::newRow("every value: ranks 1 and 62 of 64") << 0 << 2.0 << 100.0;
    QTest::newRow("one block in: the rim drops out") << 1 << 1.0 << 36.0;
    QTest::newRow("nothing that far in: every value") << 5 << 2.0 << 100.0;
}

void TestAnalyzed2DRes::innerRange()
{
    QFETCH(int, inset);
    QFETCH(double, lo);
    QFETCH(double, hi);
    Analyzed2DRes m;
    m.setup(wholeMap(12, 12));
    fillPixels(m, [](int x, int y) {
        if (x < 2 || y < 2 || x > 9 || y > 9)
            return qnan;
        return x == 2 || y == 2 || x == 9 || y == 9 ? 100.0 : (y - 3) * 6 + (x - 3) + 1;
    });
    m.setRangeInset(inset);
    double mlo = 0.0, mhi = 0.0;
    m.effectiveRange(mlo, mhi);
    QCOMPARE(mlo, lo);
    QCOMPARE(mhi, hi);
}

void TestAnalyzed2DRes::scaleSlotsUpdateColourScale()
{
    ColorScale scale;
    QSignalSpy spy(&scale, &ColorScale::dataRangeChanged);
    Analyzed2DRes m;
    m.setColorScale(&scale);
    m.setup(wholeMap(4, 4));
    fillPixels(m, [](int x, int y) { return x + 4.0 * y; });

    m.setScale(-1.0, 3.0);   // not fixed yet: the bar shows the value range
    QCOMPARE(spy.count(), 1);
    QCOMPARE(scale.dataMin(), 0.0);
    QCOMPARE(scale.dataMax(), 15.0);
    QVERIFY(m.hasImage());

    m.setFixedScale(true);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(scale.dataMin(), -1.0);
    QCOMPARE(scale.dataMax(), 3.0);
    QCOMPARE(int(m.pixels()[0]), int(scale.mapper().grey(0.25)));
    QCOMPARE(int(m.pixels()[4 * 3 + 3]), 255);

    m.setFixedScale(false);
    m.selectProcImg(true);   // no bar update by itself
    QCOMPARE(spy.count(), 3);
    m.setScale(0.0, 1.0);
    QCOMPARE(scale.dataMin(), 0.0);   // processed range 0 ... 1 after setup
    QCOMPARE(scale.dataMax(), 1.0);
}

void TestAnalyzed2DRes::exportValues_data()
{
    QTest::addColumn<double>("v");
    QTest::addColumn<double>("lo");
    QTest::addColumn<double>("hi");
    QTest::addColumn<int>("stored");

    QTest::newRow("above the fixed scale") << 1.7 << 0.0 << 1.0 << 65535;
    QTest::newRow("below the fixed scale") << -0.2 << 0.0 << 1.0 << 0;
    QTest::newRow("at the top") << 1.0 << 0.0 << 1.0 << 65535;
    QTest::newRow("at the bottom") << 0.0 << 0.0 << 1.0 << 0;
    QTest::newRow("quarter truncated") << 0.25 << 0.0 << 1.0 << 16383;
    QTest::newRow("middle of an offset range") << 15.0 << 10.0 << 20.0 << 32767;
    QTest::newRow("negative range") << -7.5 << -10.0 << -5.0 << 32767;
    QTest::newRow("nan value") << qnan << 0.0 << 1.0 << 0;
    QTest::newRow("infinite value") << qinf << 0.0 << 1.0 << 65535;
    QTest::newRow("empty range, value at it") << 3.0 << 3.0 << 3.0 << 0;
    QTest::newRow("empty range, value above") << 9.0 << 3.0 << 3.0 << 0;
    QTest::newRow("nan range") << 0.5 << qnan << qnan << 0;
    QTest::newRow("infinite range") << 0.5 << -qinf << qinf << 0;
}

void TestAnalyzed2DRes::exportValues()
{
    QFETCH(double, v);
    QFETCH(double, lo);
    QFETCH(double, hi);
    QFETCH(int, stored);

    Analyzed2DRes m;
    m.setup(wholeMap(3, 2));
    m.setData(1, 1, 0, 0, v);
    const QVector<quint16> out = m.tiffDataForSave(true, lo, hi, false);
    QCOMPARE(out.size(), 6);
    QCOMPARE(m.savedCount(), 6);
    QCOMPARE(int(out[4]), stored);
}

// Without a fixed scale the export spans the shown layer's own range; a
// reversed range still stays inside 0 ... 65535.
void TestAnalyzed2DRes::exportUsesShownRange()
{
    Analyzed2DRes m;
    m.setup(wholeMap(5, 1));
    fillPixels(m, [](int x, int) { return 2.0 + x; });   // 2 ... 6
    QVector<quint16> out = m.tiffDataForSave(false, 100.0, 200.0, false);
    QCOMPARE(out, (QVector<quint16>{0, 16383, 32767, 49151, 65535}));

    m.deglitch2(1000);   // processed layer = values, range 2 ... 6
    m.copyProc2Data();
    m.setData(4, 0, 0, 0, 10.0);   // values now 2 ... 10, processed still 2 ... 6
    m.selectProcImg(true);
    out = m.tiffDataForSave(false, 0.0, 0.0, false);
    QCOMPARE(out, (QVector<quint16>{0, 16383, 32767, 49151, 65535}));

    out = m.tiffDataForSave(true, 6.0, 2.0, false);
    for (quint16 q : out)
        QVERIFY(q == 0 || q == 65535);
}

// As analysed: one value per grid point, taken at its centre, in grid order.
void TestAnalyzed2DRes::exportAsAnalyzed()
{
    Analyzed2DRes m;
    ScanGrid g = gridOf(10, 10, 1, 1, QRectF(0, 0, 10, 10));
    m.setup(g);
    g.restart();
    bool newLine;
    int k = 0;
    do {
        m.setData(g.x, g.y, 1, 1, k++);
    } while (g.next(newLine));
    m.setData(9, 9, 0, 0, 100.0);   // off the grid centres: not exported

    const QVector<quint16> out = m.tiffDataForSave(true, 0.0, 8.0, true);
    QCOMPARE(m.savedCount(), 9);
    QVERIFY(out.size() >= 9);
    for (int i = 0; i < 9; ++i)
        QCOMPARE(int(out[i]), int(i / 8.0 * 65535.0));
    QCOMPARE(m.grid().x, 1);   // the map's own grid is left alone

    const QVector<quint16> all = m.tiffDataForSave(true, 0.0, 8.0, false);
    QCOMPARE(m.savedCount(), 100);
    QCOMPARE(all.size(), 100);
    QCOMPARE(int(all[99]), 65535);
    QCOMPARE(int(all[0]), 0);
}

// A grid whose area reaches past the map has more points than the map has
// pixels: the array holds them all, points outside read as 0.
void TestAnalyzed2DRes::exportAsAnalyzedGridPastMap()
{
    Analyzed2DRes m;
    m.setup(gridOf(4, 4, 0, 0, QRectF(-2, -2, 20, 20)));
    fillPixels(m, [](int, int) { return 1.0; });
    const QVector<quint16> out = m.tiffDataForSave(true, 0.0, 1.0, true);
    QCOMPARE(m.savedCount(), 400);
    QVERIFY(out.size() >= 400);
    int ones = 0;
    for (int i = 0; i < 400; ++i)
        ones += out[i] == 65535;
    QCOMPARE(ones, 16);
    QCOMPARE(int(out[2 * 20 + 2]), 65535);   // pixel (0, 0)
    QCOMPARE(int(out[0]), 0);
}

void TestAnalyzed2DRes::exportWithoutArrays()
{
    Analyzed2DRes m;
    QVERIFY(m.tiffDataForSave(true, 0, 1, false).isEmpty());
    QVERIFY(m.tiffDataForSave(true, 0, 1, true).isEmpty());
    m.selectProcImg(true);
    QVERIFY(!m.hasImage());
    QVERIFY(m.tiffDataForSave(false, 0, 1, true).isEmpty());
}

void TestAnalyzed2DRes::clearKeepsSettings()
{
    ColorScale scale;
    Analyzed2DRes m;
    m.setColorScale(&scale);
    m.setImageFormat(QImage::Format_RGB888);
    m.setup(gridOf(8, 8, 1, 1, QRectF(0, 0, 8, 8)));
    fillPixels(m, [](int x, int) { return double(x); });
    m.setScale(1, 2);
    m.setFixedScale(true);
    m.setDeglitchConds(3.0, 0.2);
    m.selectProcImg(true);
    m.deglitch();
    QVERIFY(m.hasImage());

    m.clear();
    QCOMPARE(m.grid().imageWidth, 0);
    QCOMPARE(m.grid().stepX, 1);
    QCOMPARE(m.grid().halfWidth, 0);
    QVERIFY(!m.data());
    QVERIFY(!m.procData());
    QVERIFY(!m.img());
    QVERIFY(!m.pixels());
    QVERIFY(!m.hasImage());
    QCOMPARE(m.minValue(), 1e300);
    QCOMPARE(m.maxValue(), -1e300);
    QCOMPARE(m.procMin(), 0.0);
    QCOMPARE(m.procMax(), 1.0);
    QCOMPARE(m.imageFormat(), int(QImage::Format_RGB888));
    QVERIFY(m.fixedScale());
    QVERIFY(m.showProc());
    QCOMPARE(m.deglitchFactor(), 3.0);
}

void TestAnalyzed2DRes::displayLayer()
{
    ColorScale scale;
    Analyzed2DRes map;
    map.setColorScale(&scale);
    DisplayLayer& layer = map;
    double lo = 0, hi = 0;
    QVERIFY(!layer.layerRange(lo, hi));
    QVERIFY(!layer.layerImage());

    map.setup(wholeMap(7, 3));
    fillPixels(map, [](int x, int y) { return x - y * 2.0; });
    QCOMPARE(layer.layerWidth(), 7);
    QCOMPARE(layer.layerHeight(), 3);
    layer.renderLayer();
    QVERIFY(layer.layerImage());
    QCOMPARE(layer.layerImage(), map.img());
    QVERIFY(layer.layerRange(lo, hi));
    QCOMPARE(lo, -4.0);
    QCOMPARE(hi, 6.0);
    map.setScale(-1, 1);
    map.setFixedScale(true);
    QVERIFY(layer.layerRange(lo, hi));
    QCOMPARE(lo, -1.0);
    QCOMPARE(hi, 1.0);
}

void TestAnalyzed2DRes::imageFormatChoice()
{
    Analyzed2DRes m;
    QVERIFY(!m.setImageFormat(QImage::Format_ARGB32));
    QCOMPARE(m.imageFormat(), 24);
    QVERIFY(m.setImageFormat(13));
    QCOMPARE(m.imageFormat(), 13);
}

void TestAnalyzed2DRes::lostScaleFallsBackToGlobal()
{
    Analyzed2DRes m;
    {
        ColorScale scale;
        m.setColorScale(&scale);
        QCOMPARE(m.colorScale(), &scale);
    }
    QCOMPARE(m.colorScale(), ColorScale::global());
    m.setup(wholeMap(2, 2));
    m.genImg();
    QVERIFY(m.hasImage());
}

QTEST_GUILESS_MAIN(TestAnalyzed2DRes)
#include "tst_analyzed2dres.moc"
