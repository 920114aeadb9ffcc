#include "analysis/AreaPipeline.h"
#include "DemoMeasurement.h"

#include <QtTest>

using namespace DemoMeasurement;

class TestAreaPipeline : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void fastEqualsPointByPoint_data();
    void fastEqualsPointByPoint();
    void rowByRowEqualsRun();
    void unusedRowGetsNothing();
    void tooFewRowsRecordNothing();
    void fractionsFollowTheTruth();

private:
    Demo m_demo;
    Demo m_clean;
};

void TestAreaPipeline::initTestCase()
{
    QVERIFY(m_demo.make(true, 26, 21, 48));
    // Large enough that the sample drift of up to 3 pixels hardly changes the
    // energy shift a pixel sees.
    QVERIFY(m_clean.make(false, 64, 64, 100));
}

void TestAreaPipeline::fastEqualsPointByPoint_data()
{
    QTest::addColumn<QRectF>("area");
    QTest::addColumn<int>("halfWidth");
    QTest::addColumn<int>("halfHeight");
    QTest::addColumn<bool>("mlcf");
    QTest::addColumn<bool>("useShift");
    QTest::addColumn<bool>("victoreen");
    QTest::addColumn<bool>("fluorescence");
    QTest::addColumn<int>("threads");
    // Memory budget in bytes: 1 forces bands of one grid row.
    QTest::addColumn<qint64>("budget");
    // Mask threshold on the edge jump; negative: no mask.
    QTest::addColumn<double>("mask");
    const QRectF whole(0, 0, 26, 21);
    const qint64 big = qint64(1) << 30;
    QTest::newRow("pixels, LCF, shift map") << whole << 0 << 0 << false << true << true << false << 2 << big << -1.0;
    QTest::newRow("pixels, LCF, one-row bands") << whole << 0 << 0 << false << true << true << false << 2 << qint64(1) << -1.0;
    QTest::newRow("pixels, MLCF, no shift") << whole << 0 << 0 << true << false << true << false << 1 << big << -1.0;
    QTest::newRow("pixels, MLCF, 3-row bands") << whole << 0 << 0 << true << true << false << false << 2 << qint64(90000) << -1.0;
    QTest::newRow("3 x 3, inner area, shift") << QRectF(3, 2, 17, 13) << 1 << 1 << false << true << false << false << 3 << big << -1.0;
    QTest::newRow("5 x 3, area past the image, MLCF") << QRectF(4, 5, 40, 40) << 2 << 1 << true << true << true << false << 2 << qint64(1) << -1.0;
    QTest::newRow("7 x 7, area before the image") << QRectF(-5, -4, 30, 25) << 3 << 3 << false << true << true << false << 2 << big << -1.0;
    QTest::newRow("fluorescence, 3 x 1") << QRectF(1, 1, 24, 19) << 1 << 0 << false << true << false << true << 2 << big << -1.0;
    QTest::newRow("LCF, masked") << whole << 0 << 0 << false << true << false << false << 2 << qint64(1) << 0.3;
    QTest::newRow("MLCF, masked, past the image") << QRectF(4, 5, 40, 40) << 1 << 1 << true << true << false << false << 2 << big << 0.3;
}

void TestAreaPipeline::fastEqualsPointByPoint()
{
    QFETCH(QRectF, area);
    QFETCH(int, halfWidth);
    QFETCH(int, halfHeight);
    QFETCH(bool, mlcf);
    QFETCH(bool, useShift);
    QFETCH(bool, victoreen);
    QFETCH(bool, fluorescence);
    QFETCH(int, threads);
    QFETCH(qint64, budget);
    QFETCH(double, mask);
    const Demo& d = m_demo;
    ScanGrid grid;
    grid.setup(d.width, d.height, halfWidth, halfHeight, area, -1, -1);
    AreaFitSetup setup;
    setup.mlcf = mlcf;
    setup.victoreen = victoreen;
    setup.references = d.refs;
    setup.mask.on = mask >= 0.0;
    setup.mask.threshold = mask;
    const ShiftMapView shift = useShift ? d.shiftView() : ShiftMapView();

    AreaPipeline pipeline;
    pipeline.setThreads(threads);
    pipeline.setBudget(budget);
    pipeline.prepare(d.i1, d.i0, grid, fluorescence, shift);
    QVERIFY(pipeline.setFit(setup));
    if (budget == 1)
        QCOMPARE(pipeline.bandRows(), 1);
    if (budget == (qint64(1) << 30))
        QCOMPARE(pipeline.bandRows(), pipeline.rows());
    // Amounts and fractions of the three rows, then R-factor and fraction sum.
    Maps fast(grid, 8), slow(grid, 8);
    auto fitMaps = [](const Maps& m) {
        AreaFitMaps f;
        f.rows = m.list.mid(0, 6);
        f.rFactor = m.list[6];
        f.fractionSum = m.list[7];
        return f;
    };
    QVERIFY(pipeline.run(fitMaps(fast)));
    QVERIFY(AreaPipeline::runPointByPoint(pipeline.source(), grid, shift, setup, fitMaps(slow)));
    const QString diff = firstDifference(fast, slow);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    QVERIFY(nonZeroValues(*fast.list[3]) > 20);
    if (budget >= (qint64(1) << 20))
        QVERIFY(pipeline.workingBytes() <= budget);
    // The maps have values exactly on the blocks the grid visits inside the image.
    const BlockGrid& g = pipeline.grid();
    QVERIFY(g.blocks() > 4);
    const int x = g.xs.back() + halfWidth + 1, y = g.ys.back() + halfHeight + 1;
    if (x < d.width)
        QCOMPARE(fast.list[3]->value(x, 0), 0.0);
    if (y < d.height)
        QCOMPARE(fast.list[3]->value(0, y), 0.0);
    // The quality maps: an R-factor between 0 and 1 and fractions adding up
    // to about 1 at the centre of the sample (where nothing is masked).
    const int cx = d.width / 2, cy = d.height / 2;
    if (cx >= area.x() && cy >= area.y() && !mlcf && !fluorescence && halfWidth < 3) {
        const double r = fast.list[6]->value(cx, cy);
        QVERIFY2(r > 0.0 && r < 0.2, qPrintable(QString::number(r)));
        QVERIFY(std::fabs(fast.list[7]->value(cx, cy) - 1.0) < 0.3);
    }
    if (setup.mask.on) {
        // NaN in all eight maps exactly where the block's edge jump is below
        // the threshold; both kinds of blocks occur.
        int masked = 0, kept = 0;
        for (int y : g.ys) {
            for (int x : g.xs) {
                if (x < 0 || y < 0 || x >= d.width || y >= d.height)
                    continue;
                const double jump = pipeline.source().xafs(x, y, victoreen, shift.at(x, y)).jump();
                if (jump < mask) {
                    ++masked;
                    for (int m = 0; m < 8; ++m)
                        QVERIFY2(std::isnan(fast.list[m]->value(x, y)), qPrintable(QString::number(m)));
                } else {
                    ++kept;
                    QVERIFY(!std::isnan(fast.list[6]->value(x, y)));
                }
            }
        }
        QVERIFY(masked > 3);
        QVERIFY(kept > 3);
    }
}

void TestAreaPipeline::rowByRowEqualsRun()
{
    const Demo& d = m_demo;
    ScanGrid grid;
    grid.setup(d.width, d.height, 1, 0, QRectF(0, 0, d.width, d.height), -1, -1);
    AreaFitSetup setup;
    setup.references = d.refs;
    AreaPipeline pipeline;
    pipeline.prepare(d.i1, d.i0, grid, false, d.shiftView());
    QVERIFY(pipeline.setFit(setup));
    Maps all(grid, 6), byRow(grid, 6);
    pipeline.run(all.list);
    for (int j = 0; j < pipeline.rows(); ++j) {
        pipeline.analyzeRows(j, 1);
        pipeline.recordRows(byRow.list);
    }
    const QString diff = firstDifference(all, byRow);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
}

void TestAreaPipeline::unusedRowGetsNothing()
{
    const Demo& d = m_demo;
    ScanGrid grid;
    grid.setup(d.width, d.height, 0, 0, QRectF(0, 0, d.width, d.height), -1, -1);
    AreaFitSetup setup;
    setup.references = d.refs;
    setup.references[1].use = false;
    AreaPipeline pipeline;
    pipeline.prepare(d.i1, d.i0, grid, false, d.shiftView());
    QVERIFY(pipeline.setFit(setup));
    Maps fast(grid, 6), slow(grid, 6);
    pipeline.run(fast.list);
    AreaPipeline::runPointByPoint(pipeline.source(), grid, d.shiftView(), setup, slow.list);
    QVERIFY(firstDifference(fast, slow).isEmpty());
    QCOMPARE(nonZeroValues(*fast.list[1]), 0);
    QCOMPARE(nonZeroValues(*fast.list[4]), 0);
    QCOMPARE(nonZeroValues(*fast.list[5]), d.width * d.height);
    // Two references fit the sample: their fractions add up to about 1 where
    // there is a sample.
    const int cx = d.width / 2, cy = d.height / 2;
    QVERIFY(d.model->thickness()[std::size_t(cy * d.width + cx)] > 0);
    QVERIFY(std::fabs(fast.list[3]->value(cx, cy) + fast.list[5]->value(cx, cy) - 1.0) < 0.3);
}

void TestAreaPipeline::tooFewRowsRecordNothing()
{
    const Demo& d = m_demo;
    ScanGrid grid;
    grid.setup(d.width, d.height, 0, 0, QRectF(0, 0, d.width, d.height), -1, -1);
    AreaFitSetup setup;
    setup.references = {d.refs[0]};
    AreaPipeline pipeline;
    pipeline.prepare(d.i1, d.i0, grid, false, ShiftMapView());
    QVERIFY(!pipeline.setFit(setup));
    Maps fast(grid, 2), slow(grid, 2);
    pipeline.run(fast.list);
    QVERIFY(!AreaPipeline::runPointByPoint(pipeline.source(), grid, ShiftMapView(), setup, slow.list));
    QCOMPARE(nonZeroValues(*fast.list[0]) + nonZeroValues(*fast.list[1]), 0);
    QCOMPARE(fast.list[0]->maxValue(), Analyzed2DRes::emptyMax);
}

void TestAreaPipeline::fractionsFollowTheTruth()
{
    // Noiseless data: with the true shift map the fractions come close to the
    // truth; without it they are clearly worse.
    const Demo& d = m_clean;
    ScanGrid grid;
    grid.setup(d.width, d.height, 0, 0, QRectF(0, 0, d.width, d.height), -1, -1);
    AreaFitSetup setup;
    setup.victoreen = false;
    setup.references = d.refs;
    double err[2] = {0, 0};
    for (int withShift = 0; withShift < 2; ++withShift) {
        AreaPipeline pipeline;
        pipeline.prepare(d.i1, d.i0, grid, false, withShift ? d.shiftView() : ShiftMapView());
        QVERIFY(pipeline.setFit(setup));
        Maps maps(grid, 6);
        pipeline.run(maps.list);
        int n = 0;
        for (int y = 0; y < d.height; ++y)
            for (int x = 0; x < d.width; ++x) {
                const std::size_t p = std::size_t(y) * std::size_t(d.width) + std::size_t(x);
                if (!(d.model->thickness()[p] > 0))
                    continue;
                for (int k = 0; k < 3; ++k)
                    err[withShift] += std::fabs(maps.list[3 + k]->value(x, y) - d.model->fraction(k)[p]);
                n += 3;
            }
        QVERIFY(n > 30);
        err[withShift] /= n;
    }
    QVERIFY2(err[1] < 0.03, qPrintable(QString("mean error with the shift map %1").arg(err[1])));
    QVERIFY2(err[0] > 1.5 * err[1], qPrintable(QString("without %1, with %2").arg(err[0]).arg(err[1])));
}

QTEST_GUILESS_MAIN(TestAreaPipeline)
#include "tst_areapipeline.moc"
