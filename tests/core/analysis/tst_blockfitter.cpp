#include "analysis/AnalysisSnapshots.h"
#include "analysis/BlockFitter.h"
#include "analysis/LinearCombinationFitter.h"
#include "physics/XafsSpectrum.h"
#include "processing/EdgeNormalization.h"

#include <QtTest>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

// An edge at `edge` eV with a white line and a falling pre-edge, plus a small
// deterministic wiggle that stands in for noise.
double edgeShape(double e, double edge, double line, int seed)
{
    const double pre = 0.3 * std::pow(7100.0 / e, 3);
    const double step = 0.5 + std::atan((e - edge) / 1.5) / 3.141592653589793;
    const double white = line * std::exp(-std::pow((e - edge - 6) / 3.0, 2));
    return pre + step + white + 0.004 * std::sin(0.37 * e + seed);
}

struct Points {
    std::vector<double> e, mu;
    Spectrum spectrum() const
    {
        Spectrum s;
        for (std::size_t i = 0; i < e.size(); ++i)
            s.add(e[i], mu[i]);
        return s;
    }
};

// n scan energies from 6950 eV, denser near the edge; `shuffle` swaps
// neighbours to make an out-of-order series.
Points scan(int n, int seed, bool shuffle = false)
{
    Points p;
    for (int i = 0; i < n; ++i) {
        const double f = n > 1 ? double(i) / (n - 1) : 0.0;
        const double e = 6950.0 + 550.0 * std::pow(f, 1.4);
        p.e.push_back(e);
        p.mu.push_back(0.8 * (0.5 * edgeShape(e, 7112, 0.2, seed) + 0.5 * edgeShape(e, 7121, 0.8, seed + 1)));
    }
    if (shuffle)
        for (int i = 1; i + 1 < n; i += 7)
            std::swap(p.e[std::size_t(i)], p.e[std::size_t(i) + 1]);
    return p;
}

ReferenceSnapshot reference(double edge, double line, bool victoreen, double dE = 0.0, double step = 0.25)
{
    ReferenceSnapshot r;
    for (double e = 6940; e <= 7600; e += step)
        r.spectrum.add(e, edgeShape(e, edge, line, 0));
    r.spectrum.setOffset(dE, true);
    r.spectrum.normalize(victoreen);
    r.use = r.fileChosen = true;
    return r;
}

QVector<ReferenceSnapshot> references(bool victoreen)
{
    return {reference(7112, 0.2, victoreen), reference(7121, 0.8, victoreen), reference(7116, 0.5, victoreen)};
}

} // namespace

class TestBlockFitter : public QObject
{
    Q_OBJECT
private slots:
    void normalizationMatchesXafsSpectrum_data();
    void normalizationMatchesXafsSpectrum();
    void fitMatchesEngine_data();
    void fitMatchesEngine();
    void walkingAcrossBlocksKeepsValues();
    void noResultCases();
};

void TestBlockFitter::normalizationMatchesXafsSpectrum_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("victoreen");
    QTest::addColumn<bool>("shuffle");
    QTest::newRow("150 points, straight") << 150 << false << false;
    QTest::newRow("150 points, Victoreen") << 150 << true << false;
    QTest::newRow("out of order, Victoreen") << 150 << true << true;
    QTest::newRow("out of order, straight") << 90 << false << true;
    QTest::newRow("4 points, Victoreen") << 4 << true << false;
    QTest::newRow("3 points, Victoreen: no lines") << 3 << true << false;
    QTest::newRow("3 points, straight") << 3 << false << false;
    QTest::newRow("2 points, straight: no lines") << 2 << false << false;
    QTest::newRow("1 point") << 1 << true << false;
}

void TestBlockFitter::normalizationMatchesXafsSpectrum()
{
    QFETCH(int, points);
    QFETCH(bool, victoreen);
    QFETCH(bool, shuffle);
    const Points p = scan(points, 3, shuffle);
    const XafsSpectrum x(p.spectrum(), victoreen, 0.7);
    EdgeNormalization n;
    n.compute(p.e.data(), p.mu.data(), points, victoreen);
    QVERIFY2(sameBits(n.e0(), x.e0()), qPrintable(QString("e0 %1 vs %2").arg(n.e0()).arg(x.e0())));
    QVERIFY2(sameBits(n.jump(), x.jump()), qPrintable(QString("jump %1 vs %2").arg(n.jump()).arg(x.jump())));
    for (int i = 0; i < points; ++i)
        QVERIFY2(sameBits(n.doubleNormalizedPreBase()[i], x.doubleNormalizedPreBase().y(i)),
                 qPrintable(QString("point %1").arg(i)));
}

void TestBlockFitter::fitMatchesEngine_data()
{
    QTest::addColumn<bool>("mlcf");
    QTest::addColumn<bool>("victoreen");
    QTest::addColumn<int>("points");
    QTest::addColumn<double>("dE");
    QTest::addColumn<QString>("variant");
    QTest::newRow("LCF") << false << false << 150 << 0.8 << "";
    QTest::newRow("LCF, Victoreen") << false << true << 150 << -1.3 << "";
    QTest::newRow("MLCF") << true << false << 150 << 2.1 << "";
    QTest::newRow("LCF, out-of-order scan") << false << false << 120 << 0.4 << "shuffle";
    QTest::newRow("LCF, one row unused") << false << false << 150 << 0.4 << "unused";
    QTest::newRow("MLCF, one row unused") << true << false << 150 << 0.4 << "unused";
    QTest::newRow("LCF, no row used") << false << false << 150 << 0.4 << "none";
    QTest::newRow("LCF, reference out of order") << false << false << 150 << 0.4 << "unordered";
    QTest::newRow("LCF, reference dE and narrow range") << false << false << 150 << 0.4 << "narrow";
    QTest::newRow("LCF, NaN shift") << false << false << 150 << std::nan("") << "";
    QTest::newRow("MLCF, NaN shift") << true << false << 150 << std::nan("") << "";
    QTest::newRow("LCF, 3 points") << false << true << 3 << 0.0 << "";
    QTest::newRow("LCF, 1 point") << false << false << 1 << 0.0 << "";
    QTest::newRow("MLCF, 2 points") << true << false << 2 << 0.0 << "";
    QTest::newRow("LCF, 6 references") << false << false << 150 << 0.4 << "six";
    QTest::newRow("MLCF, 7 references (generic sums)") << true << false << 150 << 0.4 << "seven";
}

void TestBlockFitter::fitMatchesEngine()
{
    QFETCH(bool, mlcf);
    QFETCH(bool, victoreen);
    QFETCH(int, points);
    QFETCH(double, dE);
    QFETCH(QString, variant);
    const Points p = scan(points, 5, variant == "shuffle");
    QVector<ReferenceSnapshot> refs = references(victoreen);
    if (variant == "unused")
        refs[1].use = false;
    if (variant == "none")
        for (ReferenceSnapshot& r : refs)
            r.fileChosen = false;
    if (variant == "unordered") {
        // A reference whose file lists two energies out of order.
        Spectrum s;
        for (double e = 6940; e <= 7600; e += 0.5)
            s.add(e == 7200 ? 7200.7 : e, edgeShape(e, 7116, 0.5, 2));
        refs[2].spectrum = XafsSpectrum(s, false, 0.0);
        refs[2].spectrum.setOffset(0.0, true);
        refs[2].spectrum.normalize(false);
    }
    if (variant == "narrow") {
        refs[0] = reference(7112, 0.2, victoreen, 3.5);
        refs[1].spectrum = XafsSpectrum();
        Spectrum s;
        for (double e = 7050; e <= 7300; e += 1.0)
            s.add(e, edgeShape(e, 7121, 0.8, 0));
        refs[1].spectrum = XafsSpectrum(s, false, 0.0);
        refs[1].spectrum.setOffset(-2.0, true);
        refs[1].spectrum.normalize(false);
    }
    if (variant == "six" || variant == "seven")
        for (int k = 3; k < (variant == "six" ? 6 : 7); ++k)
            refs.append(reference(7110 + 2 * k, 0.1 * k, false, 0.0, 0.5 + 0.25 * k));

    BlockFitter::Plan plan;
    QVERIFY(BlockFitter::makePlan(mlcf, refs, &plan));
    BlockFitter fitter(&plan);
    std::vector<double> amounts(std::size_t(refs.size())), fractions(std::size_t(refs.size()));
    QVERIFY(fitter.fit(p.e.data(), p.mu.data(), points, victoreen, dE, amounts.data(), fractions.data()));

    LinearCombinationFitter engine;
    FitResult result;
    FitOptions options;
    options.curve = false;
    const XafsSpectrum sample(p.spectrum(), victoreen, dE);
    QVERIFY(engine.fit(mlcf ? LinearCombinationFitter::MLCF : LinearCombinationFitter::LCF, sample, refs,
                       options, result));
    QCOMPARE(plan.usedRows, result.usedRows);
    for (int k = 0; k < result.usedRows.size(); ++k) {
        QVERIFY2(sameBits(fractions[std::size_t(k)], result.fractions[k]),
                 qPrintable(QString("fraction %1: %2 vs %3").arg(k).arg(fractions[std::size_t(k)], 0, 'g', 17)
                                .arg(result.fractions[k], 0, 'g', 17)));
        QVERIFY(sameBits(amounts[std::size_t(k)], result.amounts[k]));
    }
}

void TestBlockFitter::walkingAcrossBlocksKeepsValues()
{
    // One fitter over many blocks whose shifts wander up and down by several
    // reference steps: every fit equals a fresh engine fit.
    const QVector<ReferenceSnapshot> refs = references(false);
    BlockFitter::Plan plan;
    QVERIFY(BlockFitter::makePlan(false, refs, &plan));
    BlockFitter fitter(&plan);
    LinearCombinationFitter engine;
    FitResult result;
    FitOptions options;
    options.curve = false;
    double amounts[3], fractions[3];
    for (int b = 0; b < 40; ++b) {
        const Points p = scan(b % 5 == 4 ? 140 : 150, b);
        const double dE = 3.0 * std::sin(0.9 * b);
        QVERIFY(fitter.fit(p.e.data(), p.mu.data(), int(p.e.size()), false, dE, amounts, fractions));
        QVERIFY(engine.fit(LinearCombinationFitter::LCF, XafsSpectrum(p.spectrum(), false, dE), refs, options,
                           result));
        for (int k = 0; k < 3; ++k)
            QVERIFY2(sameBits(fractions[k], result.fractions[k]), qPrintable(QString("block %1").arg(b)));
    }
    // The fit means something: without a shift the scan is half the first and
    // half the second reference.
    const Points p = scan(150, 0);
    QVERIFY(fitter.fit(p.e.data(), p.mu.data(), 150, false, 0.0, amounts, fractions));
    QVERIFY2(std::fabs(fractions[0] - 0.5) < 0.1 && std::fabs(fractions[1] - 0.5) < 0.1
                 && std::fabs(fractions[2]) < 0.1,
             qPrintable(QString("%1 %2 %3").arg(fractions[0]).arg(fractions[1]).arg(fractions[2])));
}

void TestBlockFitter::noResultCases()
{
    BlockFitter::Plan plan;
    QVERIFY(!BlockFitter::makePlan(false, {reference(7112, 0.2, false)}, &plan));
    QVERIFY(!BlockFitter::makePlan(true, {}, &plan));
    QVERIFY(BlockFitter::makePlan(false, references(false), &plan));
    BlockFitter fitter(&plan);
    double amounts[3] = {7, 7, 7}, fractions[3] = {7, 7, 7};
    QVERIFY(!fitter.fit(nullptr, nullptr, 0, false, 0.0, amounts, fractions));
    QCOMPARE(amounts[0], 7.0);
    QCOMPARE(fractions[2], 7.0);
}

QTEST_GUILESS_MAIN(TestBlockFitter)
#include "tst_blockfitter.moc"
