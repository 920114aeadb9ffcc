#include "DebugCapture.h"
#include "display/ColorScale.h"
#include "grid/Analyzed2DRes.h"
#include "grid/MapDeglitch.h"

#include <QtTest>
#include <cmath>
#include <functional>

namespace {

using BlockValue = std::function<double(int col, int row)>;

// A map of cols x rows blocks of (2 half + 1)^2 pixels, the grid covering the
// whole map unless extra pixels are asked for at the right and bottom.
void makeMap(Analyzed2DRes& m, int cols, int rows, int half, const BlockValue& f, int extra = 0)
{
    const int size = 2 * half + 1;
    ScanGrid g;
    g.setup(cols * size + extra, rows * size + extra, half, half,
            QRectF(0, 0, cols * size, rows * size), -1, -1);
    m.setup(g);
    g.restart();
    bool newLine;
    int i = 0;
    do {
        m.setData(g.x, g.y, half, half, f(i % cols, i / cols));
        ++i;
    } while (g.next(newLine));
    QCOMPARE(i, cols * rows);
}

int centreOf(int k, int half)
{
    return k * (2 * half + 1) + half;
}

// Every pixel of block (c, r) in the processed layer holds v.
bool procBlockIs(const Analyzed2DRes& m, int c, int r, int half, double v)
{
    const int cx = centreOf(c, half), cy = centreOf(r, half);
    for (int y = cy - half; y <= cy + half; ++y)
        for (int x = cx - half; x <= cx + half; ++x)
            if (!qFuzzyCompare(1.0 + m.procValue(x, y), 1.0 + v))
                return false;
    return true;
}

double blockValue(const Analyzed2DRes& m, int c, int r, int half)
{
    return m.value(centreOf(c, half), centreOf(r, half));
}

double ramp(int c, int r)
{
    return c + r;
}

}

class TestDeglitch : public QObject
{
    Q_OBJECT
private slots:
    void flatMapSpikeReplaced();
    void plantedGlitchesReplaced_data();
    void plantedGlitchesReplaced();
    void midRangeSpikeKept();
    void borderSpikeUsesInsideNeighbours();
    void cornerSpikeHasNoCurvature();
    void singleBlockKept();
    void zeroRatioTakesExactEnds();
    void showProcRegeneratesImage();
    void debugLines();
    void nothingWithoutArrays();
    void deglitch2WithinLimitUnchanged();
    void deglitch2NoPlausibleNeighbourGivesZero();
    void deglitch2MeanOfPlausibleNeighbours();
    void deglitch2TypicalValueIsStrict();
    void deglitch2BorderAndMapEdge();
    void deglitch2ThenCopy();
};

// The text-book case: a flat 3 x 3 block map with its centre raised to the
// maximum; only the centre changes.
void TestDeglitch::flatMapSpikeReplaced()
{
    Analyzed2DRes m;
    makeMap(m, 3, 3, 1, [](int c, int r) { return c == 1 && r == 1 ? 5.0 : 1.0; });
    m.setDeglitchConds(2.0, 0.1);
    m.deglitch();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            QVERIFY(procBlockIs(m, c, r, 1, 1.0));
    QCOMPARE(m.value(4, 4), 5.0);   // the values stay
    QCOMPARE(m.procMin(), 1.0);
    QCOMPARE(m.procMax(), 1.0);
}

void TestDeglitch::plantedGlitchesReplaced_data()
{
    QTest::addColumn<int>("half");
    QTest::newRow("pixel blocks") << 0;
    QTest::newRow("3 x 3 blocks") << 1;
    QTest::newRow("5 x 5 blocks") << 2;
}

// A smooth ramp with one spike above and one below it: both take the mean of
// their four neighbours (the ramp's value there); every other block keeps its
// value.
void TestDeglitch::plantedGlitchesReplaced()
{
    QFETCH(int, half);
    Analyzed2DRes m;
    makeMap(m, 12, 12, half, [](int c, int r) {
        if (c == 5 && r == 6)
            return 40.0;
        if (c == 8 && r == 3)
            return -15.0;
        return ramp(c, r);
    });
    m.setDeglitchConds(2.0, 0.1);
    m.deglitch();
    for (int r = 0; r < 12; ++r)
        for (int c = 0; c < 12; ++c)
            QVERIFY2(procBlockIs(m, c, r, half, ramp(c, r)), qPrintable(QString("%1 %2").arg(c).arg(r)));
    QCOMPARE(blockValue(m, 5, 6, half), 40.0);
    QCOMPARE(blockValue(m, 8, 3, half), -15.0);
    QCOMPARE(m.procMin(), 0.0);
    QCOMPARE(m.procMax(), 22.0);
}

// However sharp, a spike inside the value range is kept.
void TestDeglitch::midRangeSpikeKept()
{
    Analyzed2DRes m;
    makeMap(m, 12, 12, 1, [](int c, int r) { return c == 3 && r == 4 ? 15.0 : ramp(c, r); });
    m.setDeglitchConds(0.5, 0.1);
    m.deglitch();
    for (int r = 0; r < 12; ++r)
        for (int c = 0; c < 12; ++c)
            QVERIFY(procBlockIs(m, c, r, 1, blockValue(m, c, r, 1)));
}

// On the left edge only the right, upper and lower neighbours exist.
void TestDeglitch::borderSpikeUsesInsideNeighbours()
{
    Analyzed2DRes m;
    makeMap(m, 12, 12, 1, [](int c, int r) { return c == 0 && r == 5 ? 40.0 : ramp(c, r); });
    m.setDeglitchConds(2.0, 0.1);
    m.deglitch();
    QVERIFY(procBlockIs(m, 0, 5, 1, (ramp(1, 5) + ramp(0, 4) + ramp(0, 6)) / 3.0));
    QVERIFY(procBlockIs(m, 1, 5, 1, ramp(1, 5)));
}

// A corner block has no pair of opposite neighbours, so its curvature is 0 and
// it is never taken for a spike.
void TestDeglitch::cornerSpikeHasNoCurvature()
{
    Analyzed2DRes m;
    makeMap(m, 6, 6, 1, [](int c, int r) { return c == 5 && r == 5 ? 99.0 : ramp(c, r); });
    m.setDeglitchConds(0.0, 0.1);
    m.deglitch();
    QVERIFY(procBlockIs(m, 5, 5, 1, 99.0));
}

void TestDeglitch::singleBlockKept()
{
    Analyzed2DRes m;
    makeMap(m, 1, 1, 1, [](int, int) { return 7.0; });
    m.setDeglitchConds(0.0, 0.5);
    m.deglitch();
    QVERIFY(procBlockIs(m, 0, 0, 1, 7.0));
    QCOMPARE(m.procMin(), 7.0);
    QCOMPARE(m.procMax(), 7.0);
}

// Ratio 0: only a block at exactly the minimum or the maximum can qualify.
void TestDeglitch::zeroRatioTakesExactEnds()
{
    Analyzed2DRes m;
    makeMap(m, 8, 8, 0, [](int c, int r) {
        if (c == 3 && r == 3)
            return 40.0;
        if (c == 5 && r == 5)
            return 30.0;   // sharp, but below the maximum
        return ramp(c, r);
    });
    m.setDeglitchConds(2.0, 0.0);
    m.deglitch();
    QVERIFY(procBlockIs(m, 3, 3, 0, ramp(3, 3)));
    QVERIFY(procBlockIs(m, 5, 5, 0, 30.0));
}

void TestDeglitch::showProcRegeneratesImage()
{
    ColorScale scale;
    Analyzed2DRes m;
    m.setColorScale(&scale);
    makeMap(m, 12, 12, 0, [](int c, int r) { return c == 5 && r == 6 ? 40.0 : ramp(c, r); });
    m.selectProcImg(true);
    QVERIFY(m.hasImage());
    const int bpl = m.img()->bytesPerLine();
    QCOMPARE(int(m.pixels()[6 * bpl + 5]), 0);   // processed layer still zero
    m.setDeglitchConds(2.0, 0.1);
    m.deglitch();
    QVERIFY(m.hasImage());
    // Now the spike holds 11 in a processed range of 0 ... 22.
    QCOMPARE(int(m.img()->constBits()[6 * bpl + 5]), int(scale.mapper().grey(0.5)));

    // With the values shown, a procedure leaves the image alone.
    m.selectProcImg(false);
    const QImage* before = m.img();
    m.deglitch2(40);
    QCOMPARE(m.img(), before);
}

void TestDeglitch::debugLines()
{
    Analyzed2DRes m;
    makeMap(m, 3, 3, 1, ramp, 1);
    QStringList lines = debugLinesOf([&] { m.deglitch(); });
    QCOMPARE(lines, (QStringList{"deglitch 1", "deglitch 4", "deglitch 7", "deglitch 2 1",
                                 "deglitch 2 4", "deglitch 2 7"}));
    lines = debugLinesOf([&] { m.deglitch2(40); });
    QCOMPARE(lines, (QStringList{"deglitch2 1", "deglitch2 4", "deglitch2 7", "deglitch 2 1",
                                 "deglitch 2 4", "deglitch 2 7"}));
}

void TestDeglitch::nothingWithoutArrays()
{
    Analyzed2DRes m;
    const QStringList lines = debugLinesOf([&] {
        m.deglitch();
        m.deglitch2(40);
    });
    QVERIFY(lines.isEmpty());
    QCOMPARE(m.procMin(), 0.0);
    QCOMPARE(m.procMax(), 1.0);
}

// A shift map whose blocks all lie within the limit of their mean is copied.
void TestDeglitch::deglitch2WithinLimitUnchanged()
{
    Analyzed2DRes m;
    const BlockValue shift = [](int c, int r) { return 15.0 * std::sin(c * 1.3 + r * 0.7); };
    makeMap(m, 8, 6, 1, shift);
    m.deglitch2(40);
    double lo = 1e300, hi = -1e300;
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 8; ++c) {
            QVERIFY(procBlockIs(m, c, r, 1, shift(c, r)));
            lo = qMin(lo, shift(c, r));
            hi = qMax(hi, shift(c, r));
        }
    QCOMPARE(m.procMin(), lo);
    QCOMPARE(m.procMax(), hi);
}

// The middle of a 3 x 3 cluster of outliers has no plausible neighbour and
// becomes 0; the cluster's other blocks take the mean of their plausible ones.
void TestDeglitch::deglitch2NoPlausibleNeighbourGivesZero()
{
    Analyzed2DRes m;
    makeMap(m, 7, 7, 1, [](int c, int r) {
        return (c >= 2 && c <= 4 && r >= 2 && r <= 4) ? 100.0 : 5.0;
    });
    m.deglitch2(40);
    QVERIFY(procBlockIs(m, 3, 3, 1, 0.0));
    QVERIFY(procBlockIs(m, 2, 2, 1, 5.0));
    QVERIFY(procBlockIs(m, 3, 2, 1, 5.0));
    QVERIFY(procBlockIs(m, 0, 0, 1, 5.0));
    QCOMPARE(m.procMin(), 0.0);
    QCOMPARE(m.procMax(), 5.0);
}

// Of the eight neighbours only the plausible ones count.
void TestDeglitch::deglitch2MeanOfPlausibleNeighbours()
{
    Analyzed2DRes m;
    makeMap(m, 6, 6, 1, [](int c, int r) {
        if (c == 2 && r == 2)
            return 200.0;
        if (c == 3 && r == 3)
            return -300.0;
        return double(c);
    });
    m.deglitch2(40);
    QVERIFY(procBlockIs(m, 2, 2, 1, (1 + 1 + 1 + 2 + 2 + 3 + 3) / 7.0));
    QVERIFY(procBlockIs(m, 3, 3, 1, (2 + 2 + 3 + 3 + 4 + 4 + 4) / 7.0));
    QVERIFY(procBlockIs(m, 4, 4, 1, 4.0));
}

// The typical value averages only centres strictly inside +-limit, and a block
// is replaced only when strictly further than limit from it.
void TestDeglitch::deglitch2TypicalValueIsStrict()
{
    Analyzed2DRes m;
    makeMap(m, 5, 5, 0, [](int c, int r) {
        if (c == 1 && r == 1)
            return 45.0;   // not in the mean, but only 35 from it
        if (c == 3 && r == 1)
            return 40.0;   // at the limit: not in the mean, 30 from it
        if (c == 3 && r == 3)
            return 50.0;   // exactly 40 from the typical value: kept
        if (c == 1 && r == 3)
            return 51.0;   // 41 from it: replaced
        return 10.0;
    });
    m.deglitch2(40);
    QVERIFY(procBlockIs(m, 1, 1, 0, 45.0));
    QVERIFY(procBlockIs(m, 3, 1, 0, 40.0));
    QVERIFY(procBlockIs(m, 3, 3, 0, 50.0));
    QVERIFY(procBlockIs(m, 1, 3, 0, 10.0));
}

// A corner outlier sees three neighbours; a neighbour centre outside the
// scanned area but inside the map counts with the map's value there.
void TestDeglitch::deglitch2BorderAndMapEdge()
{
    Analyzed2DRes corner;
    makeMap(corner, 4, 4, 1, [](int c, int r) { return c == 0 && r == 0 ? 500.0 : 7.0; });
    corner.deglitch2(40);
    QVERIFY(procBlockIs(corner, 0, 0, 1, 7.0));

    Analyzed2DRes edge;
    makeMap(edge, 3, 3, 1, [](int c, int r) { return c == 2 && r == 1 ? 500.0 : 7.0; }, 3);
    edge.deglitch2(40);
    QVERIFY(procBlockIs(edge, 2, 1, 1, (5 * 7.0 + 3 * 0.0) / 8.0));
}

// After copyProc2Data the repaired map is the map, and deglitching again
// starts from it.
void TestDeglitch::deglitch2ThenCopy()
{
    Analyzed2DRes m;
    makeMap(m, 5, 5, 1, [](int c, int r) { return c == 2 && r == 2 ? 90.0 : 3.0; });
    m.deglitch2(40);
    QCOMPARE(blockValue(m, 2, 2, 1), 90.0);
    m.copyProc2Data();
    QCOMPARE(blockValue(m, 2, 2, 1), 3.0);
    QCOMPARE(m.minValue(), 3.0);
    QCOMPARE(m.maxValue(), 3.0);
    for (int y = 0; y < m.height(); ++y)
        for (int x = 0; x < m.width(); ++x)
            QCOMPARE(m.value(x, y), m.procValue(x, y));
}

QTEST_GUILESS_MAIN(TestDeglitch)
#include "tst_deglitch.moc"
