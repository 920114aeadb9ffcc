#include "analysis/ElementRunJob.h"

#include "analysis/ElementCorrelation.h"
#include "base/BlockLoop.h"
#include "grid/Analyzed2DRes.h"
#include "physics/XafsSpectrum.h"
#include "processing/EdgeNormalization.h"

#include <limits>

namespace {

constexpr double noValue = std::numeric_limits<double>::quiet_NaN();
enum State { Analysed = 1, Masked = 2 };
// Kinds of values per row, in the order of the map list, then the raw dmut.
constexpr int kinds = 7;

// A centre whose block misses every map: setData there only widens the range.
constexpr int farCentre = -(1 << 30);

// Fills r (state, correlation flag and value, 8 values per row) from one
// element analysis.
void store(const ElementResult& res, const ElementRunSetup& setup, const bool* use, double* r)
{
    const int n = setup.rows.size();
    // Map order, then the raw dmut.
    const QVector<double>* v[kinds + 1] = {&res.dmut, &res.dmutRatio, &res.muPlus, &res.muMinus,
                                           &res.edgeShift, &res.roi, &res.nroi, &res.rawDmut};
    for (int k = 0; k < kinds + 1; ++k)
        for (int j = 0; j < n; ++j)
            r[3 + k * n + j] = j < v[k]->size() ? (*v[k])[j] : noValue;
    double cor = 0.0;
    const bool ok = n > 0 && res.dmutRatio.size() == n
                    && ElementCorrelation::compute(res.dmutRatio.constData(), setup.standardRatios.constData(),
                                                   use, n, &cor);
    r[0] = Analysed;
    r[1] = ok ? 1.0 : 0.0;
    r[2] = ok ? cor : 0.0;
}

// What a thread of an element run works in.
struct ElementScratch {
    explicit ElementScratch(int images)
        : e(std::size_t(images)), mu(std::size_t(images)), points(std::size_t(images)) {}
    std::vector<double> e, mu;
    std::vector<SpectrumPoint> points;
    EdgeNormalization norm;
    ElementResult res;
};

ElementRunSetup normalised(const ElementRunSetup& setup)
{
    ElementRunSetup s = setup;
    s.useInCorrelation.resize(s.rows.size());
    s.standardRatios.resize(s.rows.size());
    return s;
}

} // namespace

ElementRunJob::ElementRunJob(const AreaRunInput& input, const ElementRunSetup& setup)
    : AreaRunJob(input),
      m_setup(normalised(setup)),
      m_source(input.i1, input.i0, input.grid.halfWidth, input.grid.halfHeight, input.fluorescence),
      m_correlation(setup.correlation)
{
    m_bands.setThreads(input.threads);
    m_bands.setup(&m_source, input.grid, BlockSpectra::Absorption);
    planSlices(m_bands, stride() * qint64(sizeof(double)), scratchBytes() + stride() * qint64(sizeof(double)));
    // The far points have an empty spectrum.
    m_empty.assign(std::size_t(stride()), 0.0);
    if (input.mask.masks(0.0)) {
        m_empty[0] = Masked;
    } else {
        ElementResult res;
        analyzeElements(nullptr, 0, 0.0, m_setup.rows, m_setup.mainT, m_setup.background, res);
        store(res, m_setup, m_setup.useInCorrelation.constData(), m_empty.data());
    }
}

qint64 ElementRunJob::scratchBytes() const
{
    return 12 * qint64(m_bands.images()) * qint64(sizeof(double));
}

qint64 ElementRunJob::workingBytes() const
{
    return m_bands.workingBytes(scratchBytes()) + qint64(m_results.capacity() * sizeof(double));
}

bool ElementRunJob::analyzeRows(int first, int count, const std::atomic<bool>& stop)
{
    if (!m_bands.compute(first, count, &stop))
        return false;
    const BlockSpectra& values = m_bands.values();
    const int st = stride();
    m_results.assign(std::size_t(values.blocks()) * std::size_t(st), 0.0);
    const AreaMask mask = input().mask;
    const bool victoreen = input().victoreen;
    forEachBlock(values.blocks(), m_bands.threads(), &stop, [&] { return ElementScratch(values.images()); },
                 [&](ElementScratch& s, qint64 b) {
        double* r = m_results.data() + b * st;
        const int n = values.points(b, s.e.data(), s.mu.data());
        if (mask.on) {
            s.norm.compute(s.e.data(), s.mu.data(), n, victoreen);
            if (mask.masks(s.norm.jump())) {
                r[0] = Masked;
                return;
            }
        }
        for (int i = 0; i < n; ++i)
            s.points[std::size_t(i)] = SpectrumPoint{s.e[std::size_t(i)], s.mu[std::size_t(i)]};
        analyzeElements(s.points.data(), n, 0.0, m_setup.rows, m_setup.mainT, m_setup.background, s.res);
        store(s.res, m_setup, m_setup.useInCorrelation.constData(), r);
    });
    return true;
}

void ElementRunJob::recordBlock(const double* r, int x, int y)
{
    const int n = m_setup.rows.size();
    const QVector<Analyzed2DRes*>& maps = m_setup.maps;
    const int xw = input().grid.halfWidth, yw = input().grid.halfHeight;
    auto put = [&](int i, double v) {
        if (i < maps.size() && maps[i])
            maps[i]->setData(x, y, xw, yw, v);
    };
    if (r[0] == Masked) {
        for (int i = 0; i < kinds * n + 2; ++i)
            put(i, noValue);
        return;
    }
    for (int j = 0; j < n; ++j)
        for (int k = 0; k < kinds; ++k)
            put(j + k * n, r[3 + k * n + j]);
    if (r[1] != 0.0)
        m_correlation = r[2];
    put(kinds * n, m_correlation);
    put(kinds * n + 1, ElementCorrelation::thresholded(m_correlation, m_setup.correlationThreshold));
    keepLast(r);
}

void ElementRunJob::keepLast(const double* r)
{
    const int n = m_setup.rows.size();
    QVector<double>* v[kinds + 1] = {&m_last.dmut, &m_last.dmutRatio, &m_last.muPlus, &m_last.muMinus,
                                     &m_last.edgeShift, &m_last.roi, &m_last.nroi, &m_last.rawDmut};
    for (int k = 0; k < kinds + 1; ++k)
        *v[k] = QVector<double>(r + 3 + k * n, r + 3 + (k + 1) * n);
    m_hasLast = true;
}

void ElementRunJob::recordRow(int row)
{
    const BlockGrid& g = m_bands.grid();
    const int cols = g.columns();
    const int y = g.ys[std::size_t(m_bands.first() + row)];
    const int st = stride();
    for (int i = 0; i < cols; ++i)
        recordBlock(m_results.data() + (qint64(row) * cols + i) * st, g.xs[std::size_t(i)], y);
}

void ElementRunJob::recordFar()
{
    recordBlock(m_empty.data(), farCentre, farCentre);
}

double ElementRunJob::runPointByPoint(const AreaRunInput& input, const ElementRunSetup& setup0,
                                      ElementResult* last)
{
    const ElementRunSetup setup = normalised(setup0);
    const AbsorptionSpectrum source(input.i1, input.i0, input.grid.halfWidth, input.grid.halfHeight,
                                    input.fluorescence);
    const int n = setup.rows.size();
    const QVector<Analyzed2DRes*>& maps = setup.maps;
    double correlation = setup.correlation;
    ElementResult res;
    ScanGrid g = input.grid;
    g.restart();
    bool newLine = false;
    do {
        auto put = [&](int i, double v) {
            if (i < maps.size() && maps[i])
                maps[i]->setData(g.x, g.y, g.halfWidth, g.halfHeight, v);
        };
        const XafsSpectrum sample = source.xafs(g.x, g.y, input.victoreen, input.shift.at(g.x, g.y));
        if (input.mask.masks(sample.jump())) {
            for (int i = 0; i < kinds * n + 2; ++i)
                put(i, noValue);
            continue;
        }
        analyzeElements(sample, setup.rows, setup.mainT, setup.background, res);
        const QVector<double>* v[kinds] = {&res.dmut, &res.dmutRatio, &res.muPlus, &res.muMinus,
                                           &res.edgeShift, &res.roi, &res.nroi};
        for (int i = 0; i < n; ++i)
            for (int k = 0; k < kinds; ++k)
                put(i + k * n, (*v[k])[i]);
        ElementCorrelation::compute(res.dmutRatio, setup.standardRatios, setup.useInCorrelation, &correlation);
        put(kinds * n, correlation);
        put(kinds * n + 1, ElementCorrelation::thresholded(correlation, setup.correlationThreshold));
        if (last)
            *last = res;
    } while (g.next(newLine));
    return correlation;
}
