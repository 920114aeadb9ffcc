#include "grid/BlockGrid.h"
#include "grid/ScanGrid.h"
#include "physics/XafsSpectrum.h"
#include "processing/AbsorptionSpectrum.h"
#include "processing/BlockSpectra.h"
#include "processing/BlockSum.h"
#include "processing/GridBlockSums.h"
#include "processing/I0Series.h"
#include "processing/ReferenceWalk.h"
#include "TestStacks.h"

#include <QPoint>
#include <QtTest>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// A deterministic pattern with distinct values everywhere.
double pattern(int x, int y)
{
    return double((x * 7919 + y * 104729 + x * y * 31) % 50000 + 1);
}

// The block sum by definition: every shifted sample of the block, one by one.
double naiveBlockSum(const TiffData& t, int x, int y, int xw, int yw)
{
    double s = 0.0;
    for (int yy = y - std::abs(yw); yy <= y + std::abs(yw); ++yy)
        for (int xx = x - std::abs(xw); xx <= x + std::abs(xw); ++xx)
            s += t.sample(xx, yy);
    return s;
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

QString pointsText(const Spectrum& s)
{
    QStringList l;
    for (int i = 0; i < s.count(); ++i)
        l << QString("(%1, %2)").arg(s.x(i), 0, 'g', 17).arg(s.y(i), 0, 'g', 17);
    return l.join(' ');
}

bool samePoints(const Spectrum& a, const Spectrum& b)
{
    if (a.count() != b.count())
        return false;
    for (int i = 0; i < a.count(); ++i)
        if (!sameBits(a.x(i), b.x(i)) || !sameBits(a.y(i), b.y(i)))
            return false;
    return true;
}

QVector<QPoint> walk(ScanGrid g)
{
    QVector<QPoint> pts;
    g.restart();
    bool newLine = false;
    do {
        pts.append(QPoint(g.x, g.y));
    } while (g.next(newLine) && pts.size() < 100000);
    return pts;
}

} // namespace

class TestAbsorption : public QObject
{
    Q_OBJECT
private slots:
    void blockSumOfOnes_data();
    void blockSumOfOnes();
    void blockSumMatchesDefinition_data();
    void blockSumMatchesDefinition();
    void blockSumOfFloats();
    void blockSumOfLongRows_data();
    void blockSumOfLongRows();
    void blockSumsAlongMatchBlockSum_data();
    void blockSumsAlongMatchBlockSum();
    void i0AtEnergy_data();
    void i0AtEnergy();
    void i0EqualEnergiesGiveMean();
    void i0SingleAndNone();
    void i0UnsortedSeries();
    void i0NanEnergyGoesLast();
    void i0SecondImageOnlyWhenNeeded();
    void transmissionAndFluorescence_data();
    void transmissionAndFluorescence();
    void spectrumPointsInSeriesOrder();
    void spectrumOutsideAndMixedSizes();
    void rawSpectrumAndXafs();
    void sharedWorkGivesTheSameSpectrum_data();
    void sharedWorkGivesTheSameSpectrum();
    void blockGridMatchesWalk_data();
    void blockGridMatchesWalk();
    void gridSumsMatchBlockSum_data();
    void gridSumsMatchBlockSum();
    void blockSpectraMatchPerPoint_data();
    void blockSpectraMatchPerPoint();
    void referenceWalkMatchesValueAt_data();
    void referenceWalkMatchesValueAt();

private:
    TestStacks m_stacks;
};

void TestAbsorption::blockSumOfOnes_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("xw");
    QTest::addColumn<int>("yw");
    QTest::addColumn<double>("sum");
    // A 7 x 6 image of ones: the sum counts the block's pixels inside the image.
    QTest::newRow("corner xw 2") << 0 << 0 << 2 << 2 << 9.0;
    QTest::newRow("far corner xw 2") << 6 << 5 << 2 << 2 << 9.0;
    QTest::newRow("inside xw 2") << 3 << 3 << 2 << 2 << 25.0;
    QTest::newRow("edge") << 0 << 3 << 2 << 2 << 15.0;
    QTest::newRow("single pixel") << 4 << 1 << 0 << 0 << 1.0;
    QTest::newRow("negative half sizes") << 0 << 0 << -2 << -2 << 9.0;
    QTest::newRow("outside") << 20 << 3 << 2 << 2 << 0.0;
    QTest::newRow("reaching in") << -2 << -2 << 2 << 2 << 1.0;
    QTest::newRow("larger than image") << 3 << 3 << 100 << 100 << 42.0;
}

void TestAbsorption::blockSumOfOnes()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, xw);
    QFETCH(int, yw);
    QFETCH(double, sum);
    const TiffData* t = m_stacks.u16(7, 6, 0, [](int, int) { return 1.0; });
    QVERIFY(t);
    QCOMPARE(BlockSum::of(*t, x, y, xw, yw), sum);
}

void TestAbsorption::blockSumMatchesDefinition_data()
{
    QTest::addColumn<int>("shiftX");
    QTest::addColumn<int>("shiftY");
    QTest::newRow("no shift") << 0 << 0;
    QTest::newRow("shift right down") << 2 << 1;
    QTest::newRow("shift left up") << -3 << -2;
    QTest::newRow("shift out of view") << 40 << 0;
}

void TestAbsorption::blockSumMatchesDefinition()
{
    QFETCH(int, shiftX);
    QFETCH(int, shiftY);
    QVERIFY(m_stacks.u16(13, 9, 0, pattern));
    TiffData* t = m_stacks.last();
    t->setShift(shiftX, shiftY);
    for (int half = 0; half <= 3; ++half)
        for (int y = -2; y < 12; ++y)
            for (int x = -2; x < 16; ++x)
                QCOMPARE(BlockSum::of(*t, x, y, half, half + 1), naiveBlockSum(*t, x, y, half, half + 1));
    // A shifted image moves its content: the single pixel at (x, y) is the
    // source sample at (x - shiftX, y - shiftY).
    if (shiftX < 13 && shiftY < 9)
        QCOMPARE(BlockSum::of(*t, 5 + shiftX, 4 + shiftY, 0, 0), pattern(5, 4));
}

void TestAbsorption::blockSumOfFloats()
{
    const TiffData* t = m_stacks.cttr(9, 7, 0, [](int x, int y) { return 0.37 * x + 1.91 * y + 0.013; });
    QVERIFY(t);
    QCOMPARE(t->pixelType(), int(TiffData::CttrFloat));
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x)
            QVERIFY(sameBits(BlockSum::of(*t, x, y, 2, 1), naiveBlockSum(*t, x, y, 2, 1)));
}

void TestAbsorption::blockSumOfLongRows_data()
{
    QTest::addColumn<int>("width");
    // 16-bit rows are added in 32 bits; rows this long would overflow them
    // if they were not added in stretches.
    QTest::newRow("one stretch") << 65536;
    QTest::newRow("stretch and a few") << 65541;
    QTest::newRow("beyond four accumulators' reach") << 300003;
}

void TestAbsorption::blockSumOfLongRows()
{
    QFETCH(int, width);
    const TiffData* t = m_stacks.u16(width, 2, 0, [](int, int) { return 65535.0; });
    QVERIFY(t);
    const int half = width / 2;
    QCOMPARE(BlockSum::of(*t, half, 0, half + 1, 1), 65535.0 * 2.0 * width);
}

void TestAbsorption::blockSumsAlongMatchBlockSum_data()
{
    QTest::addColumn<bool>("floats");
    QTest::addColumn<bool>("horizontal");
    QTest::addColumn<int>("shiftX");
    QTest::addColumn<int>("shiftY");
    QTest::addColumn<int>("start");   // first centre along the walk
    QTest::addColumn<int>("at");      // the centre across it
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("xw");
    QTest::addColumn<int>("yw");
    QTest::newRow("row through the middle") << false << true << 0 << 0 << 0 << 4 << 13 << 1 << 2;
    QTest::newRow("column through the middle") << false << false << 0 << 0 << 0 << 6 << 9 << 2 << 1;
    QTest::newRow("row from outside past the end") << false << true << 0 << 0 << -4 << 0 << 22 << 2 << 3;
    QTest::newRow("column from outside past the end") << false << false << 0 << 0 << -3 << 12 << 16 << 1 << 2;
    QTest::newRow("shifted row") << false << true << 3 << -2 << 0 << 7 << 13 << 1 << 1;
    QTest::newRow("shifted column") << false << false << -2 << 3 << 0 << 1 << 9 << 0 << 2;
    QTest::newRow("row missing the image") << false << true << 0 << 0 << 0 << 20 << 13 << 1 << 2;
    QTest::newRow("shifted out of view") << false << false << 40 << 0 << 0 << 5 << 9 << 2 << 2;
    QTest::newRow("block wider than image") << false << true << 0 << 0 << 0 << 4 << 13 << 30 << 30;
    QTest::newRow("negative half sizes") << false << false << 0 << 0 << 0 << 6 << 9 << -2 << -3;
    QTest::newRow("float row") << true << true << 1 << 0 << -1 << 3 << 15 << 1 << 2;
    QTest::newRow("float column") << true << false << 0 << 1 << 0 << 4 << 9 << 2 << 1;
}

void TestAbsorption::blockSumsAlongMatchBlockSum()
{
    QFETCH(bool, floats);
    QFETCH(bool, horizontal);
    QFETCH(int, shiftX);
    QFETCH(int, shiftY);
    QFETCH(int, start);
    QFETCH(int, at);
    QFETCH(int, n);
    QFETCH(int, xw);
    QFETCH(int, yw);
    // Two I0 images bracket the energies asked for; the I1 image is the one walked.
    std::vector<const TiffData*> i0Images;
    for (int k = 0; k < 2; ++k) {
        const auto f = [k](int x, int y) { return pattern(x + 5 * k, y) * 0.7 + 0.3; };
        QVERIFY(floats ? m_stacks.cttr(13, 9, 100 + 100 * k, f) : m_stacks.u16(13, 9, 100 + 100 * k, f));
        m_stacks.last()->setShift(shiftX, shiftY);
        i0Images.push_back(m_stacks.last());
    }
    const TiffData* image = i0Images.front();
    const int x = horizontal ? start : at;
    const int y = horizontal ? at : start;
    const auto centre = [&](int i) { return horizontal ? QPoint(x + i, y) : QPoint(x, y + i); };
    std::vector<double> sums(std::size_t(n), -1.0);
    BlockSum::along(*image, x, y, horizontal, n, xw, yw, sums.data());
    for (int i = 0; i < n; ++i) {
        const QPoint c = centre(i);
        QVERIFY2(sameBits(sums[std::size_t(i)], BlockSum::of(*image, c.x(), c.y(), xw, yw)), qPrintable(QString::number(i)));
    }
    const I0Series i0(i0Images);
    for (double e : {100.0, 130.0, 200.0, 260.0}) {
        BlockSum::along(*image, x, y, horizontal, n, xw, yw, sums.data());
        i0.blockSumsAlong(e, x, y, horizontal, n, xw, yw, sums.data());
        for (int i = 0; i < n; ++i) {
            const QPoint c = centre(i);
            QVERIFY2(sameBits(sums[std::size_t(i)], i0.blockSumAt(e, c.x(), c.y(), xw, yw)),
                     qPrintable(QString("e %1, %2").arg(e).arg(i)));
        }
    }
}

void TestAbsorption::i0AtEnergy_data()
{
    QTest::addColumn<double>("energy");
    QTest::addColumn<double>("value");
    // I0 images at 100, 200 and 300 eV with uniform samples 10, 20 and 40;
    // single-pixel blocks.
    QTest::newRow("between first two") << 150.0 << 15.0;
    QTest::newRow("between last two") << 250.0 << 30.0;
    QTest::newRow("at the first") << 100.0 << 10.0;
    QTest::newRow("at the middle") << 200.0 << 20.0;
    QTest::newRow("at the last") << 300.0 << 40.0;
    QTest::newRow("below: lowest two") << 50.0 << 5.0;
    QTest::newRow("above: highest two") << 350.0 << 50.0;
}

void TestAbsorption::i0AtEnergy()
{
    QFETCH(double, energy);
    QFETCH(double, value);
    std::vector<const TiffData*> i0 = {m_stacks.u16(4, 4, 100, [](int, int) { return 10.0; }),
                                       m_stacks.u16(4, 4, 200, [](int, int) { return 20.0; }),
                                       m_stacks.u16(4, 4, 300, [](int, int) { return 40.0; })};
    const I0Series series(i0);
    QCOMPARE(series.blockSumAt(energy, 1, 1, 0, 0), value);
    // A 3 x 3 block sums nine samples of each image.
    QCOMPARE(series.blockSumAt(energy, 1, 1, 1, 1), 9.0 * value);
}

void TestAbsorption::i0EqualEnergiesGiveMean()
{
    std::vector<const TiffData*> i0 = {m_stacks.u16(4, 4, 100, [](int, int) { return 10.0; }),
                                       m_stacks.u16(4, 4, 100, [](int, int) { return 30.0; })};
    const I0Series series(i0);
    for (double e : {50.0, 100.0, 150.0})
        QCOMPARE(series.blockSumAt(e, 2, 2, 0, 0), 20.0);
    QCOMPARE(I0Series::line(1.0, 4.0, std::nan(""), 8.0, 3.0), 6.0);
}

void TestAbsorption::i0SingleAndNone()
{
    const I0Series none;
    QCOMPARE(none.blockSumAt(7000, 1, 1, 3, 3), 1.0);
    const I0Series one({m_stacks.u16(4, 4, 100, [](int, int) { return 12.0; })});
    QCOMPARE(one.blockSumAt(20, 1, 1, 0, 0), 12.0);
    QCOMPARE(one.blockSumAt(1e6, 1, 1, 0, 0), 12.0);

    // Without I0 the sum is 1: transmission is ln(1 / S1), fluorescence S1.
    std::vector<const TiffData*> i1 = {m_stacks.u16(4, 4, 100, [](int, int) { return 50.0; })};
    const AbsorptionSpectrum trans(i1, {}, 0, 0, false);
    const AbsorptionSpectrum fluo(i1, {}, 0, 0, true);
    QCOMPARE(trans.spectrum(1, 1).y(0), std::log(1.0 / 50.0));
    QCOMPARE(fluo.spectrum(1, 1).y(0), 50.0);
}

void TestAbsorption::i0UnsortedSeries()
{
    const TiffData* a = m_stacks.u16(4, 4, 300, [](int, int) { return 40.0; });
    const TiffData* b = m_stacks.u16(4, 4, 100, [](int, int) { return 10.0; });
    const TiffData* c = m_stacks.u16(4, 4, 200, [](int, int) { return 20.0; });
    const I0Series unsorted({a, b, c});
    const I0Series sorted({b, c, a});
    QVERIFY(!unsorted.wasSorted());
    QVERIFY(sorted.wasSorted());
    QCOMPARE(unsorted.energy(0), 100.0);
    QCOMPARE(unsorted.energy(2), 300.0);
    for (double e : {50.0, 100.0, 120.0, 200.0, 260.0, 300.0, 400.0})
        QCOMPARE(unsorted.blockSumAt(e, 0, 0, 0, 0), sorted.blockSumAt(e, 0, 0, 0, 0));
    QCOMPARE(unsorted.blockSumAt(120.0, 0, 0, 0, 0), 12.0);

    // Equal energies keep their arrival order (a stable sort).
    const TiffData* d = m_stacks.u16(4, 4, 100, [](int, int) { return 30.0; });
    const I0Series ties({d, c, b});
    QCOMPARE(ties.image(0), d);
    QCOMPARE(ties.image(1), b);
}

void TestAbsorption::i0NanEnergyGoesLast()
{
    const TiffData* n = m_stacks.u16(4, 4, std::nan(""), [](int, int) { return 999.0; });
    const TiffData* a = m_stacks.u16(4, 4, 100, [](int, int) { return 10.0; });
    const TiffData* b = m_stacks.u16(4, 4, 200, [](int, int) { return 20.0; });
    const I0Series series({n, a, b});
    QCOMPARE(series.image(2), n);
    QCOMPARE(series.blockSumAt(150, 0, 0, 0, 0), 15.0);
}

void TestAbsorption::i0SecondImageOnlyWhenNeeded()
{
    const TiffData* a = m_stacks.u16(4, 4, 100, [](int, int) { return 10.0; });
    const TiffData* b = m_stacks.u16(4, 4, 200, [](int, int) { return 20.0; });
    const TiffData* c = m_stacks.u16(4, 4, 300, [](int, int) { return 40.0; });
    const I0Series ints({a, b, c});
    // At an I0 energy the line ends at the lower image: its sum is the value.
    QVERIFY(!ints.needsSecond(ints.bracket(100), 100));
    QVERIFY(!ints.needsSecond(ints.bracket(200), 200));
    QCOMPARE(ints.blockSumAt(200, 1, 1, 1, 1), 9 * 20.0);
    // Between, above the last energy and at it, the second image counts.
    QVERIFY(ints.needsSecond(ints.bracket(150), 150));
    QVERIFY(ints.needsSecond(ints.bracket(300), 300));
    QCOMPARE(ints.blockSumAt(300, 1, 1, 0, 0), 40.0);
    QVERIFY(!I0Series({a}).needsSecond(I0Series({a}).bracket(100), 100));
    // Float samples may sum to infinity, which the line does not cancel.
    const TiffData* f = m_stacks.cttr(4, 4, 200, [](int, int) { return 20.0; });
    const I0Series floats({a, f});
    QVERIFY(floats.needsSecond(floats.bracket(100), 100));
}

void TestAbsorption::transmissionAndFluorescence_data()
{
    QTest::addColumn<double>("s1");
    QTest::addColumn<double>("s0");
    QTest::addColumn<bool>("fluorescence");
    QTest::addColumn<double>("value");
    QTest::newRow("transmission") << 100.0 << 400.0 << false << std::log(4.0);
    QTest::newRow("transmission S1 = 0") << 0.0 << 400.0 << false << 1.0;
    QTest::newRow("transmission S0 = 0") << 100.0 << 0.0 << false << 1.0;
    QTest::newRow("fluorescence") << 100.0 << 400.0 << true << 0.25;
    QTest::newRow("fluorescence S1 = 0") << 0.0 << 400.0 << true << 0.0;
    QTest::newRow("fluorescence S0 = 0") << 100.0 << 0.0 << true << std::numeric_limits<double>::infinity();
}

void TestAbsorption::transmissionAndFluorescence()
{
    QFETCH(double, s1);
    QFETCH(double, s0);
    QFETCH(bool, fluorescence);
    QFETCH(double, value);
    QCOMPARE(AbsorptionSpectrum::value(s0, s1, fluorescence), value);
    // The same through images: 2 x 2 blocks of uniform images.
    std::vector<const TiffData*> i1 = {m_stacks.u16(5, 5, 100, [s1](int, int) { return s1; })};
    std::vector<const TiffData*> i0 = {m_stacks.u16(5, 5, 100, [s0](int, int) { return s0; })};
    const AbsorptionSpectrum a(i1, i0, 1, 1, fluorescence);
    const Spectrum s = a.spectrum(2, 2);
    QCOMPARE(s.count(), 1);
    QCOMPARE(s.x(0), 100.0);
    QCOMPARE(s.y(0), AbsorptionSpectrum::value(9 * s0, 9 * s1, fluorescence));
}

void TestAbsorption::spectrumPointsInSeriesOrder()
{
    // I1 in the order 200, 100, 300 eV; I0 at 100 and 300.
    std::vector<const TiffData*> i1 = {m_stacks.u16(6, 6, 200, [](int, int) { return 100.0; }),
                                       m_stacks.u16(6, 6, 100, [](int, int) { return 100.0; }),
                                       m_stacks.u16(6, 6, 300, [](int, int) { return 100.0; })};
    std::vector<const TiffData*> i0 = {m_stacks.u16(6, 6, 300, [](int, int) { return 300.0; }),
                                       m_stacks.u16(6, 6, 100, [](int, int) { return 100.0; })};
    const AbsorptionSpectrum a(i1, i0, 0, 0, false);
    const Spectrum s = a.spectrum(3, 3);
    QCOMPARE(s.count(), 3);
    QCOMPARE(s.x(0), 200.0);
    QCOMPARE(s.x(1), 100.0);
    QCOMPARE(s.x(2), 300.0);
    QCOMPARE(s.y(0), std::log(200.0 / 100.0));
    QCOMPARE(s.y(1), 0.0);
    QCOMPARE(s.y(2), std::log(3.0));
}

void TestAbsorption::spectrumOutsideAndMixedSizes()
{
    std::vector<const TiffData*> i1 = {m_stacks.u16(8, 8, 100, pattern), m_stacks.u16(4, 8, 200, pattern),
                                       m_stacks.u16(8, 8, 300, pattern)};
    const AbsorptionSpectrum a(i1, {}, 1, 1, false);
    QCOMPARE(a.spectrum(6, 2).count(), 2);   // the narrow image has no column 6
    QCOMPARE(a.spectrum(6, 2).x(1), 300.0);
    QCOMPARE(a.spectrum(2, 2).count(), 3);
    QCOMPARE(a.spectrum(-1, 2).count(), 0);
    QCOMPARE(a.spectrum(2, 8).count(), 0);
    QCOMPARE(AbsorptionSpectrum(std::vector<const TiffData*>(), {}, 0, 0, false).spectrum(0, 0).count(), 0);
}

void TestAbsorption::sharedWorkGivesTheSameSpectrum_data()
{
    QTest::addColumn<int>("images");
    QTest::addColumn<bool>("fluorescence");
    QTest::newRow("one chunk") << 20 << false;
    QTest::newRow("several chunks") << 150 << false;
    QTest::newRow("several chunks, fluorescence") << 150 << true;
}

void TestAbsorption::sharedWorkGivesTheSameSpectrum()
{
    QFETCH(int, images);
    QFETCH(bool, fluorescence);
    // A series with a narrower image in it (left out where the pixel is not
    // in it) and I0 at other energies than I1 (two I0 sums per point).
    std::vector<const TiffData*> i1, i0;
    for (int k = 0; k < images; ++k) {
        const int width = k % 17 == 5 ? 4 : 9;
        i1.push_back(m_stacks.u16(width, 7, 7000 + k, [k](int x, int y) { return pattern(x + k, y) * 0.3 + 7; }));
        if (k % 3 == 0)
            i0.push_back(m_stacks.u16(9, 7, 6999.5 + k, [k](int x, int y) { return pattern(y, x + k) * 0.5 + 9; }));
    }
    const AbsorptionSpectrum source(i1, i0, 2, 1, fluorescence);
    for (const QPoint& p : {QPoint(6, 3), QPoint(0, 0), QPoint(8, 6)}) {
        Spectrum mu, raw, sharedMu, sharedRaw;
        source.spectrumAndRaw(p.x(), p.y(), &mu, &raw);
        source.spectrumAndRaw(p.x(), p.y(), &sharedMu, &sharedRaw, true);
        QVERIFY(mu.count() > 0);
        QVERIFY2(samePoints(sharedMu, mu), qPrintable(pointsText(sharedMu)));
        QVERIFY(samePoints(sharedRaw, raw));
        // The one-sided calls agree with the two-sided one.
        Spectrum onlyMu;
        source.spectrumAndRaw(p.x(), p.y(), &onlyMu, nullptr, true);
        QVERIFY(samePoints(onlyMu, mu));
    }
}

void TestAbsorption::rawSpectrumAndXafs()
{
    std::vector<const TiffData*> i1, i0;
    for (int k = 0; k < 30; ++k) {
        const double e = 7000 + 10 * k;
        const double mu = 0.2 + (e > 7120 ? 1.0 : 0.0) - 0.0001 * k;
        i1.push_back(m_stacks.u16(5, 5, e, [mu](int x, int) { return 20000 * std::exp(-mu) + x; }));
        i0.push_back(m_stacks.u16(5, 5, e, [](int, int) { return 20000.0; }));
    }
    const AbsorptionSpectrum a(i1, i0, 1, 0, false);
    const Spectrum raw = a.raw(2, 2);
    QCOMPARE(raw.count(), 30);
    for (int k = 0; k < 30; ++k)
        QCOMPARE(raw.y(k), BlockSum::of(*i1[std::size_t(k)], 2, 2, 1, 0));
    const XafsSpectrum x = a.xafs(2, 2, false, 1.5);
    QCOMPARE(x.dE(), 1.5);
    QVERIFY(samePoints(x, a.spectrum(2, 2)));
    QVERIFY(x.jump() > 0.9 && x.jump() < 1.1);
    // The one-pass form gives both series unchanged.
    Spectrum mu, raw1;
    a.spectrumAndRaw(2, 2, &mu, &raw1);
    QVERIFY(samePoints(mu, a.spectrum(2, 2)));
    QVERIFY(samePoints(raw1, raw));
}

void TestAbsorption::blockGridMatchesWalk_data()
{
    QTest::addColumn<QRectF>("area");
    QTest::addColumn<int>("half");
    QTest::addColumn<int>("step");
    QTest::newRow("whole image, pixels") << QRectF(0, 0, 20, 15) << 0 << -1;
    QTest::newRow("inner area, 3 x 3") << QRectF(2, 3, 11, 7) << 1 << -1;
    QTest::newRow("area past the image") << QRectF(5, 4, 40, 40) << 2 << -1;
    QTest::newRow("area before the image") << QRectF(-9, -7, 20, 14) << 1 << -1;
    QTest::newRow("reversed area") << QRectF(18, 12, -15, -10) << 1 << -1;
    QTest::newRow("thin area") << QRectF(3, 3, 1, 1) << 2 << -1;
    QTest::newRow("overlapping steps") << QRectF(0, 0, 20, 15) << 2 << 2;
    QTest::newRow("area outside") << QRectF(30, 30, 5, 5) << 0 << -1;
}

void TestAbsorption::blockGridMatchesWalk()
{
    QFETCH(QRectF, area);
    QFETCH(int, half);
    QFETCH(int, step);
    ScanGrid g;
    g.setup(20, 15, half, half, area, step, step);
    QVector<QPoint> inside;
    for (const QPoint& p : walk(g))
        if (p.x() >= 0 && p.x() < 20 && p.y() >= 0 && p.y() < 15)
            inside.append(p);
    const BlockGrid b = BlockGrid::fromScanGrid(g, 20, 15);
    QVector<QPoint> fromGrid;
    for (int j = 0; j < b.rows(); ++j)
        for (int i = 0; i < b.columns(); ++i)
            fromGrid.append(QPoint(b.xs[std::size_t(i)], b.ys[std::size_t(j)]));
    QCOMPARE(fromGrid, inside);
}

void TestAbsorption::gridSumsMatchBlockSum_data()
{
    QTest::addColumn<bool>("floats");
    QTest::addColumn<int>("half");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("shiftX");
    QTest::addColumn<int>("shiftY");
    QTest::newRow("pixels") << false << 0 << -1 << 0 << 0;
    QTest::newRow("3 x 3, shifted") << false << 1 << -1 << 2 << -1;
    QTest::newRow("5 x 5, shifted far") << false << 2 << -1 << -4 << 3;
    QTest::newRow("overlapping blocks") << false << 2 << 1 << 1 << 1;
    QTest::newRow("gaps between blocks") << false << 1 << 5 << 0 << 0;
    QTest::newRow("floats, 3 x 3, shifted") << true << 1 << -1 << 1 << 2;
}

void TestAbsorption::gridSumsMatchBlockSum()
{
    QFETCH(bool, floats);
    QFETCH(int, half);
    QFETCH(int, step);
    QFETCH(int, shiftX);
    QFETCH(int, shiftY);
    const int w = 23, h = 17;
    const TiffData* t = floats ? m_stacks.cttr(w, h, 0, [](int x, int y) { return pattern(x, y) * 0.731; })
                               : m_stacks.u16(w, h, 0, pattern);
    QVERIFY(t);
    m_stacks.last()->setShift(shiftX, shiftY);
    ScanGrid sg;
    sg.setup(w, h, half, half, QRectF(1, 2, w, h), step, step);
    const BlockGrid g = BlockGrid::fromScanGrid(sg, w, h);
    QVERIFY(g.blocks() > 4);
    GridBlockSums sums(&g);
    sums.setImage(t);
    std::vector<double> row(std::size_t(g.columns()));
    for (int j = 0; j < g.rows(); ++j) {
        sums.row(j, row.data());
        for (int i = 0; i < g.columns(); ++i) {
            const int x = g.xs[std::size_t(i)], y = g.ys[std::size_t(j)];
            QVERIFY2(sameBits(row[std::size_t(i)], BlockSum::of(*t, x, y, half, half)),
                     qPrintable(QString("block (%1, %2)").arg(x).arg(y)));
        }
    }
}

void TestAbsorption::blockSpectraMatchPerPoint_data()
{
    QTest::addColumn<bool>("fluorescence");
    QTest::addColumn<int>("half");
    QTest::addColumn<int>("threads");
    QTest::newRow("transmission, pixels, 1 thread") << false << 0 << 1;
    QTest::newRow("transmission, 3 x 3, 3 threads") << false << 1 << 3;
    QTest::newRow("fluorescence, 5 x 5, 2 threads") << true << 2 << 2;
}

void TestAbsorption::blockSpectraMatchPerPoint()
{
    QFETCH(bool, fluorescence);
    QFETCH(int, half);
    QFETCH(int, threads);
    // I1 out of energy order, one I1 image narrower than the rest, shifted
    // images, an unsorted I0 series coarser than I1 and some zero samples.
    std::vector<const TiffData*> i1, i0;
    const double energies[] = {7100, 7095, 7105, 7110, 7112, 7130, 7080, 7150, 7200};
    for (int k = 0; k < 9; ++k) {
        const int w = k == 4 ? 11 : 19;
        i1.push_back(m_stacks.u16(w, 14, energies[k], [k](int x, int y) {
            return (x + y + k) % 7 == 0 ? 0.0 : 900 + pattern(x + k, y) / 100;
        }));
        m_stacks.last()->setShift(k % 3 - 1, (k % 2));
    }
    for (double e : {7150.0, 7095.0, 7120.0, 7070.0})
        i0.push_back(m_stacks.u16(19, 14, e, [e](int x, int y) { return 3000 + x * 10 + y + e / 100; }));
    const AbsorptionSpectrum a(i1, i0, half, half, fluorescence);
    ScanGrid sg;
    sg.setup(19, 14, half, half, QRectF(1, 1, 17, 12), -1, -1);
    const BlockGrid g = BlockGrid::fromScanGrid(sg, 19, 14);
    BlockSpectra spectra;
    QVERIFY(spectra.build(a, g, threads));
    QCOMPARE(spectra.blocks(), g.blocks());
    QCOMPARE(spectra.images(), 9);
    Spectrum fast;
    for (int j = 0; j < g.rows(); ++j) {
        for (int i = 0; i < g.columns(); ++i) {
            const int x = g.xs[std::size_t(i)], y = g.ys[std::size_t(j)];
            spectra.spectrum(g.index(i, j), &fast);
            const Spectrum slow = a.spectrum(x, y);
            QVERIFY2(samePoints(fast, slow), qPrintable(QString("(%1, %2): %3 vs %4")
                                                            .arg(x).arg(y).arg(pointsText(fast), pointsText(slow))));
        }
    }
    QCOMPARE(spectra.bytes(), (g.blocks() + 7) / 8 * 8 * 9 * qint64(sizeof(double)));
}

void TestAbsorption::referenceWalkMatchesValueAt_data()
{
    QTest::addColumn<QVector<double>>("xs");
    QTest::addColumn<double>("offset");
    QTest::newRow("rising") << QVector<double>{1, 2, 4, 8, 9, 12, 20} << 0.0;
    QTest::newRow("with offset") << QVector<double>{1, 2, 4, 8, 9, 12, 20} << 2.5;
    QTest::newRow("equal energies") << QVector<double>{1, 2, 2, 2, 5, 5, 9} << 0.0;
    QTest::newRow("unsorted") << QVector<double>{1, 5, 3, 8, 2, 12, 20} << 0.0;
    QTest::newRow("two points") << QVector<double>{3, 7} << 0.0;
    QTest::newRow("one point") << QVector<double>{3} << 0.0;
    QTest::newRow("none") << QVector<double>{} << 0.0;
}

void TestAbsorption::referenceWalkMatchesValueAt()
{
    QFETCH(QVector<double>, xs);
    QFETCH(double, offset);
    Spectrum s;
    for (int i = 0; i < xs.size(); ++i)
        s.add(xs[i], std::sin(1.7 * i) * 3 + i);
    s.setOffset(offset, offset != 0.0);
    const ReferenceWalk walkOn(&s);
    QCOMPARE(walkOn.ordered(), !QTest::currentDataTag() || QByteArray(QTest::currentDataTag()) != "unsorted");
    std::vector<double> energies;
    for (double e = -3; e < 25; e += 0.37)
        energies.push_back(e);
    for (double x : xs)
        energies.push_back(x - offset);
    energies.push_back(std::nan(""));
    // Every energy with every starting hint, then a sweep that keeps its hint.
    for (double e : energies) {
        for (int hint = -1; hint <= xs.size() + 1; ++hint) {
            int h = hint;
            const double got = walkOn.valueAt(e, h);
            const double want = s.valueAt(e);
            QVERIFY2(sameBits(got, want) || (std::isnan(got) && std::isnan(want)),
                     qPrintable(QString("e %1 hint %2: %3 vs %4").arg(e).arg(hint).arg(got).arg(want)));
        }
    }
    int h = -1;
    for (double e : energies)
        QVERIFY(sameBits(walkOn.valueAt(e, h), s.valueAt(e)) || std::isnan(e));
}

QTEST_GUILESS_MAIN(TestAbsorption)
#include "tst_absorption.moc"
