#include "analysis/ElementCorrelation.h"
#include "analysis/ElementRunJob.h"
#include "analysis/FourierAnalysisJob.h"
#include "analysis/LcfRunJob.h"
#include "analysis/ResidualRunJob.h"
#include "base/JobRunner.h"
#include "DebugCapture.h"
#include "DemoMeasurement.h"
#include "physics/EdgeTable.h"
#include "processing/BlockSum.h"
#include "TestStacks.h"

#include <QSignalSpy>
#include <QtTest>
#include <complex>

using namespace DemoMeasurement;

namespace {

// Runs every slice of a job on the calling thread, as the runner would.
void drive(AreaRunJob& job)
{
    std::atomic<bool> stop{false};
    for (int i = 0; i < job.sliceCount(); ++i) {
        job.runSlice(i, stop);
        job.deliverSlice(i);
    }
    job.finish(false);
}

AreaRunInput inputFor(const Demo& d, const QRectF& area = QRectF(0, 0, 26, 21), int half = 0,
                      qint64 budget = BlockBands::defaultBudget, double mask = -1.0, bool victoreen = false)
{
    AreaRunInput in;
    in.i1 = d.i1;
    in.i0 = d.i0;
    in.grid.setup(d.width, d.height, half, half, area, -1, -1);
    in.victoreen = victoreen;
    in.shift = d.shiftView();
    in.budgetBytes = budget;
    in.mask.on = mask >= 0.0;
    in.mask.threshold = mask;
    in.threads = 2;
    return in;
}

double feK()
{
    return 1000.0 * EdgeTable::global().edgeEnergy(26, EdgeTable::K);
}

ElementSnapshot elementRow(int z, double dE, double roiStart, double roiEnd, double threshold, bool noNeg)
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

// Three element rows: the iron edge twice (one with a threshold the noise
// pixels miss) and cobalt, whose edge lies above the scan.
ElementRunSetup elementSetup(const QVector<double>& standards, double correlation)
{
    ElementRunSetup s;
    s.rows = {elementRow(26, 20, 10, 40, 0.05, true), elementRow(26, 40, -30, 80, 0.4, false),
              elementRow(27, 15, 0, 5, -10, false)};
    s.mainT = 0;
    s.background.dmut = -1.5;
    s.background.dE = -2.5;
    s.background.roi = -3.5;
    s.background.nroi = -4.5;
    s.useInCorrelation = {true, true, false};
    s.standardRatios = standards;
    s.correlation = correlation;
    s.correlationThreshold = 0.9;
    return s;
}

// Same length and the same values bit for bit (NaN included).
bool sameValues(const QVector<double>& a, const QVector<double>& b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i)
        if (!sameBits(a[i], b[i]))
            return false;
    return true;
}

bool allZero(const Analyzed2DRes& m)
{
    for (int y = 0; y < m.height(); ++y)
        for (int x = 0; x < m.width(); ++x)
            if (m.value(x, y) != 0.0)
                return false;
    return m.maxValue() == Analyzed2DRes::emptyMax;
}

} // namespace

class TestAreaRuns : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void correlationOfRatios_data();
    void correlationOfRatios();
    void lcfJobEqualsPointByPoint_data();
    void lcfJobEqualsPointByPoint();
    void tenByTenAreaVisitsNinePoints();
    void elementJobEqualsPointByPoint_data();
    void elementJobEqualsPointByPoint();
    void residualJobEqualsPointByPoint_data();
    void residualJobEqualsPointByPoint();
    void residualRatioOfHandMaps();
    void fourierSumsEqualDirectTransform_data();
    void fourierSumsEqualDirectTransform();
    void nothingIsRecordedAfterStop();
    void runnerDropsTheSliceOfAStoppedRun();
    void runnerRunGivesTheSynchronousMaps();

private:
    Demo m_demo;
};

void TestAreaRuns::initTestCase()
{
    QVERIFY(m_demo.make(true, 26, 21, 48));
}

void TestAreaRuns::correlationOfRatios_data()
{
    QTest::addColumn<QVector<double>>("ratios");
    QTest::addColumn<QVector<double>>("standards");
    QTest::addColumn<QVector<bool>>("use");
    QTest::addColumn<bool>("computable");
    QTest::addColumn<double>("expected");
    using V = QVector<double>;
    const QVector<bool> both{true, true};
    // X = 1*2 + 2*4 = 10, Y = 5, Z = 20: 10 / sqrt(100) = 1.
    QTest::newRow("proportional") << V{1, 2, 7} << V{2, 4, -3} << QVector<bool>{true, true, false} << true << 1.0;
    // X = 1*0 + 0*1 = 0.
    QTest::newRow("orthogonal") << V{1, 0} << V{0, 1} << both << true << 0.0;
    // X = 3*1 + 4*0 = 3, Y = 25, Z = 1: 3 / 5.
    QTest::newRow("three fifths") << V{3, 4} << V{1, 0} << both << true << 0.6;
    QTest::newRow("standards all 0") << V{1, 2} << V{0, 0} << both << false << 0.0;
    QTest::newRow("no row in use") << V{1, 2} << V{1, 2} << QVector<bool>{false, false} << false << 0.0;
    QTest::newRow("NaN ratio") << V{qQNaN(), 2} << V{1, 2} << both << false << 0.0;
}

void TestAreaRuns::correlationOfRatios()
{
    QFETCH(QVector<double>, ratios);
    QFETCH(QVector<double>, standards);
    QFETCH(QVector<bool>, use);
    QFETCH(bool, computable);
    QFETCH(double, expected);
    double cor = -7.0;
    QCOMPARE(ElementCorrelation::compute(ratios, standards, use, &cor), computable);
    QCOMPARE(cor, computable ? expected : -7.0);
    QCOMPARE(ElementCorrelation::thresholded(0.95, 0.9), 0.95);
    QCOMPARE(ElementCorrelation::thresholded(0.85, 0.9), 0.0);
}

void TestAreaRuns::lcfJobEqualsPointByPoint_data()
{
    QTest::addColumn<QRectF>("area");
    QTest::addColumn<int>("half");
    QTest::addColumn<bool>("mlcf");
    QTest::addColumn<qint64>("budget");
    QTest::addColumn<double>("mask");
    QTest::addColumn<bool>("nonNegative");
    const QRectF whole(0, 0, 26, 21);
    QTest::newRow("LCF, pixels") << whole << 0 << false << BlockBands::defaultBudget << -1.0 << false;
    QTest::newRow("LCF, one-row bands, masked") << whole << 0 << false << qint64(1) << 0.3 << false;
    QTest::newRow("MLCF, 3 x 3 past the image") << QRectF(2, 3, 40, 30) << 1 << true << qint64(1) << -1.0 << false;
    QTest::newRow("LCF non-negative, pixels") << whole << 0 << false << BlockBands::defaultBudget << -1.0 << true;
    QTest::newRow("MLCF non-negative, 3 x 3") << QRectF(2, 3, 40, 30) << 1 << true << qint64(1) << -1.0 << true;
}

void TestAreaRuns::lcfJobEqualsPointByPoint()
{
    QFETCH(QRectF, area);
    QFETCH(int, half);
    QFETCH(bool, mlcf);
    QFETCH(qint64, budget);
    QFETCH(double, mask);
    QFETCH(bool, nonNegative);
    const AreaRunInput in = inputFor(m_demo, area, half, budget, mask);
    // Row 1 is not in use.
    LcfRunSetup setup;
    setup.mlcf = mlcf;
    setup.nonNegative = nonNegative;
    setup.references = m_demo.refs;
    setup.references[1].use = false;
    Maps fast(in.grid, 8), slow(in.grid, 8);
    setup.maps.rows = fast.list.mid(0, 6);
    setup.maps.rFactor = fast.list[6];
    setup.maps.fractionSum = fast.list[7];
    LcfRunJob job(in, setup);
    QVERIFY(job.hasFit());
    if (budget == 1)
        QCOMPARE(job.rowsPerSlice(), 1);
    drive(job);
    setup.maps.rows = slow.list.mid(0, 6);
    setup.maps.rFactor = slow.list[6];
    setup.maps.fractionSum = slow.list[7];
    QVERIFY(LcfRunJob::runPointByPoint(in, setup));
    const QString diff = DemoMeasurement::firstDifference(fast, slow);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    if (nonNegative && !mlcf)
        for (int m : {3, 5})
            QVERIFY(!(fast.list[m]->minValue() < 0.0));
    // The unused row's two maps stay all zero; the used rows' maps are filled.
    QVERIFY(allZero(*fast.list[1]));
    QVERIFY(allZero(*fast.list[4]));
    QVERIFY(nonZeroValues(*fast.list[3]) > 20);
    QVERIFY(nonZeroValues(*fast.list[6]) > 20);
}

void TestAreaRuns::tenByTenAreaVisitsNinePoints()
{
    AreaRunInput in = inputFor(m_demo, QRectF(0, 0, 10, 10), 1);
    in.rowsPerSlice = 1;
    LcfRunSetup setup;
    setup.references = m_demo.refs;
    setup.references[2].use = false;
    Maps maps(in.grid, 6);
    setup.maps.rows = maps.list;
    LcfRunJob job(in, setup);
    QCOMPARE(job.walk().blocks.xs, (std::vector<int>{1, 4, 7}));
    QCOMPARE(job.walk().blocks.ys, (std::vector<int>{1, 4, 7}));
    QVERIFY(!job.walk().hasFar());
    QCOMPARE(job.totalItems(), qint64(9));
    QCOMPARE(job.sliceCount(), 3);
    QVector<double> percents;
    job.setBandHook([&](const RunBand& b) {
        QVERIFY(b.newLineReached);
        percents << b.percent;
    });
    drive(job);
    // After the lines at y = 1 and 4 the walk goes on at 4 and 7; the last
    // line ends the run without a call.
    QCOMPARE(percents, (QVector<double>{40.0, 70.0}));
    // Values on pixels 0 ... 8 (amounts may be 0 where the edge jump is
    // negative; fractions are not), nothing from pixel 9 on.
    for (int m : {0, 1, 3, 4}) {
        const Analyzed2DRes& map = *maps.list[m];
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x) {
                const bool inside = x <= 8 && y <= 8;
                const bool set = map.value(x, y) != 0.0;
                QVERIFY2(inside ? set || m < 3 : !set, qPrintable(QString("map %1 (%2, %3)").arg(m).arg(x).arg(y)));
            }
    }
    QVERIFY(nonZeroValues(*maps.list[0]) > 40);
    QVERIFY(allZero(*maps.list[2]));
    QVERIFY(allZero(*maps.list[5]));
}

void TestAreaRuns::elementJobEqualsPointByPoint_data()
{
    QTest::addColumn<QRectF>("area");
    QTest::addColumn<int>("half");
    QTest::addColumn<qint64>("budget");
    QTest::addColumn<double>("mask");
    QTest::addColumn<QVector<double>>("standards");
    const QRectF whole(0, 0, 26, 21);
    const QVector<double> standards{1.0, 0.8, 0.3};
    const qint64 big = BlockBands::defaultBudget;
    QTest::newRow("pixels") << whole << 0 << big << -1.0 << standards;
    QTest::newRow("pixels, one-row bands") << whole << 0 << qint64(1) << -1.0 << standards;
    QTest::newRow("3 x 3, masked") << whole << 1 << big << 0.3 << standards;
    // Far points on every side: their empty spectra get the background
    // values and keep the correlation chain going.
    QTest::newRow("5 x 5, far past the image") << QRectF(-20, -17, 70, 60) << 2 << qint64(1) << -1.0 << standards;
    // Nothing but far points: no pixel is written, only the value ranges.
    QTest::newRow("area beside the image") << QRectF(40, 30, 12, 9) << 1 << big << -1.0 << standards;
    // No block's correlation can be computed: the start value repeats.
    QTest::newRow("standards all 0") << whole << 1 << big << -1.0 << QVector<double>{0, 0, 0};
}

void TestAreaRuns::elementJobEqualsPointByPoint()
{
    QFETCH(QRectF, area);
    QFETCH(int, half);
    QFETCH(qint64, budget);
    QFETCH(double, mask);
    QFETCH(QVector<double>, standards);
    const AreaRunInput in = inputFor(m_demo, area, half, budget, mask);
    ElementRunSetup setup = elementSetup(standards, 0.123);
    const int n = setup.rows.size();
    Maps fast(in.grid, 7 * n + 2), slow(in.grid, 7 * n + 2);
    setup.maps = fast.list;
    ElementRunJob job(in, setup);
    if (area.width() > 26)
        QVERIFY(job.walk().hasFar());
    drive(job);
    setup.maps = slow.list;
    ElementResult last;
    const double cor = ElementRunJob::runPointByPoint(in, setup, &last);
    const QString diff = DemoMeasurement::firstDifference(fast, slow);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    QCOMPARE(job.correlation(), cor);
    QVERIFY(job.hasLastResult());
    const ElementResult& mine = job.lastResult();
    for (const auto& pair : {qMakePair(mine.dmut, last.dmut), qMakePair(mine.dmutRatio, last.dmutRatio),
                             qMakePair(mine.edgeShift, last.edgeShift), qMakePair(mine.nroi, last.nroi),
                             qMakePair(mine.rawDmut, last.rawDmut)})
        QVERIFY(sameValues(pair.first, pair.second));
    QCOMPARE(mine.dmut.size(), n);
    if (job.walk().isEmpty()) {
        // An empty spectrum: the first row's step 0 is not above its
        // threshold (background value), the ratios are all 1.
        QCOMPARE(nonZeroValues(*fast.list[0]), 0);
        QCOMPARE(fast.list[0]->minValue(), -1.5);
        QCOMPARE(fast.list[0]->maxValue(), -1.5);
        const double cor = (1.0 * 1.0 + 1.0 * 0.8) / std::sqrt(2.0 * (1.0 + 0.64));
        QCOMPARE(fast.list[7 * n]->maxValue(), cor);
        return;
    }
    // The maps carry real results: edge steps on the sample, correlations.
    QVERIFY(nonZeroValues(*fast.list[0]) > 20);
    const Analyzed2DRes& corMap = *fast.list[7 * n];
    if (standards[0] == 0.0) {
        QCOMPARE(corMap.minValue(), 0.123);
        QCOMPARE(corMap.maxValue(), 0.123);
    } else {
        QVERIFY(corMap.maxValue() > 0.5);
        QVERIFY(corMap.minValue() < corMap.maxValue());
        // The threshold map is the correlation or 0.
        const Analyzed2DRes& th = *fast.list[7 * n + 1];
        for (int y = 0; y < th.height(); ++y)
            for (int x = 0; x < th.width(); ++x) {
                const double c = corMap.value(x, y), t = th.value(x, y);
                QVERIFY(std::isnan(c) ? std::isnan(t) : t == (c >= 0.9 ? c : 0.0));
            }
    }
}

void TestAreaRuns::residualJobEqualsPointByPoint_data()
{
    QTest::addColumn<QRectF>("area");
    QTest::addColumn<int>("half");
    QTest::addColumn<qint64>("budget");
    QTest::addColumn<double>("mask");
    QTest::addColumn<bool>("victoreen");
    const QRectF whole(0, 0, 26, 21);
    QTest::newRow("pixels") << whole << 0 << BlockBands::defaultBudget << -1.0 << false;
    QTest::newRow("pixels, one-row bands, Victoreen") << whole << 0 << qint64(1) << -1.0 << true;
    QTest::newRow("3 x 3, far past the image") << QRectF(-10, -8, 50, 40) << 1 << qint64(1) << -1.0 << false;
    QTest::newRow("masked") << whole << 0 << BlockBands::defaultBudget << 0.3 << false;
    QTest::newRow("area beside the image") << QRectF(30, 0, 9, 12) << 1 << BlockBands::defaultBudget << -1.0 << false;
}

void TestAreaRuns::residualJobEqualsPointByPoint()
{
    QFETCH(QRectF, area);
    QFETCH(int, half);
    QFETCH(qint64, budget);
    QFETCH(double, mask);
    QFETCH(bool, victoreen);
    const AreaRunInput in = inputFor(m_demo, area, half, budget, mask, victoreen);
    Maps fast(in.grid, 3), slow(in.grid, 3);
    ResidualRunSetup setup;
    setup.energy = feK() + 5.0;
    setup.factor = 0.7;
    setup.dmut = fast.list[0];
    setup.rest = fast.list[1];
    QStringList fastLines, slowLines;
    {
        ResidualRunJob job(in, setup);
        fastLines = debugLinesOf([&] { drive(job); });
    }
    ResidualRunJob::computeRatio(*fast.list[0], *fast.list[1], fast.list[2]);
    setup.dmut = slow.list[0];
    setup.rest = slow.list[1];
    slowLines = debugLinesOf([&] { ResidualRunJob::runPointByPoint(in, setup); });
    ResidualRunJob::computeRatio(*slow.list[0], *slow.list[1], slow.list[2]);
    const QString diff = DemoMeasurement::firstDifference(fast, slow);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    // One line per new grid line, with its y.
    QCOMPARE(fastLines, slowLines);
    QCOMPARE(fastLines.size(), in.grid.rows() - 1);
    QCOMPARE(fastLines.first(), QString::number(in.grid.y0 + 3 * half + 1));
    if (area.x() > m_demo.width) {
        // Only far points: both lines are 0 for an empty spectrum.
        QCOMPARE(nonZeroValues(*fast.list[0]), 0);
        QCOMPARE(fast.list[0]->minValue(), 0.0);
        QCOMPARE(fast.list[1]->maxValue(), 0.0);
        return;
    }
    QVERIFY(nonZeroValues(*fast.list[0]) > 20);
}

void TestAreaRuns::residualRatioOfHandMaps()
{
    ScanGrid g;
    g.setup(2, 2, 0, 0, QRectF(0, 0, 2, 2), -1, -1);
    Analyzed2DRes dmut, rest, ratio;
    for (Analyzed2DRes* m : {&dmut, &rest, &ratio})
        m->setup(g);
    // rest: 1 3 / 2 1 (smallest 1), dmut: 0 1 / 2 0.5.
    const double r[4] = {1, 3, 2, 1}, c[4] = {0, 1, 2, 0.5};
    for (int i = 0; i < 4; ++i) {
        rest.setData(i % 2, i / 2, 0, 0, r[i]);
        dmut.setData(i % 2, i / 2, 0, 0, c[i]);
    }
    ResidualRunJob::computeRatio(dmut, rest, &ratio);
    // (d - a) / (c + (d - a)): 0 / 0 where dmut is 0 and the rest is the smallest.
    QVERIFY(std::isnan(ratio.value(0, 0)));
    QCOMPARE(ratio.value(1, 0), 2.0 / 3.0);
    QCOMPARE(ratio.value(0, 1), 1.0 / 3.0);
    QCOMPARE(ratio.value(1, 1), 0.0);
    QCOMPARE(ratio.minValue(), 0.0);
    QCOMPARE(ratio.maxValue(), 2.0 / 3.0);
}

void TestAreaRuns::fourierSumsEqualDirectTransform_data()
{
    QTest::addColumn<QRectF>("area");
    QTest::addColumn<int>("half");
    QTest::addColumn<qint64>("budget");
    QTest::newRow("pixels") << QRectF(0, 0, 7, 5) << 0 << BlockBands::defaultBudget;
    QTest::newRow("3 x 3 past the image, one-row bands") << QRectF(-4, -2, 20, 12) << 1 << qint64(1);
}

void TestAreaRuns::fourierSumsEqualDirectTransform()
{
    QFETCH(QRectF, area);
    QFETCH(int, half);
    QFETCH(qint64, budget);
    // Five images; the third is smaller, so some points have only four values.
    TestStacks stacks;
    std::vector<const TiffData*> i1;
    const int m = 5;
    for (int k = 0; k < m; ++k) {
        const int w = k == 2 ? 5 : 7;
        i1.push_back(stacks.u16(w, 5, 7000 + k, [k](int x, int y) { return 100 + 13 * x + 7 * y + 29 * ((x * k + y) % 3); }));
        QVERIFY(i1.back());
    }
    AreaRunInput in;
    in.i1 = i1;
    in.grid.setup(7, 5, half, half, area, -1, -1);
    in.budgetBytes = budget;
    FourierAnalysisJob job(in);
    QCOMPARE(job.components(), m);
    QStringList lines = debugLinesOf([&] { drive(job); });

    // A walk per k, g and |F_k| by the definition of the DFT.
    const double pi = 3.14159265358979323846;
    for (int k = 0; k < m; ++k) {
        double sg = 0, sh = 0, sgh = 0;
        ScanGrid g = in.grid;
        g.restart();
        bool newLine = false;
        do {
            const double gv = BlockSum::of(*i1[0], g.x, g.y, half, half);
            std::vector<double> y;
            for (const TiffData* t : i1)
                if (g.x >= 0 && g.y >= 0 && g.x < int(t->width()) && g.y < int(t->height()))
                    y.push_back(BlockSum::of(*t, g.x, g.y, half, half));
            std::complex<double> f = 0;
            for (std::size_t n = 0; n < y.size(); ++n)
                f += y[n] * std::polar(1.0, -2.0 * pi * double(k) * double(n) / m);
            const double h = std::abs(f);
            sg += gv * gv;
            sh += h * h;
            sgh += gv * h;
        } while (g.next(newLine));
        QVERIFY(sg > 0 && sh > 0);
        const double g2 = job.sumG2(), h2 = job.sumH2()[std::size_t(k)], gh = job.sumGH()[std::size_t(k)];
        QVERIFY2(std::fabs(g2 - sg) <= 1e-12 * sg, qPrintable(QString::number(k)));
        QVERIFY2(std::fabs(h2 - sh) <= 1e-9 * sh, qPrintable(QString::number(k)));
        QVERIFY2(std::fabs(gh - sgh) <= 1e-9 * sgh, qPrintable(QString::number(k)));
        QCOMPARE(lines[k],
                 QString("Res %1 %2 %3 %4 %5").arg(k).arg(g2).arg(h2).arg(gh).arg(gh / std::sqrt(std::fabs(g2 * h2))));
    }
    QCOMPARE(lines.size(), m);
}

void TestAreaRuns::nothingIsRecordedAfterStop()
{
    AreaRunInput in = inputFor(m_demo);
    in.rowsPerSlice = 2;
    Maps maps(in.grid, 3 * 7 + 2);
    ElementRunSetup setup = elementSetup({1, 1, 1}, 0.5);
    setup.maps = maps.list;
    ElementRunJob job(in, setup);
    int hooks = 0;
    job.setBandHook([&](const RunBand&) { ++hooks; });
    std::atomic<bool> stop{false};
    job.runSlice(0, stop);
    job.deliverSlice(0);
    QCOMPARE(hooks, 1);
    const int recorded = nonZeroValues(*maps.list[0]);
    QCOMPARE(recorded, 2 * m_demo.width);
    // Stopped while slice 1 is computing: its late delivery changes nothing.
    job.runSlice(1, stop);
    job.finish(true);
    QVERIFY(job.isFinished());
    job.deliverSlice(1);
    QCOMPARE(nonZeroValues(*maps.list[0]), recorded);
    QCOMPARE(hooks, 1);
}

void TestAreaRuns::runnerDropsTheSliceOfAStoppedRun()
{
    const AreaRunInput in = inputFor(m_demo);
    Maps maps(in.grid, 6);
    LcfRunSetup setup;
    setup.references = m_demo.refs;
    setup.maps.rows = maps.list;
    JobRunner runner;
    auto job = std::make_shared<LcfRunJob>(in, setup);
    QSignalSpy done(&runner, &JobRunner::finished);
    QVERIFY(runner.start(job));
    runner.stop();
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.first().first().toBool(), true);
    runner.stopAndWait();
    // A second job on the same worker: once it is done, whatever the first
    // one's slice sent back has been handled (and dropped).
    Maps other(in.grid, 6);
    setup.maps.rows = other.list;
    QVERIFY(runner.start(std::make_shared<LcfRunJob>(in, setup)));
    QVERIFY(done.wait(10000));
    QVERIFY(job->isFinished());
    for (Analyzed2DRes* m : maps.list)
        QVERIFY(allZero(*m));
    QVERIFY(nonZeroValues(*other.list[3]) > 20);
}

void TestAreaRuns::runnerRunGivesTheSynchronousMaps()
{
    AreaRunInput in = inputFor(m_demo);
    in.rowsPerSlice = 4;
    Maps viaRunner(in.grid, 3 * 7 + 2), direct(in.grid, 3 * 7 + 2);
    ElementRunSetup setup = elementSetup({1, 0.8, 0.3}, 0.5);
    setup.maps = viaRunner.list;
    auto job = std::make_shared<ElementRunJob>(in, setup);
    QVector<int> rows;
    QThread* hookThread = nullptr;
    job->setBandHook([&](const RunBand& b) {
        rows << b.firstRow;
        hookThread = QThread::currentThread();
    });
    JobRunner runner;
    QSignalSpy done(&runner, &JobRunner::finished);
    QVERIFY(runner.start(job));
    QVERIFY(done.wait(10000));
    QCOMPARE(done.first().first().toBool(), false);
    QCOMPARE(rows, (QVector<int>{0, 4, 8, 12, 16}));
    QCOMPARE(hookThread, QThread::currentThread());
    setup.maps = direct.list;
    ElementRunJob same(in, setup);
    drive(same);
    const QString diff = DemoMeasurement::firstDifference(viaRunner, direct);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
}

QTEST_GUILESS_MAIN(TestAreaRuns)
#include "tst_arearuns.moc"
