#pragma once

#include "grid/ScanGrid.h"
#include "output/GridAxes.h"
#include "output/SaveFileJob.h"
#include "output/TextMapFormat.h"

#include <QByteArray>
#include <QString>
#include <vector>

// A result map as text, point by point in grid order: "X Y Val" lines
// ("%1,%2,%3\n" or "%1 %2 %3\n" with the centre's column, row and value) or
// one line per grid row with the values joined by the separator. Values are
// written with 6 significant digits in the shorter of plain and exponent
// notation; the file ends with "\n".
namespace TextMapWriter {

// The map's value at every grid centre in grid order (0 outside the map).
std::vector<double> gridValues(const double* values, int width, int height, const ScanGrid& grid);
// The text of grid rows [firstRow, firstRow + rowCount) of `gridValues`.
QByteArray rowsText(const std::vector<double>& gridValues, const GridAxes& axes,
                    const TextMapFormat& format, int firstRow, int rowCount);
// The same text made on `threads` workers, each formatting a run of rows.
QByteArray rowsTextOnThreads(const std::vector<double>& gridValues, const GridAxes& axes,
                             const TextMapFormat& format, int firstRow, int rowCount, int threads);
// The whole map written at once (through a temporary file). False, with a
// message naming the file, when it cannot be written.
bool write(const QString& path, const double* values, int width, int height, const ScanGrid& grid,
           const TextMapFormat& format, QString* error);

}

// The same as a job for the JobRunner: bands of grid rows formatted in the
// worker, each band's rows shared out to `threads` workers (<= 0: one per
// processor). The values at the grid centres are copied when the job is made, so
// the map may change while it runs.
class TextMapJob : public SaveFileJob
{
public:
    TextMapJob(const QString& path, const double* values, int width, int height, const ScanGrid& grid,
               const TextMapFormat& format, int threads = 0);

    qint64 totalItems() const override { return m_axes.points(); }
    qint64 runSlice(int index, const std::atomic<bool>& stop) override;

private:
    GridAxes m_axes;
    std::vector<double> m_values;
    TextMapFormat m_format;
    int m_rowsPerSlice = 1;
    int m_threads = 1;
};
