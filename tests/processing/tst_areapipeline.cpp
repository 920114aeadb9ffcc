#include "DemoConfig.h"
#include "DemoModel.h"
#include "DemoWriter.h"
#include "analysis/Analyzed2DRes.h"
#include "analysis/AnalysisSnapshots.h"
#include "analysis/ScanGrid.h"
#include "io/TiffData.h"
#include "physics/XafsSpectrum.h"
#include "processing/AreaPipeline.h"
#include "processing/ShiftMapView.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

const char* const compounds[] = {"fe_metal", "fe2", "fe3"};

// A small demo measurement read back through the project's readers.
struct Demo {
    QTemporaryDir dir;
    std::unique_ptr<DemoModel> model;
    std::vector<std::unique_ptr<TiffData>> images;
    std::vector<const TiffData*> i1, i0;
    QVector<ReferenceSnapshot> refs;
    std::vector<double> shift;
    int width = 0, height = 0;

    bool make(bool noise, int w, int h, int energies)
    {
        DemoConfig c;
        c.outDir = dir.path();
        c.width = w;
        c.height = h;
        c.energies = energies;
        c.seed = 7;
        c.noise = noise;
        c.threads = 2;
        model = std::make_unique<DemoModel>(c);
        QString error;
        if (!model->isValid() || !DemoWriter::write(*model, c, &error))
            return false;
        width = c.width;
        height = c.height;
        if (!load("i1", &i1) || !load("i0", &i0) || i1.size() != std::size_t(c.energies))
            return false;
        // Undo the sample drift as an alignment would (the I1 images were
        // loaded first, in energy order).
        for (std::size_t k = 0; k < i1.size(); ++k)
            images[k]->setShift(-model->drift()[k].dx, -model->drift()[k].dy);
        for (const char* name : compounds) {
            ReferenceSnapshot r;
            if (!r.spectrum.load(QDir(dir.path()).filePath(QString("refs/%1.dat").arg(name))))
                return false;
            r.spectrum.setOffset(0.0, true);
            // Straight background lines: the Victoreen pre-edge line of these
            // references, extrapolated far above the edge, crosses the
            // post-edge line.
            r.spectrum.normalize(false);
            r.use = r.fileChosen = true;
            refs.append(r);
        }
        shift.assign(model->shift().begin(), model->shift().end());
        return true;
    }

    bool load(const QString& sub, std::vector<const TiffData*>* out)
    {
        const QDir d(QDir(dir.path()).filePath(sub));
        static const QRegularExpression re("(\\d+\\.\\d+)eV");
        for (const QString& name : d.entryList({"*.tif"}, QDir::Files, QDir::Name)) {
            auto t = std::make_unique<TiffData>();
            if (!t->read(d.filePath(name)))
                return false;
            t->setEnergy(re.match(name).captured(1).toDouble());
            out->push_back(t.get());
            images.push_back(std::move(t));
        }
        return !out->empty();
    }

    ShiftMapView shiftView() const
    {
        ShiftMapView v;
        v.data = shift.data();
        v.width = width;
        v.height = height;
        return v;
    }
};

struct Maps {
    std::vector<std::unique_ptr<Analyzed2DRes>> owned;
    QVector<Analyzed2DRes*> list;
    Maps(const ScanGrid& g, int n)
    {
        for (int i = 0; i < n; ++i) {
            owned.push_back(std::make_unique<Analyzed2DRes>());
            owned.back()->setup(g);
            list.append(owned.back().get());
        }
    }
};

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// First difference between two map lists, or an empty string.
QString firstDifference(const Maps& a, const Maps& b)
{
    for (int m = 0; m < a.list.size(); ++m) {
        const Analyzed2DRes& u = *a.list[m];
        const Analyzed2DRes& v = *b.list[m];
        if (!sameBits(u.minValue(), v.minValue()) || !sameBits(u.maxValue(), v.maxValue()))
            return QString("map %1: range %2 ... %3 vs %4 ... %5")
                .arg(m).arg(u.minValue()).arg(u.maxValue()).arg(v.minValue()).arg(v.maxValue());
        for (int y = 0; y < u.height(); ++y)
            for (int x = 0; x < u.width(); ++x)
                if (!sameBits(u.value(x, y), v.value(x, y)))
                    return QString("map %1 at (%2, %3): %4 vs %5")
                        .arg(m).arg(x).arg(y).arg(u.value(x, y), 0, 'g', 17).arg(v.value(x, y), 0, 'g', 17);
    }
    return QString();
}

int nonZeroValues(const Analyzed2DRes& m)
{
    int n = 0;
    for (int y = 0; y < m.height(); ++y)
        for (int x = 0; x < m.width(); ++x)
            n += m.value(x, y) != 0.0;
    return n;
}

} // namespace

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
    const QRectF whole(0, 0, 26, 21);
    QTest::newRow("pixels, LCF, shift map") << whole << 0 << 0 << false << true << true << false << 2;
    QTest::newRow("pixels, MLCF, no shift") << whole << 0 << 0 << true << false << true << false << 1;
    QTest::newRow("3 x 3, inner area, shift") << QRectF(3, 2, 17, 13) << 1 << 1 << false << true << false << false << 3;
    QTest::newRow("5 x 3, area past the image, MLCF") << QRectF(4, 5, 40, 40) << 2 << 1 << true << true << true << false << 2;
    QTest::newRow("7 x 7, area before the image") << QRectF(-5, -4, 30, 25) << 3 << 3 << false << true << true << false << 2;
    QTest::newRow("fluorescence, 3 x 1") << QRectF(1, 1, 24, 19) << 1 << 0 << false << true << false << true << 2;
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
    const Demo& d = m_demo;
    ScanGrid grid;
    grid.setup(d.width, d.height, halfWidth, halfHeight, area, -1, -1);
    AreaFitSetup setup;
    setup.mlcf = mlcf;
    setup.victoreen = victoreen;
    setup.references = d.refs;
    const ShiftMapView shift = useShift ? d.shiftView() : ShiftMapView();

    AreaPipeline pipeline;
    pipeline.setThreads(threads);
    QVERIFY(pipeline.prepare(d.i1, d.i0, grid, fluorescence, shift));
    QVERIFY(pipeline.setFit(setup));
    Maps fast(grid, 6), slow(grid, 6);
    pipeline.run(fast.list);
    QVERIFY(AreaPipeline::runPointByPoint(pipeline.source(), grid, shift, setup, slow.list));
    const QString diff = firstDifference(fast, slow);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    QVERIFY(nonZeroValues(*fast.list[3]) > 20);
    // The maps have values exactly on the blocks the grid visits inside the image.
    const BlockGrid& g = pipeline.grid();
    QVERIFY(g.blocks() > 4);
    const int x = g.xs.back() + halfWidth + 1, y = g.ys.back() + halfHeight + 1;
    if (x < d.width)
        QCOMPARE(fast.list[3]->value(x, 0), 0.0);
    if (y < d.height)
        QCOMPARE(fast.list[3]->value(0, y), 0.0);
}

void TestAreaPipeline::rowByRowEqualsRun()
{
    const Demo& d = m_demo;
    ScanGrid grid;
    grid.setup(d.width, d.height, 1, 0, QRectF(0, 0, d.width, d.height), -1, -1);
    AreaFitSetup setup;
    setup.references = d.refs;
    AreaPipeline pipeline;
    QVERIFY(pipeline.prepare(d.i1, d.i0, grid, false, d.shiftView()));
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
    QVERIFY(pipeline.prepare(d.i1, d.i0, grid, false, d.shiftView()));
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
    QVERIFY(pipeline.prepare(d.i1, d.i0, grid, false, ShiftMapView()));
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
        QVERIFY(pipeline.prepare(d.i1, d.i0, grid, false, withShift ? d.shiftView() : ShiftMapView()));
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
