#pragma once

#include "grid/ScanGrid.h"
#include "physics/Spectrum.h"
#include "processing/AbsorptionSpectrum.h"
#include "processing/BandedJob.h"
#include "processing/BlockBands.h"
#include "processing/ShiftFitter.h"

#include <QPointer>
#include <functional>
#include <vector>

class Analyzed2DRes;
class TiffData;
class XafsSpectrum;

// How a block's edge shift is measured.
enum class CalibrationRule {
    // Half-height edge position of the block minus that of the standard.
    HalfHeight = 0,
    // Least-squares match of the normalised block to the normalised standard
    // (ShiftFitter), started from the half-height shift.
    Fit = 1,
};

// What a calibration measures with: the rule, the standard's half-height edge
// E_std and, for the Fit rule, the standard's double-normalised curve and the
// background form of the blocks' normalisation.
struct CalibrationMethod {
    CalibrationRule rule = CalibrationRule::HalfHeight;
    double eStd = 0.0;
    Spectrum standardCurve;
    bool targetVictoreen = false;

    // E_std and the curve of `standard` (null: E_std 0, no curve; the Fit rule
    // then falls back to the half-height shift).
    static CalibrationMethod of(CalibrationRule rule, const XafsSpectrum* standard, bool targetVictoreen);
};

// The four figures of a calibration: minimum, maximum and mean of the block
// shifts, and the population sigma of the map values at the block centres.
struct CalibrationStats {
    qint64 count = 0;
    double min = 1e300;
    double max = -1e300;
    double sum = 0.0;
    double mean = 0.0;
    double sigma = 0.0;
};

// Everything a calibration over an area needs, as plain values. The images
// are not owned and must stay alive and unchanged until the job is done.
struct CalibrationSetup {
    std::vector<const TiffData*> i1;
    std::vector<const TiffData*> i0;
    bool fluorescence = false;
    // Image size, block half sizes a and b and the area; the step is the block.
    ScanGrid grid;
    CalibrationMethod method;
    int threads = 0;                          // <= 0: one per processor
    qint64 memoryBudget = qint64(96) << 20;   // block values of one slice, bytes
};

// The energy calibration of an area as long work: slices are bands of grid
// rows; a slice computes the absorption values of its blocks in one pass per
// image (BlockBands, parallel over images) and each block's shift (parallel
// over blocks); the GUI thread records each band into the shift map in grid
// order (setData with the block's half sizes), accumulates count, sum, minimum
// and maximum and writes the "progress" line of every grid row. finish() takes
// the mean, walks the blocks again for sigma from the map values at their
// centres, renders the map and writes the closing log line. The map and the
// figures equal, value for value, those of runPointByPoint().
//
// Blocks whose centre lies outside every image have no spectrum and are left
// out (nothing recorded, not counted, no grid row of their own).
class CalibrationJob : public BandedJob
{
public:
    // Writes logWithTime("Start Calibration") and sets the map up with the
    // grid (zeros, empty range). The map is not owned; a map deleted meanwhile
    // is simply no longer written.
    CalibrationJob(const CalibrationSetup& setup, Analyzed2DRes* map);

    // Called at the end of finish() with the figures (over the blocks
    // recorded so far when stopped).
    void setOnFinished(std::function<void(const CalibrationStats&, bool stopped)> f) { m_onFinished = std::move(f); }
    const CalibrationStats& stats() const { return m_stats; }
    const ScanGrid& grid() const { return m_grid; }

    // All slices in the calling thread, then finish(false); for drivers and
    // tests without an event loop.
    CalibrationStats runHere();

    // The calibration block by block in walk order, each block's spectrum
    // from AbsorptionSpectrum (block sums and I0 interpolation per image) and
    // the normalisation of an XafsSpectrum for the Fit rule: the reference the
    // job is checked against. Sets the map up, fills it and returns the
    // figures; writes no debug lines.
    static CalibrationStats runPointByPoint(const AbsorptionSpectrum& source, const ScanGrid& grid,
                                            const CalibrationMethod& method, Analyzed2DRes* map);

    // The block shift for one block's points under a method; `norm` holds
    // the normalised values for the Fit rule (null for half height).
    static double blockShift(const CalibrationMethod& method, const ShiftFitter& fitter, const double* e,
                             const double* mu, const double* norm, int n);

private:
    bool computeBand(const Band& band, const std::atomic<bool>& stop) override;
    void recordBand(const Band& band, bool computed) override;
    void finished(bool stopped) override;

    CalibrationSetup m_setup;
    ScanGrid m_grid;
    QPointer<Analyzed2DRes> m_map;
    AbsorptionSpectrum m_source;
    // The block values, a band at a time, of the centres inside the images.
    BlockBands m_bands;
    ShiftFitter m_fitter;
    // Shifts of the band computed last; NaN-free flags tell blocks with points.
    std::vector<double> m_shifts;
    std::vector<char> m_has;
    // Blocks recorded in the map so far (grid order), for the second walk.
    std::vector<char> m_recorded;
    CalibrationStats m_stats;
    std::function<void(const CalibrationStats&, bool)> m_onFinished;
};
