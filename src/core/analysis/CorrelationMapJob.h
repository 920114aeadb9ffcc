#pragma once

#include "base/SlicedJob.h"
#include "grid/ScanGrid.h"

#include <QVector>
#include <functional>
#include <vector>

class Analyzed2DRes;

// Rebuilds the two correlation maps from the element rows' dmut-ratio maps:
// at every point of the grid, the cosine between the rows' ratio values and
// their standard ratios, and the same value cut to 0 below the threshold.
//
// Slices are bands of grid lines. The worker reads the ratio maps and keeps
// the values of its band; the GUI thread writes them into the two maps in
// grid order. The ratio maps must not change while the job runs.
class CorrelationMapJob : public SlicedJob
{
public:
    // One element row in use: its dmut-ratio map and its standard ratio.
    struct Source {
        const Analyzed2DRes* ratioMap = nullptr;
        double stdRatio = 0.0;
    };

    CorrelationMapJob(const ScanGrid& grid, const QVector<Source>& sources, double threshold, Analyzed2DRes* corMap,
                      Analyzed2DRes* corThMap, int pointsPerSlice = 1 << 18);

    // GUI thread: called with the percentage of lines done when a slice
    // brings new lines, and once at the end.
    void onProgress(std::function<void(double)> f) { m_progress = std::move(f); }
    void onFinished(std::function<void(bool stopped)> f) { m_finished = std::move(f); }

    int sliceCount() const override { return m_slices; }
    qint64 totalItems() const override { return qint64(m_lines) * m_columns; }
    qint64 runSlice(int index, const std::atomic<bool>& stop) override;
    void deliverSlice(int index) override;
    void finish(bool stopped) override;

    // Every slice computed and delivered in the calling thread, then finish(false).
    void runHere();

    // The correlation at (x, y) over the given rows: X / sqrt(S V), or 0 when
    // S or V is not above 0.
    static double correlationAt(const QVector<Source>& sources, double stdSquares, int x, int y);

private:
    int firstLine(int slice) const { return slice * m_linesPerSlice; }
    int endLine(int slice) const;
    int lineY(int line) const { return int(qint64(m_grid.y0) + m_grid.halfHeight + qint64(line) * m_grid.stepY); }
    int columnX(int column) const
    {
        return int(qint64(m_grid.x0) + m_grid.halfWidth + qint64(column) * m_grid.stepX);
    }

    ScanGrid m_grid;
    QVector<Source> m_sources;
    double m_stdSquares = 0.0;
    double m_threshold;
    Analyzed2DRes* m_cor;
    Analyzed2DRes* m_corTh;
    int m_lines;
    int m_columns;
    int m_linesPerSlice;
    int m_slices;
    std::vector<double> m_values;
    std::function<void(double)> m_progress;
    std::function<void(bool)> m_finished;
};
