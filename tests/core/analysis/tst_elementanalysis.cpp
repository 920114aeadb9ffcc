#include "analysis/ElementAnalysis.h"
#include "analysis/NearestPointFinder.h"
#include "physics/EdgeTable.h"

#include <QtTest>
#include <cmath>
#include <functional>
#include <limits>
#include <random>

using Doubles = QVector<double>;
using Rows = QVector<ElementSnapshot>;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const int Fe = 26;

double feK() { return 1000.0 * EdgeTable::global().edgeEnergy(Fe, EdgeTable::K); }

// Points at E0 + k for k = -60 ... 60 with mu given as a function of k.
XafsSpectrum onGrid(const std::function<double(int)>& mu)
{
    Spectrum s;
    const double e0 = feK();
    for (int k = -60; k <= 60; ++k)
        s.add(e0 + k, mu(k));
    return XafsSpectrum(s, false, 0.0);
}

// 0.25 below the edge, 1.25 above it, a straight ramp 8 eV wide centred at
// E0 + centre.
XafsSpectrum rampEdge(double centre)
{
    return onGrid([centre](int k) {
        const double t = (k - (centre - 4.0)) / 8.0;
        return 0.25 + std::min(1.0, std::max(0.0, t));
    });
}

// Explicit values at k = -3 ... 4; 0.25 below, 1.25 above.
XafsSpectrum stepped(const Doubles& values)
{
    return onGrid([values](int k) {
        if (k < -3)
            return 0.25;
        if (k - (-3) >= values.size())
            return 1.25;
        return values[k + 3];
    });
}

ElementSnapshot row(double dE, double roiStart, double roiEnd, double threshold = 0.0, bool noNeg = false,
                    int z = Fe)
{
    ElementSnapshot r;
    r.z = z;
    r.edge = EdgeTable::K;
    r.dE = dE;
    r.roiStart = feK() + roiStart;
    r.roiEnd = feK() + roiEnd;
    r.threshold = threshold;
    r.noNeg = noNeg;
    return r;
}

BackgroundValues background()
{
    BackgroundValues b;
    b.dmut = -1.5;
    b.dE = -2.5;
    b.roi = -3.5;
    b.nroi = -4.5;
    return b;
}

bool near(double a, double b, double tol = 1e-9)
{
    return std::fabs(a - b) <= tol;
}

} // namespace

class TestElementAnalysis : public QObject
{
    Q_OBJECT
private slots:
    void nearestPoint_data();
    void nearestPoint();
    void nearestPointBisectionMatchesScan();
    void edgeStepAndPosition_data();
    void edgeStepAndPosition();
    void roi_data();
    void roi();
    void thresholdIsStrict_data();
    void thresholdIsStrict();
    void ratios_data();
    void ratios();
    void missingTargetGivesNaNRatios_data();
    void missingTargetGivesNaNRatios();
    void noRowsNoResults();
    void emptySampleDoesNotFail();
    void reuseKeepsRowOrder();
};

void TestElementAnalysis::nearestPoint_data()
{
    QTest::addColumn<Doubles>("xs");
    QTest::addColumn<double>("t");
    QTest::addColumn<int>("index");
    const Doubles xs{10, 20, 30, 40};
    QTest::newRow("below all") << xs << 0.0 << 0;
    QTest::newRow("nearer the first") << xs << 14.9 << 0;
    QTest::newRow("on a midpoint goes up") << xs << 15.0 << 1;
    QTest::newRow("just above a midpoint") << xs << 15.1 << 1;
    QTest::newRow("on a point") << xs << 30.0 << 2;
    QTest::newRow("above all") << xs << 99.0 << 3;
    QTest::newRow("NaN") << xs << kNaN << 3;
    QTest::newRow("one point") << Doubles{5} << 0.0 << 0;
    QTest::newRow("no points") << Doubles{} << 0.0 << -1;
    QTest::newRow("equal energies") << Doubles{10, 20, 20, 30} << 20.0 << 2;
    QTest::newRow("unordered") << Doubles{10, 40, 20, 30} << 21.0 << 0;
    QTest::newRow("unordered, later pair") << Doubles{30, 10, 20, 40} << 22.0 << 2;
}

void TestElementAnalysis::nearestPoint()
{
    QFETCH(Doubles, xs);
    QFETCH(double, t);
    QFETCH(int, index);
    Spectrum s;
    for (double x : xs)
        s.add(x, 0.0);
    QCOMPARE(NearestPointFinder::byScan(s, t), index);
    QCOMPARE(NearestPointFinder(s)(t), index);
}

void TestElementAnalysis::nearestPointBisectionMatchesScan()
{
    std::mt19937_64 rng(4242);
    std::uniform_int_distribution<int> count(0, 60);
    std::uniform_real_distribution<double> step(0.0, 4.0);
    std::bernoulli_distribution equal(0.15);
    std::bernoulli_distribution shuffle(0.2);
    int bisected = 0;
    for (int round = 0; round < 2000; ++round) {
        Doubles xs;
        double x = 7000.0;
        for (int i = 0, n = count(rng); i < n; ++i) {
            xs << x;
            x += equal(rng) ? 0.0 : step(rng);
        }
        if (shuffle(rng) && xs.size() > 2)
            std::swap(xs[0], xs[xs.size() - 1]);
        Spectrum s;
        for (double v : xs)
            s.add(v, 0.0);
        const NearestPointFinder finder(s);
        bisected += finder.bisects() ? 1 : 0;
        for (double t = 6990.0; t < x + 10.0; t += 0.37)
            QCOMPARE(finder(t), NearestPointFinder::byScan(s, t));
        for (const double v : xs) // exactly on points and midpoints
            QCOMPARE(finder(v), NearestPointFinder::byScan(s, v));
    }
    QVERIFY(bisected > 1000);
}

void TestElementAnalysis::edgeStepAndPosition_data()
{
    QTest::addColumn<XafsSpectrum>("sample");
    QTest::addColumn<double>("dE");
    QTest::addColumn<double>("dmut");
    QTest::addColumn<double>("muPlus");
    QTest::addColumn<double>("muMinus");
    QTest::addColumn<double>("edgeShift");
    // Points at E0 + k: the ramp crosses its half height between the two
    // points around E0 + centre, whose mean energy is E0 + ceil(centre) - 0.5.
    QTest::newRow("ramp at +0.3") << rampEdge(0.3) << 10.0 << 1.0 << 1.25 << 0.25 << 0.5;
    QTest::newRow("ramp at +2.7") << rampEdge(2.7) << 10.0 << 1.0 << 1.25 << 0.25 << 2.5;
    QTest::newRow("ramp at -1.6") << rampEdge(-1.6) << 10.0 << 1.0 << 1.25 << 0.25 << -1.5;
    QTest::newRow("ramp, dE inside it") << rampEdge(0.0) << 2.0 << 0.5 << 1.0 << 0.5 << -0.5;
    // Rises through 0.75 between -2 and -1, drops below, rises again between 3 and 4.
    QTest::newRow("two crossings: mean") << stepped({0.25, 0.5, 0.8, 0.6, 0.7, 0.72, 0.74, 1.1}) << 10.0 << 1.0
                                         << 1.25 << 0.25 << 1.0;
    // A point exactly at the half height is reached, not passed: one crossing.
    QTest::newRow("point on the half height") << stepped({0.25, 0.5, 0.75, 1.0}) << 10.0 << 1.0 << 1.25 << 0.25
                                              << -1.5;
    // E0 +- 0.3 have the same nearest point: no interval to search.
    QTest::newRow("both ends on one point") << rampEdge(0.0) << 0.3 << 0.075 << 0.7875 << 0.7125 << 0.0;
    // The step lies between E0 - 2 and E0 - 1; E0 - 1.4 has E0 - 1 as nearest
    // point, already above the half height 1.05: nothing to cross inside.
    QTest::newRow("no crossing inside") << stepped({0.25, 0.25, 1.25}) << 1.4 << 0.4 << 1.25 << 0.85 << 0.0;
}

void TestElementAnalysis::edgeStepAndPosition()
{
    QFETCH(XafsSpectrum, sample);
    QFETCH(double, dE);
    QFETCH(double, dmut);
    QFETCH(double, muPlus);
    QFETCH(double, muMinus);
    QFETCH(double, edgeShift);
    const ElementResult r = analyzeElements(sample, {row(dE, 20, 30, 0.01)}, 0, background());
    QCOMPARE(r.dmut.size(), 1);
    QVERIFY2(near(r.dmut[0], dmut), qPrintable(QString::number(r.dmut[0], 'g', 17)));
    QCOMPARE(r.rawDmut[0], r.dmut[0]);
    QVERIFY2(near(r.muPlus[0], muPlus), qPrintable(QString::number(r.muPlus[0], 'g', 17)));
    QVERIFY2(near(r.muMinus[0], muMinus), qPrintable(QString::number(r.muMinus[0], 'g', 17)));
    QVERIFY2(near(r.edgeShift[0], edgeShift), qPrintable(QString::number(r.edgeShift[0], 'g', 17)));
    QCOMPARE(r.dmutRatio, Doubles{1.0});
}

void TestElementAnalysis::roi_data()
{
    QTest::addColumn<double>("dE");
    QTest::addColumn<double>("roiStart");
    QTest::addColumn<double>("roiEnd");
    QTest::addColumn<bool>("noNeg");
    QTest::addColumn<double>("roi");
    QTest::addColumn<double>("nroi");
    // Ramp centred at E0 + 0.3: mu(E0 + k) = 0.25 + (k + 3.7) / 8 on the ramp.
    QTest::newRow("flat above the edge") << 10.0 << 20.0 << 30.0 << false << 1.0 << 1.0;
    // Points -3 ... 3 (point 4 excluded): mean of a straight line, its middle.
    QTest::newRow("over the ramp") << 10.0 << -3.0 << 4.0 << false << 3.7 / 8.0 << 3.7 / 8.0;
    QTest::newRow("ends snap to the nearest point") << 10.0 << -3.4 << 3.6 << false << 3.7 / 8.0 << 3.7 / 8.0;
    // Point -4 (on the flat, 0 above mu-) joins: eight points.
    QTest::newRow("start snaps down") << 10.0 << -3.6 << 3.6 << false << 25.9 / 64.0 << 25.9 / 64.0;
    QTest::newRow("same nearest point") << 10.0 << 20.2 << 19.8 << false << 0.0 << 0.0;
    QTest::newRow("same nearest point, no-neg") << 10.0 << 20.2 << 19.8 << true << 0.0 << 0.0;
    QTest::newRow("end before start") << 10.0 << 30.0 << 20.0 << true << 0.0 << 0.0;
    // dE 2: mu- = 0.4625, dmut = 0.5; the flat pre-edge lies below mu-.
    QTest::newRow("negative kept") << 2.0 << -30.0 << -20.0 << false << -0.2125 << -0.425;
    QTest::newRow("negative with no-neg") << 2.0 << -30.0 << -20.0 << true << -3.5 << -4.5;
    QTest::newRow("positive with no-neg") << 2.0 << 20.0 << 30.0 << true << 0.7875 << 1.575;
}

void TestElementAnalysis::roi()
{
    QFETCH(double, dE);
    QFETCH(double, roiStart);
    QFETCH(double, roiEnd);
    QFETCH(bool, noNeg);
    QFETCH(double, roi);
    QFETCH(double, nroi);
    const ElementResult r = analyzeElements(rampEdge(0.3), {row(dE, roiStart, roiEnd, 0.0, noNeg)}, 0, background());
    QVERIFY2(near(r.roi[0], roi), qPrintable(QString::number(r.roi[0], 'g', 17)));
    QVERIFY2(near(r.nroi[0], nroi), qPrintable(QString::number(r.nroi[0], 'g', 17)));
}

void TestElementAnalysis::thresholdIsStrict_data()
{
    QTest::addColumn<XafsSpectrum>("sample");
    QTest::addColumn<double>("threshold");
    QTest::addColumn<bool>("above");
    // dE 10 on this ramp gives 1.25 - 0.25, exactly 1.
    QTest::newRow("equal to the threshold") << rampEdge(0.3) << 1.0 << false;
    QTest::newRow("just above it") << rampEdge(0.3) << 0.999999 << true;
    QTest::newRow("below it") << rampEdge(0.3) << 2.0 << false;
    QTest::newRow("NaN threshold") << rampEdge(0.3) << kNaN << false;
    QTest::newRow("NaN step") << onGrid([](int k) { return k == 10 ? kNaN : 0.25; }) << -100.0 << false;
}

void TestElementAnalysis::thresholdIsStrict()
{
    QFETCH(XafsSpectrum, sample);
    QFETCH(double, threshold);
    QFETCH(bool, above);
    const ElementResult r = analyzeElements(sample, {row(10.0, -3.0, 4.0, threshold, true)}, 0, background());
    QCOMPARE(r.rawDmut.size(), 1);
    if (above) {
        QCOMPARE(r.dmut[0], 1.0);
        QCOMPARE(r.muPlus[0], 1.25);
        QCOMPARE(r.muMinus[0], 0.25);
        QVERIFY(near(r.edgeShift[0], 0.5));
        QVERIFY(near(r.roi[0], 3.7 / 8.0));
        QCOMPARE(r.rawDmut[0], 1.0);
        return;
    }
    // The raw vector keeps the computed step; the others take the background values.
    QVERIFY(std::isnan(sample.valueAt(feK() + 10.0)) ? std::isnan(r.rawDmut[0]) : r.rawDmut[0] == 1.0);
    QCOMPARE(r.dmut[0], -1.5);
    QCOMPARE(r.muPlus[0], -1.5);
    QCOMPARE(r.muMinus[0], -1.5);
    QCOMPARE(r.edgeShift[0], -2.5);
    QCOMPARE(r.roi[0], -3.5);
    QCOMPARE(r.nroi[0], -4.5);
    QCOMPARE(r.dmutRatio[0], 1.0); // its own background dmut
}

void TestElementAnalysis::ratios_data()
{
    QTest::addColumn<int>("mainT");
    QTest::addColumn<Doubles>("ratios");
    // Rows: dmut 1 (dE 10), 0.5 (dE 2), below threshold (-1.5), Cu far off the
    // sample: step 0, not above 0 (-1.5).
    QTest::newRow("target first") << 0 << Doubles{1.0, 0.5, -1.5, -1.5};
    QTest::newRow("target second") << 1 << Doubles{2.0, 1.0, -3.0, -3.0};
    QTest::newRow("target below threshold") << 2 << Doubles{1.0 / -1.5, 0.5 / -1.5, 1.0, 1.0};
}

void TestElementAnalysis::ratios()
{
    QFETCH(int, mainT);
    QFETCH(Doubles, ratios);
    const Rows rows{row(10.0, 20, 30, 0.5), row(2.0, 20, 30, 0.0), row(10.0, 20, 30, 5.0), row(10.0, 20, 30, 0.0, false, 29)};
    const ElementResult r = analyzeElements(rampEdge(0.3), rows, mainT, background());
    QCOMPARE(r.rawDmut, Doubles({1.0, 0.5, 1.0, 0.0}));
    QCOMPARE(r.dmut, Doubles({1.0, 0.5, -1.5, -1.5}));
    QCOMPARE(r.dmutRatio.size(), 4);
    for (int i = 0; i < 4; ++i)
        QVERIFY2(near(r.dmutRatio[i], ratios[i], 1e-12), qPrintable(QString::number(i)));
}

void TestElementAnalysis::missingTargetGivesNaNRatios_data()
{
    QTest::addColumn<int>("mainT");
    QTest::newRow("negative") << -1;
    QTest::newRow("past the rows") << 2;
}

void TestElementAnalysis::missingTargetGivesNaNRatios()
{
    QFETCH(int, mainT);
    QTest::ignoreMessage(QtDebugMsg, qPrintable(QStringLiteral("No target element row %1: dmut ratios are NaN").arg(mainT)));
    const ElementResult r =
        analyzeElements(rampEdge(0.3), {row(10.0, 20, 30), row(2.0, 20, 30)}, mainT, background());
    QCOMPARE(r.dmut, Doubles({1.0, 0.5}));
    QCOMPARE(r.dmutRatio.size(), 2);
    QVERIFY(std::isnan(r.dmutRatio[0]));
    QVERIFY(std::isnan(r.dmutRatio[1]));
}

void TestElementAnalysis::noRowsNoResults()
{
    ElementResult r;
    r.dmut = {7.0};
    r.dmutRatio = {7.0};
    analyzeElements(rampEdge(0.3), {}, 5, background(), r); // no message: no ratio step
    QVERIFY(r.rawDmut.isEmpty());
    QVERIFY(r.dmut.isEmpty());
    QVERIFY(r.dmutRatio.isEmpty());
    QVERIFY(r.nroi.isEmpty());
}

void TestElementAnalysis::emptySampleDoesNotFail()
{
    const ElementResult r = analyzeElements(XafsSpectrum(), {row(10.0, 20, 30, -1.0, true)}, 0, background());
    QCOMPARE(r.dmut, Doubles{0.0});
    QCOMPARE(r.edgeShift, Doubles{0.0});
    QCOMPARE(r.roi, Doubles{0.0});
    QCOMPARE(r.nroi, Doubles{0.0});
}

void TestElementAnalysis::reuseKeepsRowOrder()
{
    ElementResult r;
    const Rows first{row(10.0, 20, 30), row(2.0, 20, 30), row(10.0, -3, 4)};
    analyzeElements(rampEdge(0.3), first, 0, background(), r);
    QCOMPARE(r.dmut.size(), 3);
    const Rows second{row(2.0, -30, -20, 0.0, false)};
    analyzeElements(rampEdge(0.3), second, 0, background(), r);
    const ElementResult fresh = analyzeElements(rampEdge(0.3), second, 0, background());
    QCOMPARE(r.rawDmut, fresh.rawDmut);
    QCOMPARE(r.dmut, fresh.dmut);
    QCOMPARE(r.dmutRatio, fresh.dmutRatio);
    QCOMPARE(r.muPlus, fresh.muPlus);
    QCOMPARE(r.muMinus, fresh.muMinus);
    QCOMPARE(r.edgeShift, fresh.edgeShift);
    QCOMPARE(r.roi, fresh.roi);
    QCOMPARE(r.nroi, fresh.nroi);
}

QTEST_GUILESS_MAIN(TestElementAnalysis)
#include "tst_elementanalysis.moc"
