#include "base/SimdTargets.h"
#include "physics/Spectrum.h"
#include "processing/ShiftFitter.h"

#include <QtTest>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

// A normalised model edge: 0 below, 1 above, the step at `edge`.
double normalizedEdge(double e, double edge)
{
    return 0.5 + std::atan((e - edge) / 3.0) / 3.141592653589793
        + 0.03 * std::sin((e - edge) / 9.0) * (e > edge + 10.0 ? 1.0 : 0.0);
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

// The fit that gathers the region once and sums four trial shifts per pass
// against the plain one, trial shift by trial shift over every point.
class TestShiftFitter : public QObject
{
    Q_OBJECT
private slots:
    void cleanupTestCase() { SimdTargets::force(0); }
    void gatheredFitEqualsPlain_data();
    void gatheredFitEqualsPlain();
};

void TestShiftFitter::gatheredFitEqualsPlain_data()
{
    QTest::addColumn<double>("shift");      // true edge shift of the block
    QTest::addColumn<double>("s0");         // the half-height shift the fit starts from
    QTest::addColumn<double>("step");       // eV between the block's points
    QTest::addColumn<int>("points");
    QTest::addColumn<double>("noise");      // relative noise of the values
    QTest::addColumn<int>("spoiled");       // every n-th value is NaN (0: none)
    QTest::addColumn<double>("scale");      // block normalised a little differently

    QTest::newRow("on the edge") << 0.0 << 0.0 << 1.0 << 200 << 0.0 << 0 << 1.0;
    QTest::newRow("shifted, noisy") << 1.3 << 1.1 << 1.0 << 200 << 0.01 << 0 << 1.0;
    QTest::newRow("scaled and offset block") << -0.7 << -0.4 << 1.84 << 300 << 0.005 << 0 << 1.2;
    QTest::newRow("best at the low end of the search") << -6.0 << 0.0 << 0.5 << 300 << 0.0 << 0 << 1.0;
    QTest::newRow("best at the high end of the search") << 6.0 << 0.0 << 0.5 << 300 << 0.0 << 0 << 1.0;
    QTest::newRow("NaN values left out") << 0.4 << 0.5 << 1.0 << 200 << 0.01 << 3 << 1.0;
    QTest::newRow("more points than the inline store") << 0.2 << 0.1 << 0.1 << 1500 << 0.02 << 0 << 1.0;
    QTest::newRow("points exactly on the region's ends") << 0.0 << 0.0 << 2.5 << 120 << 0.0 << 0 << 1.0;
    QTest::newRow("too few region points") << 0.0 << 0.0 << 25.0 << 40 << 0.0 << 0 << 1.0;
    QTest::newRow("exactly the fewest points") << 0.0 << 0.0 << 15.0 << 60 << 0.0 << 0 << 1.0;
    QTest::newRow("region beyond the standard's table") << 0.0 << 300.0 << 1.0 << 600 << 0.0 << 0 << 1.0;
    QTest::newRow("flat block") << 0.0 << 0.0 << 1.0 << 200 << 0.0 << 0 << 0.0;
    QTest::newRow("start not a number") << 0.0 << std::nan("") << 1.0 << 200 << 0.0 << 0 << 1.0;
}

void TestShiftFitter::gatheredFitEqualsPlain()
{
    QFETCH(double, shift);
    QFETCH(double, s0);
    QFETCH(double, step);
    QFETCH(int, points);
    QFETCH(double, noise);
    QFETCH(int, spoiled);
    QFETCH(double, scale);

    const double edge = 7112.0;
    Spectrum standard;
    for (double e = 6900.0; e < 7500.0; e += 0.7)
        standard.add(e, normalizedEdge(e, edge));
    ShiftFitter fitter;
    QVERIFY(fitter.setStandard(standard, edge));

    // The block's points, centred on the edge so that a whole step lands on
    // the region's ends where the step divides them.
    std::mt19937 random(7);
    std::normal_distribution<double> gauss(0.0, 1.0);
    std::vector<double> e, v;
    const double first = edge - step * (points / 2);
    for (int i = 0; i < points; ++i) {
        const double x = first + step * i;
        e.push_back(x);
        const bool nan = spoiled > 0 && i % spoiled == 0;
        v.push_back(nan ? std::nan("") : 0.1 + scale * normalizedEdge(x - shift, edge) + noise * gauss(random));
    }
    const double plain = fitter.fitPlain(e.data(), v.data(), points, s0);
    // Every instruction set built in that this processor runs, from plain
    // emulated vectors up to the widest.
    SimdTargets::force(0);
    const std::vector<SimdTargets::Target> targets = SimdTargets::available();
    QVERIFY(!targets.empty());
    for (const SimdTargets::Target& target : targets) {
        SimdTargets::force(target.bits);
        const double gathered = fitter.fit(e.data(), v.data(), points, s0);
        QVERIFY2(sameBits(plain, gathered), qPrintable(QString("%1: %2 != %3")
                                                           .arg(target.name)
                                                           .arg(plain, 0, 'g', 17)
                                                           .arg(gathered, 0, 'g', 17)));
    }
    SimdTargets::force(0);
    const double gathered = fitter.fit(e.data(), v.data(), points, s0);
    // A fit on a clean block lands near the true shift, so the rows do
    // exercise the search and not only its fallbacks.
    if (noise == 0.0 && scale > 0.0 && std::fabs(shift - s0) < 3.0 && points * step > 200.0)
        QVERIFY(std::fabs(gathered - shift) < 0.1);
}

QTEST_GUILESS_MAIN(TestShiftFitter)
#include "tst_shiftfitter.moc"
