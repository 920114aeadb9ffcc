#pragma once

#include "plot/SpectrumPlot.h"

#include <QColor>
#include <QLine>
#include <QPen>
#include <QPolygon>
#include <QRect>
#include <QRectF>
#include <QString>
#include <QVector>

class ChCoord;

// A text to draw: fitted into its box with at most maxPoint points, rotated
// by `angle` degrees about the box centre (0: not rotated).
struct PlotText {
    QString text;
    QRectF box;
    int align = 0;
    double angle = 0.0;
    double maxPoint = 12.0;
    QColor color = Qt::black;
};

struct PlotPolyline {
    QPolygon points;
    QPen pen;
};

// Axis titles chosen (and translated) by the view.
struct PlotTitles {
    QString x;
    QString y;
};

// The spectrum plot on screen: grid, frame, marker lines, curves and texts,
// in whole pixels, ready to paint in this order. Built from a PlotFrame and
// the chart whose screen rectangle and margins the caller has set.
struct PlotScene {
    QRect inner;                      // the plotting rectangle
    QPen gridPen;
    QVector<QLine> grid;
    QPen framePen;
    QVector<PlotPolyline> markers;    // edge markers and the energy marker
    QVector<PlotPolyline> curves;     // one polyline per curve piece
    QVector<PlotText> texts;          // tick labels, axis titles, edge names, legend names
    QRect legendBox;                  // empty without a legend
    QVector<PlotPolyline> legendLines;

    // Sets the chart's data range to the frame's (when valid) and lays out
    // the plot. Without a valid range only the frame is laid out.
    static PlotScene layout(const PlotFrame& frame, ChCoord& chart, const PlotTitles& titles);

    // Screen position of a data point with the chart's x mapping and the given
    // vertical range (truncated to whole pixels, kept within +-2^20 so that
    // far-off values still give a line that leaves the plot).
    static QPoint place(const ChCoord& chart, double x, double y, const PlotRange& yRange);

    // Height of a tick label box: a twentieth of the inner height (the
    // chart's first layout divisor) times the label factor, but at least 11
    // pixels while two label rows fit into the margin below the plot.
    static double labelHeight(const ChCoord& chart);
};

// A cross-section profile on screen: the polyline and the cursor line.
struct ProfileScene {
    QPolygon points;
    QLine cursor;
    bool hasCursor = false;

    // Horizontal profile (orientation 0): position to x, value to y (up).
    // Vertical profile (1): value to x, position to y (down, as image rows).
    // Sets the chart's screen rectangle (width x height) and data range; the
    // positions span `positions` when it is valid (to line up with an image
    // view), else the profile's own.
    static ProfileScene layout(const Spectrum& profile, int orientation, double cursorPos, ChCoord& chart,
                               int width, int height, const PlotRange& positions = PlotRange());
};
