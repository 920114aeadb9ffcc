#include "analysis/CorrelationMapJob.h"
#include "grid/Analyzed2DRes.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

namespace {

constexpr int mapSize = 2048;

// Three element rows' ratio maps and the two correlation maps of a
// whole-area element run with single-pixel blocks.
struct CorrelationMaps {
    Analyzed2DRes ratio[3];
    Analyzed2DRes cor, corTh;

    CorrelationMaps()
    {
        ScanGrid g;
        g.setup(mapSize, mapSize, 0, 0, QRectF(0, 0, mapSize, mapSize), -1, -1);
        for (Analyzed2DRes* m : {&ratio[0], &ratio[1], &ratio[2], &cor, &corTh})
            m->setup(g);
        for (int k = 0; k < 3; ++k) {
            for (int y = 0; y < mapSize; ++y)
                for (int x = 0; x < mapSize; ++x)
                    ratio[k].setData(x, y, 0, 0, 1.0 + 0.3 * std::sin(0.01 * (k + 1) * (x + 2 * y)));
        }
    }
    QVector<CorrelationMapJob::Source> sources() const
    {
        return {{&ratio[0], 1.0}, {&ratio[1], 0.8}, {&ratio[2], 0.4}};
    }
};

CorrelationMaps& maps()
{
    static CorrelationMaps m;
    return m;
}

// The worker's part: correlation values of every slice.
void BM_CorrelationMapCompute_2048(benchmark::State& state)
{
    CorrelationMaps& m = maps();
    CorrelationMapJob job(m.cor.grid(), m.sources(), 0.999, &m.cor, &m.corTh);
    const std::atomic<bool> stop{false};
    for (auto _ : state) {
        for (int i = 0; i < job.sliceCount(); ++i)
            benchmark::DoNotOptimize(job.runSlice(i, stop));
    }
    state.SetItemsProcessed(state.iterations() * job.totalItems());
}

// The whole rebuild in one thread: computed and recorded into both maps.
void BM_CorrelationMapRebuild_2048(benchmark::State& state)
{
    CorrelationMaps& m = maps();
    for (auto _ : state) {
        CorrelationMapJob job(m.cor.grid(), m.sources(), 0.999, &m.cor, &m.corTh);
        job.runHere();
        benchmark::DoNotOptimize(m.cor.data());
    }
    state.SetItemsProcessed(state.iterations() * qint64(mapSize) * mapSize);
}

} // namespace

BENCHMARK(BM_CorrelationMapCompute_2048)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorrelationMapRebuild_2048)->Unit(benchmark::kMillisecond);
