#include "ModelEdge.h"
#include "physics/LuSolver.h"
#include "physics/XafsSpectrum.h"

#include <benchmark/benchmark.h>
#include <cmath>

namespace {

// A realistic 200-point iron K-edge scan: coarse pre-edge, 1 eV steps
// through the edge, coarse above it.
Spectrum rawIronEdge()
{
    ModelEdge model;
    model.wiggle = 0.03;
    model.wiggleFrom = 18.0;
    Spectrum s;
    scan200(0.0, [&](double e) { s.add(e, model.mu(e)); });
    return s;
}

// Construction from raw points: half-height energy, both background fits,
// e0, jump and the four derived spectra.
void BM_XafsSpectrumFrom200Points(benchmark::State& state)
{
    const Spectrum raw = rawIronEdge();
    const bool victoreen = state.range(0) != 0;
    for (auto _ : state) {
        XafsSpectrum s(raw, victoreen, 0.0);
        benchmark::DoNotOptimize(s.jump());
    }
    state.SetLabel(victoreen ? "victoreen" : "straight");
}
BENCHMARK(BM_XafsSpectrumFrom200Points)->Arg(1)->Arg(0);

// Normalising a spectrum again in place: the vectors keep their capacity, so
// this measures the arithmetic without any allocation.
void BM_XafsSpectrumRenormalize200Points(benchmark::State& state)
{
    XafsSpectrum s(rawIronEdge(), true, 0.0);
    for (auto _ : state) {
        s.normalize(true);
        benchmark::DoNotOptimize(s.jump());
    }
}
BENCHMARK(BM_XafsSpectrumRenormalize200Points);

void BM_SpectrumValueAt200Points(benchmark::State& state)
{
    const Spectrum raw = rawIronEdge();
    double e = 6900.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(raw.valueAt(e));
        e = e > 8100.0 ? 6900.0 : e + 0.37;
    }
}
BENCHMARK(BM_SpectrumValueAt200Points);

// One solve of an n x n system as the linear-combination fits build them.
void BM_LuSolve(benchmark::State& state)
{
    const int n = int(state.range(0));
    LuSystem sys;
    for (auto _ : state) {
        sys.reset(n);
        for (int r = 0; r < n; ++r) {
            for (int c = 0; c < n; ++c)
                sys.a(r, c) = 1.0 / (1.0 + r + c) + (r == c ? 1.0 : 0.0);
            sys.b(r) = r + 1.0;
        }
        benchmark::DoNotOptimize(sys.solve()[0]);
    }
}
BENCHMARK(BM_LuSolve)->Arg(3)->Arg(12);

} // namespace
