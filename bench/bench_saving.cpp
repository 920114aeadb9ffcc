// Saving: a whole 2048 x 2048 result map as text (one point per pixel), and
// the spectra file of a stack, normalised and raw, in points per second.

#include "grid/ScanGrid.h"
#include "io/TiffData.h"
#include "output/SpectraFileJob.h"
#include "output/TextMapWriter.h"
#include "output/TiffWriter.h"
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

void BM_TextMapRows(benchmark::State& state)
{
    const int side = 2048;
    std::vector<double> map(std::size_t(side) * side);
    for (std::size_t i = 0; i < map.size(); ++i)
        map[i] = std::sin(double(i) * 0.001) * 0.75;
    ScanGrid grid;
    grid.setup(side, side, 0, 0, QRectF(0, 0, side, side), -1, -1);
    const GridAxes axes = GridAxes::of(grid);
    const std::vector<double> values = TextMapWriter::gridValues(map.data(), side, side, grid);
    const TextMapFormat format{true, state.range(0) != 0};
    for (auto _ : state) {
        const QByteArray text = TextMapWriter::rowsText(values, axes, format, 0, axes.rows);
        benchmark::DoNotOptimize(text.size());
    }
    state.SetItemsProcessed(state.iterations() * axes.points());
}
BENCHMARK(BM_TextMapRows)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

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
