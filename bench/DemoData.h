#pragma once

// What the whole-run drivers share about a demo measurement written by
// tools/make-demo: its series, its truth maps and the fraction errors
// against them, and a few process figures.

#include <QPoint>
#include <QString>
#include <QVector>
#include <chrono>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

class Analyzed2DRes;
class TiffData;

namespace DemoData {

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point t0)
{
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// Compounds of the demo, in the order of its references and truth maps.
extern const char* const compounds[];
constexpr int compoundCount = 3;

// One series read with TiffData::read, each image given the energy of its
// name ("i1_7112.50eV.tif" -> 7112.5).
struct Series {
    std::vector<std::unique_ptr<TiffData>> images;
    std::vector<const TiffData*> view;
    bool ok = true;

    std::vector<TiffData*> mutableView() const;
};
// The energy a demo file name carries; false without one.
bool energyOfName(const QString& name, double* e);
// Every "*.tif" of dir, in name order.
void loadSeries(const QString& dir, Series* s);
// The "*.tif" file names of dir, in name order, with their directory.
QStringList tiffFiles(const QString& dir);

// The alignment shifts that undo truth/drift.txt, (-dx, -dy) by energy x 100.
std::map<qint64, QPoint> trueDrift(const QString& driftFile);
// Those shifts applied to the images of the listed energies; returns how
// many were shifted.
int applyTrueDrift(const QString& driftFile, const std::vector<TiffData*>& images);

// A raw little-endian float32 map of width x height values.
bool readF32(const QString& path, int width, int height, std::vector<double>* out);
// The three truth fraction maps and the thickness map of a demo folder.
struct Truth {
    int width = 0;
    int height = 0;
    std::vector<double> fractions[compoundCount];
    std::vector<double> thickness;
    bool read(const QString& dir, int width, int height);
};

// Mean and 95th percentile of |fraction - truth| over the sample pixels
// (thickness > 0) and the three compounds; fraction(k, x, y) gives the
// analysed fraction of compound k, and a value that is not finite counts as
// an error of 1.
template <class Fraction>
void fractionErrors(const Truth& truth, Fraction fraction, double* mae, double* p95);
void fractionErrorsOf(const std::vector<double>& errors, double* mae, double* p95);
// The same for fraction maps (fractions of compound k in maps[k]).
void fractionErrors(const Truth& truth, const QVector<Analyzed2DRes*>& fractionMaps, double* mae, double* p95);

// The value of "key = value" in the demo folder's params.txt (empty when
// missing).
QString param(const QString& dir, const QString& key);

// The fraction maps a demo's analysis script saved as text
// (results/<prefix>fraction_<compound>-<k>.dat) against the truth, as the
// whole-run drivers report them: *mapsSaved counts the TIFF and text maps
// found, *mae is the mean error over the sample pixels, a pixel missing from
// a map counting 1. False (with *error) when the truth cannot be read.
bool savedFractionError(const QString& dir, int width, int height, int* mapsSaved, double* mae,
                        QString* error, const QString& prefix = QString());

// CPU time of the process so far (all threads), and its peak resident set
// (VmHWM) in bytes (-1 when unknown).
double cpuSeconds();
qint64 peakRss();

template <class Fraction>
void fractionErrors(const Truth& truth, Fraction fraction, double* mae, double* p95)
{
    std::vector<double> err;
    for (std::size_t p = 0; p < truth.thickness.size(); ++p) {
        if (!(truth.thickness[p] > 0.0))
            continue;
        const int x = int(p % std::size_t(truth.width)), y = int(p / std::size_t(truth.width));
        for (int k = 0; k < compoundCount; ++k) {
            const double f = fraction(k, x, y);
            err.push_back(std::isfinite(f) ? std::fabs(f - truth.fractions[k][p]) : 1.0);
        }
    }
    fractionErrorsOf(err, mae, p95);
}

} // namespace DemoData
