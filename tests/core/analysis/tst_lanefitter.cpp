// Eight blocks normalised and fitted side by side give, lane for lane, the
// bits of the block-by-block code, on every instruction set the processor
// offers: shifts that keep the lanes on one reference segment, spread them
// over several, send one far away, or push points past a reference's ends and
// out of the common range.

#include "analysis/AnalysisSnapshots.h"
#include "analysis/BlockFitter.h"
#include "analysis/LaneFitter.h"
#include "base/SimdTargets.h"
#include "processing/EdgeNormalization.h"
#include "processing/LaneNormalization.h"

#include <QtTest>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int kLanes = LaneFitter::lanes;

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

double edgeShape(double e, double edge, double line, int seed)
{
    const double pre = 0.3 * std::pow(7100.0 / e, 3);
    const double step = 0.5 + std::atan((e - edge) / 1.5) / 3.141592653589793;
    const double white = line * std::exp(-std::pow((e - edge - 6) / 3.0, 2));
    return pre + step + white + 0.004 * std::sin(0.37 * e + seed);
}

ReferenceSnapshot reference(double edge, double line, bool victoreen)
{
    ReferenceSnapshot r;
    for (double e = 6940; e <= 7600; e += 0.25)
        r.spectrum.add(e, edgeShape(e, edge, line, 0));
    r.spectrum.setOffset(0.0, true);
    r.spectrum.normalize(victoreen);
    r.use = r.fileChosen = true;
    return r;
}

// A tile of n shared energies and eight spectra, each its own mixture.
struct Tile {
    std::vector<double> e, mu;   // mu[i * kLanes + l]
    std::vector<double> lane(int l) const
    {
        std::vector<double> v;
        for (std::size_t i = 0; i < e.size(); ++i)
            v.push_back(mu[i * kLanes + std::size_t(l)]);
        return v;
    }
};

Tile tile(int n)
{
    Tile t;
    for (int i = 0; i < n; ++i) {
        const double f = n > 1 ? double(i) / (n - 1) : 0.0;
        t.e.push_back(6950.0 + 550.0 * std::pow(f, 1.4));
    }
    for (int i = 0; i < n; ++i)
        for (int l = 0; l < kLanes; ++l) {
            const double w = 0.1 + 0.1 * l;
            t.mu.push_back(w * edgeShape(t.e[std::size_t(i)], 7112, 0.2, l)
                           + (1 - w) * edgeShape(t.e[std::size_t(i)], 7121, 0.8, l + 1));
        }
    return t;
}

} // namespace

class TestLaneFitter : public QObject
{
    Q_OBJECT
private slots:
    void lanesMatchBlocks_data();
    void lanesMatchBlocks();
    void cleanupTestCase() { SimdTargets::force(0); }
};

void TestLaneFitter::lanesMatchBlocks_data()
{
    QTest::addColumn<bool>("mlcf");
    QTest::addColumn<bool>("victoreen");
    QTest::addColumn<int>("points");
    QTest::addColumn<QString>("shifts");
    QTest::newRow("LCF, one shift") << false << false << 150 << "equal";
    QTest::newRow("LCF, shifts over segments") << false << false << 150 << "spread";
    QTest::newRow("LCF, Victoreen, shifts over segments") << false << true << 150 << "spread";
    QTest::newRow("LCF, one lane far off") << false << false << 150 << "far";
    QTest::newRow("LCF, past the reference ends") << false << false << 150 << "beyond";
    QTest::newRow("MLCF, shifts over segments") << true << false << 150 << "spread";
    QTest::newRow("MLCF, Victoreen, one lane far off") << true << true << 150 << "far";
    QTest::newRow("MLCF, past the reference ends") << true << false << 150 << "beyond";
    QTest::newRow("LCF, Victoreen, 4 points") << false << true << 4 << "spread";
    QTest::newRow("LCF, Victoreen, 3 points (no lines)") << false << true << 3 << "spread";
    QTest::newRow("LCF, 2 points (no lines)") << false << false << 2 << "equal";
    QTest::newRow("MLCF, 11 points") << true << false << 11 << "spread";
}

void TestLaneFitter::lanesMatchBlocks()
{
    QFETCH(bool, mlcf);
    QFETCH(bool, victoreen);
    QFETCH(int, points);
    QFETCH(QString, shifts);
    const QVector<ReferenceSnapshot> refs = {reference(7112, 0.2, victoreen), reference(7121, 0.8, victoreen),
                                             reference(7116, 0.5, victoreen)};
    BlockFitter::Plan plan;
    QVERIFY(BlockFitter::makePlan(mlcf, refs, &plan));
    QVERIFY(LaneFitter::suits(plan));
    const int used = plan.used();
    const Tile t = tile(points);
    double dE[kLanes];
    for (int l = 0; l < kLanes; ++l) {
        if (shifts == "equal")
            dE[l] = 0.7;
        else if (shifts == "far")
            dE[l] = l == 5 ? -40.0 : 0.3 * l;
        else if (shifts == "beyond")
            dE[l] = l % 2 ? 80.0 + l : -120.0 - l;
        else
            dE[l] = 2.5 * std::sin(1.7 * l);
    }

    // The block-by-block answers.
    std::vector<double> want(std::size_t(kLanes) * std::size_t(2 * used + 1));
    std::vector<double> wantJump(kLanes), wantNorm(std::size_t(kLanes) * std::size_t(points)), wantE0(kLanes);
    // What the edge maps read besides: the half-height energy, the midline
    // at every point and the post-edge line between, before and past the points.
    std::vector<double> wantEh(kLanes), wantMid(wantNorm.size()), wantPost(wantNorm.size() + 2 * kLanes);
    const double probeBefore = t.e.front() - 60.0, probePast = t.e.back() + 45.0;
    auto probe = [&](int i) { return i < 0 ? probeBefore : i >= points ? probePast : t.e[std::size_t(i)] + 0.37; };
    BlockFitter fitter(&plan);
    EdgeNormalization norm;
    for (int l = 0; l < kLanes; ++l) {
        const std::vector<double> mu = t.lane(l);
        double* r = want.data() + std::size_t(l) * std::size_t(2 * used + 1);
        QVERIFY(fitter.fit(t.e.data(), mu.data(), points, victoreen, dE[l], r, r + used, r + 2 * used));
        norm.compute(t.e.data(), mu.data(), points, victoreen);
        wantJump[std::size_t(l)] = norm.jump();
        wantE0[std::size_t(l)] = norm.e0();
        wantEh[std::size_t(l)] = norm.halfHeight();
        for (int i = 0; i < points; ++i) {
            wantNorm[std::size_t(l) * std::size_t(points) + std::size_t(i)] = norm.doubleNormalizedPreBase()[i];
            wantMid[std::size_t(l) * std::size_t(points) + std::size_t(i)] = norm.midlineAt(i);
        }
        for (int i = -1; i <= points; ++i)
            wantPost[std::size_t(l) * std::size_t(points + 2) + std::size_t(i + 1)] = norm.postValueAt(probe(i));
    }

    const std::vector<SimdTargets::Target> targets = SimdTargets::available();
    QVERIFY(!targets.empty());
    for (const SimdTargets::Target& target : targets) {
        SimdTargets::force(target.bits);
        LaneFitter lanes(&plan);
        std::vector<double> got(want.size(), -1.0);
        LaneFitter::Out out[kLanes];
        for (int l = 0; l < kLanes; ++l) {
            double* r = got.data() + std::size_t(l) * std::size_t(2 * used + 1);
            out[l].amounts = r;
            out[l].fractions = r + used;
            out[l].rFactor = r + 2 * used;
        }
        lanes.fit(t.e.data(), t.mu.data(), points, victoreen, dE, out);
        for (std::size_t k = 0; k < want.size(); ++k)
            QVERIFY2(sameBits(got[k], want[k]),
                     qPrintable(QString("%1: lane %2, value %3: %4 vs %5")
                                    .arg(target.name)
                                    .arg(k / std::size_t(2 * used + 1))
                                    .arg(k % std::size_t(2 * used + 1))
                                    .arg(got[k], 0, 'g', 17)
                                    .arg(want[k], 0, 'g', 17)));
        LaneNormalization laneNorm;
        laneNorm.compute(t.e.data(), t.mu.data(), points, victoreen);
        for (int l = 0; l < kLanes; ++l) {
            QVERIFY2(sameBits(laneNorm.jump(l), wantJump[std::size_t(l)]), qPrintable(target.name));
            QVERIFY2(sameBits(laneNorm.e0(l), wantE0[std::size_t(l)]), qPrintable(target.name));
            QVERIFY2(sameBits(laneNorm.halfHeight(l), wantEh[std::size_t(l)]), qPrintable(target.name));
            for (int i = 0; i < points; ++i)
                QVERIFY2(sameBits(laneNorm.midlineAt(l, i), wantMid[std::size_t(l) * std::size_t(points) + std::size_t(i)]),
                         qPrintable(QString("%1: midline, lane %2, point %3").arg(target.name).arg(l).arg(i)));
            for (int i = -1; i <= points; ++i)
                QVERIFY2(sameBits(laneNorm.postValueAt(l, probe(i)),
                                  wantPost[std::size_t(l) * std::size_t(points + 2) + std::size_t(i + 1)]),
                         qPrintable(QString("%1: post-edge line, lane %2, probe %3").arg(target.name).arg(l).arg(i)));
            if (!mlcf)
                QVERIFY2(sameBits(lanes.jump(l), wantJump[std::size_t(l)]), qPrintable(target.name));
            for (int i = 0; i < points; ++i)
                QVERIFY2(sameBits(laneNorm.doubleNormalizedPreBase()[std::size_t(i) * kLanes + std::size_t(l)],
                                  wantNorm[std::size_t(l) * std::size_t(points) + std::size_t(i)]),
                         qPrintable(QString("%1: lane %2, point %3").arg(target.name).arg(l).arg(i)));
        }
    }
    SimdTargets::force(0);
}

QTEST_GUILESS_MAIN(TestLaneFitter)
#include "tst_lanefitter.moc"
