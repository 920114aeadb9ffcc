// Saving: a whole 2048 x 2048 result map as text (one point per pixel) on
// one and two workers, the same written by the save job, a 2048 x 2048
// energy-map file, and the spectra file of a stack, normalised and raw, in
// points per second.

#include "grid/ScanGrid.h"
#include "io/TiffData.h"
#include "output/SpectraFileJob.h"
#include "output/TextMapWriter.h"
#include "output/TiffWriter.h"
#include "processing/EnergyMapFile.h"
#include "SyntheticStack.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>
#include <vector>

namespace {

const SyntheticStack& stack()
{
    static const SyntheticStack s(256, 100);
    return s;
}

const int mapSide = 2048;

const std::vector<double>& sideMap()
{
    static const std::vector<double> map = [] {
        std::vector<double> m(std::size_t(mapSide) * mapSide);
        for (std::size_t i = 0; i < m.size(); ++i)
            m[i] = std::sin(double(i) * 0.001) * 0.75;
        return m;
    }();
    return map;
}

ScanGrid sideGrid()
{
    ScanGrid grid;
    grid.setup(mapSide, mapSide, 0, 0, QRectF(0, 0, mapSide, mapSide), -1, -1);
    return grid;
}

// Arguments: X Y Val lines (1) or grid rows (0); workers.
void BM_TextMapRows(benchmark::State& state)
{
    const ScanGrid grid = sideGrid();
    const GridAxes axes = GridAxes::of(grid);
    const std::vector<double> values = TextMapWriter::gridValues(sideMap().data(), mapSide, mapSide, grid);
    const TextMapFormat format{true, state.range(0) != 0};
    for (auto _ : state) {
        const QByteArray text =
            TextMapWriter::rowsTextOnThreads(values, axes, format, 0, axes.rows, int(state.range(1)));
        benchmark::DoNotOptimize(text.size());
    }
    state.SetItemsProcessed(state.iterations() * axes.points());
}
BENCHMARK(BM_TextMapRows)->Args({1, 1})->Args({1, 2})->Args({0, 1})->Args({0, 2})
    ->Unit(benchmark::kMillisecond)->UseRealTime();

// The grid-row file the save job writes, on the given workers.
void BM_TextMapJob(benchmark::State& state)
{
    QTemporaryDir dir;
    const ScanGrid grid = sideGrid();
    for (auto _ : state) {
        TextMapJob job(dir.filePath("map.dat"), sideMap().data(), mapSide, mapSide, grid, {false, false},
                       int(state.range(0)));
        if (!job.runHere())
            state.SkipWithError("the map could not be written");
    }
    state.SetItemsProcessed(state.iterations() * qint64(mapSide) * mapSide);
}
BENCHMARK(BM_TextMapJob)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EnergyMapFile(benchmark::State& state)
{
    QTemporaryDir dir;
    EnergyMapFile::Source source;
    source.map = sideMap().data();
    source.mapWidth = source.mapHeight = mapSide;
    source.grid = sideGrid();
    source.eStd = 7112.0;
    source.spacing = 3.1355316;
    for (auto _ : state)
        if (!EnergyMapFile::write(dir.filePath("shift.emp"), source))
            state.SkipWithError("the energy map could not be written");
    state.SetItemsProcessed(state.iterations() * qint64(mapSide) * mapSide);
}
BENCHMARK(BM_EnergyMapFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void dropMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

void BM_SpectraFile(benchmark::State& state)
{
    const SyntheticStack& s = stack();
    // One progress line per grid row would flood the output.
    const QtMessageHandler previous = qInstallMessageHandler(dropMessages);
    QTemporaryDir dir;
    SpectraFileRequest r;
    r.fileName = dir.filePath("spectra.dat");
    r.raw = state.range(0) != 0;
    r.grid = SpectraFileJob::grid(256, 256, 1, 1, QRectF(0, 0, 256, 256));
    r.i1 = s.i1;
    r.i0 = s.i0;
    qint64 points = 0;
    for (auto _ : state) {
        SpectraFileJob job(r);
        points += job.totalItems();
        benchmark::DoNotOptimize(job.runHere());
    }
    state.SetItemsProcessed(points);
    qInstallMessageHandler(previous);
}
BENCHMARK(BM_SpectraFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
