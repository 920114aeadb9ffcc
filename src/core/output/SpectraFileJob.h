#pragma once

#include "grid/ScanGrid.h"
#include "output/GridAxes.h"
#include "output/SaveFileJob.h"
#include "processing/AbsorptionSpectrum.h"
#include "processing/BlockSpectra.h"

#include <QRectF>
#include <vector>

class TiffData;

// What a spectra file is made from.
struct SpectraFileRequest {
    // Target; ".dat" is added when it has no suffix.
    QString fileName;
    // Raw I1 block sums instead of normalised absorption spectra.
    bool raw = false;
    // The spectra grid (see SpectraFileJob::grid).
    ScanGrid grid;
    std::vector<const TiffData*> i1;
    std::vector<const TiffData*> i0;
    bool fluorescence = false;
    // Background form of the normalisation (Victoreen or straight lines).
    bool victoreen = true;
    // The energy-shift map (row-major, may be null): its value at a point is
    // the point's energy shift, 0 outside it. Copied at construction.
    const double* shiftMap = nullptr;
    int shiftWidth = 0;
    int shiftHeight = 0;
    // Worker threads for one slice (<= 0: one per processor).
    int threads = 0;
    // Memory one slice may use for block values.
    qint64 memoryBudget = qint64(256) << 20;
};

// The spectra of every point of a grid as one text file, headed
// "# Orvantelle Save Xafs Spectra 1.0" (x, y, energy shift, then energy and
// double-normalised post-edge-based value of every point of the normalised
// spectrum) or "# Orvantelle Save Raw Spectra 1.0" (x, y, then energy and I1
// block sum of every I1 image). A slice is a band of grid rows: the block
// values of the band come from one pass over each image, then the points'
// lines are made on several threads. The file is the same, byte for byte, as
// a point-by-point walk of the grid writes. The images must stay unchanged
// until the runner is idle.
class SpectraFileJob : public SaveFileJob
{
public:
    explicit SpectraFileJob(const SpectraFileRequest& request);

    // The grid of the spectra files: image size, half sizes, the area and
    // steps of one block size (2 half + 1).
    static ScanGrid grid(int width, int height, int halfWidth, int halfHeight, const QRectF& area);
    // The seven header lines.
    static QByteArray header(const ScanGrid& grid, bool raw);
    // The progress of grid row y, as the debug line gives it.
    static double progress(const ScanGrid& grid, int y);

    qint64 totalItems() const override { return m_axes.points(); }
    qint64 runSlice(int index, const std::atomic<bool>& stop) override;

protected:
    void beforeDelivery(int index) override;

private:
    // The grid columns and rows of the band whose centres lie inside the
    // largest I1 image: [i0, i1) and [j0, j1); empty when none does.
    struct Inside {
        int i0 = 0, i1 = 0, j0 = 0, j1 = 0;
        bool contains(int i, int j) const { return i >= i0 && i < i1 && j >= j0 && j < j1; }
    };
    Inside insideOf(int firstRow, int rowCount) const;
    // The block grid of the inside points.
    BlockGrid gridOf(const Inside& in) const;
    QByteArray xafsBand(int firstRow, int rowCount, const std::atomic<bool>& stop);
    QByteArray rawBand(int firstRow, int rowCount, const std::atomic<bool>& stop);
    int threadCount(qint64 work) const;

    SpectraFileRequest m_request;
    AbsorptionSpectrum m_source;
    GridAxes m_axes;
    std::vector<double> m_shifts;   // per grid point, grid order
    int m_maxWidth = 0;
    int m_maxHeight = 0;
    int m_rowsPerSlice = 1;
    BlockSpectra m_values;          // reused from band to band (worker only)
    std::vector<double> m_rawSums;  // the same for raw sums
};
