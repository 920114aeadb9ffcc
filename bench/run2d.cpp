// run2d DIR: analyses a demo measurement written by tools/make-demo with the
// fast whole-area pipeline and with the point-by-point path, and prints one
// "name: value" line per figure: load time, stack size, the speed of both
// paths and the error of the LCF fractions against the true fractions, with
// the true energy-shift map applied as each block's dE and without it.
//
// The reference rows and the block spectra use straight background lines: the
// Victoreen pre-edge line of the demo references, fitted 100 to 10 eV below
// the edge, extrapolates across their post-edge line about 200 eV above it,
// where the double-normalised spectra then blow up and ruin every fit.
//
// Options: --threads N (default: one per processor), --victoreen (Victoreen
// background lines for references and blocks), --save OUTDIR (the fraction
// maps as 16-bit TIFF and false-colour PNG). Diagnostics (map agreement,
// memory) go to stderr; the exit status is 2 for a bad command line, 1 when
// the inputs cannot be read (an image of another size than the first one of
// its stack included), 4 when --save cannot write the maps and 3 when the two
// paths disagree.

#include "analysis/Analyzed2DRes.h"
#include "analysis/AnalysisSnapshots.h"
#include "analysis/ScanGrid.h"
#include "io/TiffData.h"
#include "output/TiffWriter.h"
#include "physics/XafsSpectrum.h"
#include "processing/AreaPipeline.h"
#include "processing/ShiftMapView.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t0)
{
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// Compounds of the demo, in the order of its references and truth maps.
const char* const compounds[] = {"fe_metal", "fe2", "fe3"};
constexpr int compoundCount = 3;

struct Series {
    std::vector<std::unique_ptr<TiffData>> images;
    std::vector<const TiffData*> view;
    bool ok = true;
};

// The energy a demo file name carries ("i1_7112.50eV.tif" -> 7112.5).
bool energyOfName(const QString& name, double* e)
{
    static const QRegularExpression re(QStringLiteral("(\\d+(?:\\.\\d+)?)eV"));
    const QRegularExpressionMatch m = re.match(name);
    if (!m.hasMatch())
        return false;
    *e = m.captured(1).toDouble();
    return true;
}

// Every "*.tif" of dir, in name order, read with TiffData::read and given the
// energy of its name; every image must have the size of the first.
void loadSeries(const QString& dir, Series* s)
{
    const QStringList names = QDir(dir).entryList({QStringLiteral("*.tif")}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        double e = 0.0;
        auto t = std::make_unique<TiffData>();
        if (!energyOfName(name, &e) || !t->read(QDir(dir).filePath(name))) {
            std::fprintf(stderr, "run2d: cannot read %s\n", qPrintable(QDir(dir).filePath(name)));
            s->ok = false;
            return;
        }
        t->setEnergy(e);
        if (!s->images.empty() && (t->width() != s->images.front()->width() || t->height() != s->images.front()->height())) {
            std::fprintf(stderr, "run2d: %s is %u x %u, not %u x %u as %s\n", qPrintable(t->fileName()), t->width(),
                         t->height(), s->images.front()->width(), s->images.front()->height(),
                         qPrintable(s->images.front()->fileName()));
            s->ok = false;
            return;
        }
        s->view.push_back(t.get());
        s->images.push_back(std::move(t));
    }
    s->ok = !s->images.empty();
}

// A raw little-endian float32 map of width x height values.
bool readF32(const QString& path, int width, int height, std::vector<double>* out)
{
    QFile f(path);
    const qint64 n = qint64(width) * height;
    if (!f.open(QIODevice::ReadOnly) || f.size() != n * 4)
        return false;
    const QByteArray bytes = f.readAll();
    out->resize(std::size_t(n));
    for (qint64 i = 0; i < n; ++i) {
        float v;
        std::memcpy(&v, bytes.constData() + i * 4, 4);
        (*out)[std::size_t(i)] = v;
    }
    return true;
}

// Alignment shifts (-dx, -dy) from truth/drift.txt, applied to the images of
// the listed energies. Returns the number of images shifted.
int applyDrift(const QString& path, const std::vector<std::unique_ptr<TiffData>>& images)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    std::map<qint64, std::pair<int, int>> drift;
    QTextStream in(&f);
    QString line;
    while (in.readLineInto(&line)) {
        const QStringList items = line.simplified().split(' ');
        if (line.startsWith('#') || items.size() < 4)
            continue;
        drift[qRound64(items[1].toDouble() * 100.0)] = {items[2].toInt(), items[3].toInt()};
    }
    int shifted = 0;
    for (const auto& t : images) {
        const auto it = drift.find(qRound64(t->energy() * 100.0));
        if (it == drift.end())
            continue;
        t->setShift(-it->second.first, -it->second.second);
        ++shifted;
    }
    return shifted;
}

// Mean and 95th percentile of |fraction - truth| over the sample pixels and
// the three compounds; a fraction that is not finite counts as an error of 1.
void fractionErrors(const QVector<Analyzed2DRes*>& maps, const std::vector<double> truth[],
                    const std::vector<double>& thickness, int width, double* mae, double* p95)
{
    std::vector<double> err;
    for (std::size_t p = 0; p < thickness.size(); ++p) {
        if (!(thickness[p] > 0.0))
            continue;
        const int x = int(p % std::size_t(width)), y = int(p / std::size_t(width));
        for (int k = 0; k < compoundCount; ++k) {
            const double f = maps[compoundCount + k]->value(x, y);
            err.push_back(std::isfinite(f) ? std::fabs(f - truth[k][p]) : 1.0);
        }
    }
    if (err.empty()) {
        *mae = *p95 = std::nan("");
        return;
    }
    double sum = 0.0;
    for (double e : err)
        sum += e;
    *mae = sum / double(err.size());
    const std::size_t k = std::min(err.size() - 1, std::size_t(std::ceil(0.95 * double(err.size()))) - 1);
    std::nth_element(err.begin(), err.begin() + std::ptrdiff_t(k), err.end());
    *p95 = err[k];
}

struct Maps {
    std::vector<std::unique_ptr<Analyzed2DRes>> owned;
    QVector<Analyzed2DRes*> list;

    explicit Maps(const ScanGrid& grid)
    {
        for (int i = 0; i < 2 * compoundCount; ++i) {
            owned.push_back(std::make_unique<Analyzed2DRes>(QStringLiteral("LCF Ref %1").arg(i % compoundCount + 1)));
            owned.back()->setup(grid);
            owned.back()->setNo(i);
            list.append(owned.back().get());
        }
    }
};

// Value-for-value agreement of two map lists (NaN equal to NaN).
qint64 differingValues(const Maps& a, const Maps& b, int width, int height)
{
    qint64 n = 0;
    for (int m = 0; m < a.list.size(); ++m)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const double u = a.list[m]->value(x, y), v = b.list[m]->value(x, y);
                if (!(std::memcmp(&u, &v, sizeof u) == 0 || (std::isnan(u) && std::isnan(v))))
                    ++n;
            }
    return n;
}

// Writes every fraction map of `maps` into `out` as a 16-bit TIFF (0 to 1 over
// 0 to 65535) and as a false-colour PNG, so a person can look at the result.
bool saveFractionMaps(const Maps& maps, const QString& out)
{
    if (!QDir().mkpath(out))
        return false;
    ColorScale colors;
    colors.setFormat(QImage::Format_RGB888);
    bool ok = true;
    for (int k = 0; k < compoundCount; ++k) {
        Analyzed2DRes* map = maps.list[compoundCount + k];
        const QString base = QDir(out).filePath(QStringLiteral("fraction_%1").arg(compounds[k]));
        const QVector<quint16> values = map->tiffDataForSave(true, 0.0, 1.0, false);
        ok = ok && !values.isEmpty()
            && writeTiff16(base + ".tif", values.constData(), map->width(), map->height());
        map->setColorScale(&colors);
        map->setImageFormat(QImage::Format_RGB888);
        map->setScale(0.0, 1.0);
        map->setFixedScale(true);
        ok = ok && map->img() && map->img()->save(base + ".png");
        map->setColorScale(nullptr);
    }
    return ok;
}

int usage()
{
    std::fprintf(stderr, "usage: run2d DIR [--threads N] [--victoreen] [--save OUTDIR]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int threads = 0;
    bool victoreen = false;
    QString dir;
    QString saveDir;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--threads") && i + 1 < args.size()) {
            bool ok = false;
            threads = args[++i].toInt(&ok);
            if (!ok || threads < 1) {
                std::fprintf(stderr, "run2d: --threads needs a positive whole number, not \"%s\"\n", qPrintable(args[i]));
                return usage();
            }
        }
        else if (args[i] == QLatin1String("--victoreen"))
            victoreen = true;
        else if (args[i] == QLatin1String("--save") && i + 1 < args.size())
            saveDir = args[++i];
        else if (dir.isEmpty() && !args[i].startsWith(QLatin1String("--")))
            dir = args[i];
        else
            return usage();
    }
    if (dir.isEmpty())
        return usage();
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    ColorScale::global();
    const QDir d(dir);

    // Loading: the two series in two threads, as the program's two loaders do.
    const Clock::time_point t0 = Clock::now();
    Series i1, i0;
    {
        std::thread l1([&] { loadSeries(d.filePath("i1"), &i1); });
        loadSeries(d.filePath("i0"), &i0);
        l1.join();
    }
    if (!i1.ok || !i0.ok) {
        std::fprintf(stderr, "run2d: cannot read the image series of %s\n", qPrintable(dir));
        return 1;
    }
    if (i1.images.front()->width() != i0.images.front()->width()
        || i1.images.front()->height() != i0.images.front()->height()) {
        std::fprintf(stderr, "run2d: the I1 images (%s) and the I0 images (%s) differ in size\n",
                     qPrintable(i1.images.front()->fileName()), qPrintable(i0.images.front()->fileName()));
        return 1;
    }
    const int shifted = applyDrift(d.filePath("truth/drift.txt"), i1.images);
    const int width = int(i1.images.front()->width());
    const int height = int(i1.images.front()->height());

    QVector<ReferenceSnapshot> refs;
    std::vector<double> truth[compoundCount];
    for (int k = 0; k < compoundCount; ++k) {
        ReferenceSnapshot r;
        if (!r.spectrum.load(d.filePath(QStringLiteral("refs/%1.dat").arg(compounds[k])))) {
            std::fprintf(stderr, "run2d: cannot read the reference %s\n", compounds[k]);
            return 1;
        }
        r.spectrum.setOffset(0.0, true);   // a reference row keeps its dE (0) in the offset
        r.spectrum.setVictoreen(victoreen);
        r.spectrum.normalize(victoreen);
        r.use = true;
        r.fileChosen = true;
        refs.append(r);
        if (!readF32(d.filePath(QStringLiteral("truth/fraction_%1.f32").arg(compounds[k])), width, height,
                     &truth[k])) {
            std::fprintf(stderr, "run2d: cannot read the true fractions of %s\n", compounds[k]);
            return 1;
        }
    }
    std::vector<double> thickness, shift;
    if (!readF32(d.filePath("truth/thickness.f32"), width, height, &thickness)
        || !readF32(d.filePath("truth/shift.f32"), width, height, &shift)) {
        std::fprintf(stderr, "run2d: cannot read the truth maps\n");
        return 1;
    }
    const double loadS = secondsSince(t0);

    ScanGrid grid;
    grid.setup(width, height, 0, 0, QRectF(0, 0, width, height), -1, -1);
    ShiftMapView shiftView;
    shiftView.data = shift.data();
    shiftView.width = width;
    shiftView.height = height;
    AreaFitSetup setup;
    setup.victoreen = victoreen;
    setup.references = refs;

    // The fast path with the true shift map.
    Maps fast(grid);
    AreaPipeline pipeline;
    pipeline.setThreads(threads);
    const Clock::time_point t1 = Clock::now();
    if (!pipeline.prepare(i1.view, i0.view, grid, false, shiftView)) {
        std::fprintf(stderr, "run2d: the block values do not fit in memory\n");
        return 1;
    }
    const double valuesS = secondsSince(t1);
    pipeline.setFit(setup);
    pipeline.run(fast.list);
    const double fastS = secondsSince(t1);
    const qint64 spectra = pipeline.spectra().blocks();

    // The point-by-point path, same inputs.
    Maps slow(grid);
    const Clock::time_point t2 = Clock::now();
    AreaPipeline::runPointByPoint(pipeline.source(), grid, shiftView, setup, slow.list);
    const double slowS = secondsSince(t2);

    // The fast path once more without the shift map.
    Maps noShift(grid);
    pipeline.prepare(i1.view, i0.view, grid, false, ShiftMapView());
    pipeline.setFit(setup);
    pipeline.run(noShift.list);

    double maeShift, p95Shift, maeNoShift, p95NoShift;
    fractionErrors(fast.list, truth, thickness, width, &maeShift, &p95Shift);
    fractionErrors(noShift.list, truth, thickness, width, &maeNoShift, &p95NoShift);

    std::printf("load_s: %.3f\n", loadS);
    std::printf("images: %d\n", int(i1.view.size()));
    std::printf("spectra: %lld\n", (long long)spectra);
    std::printf("fast_s: %.4f\n", fastS);
    std::printf("fast_spectra_per_s: %.0f\n", double(spectra) / fastS);
    std::printf("perpoint_s: %.4f\n", slowS);
    std::printf("perpoint_spectra_per_s: %.0f\n", double(spectra) / slowS);
    std::printf("ratio: %.2f\n", slowS / fastS);
    std::printf("mae_shift: %.4f\n", maeShift);
    std::printf("p95_shift: %.4f\n", p95Shift);
    std::printf("mae_noshift: %.4f\n", maeNoShift);
    std::printf("p95_noshift: %.4f\n", p95NoShift);

    std::fflush(stdout);
    const qint64 differing = differingValues(fast, slow, width, height);
    std::fprintf(stderr, "run2d: %d I0 and %d I1 images, %d I1 images aligned by the true drift, %s background\n",
                 int(i0.view.size()), int(i1.view.size()), shifted, victoreen ? "Victoreen" : "straight");
    std::fprintf(stderr, "run2d: fast and point-by-point maps: %lld values differ\n", (long long)differing);
    std::fprintf(stderr, "run2d: fast path %.3f s: block values %.3f s, fits and recording %.3f s, %d threads\n",
                 fastS, valuesS, fastS - valuesS, pipeline.threads());
    std::fprintf(stderr, "run2d: pipeline working set %.3f bytes per block per image (values alone %.3f)\n",
                 double(pipeline.workingBytes()) / double(spectra) / double(i1.view.size()),
                 double(pipeline.spectra().capacityBytes()) / double(spectra) / double(i1.view.size()));
    if (!saveDir.isEmpty()) {
        if (!saveFractionMaps(fast, saveDir)) {
            std::fprintf(stderr, "run2d: cannot save the fraction maps to %s\n", qPrintable(saveDir));
            return 4;
        }
        std::fprintf(stderr, "run2d: fraction maps (with the shift map) saved to %s\n", qPrintable(saveDir));
    }
    return differing == 0 ? 0 : 3;
}
