#include "analysis/CorrelationMapJob.h"
#include "base/JobRunner.h"
#include "grid/Analyzed2DRes.h"

#include <QSignalSpy>
#include <QtTest>
#include <cmath>
#include <memory>

namespace {

// 10 x 10 pixels, blocks of 3 x 3: centres at 1, 4, 7 on lines 1, 4, 7.
ScanGrid nineBlocks()
{
    ScanGrid g;
    g.setup(10, 10, 1, 1, QRectF(0, 0, 10, 10), -1, -1);
    return g;
}

double ratioA(int x, int y)
{
    return x == 4 && y == 4 ? 0.0 : 0.1 * (x + 1);
}

double ratioB(int x, int y)
{
    return x == 4 && y == 4 ? 0.0 : 0.2 * (y + 1) - 0.5;
}

struct Maps {
    Analyzed2DRes a{"Fe-K Elem Ctrl N"};
    Analyzed2DRes b{"Cu-K Elem Ctrl N"};
    Analyzed2DRes cor{"a2d ElemsCor"};
    Analyzed2DRes corTh{"a2d ElemsCorTh"};

    Maps()
    {
        const ScanGrid g = nineBlocks();
        for (Analyzed2DRes* m : {&a, &b, &cor, &corTh})
            m->setup(g);
        for (int y = 1; y < 10; y += 3) {
            for (int x = 1; x < 10; x += 3) {
                a.setData(x, y, 1, 1, ratioA(x, y));
                b.setData(x, y, 1, 1, ratioB(x, y));
            }
        }
    }
    QVector<CorrelationMapJob::Source> sources() const { return {{&a, 1.0}, {&b, 0.5}}; }
};

// X / sqrt(S V) over the two rows, written out.
double expectedCor(int x, int y)
{
    const double va = ratioA(x, y);
    const double vb = ratioB(x, y);
    const double s = 1.0 * 1.0 + 0.5 * 0.5;
    const double v = va * va + vb * vb;
    if (!(v > 0.0))
        return 0.0;
    return (1.0 * va + 0.5 * vb) / std::sqrt(s * v);
}

} // namespace

class TestCorrelationMapJob : public QObject
{
    Q_OBJECT
private slots:
    void mapsAndProgress_data();
    void mapsAndProgress();
    void stopReportsStoppedOnly();
    void emptyGridVisitsOnePoint();
    void noRowInUseGivesZero();
};

void TestCorrelationMapJob::mapsAndProgress_data()
{
    QTest::addColumn<int>("pointsPerSlice");
    QTest::addColumn<bool>("viaRunner");
    QTest::addColumn<int>("slices");
    QTest::addColumn<QList<double>>("progress");
    QTest::newRow("one slice, here") << 1000 << false << 1 << QList<double>{70.0, 100.0};
    QTest::newRow("a line per slice, here") << 3 << false << 3 << QList<double>{40.0, 70.0, 100.0};
    QTest::newRow("two lines per slice, runner") << 6 << true << 2 << QList<double>{40.0, 70.0, 100.0};
    QTest::newRow("a line per slice, runner") << 1 << true << 3 << QList<double>{40.0, 70.0, 100.0};
}

void TestCorrelationMapJob::mapsAndProgress()
{
    QFETCH(int, pointsPerSlice);
    QFETCH(bool, viaRunner);
    QFETCH(int, slices);
    QFETCH(QList<double>, progress);

    Maps maps;
    const double threshold = 0.9;
    auto job = std::make_shared<CorrelationMapJob>(maps.cor.grid(), maps.sources(), threshold, &maps.cor,
                                                   &maps.corTh, pointsPerSlice);
    QList<double> seen;
    QList<bool> finished;
    job->onProgress([&seen](double p) { seen << p; });
    job->onFinished([&finished](bool stopped) { finished << stopped; });
    QCOMPARE(job->sliceCount(), slices);
    QCOMPARE(job->totalItems(), qint64(9));
    if (viaRunner) {
        JobRunner runner;
        QSignalSpy done(&runner, &JobRunner::finished);
        QVERIFY(runner.start(job));
        QVERIFY(done.wait(20000));
        QCOMPARE(done.first().first().toBool(), false);
    } else {
        job->runHere();
    }
    QCOMPARE(finished, QList<bool>{false});
    QCOMPARE(seen, progress);

    int below = 0;
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            if (x == 9 || y == 9) {
                QCOMPARE(maps.cor.value(x, y), 0.0);
                continue;
            }
            const double c = expectedCor(1 + 3 * (x / 3), 1 + 3 * (y / 3));
            QCOMPARE(maps.cor.value(x, y), c);
            QCOMPARE(maps.corTh.value(x, y), c < threshold ? 0.0 : c);
            below += c < threshold;
        }
    }
    // The table has points on both sides of the threshold and the zero point.
    QVERIFY(below > 9);
    QVERIFY(below < 81);
    QCOMPARE(maps.cor.value(4, 4), 0.0);
}

void TestCorrelationMapJob::stopReportsStoppedOnly()
{
    Maps maps;
    auto job = std::make_shared<CorrelationMapJob>(maps.cor.grid(), maps.sources(), 0.9, &maps.cor, &maps.corTh, 1);
    QList<double> seen;
    QList<bool> finished;
    job->onProgress([&seen](double p) { seen << p; });
    job->onFinished([&finished](bool stopped) { finished << stopped; });
    JobRunner runner;
    QVERIFY(runner.start(job));
    runner.stopAndWait();
    QCoreApplication::processEvents();
    QCOMPARE(finished, QList<bool>{true});
    QVERIFY(!seen.contains(100.0));
    QVERIFY(!runner.isRunning());
}

void TestCorrelationMapJob::emptyGridVisitsOnePoint()
{
    // The maps of a window that has not run anything: no arrays, grid all 0.
    Analyzed2DRes ratio("N"), cor("a2d ElemsCor"), corTh("a2d ElemsCorTh");
    CorrelationMapJob job(cor.grid(), {{&ratio, 1.0}}, 0.999, &cor, &corTh);
    QList<double> seen;
    job.onProgress([&seen](double p) { seen << p; });
    QCOMPARE(job.sliceCount(), 1);
    QCOMPARE(job.totalItems(), qint64(1));
    job.runHere();
    QCOMPARE(seen, QList<double>{100.0});
    QVERIFY(!cor.data());
    // setData records the value even where no pixel takes it.
    QCOMPARE(cor.minValue(), 0.0);
    QCOMPARE(cor.maxValue(), 0.0);
}

void TestCorrelationMapJob::noRowInUseGivesZero()
{
    Maps maps;
    CorrelationMapJob job(maps.cor.grid(), {}, 0.5, &maps.cor, &maps.corTh);
    job.runHere();
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x)
            QCOMPARE(maps.cor.value(x, y), 0.0);
    QCOMPARE(maps.cor.maxValue(), 0.0);
}

QTEST_GUILESS_MAIN(TestCorrelationMapJob)
#include "tst_correlationmapjob.moc"
