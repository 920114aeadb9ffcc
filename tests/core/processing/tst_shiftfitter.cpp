#include "base/SimdTargets.h"
#include "physics/Spectrum.h"
#include "processing/ShiftFitter.h"
#include "processing/ShiftSums.h"

#include <QtTest>
#include <algorithm>
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

// The shift chosen by costing every trial shift: the cheapest one, moved to
// the vertex of the parabola through it and its neighbours.
double exhaustiveShift(const ShiftFitter& fitter, const std::vector<double>& e, const std::vector<double>& v,
                       double s0)
{
    const double lo = fitter.standardEdge() + s0 + ShiftFitter::regionLo;
    const double hi = fitter.standardEdge() + s0 + ShiftFitter::regionHi;
    int region = 0;
    for (std::size_t i = 0; i < e.size(); ++i)
        region += e[i] >= lo && e[i] <= hi && std::isfinite(v[i]) ? 1 : 0;
    if (!std::isfinite(s0) || region < ShiftFitter::minPoints)
        return s0;
    const int steps = int(2.0 * ShiftFitter::searchHalfWidth / ShiftFitter::searchStep + 0.5) + 1;
    std::vector<double> costs;
    for (int k = 0; k < steps; ++k) {
        costs.push_back(fitter.cost(e.data(), v.data(), int(e.size()), s0,
                                    s0 - ShiftFitter::searchHalfWidth + k * ShiftFitter::searchStep));
        if (std::isnan(costs.back()))
            return s0;
    }
    const int best = int(std::min_element(costs.begin(), costs.end()) - costs.begin());
    const double sBest = s0 - ShiftFitter::searchHalfWidth + best * ShiftFitter::searchStep;
    if (best == 0 || best == steps - 1)
        return sBest;
    const double a = costs[best - 1], b = costs[best], c = costs[best + 1];
    if (!(a - 2.0 * b + c > 0.0))
        return sBest;
    return sBest + qBound(-1.0, 0.5 * (a - c) / (a - 2.0 * b + c), 1.0) * ShiftFitter::searchStep;
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
    void laneTableSumsEqualLookups_data();
    void laneTableSumsEqualLookups();
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
    // The search costs half the trial shifts; it lands where costing all
    // of them does (a flat block costs the same at every shift, up to
    // rounding, so any trial is as good there).
    const double everyTrial = exhaustiveShift(fitter, e, v, s0);
    if (scale > 0.0)
        QVERIFY2(sameBits(everyTrial, gathered) || std::fabs(everyTrial - gathered) < 1e-9,
                 qPrintable(QString("every trial %1, search %2").arg(everyTrial, 0, 'g', 17).arg(gathered, 0, 'g', 17)));
    // A fit on a clean block lands near the true shift, so the rows do
    // exercise the search and not only its fallbacks.
    if (noise == 0.0 && scale > 0.0 && std::fabs(shift - s0) < 3.0 && points * step > 200.0)
        QVERIFY(std::fabs(gathered - shift) < 0.1);
}

// The sums read through the lane table against the value-by-value lookup
// (u = (x - s - start) / step, end values outside), on every instruction set.
void TestShiftFitter::laneTableSumsEqualLookups_data()
{
    QTest::addColumn<double>("firstShift");
    QTest::addColumn<double>("shiftStep");   // between the trial shifts
    QTest::addColumn<double>("tableStep");   // the step the lane table is made for
    QTest::addColumn<int>("shifts");
    QTest::addColumn<double>("pointStep");   // between the points
    QTest::addColumn<double>("firstValue");  // the table's first value

    QTest::newRow("33 shifts, as the fit") << -4.0 << 0.25 << 0.25 << 33 << 0.37 << 0.1;
    QTest::newRow("points on table nodes") << -4.0 << 0.25 << 0.25 << 33 << 0.5 << 0.1;
    QTest::newRow("one shift") << 0.3 << 0.25 << 0.25 << 1 << 0.37 << 0.1;
    QTest::newRow("seven shifts") << 0.3 << 0.25 << 0.25 << 7 << 0.37 << 0.1;
    QTest::newRow("nine shifts") << 0.3 << 0.25 << 0.25 << 9 << 0.37 << 0.1;
    QTest::newRow("shifts past the low end") << 25.0 << 0.25 << 0.25 << 33 << 0.37 << 0.1;
    QTest::newRow("shifts past the high end") << -45.0 << 0.25 << 0.25 << 33 << 0.37 << 0.1;
    QTest::newRow("decreasing shifts") << 4.0 << -0.25 << 0.25 << 33 << 0.37 << 0.1;
    QTest::newRow("another step than the table's") << -4.0 << 0.3 << 0.25 << 33 << 0.37 << 0.1;
    QTest::newRow("negative zero at the low end") << 25.0 << 0.25 << 0.25 << 33 << 0.37 << -0.0;
}

void TestShiftFitter::laneTableSumsEqualLookups()
{
    QFETCH(double, firstShift);
    QFETCH(double, shiftStep);
    QFETCH(double, tableStep);
    QFETCH(int, shifts);
    QFETCH(double, pointStep);
    QFETCH(double, firstValue);

    // A standard over 7080 ... 7140 eV in 0.02 eV steps.
    std::vector<double> values;
    for (int i = 0; i < 3001; ++i)
        values.push_back(i == 0 ? firstValue : normalizedEdge(7080.0 + 0.02 * i, 7112.0));
    ShiftSums::Table table;
    table.values = values.data();
    table.count = int(values.size());
    table.start = 7080.0;
    table.inverseStep = 50.0;
    const ShiftSums::LaneTable lanes = ShiftSums::makeLaneTable(table, tableStep);
    std::vector<double> pe, pv, s;
    for (double x = 7085.0; x < 7135.0; x += pointStep) {
        pe.push_back(x);
        pv.push_back(normalizedEdge(x - 0.4, 7112.0));
    }
    for (int k = 0; k < shifts; ++k)
        s.push_back(firstShift + k * shiftStep);
    const int m = int(pe.size());
    const std::vector<double> zeros(std::size_t(shifts), 0.0);
    std::vector<double> st = zeros, stt = zeros, stv = zeros, rt = zeros, rtt = zeros, rtv = zeros;
    for (int k = 0; k < shifts; ++k) {
        for (int j = 0; j < m; ++j) {
            const double u = (pe[std::size_t(j)] - s[std::size_t(k)] - table.start) * table.inverseStep;
            double t = values.back();
            if (!(u > 0.0)) {
                t = values.front();
            } else if (u < table.count - 1) {
                const int i = int(u);
                t = values[std::size_t(i)] + (values[std::size_t(i) + 1] - values[std::size_t(i)]) * (u - i);
            }
            rt[std::size_t(k)] += t;
            rtt[std::size_t(k)] += t * t;
            rtv[std::size_t(k)] += t * pv[std::size_t(j)];
        }
    }
    table.lanes = &lanes;
    SimdTargets::force(0);
    for (const SimdTargets::Target& target : SimdTargets::available()) {
        SimdTargets::force(target.bits);
        ShiftSums::compute(table, pe.data(), pv.data(), m, s.data(), shifts, st.data(), stt.data(), stv.data());
        for (int k = 0; k < shifts; ++k) {
            const std::size_t i = std::size_t(k);
            QVERIFY2(sameBits(st[i], rt[i]) && sameBits(stt[i], rtt[i]) && sameBits(stv[i], rtv[i]),
                     qPrintable(QString("%1, shift %2: %3 != %4").arg(target.name).arg(k)
                                    .arg(st[i], 0, 'g', 17).arg(rt[i], 0, 'g', 17)));
        }
    }
    SimdTargets::force(0);
    // Ends of -0 would not survive the row read: no lane table then.
    QCOMPARE(lanes.rowCount > 0, !std::signbit(firstValue));
}

QTEST_GUILESS_MAIN(TestShiftFitter)
#include "tst_shiftfitter.moc"
