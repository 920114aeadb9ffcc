#include "processing/BlockBands.h"

#include "grid/ScanGrid.h"
#include "io/TiffData.h"
#include "processing/AbsorptionSpectrum.h"
#include "processing/BlockSum.h"

#include <thread>

int BlockBands::threads() const
{
    return m_threads > 0 ? m_threads : qMax(1, int(std::thread::hardware_concurrency()));
}

int BlockBands::images() const
{
    return m_source ? int(m_source->i1().size()) : 0;
}

void BlockBands::setup(const AbsorptionSpectrum* source, const ScanGrid& grid, BlockSpectra::Values kind,
                       BlockReach reach)
{
    m_source = source;
    m_kind = kind;
    m_first = 0;
    m_count = 0;
    m_peakValueBytes = 0;
    m_values.clear();
    // The blocks that matter reach the largest image or the maps, whose size
    // is the grid's image size; or their centres lie in the largest image.
    const bool maps = reach == BlockReach::Block;
    int width = maps ? grid.imageWidth : 0, height = maps ? grid.imageHeight : 0;
    if (source) {
        for (const TiffData* t : source->i1()) {
            width = qMax(width, int(qMin<quint32>(t->width(), 1u << 30)));
            height = qMax(height, int(qMin<quint32>(t->height(), 1u << 30)));
        }
    }
    ScanGrid g = grid;
    if (source) {
        g.halfWidth = source->halfWidth();
        g.halfHeight = source->halfHeight();
    }
    m_walk = AreaWalk::of(g, width, height, reach);
}

qint64 BlockBands::scratchBytesPerThread() const
{
    // Three grid-row sum buffers and three GridBlockSums (column ranges,
    // ends, sums and the running sums over the widest span of a row).
    const qint64 cols = columns();
    qint64 span = 0;
    if (m_source)
        for (const TiffData* t : m_source->i1())
            span = qMax<qint64>(span, t->width());
    return 3 * cols * qint64(sizeof(double))
           + 3 * cols * qint64(sizeof(BlockSum::Range) + 3 * sizeof(qint64))
           + 3 * (span + 2) * qint64(sizeof(quint64));
}

qint64 BlockBands::workingBytes(qint64 perThread) const
{
    return m_peakValueBytes + threads() * (scratchBytesPerThread() + perThread);
}

qint64 BlockBands::bandBytes(int rows, qint64 perBlock, qint64 perThread) const
{
    const qint64 blocks = qint64(qMax(0, rows)) * columns();
    const qint64 tiles = (blocks + BlockSpectra::lanes - 1) / BlockSpectra::lanes;
    const qint64 values = tiles * BlockSpectra::lanes * images() * qint64(sizeof(double));
    return values + blocks * perBlock + threads() * (scratchBytesPerThread() + perThread);
}

int BlockBands::rowsForBudget(qint64 budget, qint64 perBlock, qint64 perThread) const
{
    const int all = rows();
    if (all <= 1 || bandBytes(all, perBlock, perThread) <= budget)
        return qMax(1, all);
    if (bandBytes(1, perBlock, perThread) > budget)
        return 1;
    // Band bytes grow with the rows: bisect for the largest fitting height.
    int lo = 1, hi = all;
    while (hi - lo > 1) {
        const int mid = lo + (hi - lo) / 2;
        if (bandBytes(mid, perBlock, perThread) <= budget)
            lo = mid;
        else
            hi = mid;
    }
    return lo;
}

bool BlockBands::compute(int first, int count, const std::atomic<bool>* stop)
{
    m_first = qBound(0, first, rows());
    m_count = qBound(0, count, rows() - m_first);
    BlockGrid band;
    band.halfWidth = m_walk.blocks.halfWidth;
    band.halfHeight = m_walk.blocks.halfHeight;
    if (m_count > 0) {
        band.xs = m_walk.blocks.xs;
        band.ys.assign(m_walk.blocks.ys.begin() + m_first, m_walk.blocks.ys.begin() + m_first + m_count);
    }
    if (!m_source) {
        m_values.clear();
        return true;
    }
    if (!m_values.build(*m_source, band, threads(), m_kind, stop)) {
        m_count = 0;
        return false;
    }
    m_peakValueBytes = qMax(m_peakValueBytes, valueBytes());
    return true;
}
