#pragma once

#include "plot/SpectrumPlot.h"

#include <QPen>
#include <QString>
#include <QVector>

// One curve of a plain x-y plot: y[i] against x[i]; a point whose x or y is
// not finite breaks the curve. An empty name has no legend line; a
// default-constructed pen takes the palette colour of the curve's index.
struct NamedCurve {
    QString name;
    QVector<double> x;
    QVector<double> y;
    QPen pen;
};

// Plots of values that are not a spectrum of the current point (explained
// variance per component, component spectra, the mean spectra of clusters):
// every curve on one scale, laid out by PlotScene like the spectrum view.
namespace CurveSetPlot {

// The frame of `curves`: x and y ranges over their finite points (a range
// of one value widened), each curve in its own colour, broken where a point
// is not finite, a legend line for each named curve. Invalid (nothing to
// draw) without a finite point.
PlotFrame build(const QVector<NamedCurve>& curves);

// The scree curve: the share of the variance each component explains, in
// percent, against the component number 1, 2, ...
NamedCurve scree(const QVector<double>& explainedShares, const QString& name);

} // namespace CurveSetPlot
