#include "processing/AreaPipeline.h"
#include "processing/RunOnThreads.h"

#include "analysis/Analyzed2DRes.h"
#include "analysis/LinearCombinationFitter.h"
#include "io/TiffData.h"
#include "physics/XafsSpectrum.h"
#include "processing/BlockSum.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

// Writes the results of one block as a 2D run records an answer of the engine:
// amounts into the maps of the used rows, fractions into the maps N further on.
void recordBlock(const QVector<Analyzed2DRes*>& maps, int rowCount, const QVector<int>& usedRows,
                 int x, int y, int xw, int yw, const double* amounts, const double* fractions)
{
    for (int d = 0; d < usedRows.size(); ++d) {
        const int i = usedRows[d];
        if (i < maps.size() && maps[i])
            maps[i]->setData(x, y, xw, yw, amounts[d]);
        if (i + rowCount < maps.size() && maps[i + rowCount])
            maps[i + rowCount]->setData(x, y, xw, yw, fractions[d]);
    }
}

} // namespace

int AreaPipeline::threads() const
{
    return m_threads > 0 ? m_threads : qMax(1, int(std::thread::hardware_concurrency()));
}

bool AreaPipeline::prepare(const std::vector<const TiffData*>& i1, const std::vector<const TiffData*>& i0,
                           const ScanGrid& grid, bool fluorescence, const ShiftMapView& shift)
{
    m_scanGrid = grid;
    m_shift = shift;
    m_source = AbsorptionSpectrum(i1, i0, grid.halfWidth, grid.halfHeight, fluorescence);
    m_rowCount = 0;
    int width = 0, height = 0;
    for (const TiffData* t : m_source.i1()) {
        width = qMax(width, int(qMin<quint32>(t->width(), 1u << 30)));
        height = qMax(height, int(qMin<quint32>(t->height(), 1u << 30)));
    }
    return m_spectra.build(m_source, BlockGrid::fromScanGrid(grid, width, height), threads());
}

bool AreaPipeline::setFit(const AreaFitSetup& setup)
{
    m_setup = setup;
    m_fitOk = BlockFitter::makePlan(setup.mlcf, m_setup.references, &m_plan);
    m_rowCount = 0;
    return m_fitOk;
}

void AreaPipeline::blockSpectrum(qint64 b, XafsSpectrum* out) const
{
    Spectrum raw;
    m_spectra.spectrum(b, &raw);
    const BlockGrid& g = m_spectra.grid();
    const int x = g.xs[std::size_t(b % g.columns())];
    const int y = g.ys[std::size_t(b / g.columns())];
    *out = XafsSpectrum(raw, m_setup.victoreen, m_shift.at(x, y));
}

void AreaPipeline::analyzeRows(int first, int count)
{
    const BlockGrid& g = m_spectra.grid();
    m_firstRow = qBound(0, first, g.rows());
    m_rowCount = qBound(0, count, g.rows() - m_firstRow);
    const int cols = g.columns();
    const qint64 blocks = qint64(m_rowCount) * cols;
    const int stride = resultStride();
    m_results.assign(std::size_t(blocks) * std::size_t(stride), 0.0);
    if (!m_fitOk || blocks == 0)
        return;

    // Threads take runs of blocks; a run stays within one grid row so that the
    // walks' hints follow neighbouring blocks.
    const int chunk = qMax(1, qMin(cols, 64));
    const qint64 chunksPerRow = (cols + chunk - 1) / chunk;
    const qint64 chunks = chunksPerRow * m_rowCount;
    std::atomic<qint64> next{0};
    const int images = m_spectra.images();
    auto work = [&]() {
        BlockFitter fitter(&m_plan);
        std::vector<double> e(std::size_t(images), 0.0), mu(std::size_t(images), 0.0);
        for (qint64 c = next++; c < chunks; c = next++) {
            const int row = int(c / chunksPerRow);
            const int i0 = int(c % chunksPerRow) * chunk;
            const int i1 = qMin(cols, i0 + chunk);
            const int y = g.ys[std::size_t(m_firstRow + row)];
            for (int i = i0; i < i1; ++i) {
                const qint64 local = qint64(row) * cols + i;
                const int n = m_spectra.points(g.index(i, m_firstRow + row), e.data(), mu.data());
                double* r = m_results.data() + local * stride;
                const bool ok = fitter.fit(e.data(), mu.data(), n, m_setup.victoreen,
                                           m_shift.at(g.xs[std::size_t(i)], y), r + 1, r + 1 + m_plan.used());
                r[0] = ok ? 1.0 : 0.0;
            }
        }
    };
    const int nt = int(qMin<qint64>(threads(), chunks));
    runOnThreads(nt, [&work](int) { work(); });
}

void AreaPipeline::recordRows(const QVector<Analyzed2DRes*>& maps) const
{
    if (!m_fitOk)
        return;
    const BlockGrid& g = m_spectra.grid();
    const int cols = g.columns();
    const int stride = resultStride();
    const int used = m_plan.used();
    const int rowsInAll = m_setup.references.size();
    for (int row = 0; row < m_rowCount; ++row) {
        const int y = g.ys[std::size_t(m_firstRow + row)];
        for (int i = 0; i < cols; ++i) {
            const double* r = m_results.data() + (qint64(row) * cols + i) * stride;
            if (r[0] == 0.0)
                continue;
            recordBlock(maps, rowsInAll, m_plan.usedRows, g.xs[std::size_t(i)], y, m_scanGrid.halfWidth,
                        m_scanGrid.halfHeight, r + 1, r + 1 + used);
        }
    }
}

void AreaPipeline::run(const QVector<Analyzed2DRes*>& maps)
{
    for (int first = 0; first < rows(); first += rowsPerBatch) {
        analyzeRows(first, rowsPerBatch);
        recordRows(maps);
    }
}

bool AreaPipeline::runPointByPoint(const AbsorptionSpectrum& source, const ScanGrid& grid,
                                   const ShiftMapView& shift, const AreaFitSetup& setup,
                                   const QVector<Analyzed2DRes*>& maps)
{
    if (setup.references.size() < 2)
        return false;
    LinearCombinationFitter fitter;
    FitResult result;
    FitOptions options;
    options.curve = false;
    const LinearCombinationFitter::Method method =
        setup.mlcf ? LinearCombinationFitter::MLCF : LinearCombinationFitter::LCF;
    ScanGrid g = grid;
    g.restart();
    bool newLine = false;
    do {
        const XafsSpectrum sample = source.xafs(g.x, g.y, setup.victoreen, shift.at(g.x, g.y));
        if (!fitter.fit(method, sample, setup.references, options, result))
            continue;
        recordBlock(maps, setup.references.size(), result.usedRows, g.x, g.y, g.halfWidth, g.halfHeight,
                    result.amounts.constData(), result.fractions.constData());
    } while (g.next(newLine));
    return true;
}

qint64 AreaPipeline::workingBytes() const
{
    const qint64 images = m_spectra.images();
    const qint64 cols = columns();
    // prepare(): three grid-row sum buffers and three GridBlockSums per
    // thread (their column ranges, ends, sums and running sums).
    const qint64 preparing = threads() * (3 * cols * qint64(sizeof(double))
                                          + 3 * cols * qint64(sizeof(BlockSum::Range) + 3 * sizeof(qint64))
                                          + 3 * (cols + 1) * qint64(sizeof(quint64)));
    // analyzeRows(): the results of a batch, and per thread the points of a
    // block, the normalisation (two lines and the normalised values) and the
    // walk positions.
    const qint64 analysing = qint64(m_results.capacity() * sizeof(double))
                             + threads() * (5 * images * qint64(sizeof(double))
                                            + m_plan.used() * images * qint64(sizeof(int)));
    return m_spectra.capacityBytes() + qMax(preparing, analysing);
}
