#include "analysis/LinearCombinationFitter.h"
#include "MixtureSpectra.h"

#include <QtTest>
#include <cmath>
#include <limits>

using namespace MixtureSpectra;
using Doubles = QVector<double>;
using Refs = QVector<ReferenceSnapshot>;

namespace {

// Least squares the long way: normal equations from valueAt, Gauss-Jordan
// elimination with partial pivoting.
Doubles solveDense(QVector<Doubles> a, Doubles b)
{
    const int n = b.size();
    for (int c = 0; c < n; ++c) {
        int p = c;
        for (int r = c + 1; r < n; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[p][c]))
                p = r;
        std::swap(a[c], a[p]);
        std::swap(b[c], b[p]);
        for (int r = 0; r < n; ++r) {
            if (r == c)
                continue;
            const double f = a[r][c] / a[c][c];
            for (int k = c; k < n; ++k)
                a[r][k] -= f * a[c][k];
            b[r] -= f * b[c];
        }
    }
    for (int c = 0; c < n; ++c)
        b[c] /= a[c][c];
    return b;
}

Doubles independentFit(bool mlcf, const XafsSpectrum& s, const Refs& used)
{
    double lo = 0.0;
    double hi = 1e100;
    for (const ReferenceSnapshot& r : used) {
        lo = std::max(lo, r.spectrum.min().x - r.spectrum.offsetInForce());
        hi = std::min(hi, r.spectrum.max().x - r.spectrum.offsetInForce());
    }
    const int m = used.size() + (mlcf ? 2 : 0);
    QVector<Doubles> a(m, Doubles(m, 0.0));
    Doubles b(m, 0.0);
    for (int i = 0; i < s.count(); ++i) {
        const double x = s.x(i) - s.offsetInForce() - s.dE();
        if (x < lo || x > hi)
            continue;
        Doubles v;
        if (mlcf) {
            v << 1.0 << x;
        }
        for (const ReferenceSnapshot& r : used) {
            const double e = x + r.spectrum.offsetInForce();
            v << (mlcf ? r.spectrum.doubleNormalizedPostBase().valueAt(e) : r.spectrum.doubleNormalizedPreBase(e));
        }
        const double t = mlcf ? s.y(i) : s.doubleNormalizedPreBase().y(i);
        for (int k = 0; k < m; ++k) {
            for (int l = 0; l < m; ++l)
                a[k][l] += v[k] * v[l];
            b[k] += v[k] * t;
        }
    }
    Doubles c = solveDense(a, b);
    if (mlcf)
        c.remove(0, 2);
    return c;
}

// The fit quality by hand: the coefficients of the independent solution, then
// the residual of every point the fit uses, squared and summed, over the sum
// of the squared targets.
double independentRFactor(bool mlcf, const XafsSpectrum& s, const Refs& used)
{
    double lo = 0.0;
    double hi = 1e100;
    for (const ReferenceSnapshot& r : used) {
        lo = std::max(lo, r.spectrum.min().x - r.spectrum.offsetInForce());
        hi = std::min(hi, r.spectrum.max().x - r.spectrum.offsetInForce());
    }
    const int m = used.size() + (mlcf ? 2 : 0);
    QVector<Doubles> a(m, Doubles(m, 0.0));
    Doubles b(m, 0.0);
    QVector<Doubles> basis;
    Doubles targets;
    for (int i = 0; i < s.count(); ++i) {
        const double x = s.x(i) - s.offsetInForce() - s.dE();
        if (x < lo || x > hi)
            continue;
        Doubles v;
        if (mlcf)
            v << 1.0 << x;
        for (const ReferenceSnapshot& r : used) {
            const double e = x + r.spectrum.offsetInForce();
            v << (mlcf ? r.spectrum.doubleNormalizedPostBase().valueAt(e) : r.spectrum.doubleNormalizedPreBase(e));
        }
        const double t = mlcf ? s.y(i) : s.doubleNormalizedPreBase().y(i);
        for (int k = 0; k < m; ++k) {
            for (int l = 0; l < m; ++l)
                a[k][l] += v[k] * v[l];
            b[k] += v[k] * t;
        }
        basis << v;
        targets << t;
    }
    const Doubles c = solveDense(a, b);
    double residuals = 0.0, data = 0.0;
    for (int i = 0; i < targets.size(); ++i) {
        double model = 0.0;
        for (int k = 0; k < m; ++k)
            model += c[k] * basis[i][k];
        residuals += (targets[i] - model) * (targets[i] - model);
        data += targets[i] * targets[i];
    }
    return residuals / data;
}

bool close(double a, double b, double rel)
{
    return std::fabs(a - b) <= rel * std::max(1.0, std::fabs(b));
}

// The three realistic references of the MLCF cases, on grids of their own.
Refs realisticRefs()
{
    return {reference(realistic(7112, 15, 0.3, 6850, 8050, 2.5)),
            reference(realistic(7114, 25, 0.6, 6850, 8050, 3.0), 1.5),
            reference(realistic(7110, 9, 0.1, 6850, 8050, 2.0), -2.0)};
}

// mu = a + b x + sum c_j w_j(x + o_j) on a 2 eV grid inside the references.
XafsSpectrum mlcfSample(const Refs& refs, double a, double b, const Doubles& c)
{
    Spectrum raw;
    for (double e = 6950.0; e <= 7950.0; e += 2.0) {
        double mu = a + b * e;
        for (int j = 0; j < refs.size(); ++j)
            mu += c[j] * refs[j].spectrum.doubleNormalizedPostBase().valueAt(e + refs[j].spectrum.offsetInForce());
        raw.add(e, mu);
    }
    return XafsSpectrum(raw, true, 0.0);
}

} // namespace

class TestLinearCombinationFitter : public QObject
{
    Q_OBJECT
private slots:
    void flatShapesNormaliseExactly();
    void lcfRecoversMixture_data();
    void lcfRecoversMixture();
    void nonNegativeFitHoldsNegativeSharesAtZero_data();
    void nonNegativeFitHoldsNegativeSharesAtZero();
    void commonRangeIsInclusiveWithOffsets_data();
    void commonRangeIsInclusiveWithOffsets();
    void matchesIndependentSolution_data();
    void matchesIndependentSolution();
    void rFactorIsResidualOverData_data();
    void rFactorIsResidualOverData();
    void mlcfClampsAndDividesBySignedSum_data();
    void mlcfClampsAndDividesBySignedSum();
    void mlcfNonPositiveSumGivesNonFiniteFractions();
    void noResultWithoutPointsOrRows_data();
    void noResultWithoutPointsOrRows();
    void onlyRowsInUseWithAFileTakePart();
    void noUsedReferenceGivesZeroCurve();
    void curveUsesTheCurrentCoefficients();
    void curveIsOptional();
    void nanEnergyIsReportedInLcfOnly();
    void reusedFitterGivesSameResults();
};

void TestLinearCombinationFitter::flatShapesNormaliseExactly()
{
    // The premise of the exact mixture cases below.
    for (const Knots& k : {ramp(), whiteLine(), shoulder()}) {
        const XafsSpectrum s = flatShape(k);
        QCOMPARE(s.jump(), 1.0);
        for (int i = 0; i < s.count(); ++i)
            QCOMPARE(s.doubleNormalizedPreBase().y(i), s.y(i));
    }
}

void TestLinearCombinationFitter::lcfRecoversMixture_data()
{
    // The sample is scale * (f1 * ramp + f2 * white line); its pre-base
    // spectrum is divided by its own jump scale * (f1 + f2), so the fractions
    // come out as f / (f1 + f2).
    QTest::addColumn<double>("f1");
    QTest::addColumn<double>("f2");
    QTest::addColumn<double>("scale");
    QTest::addColumn<double>("fraction1");
    QTest::addColumn<double>("fraction2");
    QTest::newRow("0.3 and 0.7") << 0.3 << 0.7 << 1.0 << 0.3 << 0.7;
    QTest::newRow("0.3 and 0.7, jump 2.5") << 0.3 << 0.7 << 2.5 << 0.3 << 0.7;
    QTest::newRow("half and half") << 0.5 << 0.5 << 0.8 << 0.5 << 0.5;
    QTest::newRow("only the first") << 1.0 << 0.0 << 1.0 << 1.0 << 0.0;
    QTest::newRow("only the second") << 0.0 << 1.2 << 1.0 << 0.0 << 1.0;
    QTest::newRow("sum 1.25") << 0.25 << 1.0 << 1.0 << 0.2 << 0.8;
    QTest::newRow("negative jump") << 0.3 << 0.7 << -1.0 << 0.3 << 0.7;
    QTest::newRow("negative jump, larger") << 0.6 << 0.2 << -2.5 << 0.75 << 0.25;
}

void TestLinearCombinationFitter::lcfRecoversMixture()
{
    QFETCH(double, f1);
    QFETCH(double, f2);
    QFETCH(double, scale);
    QFETCH(double, fraction1);
    QFETCH(double, fraction2);
    const XafsSpectrum sample = flatMixture(ramp(), f1, whiteLine(), f2, scale);
    QVERIFY(std::fabs(sample.jump() - scale * (f1 + f2)) < 1e-12); // premise

    const Refs refs{reference(flatShape(ramp())), reference(flatShape(whiteLine()))};
    const std::optional<FitResult> r = fitLCF(sample, refs);
    QVERIFY(r.has_value());
    QCOMPARE(r->usedRows, QVector<int>({0, 1}));
    QCOMPARE(r->fractions.size(), 2);
    QVERIFY2(std::fabs(r->fractions[0] - fraction1) < 1e-9, qPrintable(QString::number(r->fractions[0], 'g', 17)));
    QVERIFY2(std::fabs(r->fractions[1] - fraction2) < 1e-9, qPrintable(QString::number(r->fractions[1], 'g', 17)));
    const double jump = std::max(0.0, sample.jump());
    QCOMPARE(r->amounts[0], r->fractions[0] * jump);
    QCOMPARE(r->amounts[1], r->fractions[1] * jump);
    if (scale < 0) {
        QCOMPARE(r->amounts[0], 0.0);
        QCOMPARE(r->amounts[1], 0.0);
    } else {
        QVERIFY(std::fabs(r->amounts[0] - scale * f1) < 1e-9);
        QVERIFY(std::fabs(r->amounts[1] - scale * f2) < 1e-9);
    }
}

void TestLinearCombinationFitter::nonNegativeFitHoldsNegativeSharesAtZero_data()
{
    QTest::addColumn<double>("f1");
    QTest::addColumn<double>("f2");
    QTest::newRow("both positive") << 0.3 << 0.7;
    QTest::newRow("second negative") << 1.3 << -0.3;
    QTest::newRow("first negative") << -0.2 << 1.2;
}

void TestLinearCombinationFitter::nonNegativeFitHoldsNegativeSharesAtZero()
{
    QFETCH(double, f1);
    QFETCH(double, f2);
    const XafsSpectrum sample = flatMixture(ramp(), f1, whiteLine(), f2, 1.0);
    const Refs refs{reference(flatShape(ramp())), reference(flatShape(whiteLine()))};
    FitOptions nonNegative;
    nonNegative.nonNegative = true;
    const std::optional<FitResult> free = fitLCF(sample, refs);
    const std::optional<FitResult> held = fitLCF(sample, refs, nonNegative);
    QVERIFY(free.has_value() && held.has_value());
    if (f1 >= 0.0 && f2 >= 0.0) {
        for (int j = 0; j < 2; ++j)
            QVERIFY(std::fabs(held->fractions[j] - free->fractions[j]) < 1e-12);
        return;
    }
    // The negative share is held at 0; the other one is the best single
    // reference fit, whose residual exceeds the exact unconstrained fit's.
    const int zero = f1 < 0.0 ? 0 : 1;
    QCOMPARE(held->fractions[zero], 0.0);
    QVERIFY(held->fractions[1 - zero] > 0.0);
    QVERIFY(held->rFactor > free->rFactor);
    QVERIFY(free->fractions[zero] < 0.0); // premise
}

void TestLinearCombinationFitter::commonRangeIsInclusiveWithOffsets_data()
{
    QTest::addColumn<double>("dE2");
    QTest::addColumn<double>("sampleDE");
    QTest::addColumn<double>("lo");
    QTest::addColumn<double>("hi");
    QTest::addColumn<double>("firstX");
    QTest::addColumn<double>("lastX");
    QTest::addColumn<int>("count");
    QTest::newRow("no offsets") << 0.0 << 0.0 << 7100.0 << 7400.0 << 7100.0 << 7400.0 << 61;
    QTest::newRow("dE 5 on the second") << 5.0 << 0.0 << 7095.0 << 7395.0 << 7095.0 << 7395.0 << 61;
    QTest::newRow("dE -5 on the second") << -5.0 << 0.0 << 7105.0 << 7405.0 << 7105.0 << 7405.0 << 61;
    // The sample's own correction moves its points, not the range.
    QTest::newRow("sample dE 2.5") << 0.0 << 2.5 << 7100.0 << 7400.0 << 7102.5 << 7397.5 << 60;
}

void TestLinearCombinationFitter::commonRangeIsInclusiveWithOffsets()
{
    QFETCH(double, dE2);
    QFETCH(double, sampleDE);
    QFETCH(double, lo);
    QFETCH(double, hi);
    QFETCH(double, firstX);
    QFETCH(double, lastX);
    QFETCH(int, count);

    auto edge = [](double e) { return 0.5 + std::atan((e - 7250.0) / 20.0) / 3.141592653589793; };
    const Refs refs{reference(XafsSpectrum(sampled(edge, 7000, 7500, 2.0), false, 0.0)),
                    reference(XafsSpectrum(sampled(edge, 7100, 7400, 2.0), false, 0.0), dE2)};
    XafsSpectrum sample(sampled(edge, 6900, 8000, 5.0), false, sampleDE);

    for (bool mlcf : {false, true}) {
        const std::optional<FitResult> r = mlcf ? fitMLCF(sample, refs) : fitLCF(sample, refs);
        QVERIFY(r.has_value());
        QCOMPARE(r->lo, lo);
        QCOMPARE(r->hi, hi);
        QVERIFY(r->hasCurve);
        QCOMPARE(r->curve.count(), count);
        QCOMPARE(r->curve.x(0), firstX);
        QCOMPARE(r->curve.x(count - 1), lastX);
        // The fit saw exactly the points of the curve: the independent sums
        // over the same inclusive range give the same coefficients.
        const Doubles expected = independentFit(mlcf, sample, refs);
        if (!mlcf) {
            for (int k = 0; k < 2; ++k)
                QVERIFY2(close(r->fractions[k], expected[k], 1e-9), qPrintable(QString::number(k)));
        }
    }
}

void TestLinearCombinationFitter::matchesIndependentSolution_data()
{
    QTest::addColumn<bool>("mlcf");
    QTest::addColumn<double>("sampleOffset");
    QTest::addColumn<double>("sampleDE");
    QTest::newRow("LCF") << false << 0.0 << 0.0;
    QTest::newRow("LCF, sample dE") << false << 0.0 << 1.7;
    QTest::newRow("LCF, sample offset and dE") << false << 3.0 << -0.9;
    QTest::newRow("MLCF") << true << 0.0 << 0.0;
    QTest::newRow("MLCF, sample offset and dE") << true << -2.0 << 1.3;
}

void TestLinearCombinationFitter::matchesIndependentSolution()
{
    QFETCH(bool, mlcf);
    QFETCH(double, sampleOffset);
    QFETCH(double, sampleDE);
    const Refs refs = realisticRefs();
    XafsSpectrum sample = realistic(7111.3, 13, 0.4, 6900, 8000, 1.7);
    sample.setOffset(sampleOffset, true);
    sample.setDE(sampleDE);
    const std::optional<FitResult> r = mlcf ? fitMLCF(sample, refs) : fitLCF(sample, refs);
    QVERIFY(r.has_value());
    const Doubles raw = independentFit(mlcf, sample, refs);
    QCOMPARE(r->fractions.size(), 3);
    if (mlcf) {
        double sum = 0.0;
        for (double c : raw)
            sum += c;
        for (int k = 0; k < 3; ++k) {
            const double clamped = std::max(0.0, raw[k]);
            QVERIFY2(close(r->amounts[k], clamped, 1e-7), qPrintable(QString::number(k)));
            QVERIFY2(close(r->fractions[k], clamped / std::max(0.0, sum), 1e-7), qPrintable(QString::number(k)));
        }
    } else {
        for (int k = 0; k < 3; ++k) {
            QVERIFY2(close(r->fractions[k], raw[k], 1e-9), qPrintable(QString::number(k)));
            QCOMPARE(r->amounts[k], r->fractions[k] * std::max(0.0, sample.jump()));
        }
    }
}

void TestLinearCombinationFitter::rFactorIsResidualOverData_data()
{
    QTest::addColumn<bool>("mlcf");
    QTest::addColumn<double>("sampleDE");
    QTest::newRow("LCF") << false << 0.0;
    QTest::newRow("LCF, sample dE") << false << 1.7;
    QTest::newRow("MLCF") << true << 0.0;
    QTest::newRow("MLCF, sample dE") << true << -1.3;
}

void TestLinearCombinationFitter::rFactorIsResidualOverData()
{
    QFETCH(bool, mlcf);
    QFETCH(double, sampleDE);
    const Refs refs = realisticRefs();
    XafsSpectrum sample = realistic(7111.3, 13, 0.4, 6900, 8000, 1.7);
    sample.setDE(sampleDE);
    const std::optional<FitResult> r = mlcf ? fitMLCF(sample, refs) : fitLCF(sample, refs);
    QVERIFY(r.has_value());
    const double expected = independentRFactor(mlcf, sample, refs);
    QVERIFY2(expected > 1e-6 && expected < 0.5, qPrintable(QString::number(expected)));
    QVERIFY2(std::fabs(r->rFactor - expected) <= 1e-6 * expected,
             qPrintable(QString("%1 vs %2").arg(r->rFactor, 0, 'g', 17).arg(expected, 0, 'g', 17)));
}

void TestLinearCombinationFitter::mlcfClampsAndDividesBySignedSum_data()
{
    QTest::addColumn<Doubles>("c");
    QTest::addColumn<Doubles>("fractions");
    QTest::addColumn<Doubles>("amounts");
    QTest::newRow("all positive") << Doubles{0.2, 0.3, 0.5} << Doubles{0.2, 0.3, 0.5} << Doubles{0.2, 0.3, 0.5};
    QTest::newRow("unnormalised") << Doubles{0.4, 0.6, 1.0} << Doubles{0.2, 0.3, 0.5} << Doubles{0.4, 0.6, 1.0};
    // The sum 0.7 keeps the negative -0.2.
    QTest::newRow("one negative") << Doubles{0.5, -0.2, 0.4} << Doubles{0.5 / 0.7, 0.0, 0.4 / 0.7}
                                  << Doubles{0.5, 0.0, 0.4};
    QTest::newRow("two negative") << Doubles{-0.1, -0.3, 0.8} << Doubles{0.0, 0.0, 2.0} << Doubles{0.0, 0.0, 0.8};
}

void TestLinearCombinationFitter::mlcfClampsAndDividesBySignedSum()
{
    QFETCH(Doubles, c);
    QFETCH(Doubles, fractions);
    QFETCH(Doubles, amounts);
    const Refs refs = realisticRefs();
    const XafsSpectrum sample = mlcfSample(refs, 0.37, 2.0e-5, c);
    const std::optional<FitResult> r = fitMLCF(sample, refs);
    QVERIFY(r.has_value());
    QCOMPARE(r->fractions.size(), 3);
    for (int k = 0; k < 3; ++k) {
        QVERIFY2(std::fabs(r->amounts[k] - amounts[k]) < 1e-7,
                 qPrintable(QStringLiteral("amount %1: %2").arg(k).arg(r->amounts[k], 0, 'g', 17)));
        QVERIFY2(std::fabs(r->fractions[k] - fractions[k]) < 1e-7,
                 qPrintable(QStringLiteral("fraction %1: %2").arg(k).arg(r->fractions[k], 0, 'g', 17)));
        QVERIFY(r->amounts[k] >= 0.0);
    }
}

void TestLinearCombinationFitter::mlcfNonPositiveSumGivesNonFiniteFractions()
{
    const Refs refs = realisticRefs();
    const XafsSpectrum sample = mlcfSample(refs, 0.37, 2.0e-5, {0.2, -0.5, 0.1});
    const std::optional<FitResult> r = fitMLCF(sample, refs);
    QVERIFY(r.has_value());
    QVERIFY(std::isinf(r->fractions[0]));
    QVERIFY(std::isnan(r->fractions[1])); // 0 / 0
    QVERIFY(std::isinf(r->fractions[2]));
    QVERIFY(std::fabs(r->amounts[0] - 0.2) < 1e-7);
    QCOMPARE(r->amounts[1], 0.0);
    QVERIFY(std::fabs(r->amounts[2] - 0.1) < 1e-7);
}

void TestLinearCombinationFitter::noResultWithoutPointsOrRows_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("emptySample");
    QTest::newRow("no rows") << 0 << false;
    QTest::newRow("one row") << 1 << false;
    QTest::newRow("no sample points") << 3 << true;
}

void TestLinearCombinationFitter::noResultWithoutPointsOrRows()
{
    QFETCH(int, rows);
    QFETCH(bool, emptySample);
    Refs refs;
    for (int i = 0; i < rows; ++i)
        refs << reference(flatShape(ramp()));
    const XafsSpectrum sample = emptySample ? XafsSpectrum() : flatMixture(ramp(), 0.5, whiteLine(), 0.5, 1.0);
    QVERIFY(!fitLCF(sample, refs).has_value());
    QVERIFY(!fitMLCF(sample, refs).has_value());

    // A fitter leaves the result of its last fit alone.
    LinearCombinationFitter fitter;
    FitResult out;
    out.fractions = {42.0};
    QVERIFY(!fitter.fit(LinearCombinationFitter::LCF, sample, refs, FitOptions(), out));
    QCOMPARE(out.fractions, Doubles{42.0});
}

void TestLinearCombinationFitter::onlyRowsInUseWithAFileTakePart()
{
    const XafsSpectrum sample = flatMixture(ramp(), 0.3, whiteLine(), 0.7, 1.0);
    const Refs refs{reference(flatShape(shoulder()), 0.0, false, true),  // use box off
                    reference(flatShape(ramp())),
                    reference(flatShape(shoulder()), 0.0, true, false), // no file chosen
                    reference(flatShape(whiteLine()))};
    const std::optional<FitResult> r = fitLCF(sample, refs);
    QVERIFY(r.has_value());
    QCOMPARE(r->usedRows, QVector<int>({1, 3}));
    QVERIFY(std::fabs(r->fractions[0] - 0.3) < 1e-9);
    QVERIFY(std::fabs(r->fractions[1] - 0.7) < 1e-9);
}

void TestLinearCombinationFitter::noUsedReferenceGivesZeroCurve()
{
    auto line = [](double e) { return e / 10.0; };
    const XafsSpectrum sample(sampled(line, -10.0, 10.0, 1.0), false, 0.0);
    const Refs refs{reference(flatShape(ramp()), 0.0, false), reference(flatShape(whiteLine()), 0.0, false)};
    for (bool mlcf : {false, true}) {
        const std::optional<FitResult> r = mlcf ? fitMLCF(sample, refs) : fitLCF(sample, refs);
        QVERIFY(r.has_value());
        QVERIFY(r->fractions.isEmpty());
        QVERIFY(r->amounts.isEmpty());
        QCOMPARE(r->curve.count(), 11); // x = 0 ... 10
        QCOMPARE(r->curve.x(0), 0.0);
        for (int i = 0; i < r->curve.count(); ++i)
            QCOMPARE(r->curve.y(i), 0.0);
    }
}

void TestLinearCombinationFitter::curveUsesTheCurrentCoefficients()
{
    const XafsSpectrum sample = flatMixture(ramp(), 0.3, whiteLine(), 0.7, 1.0);
    const XafsSpectrum r1 = flatShape(ramp());
    const XafsSpectrum r2 = flatShape(whiteLine());
    const Refs refs{reference(r1, 0.0, true, true, 0.2), reference(r2, 0.0, true, true, 0.9)};

    FitOptions fresh;
    const std::optional<FitResult> a = fitLCF(sample, refs, fresh);
    QVERIFY(a.has_value());
    QCOMPARE(a->coefficients, a->fractions);
    QCOMPARE(a->curve.count(), sample.count());
    for (int i = 0; i < sample.count(); ++i)
        QVERIFY(std::fabs(a->curve.y(i) - sample.y(i)) < 1e-9);

    FitOptions shown;
    shown.freshCoefficients = false;
    const std::optional<FitResult> b = fitLCF(sample, refs, shown);
    QVERIFY(b.has_value());
    QCOMPARE(b->fractions, a->fractions);
    QCOMPARE(b->coefficients, Doubles({0.2, 0.9}));
    for (int i = 0; i < sample.count(); ++i)
        QCOMPARE(b->curve.y(i), 0.0 + 0.2 * r1.y(i) + 0.9 * r2.y(i));

    // MLCF curves are drawn with the pre-base spectra as well.
    const std::optional<FitResult> c = fitMLCF(sample, refs, shown);
    QVERIFY(c.has_value());
    for (int i = 0; i < sample.count(); ++i)
        QCOMPARE(c->curve.y(i), b->curve.y(i));
    QVERIFY(!c->curve.victoreen());
    QCOMPARE(c->curve.dE(), 0.0);
}

void TestLinearCombinationFitter::curveIsOptional()
{
    const XafsSpectrum sample = flatMixture(ramp(), 0.3, whiteLine(), 0.7, 1.0);
    const Refs refs{reference(flatShape(ramp())), reference(flatShape(whiteLine()))};
    FitOptions options;
    options.curve = false;
    const std::optional<FitResult> r = fitLCF(sample, refs, options);
    QVERIFY(r.has_value());
    QVERIFY(!r->hasCurve);
    QCOMPARE(r->curve.count(), 0);
    QVERIFY(std::fabs(r->fractions[0] - 0.3) < 1e-9);
}

namespace {
int nanMessages = 0;
void countNanMessages(QtMsgType, const QMessageLogContext&, const QString& msg)
{
    if (msg == QLatin1String("nan EeV in XafsSpectrum::doubleNormalizedPreBase"))
        ++nanMessages;
}
} // namespace

void TestLinearCombinationFitter::nanEnergyIsReportedInLcfOnly()
{
    // A NaN correction makes every corrected energy NaN; NaN is not outside
    // the range, so every point enters and every evaluation is noted; the
    // message comes once per run, the count at its end.
    XafsSpectrum sample = flatMixture(ramp(), 0.5, whiteLine(), 0.5, 1.0);
    sample.setDE(std::numeric_limits<double>::quiet_NaN());
    const Refs refs{reference(flatShape(ramp())), reference(flatShape(whiteLine()))};
    const int n = sample.count();

    const QtMessageHandler previous = qInstallMessageHandler(countNanMessages);
    FitOptions noCurve;
    noCurve.curve = false;
    NanEnergies::endRun();
    nanMessages = 0;
    const std::optional<FitResult> lcf = fitLCF(sample, refs, noCurve);
    fitLCF(sample, refs, noCurve);
    const int lcfMessages = nanMessages;
    const qint64 lcfNoted = NanEnergies::endRun();
    nanMessages = 0;
    const std::optional<FitResult> lcfCurve = fitLCF(sample, refs);
    const qint64 lcfCurveNoted = NanEnergies::endRun();
    nanMessages = 0;
    const std::optional<FitResult> mlcf = fitMLCF(sample, refs, noCurve);
    const int mlcfMessages = nanMessages;
    const qint64 mlcfNoted = NanEnergies::endRun();
    qInstallMessageHandler(previous);

    QVERIFY(lcf && lcfCurve && mlcf);
    QCOMPARE(lcfMessages, 1);
    QCOMPARE(lcfNoted, qint64(4 * n));
    QCOMPARE(lcfCurveNoted, qint64(4 * n));
    QCOMPARE(mlcfMessages, 0);
    QCOMPARE(mlcfNoted, qint64(0));
    QCOMPARE(lcfCurve->curve.count(), n);
}

void TestLinearCombinationFitter::reusedFitterGivesSameResults()
{
    const Refs refs = realisticRefs();
    const XafsSpectrum s1 = realistic(7111.3, 13, 0.4, 6900, 8000, 1.7);
    const XafsSpectrum s2 = mlcfSample(refs, 0.1, 0.0, {0.3, 0.3, 0.4});
    LinearCombinationFitter fitter;
    FitResult out;
    for (int round = 0; round < 3; ++round) {
        for (const XafsSpectrum* s : {&s1, &s2}) {
            for (auto method : {LinearCombinationFitter::LCF, LinearCombinationFitter::MLCF}) {
                QVERIFY(fitter.fit(method, *s, refs, FitOptions(), out));
                const std::optional<FitResult> once =
                    method == LinearCombinationFitter::LCF ? fitLCF(*s, refs) : fitMLCF(*s, refs);
                QCOMPARE(out.fractions, once->fractions);
                QCOMPARE(out.amounts, once->amounts);
            }
        }
    }
}

QTEST_GUILESS_MAIN(TestLinearCombinationFitter)
#include "tst_linearcombinationfitter.moc"
