// run2d DIR: analyses a demo measurement written by tools/make-demo with the
// whole-area runs as the program runs them (a job, band by band, each band's
// results recorded into the maps before the next band starts) and prints one
// "name: value" line per figure: load time, stack size, the speed of the run,
// the longest slice, the peak resident memory, the working set of the run
// against its memory budget, and for the LCF run the speed of the
// point-by-point path and the error of the fractions against the true ones,
// with the true energy-shift map applied as each block's dE and without it.
//
// The reference rows and the block spectra use straight background lines: the
// Victoreen pre-edge line of the demo references, fitted 100 to 10 eV below
// the edge, extrapolates across their post-edge line about 200 eV above it,
// where the double-normalised spectra then blow up and ruin every fit.
//
// Options: --run lcf|mlcf|elements|residual|fourier (default lcf),
// --budget-mb N (memory budget of the run, default 1024), --threads N
// (default: one per processor), --victoreen (Victoreen background lines),
// --rows-per-slice N (grid rows of a slice, capped by the budget; default: a
// few milliseconds of work), --no-perpoint (skip the point-by-point comparison and the run without the
// shift map, for large stacks), --save OUTDIR (the LCF fraction maps as
// 16-bit TIFF and false-colour PNG). Diagnostics go to stderr; the exit
// status is 2 for a bad command line, 1 when the inputs cannot be read (an
// image of another size than the first one of its stack included), 3 when
// the two paths disagree, 4 when the run's working set exceeds its budget or
// --save cannot write the maps.

#include "analysis/AnalysisSnapshots.h"
#include "analysis/AreaPipeline.h"
#include "analysis/ElementRunJob.h"
#include "analysis/FourierAnalysisJob.h"
#include "analysis/LcfRunJob.h"
#include "analysis/ResidualRunJob.h"
#include "grid/Analyzed2DRes.h"
#include "grid/ScanGrid.h"
#include "grid/ShiftMapView.h"
#include "io/TiffData.h"
#include "output/TiffWriter.h"
#include "physics/EdgeTable.h"
#include "physics/XafsSpectrum.h"

#include "DemoData.h"

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
#include <time.h>
#include <vector>

namespace {

using DemoData::Clock;
using DemoData::secondsSince;
using DemoData::compoundCount;
using DemoData::compounds;

// Every "*.tif" of dir with the energy of its name; every image must have the
// size of the first.
bool loadSameSize(const QString& dir, DemoData::Series* s)
{
    DemoData::loadSeries(dir, s);
    if (!s->ok) {
        std::fprintf(stderr, "run2d: cannot read the images of %s\n", qPrintable(dir));
        return false;
    }
    for (const auto& t : s->images)
        if (t->width() != s->images.front()->width() || t->height() != s->images.front()->height()) {
            std::fprintf(stderr, "run2d: %s is %u x %u, not %u x %u as %s\n", qPrintable(t->fileName()), t->width(),
                         t->height(), s->images.front()->width(), s->images.front()->height(),
                         qPrintable(s->images.front()->fileName()));
            return false;
        }
    return true;
}

struct Maps {
    std::vector<std::unique_ptr<Analyzed2DRes>> owned;
    QVector<Analyzed2DRes*> list;

    // The LCF list (amounts, then fractions) by default.
    explicit Maps(const ScanGrid& grid, int count = 2 * compoundCount)
    {
        for (int i = 0; i < count; ++i) {
            owned.push_back(std::make_unique<Analyzed2DRes>(QStringLiteral("LCF Ref %1").arg(i % compoundCount + 1)));
            owned.back()->setup(grid);
            owned.back()->setNo(i);
            list.append(owned.back().get());
        }
    }
};

// Runs every slice of a job on this thread as the runner does (compute, then
// record), and returns the longest slice in seconds.
double driveJob(AreaRunJob& job)
{
    std::atomic<bool> stop{false};
    double longest = 0.0;
    for (int i = 0; i < job.sliceCount(); ++i) {
        const Clock::time_point t = Clock::now();
        job.runSlice(i, stop);
        job.deliverSlice(i);
        longest = std::max(longest, secondsSince(t));
    }
    job.finish(false);
    return longest;
}

qint64 imageBytes(const std::vector<const TiffData*>& images)
{
    qint64 n = 0;
    for (const TiffData* t : images)
        n += qint64(t->width()) * t->height() * 2;
    return n;
}

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
    std::fprintf(stderr, "usage: run2d DIR [--run lcf|mlcf|elements|residual|fourier] [--budget-mb N] [--rows-per-slice N]\n"
                         "             [--threads N] [--victoreen] [--no-perpoint] [--save OUTDIR]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int threads = 0;
    bool victoreen = false;
    bool perPoint = true;
    qint64 budgetMb = 1024;
    int rowsPerSlice = 0;
    QString run = QStringLiteral("lcf");
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
        else if (args[i] == QLatin1String("--no-perpoint"))
            perPoint = false;
        else if (args[i] == QLatin1String("--budget-mb") && i + 1 < args.size())
            budgetMb = args[++i].toLongLong();
        else if (args[i] == QLatin1String("--run") && i + 1 < args.size())
            run = args[++i];
        else if (args[i] == QLatin1String("--rows-per-slice") && i + 1 < args.size())
            rowsPerSlice = args[++i].toInt();
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
    DemoData::Series i1, i0;
    bool i1Ok = false, i0Ok = false;
    {
        std::thread l1([&] { i1Ok = loadSameSize(d.filePath("i1"), &i1); });
        i0Ok = loadSameSize(d.filePath("i0"), &i0);
        l1.join();
    }
    if (!i1Ok || !i0Ok)
        return 1;
    if (i1.images.front()->width() != i0.images.front()->width()
        || i1.images.front()->height() != i0.images.front()->height()) {
        std::fprintf(stderr, "run2d: the I1 images (%s) and the I0 images (%s) differ in size\n",
                     qPrintable(i1.images.front()->fileName()), qPrintable(i0.images.front()->fileName()));
        return 1;
    }
    const int shifted = DemoData::applyTrueDrift(d.filePath("truth/drift.txt"), i1.mutableView());
    const int width = int(i1.images.front()->width());
    const int height = int(i1.images.front()->height());

    QVector<ReferenceSnapshot> refs;
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
    }
    DemoData::Truth truth;
    std::vector<double> shift;
    if (!truth.read(d.path(), width, height)
        || !DemoData::readF32(d.filePath("truth/shift.f32"), width, height, &shift)) {
        std::fprintf(stderr, "run2d: cannot read the truth maps\n");
        return 1;
    }
    const double loadS = secondsSince(t0);

    ScanGrid grid;
    grid.setup(width, height, 0, 0, QRectF(0, 0, width, height), -1, -1);
    AreaRunInput input;
    input.i1 = i1.view;
    input.i0 = i0.view;
    input.grid = grid;
    input.victoreen = victoreen;
    input.shift.data = shift.data();
    input.shift.width = width;
    input.shift.height = height;
    input.budgetBytes = budgetMb << 20;
    input.threads = threads;
    input.rowsPerSlice = rowsPerSlice;
    const qint64 spectra = qint64(width) * height;

    std::printf("load_s: %.3f\n", loadS);
    std::printf("images: %d\n", int(i1.view.size()));
    std::printf("spectra: %lld\n", (long long)spectra);
    std::printf("stacks_mb: %.1f\n", double(imageBytes(i1.view) + imageBytes(i0.view)) / 1048576.0);
    std::printf("budget_mb: %lld\n", (long long)budgetMb);
    std::fflush(stdout);

    std::unique_ptr<AreaRunJob> job;
    std::unique_ptr<Maps> maps;
    LcfRunSetup lcf;
    lcf.mlcf = run == QLatin1String("mlcf");
    lcf.references = refs;
    if (run == QLatin1String("lcf") || run == QLatin1String("mlcf")) {
        maps = std::make_unique<Maps>(grid, 2 * compoundCount + 2);
        lcf.maps.rows = maps->list.mid(0, 2 * compoundCount);
        lcf.maps.rFactor = maps->list[2 * compoundCount];
        lcf.maps.fractionSum = maps->list[2 * compoundCount + 1];
        job = std::make_unique<LcfRunJob>(input, lcf);
    } else if (run == QLatin1String("elements")) {
        ElementRunSetup e;
        ElementSnapshot row;
        row.z = 26;
        row.edge = EdgeTable::K;
        row.dE = 20;
        const double e0 = 1000.0 * EdgeTable::global().edgeEnergy(26, EdgeTable::K);
        row.roiStart = e0 + 10;
        row.roiEnd = e0 + 40;
        row.threshold = 0.05;
        e.rows = {row, row};
        e.rows[1].dE = 40;
        e.useInCorrelation = {true, true};
        e.standardRatios = {1.0, 1.0};
        maps = std::make_unique<Maps>(grid, 7 * 2 + 2);
        e.maps = maps->list;
        job = std::make_unique<ElementRunJob>(input, e);
    } else if (run == QLatin1String("residual")) {
        ResidualRunSetup r;
        r.energy = 1000.0 * EdgeTable::global().edgeEnergy(26, EdgeTable::K) + 5.0;
        r.factor = 0.5;
        maps = std::make_unique<Maps>(grid, 3);
        r.dmut = maps->list[0];
        r.rest = maps->list[1];
        job = std::make_unique<ResidualRunJob>(input, r);
    } else if (run == QLatin1String("fourier")) {
        job = std::make_unique<FourierAnalysisJob>(input);
    } else {
        return usage();
    }
    std::printf("slices: %d\n", job->sliceCount());
    std::printf("rows_per_slice: %d\n", job->rowsPerSlice());
    const Clock::time_point t1 = Clock::now();
    const double cpu0 = DemoData::cpuSeconds();
    const double longest = driveJob(*job);
    const double runS = secondsSince(t1);
    const double cpuS = DemoData::cpuSeconds() - cpu0;
    if (run == QLatin1String("residual"))
        ResidualRunJob::computeRatio(*maps->list[0], *maps->list[1], maps->list[2]);
    qint64 working = 0;
    if (auto* j = dynamic_cast<LcfRunJob*>(job.get()))
        working = j->workingBytes();
    else if (auto* j = dynamic_cast<ElementRunJob*>(job.get()))
        working = j->workingBytes();
    else if (auto* j = dynamic_cast<ResidualRunJob*>(job.get()))
        working = j->workingBytes();
    else if (auto* j = dynamic_cast<FourierAnalysisJob*>(job.get()))
        working = j->workingBytes();
    std::printf("run_s: %.3f\n", runS);
    std::printf("spectra_per_s: %.0f\n", double(spectra) / runS);
    std::printf("cpu_s: %.3f\n", cpuS);
    std::printf("spectra_per_cpu_s: %.0f\n", double(spectra) / cpuS);
    std::printf("slice_ms_max: %.1f\n", longest * 1000.0);
    std::printf("working_mb: %.1f\n", double(working) / 1048576.0);
    std::printf("within_budget: %s\n", working <= input.budgetBytes ? "yes" : "no");
    std::printf("peak_rss_mb: %.1f\n", double(DemoData::peakRss()) / 1048576.0);
    std::fflush(stdout);
    std::fprintf(stderr, "run2d: %s run, %d I0 and %d I1 images, %d I1 images aligned by the true drift, %s background\n",
                 qPrintable(run), int(i0.view.size()), int(i1.view.size()), shifted, victoreen ? "Victoreen" : "straight");
    int status = working <= input.budgetBytes ? 0 : 4;
    if (!lcf.maps.rows.isEmpty()) {
        double mae, p95;
        DemoData::fractionErrors(truth, maps->list.mid(compoundCount, compoundCount), &mae, &p95);
        std::printf("mae_shift: %.4f\n", mae);
        std::printf("p95_shift: %.4f\n", p95);
        if (perPoint) {
            // The point-by-point path, same inputs.
            Maps slow(grid, 2 * compoundCount + 2);
            LcfRunSetup s = lcf;
            s.maps.rows = slow.list.mid(0, 2 * compoundCount);
            s.maps.rFactor = slow.list[2 * compoundCount];
            s.maps.fractionSum = slow.list[2 * compoundCount + 1];
            const Clock::time_point t2 = Clock::now();
            LcfRunJob::runPointByPoint(input, s);
            const double slowS = secondsSince(t2);
            std::printf("perpoint_spectra_per_s: %.0f\n", double(spectra) / slowS);
            std::printf("ratio: %.2f\n", slowS / runS);
            const qint64 differing = differingValues(*maps, slow, width, height);
            std::fprintf(stderr, "run2d: fast and point-by-point maps: %lld values differ\n", (long long)differing);
            if (differing != 0)
                status = 3;
            // The fast path once more without the shift map.
            Maps noShift(grid, 2 * compoundCount);
            AreaRunInput plain = input;
            plain.shift = ShiftMapView();
            s.maps = AreaFitMaps();
            s.maps.rows = noShift.list;
            LcfRunJob again(plain, s);
            driveJob(again);
            DemoData::fractionErrors(truth, noShift.list.mid(compoundCount, compoundCount), &mae, &p95);
            std::printf("mae_noshift: %.4f\n", mae);
            std::printf("p95_noshift: %.4f\n", p95);
        }
        if (!saveDir.isEmpty()) {
            if (!saveFractionMaps(*maps, saveDir)) {
                std::fprintf(stderr, "run2d: cannot save the fraction maps to %s\n", qPrintable(saveDir));
                return 4;
            }
            std::fprintf(stderr, "run2d: fraction maps (with the shift map) saved to %s\n", qPrintable(saveDir));
        }
    }
    if (auto* f = dynamic_cast<FourierAnalysisJob*>(job.get()))
        for (const QString& line : f->resultLines().mid(0, 3))
            std::fprintf(stderr, "run2d: %s\n", qPrintable(line));
    return status;
}
