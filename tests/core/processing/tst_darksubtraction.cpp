// The dark image in the block sums: a block sum of an image with a dark is
// the sum of (sample - dark) over the block's source pixels, the dark moving
// with the image's alignment shift, and the whole-area values agree value for
// value with the point-by-point spectra.

#include "grid/BlockGrid.h"
#include "grid/ScanGrid.h"
#include "io/DarkField.h"
#include "physics/Spectrum.h"
#include "processing/AbsorptionSpectrum.h"
#include "processing/BlockSpectra.h"
#include "processing/BlockSum.h"
#include "processing/GridBlockSums.h"
#include "TestStacks.h"

#include <QtTest>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int W = 19;
constexpr int H = 14;

double pattern(int x, int y)
{
    return double((x * 7919 + y * 104729 + x * y * 31) % 5000 + 2000);
}

// A dark that is not a whole number anywhere, as a mean of frames is.
std::shared_ptr<const DarkField> makeDark()
{
    std::vector<double> mean(size_t(W) * H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            mean[size_t(y) * W + x] = 300.0 + 7.3 * x + 0.41 * y * y + 0.125;
    return std::make_shared<const DarkField>(W, H, mean, 4, QStringLiteral("test dark"));
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}

class TestDarkSubtraction : public QObject
{
    Q_OBJECT
private slots:
    void blockSumSubtractsTheDark_data();
    void blockSumSubtractsTheDark();
    void gridSumsMatchBlockSum_data();
    void gridSumsMatchBlockSum();
    void fastMatchesPerPoint_data();
    void fastMatchesPerPoint();
    void clearingTheDark();

private:
    TestStacks m_stacks;
};

void TestDarkSubtraction::blockSumSubtractsTheDark_data()
{
    QTest::addColumn<bool>("floats");
    QTest::addColumn<int>("half");
    QTest::addColumn<int>("shiftX");
    QTest::addColumn<int>("shiftY");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::newRow("pixel") << false << 0 << 0 << 0 << 5 << 6;
    QTest::newRow("5 x 5 inside") << false << 2 << 0 << 0 << 9 << 7;
    QTest::newRow("corner block, partly outside") << false << 2 << 0 << 0 << 0 << 0;
    QTest::newRow("shifted image: the dark moves with it") << false << 1 << 3 << -2 << 8 << 4;
    QTest::newRow("float image") << true << 1 << -1 << 1 << 10 << 10;
}

void TestDarkSubtraction::blockSumSubtractsTheDark()
{
    QFETCH(bool, floats);
    QFETCH(int, half);
    QFETCH(int, shiftX);
    QFETCH(int, shiftY);
    QFETCH(int, x);
    QFETCH(int, y);
    QVERIFY(m_stacks.isValid());
    if (floats)
        QVERIFY(m_stacks.cttr(W, H, 0, pattern));
    else
        QVERIFY(m_stacks.u16(W, H, 0, pattern));
    TiffData* image = m_stacks.last();
    image->setShift(shiftX, shiftY);
    const double plain = BlockSum::of(*image, x, y, half, half);
    const std::shared_ptr<const DarkField> dark = makeDark();
    QVERIFY(image->setDark(dark));
    // By definition: every pixel of the shifted block that comes from the
    // source loses the dark of that source pixel.
    double expected = 0.0;
    for (int yy = y - half; yy <= y + half; ++yy)
        for (int xx = x - half; xx <= x + half; ++xx) {
            const int c = xx - shiftX, r = yy - shiftY;
            if (c >= 0 && r >= 0 && c < W && r < H)
                expected += image->sourceSample(quint32(c), quint32(r)) - dark->value(quint32(c), quint32(r));
        }
    const double withDark = BlockSum::of(*image, x, y, half, half);
    QVERIFY2(qAbs(withDark - expected) < 1e-6 * qAbs(expected), qPrintable(QString("%1 vs %2").arg(withDark).arg(expected)));
    QVERIFY(withDark < plain);
    // The profiles' sums along the row and down the column through the block
    // take the dark off the same way, value for value.
    for (bool horizontal : {true, false}) {
        const int n = horizontal ? W : H;
        std::vector<double> sums(static_cast<std::size_t>(n));
        BlockSum::along(*image, horizontal ? 0 : x, horizontal ? y : 0, horizontal, n, half, half, sums.data());
        for (int i = 0; i < n; ++i)
            QCOMPARE(sums[std::size_t(i)], BlockSum::of(*image, horizontal ? i : x, horizontal ? y : i, half, half));
    }
}

void TestDarkSubtraction::gridSumsMatchBlockSum_data()
{
    QTest::addColumn<bool>("floats");
    QTest::addColumn<int>("half");
    QTest::addColumn<int>("step");
    QTest::newRow("pixels") << false << 0 << -1;
    QTest::newRow("overlapping 5 x 5") << false << 2 << 1;
    QTest::newRow("3 x 3 with gaps") << false << 1 << 4;
    QTest::newRow("floats, 3 x 3") << true << 1 << -1;
}

void TestDarkSubtraction::gridSumsMatchBlockSum()
{
    QFETCH(bool, floats);
    QFETCH(int, half);
    QFETCH(int, step);
    const TiffData* t = floats ? m_stacks.cttr(W, H, 0, pattern) : m_stacks.u16(W, H, 0, pattern);
    QVERIFY(t);
    m_stacks.last()->setShift(2, -1);
    QVERIFY(m_stacks.last()->setDark(makeDark()));
    ScanGrid sg;
    sg.setup(W, H, half, half, QRectF(0, 0, W, H), step, step);
    const BlockGrid g = BlockGrid::fromScanGrid(sg, W, H);
    GridBlockSums sums(&g);
    sums.setImage(t);
    std::vector<double> row(size_t(g.columns()));
    for (int j = 0; j < g.rows(); ++j) {
        sums.row(j, row.data());
        for (int i = 0; i < g.columns(); ++i)
            QVERIFY(sameBits(row[size_t(i)], BlockSum::of(*t, g.xs[size_t(i)], g.ys[size_t(j)], half, half)));
    }
}

void TestDarkSubtraction::fastMatchesPerPoint_data()
{
    QTest::addColumn<bool>("fluorescence");
    QTest::addColumn<int>("half");
    QTest::newRow("transmission, pixels") << false << 0;
    QTest::newRow("transmission, 3 x 3") << false << 1;
    QTest::newRow("fluorescence, 5 x 5") << true << 2;
}

void TestDarkSubtraction::fastMatchesPerPoint()
{
    QFETCH(bool, fluorescence);
    QFETCH(int, half);
    const std::shared_ptr<const DarkField> dark = makeDark();
    std::vector<const TiffData*> i1, i0;
    for (int k = 0; k < 6; ++k) {
        i1.push_back(m_stacks.u16(W, H, 7100 + 7 * k, [k](int x, int y) { return 900 + pattern(x + k, y) / 3; }));
        m_stacks.last()->setShift(k % 3 - 1, k % 2);
        QVERIFY(m_stacks.last()->setDark(dark));
    }
    for (double e : {7090.0, 7110.0, 7140.0}) {
        i0.push_back(m_stacks.u16(W, H, e, [e](int x, int y) { return 6000 + x * 10 + y + e / 100; }));
        QVERIFY(m_stacks.last()->setDark(dark));
    }
    const AbsorptionSpectrum a(i1, i0, half, half, fluorescence);
    ScanGrid sg;
    sg.setup(W, H, half, half, QRectF(0, 0, W, H), -1, -1);
    const BlockGrid g = BlockGrid::fromScanGrid(sg, W, H);
    BlockSpectra spectra;
    QVERIFY(spectra.build(a, g, 2));
    Spectrum fast;
    for (int j = 0; j < g.rows(); ++j)
        for (int i = 0; i < g.columns(); ++i) {
            spectra.spectrum(g.index(i, j), &fast);
            const Spectrum slow = a.spectrum(g.xs[size_t(i)], g.ys[size_t(j)]);
            QCOMPARE(fast.count(), slow.count());
            for (int p = 0; p < fast.count(); ++p)
                QVERIFY(sameBits(fast.y(p), slow.y(p)));
        }
    // A pixel, worked out by hand: the I1 energy 7100 lies between the I0
    // images of 7090 and 7110, each taken less its dark.
    if (half == 0 && !fluorescence) {
        const int x = 9, y = 7;
        const TiffData* first = i1[0];
        const int c = x - first->shiftX(), r = y - first->shiftY();
        const double s1 = first->sourceSample(quint32(c), quint32(r)) - dark->value(quint32(c), quint32(r));
        const double d0 = dark->value(quint32(x), quint32(y));
        const double s0 = ((i0[0]->sample(x, y) - d0) + (i0[1]->sample(x, y) - d0)) / 2.0;
        QVERIFY(qAbs(a.spectrum(x, y).y(0) - std::log(s0 / s1)) < 1e-12);
    }
}

void TestDarkSubtraction::clearingTheDark()
{
    const TiffData* t = m_stacks.u16(W, H, 0, pattern);
    QVERIFY(t);
    const double plain = BlockSum::of(*t, 4, 4, 1, 1);
    QVERIFY(m_stacks.last()->setDark(makeDark()));
    QVERIFY(BlockSum::of(*t, 4, 4, 1, 1) != plain);
    QVERIFY(m_stacks.last()->setDark(nullptr));
    QVERIFY(sameBits(BlockSum::of(*t, 4, 4, 1, 1), plain));
}

QTEST_GUILESS_MAIN(TestDarkSubtraction)
#include "tst_darksubtraction.moc"
