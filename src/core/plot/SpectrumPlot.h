#pragma once

#include "physics/XafsSpectrum.h"

#include <QPen>
#include <QPolygonF>
#include <QString>
#include <QVector>
#include <optional>

// What the spectrum view shows, from its four check boxes: "FFT" shows the
// Fourier magnitudes of the raw intensity series, "Raw" the series itself;
// otherwise "Normalized" chooses between normalised and raw absorption.
enum class PlotMode { Normalized, Raw, RawSeries, Fourier };

struct PlotOptions {
    bool normalized = true;
    bool energyCorrected = true;
    bool showRaw = false;
    bool showFFT = false;

    PlotMode mode() const;
};

// One line of the plot's legend: a curve's name and its pen.
struct PlotLegendEntry {
    QString name;
    QPen pen;
};

// An absorption edge to mark: its name (e.g. "Fe-K") and energy in eV.
struct PlotEdgeMarker {
    QString name;
    double energy = 0.0;
};

// A closed interval of data values; invalid unless lo < hi and both finite.
struct PlotRange {
    double lo = 0.0;
    double hi = 0.0;

    bool isValid() const;
    // The finite extremes of y (or x) of a spectrum's points; invalid without
    // finite values. A range of one value is widened so that it can be mapped.
    static PlotRange ofY(const Spectrum& s);
    static PlotRange ofX(const Spectrum& s);
    static PlotRange ofValues(const double* v, int from, int to);
    void widenIfFlat();
};

// One curve of the plot in data coordinates: its owner, which of the owner's
// curves it is, its pen, the vertical range it is drawn on (in raw mode every
// spectrum has its own) and its points, split into pieces wherever the curve
// is broken (an energy gap of the target, a value that is not finite).
struct PlotCurve {
    enum Owner { Target, Standard, Extra, RawSeries, Fourier };
    enum Part { Main, PreEdge, PostEdge };

    Owner owner = Target;
    Part part = Main;
    int index = -1;   // position in the extras list for Extra curves
    QPen pen;
    PlotRange yRange;
    QVector<QPolygonF> pieces;

    int pointCount() const;
};

// Everything the view draws, in data coordinates: the mode, the data range of
// the axes (invalid when there is nothing to show), the curves in paint order
// and the markers.
struct PlotFrame {
    PlotMode mode = PlotMode::Normalized;
    PlotRange xRange;
    PlotRange yRange;
    QVector<PlotCurve> curves;
    QVector<PlotEdgeMarker> edges;   // only in the energy modes
    double energyMarker = -1.0;      // < 0: none; only in the energy modes
    // The named spectra drawn, in paint order (only in the energy modes).
    QVector<PlotLegendEntry> legend;

    bool isValid() const { return xRange.isValid() && yRange.isValid(); }
};

// The inputs of one plot. Pointers are borrowed for the call only.
struct PlotInput {
    const XafsSpectrum* target = nullptr;
    const XafsSpectrum* standard = nullptr;
    QVector<const XafsSpectrum*> extras;
    // Pen of extra i; missing or empty entries take palette colour i.
    QVector<std::optional<QPen>> extraPens;
    const Spectrum* rawSeries = nullptr;
    // |X_k| of the raw series (Fourier mode), magnitudeCount values.
    const double* magnitudes = nullptr;
    int magnitudeCount = 0;
    QVector<PlotEdgeMarker> edges;
    double energyMarker = -1.0;
    PlotOptions options;
    // Legend names: a spectrum with an empty name has no legend line.
    QString targetName;
    QString standardName;
    QVector<QString> extraNames;
};

// The arithmetic of the spectrum plot: data ranges per mode, which curves are
// drawn with which pen, where the target's curves break, and the ranges of the
// raw-series and Fourier displays.
class SpectrumPlot
{
public:
    // Consecutive target energies further apart than this break its curves.
    static constexpr double gapLimit = 50.0;

    static PlotFrame build(const PlotInput& in);

    // Pen of extra i: its own pen when given, else palette colour i (mod 9).
    static QPen extraPen(int i, const QVector<std::optional<QPen>>& pens);

    // Pieces of `values` drawn against the energies of `owner` (x minus its
    // offset in force, minus `shift`); broken at non-finite values and, with
    // `breakAtGaps`, where consecutive energies differ by more than gapLimit.
    // `values` is one of owner's derived curves (or owner itself); when it
    // has as many points as owner it shares owner's energies, otherwise its
    // own energies are used.
    static QVector<QPolygonF> pieces(const XafsSpectrum& owner, const Spectrum& values, double shift,
                                     bool breakAtGaps);

    // Raw-series display of n points: x from 0 to n, points at their index.
    static PlotRange rawSeriesXRange(int n);
    // Fourier display of n points: x from 0 to n / 10; y over |X_k| for
    // k = 1 .. n/10 - 2 (the zero-frequency term left out of the scale) when
    // n >= 30, over every shown magnitude (k = 0 .. n/10 - 1) when
    // 10 <= n < 30, and nothing (invalid) below 10, where no curve is drawn.
    static PlotRange fourierXRange(int n);
    static PlotRange fourierYRange(const double* magnitudes, int n);
    static int fourierShownCount(int n) { return n >= 10 ? n / 10 : 0; }
};
