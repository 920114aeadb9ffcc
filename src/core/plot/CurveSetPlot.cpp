#include "plot/CurveSetPlot.h"

#include <algorithm>
#include <cmath>

namespace {

void widen(PlotRange& r, double v)
{
    r.lo = std::min(r.lo, v);
    r.hi = std::max(r.hi, v);
}

} // namespace

PlotFrame CurveSetPlot::build(const QVector<NamedCurve>& curves)
{
    PlotFrame f;
    f.mode = PlotMode::Raw;
    f.xRange = {1e300, -1e300};
    f.yRange = {1e300, -1e300};
    for (int i = 0; i < curves.size(); ++i) {
        const NamedCurve& c = curves[i];
        const int n = std::min(c.x.size(), c.y.size());
        PlotCurve curve;
        curve.owner = PlotCurve::Extra;
        curve.index = i;
        curve.pen = c.pen == QPen() ? SpectrumPlot::extraPen(i, {}) : c.pen;
        if (c.pen == QPen())
            curve.pen.setWidthF(1.5);
        QPolygonF piece;
        for (int k = 0; k < n; ++k) {
            const double x = c.x[k];
            const double y = c.y[k];
            if (!std::isfinite(x) || !std::isfinite(y)) {
                if (!piece.isEmpty())
                    curve.pieces.push_back(piece);
                piece = QPolygonF();
                continue;
            }
            widen(f.xRange, x);
            widen(f.yRange, y);
            piece << QPointF(x, y);
        }
        if (!piece.isEmpty())
            curve.pieces.push_back(piece);
        if (curve.pieces.isEmpty())
            continue;
        if (!c.name.isEmpty())
            f.legend.push_back({c.name, curve.pen});
        f.curves.push_back(curve);
    }
    f.xRange.widenIfFlat();
    f.yRange.widenIfFlat();
    for (PlotCurve& c : f.curves)
        c.yRange = f.yRange;
    return f;
}

NamedCurve CurveSetPlot::scree(const QVector<double>& explainedShares, const QString& name)
{
    NamedCurve c;
    c.name = name;
    for (int j = 0; j < explainedShares.size(); ++j) {
        c.x.push_back(j + 1);
        c.y.push_back(100.0 * explainedShares[j]);
    }
    return c;
}
