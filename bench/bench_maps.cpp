#include "display/ColorScale.h"
#include "grid/Analyzed2DRes.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <vector>

namespace {

constexpr int mapSize = 2048;

ScanGrid pixelGrid()
{
    ScanGrid g;
    g.setup(mapSize, mapSize, 0, 0, QRectF(0, 0, mapSize, mapSize), -1, -1);
    return g;
}

// A smooth test pattern, tabulated so that the timing is the map's, not sin's.
struct Pattern {
    std::vector<double> alongX, alongY;
    Pattern()
        : alongX(mapSize)
        , alongY(mapSize)
    {
        for (int i = 0; i < mapSize; ++i) {
            alongX[i] = std::sin(i * 0.01);
            alongY[i] = std::cos(i * 0.013);
        }
    }
};

// Writes every pixel of the map as a 2D run with single-pixel blocks does.
void fillAlongGrid(Analyzed2DRes& m)
{
    static const Pattern p;
    ScanGrid g = m.grid();
    g.restart();
    bool newLine;
    do {
        m.setData(g.x, g.y, 0, 0, p.alongX[g.x] * p.alongY[g.y]);
    } while (g.next(newLine));
}

void BM_MapSetData_2048(benchmark::State& state)
{
    Analyzed2DRes m;
    m.setup(pixelGrid());
    for (auto _ : state) {
        fillAlongGrid(m);
        benchmark::DoNotOptimize(m.data());
    }
    state.SetItemsProcessed(state.iterations() * mapSize * mapSize);
}

void BM_MapGenImg_2048(benchmark::State& state)
{
    Analyzed2DRes m;
    m.setImageFormat(int(state.range(0)));
    m.setup(pixelGrid());
    fillAlongGrid(m);
    for (auto _ : state) {
        m.genImg();
        benchmark::DoNotOptimize(m.pixels());
    }
    state.SetItemsProcessed(state.iterations() * mapSize * mapSize);
}

void BM_MapSetDataAndGenImg_2048(benchmark::State& state)
{
    Analyzed2DRes m;
    m.setImageFormat(int(state.range(0)));
    for (auto _ : state) {
        m.setup(pixelGrid());
        fillAlongGrid(m);
        m.genImg();
        benchmark::DoNotOptimize(m.pixels());
    }
    state.SetItemsProcessed(state.iterations() * mapSize * mapSize);
}

void BM_MapDeglitch_2048(benchmark::State& state)
{
    Analyzed2DRes m;
    m.setup(pixelGrid());
    fillAlongGrid(m);
    m.setDeglitchConds(2.0, 0.1);
    // The procedures write one debug line per grid row; keep them out of the timing.
    const QtMessageHandler old = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    for (auto _ : state) {
        if (state.range(0) == 1)
            m.deglitch();
        else
            m.deglitch2(0.5);
        benchmark::DoNotOptimize(m.procData());
    }
    qInstallMessageHandler(old);
    state.SetItemsProcessed(state.iterations() * mapSize * mapSize);
}

void BM_MapTiffExport_2048(benchmark::State& state)
{
    Analyzed2DRes m;
    m.setup(pixelGrid());
    fillAlongGrid(m);
    for (auto _ : state) {
        const QVector<quint16> out = m.tiffDataForSave(false, 0, 0, state.range(0) == 1);
        benchmark::DoNotOptimize(out.constData());
    }
    state.SetItemsProcessed(state.iterations() * mapSize * mapSize);
}

}

BENCHMARK(BM_MapSetData_2048)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapGenImg_2048)
    ->ArgName("format")
    ->Arg(QImage::Format_Grayscale8)
    ->Arg(QImage::Format_RGB888)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapSetDataAndGenImg_2048)
    ->ArgName("format")
    ->Arg(QImage::Format_Grayscale8)
    ->Arg(QImage::Format_RGB888)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapDeglitch_2048)->ArgName("deglitch1_or_2")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapTiffExport_2048)->ArgName("asAnalyzed")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
