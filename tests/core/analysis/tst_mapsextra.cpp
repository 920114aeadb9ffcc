#include "analysis/ClusterJob.h"
#include "analysis/EdgeFeatures.h"
#include "analysis/EdgeMapJob.h"
#include "analysis/KMeans.h"
#include "analysis/Nnls.h"
#include "analysis/PcaJob.h"
#include "analysis/PcaModel.h"
#include "DemoEdgeTruth.h"
#include "DemoMeasurement.h"

#include <QtTest>
#include <random>

using namespace DemoMeasurement;

namespace {

using V = QVector<double>;

// The normal equations g = A^T A, y = A^T b of columns `cols` (each of the
// same length) and data b.
void normalEquations(const QVector<V>& cols, const V& b, std::vector<double>* g, std::vector<double>* y)
{
    const int m = cols.size();
    g->assign(std::size_t(m * m), 0.0);
    y->assign(std::size_t(m), 0.0);
    for (int j = 0; j < m; ++j) {
        for (int i = 0; i < b.size(); ++i)
            (*y)[std::size_t(j)] += cols[j][i] * b[i];
        for (int l = 0; l < m; ++l)
            for (int i = 0; i < b.size(); ++i)
                (*g)[std::size_t(j * m + l)] += cols[j][i] * cols[l][i];
    }
}

template <class Job>
void drive(Job& job)
{
    std::atomic<bool> stop{false};
    for (int i = 0; i < job.sliceCount(); ++i) {
        job.runSlice(i, stop);
        job.deliverSlice(i);
    }
    job.finish(false);
}

AreaRunInput demoInput(const Demo& d, int threads)
{
    AreaRunInput in;
    in.i1 = d.i1;
    in.i0 = d.i0;
    in.grid.setup(d.width, d.height, 0, 0, QRectF(0, 0, d.width, d.height), -1, -1);
    in.shift = d.shiftView();
    in.mask.on = true;
    in.mask.threshold = 0.2;
    in.threads = threads;
    return in;
}

} // namespace

class TestMapsExtra : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void nnlsKnownSolutions_data();
    void nnlsKnownSolutions();
    void edgeEnergy_data();
    void edgeEnergy();
    void whiteLine_data();
    void whiteLine();
    void pcaOfRankTwoSet();
    void kmeansFindsPlantedClustersRepeatably_data();
    void kmeansFindsPlantedClustersRepeatably();
    void edgeMapsMatchPointByPointAndTruth();
    void clustersRepeatAcrossThreadCounts();

private:
    Demo m_demo;
};

void TestMapsExtra::initTestCase()
{
    QVERIFY(m_demo.make(false, 24, 20, 60));
}

void TestMapsExtra::nnlsKnownSolutions_data()
{
    QTest::addColumn<QVector<V>>("cols");
    QTest::addColumn<V>("b");
    QTest::addColumn<int>("free");
    QTest::addColumn<V>("expected");
    const V a1{1, 1, 0}, a2{0, 1, 1}, one{1, 1, 1}, ramp{0, 1, 2};
    // b = 1 a1 + 2 a2 exactly: the constraint is not active.
    QTest::newRow("inside") << QVector<V>{a1, a2} << V{1, 3, 2} << 0 << V{1, 2};
    // Unconstrained (1, -1); with a2 held at 0, a1 alone: (a1.b)/(a1.a1) = 1/2.
    QTest::newRow("one active") << QVector<V>{a1, a2} << V{1, 0, -1} << 0 << V{0.5, 0};
    QTest::newRow("all active") << QVector<V>{a1, a2} << V{-1, -2, -1} << 0 << V{0, 0};
    // b = 3 - t: the free constant takes the mean once the ramp is held at 0.
    QTest::newRow("free term stays free") << QVector<V>{one, ramp} << V{3, 2, 1} << 1 << V{2, 0};
    QTest::newRow("free term negative") << QVector<V>{one, ramp} << V{-1, 0, 1} << 1 << V{-1, 1};
    QTest::newRow("not a number") << QVector<V>{a1, a2} << V{1, qQNaN(), 2} << 0 << V{qQNaN(), qQNaN()};
}

void TestMapsExtra::nnlsKnownSolutions()
{
    QFETCH(QVector<V>, cols);
    QFETCH(V, b);
    QFETCH(int, free);
    QFETCH(V, expected);
    std::vector<double> g, y;
    normalEquations(cols, b, &g, &y);
    Nnls nnls;
    const double* x = nnls.solve(g.data(), y.data(), cols.size(), free);
    for (int j = 0; j < cols.size(); ++j) {
        if (std::isnan(expected[j]))
            QVERIFY(std::isnan(x[j]));
        else
            QVERIFY2(std::fabs(x[j] - expected[j]) < 1e-12, qPrintable(QString("x%1 = %2").arg(j).arg(x[j])));
    }
}

void TestMapsExtra::edgeEnergy_data()
{
    // Points at E = 0, 1, 2, ... with the midline at 0.5 + midSlope E.
    QTest::addColumn<V>("mu");
    QTest::addColumn<double>("midSlope");
    QTest::addColumn<double>("expected");
    // Three points keep a straight line: the crossing of the raw points.
    QTest::newRow("ramp") << V{0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1.0} << 0.0 << 5.0;
    // A spike moves the raw mean of crossings to 3.61; smoothed: 3 + (0.5 - 1/3) / 0.2.
    QTest::newRow("spike below the step") << V{0, 0, 0, 0.6, 0.4, 0.6, 1, 1, 1} << 0.0 << 3.0 + 0.5 / 0.6;
    // The end point stays as it is: 0.4, then (0.4 + 0.6 + 0.6) / 3.
    QTest::newRow("first point unsmoothed") << V{0.4, 0.6, 0.6, 0.6, 0.6} << 0.0 << 0.1 / (1.6 / 3 - 0.4);
    QTest::newRow("flat on the midline: centres") << V{0.5, 0.5, 0.5, 0.5, 0.5} << 0.0 << 2.0;
    // Each point against the midline at its own energy (0.5, then 0.4).
    QTest::newRow("midline falls across the interval") << V{0, 0.55} << -0.1 << 0.5 / 0.65;
    QTest::newRow("no crossing") << V{0, 0.1, 0.2, 0.3} << 0.0 << 0.0;
}

void TestMapsExtra::edgeEnergy()
{
    QFETCH(V, mu);
    QFETCH(double, midSlope);
    QFETCH(double, expected);
    std::vector<double> e;
    for (int i = 0; i < mu.size(); ++i)
        e.push_back(i);
    const double e0 = EdgeRules::edgeEnergy(e.data(), mu.constData(), mu.size(), -1.0, 20.0,
                                            [midSlope](int i) { return 0.5 + midSlope * i; });
    QVERIFY2(std::fabs(e0 - expected) < 1e-12, qPrintable(QString::number(e0, 'g', 17)));
}

void TestMapsExtra::whiteLine_data()
{
    QTest::addColumn<double>("top");     // vertex of the parabola the points lie on
    QTest::addColumn<double>("window");
    QTest::addColumn<double>("dE");
    QTest::addColumn<double>("e0");
    QTest::addColumn<double>("expectedEnergy");
    QTest::addColumn<double>("expectedHeight");
    // Points at E = 0 ... 10 on y = 2 - (E - top)^2 / 4, post line 0, jump 1:
    // normalised height y + 1. Three points of a parabola give it back exactly.
    QTest::newRow("vertex between points") << 3.3 << 30.0 << 0.0 << 1.0 << 3.3 << 3.0;
    QTest::newRow("shift subtracted") << 3.3 << 30.0 << 0.5 << 1.0 << 2.8 << 3.0;
    QTest::newRow("on a point") << 6.0 << 30.0 << 0.0 << 1.0 << 6.0 << 3.0;
    // Window [1, 4] ends on the rising side: its last point, no parabola.
    QTest::newRow("window cuts the rise") << 7.0 << 3.0 << 0.0 << 1.0 << 4.0 << 3.0 - 9.0 / 4.0;
    // The highest point is the last of the scan: no neighbour on the right.
    QTest::newRow("top at scan end") << 12.0 << 30.0 << 0.0 << 1.0 << 10.0 << 2.0;
    QTest::newRow("no edge") << 3.0 << 30.0 << 0.0 << 0.0 << qQNaN() << qQNaN();
}

void TestMapsExtra::whiteLine()
{
    QFETCH(double, top);
    QFETCH(double, window);
    QFETCH(double, dE);
    QFETCH(double, e0);
    QFETCH(double, expectedEnergy);
    QFETCH(double, expectedHeight);
    std::vector<double> e, mu;
    for (int i = 0; i <= 10; ++i) {
        e.push_back(i);
        mu.push_back(2.0 - (i - top) * (i - top) / 4.0);
    }
    const EdgeFeatures f = EdgeRules::features(e.data(), mu.data(), int(e.size()), e0, 1.0, dE, window,
                                               [](double) { return 0.0; });
    if (std::isnan(expectedEnergy)) {
        QVERIFY(std::isnan(f.e0) && std::isnan(f.whiteLineEnergy) && std::isnan(f.whiteLineHeight));
        return;
    }
    QCOMPARE(f.e0, e0 - dE);
    QVERIFY2(std::fabs(f.whiteLineEnergy - expectedEnergy) < 1e-12, qPrintable(QString::number(f.whiteLineEnergy)));
    QVERIFY2(std::fabs(f.whiteLineHeight - expectedHeight) < 1e-12, qPrintable(QString::number(f.whiteLineHeight)));
}

void TestMapsExtra::pcaOfRankTwoSet()
{
    // x = mean + s1 v1 + s2 v2 with varied scores: two components carry all
    // the variance and give every spectrum back.
    const int p = 7, rows = 40;
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::vector<double> x(std::size_t(rows * p));
    for (int r = 0; r < rows; ++r) {
        const double s1 = 3.0 * u(rng), s2 = u(rng);
        for (int i = 0; i < p; ++i)
            x[std::size_t(r * p + i)] = 0.5 * i + s1 * std::sin(0.7 * i) + s2 * (i % 3 - 1.0);
    }
    CovarianceSums sums(p);
    sums.add(x.data(), rows);
    const PcaModel m = PcaModel::fromSums(sums, 4);
    QVERIFY(m.count() >= 2);
    QVERIFY(m.variances[0] >= m.variances[1]);
    QVERIFY(std::fabs(m.explained(0) + m.explained(1) - 1.0) < 1e-9);
    for (int j = 2; j < m.count(); ++j)
        QVERIFY(m.explained(j) < 1e-9);
    std::vector<double> scores(std::size_t(m.count()));
    for (int r = 0; r < rows; ++r) {
        const double* row = x.data() + r * p;
        m.project(row, scores.data());
        for (int i = 0; i < p; ++i) {
            double back = m.mean[std::size_t(i)];
            for (int j = 0; j < 2; ++j)
                back += scores[std::size_t(j)] * m.component(j)[i];
            QVERIFY2(std::fabs(back - row[i]) < 1e-9, qPrintable(QString("row %1 value %2").arg(r).arg(i)));
        }
    }
}

void TestMapsExtra::kmeansFindsPlantedClustersRepeatably_data()
{
    QTest::addColumn<quint64>("seed");
    QTest::newRow("seed 1") << quint64(1);
    QTest::newRow("seed 12345") << quint64(12345);
}

void TestMapsExtra::kmeansFindsPlantedClustersRepeatably()
{
    QFETCH(quint64, seed);
    // Three blobs of 50, 30 and 20 points far apart, points interleaved.
    const double centre[3][2] = {{0, 0}, {10, 0}, {0, 10}};
    const int sizes[3] = {50, 30, 20};
    std::mt19937_64 rng(3);
    std::normal_distribution<double> noise(0.0, 0.5);
    std::vector<double> pts;
    std::vector<int> planted;
    for (int i = 0; i < 50; ++i)
        for (int c = 0; c < 3; ++c)
            if (i < sizes[c]) {
                pts.push_back(centre[c][0] + noise(rng));
                pts.push_back(centre[c][1] + noise(rng));
                planted.push_back(c);
            }
    const KMeansResult a = KMeans::run(pts.data(), qint64(planted.size()), 2, 3, seed);
    const KMeansResult b = KMeans::run(pts.data(), qint64(planted.size()), 2, 3, seed);
    QCOMPARE(a.k, 3);
    QVERIFY(a.labels == b.labels && a.centres == b.centres);
    QCOMPARE(a.inertia, b.inertia);
    // Numbered by size, so the planted blob c is cluster c.
    QVERIFY(a.labels == planted);
    QCOMPARE(a.sizes, (std::vector<qint64>{50, 30, 20}));
}

void TestMapsExtra::edgeMapsMatchPointByPointAndTruth()
{
    const AreaRunInput in = demoInput(m_demo, 2);
    Maps fast(in.grid, EdgeFeatures::MapCount), slow(in.grid, EdgeFeatures::MapCount);
    EdgeMapSetup s;
    for (int k = 0; k < EdgeFeatures::MapCount; ++k)
        s.maps[k] = fast.list[k];
    EdgeMapJob job(in, s);
    drive(job);
    for (int k = 0; k < EdgeFeatures::MapCount; ++k)
        s.maps[k] = slow.list[k];
    EdgeMapJob::runPointByPoint(in, s);
    const QString diff = firstDifference(fast, slow);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));

    // Noise-free: E0 is the truth make-demo writes, where both have one, up
    // to the rounding of the counts to whole numbers in the TIFF files.
    const std::vector<float> truth = demoEdgeEnergies(*m_demo.model, 2);
    int compared = 0;
    for (int y = 0; y < m_demo.height; ++y)
        for (int x = 0; x < m_demo.width; ++x) {
            const double t = truth[std::size_t(y * m_demo.width + x)], v = fast.list[EdgeFeatures::E0]->value(x, y);
            if (std::isnan(t) || std::isnan(v))
                continue;
            ++compared;
            QVERIFY2(std::fabs(v - t) < 0.01, qPrintable(QString("(%1, %2): %3 vs %4").arg(x).arg(y).arg(v, 0, 'f', 5).arg(t, 0, 'f', 5)));
            const double wl = fast.list[EdgeFeatures::WhiteLineEnergy]->value(x, y);
            QVERIFY(wl >= v - 1e-9 && wl <= v + s.window + 1e-9);
        }
    QVERIFY2(compared > m_demo.width * m_demo.height / 4, qPrintable(QString::number(compared)));
}

void TestMapsExtra::clustersRepeatAcrossThreadCounts()
{
    std::vector<int> labels[2];
    for (int threads : {1, 2}) {
        const AreaRunInput in = demoInput(m_demo, threads);
        Maps scores(in.grid, 2), clusters(in.grid, 1);
        PcaSetup ps;
        ps.components = 2;
        ps.scoreMaps = scores.list;
        PcaJob pca(in, ps);
        drive(pca);
        QVERIFY(pca.result() && pca.result()->isValid());
        QVERIFY(ClusterJob::refusal(in, pca.result().get()).isEmpty());
        ClusterSetup cs;
        cs.k = 3;
        cs.seed = 7;
        cs.map = clusters.list[0];
        ClusterJob job(in, pca.result(), cs);
        drive(job);
        QVERIFY(job.result() && job.result()->isValid());
        QCOMPARE(job.result()->count(), 3);
        for (int c = 0; c < 3; ++c)
            for (std::size_t i = 0; i < job.result()->energies.size(); ++i)
                QVERIFY(std::isfinite(job.result()->mean(c)[i]));
        labels[threads - 1] = job.result()->kmeans.labels;
    }
    QVERIFY(!labels[0].empty());
    QVERIFY(labels[0] == labels[1]);
}

QTEST_GUILESS_MAIN(TestMapsExtra)
#include "tst_mapsextra.moc"
