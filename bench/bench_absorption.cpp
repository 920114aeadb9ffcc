// The absorption spectrum of the block under the mouse on a large stack, and
// the pieces of the whole-area path: grid block sums of one image and the
// block spectra of a whole stack.

#include "analysis/ScanGrid.h"
#include "io/TiffData.h"
#include "output/TiffWriter.h"
#include "physics/XafsSpectrum.h"
#include "processing/AbsorptionSpectrum.h"
#include "processing/BlockGrid.h"
#include "processing/BlockSpectra.h"
#include "processing/BlockSum.h"
#include "processing/GridBlockSums.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// An iron-like edge over the scan, for images whose spectra normalise like
// real ones.
double edgeMu(double e)
{
    const double l = 12398.424360387684 / e;
    return 0.3 + 0.002 * l * l * l + 0.5 + std::atan((e - 7120.0) / 2.0) / 3.141592653589793;
}

// A synthetic stack: size x size pixels, n energies from 6962 to 7512 eV,
// I1 and I0 images with texture, written as TIFFs and read back. Each stack
// is made once per process.
struct Stack {
    std::vector<std::unique_ptr<TiffData>> i1Images, i0Images;
    std::vector<const TiffData*> i1, i0;

    Stack(int size, int n)
    {
        QTemporaryDir dir;
        std::vector<quint16> s(std::size_t(size) * std::size_t(size));
        for (int k = 0; k < n; ++k) {
            const double e = 6962.0 + 550.0 * k / (n - 1);
            const double t = std::exp(-edgeMu(e));
            for (int kind = 0; kind < 2; ++kind) {
                for (int y = 0; y < size; ++y)
                    for (int x = 0; x < size; ++x) {
                        const double beam = 20000.0 + ((x * 7 + y * 13 + k) % 97);
                        s[std::size_t(y) * std::size_t(size) + std::size_t(x)] =
                            quint16(kind == 0 ? beam * t : beam);
                    }
                const QString path = dir.filePath("img.tif");
                writeTiff16(path, s.data(), size, size);
                auto img = std::make_unique<TiffData>();
                img->read(path);
                img->setEnergy(e);
                (kind == 0 ? i1 : i0).push_back(img.get());
                (kind == 0 ? i1Images : i0Images).push_back(std::move(img));
            }
        }
    }
};

const Stack& largeStack()
{
    static const Stack s(1024, 300);
    return s;
}

const Stack& demoSizedStack()
{
    static const Stack s(256, 150);
    return s;
}

// The spectrum under the mouse: block sums of every I1 image, the bracketing
// I0 block sums, mu(E) and the normalised XafsSpectrum, with the mouse moving
// a few pixels between evaluations.
void BM_MouseSpectrum_1024x1024x300(benchmark::State& state)
{
    const Stack& st = largeStack();
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

// Only the block sums of the same request (I1 and the two I0 images per energy).
void BM_MouseBlockSums_1024x1024x300(benchmark::State& state)
{
    const Stack& st = largeStack();
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
    const Stack& st = demoSizedStack();
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
