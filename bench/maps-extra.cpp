// maps-extra DIR: the edge maps, the PCA, the clusters and the non-negative
// LCF on a measurement in the layout of tools/make-demo, run as the program
// runs them (jobs driven band by band on this thread, each band recorded
// before the next), with one "name: value" line per figure:
//
//   lcf_spectra_per_s, lcf_mae          the unconstrained LCF run (fast path)
//   nnls_spectra_per_s, nnls_mae        the same run with non-negative fractions
//   edge_spectra_per_s, e0_rms_ev       the edge maps; E0 against truth/e0.f32
//   pca_s, kmeans_s, cluster_ari        PCA (3 components), k-means (k = 3)
//                                       against each pixel's dominant true phase
//
// Every block is one pixel; the true drift (truth/drift.txt) aligns the I1
// images and the true shift map (truth/shift.f32) is each block's dE, as in
// run2d. A folder without some truth file prints what it can: the speeds
// always, the errors only where their truth is there. The fast edge maps and
// NNLS maps are compared value for value with the point-by-point path.
//
// Options: --threads N (default: one per processor), --mask J (edge-jump
// threshold of the PCA and the clusters, default 0.2), --components N,
// --clusters K, --seed S, --window W (white-line window, eV, default 30),
// --no-perpoint. Exit status: 2 bad command line, 1 unreadable input, 3 the
// two paths disagree.

#include "analysis/ClusterJob.h"
#include "analysis/EdgeMapJob.h"
#include "analysis/LcfRunJob.h"
#include "analysis/PcaJob.h"
#include "grid/Analyzed2DRes.h"
#include "io/TiffData.h"
#include "physics/XafsSpectrum.h"

#include "DemoData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <thread>
#include <vector>

namespace {

using DemoData::Clock;
using DemoData::compoundCount;
using DemoData::compounds;
using DemoData::secondsSince;

struct Maps {
    std::vector<std::unique_ptr<Analyzed2DRes>> owned;
    QVector<Analyzed2DRes*> list;

    Maps(const ScanGrid& grid, int count)
    {
        for (int i = 0; i < count; ++i) {
            owned.push_back(std::make_unique<Analyzed2DRes>(QStringLiteral("map %1").arg(i)));
            owned.back()->setup(grid);
            list.append(owned.back().get());
        }
    }
};

// Value-for-value agreement (NaN equal to NaN).
qint64 differingValues(const Maps& a, const Maps& b)
{
    qint64 n = 0;
    for (int m = 0; m < a.list.size(); ++m)
        for (int y = 0; y < a.list[m]->height(); ++y)
            for (int x = 0; x < a.list[m]->width(); ++x) {
                const double u = a.list[m]->value(x, y), v = b.list[m]->value(x, y);
                if (!(std::memcmp(&u, &v, sizeof u) == 0 || (std::isnan(u) && std::isnan(v))))
                    ++n;
            }
    return n;
}

// Adjusted Rand index of two labelings of the same items (labels >= 0).
double adjustedRand(const std::vector<int>& a, const std::vector<int>& b)
{
    std::map<std::pair<int, int>, double> cells;
    std::map<int, double> rows, cols;
    for (std::size_t i = 0; i < a.size(); ++i) {
        cells[{a[i], b[i]}] += 1.0;
        rows[a[i]] += 1.0;
        cols[b[i]] += 1.0;
    }
    auto pairs = [](double n) { return n * (n - 1.0) / 2.0; };
    double index = 0.0, sa = 0.0, sb = 0.0;
    for (const auto& c : cells)
        index += pairs(c.second);
    for (const auto& r : rows)
        sa += pairs(r.second);
    for (const auto& c : cols)
        sb += pairs(c.second);
    const double expected = sa * sb / pairs(double(a.size()));
    const double best = (sa + sb) / 2.0;
    return best == expected ? 1.0 : (index - expected) / (best - expected);
}

int usage()
{
    std::fprintf(stderr, "usage: maps-extra DIR [--threads N] [--mask J] [--components N] [--clusters K] [--seed S]\n"
                         "                  [--window W] [--no-perpoint]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    int threads = 0, components = 3, clusters = 3, half = 0;
    double maskJump = 0.2, window = 30.0;
    quint64 seed = 1;
    bool perPoint = true;
    QString dir;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--threads") && hasValue)
            threads = args[++i].toInt();
        else if (a == QLatin1String("--half") && hasValue)
            half = args[++i].toInt();
        else if (a == QLatin1String("--mask") && hasValue)
            maskJump = args[++i].toDouble();
        else if (a == QLatin1String("--components") && hasValue)
            components = args[++i].toInt();
        else if (a == QLatin1String("--clusters") && hasValue)
            clusters = args[++i].toInt();
        else if (a == QLatin1String("--seed") && hasValue)
            seed = args[++i].toULongLong();
        else if (a == QLatin1String("--window") && hasValue)
            window = args[++i].toDouble();
        else if (a == QLatin1String("--no-perpoint"))
            perPoint = false;
        else if (dir.isEmpty() && !a.startsWith(QLatin1String("--")))
            dir = a;
        else
            return usage();
    }
    if (dir.isEmpty() || components < 1 || clusters < 1)
        return usage();
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const QDir d(dir);

    DemoData::Series i1, i0;
    DemoData::loadSeries(d.filePath("i1"), &i1);
    DemoData::loadSeries(d.filePath("i0"), &i0);
    if (!i1.ok || !i0.ok || i1.images.empty() || i0.images.empty()) {
        std::fprintf(stderr, "maps-extra: cannot read the images of %s\n", qPrintable(dir));
        return 1;
    }
    DemoData::applyTrueDrift(d.filePath("truth/drift.txt"), i1.mutableView());
    const int width = int(i1.images.front()->width());
    const int height = int(i1.images.front()->height());
    qint64 spectra = 0;

    DemoData::Truth truth;
    const bool haveTruth = truth.read(d.path(), width, height);
    std::vector<double> shift, e0Truth;
    const bool haveShift = DemoData::readF32(d.filePath("truth/shift.f32"), width, height, &shift);
    const bool haveE0 = DemoData::readF32(d.filePath("truth/e0.f32"), width, height, &e0Truth);

    ScanGrid grid;
    grid.setup(width, height, half, half, QRectF(0, 0, width, height), -1, -1);
    AreaRunInput input;
    input.i1 = i1.view;
    input.i0 = i0.view;
    input.grid = grid;
    input.threads = threads;
    if (haveShift) {
        input.shift.data = shift.data();
        input.shift.width = width;
        input.shift.height = height;
    }
    spectra = qint64(grid.columns()) * grid.rows();
    std::printf("spectra: %lld\n", (long long)spectra);
    std::printf("images: %d\n", int(i1.view.size()));
    int status = 0;

    // LCF, unconstrained and non-negative, when the references are there.
    QVector<ReferenceSnapshot> refs;
    for (int k = 0; k < compoundCount; ++k) {
        ReferenceSnapshot r;
        if (!r.spectrum.load(d.filePath(QStringLiteral("refs/%1.dat").arg(compounds[k]))))
            break;
        r.spectrum.setOffset(0.0, true);
        r.spectrum.setVictoreen(false);
        r.spectrum.normalize(false);
        r.use = r.fileChosen = true;
        refs.append(r);
    }
    if (refs.size() == compoundCount) {
        for (bool nonNegative : {false, true}) {
            Maps maps(grid, 2 * compoundCount + 2);
            LcfRunSetup s;
            s.references = refs;
            s.nonNegative = nonNegative;
            s.maps.rows = maps.list.mid(0, 2 * compoundCount);
            s.maps.rFactor = maps.list[2 * compoundCount];
            s.maps.fractionSum = maps.list[2 * compoundCount + 1];
            LcfRunJob job(input, s);
            const Clock::time_point t = Clock::now();
            job.runAllHere();
            const double secs = secondsSince(t);
            const char* name = nonNegative ? "nnls" : "lcf";
            std::printf("%s_spectra_per_s: %.0f\n", name, double(spectra) / secs);
            if (haveTruth) {
                double mae, p95;
                DemoData::fractionErrors(truth, maps.list.mid(compoundCount, compoundCount), &mae, &p95);
                std::printf("%s_mae: %.4f\n", name, mae);
            }
            if (nonNegative && perPoint) {
                Maps slow(grid, 2 * compoundCount + 2);
                s.maps.rows = slow.list.mid(0, 2 * compoundCount);
                s.maps.rFactor = slow.list[2 * compoundCount];
                s.maps.fractionSum = slow.list[2 * compoundCount + 1];
                LcfRunJob::runPointByPoint(input, s);
                const qint64 differing = differingValues(maps, slow);
                std::fprintf(stderr, "maps-extra: NNLS fast and point-by-point maps: %lld values differ\n",
                             (long long)differing);
                if (differing)
                    status = 3;
            }
        }
    }
    std::fflush(stdout);

    // Edge maps (the analyzer's mask off, as an LCF run without it).
    {
        Maps maps(grid, EdgeFeatures::MapCount);
        EdgeMapSetup s;
        s.window = window;
        for (int k = 0; k < EdgeFeatures::MapCount; ++k)
            s.maps[k] = maps.list[k];
        EdgeMapJob job(input, s);
        const Clock::time_point t = Clock::now();
        job.runAllHere();
        std::printf("edge_spectra_per_s: %.0f\n", double(spectra) / secondsSince(t));
        if (haveE0 && haveTruth) {
            double pureSq = 0, mixSq = 0, pureN = 0, mixN = 0;
            double sum = 0.0;
            qint64 n = 0, missing = 0;
            for (qint64 p = 0; p < qint64(width) * height; ++p) {
                if (!(truth.thickness[std::size_t(p)] > 0.0) || !std::isfinite(e0Truth[std::size_t(p)]))
                    continue;
                const double v = maps.list[EdgeFeatures::E0]->value(int(p % width), int(p / width));
                if (!std::isfinite(v)) {
                    ++missing;
                    continue;
                }
                const double err = v - e0Truth[std::size_t(p)];
                double fmax = 0;
                for (int k = 0; k < compoundCount; ++k) fmax = std::max(fmax, truth.fractions[k][std::size_t(p)]);
                (fmax > 0.9 ? pureSq : mixSq) += err * err;
                (fmax > 0.9 ? pureN : mixN) += 1;
                sum += err * err;
                ++n;
            }
            std::printf("e0_rms_ev: %.4f\n", n ? std::sqrt(sum / double(n)) : std::nan(""));
            // Mixed pixels have a broader edge whose half-height point the
            // noise moves more: the two groups apart.
            std::fprintf(stderr, "maps-extra: E0 rms %.4f eV over %.0f pixels with one phase above 0.9, %.4f eV over %.0f mixed\n",
                         std::sqrt(pureSq / std::max(1.0, pureN)), pureN, std::sqrt(mixSq / std::max(1.0, mixN)), mixN);
            std::fprintf(stderr, "maps-extra: E0 over %lld sample pixels, %lld without an edge\n", (long long)n,
                         (long long)missing);
        }
        if (perPoint) {
            Maps slow(grid, EdgeFeatures::MapCount);
            for (int k = 0; k < EdgeFeatures::MapCount; ++k)
                s.maps[k] = slow.list[k];
            const Clock::time_point t2 = Clock::now();
            EdgeMapJob::runPointByPoint(input, s);
            std::printf("edge_perpoint_spectra_per_s: %.0f\n", double(spectra) / secondsSince(t2));
            const qint64 differing = differingValues(maps, slow);
            std::fprintf(stderr, "maps-extra: edge fast and point-by-point maps: %lld values differ\n",
                         (long long)differing);
            if (differing)
                status = 3;
        }
    }
    std::fflush(stdout);

    // PCA and clusters over the blocks inside the sample.
    input.mask.on = true;
    input.mask.threshold = maskJump;
    Maps scores(grid, components);
    PcaSetup ps;
    ps.components = components;
    ps.scoreMaps = scores.list;
    PcaJob pca(input, ps);
    Clock::time_point t = Clock::now();
    pca.runAllHere();
    std::printf("pca_s: %.3f\n", secondsSince(t));
    const std::shared_ptr<const PcaResult> pr = pca.result();
    if (!pr->isValid()) {
        std::fprintf(stderr, "maps-extra: the PCA has no result\n");
        return status ? status : 1;
    }
    std::printf("pca_blocks: %lld\n", (long long)pr->memberCount());
    for (int j = 0; j < pr->model.count(); ++j)
        std::printf("pca_explained_%d: %.4f\n", j + 1, pr->model.explained(j));
    Maps clusterMap(grid, 1);
    ClusterSetup cs;
    cs.k = clusters;
    cs.seed = seed;
    cs.map = clusterMap.list[0];
    ClusterJob cj(input, pr, cs);
    t = Clock::now();
    cj.runAllHere();
    std::printf("kmeans_s: %.3f\n", secondsSince(t));
    const std::shared_ptr<const ClusterResult> cr = cj.result();
    std::printf("kmeans_iterations: %d\n", cr->kmeans.iterations);
    for (int c = 0; c < cr->kmeans.k; ++c)
        std::fprintf(stderr, "maps-extra: cluster %d: %lld blocks, centre %g %g\n", c, (long long)cr->kmeans.sizes[std::size_t(c)],
                     cr->kmeans.centres[std::size_t(c * cr->kmeans.dims)], cr->kmeans.centres[std::size_t(c * cr->kmeans.dims + 1)]);
    if (haveTruth) {
        std::vector<int> found, dominant;
        for (qint64 p = 0; p < qint64(width) * height; ++p) {
            if (!(truth.thickness[std::size_t(p)] > 0.0))
                continue;
            const double c = clusterMap.list[0]->value(int(p % width), int(p / width));
            if (!std::isfinite(c))
                continue;
            int best = 0;
            for (int k = 1; k < compoundCount; ++k)
                if (truth.fractions[k][std::size_t(p)] > truth.fractions[best][std::size_t(p)])
                    best = k;
            found.push_back(int(c));
            dominant.push_back(best);
        }
        std::printf("cluster_ari: %.4f\n", found.empty() ? std::nan("") : adjustedRand(found, dominant));
    }
    // The same clusters again: runs repeat exactly.
    Maps again(grid, 1);
    cs.map = again.list[0];
    ClusterJob cj2(input, pr, cs);
    cj2.runAllHere();
    if (differingValues(clusterMap, again) != 0) {
        std::fprintf(stderr, "maps-extra: a second k-means run gave other clusters\n");
        status = 3;
    }
    return status;
}
