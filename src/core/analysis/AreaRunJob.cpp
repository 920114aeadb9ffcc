#include "analysis/AreaRunJob.h"

#include <QDebug>

void AreaRunJob::planSlices(const AreaWalk* walk, int budgetRows, int images)
{
    m_walk = walk;
    m_budgetRows = qMax(1, budgetRows);
    const int rows = walk->blocks.rows();
    const qint64 perRow = qMax<qint64>(1, qint64(walk->blocks.columns()) * qMax(1, images));
    int rowsPerSlice = m_input.rowsPerSlice;
    if (rowsPerSlice <= 0)
        rowsPerSlice = int(qBound<qint64>(1, (qint64(1) << 18) / perRow, qMax(1, rows)));
    m_rowsPerSlice = qMin(rowsPerSlice, m_budgetRows);
    m_slices = qMax(1, (rows + m_rowsPerSlice - 1) / m_rowsPerSlice);
}

int AreaRunJob::sliceCount() const
{
    return m_slices;
}

qint64 AreaRunJob::totalItems() const
{
    return qMax<qint64>(1, m_walk ? m_walk->blocks.blocks() : 0);
}

qint64 AreaRunJob::runSlice(int index, const std::atomic<bool>& stop)
{
    const int first = index * m_rowsPerSlice;
    const int count = qMax(0, qMin(m_rowsPerSlice, m_walk->blocks.rows() - first));
    m_bandOk = analyzeRows(first, count, stop);
    if (!m_bandOk && !m_memoryFailed) {
        m_memoryFailed = true;
        qWarning().noquote() << "Not enough memory for a band of the area run: rows left empty";
    }
    const qint64 items = qint64(count) * m_walk->blocks.columns();
    return index == m_slices - 1 && items == 0 ? 1 : items;
}

void AreaRunJob::walkLines(qint64 fromRow, qint64 toRow)
{
    for (qint64 r = qMax<qint64>(1, fromRow); r < toRow; ++r)
        walkLine(m_walk->walkY(r));
}

void AreaRunJob::deliverSlice(int index)
{
    if (m_finished)
        return;
    const AreaWalk& w = *m_walk;
    const int first = index * m_rowsPerSlice;
    const int count = qMax(0, qMin(m_rowsPerSlice, w.blocks.rows() - first));
    const bool last = index == m_slices - 1;
    if (index == 0 && w.rowsBefore() > 0) {
        walkLines(0, w.rowsBefore());
        recordFar();
    }
    for (int j = 0; j < count; ++j) {
        walkLines(w.firstRow + first + j, w.firstRow + first + j + 1);
        if (w.farLeft)
            recordFar();
        if (m_bandOk)
            recordRow(j);
        if (w.farRight)
            recordFar();
    }
    if (last) {
        if (w.rowsAfter() > 0) {
            const qint64 after = w.firstRow + w.blocks.rows();
            walkLines(after, w.walkRows);
            recordFar();
        }
        return;
    }
    if (m_hook) {
        RunBand band;
        band.firstRow = first;
        band.rows = count;
        band.newLineReached = true;
        const ScanGrid& g = m_input.grid;
        const double y = double(w.walkY(w.firstRow + first + count));
        band.percent = (y - g.y0) / double(qint64(g.y1) - g.y0) * 100.0;
        m_hook(band);
    }
}

void AreaRunJob::finish(bool stopped)
{
    if (m_finished)
        return;
    m_finished = true;
    finished(stopped);
}
