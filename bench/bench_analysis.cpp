#include "analysis/ElementAnalysis.h"
#include "analysis/LinearCombinationFitter.h"
#include "analysis/SpectrumCursor.h"
#include "ModelEdge.h"
#include "physics/EdgeTable.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <vector>

namespace {

// A 200-point iron K-edge scan (coarse pre-edge, 1 eV through the edge,
// coarse above) with the edge at `edge` and a post-edge oscillation of the
// given period, normalised with Victoreen lines.
XafsSpectrum ironEdge(double edge, double period, double whiteLine, double shift = 0.0)
{
    ModelEdge model;
    model.edge = edge;
    model.period = period;
    model.whiteLine = whiteLine;
    Spectrum s;
    scan200(shift, [&](double e) { s.add(e, model.mu(e)); });
    return XafsSpectrum(s, true, 0.0);
}

ReferenceSnapshot reference(const XafsSpectrum& s, double dE)
{
    ReferenceSnapshot r;
    r.spectrum = s;
    r.spectrum.setOffset(dE, true);
    r.use = true;
    r.fileChosen = true;
    return r;
}

// References on grids of their own (shifted by a fraction of a step), so
// every sample energy falls between reference points.
QVector<ReferenceSnapshot> references(int n)
{
    QVector<ReferenceSnapshot> refs{reference(ironEdge(7112.0, 15.0, 0.3, -0.4), 0.0),
                                    reference(ironEdge(7114.0, 25.0, 0.6, 0.3), 1.5),
                                    reference(ironEdge(7110.0, 9.0, 0.1, -0.2), -2.0)};
    refs.resize(n);
    return refs;
}

// One fit of a built 200-point sample, from the sample to the fractions; the
// fitter and the result are reused as a 2D run reuses them.
void fitBench(benchmark::State& state, LinearCombinationFitter::Method method, int refCount, bool curve)
{
    const XafsSpectrum sample = ironEdge(7112.7, 13.0, 0.4);
    const QVector<ReferenceSnapshot> refs = references(refCount);
    LinearCombinationFitter fitter;
    FitResult result;
    FitOptions options;
    options.curve = curve;
    for (auto _ : state) {
        fitter.fit(method, sample, refs, options, result);
        benchmark::DoNotOptimize(result.fractions.constData()[0]);
    }
}

void BM_LcfTwoReferences200Points(benchmark::State& state)
{
    fitBench(state, LinearCombinationFitter::LCF, 2, false);
}
BENCHMARK(BM_LcfTwoReferences200Points);

void BM_MlcfThreeReferences200Points(benchmark::State& state)
{
    fitBench(state, LinearCombinationFitter::MLCF, 3, false);
}
BENCHMARK(BM_MlcfThreeReferences200Points);

// The interactive form: the fitted curve is built and normalised as well.
void BM_LcfTwoReferences200PointsWithCurve(benchmark::State& state)
{
    fitBench(state, LinearCombinationFitter::LCF, 2, true);
}
BENCHMARK(BM_LcfTwoReferences200PointsWithCurve);

// One reference evaluated at the 200 energies of a sample, by the forward
// walk and by a search per energy; the fits do the former once per reference.
void BM_ReferenceWalk200Points(benchmark::State& state)
{
    const XafsSpectrum sample = ironEdge(7112.7, 13.0, 0.4);
    const XafsSpectrum ref = ironEdge(7114.0, 25.0, 0.6, 0.3);
    std::vector<double> xs;
    for (const SpectrumPoint& p : sample.points())
        xs.push_back(p.x);
    std::vector<double> out(xs.size());
    SpectrumCursor cursor;
    for (auto _ : state) {
        cursor.reset(ref.doubleNormalizedPreBase());
        cursor.valuesAt(xs.data(), int(xs.size()), 1.5, out.data(), [] {});
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_ReferenceWalk200Points);

void BM_ReferenceSearch200Points(benchmark::State& state)
{
    const XafsSpectrum sample = ironEdge(7112.7, 13.0, 0.4);
    const XafsSpectrum ref = ironEdge(7114.0, 25.0, 0.6, 0.3);
    std::vector<double> xs;
    for (const SpectrumPoint& p : sample.points())
        xs.push_back(p.x);
    std::vector<double> out(xs.size());
    for (auto _ : state) {
        for (std::size_t i = 0; i < xs.size(); ++i)
            out[i] = ref.doubleNormalizedPreBase().valueAt(xs[i] + 1.5);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_ReferenceSearch200Points);

// Element analysis of a 200-point sample with three rows (Fe K at two widths
// with ROIs, and a row below its threshold), the result reused.
void BM_ElementAnalysisThreeRows(benchmark::State& state)
{
    const XafsSpectrum sample = ironEdge(7112.7, 13.0, 0.4);
    const double e0 = 1000.0 * EdgeTable::global().edgeEnergy(26, EdgeTable::K);
    QVector<ElementSnapshot> rows(3);
    for (int i = 0; i < 3; ++i) {
        rows[i].z = 26;
        rows[i].edge = EdgeTable::K;
        rows[i].dE = 10.0 + 5.0 * i;
        rows[i].roiStart = e0 + 20.0;
        rows[i].roiEnd = e0 + 60.0 + 20.0 * i;
        rows[i].threshold = i == 2 ? 100.0 : 0.01;
    }
    ElementResult result;
    for (auto _ : state) {
        analyzeElements(sample, rows, 0, BackgroundValues(), result);
        benchmark::DoNotOptimize(result.dmutRatio.constData()[0]);
    }
}
BENCHMARK(BM_ElementAnalysisThreeRows);

} // namespace
