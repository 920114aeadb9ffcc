#include "processing/BandedJob.h"

#include "physics/XafsSpectrum.h"

void BandedJob::planBands(int rows, int columns, int rowsPerBand, bool keepOneBand)
{
    m_rows = qMax(0, rows);
    m_columns = qMax(0, columns);
    m_rowsPerBand = qMax(1, rowsPerBand);
    m_keepOneBand = keepOneBand;
    m_bandCount = qMax(keepOneBand ? 1 : 0, (m_rows + m_rowsPerBand - 1) / m_rowsPerBand);
}

BandedJob::Band BandedJob::band(int index) const
{
    Band b;
    b.index = index;
    b.first = index * m_rowsPerBand;
    b.count = qMax(0, qMin(m_rowsPerBand, m_rows - b.first));
    b.last = index == m_bandCount - 1;
    return b;
}

qint64 BandedJob::totalItems() const
{
    const qint64 blocks = qint64(m_rows) * m_columns;
    return m_keepOneBand ? qMax<qint64>(1, blocks) : blocks;
}

qint64 BandedJob::runSlice(int index, const std::atomic<bool>& stop)
{
    const Band b = band(index);
    m_computed = computeBand(b, stop);
    const qint64 items = qint64(b.count) * m_columns;
    // The one band of an empty grid stands for its one item.
    return b.last && items == 0 && m_keepOneBand ? 1 : items;
}

void BandedJob::deliverSlice(int index)
{
    if (m_finished)
        return;
    // The band is recorded as far as it goes, but the run did not do its
    // work: whoever waits for it must learn so.
    if (!m_computed)
        setFailure(QStringLiteral("not enough memory for the block values"));
    recordBand(band(index), m_computed);
}

void BandedJob::finish(bool stopped)
{
    if (m_finished)
        return;
    m_finished = true;
    finished(stopped);
    NanEnergies::endRun();
}
