#include "processing/CalibrationJob.h"

#include "base/BlockLoop.h"
#include "base/Log.h"
#include "base/LogCategories.h"
#include "grid/Analyzed2DRes.h"
#include "physics/XafsSpectrum.h"
#include "processing/EdgeCalibration.h"
#include "processing/EdgeNormalization.h"
#include "processing/LaneNormalization.h"

#include <QDebug>
#include <cmath>

namespace {

void addShift(CalibrationStats* s, double v)
{
    ++s->count;
    s->sum += v;
    if (v < s->min)
        s->min = v;
    if (v > s->max)
        s->max = v;
}

// What a thread of the calibration works in.
struct ShiftScratch {
    explicit ShiftScratch(int images)
        : e(std::size_t(images) + 1), mu(std::size_t(images) + 1), normalized(std::size_t(images) + 1)
    {
    }
    std::vector<double> e, mu, normalized;
    EdgeNormalization norm;
    LaneNormalization lanes;
};

} // namespace

CalibrationMethod CalibrationMethod::of(CalibrationRule rule, const XafsSpectrum* standard, bool targetVictoreen)
{
    CalibrationMethod m;
    m.rule = rule;
    m.targetVictoreen = targetVictoreen;
    if (standard) {
        m.eStd = EdgeCalibration::halfHeightEdge(*standard);
        m.standardCurve = standard->doubleNormalizedPreBase();
    }
    return m;
}

double CalibrationJob::blockShift(const CalibrationMethod& method, const ShiftFitter& fitter, const double* e,
                                  const double* mu, const double* norm, int n)
{
    const double s0 = EdgeCalibration::halfHeightEdge(e, mu, n) - method.eStd;
    if (method.rule == CalibrationRule::Fit && norm && fitter.isValid())
        return fitter.fit(e, norm, n, s0);
    return s0;
}

CalibrationJob::CalibrationJob(const CalibrationSetup& setup, Analyzed2DRes* map)
    : m_setup(setup), m_grid(setup.grid), m_map(map)
{
    logWithTime(QStringLiteral("Start Calibration"));
    m_grid.restart();
    if (m_map)
        m_map->setup(m_grid);
    m_source = AbsorptionSpectrum(setup.i1, setup.i0, m_grid.halfWidth, m_grid.halfHeight, setup.fluorescence);
    m_bands.setThreads(setup.threads);
    m_bands.setup(&m_source, m_grid, BlockSpectra::Absorption, BlockReach::Centre);
    if (m_setup.method.rule == CalibrationRule::Fit)
        m_fitter.setStandard(m_setup.method.standardCurve, m_setup.method.eStd);

    // Bands of grid rows whose values fit the budget, and at least eight
    // bands where there are rows enough, so progress moves.
    const qint64 perRow = qMax<qint64>(1, qint64(m_bands.columns()) * qint64(m_source.i1().size())
                                              * qint64(sizeof(double)));
    const int rows = m_bands.rows();
    int rowsPerBand = int(qBound<qint64>(1, m_setup.memoryBudget / perRow, qMax(1, rows)));
    rowsPerBand = qMin(rowsPerBand, qMax(1, (rows + 7) / 8));
    planBands(rows, m_bands.columns(), rowsPerBand, false);
    m_recorded.assign(std::size_t(m_bands.grid().blocks()), 0);
}

bool CalibrationJob::computeBand(const Band& band, const std::atomic<bool>& stop)
{
    const qint64 blocks = qint64(band.count) * m_bands.columns();
    m_shifts.assign(std::size_t(blocks), 0.0);
    m_has.assign(std::size_t(blocks), 0);
    if (!m_bands.compute(band.first, band.count))
        return false;
    const bool fit = m_setup.method.rule == CalibrationRule::Fit && m_fitter.isValid();
    const BlockSpectra& values = m_bands.values();
    const auto shiftOfBlock = [&](ShiftScratch& s, qint64 b) {
        const int n = values.points(b, s.e.data(), s.mu.data());
        if (n == 0)
            return;
        const double* normalized = nullptr;
        if (fit) {
            s.norm.compute(s.e.data(), s.mu.data(), n, m_setup.method.targetVictoreen);
            normalized = s.norm.doubleNormalizedPreBase();
        }
        m_shifts[std::size_t(b)] = blockShift(m_setup.method, m_fitter, s.e.data(), s.mu.data(), normalized, n);
        m_has[std::size_t(b)] = 1;
    };
    // The Fit rule normalises tiles of whole spectra side by side (the same
    // values as block by block) unless an energy is NaN.
    static_assert(LaneNormalization::lanes == BlockSpectra::lanes, "a tile is one normalisation's lanes");
    bool lanes = fit;
    for (double e : values.energies())
        lanes = lanes && !std::isnan(e);
    forEachBlock(values.tiles(), m_bands.threads(), &stop, [&] { return ShiftScratch(values.images()); },
                 [&](ShiftScratch& s, qint64 t) {
        const qint64 first = t * BlockSpectra::lanes;
        if (!lanes || !values.fullTile(t)) {
            for (qint64 b = first; b < qMin(blocks, first + BlockSpectra::lanes); ++b)
                shiftOfBlock(s, b);
            return;
        }
        const int n = values.images();
        const double* e = values.energies().data();
        const double* tile = values.tile(t);
        s.lanes.compute(e, tile, n, m_setup.method.targetVictoreen);
        const double* normalized = s.lanes.doubleNormalizedPreBase();
        for (int l = 0; l < BlockSpectra::lanes; ++l) {
            for (int i = 0; i < n; ++i) {
                const std::size_t k = std::size_t(i) * BlockSpectra::lanes + std::size_t(l);
                s.mu[std::size_t(i)] = tile[k];
                s.normalized[std::size_t(i)] = normalized[k];
            }
            const std::size_t b = std::size_t(first + l);
            m_shifts[b] = blockShift(m_setup.method, m_fitter, e, s.mu.data(), s.normalized.data(), n);
            m_has[b] = 1;
        }
    });
    return true;
}

void CalibrationJob::recordBand(const Band& band, bool computed)
{
    Q_UNUSED(computed);   // a band without values has no block with points
    const BlockGrid& blocks = m_bands.grid();
    const int cols = blocks.columns();
    for (int r = 0; r < band.count; ++r) {
        const int y = blocks.ys[std::size_t(band.first + r)];
        for (int i = 0; i < cols; ++i) {
            const std::size_t b = std::size_t(r) * std::size_t(cols) + std::size_t(i);
            if (b >= m_has.size() || !m_has[b])
                continue;
            const double v = m_shifts[b];
            if (m_map)
                m_map->setData(blocks.xs[std::size_t(i)], y, m_grid.halfWidth, m_grid.halfHeight, v);
            addShift(&m_stats, v);
            m_recorded[std::size_t(blocks.index(i, band.first + r))] = 1;
        }
        qCDebug(lcProcessing) << "progress" << double(y - m_grid.y0) / double(m_grid.y1 - m_grid.y0) * 100.0;
    }
}

void CalibrationJob::finished(bool stopped)
{
    m_stats.mean = m_stats.sum / double(m_stats.count);
    double total = 0.0;
    const BlockGrid& blocks = m_bands.grid();
    const int cols = blocks.columns();
    for (int j = 0; j < blocks.rows(); ++j)
        for (int i = 0; i < cols; ++i) {
            if (!m_recorded[std::size_t(blocks.index(i, j))])
                continue;
            const double v = m_map ? m_map->value(blocks.xs[std::size_t(i)], blocks.ys[std::size_t(j)]) : 0.0;
            total += (v - m_stats.mean) * (v - m_stats.mean);
        }
    m_stats.sigma = std::sqrt(total / double(m_stats.count));
    // The block values are not released here: after a stop the worker may
    // still be inside its slice; they go with the job.
    if (m_map)
        m_map->genImg();
    logWithTime(QStringLiteral("End Calibration   "));
    if (m_onFinished)
        m_onFinished(m_stats, stopped);
}

CalibrationStats CalibrationJob::runHere()
{
    runAllHere();
    return m_stats;
}

CalibrationStats CalibrationJob::runPointByPoint(const AbsorptionSpectrum& source, const ScanGrid& grid,
                                                 const CalibrationMethod& method, Analyzed2DRes* map)
{
    CalibrationStats stats;
    ShiftFitter fitter;
    const bool fit = method.rule == CalibrationRule::Fit && fitter.setStandard(method.standardCurve, method.eStd);
    ScanGrid g = grid;
    g.restart();
    map->setup(g);
    std::vector<std::pair<int, int>> centres;
    std::vector<double> e, mu, norm;
    bool newLine = false;
    do {
        const Spectrum s = source.spectrum(g.x, g.y);
        const int n = s.count();
        if (n == 0)
            continue;
        e.resize(std::size_t(n));
        mu.resize(std::size_t(n));
        for (int i = 0; i < n; ++i) {
            e[std::size_t(i)] = s.E(i);
            mu[std::size_t(i)] = s.y(i);
        }
        const double* normalized = nullptr;
        if (fit) {
            const XafsSpectrum x(s, method.targetVictoreen, 0.0);
            const Spectrum& d = x.doubleNormalizedPreBase();
            norm.resize(std::size_t(n));
            for (int i = 0; i < n; ++i)
                norm[std::size_t(i)] = d.y(i);
            normalized = norm.data();
        }
        const double v = blockShift(method, fitter, e.data(), mu.data(), normalized, n);
        map->setData(g.x, g.y, g.halfWidth, g.halfHeight, v);
        addShift(&stats, v);
        centres.emplace_back(g.x, g.y);
    } while (g.next(newLine));
    stats.mean = stats.sum / double(stats.count);
    double total = 0.0;
    for (const auto& c : centres) {
        const double v = map->value(c.first, c.second);
        total += (v - stats.mean) * (v - stats.mean);
    }
    stats.sigma = std::sqrt(total / double(stats.count));
    return stats;
}
