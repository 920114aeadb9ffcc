#include "analysis/AreaRunJob.h"

#include "processing/BlockBands.h"

#include <QDebug>

void AreaRunJob::planSlices(const AreaWalk* walk, int budgetRows, int images)
{
    m_walk = walk;
    m_budgetRows = qMax(1, budgetRows);
    const int rows = walk->blocks.rows();
    const qint64 perRow = qMax<qint64>(1, qint64(walk->blocks.columns()) * qMax(1, images));
    int rowsPerSlice = m_input.rowsPerSlice;
    if (rowsPerSlice <= 0)
        rowsPerSlice = int(qBound<qint64>(1, workPerSlice / perRow, qMax(1, rows)));
    // A walk without blocks still has its far points to record: one band.
    planBands(rows, walk->blocks.columns(), qMin(rowsPerSlice, m_budgetRows), true);
}

void AreaRunJob::planSlices(const BlockBands& bands, qint64 perBlock, qint64 perThread)
{
    // A block's results count as work too. Where they are a spectrum's worth
    // (as many values as the block has, or more: a Fourier run's transform)
    // each counts as resultWeight block values: a block value is an integer
    // sum turned into a ratio, while such a result is computed, written, and
    // read again when the band is recorded, and the slice's rows must stay in
    // cache. A few results per block (element maps, residuals) count once.
    const qint64 images = bands.images();
    const qint64 results = perBlock / qint64(sizeof(double));
    const qint64 work = images + (results >= images ? resultWeight : 1) * results;
    planSlices(&bands.walk(), bands.rowsForBudget(m_input.budgetBytes, perBlock, perThread),
               int(qMin<qint64>(work, 1 << 30)));
}

QString AreaRunJob::refusal(const AreaRunInput& input)
{
    const ScanGrid& g = input.grid;
    if (!AreaWalk::of(g, g.imageWidth, g.imageHeight).isEmpty())
        return QString();
    return QStringLiteral("the area x %1 ... %2, y %3 ... %4 lies outside the images (%5 x %6)")
        .arg(g.x0).arg(g.x1).arg(g.y0).arg(g.y1).arg(g.imageWidth).arg(g.imageHeight);
}

bool AreaRunJob::computeBand(const Band& band, const std::atomic<bool>& stop)
{
    const bool ok = analyzeRows(band.first, band.count, stop);
    if (!ok && !m_memoryFailed) {
        m_memoryFailed = true;
        qWarning().noquote() << "Not enough memory for a band of the area run: rows left empty";
    }
    return ok;
}

void AreaRunJob::walkLines(qint64 fromRow, qint64 toRow)
{
    for (qint64 r = qMax<qint64>(1, fromRow); r < toRow; ++r)
        walkLine(m_walk->walkY(r));
}

void AreaRunJob::recordBand(const Band& band, bool computed)
{
    const AreaWalk& w = *m_walk;
    if (band.index == 0 && w.rowsBefore() > 0) {
        walkLines(0, w.rowsBefore());
        recordFar();
    }
    for (int j = 0; j < band.count; ++j) {
        const qint64 row = w.firstRow + band.first + j;
        walkLines(row, row + 1);
        if (w.farLeft)
            recordFar();
        if (computed)
            recordRow(j);
        if (w.farRight)
            recordFar();
    }
    if (band.last) {
        if (w.rowsAfter() > 0) {
            const qint64 after = w.firstRow + w.blocks.rows();
            walkLines(after, w.walkRows);
            recordFar();
        }
        return;
    }
    if (m_hook) {
        RunBand b;
        b.firstRow = band.first;
        b.rows = band.count;
        b.newLineReached = true;
        const ScanGrid& g = m_input.grid;
        const double y = double(w.walkY(w.firstRow + band.first + band.count));
        b.percent = (y - g.y0) / double(qint64(g.y1) - g.y0) * 100.0;
        m_hook(b);
    }
}
