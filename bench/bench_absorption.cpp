// The absorption spectrum of the block under the mouse on a large stack, and
// the pieces of the whole-area path: grid block sums of one image and the
// block spectra of a whole stack.

#include "analysis/AnalysisSnapshots.h"
#include "analysis/BlockFitter.h"
#include "analysis/LinearCombinationFitter.h"
#include "grid/BlockGrid.h"
#include "grid/ScanGrid.h"
#include "io/TiffData.h"
#include "output/TiffWriter.h"
#include "physics/XafsSpectrum.h"
#include "processing/AbsorptionSpectrum.h"
#include "processing/BlockSpectra.h"
#include "processing/BlockSum.h"
#include "processing/EdgeNormalization.h"
#include "processing/GridBlockSums.h"
#include "SyntheticStack.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>
#include <vector>

namespace {

const SyntheticStack& largeStack()
{
    static const SyntheticStack s(1024, 300);
    return s;
}

const SyntheticStack& demoSizedStack()
{
    static const SyntheticStack s(256, 150);
    return s;
}

// The spectrum under the mouse: block sums of every I1 image, the bracketing
// I0 block sums, mu(E) and the normalised XafsSpectrum, with the mouse moving
// a few pixels between evaluations.
void BM_MouseSpectrum_1024x1024x300(benchmark::State& state)
{
    const SyntheticStack& st = largeStack();
    const int half = int(state.range(0));
    const AbsorptionSpectrum a(st.i1, st.i0, half, half, false);
    int x = 200, y = 300;
    for (auto _ : state) {
        const XafsSpectrum s = a.xafs(x, y, true, 0.5);
        benchmark::DoNotOptimize(s.jump());
        x = 100 + (x + 3) % 800;
        y = 100 + (y + 1) % 800;
    }
    state.SetLabel(QString("%1 x %1 block").arg(2 * half + 1).toStdString());
}
BENCHMARK(BM_MouseSpectrum_1024x1024x300)->Arg(10)->Unit(benchmark::kMillisecond);

// What the main window needs per mouse move besides: the raw I1 series too.
// Arg 1: both from one pass over the images; arg 0: two separate passes.
void BM_MouseSpectrumAndRaw_1024x1024x300(benchmark::State& state)
{
    const SyntheticStack& st = largeStack();
    const AbsorptionSpectrum a(st.i1, st.i0, 10, 10, false);
    const bool onePass = state.range(0) != 0;
    int x = 200, y = 300;
    Spectrum mu, raw;
    for (auto _ : state) {
        if (onePass) {
            a.spectrumAndRaw(x, y, &mu, &raw);
        } else {
            a.spectrum(x, y, &mu);
            a.raw(x, y, &raw);
        }
        benchmark::DoNotOptimize(raw.y(0) + mu.y(0));
        x = 100 + (x + 3) % 800;
        y = 100 + (y + 1) % 800;
    }
}
BENCHMARK(BM_MouseSpectrumAndRaw_1024x1024x300)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Only the block sums of the same request (I1 and the two I0 images per energy).
void BM_MouseBlockSums_1024x1024x300(benchmark::State& state)
{
    const SyntheticStack& st = largeStack();
    const int half = int(state.range(0));
    const AbsorptionSpectrum a(st.i1, st.i0, half, half, false);
    Spectrum s;
    int x = 200, y = 300;
    for (auto _ : state) {
        a.spectrum(x, y, &s);
        benchmark::DoNotOptimize(s.y(0));
        x = 100 + (x + 3) % 800;
        y = 100 + (y + 1) % 800;
    }
}
BENCHMARK(BM_MouseBlockSums_1024x1024x300)->Arg(10)->Unit(benchmark::kMillisecond);

// One 21 x 21 block sum of one 16-bit image.
void BM_BlockSum21x21(benchmark::State& state)
{
    const TiffData& t = *largeStack().i1.front();
    int x = 100;
    for (auto _ : state) {
        benchmark::DoNotOptimize(BlockSum::of(t, x, 500, 10, 10));
        x = 100 + (x + 21) % 800;
    }
}
BENCHMARK(BM_BlockSum21x21);

// Block sums of every block of a 256 x 256 image in one pass.
void BM_GridBlockSums_256x256(benchmark::State& state)
{
    const TiffData* t = demoSizedStack().i1.front();
    const int half = int(state.range(0));
    ScanGrid sg;
    sg.setup(256, 256, half, half, QRectF(0, 0, 256, 256), -1, -1);
    const BlockGrid g = BlockGrid::fromScanGrid(sg, 256, 256);
    GridBlockSums sums(&g);
    std::vector<double> row(std::size_t(g.columns()));
    for (auto _ : state) {
        sums.setImage(t);
        for (int j = 0; j < g.rows(); ++j)
            sums.row(j, row.data());
        benchmark::DoNotOptimize(row.data());
    }
    state.SetItemsProcessed(state.iterations() * g.blocks());
}
BENCHMARK(BM_GridBlockSums_256x256)->Arg(0)->Arg(1);

// mu(E) of every single-pixel block of a 256 x 256 x 150 stack, in parallel
// over images (threads given by the argument).
void BM_BlockSpectra_256x256x150(benchmark::State& state)
{
    const SyntheticStack& st = demoSizedStack();
    const AbsorptionSpectrum a(st.i1, st.i0, 0, 0, false);
    ScanGrid sg;
    sg.setup(256, 256, 0, 0, QRectF(0, 0, 256, 256), -1, -1);
    const BlockGrid g = BlockGrid::fromScanGrid(sg, 256, 256);
    BlockSpectra spectra;
    for (auto _ : state) {
        spectra.build(a, g, int(state.range(0)));
        benchmark::DoNotOptimize(spectra.value(0, 0));
    }
    state.SetItemsProcessed(state.iterations() * g.blocks());
}
BENCHMARK(BM_BlockSpectra_256x256x150)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

namespace {

// Three model references on a 0.25 eV grid (edges at 7112, 7119, 7123 eV,
// different white lines), normalised with straight lines, and a mixture
// spectrum at 150 scan energies.
struct FitCase {
    QVector<ReferenceSnapshot> refs;
    std::vector<double> e, mu;

    FitCase()
    {
        const double edges[] = {7112, 7119, 7123}, lines[] = {0.12, 0.55, 0.9};
        auto model = [&](int k, double x) {
            const double pre = 0.35 * std::pow(7112.0 / x, 3);
            const double step = 0.5 + std::atan((x - edges[k]) / 1.5) / 3.141592653589793;
            return pre + step + lines[k] * std::exp(-std::pow((x - edges[k] - 6) / 3.0, 2));
        };
        for (int k = 0; k < 3; ++k) {
            ReferenceSnapshot r;
            for (int i = 0; i < 2601; ++i)
                r.spectrum.add(6950 + 0.25 * i, model(k, 6950 + 0.25 * i));
            r.spectrum.setOffset(0.0, true);
            r.spectrum.normalize(false);
            r.use = r.fileChosen = true;
            refs.append(r);
        }
        for (int i = 0; i < 150; ++i) {
            const double x = 6962.0 + 550.0 * std::pow(i / 149.0, 1.5);
            e.push_back(x);
            mu.push_back(0.7 * (0.2 * model(0, x) + 0.5 * model(1, x) + 0.3 * model(2, x)) + 0.01 * std::sin(i));
        }
    }
};

// LCF of one block's spectrum as the whole-area pipeline does it (no fitted
// curve, references walked from the previous block), the energy shift
// drifting slowly from block to block as over a map.
void BM_BlockFitLCF_150points_3refs(benchmark::State& state)
{
    static const FitCase c;
    BlockFitter::Plan plan;
    BlockFitter::makePlan(false, c.refs, &plan);
    BlockFitter fitter(&plan);
    double amounts[3], fractions[3];
    double dE = -2.0;
    for (auto _ : state) {
        fitter.fit(c.e.data(), c.mu.data(), int(c.e.size()), false, dE, amounts, fractions);
        benchmark::DoNotOptimize(fractions[0]);
        dE = dE > 2.0 ? -2.0 : dE + 0.003;
    }
}
BENCHMARK(BM_BlockFitLCF_150points_3refs);

// The same block through an XafsSpectrum and the engine's fitter, as the
// point-by-point path does it.
void BM_EngineFitLCF_150points_3refs(benchmark::State& state)
{
    static const FitCase c;
    Spectrum raw;
    for (std::size_t i = 0; i < c.e.size(); ++i)
        raw.add(c.e[i], c.mu[i]);
    LinearCombinationFitter fitter;
    FitResult result;
    FitOptions options;
    options.curve = false;
    double dE = -2.0;
    for (auto _ : state) {
        const XafsSpectrum s(raw, false, dE);
        fitter.fit(LinearCombinationFitter::LCF, s, c.refs, options, result);
        benchmark::DoNotOptimize(result.fractions.constData());
        dE = dE > 2.0 ? -2.0 : dE + 0.003;
    }
}
BENCHMARK(BM_EngineFitLCF_150points_3refs);

// Normalisation of one block's spectrum as the pipeline computes it.
void BM_EdgeNormalization_150points(benchmark::State& state)
{
    static const FitCase c;
    EdgeNormalization n;
    for (auto _ : state) {
        n.compute(c.e.data(), c.mu.data(), int(c.e.size()), false);
        benchmark::DoNotOptimize(n.jump());
    }
}
BENCHMARK(BM_EdgeNormalization_150points);

} // namespace
