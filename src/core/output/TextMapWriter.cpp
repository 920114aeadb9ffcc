#include "output/TextMapWriter.h"

#include "base/AtomicFile.h"
#include "base/LogCategories.h"
#include "base/NumberText.h"
#include "base/TextInOrder.h"

#include <QDebug>

namespace TextMapWriter {

std::vector<double> gridValues(const double* values, int width, int height, const ScanGrid& grid)
{
    const GridAxes axes = GridAxes::of(grid);
    std::vector<double> out;
    out.reserve(std::size_t(axes.points()));
    for (int j = 0; j < axes.rows; ++j)
        for (int i = 0; i < axes.columns; ++i)
            out.push_back(mapValueAt(values, width, height, axes.x(i), axes.y(j)));
    return out;
}

QByteArray rowsText(const std::vector<double>& gridValues, const GridAxes& axes,
                    const TextMapFormat& format, int firstRow, int rowCount)
{
    const char sep = format.separator();
    QByteArray out;
    out.reserve(rowCount * axes.columns * (format.xyVal ? 24 : 12));
    // "X<sep>" of every column, made once: each line then copies its column's.
    QByteArray columns;
    std::vector<int> columnAt;
    if (format.xyVal) {
        columnAt.reserve(std::size_t(axes.columns) + 1);
        for (int i = 0; i < axes.columns; ++i) {
            columnAt.push_back(columns.size());
            NumberText::appendInteger(columns, axes.x(i));
            columns += sep;
        }
        columnAt.push_back(columns.size());
    }
    for (int j = firstRow; j < firstRow + rowCount && j < axes.rows; ++j) {
        const double* row = gridValues.data() + qint64(j) * axes.columns;
        QByteArray y;
        NumberText::appendInteger(y, axes.y(j));
        y += sep;
        for (int i = 0; i < axes.columns; ++i) {
            if (format.xyVal) {
                out.append(columns.constData() + columnAt[std::size_t(i)],
                           columnAt[std::size_t(i) + 1] - columnAt[std::size_t(i)]);
                out += y;
                NumberText::appendSixDigits(out, row[i]);
                out += '\n';
            } else {
                if (i > 0)
                    out += sep;
                NumberText::appendSixDigits(out, row[i]);
            }
        }
        if (!format.xyVal)
            out += '\n';
    }
    return out;
}

QByteArray rowsTextOnThreads(const std::vector<double>& gridValues, const GridAxes& axes,
                             const TextMapFormat& format, int firstRow, int rowCount, int threads)
{
    rowCount = qMax(0, qMin(rowCount, axes.rows - firstRow));
    // A few runs per worker, so that a worker slowed by other work is made up for.
    const int runs = qMax(1, threads) * 4;
    const qint64 chunk = (rowCount + runs - 1) / runs;
    return textInOrder(rowCount, chunk, threads, [&](QByteArray& out, qint64 begin, qint64 end) {
        out = rowsText(gridValues, axes, format, firstRow + int(begin), int(end - begin));
    });
}

bool write(const QString& path, const double* values, int width, int height, const ScanGrid& grid,
           const TextMapFormat& format, QString* error)
{
    const GridAxes axes = GridAxes::of(grid);
    if (axes.points() > GridAxes::maxPoints) {
        if (error)
            *error = QStringLiteral("Can't write %1: too many grid points").arg(path);
        return false;
    }
    // Small maps are quicker made on one thread than by starting another.
    const int threads = axes.points() < 65536 ? 1 : textThreads();
    const QByteArray text = rowsTextOnThreads(gridValues(values, width, height, grid), axes, format, 0,
                                              axes.rows, threads);
    if (!AtomicFile::writeBytes(path, text, error)) {
        qCDebug(lcOutput).noquote() << "Can't open" << path;
        return false;
    }
    return true;
}

}

TextMapJob::TextMapJob(const QString& path, const double* values, int width, int height,
                       const ScanGrid& grid, const TextMapFormat& format, int threads)
    : SaveFileJob(path)
    , m_axes(GridAxes::of(grid))
    , m_format(format)
    , m_threads(threads > 0 ? threads : textThreads())
{
    if (m_axes.points() > GridAxes::maxPoints) {
        refuse(QStringLiteral("Can't write %1: too many grid points").arg(path));
        return;
    }
    m_values = TextMapWriter::gridValues(values, width, height, grid);
    // About 64k values per slice: a few milliseconds of formatting each.
    m_rowsPerSlice = qMax(1, 65536 / m_axes.columns);
    setSliceCount((m_axes.rows + m_rowsPerSlice - 1) / m_rowsPerSlice);
}

qint64 TextMapJob::runSlice(int index, const std::atomic<bool>& stop)
{
    if (stop.load() || writeFailed())
        return 0;
    const int first = index * m_rowsPerSlice;
    const int count = qMin(m_rowsPerSlice, m_axes.rows - first);
    keepSlice(index, TextMapWriter::rowsTextOnThreads(m_values, m_axes, m_format, first, count, m_threads));
    return qint64(count) * m_axes.columns;
}
