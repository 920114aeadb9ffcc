// calibrate DIR: the energy calibration, the energy-map file and the image
// alignment on a demo measurement written by tools/make-demo, at core level.
// It loads the I0, I1 and calib/ stacks and the standard, calibrates calib/
// at 3 x 3 blocks with the half-height rule and with the fit rule, compares
// each map with the true shift map, saves the half-height map as an energy-map
// file and reads it back, aligns the I1 series to its first image, and runs
// the whole-area LCF with the calibrated (not the true) shift map and the
// found (not the true) drift. Prints one "name: value" line per figure:
//
//   calib_s               seconds of the calibration (half height)
//   fit_over_half_height  calib_s_fit / calib_s
//   shift_offset_ev       mean of (calibrated - true) over the blocks, eV
//   shift_rms_ev          RMS of (calibrated - true - offset), eV
//   shift_rmse_ev         RMS of (calibrated - true), eV
//   shift_corr            correlation of calibrated and true block shifts
//   emp_roundtrip_max_ev  largest |read back - written| over the map, eV
//   align_exact           share of I1 images whose found shift is the true one
//   mae_calibrated        mean |fraction - truth| over sample pixels
//   p95_calibrated        its 95th percentile
// and the calibration and LCF figures again with the suffix _fit.
//
// The block truth is the mean true shift over the block's pixels. Options:
// --threads N, --threshold F (the alignment threshold as a share of the
// first image's strongest edge, default 0.4), --calib-only (load I0 and calib/ only, print the calibration
// figures; for timing big stacks), --victoreen (Victoreen background lines),
// --repeat N (each calibration N times, the rules in turn; the median time).

#include "analysis/AnalysisSnapshots.h"
#include "analysis/AreaPipeline.h"
#include "grid/Analyzed2DRes.h"
#include "grid/ScanGrid.h"
#include "grid/ShiftMapView.h"
#include "io/TiffData.h"
#include "physics/XafsSpectrum.h"
#include "processing/CalibrationJob.h"
#include "processing/EdgeCalibration.h"
#include "processing/EnergyMapFile.h"
#include "processing/ImageAlignment.h"
#include "processing/SeriesAlignJob.h"

#include "DemoData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
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

using DemoData::Clock;
using DemoData::secondsSince;
using DemoData::compoundCount;
using DemoData::compounds;
using DemoData::Series;
using DemoData::loadSeries;
using DemoData::readF32;

struct ShiftFigures {
    double offset = 0.0, rms = 0.0, rmse = 0.0, corr = 0.0;
};

// Calibrated block values against the mean true shift over each block.
ShiftFigures compareShifts(const Analyzed2DRes& map, const std::vector<double>& truth, int width, int height)
{
    const ScanGrid& g = map.grid();
    std::vector<double> cal, tru;
    for (int y = g.y0 + g.halfHeight; y < g.y1 && y < height; y += g.stepY)
        for (int x = g.x0 + g.halfWidth; x < g.x1 && x < width; x += g.stepX) {
            double sum = 0.0;
            int n = 0;
            for (int v = qMax(0, y - g.halfHeight); v <= qMin(height - 1, y + g.halfHeight); ++v)
                for (int u = qMax(0, x - g.halfWidth); u <= qMin(width - 1, x + g.halfWidth); ++u) {
                    sum += truth[std::size_t(v) * std::size_t(width) + std::size_t(u)];
                    ++n;
                }
            cal.push_back(map.value(x, y));
            tru.push_back(sum / n);
        }
    ShiftFigures f;
    const double n = double(cal.size());
    double mc = 0.0, mt = 0.0;
    for (std::size_t i = 0; i < cal.size(); ++i) {
        f.offset += cal[i] - tru[i];
        mc += cal[i];
        mt += tru[i];
    }
    f.offset /= n;
    mc /= n;
    mt /= n;
    double ss = 0.0, sse = 0.0, sct = 0.0, scc = 0.0, stt = 0.0;
    for (std::size_t i = 0; i < cal.size(); ++i) {
        const double d = cal[i] - tru[i];
        ss += (d - f.offset) * (d - f.offset);
        sse += d * d;
        sct += (cal[i] - mc) * (tru[i] - mt);
        scc += (cal[i] - mc) * (cal[i] - mc);
        stt += (tru[i] - mt) * (tru[i] - mt);
    }
    f.rms = std::sqrt(ss / n);
    f.rmse = std::sqrt(sse / n);
    f.corr = sct / std::sqrt(scc * stt);
    return f;
}

// The LCF fractions of every pixel with the given shift map; returns false
// when the values do not fit in memory.
bool lcf(const Series& i1, const Series& i0, const QVector<ReferenceSnapshot>& refs, const Analyzed2DRes& shift,
         bool victoreen, int threads, int width, int height, const DemoData::Truth& truth, double* mae, double* p95)
{
    ScanGrid grid;
    grid.setup(width, height, 0, 0, QRectF(0, 0, width, height), -1, -1);
    std::vector<std::unique_ptr<Analyzed2DRes>> owned;
    QVector<Analyzed2DRes*> maps;
    for (int i = 0; i < 2 * compoundCount; ++i) {
        owned.push_back(std::make_unique<Analyzed2DRes>());
        owned.back()->setup(grid);
        maps.append(owned.back().get());
    }
    AreaPipeline pipeline;
    pipeline.setThreads(threads);
    pipeline.prepare(i1.view, i0.view, grid, false, ShiftMapView::of(&shift));
    AreaFitSetup setup;
    setup.victoreen = victoreen;
    setup.references = refs;
    pipeline.setFit(setup);
    if (!pipeline.run(maps))
        return false;
    DemoData::fractionErrors(truth, maps.mid(compoundCount, compoundCount), mae, p95);
    return true;
}

int usage()
{
    std::fprintf(stderr, "usage: calibrate DIR [--threads N] [--threshold F] [--calib-only] [--victoreen] [--repeat N]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    int threads = 0;
    double thresholdShare = 0.4;
    bool calibOnly = false, victoreen = false;
    int repeats = 1;
    QString dir;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--threads") && i + 1 < args.size())
            threads = args[++i].toInt();
        else if (args[i] == QLatin1String("--threshold") && i + 1 < args.size())
            thresholdShare = args[++i].toDouble();
        else if (args[i] == QLatin1String("--calib-only"))
            calibOnly = true;
        else if (args[i] == QLatin1String("--repeat") && i + 1 < args.size())
            repeats = qMax(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--victoreen"))
            victoreen = true;
        else if (dir.isEmpty() && !args[i].startsWith(QLatin1String("--")))
            dir = args[i];
        else
            return usage();
    }
    if (dir.isEmpty())
        return usage();
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const QDir d(dir);

    Series i0, i1, cal;
    {
        std::thread lc([&] { loadSeries(d.filePath("calib"), &cal); });
        std::thread l1;
        if (!calibOnly)
            l1 = std::thread([&] { loadSeries(d.filePath("i1"), &i1); });
        loadSeries(d.filePath("i0"), &i0);
        lc.join();
        if (l1.joinable())
            l1.join();
    }
    if (!i0.ok || !cal.ok || (!calibOnly && !i1.ok)) {
        std::fprintf(stderr, "calibrate: cannot read the image series of %s\n", qPrintable(dir));
        return 1;
    }
    const int width = int(cal.images.front()->width());
    const int height = int(cal.images.front()->height());
    XafsSpectrum standard;
    if (!standard.load(d.filePath("std/fe_foil.dat"))) {
        std::fprintf(stderr, "calibrate: cannot read the standard\n");
        return 1;
    }
    standard.setVictoreen(victoreen);
    standard.normalize(victoreen);
    std::vector<double> trueShift;
    if (!readF32(d.filePath("truth/shift.f32"), width, height, &trueShift)) {
        std::fprintf(stderr, "calibrate: cannot read the true shift map\n");
        return 1;
    }

    // The calibration with both rules.
    ScanGrid grid;
    grid.setup(width, height, 1, 1, QRectF(0, 0, width, height), -1, -1);
    const CalibrationRule rules[2] = {CalibrationRule::HalfHeight, CalibrationRule::Fit};
    const char* const suffix[2] = {"", "_fit"};
    Analyzed2DRes maps[2];
    // Each rule `repeats` times, the rules taking turns so that both see the
    // same machine; the median counts.
    std::vector<double> runs[2];
    for (int k = 0; k < repeats * 2; ++k) {
        const int r = k % 2;
        CalibrationSetup setup;
        setup.i1 = cal.view;
        setup.i0 = i0.view;
        setup.grid = grid;
        setup.threads = threads;
        setup.method = CalibrationMethod::of(rules[r], &standard, victoreen);
        const Clock::time_point t0 = Clock::now();
        CalibrationJob job(setup, &maps[r]);
        job.runHere();
        runs[r].push_back(secondsSince(t0));
    }
    double seconds[2];
    for (int r = 0; r < 2; ++r) {
        std::sort(runs[r].begin(), runs[r].end());
        seconds[r] = runs[r][runs[r].size() / 2];
    }
    for (int r = 0; r < 2; ++r) {
        const ShiftFigures f = compareShifts(maps[r], trueShift, width, height);
        std::printf("calib_s%s: %.3f\n", suffix[r], seconds[r]);
        std::printf("shift_offset_ev%s: %.4f\n", suffix[r], f.offset);
        std::printf("shift_rms_ev%s: %.4f\n", suffix[r], f.rms);
        std::printf("shift_rmse_ev%s: %.4f\n", suffix[r], f.rmse);
        std::printf("shift_corr%s: %.5f\n", suffix[r], f.corr);
    }
    std::printf("fit_over_half_height: %.2f\n", seconds[1] / seconds[0]);

    // The energy-map file: written with the standard's edge, read back at it.
    QTemporaryDir tmp;
    const double eStd = EdgeCalibration::halfHeightEdge(standard);
    const double spacing = EdgeCalibration::crystal(0).d;
    double roundTrip = 0.0;
    for (int r = 0; r < 2; ++r) {
        const QString path = tmp.filePath(QStringLiteral("shift%1").arg(r));
        Analyzed2DRes back;
        int w = width, h = height;
        if (!EnergyMapFile::write(path, EnergyMapFile::sourceOf(maps[r], eStd, spacing, QStringLiteral("std")))
            || !EnergyMapFile::load(path + ".emp", &w, &h, 0.0, &back)) {
            std::fprintf(stderr, "calibrate: the energy-map file did not round-trip\n");
            return 1;
        }
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                roundTrip = std::max(roundTrip, std::fabs(back.value(x, y) - maps[r].value(x, y)));
    }
    std::printf("emp_roundtrip_max_ev: %.3g\n", roundTrip);
    std::fflush(stdout);
    if (calibOnly)
        return 0;

    // Alignment of the I1 series to its first image.
    // The threshold: a share of the strongest edge inside the image (the
    // border ring is the image's edge against the zeros outside).
    ProcImage firstEdges = ImageAlignment::edgeImage(*i1.images.front(), false);
    ImageAlignment::clearBorder(&firstEdges);
    const double threshold = thresholdShare * firstEdges.maximum;
    SeriesAlignJob align(i1.mutableView(), ImageAlignment::binarize(firstEdges, threshold), threshold);
    const Clock::time_point ta = Clock::now();
    align.runHere();
    const double alignS = secondsSince(ta);
    const std::map<qint64, QPoint> truth = DemoData::trueDrift(d.filePath("truth/drift.txt"));
    int exact = 0;
    for (std::size_t k = 0; k < i1.images.size(); ++k) {
        const auto it = truth.find(qRound64(i1.images[k]->energy() * 100.0));
        if (it != truth.end() && align.found(int(k)) && align.shifts()[k] == it->second)
            ++exact;
    }
    std::printf("align_exact: %.4f\n", double(exact) / double(i1.images.size()));
    std::printf("align_s: %.3f\n", alignS);
    std::fflush(stdout);

    // The LCF with the calibrated maps and the found drift.
    QVector<ReferenceSnapshot> refs;
    for (int k = 0; k < compoundCount; ++k) {
        ReferenceSnapshot ref;
        if (!ref.spectrum.load(d.filePath(QStringLiteral("refs/%1.dat").arg(compounds[k])))) {
            std::fprintf(stderr, "calibrate: cannot read the reference of %s\n", compounds[k]);
            return 1;
        }
        ref.spectrum.setOffset(0.0, true);
        ref.spectrum.setVictoreen(victoreen);
        ref.spectrum.normalize(victoreen);
        ref.use = true;
        ref.fileChosen = true;
        refs.append(ref);
    }
    DemoData::Truth fractions;
    if (!fractions.read(d.path(), width, height)) {
        std::fprintf(stderr, "calibrate: cannot read the truth maps\n");
        return 1;
    }
    for (int r = 0; r < 2; ++r) {
        double mae = 0.0, p95 = 0.0;
        if (!lcf(i1, i0, refs, maps[r], victoreen, threads, width, height, fractions, &mae, &p95)) {
            std::fprintf(stderr, "calibrate: the block values do not fit in memory\n");
            return 1;
        }
        std::printf("mae_calibrated%s: %.4f\n", suffix[r], mae);
        std::printf("p95_calibrated%s: %.4f\n", suffix[r], p95);
        std::fflush(stdout);
    }
    return 0;
}
