#include "analysis/AreaPipeline.h"

#include "analysis/FitShares.h"
#include "analysis/LaneFitter.h"
#include "analysis/LinearCombinationFitter.h"
#include "base/BlockLoop.h"
#include "grid/Analyzed2DRes.h"
#include "physics/XafsSpectrum.h"
#include "processing/EdgeNormalization.h"
#include "processing/LaneNormalization.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double noValue = std::numeric_limits<double>::quiet_NaN();

inline void put(Analyzed2DRes* map, int x, int y, int xw, int yw, double v)
{
    if (map)
        map->setData(x, y, xw, yw, v);
}

inline Analyzed2DRes* mapAt(const QVector<Analyzed2DRes*>& maps, int i)
{
    return i >= 0 && i < maps.size() ? maps[i] : nullptr;
}

// Writes the results of one block as a 2D run records an answer of the engine:
// amounts into the maps of the used rows, fractions into the maps N further
// on; then the fit quality and the sum of the fractions.
void recordBlock(const AreaFitMaps& maps, int rowCount, const QVector<int>& usedRows, int x, int y, int xw,
                 int yw, const double* amounts, const double* fractions, double rFactor, double fractionSum)
{
    for (int d = 0; d < usedRows.size(); ++d) {
        const int i = usedRows[d];
        put(mapAt(maps.rows, i), x, y, xw, yw, amounts[d]);
        put(mapAt(maps.rows, i + rowCount), x, y, xw, yw, fractions[d]);
    }
    put(maps.rFactor, x, y, xw, yw, rFactor);
    put(maps.fractionSum, x, y, xw, yw, fractionSum);
}

// A block without a fit: NaN in the quality maps only.
void recordNoFit(const AreaFitMaps& maps, int x, int y, int xw, int yw)
{
    put(maps.rFactor, x, y, xw, yw, noValue);
    put(maps.fractionSum, x, y, xw, yw, noValue);
}

// A masked block: NaN in every map the run fills.
void recordMasked(const AreaFitMaps& maps, int rowCount, const QVector<int>& usedRows, int x, int y, int xw, int yw)
{
    for (int i : usedRows) {
        put(mapAt(maps.rows, i), x, y, xw, yw, noValue);
        put(mapAt(maps.rows, i + rowCount), x, y, xw, yw, noValue);
    }
    recordNoFit(maps, x, y, xw, yw);
}

} // namespace

// What a thread of an LCF run works in.
struct AreaPipeline::FitScratch {
    FitScratch(const BlockFitter::Plan* plan, int images)
        : fitter(plan), lanes(plan), e(std::size_t(images), 0.0), mu(std::size_t(images), 0.0) {}
    BlockFitter fitter;
    EdgeNormalization norm;
    LaneFitter lanes;
    LaneNormalization laneNorm;
    std::vector<double> e, mu;
};

void AreaPipeline::setThreads(int threads)
{
    m_bands.setThreads(threads);
}

void AreaPipeline::prepare(const std::vector<const TiffData*>& i1, const std::vector<const TiffData*>& i0,
                           const ScanGrid& grid, bool fluorescence, const ShiftMapView& shift)
{
    m_scanGrid = grid;
    m_shift = shift;
    m_source = AbsorptionSpectrum(i1, i0, grid.halfWidth, grid.halfHeight, fluorescence);
    m_bands.setup(&m_source, grid, BlockSpectra::Absorption);
    m_rowCount = 0;
}

bool AreaPipeline::setFit(const AreaFitSetup& setup)
{
    m_setup = setup;
    m_fitOk = BlockFitter::makePlan(setup.mlcf, m_setup.references, &m_plan, setup.nonNegative);
    // The side-by-side fitter solves the free least-squares problem only.
    m_lanesOk = m_fitOk && !setup.nonNegative && LaneFitter::suits(m_plan);
    m_rowCount = 0;
    return m_fitOk;
}

qint64 AreaPipeline::scratchPerThread() const
{
    // The points of a block, the normalisation (energies, two lines, the
    // normalised values), a second one for the mask, the same two for a
    // tile's lanes, and the walk positions of both fitters.
    const qint64 images = m_bands.images();
    const qint64 laneNorm = (1 + 3 * qint64(LaneNormalization::lanes)) * images;
    return (12 * images + 2 * laneNorm) * qint64(sizeof(double)) + 2 * m_plan.used() * images * qint64(sizeof(int));
}

int AreaPipeline::cacheRows() const
{
    const qint64 perRow = qint64(columns()) * m_bands.images() * qint64(sizeof(double));
    return int(qBound<qint64>(1, cacheBytes / qMax<qint64>(1, perRow), qMax(1, rows())));
}

int AreaPipeline::bandRows() const
{
    return m_bands.rowsForBudget(m_budget, resultStride() * qint64(sizeof(double)), scratchPerThread());
}

bool AreaPipeline::analyzeRows(int first, int count, const std::atomic<bool>* stop)
{
    m_firstRow = qBound(0, first, rows());
    m_rowCount = qBound(0, count, rows() - m_firstRow);
    const qint64 blocks = qint64(m_rowCount) * columns();
    m_results.assign(std::size_t(blocks) * std::size_t(resultStride()), 0.0);
    if (!m_fitOk || blocks == 0)
        return true;
    // Within the budget, rows go a few at a time, so that their values are
    // still in the cache when they are fitted.
    const int band = qMin(bandRows(), cacheRows());
    for (int done = 0; done < m_rowCount && !(stop && stop->load()); done += band) {
        if (!m_bands.compute(m_firstRow + done, qMin(band, m_rowCount - done), stop)) {
            m_rowCount = 0;
            return false;
        }
        fitBand(done, stop);
    }
    return true;
}

void AreaPipeline::fitBand(int resultRow0, const std::atomic<bool>* stop)
{
    const BlockSpectra& values = m_bands.values();
    const qint64 blocks = values.blocks();
    // Tiles of whole spectra go side by side when the plan allows it and no
    // energy is NaN (which the engine reports point by point).
    bool lanes = m_lanesOk;
    for (double e : values.energies())
        lanes = lanes && !std::isnan(e);
    forEachBlock(values.tiles(), threads(), stop, [&] { return FitScratch(&m_plan, values.images()); },
                 [&](FitScratch& s, qint64 t) {
        if (lanes && values.fullTile(t) && fitTile(s, t, resultRow0))
            return;
        const qint64 end = qMin(blocks, (t + 1) * BlockSpectra::lanes);
        for (qint64 b = t * BlockSpectra::lanes; b < end; ++b)
            fitBlock(s, b, resultRow0);
    });
}

double* AreaPipeline::resultOf(qint64 b, int resultRow0)
{
    const int cols = m_bands.grid().columns();
    return m_results.data() + (qint64(resultRow0) * cols + b) * resultStride();
}

double AreaPipeline::shiftOf(qint64 b) const
{
    const BlockGrid& g = m_bands.grid();
    const int cols = g.columns();
    return m_shift.at(g.xs[std::size_t(b % cols)], g.ys[std::size_t(m_bands.first() + b / cols)]);
}

void AreaPipeline::fitBlock(FitScratch& s, qint64 b, int resultRow0)
{
    const BlockSpectra& values = m_bands.values();
    const int used = m_plan.used();
    const AreaMask mask = m_setup.mask;
    const bool victoreen = m_setup.victoreen;
    const int n = values.points(b, s.e.data(), s.mu.data());
    double* r = resultOf(b, resultRow0);
    double* amounts = r + 1;
    double* fractions = r + 1 + used;
    // An empty spectrum has jump 0; MLCF does not normalise, so the mask
    // needs a normalisation of its own there.
    if (mask.on && (n == 0 || m_plan.mlcf)) {
        s.norm.compute(s.e.data(), s.mu.data(), n, victoreen);
        if (mask.masks(s.norm.jump())) {
            r[0] = Masked;
            return;
        }
    }
    if (!s.fitter.fit(s.e.data(), s.mu.data(), n, victoreen, shiftOf(b), amounts, fractions, r + 1 + 2 * used)) {
        r[0] = NoFit;
        return;
    }
    if (mask.on && !m_plan.mlcf && mask.masks(s.fitter.jump())) {
        r[0] = Masked;
        return;
    }
    r[0] = Fitted;
    r[2 + 2 * used] = FitShares::fractionSum(fractions, used);
}

bool AreaPipeline::fitTile(FitScratch& s, qint64 t, int resultRow0)
{
    constexpr int lanes = BlockSpectra::lanes;
    const BlockSpectra& values = m_bands.values();
    const qint64 b0 = t * lanes;
    double dE[lanes];
    for (int l = 0; l < lanes; ++l) {
        dE[l] = shiftOf(b0 + l);
        if (std::isnan(dE[l]))
            return false;   // the engine's path with a NaN energy
    }
    const int used = m_plan.used();
    const AreaMask mask = m_setup.mask;
    const double* e = values.energies().data();
    const double* mu = values.tile(t);
    const int n = values.images();
    LaneFitter::Out out[lanes];
    for (int l = 0; l < lanes; ++l) {
        double* r = resultOf(b0 + l, resultRow0);
        out[l].amounts = r + 1;
        out[l].fractions = r + 1 + used;
        out[l].rFactor = r + 1 + 2 * used;
    }
    if (mask.on && m_plan.mlcf)
        s.laneNorm.compute(e, mu, n, m_setup.victoreen);
    s.lanes.fit(e, mu, n, m_setup.victoreen, dE, out);
    for (int l = 0; l < lanes; ++l) {
        double* r = resultOf(b0 + l, resultRow0);
        if (mask.on && mask.masks(m_plan.mlcf ? s.laneNorm.jump(l) : s.lanes.jump(l))) {
            r[0] = Masked;
            continue;
        }
        r[0] = Fitted;
        r[2 + 2 * used] = FitShares::fractionSum(out[l].fractions, used);
    }
    return true;
}

void AreaPipeline::recordRows(const AreaFitMaps& maps, int from, int count) const
{
    if (!m_fitOk)
        return;
    const BlockGrid& g = m_bands.grid();
    const int cols = g.columns();
    const int stride = resultStride();
    const int used = m_plan.used();
    const int rowsInAll = m_setup.references.size();
    const int xw = m_scanGrid.halfWidth, yw = m_scanGrid.halfHeight;
    const int begin = qBound(0, from, m_rowCount);
    const int end = count < 0 ? m_rowCount : qBound(begin, begin + count, m_rowCount);
    for (int row = begin; row < end; ++row) {
        const int y = g.ys[std::size_t(m_firstRow + row)];
        for (int i = 0; i < cols; ++i) {
            const double* r = m_results.data() + (qint64(row) * cols + i) * stride;
            const int x = g.xs[std::size_t(i)];
            if (r[0] == Fitted)
                recordBlock(maps, rowsInAll, m_plan.usedRows, x, y, xw, yw, r + 1, r + 1 + used, r[1 + 2 * used],
                            r[2 + 2 * used]);
            else if (r[0] == Masked)
                recordMasked(maps, rowsInAll, m_plan.usedRows, x, y, xw, yw);
            else
                recordNoFit(maps, x, y, xw, yw);
        }
    }
}

void AreaPipeline::recordRows(const QVector<Analyzed2DRes*>& maps) const
{
    AreaFitMaps m;
    m.rows = maps;
    recordRows(m);
}

bool AreaPipeline::run(const AreaFitMaps& maps)
{
    const int band = bandRows();
    for (int first = 0; first < rows(); first += band) {
        if (!analyzeRows(first, band))
            return false;
        recordRows(maps);
    }
    return true;
}

bool AreaPipeline::run(const QVector<Analyzed2DRes*>& maps)
{
    AreaFitMaps m;
    m.rows = maps;
    return run(m);
}

bool AreaPipeline::runPointByPoint(const AbsorptionSpectrum& source, const ScanGrid& grid,
                                   const ShiftMapView& shift, const AreaFitSetup& setup, const AreaFitMaps& maps)
{
    if (setup.references.size() < 2)
        return false;
    LinearCombinationFitter fitter;
    FitResult result;
    FitOptions options;
    options.curve = false;
    options.nonNegative = setup.nonNegative;
    const LinearCombinationFitter::Method method =
        setup.mlcf ? LinearCombinationFitter::MLCF : LinearCombinationFitter::LCF;
    QVector<int> usedRows;
    for (int r = 0; r < setup.references.size(); ++r)
        if (setup.references[r].isUsed())
            usedRows.append(r);
    ScanGrid g = grid;
    g.restart();
    bool newLine = false;
    do {
        const XafsSpectrum sample = source.xafs(g.x, g.y, setup.victoreen, shift.at(g.x, g.y));
        if (setup.mask.masks(sample.jump())) {
            recordMasked(maps, setup.references.size(), usedRows, g.x, g.y, g.halfWidth, g.halfHeight);
            continue;
        }
        if (!fitter.fit(method, sample, setup.references, options, result)) {
            recordNoFit(maps, g.x, g.y, g.halfWidth, g.halfHeight);
            continue;
        }
        recordBlock(maps, setup.references.size(), result.usedRows, g.x, g.y, g.halfWidth, g.halfHeight,
                    result.amounts.constData(), result.fractions.constData(), result.rFactor,
                    FitShares::fractionSum(result.fractions.constData(), result.fractions.size()));
    } while (g.next(newLine));
    return true;
}

bool AreaPipeline::runPointByPoint(const AbsorptionSpectrum& source, const ScanGrid& grid,
                                   const ShiftMapView& shift, const AreaFitSetup& setup,
                                   const QVector<Analyzed2DRes*>& maps)
{
    AreaFitMaps m;
    m.rows = maps;
    return runPointByPoint(source, grid, shift, setup, m);
}

qint64 AreaPipeline::workingBytes() const
{
    return m_bands.workingBytes(scratchPerThread()) + qint64(m_results.capacity() * sizeof(double));
}
