#include "processing/CalibrationJob.h"

#include "base/Log.h"
#include "base/RunOnThreads.h"
#include "grid/Analyzed2DRes.h"
#include "io/TiffData.h"
#include "physics/XafsSpectrum.h"
#include "processing/EdgeCalibration.h"
#include "processing/EdgeNormalization.h"

#include <QDebug>
#include <atomic>
#include <cmath>
#include <thread>

namespace {

int threadCount(int requested)
{
    const int n = requested > 0 ? requested : int(std::thread::hardware_concurrency());
    return qMax(1, n);
}

void addShift(CalibrationStats* s, double v)
{
    ++s->count;
    s->sum += v;
    if (v < s->min)
        s->min = v;
    if (v > s->max)
        s->max = v;
}

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
    int width = 0, height = 0;
    for (const TiffData* t : m_source.i1()) {
        width = qMax(width, int(qMin<quint32>(t->width(), 1u << 30)));
        height = qMax(height, int(qMin<quint32>(t->height(), 1u << 30)));
    }
    m_blocks = BlockGrid::fromScanGrid(m_grid, width, height);
    if (m_setup.method.rule == CalibrationRule::Fit)
        m_fitter.setStandard(m_setup.method.standardCurve, m_setup.method.eStd);

    // Bands of grid rows whose values fit the budget, and at least eight
    // bands where there are rows enough, so progress moves.
    const qint64 perRow = qMax<qint64>(1, qint64(m_blocks.columns()) * qint64(m_source.i1().size())
                                              * qint64(sizeof(double)));
    const int rows = m_blocks.rows();
    int rowsPerBand = int(qBound<qint64>(1, m_setup.memoryBudget / perRow, qMax(1, rows)));
    rowsPerBand = qMin(rowsPerBand, qMax(1, (rows + 7) / 8));
    for (int first = 0; first < rows; first += rowsPerBand)
        m_bands.push_back({first, qMin(rowsPerBand, rows - first)});
    m_recorded.assign(std::size_t(m_blocks.blocks()), 0);
}

qint64 CalibrationJob::runSlice(int index, const std::atomic<bool>& stop)
{
    const Band band = m_bands[std::size_t(index)];
    BlockGrid g;
    g.xs = m_blocks.xs;
    g.ys.assign(m_blocks.ys.begin() + band.first, m_blocks.ys.begin() + band.first + band.count);
    const qint64 blocks = g.blocks();
    m_shifts.assign(std::size_t(blocks), 0.0);
    m_has.assign(std::size_t(blocks), 0);
    if (!m_spectra.build(m_source, g, m_setup.threads))
        return 0;

    const bool fit = m_setup.method.rule == CalibrationRule::Fit && m_fitter.isValid();
    const int images = m_spectra.images();
    std::atomic<qint64> next{0};
    constexpr qint64 chunk = 64;
    auto work = [&]() {
        std::vector<double> e(std::size_t(images) + 1), mu(std::size_t(images) + 1);
        EdgeNormalization norm;
        for (qint64 c = next.fetch_add(chunk); c < blocks && !stop.load(std::memory_order_relaxed);
             c = next.fetch_add(chunk)) {
            for (qint64 b = c; b < qMin(blocks, c + chunk); ++b) {
                const int n = m_spectra.points(b, e.data(), mu.data());
                if (n == 0)
                    continue;
                const double* normalized = nullptr;
                if (fit) {
                    norm.compute(e.data(), mu.data(), n, m_setup.method.targetVictoreen);
                    normalized = norm.doubleNormalizedPreBase();
                }
                m_shifts[std::size_t(b)] =
                    blockShift(m_setup.method, m_fitter, e.data(), mu.data(), normalized, n);
                m_has[std::size_t(b)] = 1;
            }
        }
    };
    const int nt = int(qMin<qint64>(threadCount(m_setup.threads), (blocks + chunk - 1) / chunk));
    runOnThreads(qMax(1, nt), [&work](int) { work(); });
    return blocks;
}

void CalibrationJob::deliverSlice(int index)
{
    const Band band = m_bands[std::size_t(index)];
    const int cols = m_blocks.columns();
    for (int r = 0; r < band.count; ++r) {
        const int y = m_blocks.ys[std::size_t(band.first + r)];
        for (int i = 0; i < cols; ++i) {
            const std::size_t b = std::size_t(r) * std::size_t(cols) + std::size_t(i);
            if (b >= m_has.size() || !m_has[b])
                continue;
            const double v = m_shifts[b];
            if (m_map)
                m_map->setData(m_blocks.xs[std::size_t(i)], y, m_grid.halfWidth, m_grid.halfHeight, v);
            addShift(&m_stats, v);
            m_recorded[std::size_t(m_blocks.index(i, band.first + r))] = 1;
        }
        qDebug() << "progress" << double(y - m_grid.y0) / double(m_grid.y1 - m_grid.y0) * 100.0;
    }
}

void CalibrationJob::finish(bool stopped)
{
    m_stats.mean = m_stats.sum / double(m_stats.count);
    double total = 0.0;
    const int cols = m_blocks.columns();
    for (int j = 0; j < m_blocks.rows(); ++j)
        for (int i = 0; i < cols; ++i) {
            if (!m_recorded[std::size_t(m_blocks.index(i, j))])
                continue;
            const double v = m_map ? m_map->value(m_blocks.xs[std::size_t(i)], m_blocks.ys[std::size_t(j)]) : 0.0;
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
    const std::atomic<bool> stop{false};
    for (int i = 0; i < sliceCount(); ++i) {
        runSlice(i, stop);
        deliverSlice(i);
    }
    finish(false);
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
