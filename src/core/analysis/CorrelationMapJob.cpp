#include "analysis/CorrelationMapJob.h"

#include "grid/Analyzed2DRes.h"

#include <cmath>

CorrelationMapJob::CorrelationMapJob(const ScanGrid& grid, const QVector<Source>& sources, double threshold,
                                     Analyzed2DRes* corMap, Analyzed2DRes* corThMap, int pointsPerSlice)
    : m_grid(grid)
    , m_sources(sources)
    , m_threshold(threshold)
    , m_cor(corMap)
    , m_corTh(corThMap)
{
    for (const Source& s : m_sources)
        m_stdSquares += s.stdRatio * s.stdRatio;
    // The walk visits the first centre of every line and the first line even
    // when they lie past the area's end.
    m_lines = qMax(1, m_grid.rows());
    m_columns = qMax(1, m_grid.columns());
    m_linesPerSlice = int(qBound<qint64>(1, qMax(1, pointsPerSlice) / m_columns, m_lines));
    m_slices = (m_lines + m_linesPerSlice - 1) / m_linesPerSlice;
}

int CorrelationMapJob::endLine(int slice) const
{
    return qMin(m_lines, (slice + 1) * m_linesPerSlice);
}

double CorrelationMapJob::correlationAt(const QVector<Source>& sources, double stdSquares, int x, int y)
{
    double v2 = 0.0;
    double xs = 0.0;
    for (const Source& s : sources) {
        const double v = s.ratioMap ? s.ratioMap->value(x, y) : 0.0;
        v2 += v * v;
        xs += s.stdRatio * v;
    }
    if (stdSquares > 0.0 && v2 > 0.0)
        return xs / std::sqrt(stdSquares * v2);
    return 0.0;
}

qint64 CorrelationMapJob::runSlice(int index, const std::atomic<bool>& stop)
{
    const int a = firstLine(index);
    const int b = endLine(index);
    m_values.resize(size_t(b - a) * size_t(m_columns));
    double* out = m_values.data();
    for (int line = a; line < b; ++line) {
        if (stop.load(std::memory_order_relaxed))
            return qint64(line - a) * m_columns;
        const int y = lineY(line);
        for (int c = 0; c < m_columns; ++c)
            *out++ = correlationAt(m_sources, m_stdSquares, columnX(c), y);
    }
    return qint64(b - a) * m_columns;
}

void CorrelationMapJob::deliverSlice(int index)
{
    const int a = firstLine(index);
    const int b = endLine(index);
    const int hw = m_grid.halfWidth;
    const int hh = m_grid.halfHeight;
    const double* in = m_values.data();
    for (int line = a; line < b; ++line) {
        const int y = lineY(line);
        for (int c = 0; c < m_columns; ++c) {
            const double cor = *in++;
            const int x = columnX(c);
            m_cor->setData(x, y, hw, hh, cor);
            m_corTh->setData(x, y, hw, hh, cor < m_threshold ? 0.0 : cor);
        }
    }
    // Lines after the first are the new lines of the walk.
    const int last = b - 1;
    if (last > 0 && m_progress)
        m_progress(double(qint64(lineY(last)) - m_grid.y0) / double(qint64(m_grid.y1) - m_grid.y0) * 100.0);
}

void CorrelationMapJob::finish(bool stopped)
{
    if (!stopped && m_progress)
        m_progress(100.0);
    if (m_finished)
        m_finished(stopped);
}

void CorrelationMapJob::runHere()
{
    runAllHere();
}
