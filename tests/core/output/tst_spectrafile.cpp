#include "DebugCapture.h"
#include "TestStacks.h"

#include "base/JobRunner.h"
#include "output/SpectraFileJob.h"
#include "physics/XafsSpectrum.h"
#include "processing/AbsorptionSpectrum.h"
#include "processing/BlockSum.h"

#include <QDir>
#include <QSignalSpy>
#include <QTextStream>
#include <QtTest>
#include <cmath>

// The spectra files: header, and content equal byte for byte to what a
// point-by-point walk of the grid writes.
class TestSpectraFile : public QObject
{
    Q_OBJECT
private slots:
    void header();
    void sameAsPointByPoint_data();
    void sameAsPointByPoint();
    void throughTheRunner();
    void stopKeepsTheOldFile();
    void nothingWithoutI1();
    void defaultSuffix();

private:
    struct Data {
        TestStacks stacks;
        std::vector<const TiffData*> i1, i0;
        std::vector<double> shift;   // width x height
        int width = 24;
        int height = 18;
    };
    // An iron-like edge whose position and height vary over the image, with
    // I0 taken at energies between the I1 energies; one I1 image is narrower.
    static void makeData(Data& d, bool floats);
    static SpectraFileRequest request(const Data& d, const QString& path, bool raw, const QRectF& area,
                                      int hw, int hh);
    // The walk of the grid, one point after the other, with a text stream.
    static QByteArray pointByPoint(const SpectraFileRequest& r, QStringList* progress);
};

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QString firstDifference(const QByteArray& a, const QByteArray& b)
{
    const QList<QByteArray> la = a.split('\n'), lb = b.split('\n');
    for (int i = 0; i < qMin(la.size(), lb.size()); ++i)
        if (la.at(i) != lb.at(i))
            return QString("line %1:\n%2\n%3").arg(i + 1).arg(QString(la.at(i).left(300)), QString(lb.at(i).left(300)));
    return QString("lengths %1 and %2 lines").arg(la.size()).arg(lb.size());
}

} // namespace

void TestSpectraFile::makeData(Data& d, bool floats)
{
    const int w = d.width, h = d.height;
    const auto i0 = [](int x, int y, double e) { return 20000.0 + 40.0 * x - 25.0 * y + 3.0 * (e - 7100.0); };
    const auto mu = [](int x, int y, double e) {
        const double e0 = 7120.0 + 0.3 * x - 0.2 * y;
        const double step = 1.0 / (1.0 + std::exp(-(e - e0) / 3.0));
        return 0.4 + 0.0004 * (e - 7000.0) + (0.3 + 0.02 * x) * step;
    };
    for (int k = 0; k < 16; ++k) {
        const double e = 7000.0 + 20.0 * k;
        const int iw = k == 5 ? w - 3 : w;
        const auto f = [&](int x, int y) { return i0(x, y, e) * std::exp(-mu(x, y, e)) + (x * 7 + y * 3) % 5; };
        d.i1.push_back(floats ? d.stacks.cttr(iw, h, e, f) : d.stacks.u16(iw, h, e, f));
    }
    for (int k = 0; k < 15; ++k) {
        const double e = 7005.0 + 21.0 * k;
        d.i0.push_back(d.stacks.u16(w, h, e, [&](int x, int y) { return i0(x, y, e); }));
    }
    d.shift.resize(std::size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            d.shift[std::size_t(y) * w + x] = 0.37 * x - 0.11 * y + (x == 3 ? 1e-7 : 0.0);
}

SpectraFileRequest TestSpectraFile::request(const Data& d, const QString& path, bool raw, const QRectF& area,
                                            int hw, int hh)
{
    SpectraFileRequest r;
    r.fileName = path;
    r.raw = raw;
    r.grid = SpectraFileJob::grid(d.width, d.height, hw, hh, area);
    r.i1 = d.i1;
    r.i0 = d.i0;
    r.victoreen = true;
    r.shiftMap = d.shift.data();
    r.shiftWidth = d.width;
    r.shiftHeight = d.height;
    return r;
}

QByteArray TestSpectraFile::pointByPoint(const SpectraFileRequest& r, QStringList* progress)
{
    QByteArray bytes;
    QTextStream out(&bytes);
    ScanGrid g = r.grid;
    out << (r.raw ? "# Orvantelle Save Raw Spectra 1.0\n" : "# Orvantelle Save Xafs Spectra 1.0\n");
    out << "# X-Range (x0, x1), steps : " << g.x0 << " " << g.x1 << " " << g.columns() << "\n";
    out << "# Y-Range (y0, y1), steps : " << g.y0 << " " << g.y1 << " " << g.rows() << "\n";
    out << "# Full Width, Height      : " << g.imageWidth << " " << g.imageHeight << "\n";
    out << "# Bin Half Width, Height  : " << g.halfWidth << " " << g.halfHeight << "\n";
    out << "# Step dX, dY             : " << g.stepX << " " << g.stepY << "\n";
    out << "# End of Header\n";
    const AbsorptionSpectrum a(r.i1, r.i0, g.halfWidth, g.halfHeight, r.fluorescence);
    g.restart();
    bool newLine = true;
    do {
        if (newLine)
            *progress << QString("Save Xafs Spectra : Progress %1").arg(double(g.y - g.y0) / (g.y1 - g.y0) * 100.0);
        if (r.raw) {
            out << QString("%1 %2").arg(g.x).arg(g.y);
            for (const TiffData* t : r.i1)
                out << " " << t->energy() << " " << BlockSum::of(*t, g.x, g.y, g.halfWidth, g.halfHeight);
        } else {
            const double e = mapValueAt(r.shiftMap, r.shiftWidth, r.shiftHeight, g.x, g.y);
            const XafsSpectrum xs = a.xafs(g.x, g.y, r.victoreen, e);
            out << QString("%1 %2 %3").arg(g.x).arg(g.y).arg(e);
            for (int i = 0; i < xs.count(); ++i)
                out << " " << xs.x(i) << " " << xs.doubleNormalizedPostBase().y(i);
        }
        out << "\n";
    } while (g.next(newLine));
    out.flush();
    return bytes;
}

void TestSpectraFile::header()
{
    const ScanGrid g = SpectraFileJob::grid(120, 60, 10, 10, QRectF(0, 0, 100, 50));
    QCOMPARE(SpectraFileJob::header(g, false).split('\n'),
             QList<QByteArray>({"# Orvantelle Save Xafs Spectra 1.0", "# X-Range (x0, x1), steps : 0 100 5",
                                "# Y-Range (y0, y1), steps : 0 50 2", "# Full Width, Height      : 120 60",
                                "# Bin Half Width, Height  : 10 10", "# Step dX, dY             : 21 21",
                                "# End of Header", ""}));
    QCOMPARE(SpectraFileJob::header(g, true).split('\n').at(0), QByteArray("# Orvantelle Save Raw Spectra 1.0"));
    QCOMPARE(QPoint(g.x, g.y), QPoint(10, 10));

    // The first point line starts at (10, 10).
    Data d;
    d.width = 120;
    d.height = 60;
    d.i1.push_back(d.stacks.u16(120, 60, 7000.0, [](int x, int) { return 100.0 + x; }));
    QTemporaryDir dir;
    SpectraFileJob job(request(d, dir.filePath("h.dat"), true, QRectF(0, 0, 100, 50), 10, 10));
    QVERIFY(job.runHere());
    const QList<QByteArray> written = bytesOf(dir.filePath("h.dat")).split('\n');
    QCOMPARE(written.size(), 7 + 10 + 1);
    QVERIFY2(written.at(7).startsWith("10 10 7000 "), written.at(7).constData());
    QVERIFY(written.at(8).startsWith("31 10 "));
    QVERIFY(written.at(12).startsWith("10 31 "));
}

void TestSpectraFile::sameAsPointByPoint_data()
{
    QTest::addColumn<bool>("raw");
    QTest::addColumn<bool>("floats");
    QTest::addColumn<QRectF>("area");
    QTest::addColumn<int>("hw");
    QTest::addColumn<int>("hh");
    QTest::addColumn<qint64>("budget");
    const QRectF whole(0, 0, 24, 18);
    QTest::newRow("xafs, whole image") << false << false << whole << 1 << 2 << (qint64(256) << 20);
    QTest::newRow("xafs, one row per slice") << false << false << whole << 1 << 1 << qint64(4096);
    QTest::newRow("xafs, past the right edge") << false << false << QRectF(2, 1, 25, 16) << 1 << 2 << (qint64(1) << 20);
    QTest::newRow("xafs, negative start") << false << false << QRectF(-4, -3, 20, 20) << 1 << 0 << (qint64(1) << 20);
    QTest::newRow("xafs, single pixels") << false << false << QRectF(3, 3, 9, 6) << 0 << 0 << (qint64(1) << 20);
    QTest::newRow("xafs, float images") << false << true << whole << 2 << 1 << (qint64(1) << 20);
    QTest::newRow("raw, whole image") << true << false << whole << 1 << 2 << (qint64(256) << 20);
    QTest::newRow("raw, past the right edge") << true << false << QRectF(2, 1, 25, 16) << 2 << 2 << qint64(4096);
    QTest::newRow("raw, negative start") << true << false << QRectF(-4, -3, 20, 20) << 0 << 1 << (qint64(1) << 20);
    QTest::newRow("raw, float images") << true << true << whole << 1 << 1 << (qint64(1) << 20);
}

void TestSpectraFile::sameAsPointByPoint()
{
    QFETCH(bool, raw);
    QFETCH(bool, floats);
    QFETCH(QRectF, area);
    QFETCH(int, hw);
    QFETCH(int, hh);
    QFETCH(qint64, budget);
    Data d;
    makeData(d, floats);
    QVERIFY(std::none_of(d.i1.begin(), d.i1.end(), [](const TiffData* t) { return !t; }));
    QTemporaryDir dir;
    SpectraFileRequest r = request(d, dir.filePath("s.dat"), raw, area, hw, hh);
    r.memoryBudget = budget;

    QStringList expectedProgress;
    const QByteArray expected = pointByPoint(r, &expectedProgress);
    SpectraFileJob job(r);
    DebugCapture capture;
    QVERIFY2(job.runHere(), qPrintable(job.result().message));
    const QByteArray written = bytesOf(dir.filePath("s.dat"));
    QVERIFY2(written == expected, qPrintable(firstDifference(written, expected)));
    QCOMPARE(DebugCapture::lines(), expectedProgress);
    QVERIFY(written.count('\n') >= 7 + 12);
}

void TestSpectraFile::throughTheRunner()
{
    Data d;
    makeData(d, false);
    QTemporaryDir dir;
    SpectraFileRequest r = request(d, dir.filePath("run.dat"), false, QRectF(0, 0, 24, 18), 0, 0);
    r.memoryBudget = 4096;   // a row per slice
    QStringList progress;
    const QByteArray expected = pointByPoint(r, &progress);
    auto job = std::make_shared<SpectraFileJob>(r);
    SaveProvenance provenance;
    provenance.halfWidth = 0;
    provenance.energyRule = "calculated";
    job->setProvenance(provenance);
    QCOMPARE(job->sliceCount(), 18);
    QCOMPARE(job->totalItems(), qint64(24 * 18));
    SaveFileJob::Result result;
    job->setDone([&result](const SaveFileJob::Result& res) { result = res; });
    JobRunner runner;
    QSignalSpy finished(&runner, &JobRunner::finished);
    QVERIFY(runner.start(job));
    QVERIFY(finished.wait(60000));
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QVERIFY2(result.ok, qPrintable(result.message));
    QCOMPARE(result.path, dir.filePath("run.dat"));
    QVERIFY(bytesOf(dir.filePath("run.dat")) == expected);
    QVERIFY(bytesOf(dir.filePath("run.dat.provenance.txt")).contains("Energy rule      : calculated\n"));
}

void TestSpectraFile::stopKeepsTheOldFile()
{
    Data d;
    makeData(d, false);
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.dat");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old spectra\n");
    }
    SpectraFileRequest r = request(d, path, false, QRectF(0, 0, 24, 18), 0, 0);
    r.memoryBudget = 4096;
    auto job = std::make_shared<SpectraFileJob>(r);
    job->setProvenance(SaveProvenance());
    SaveFileJob::Result result;
    job->setDone([&result](const SaveFileJob::Result& res) { result = res; });
    JobRunner runner;
    QVERIFY(runner.start(job));
    runner.stopAndWait();
    QVERIFY(result.stopped);
    QVERIFY(!result.ok);
    QCOMPARE(bytesOf(path), QByteArray("old spectra\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.dat"});
}

void TestSpectraFile::nothingWithoutI1()
{
    Data d;
    QTemporaryDir dir;
    SpectraFileRequest r = request(d, dir.filePath("none"), false, QRectF(0, 0, 24, 18), 1, 1);
    SpectraFileJob job(r);
    QCOMPARE(job.sliceCount(), 0);
    QVERIFY(!job.runHere());
    QVERIFY2(job.result().message.contains("no I1 image"), qPrintable(job.result().message));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

void TestSpectraFile::defaultSuffix()
{
    Data d;
    d.i1.push_back(d.stacks.u16(8, 8, 7000.0, [](int, int) { return 5.0; }));
    QTemporaryDir dir;
    SpectraFileJob plain(request(d, dir.filePath("spectra"), true, QRectF(0, 0, 8, 8), 1, 1));
    QVERIFY(plain.runHere());
    SpectraFileJob other(request(d, dir.filePath("s.txt"), true, QRectF(0, 0, 8, 8), 1, 1));
    QVERIFY(other.runHere());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name), QStringList({"s.txt", "spectra.dat"}));
}

QTEST_GUILESS_MAIN(TestSpectraFile)
#include "tst_spectrafile.moc"
