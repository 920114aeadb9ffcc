#include "plot/PlotScene.h"

#include "plot/ChCoord.h"

#include <algorithm>
#include <cmath>

namespace {

const QColor axisGrey(192, 192, 192);
const QColor edgeColor(255, 0, 0);
const QColor energyMarkerColor(0, 128, 255);
constexpr double maxLabelPoint = 12.0;
constexpr double minLabelHeight = 11.0;
constexpr double screenLimit = 1 << 20;

int toPixel(double v)
{
    if (std::isnan(v))
        return 0;
    return int(std::trunc(std::clamp(v, -screenLimit, screenLimit)));
}

// A tick that should be 0 may come out as 1e-17 after the step arithmetic.
QString tickLabel(double v, double step)
{
    return QString::number(std::abs(v) < step * 1e-9 ? 0.0 : v, 'g', 6);
}

// Every k-th tick gets a label, k as small as the labels allow without
// running into each other (`room` screen pixels per label, `spacing` pixels
// between ticks).
int labelEvery(double room, double spacing)
{
    if (!(spacing > 0.0))
        return 1;
    return std::max(1, int(std::ceil(room / spacing)));
}

void addTickLabels(PlotScene& s, const ChCoord& c, const ChTicks& xt, const ChTicks& yt)
{
    const double lh = PlotScene::labelHeight(c);
    // Wide enough for six significant digits at the label height.
    const double lw = 4.0 * (c.ix1() - c.ix0()) / c.layoutDivisor2() * c.labelFactor();
    const double left = std::min(c.sx0(), c.sx1());
    const double right = std::max(c.sx0(), c.sx1());
    const double bottom = s.inner.bottom();
    if (xt.count() > 0) {
        const int every = labelEvery(lw * 1.15, std::abs(c.screenX(xt.step) - c.screenX(0.0)));
        for (int i = 0; i < xt.count(); i += every) {
            const double t = xt.first + i * xt.step;
            const double x = std::trunc(c.screenX(t));
            QRectF box(x - lw / 2, bottom + 3, lw, lh);
            // Keep the ends of the axis inside the widget.
            if (box.left() < left)
                box.moveLeft(left);
            if (box.right() > right)
                box.moveRight(right);
            s.texts.push_back({tickLabel(t, xt.step), box,
                               int(Qt::AlignHCenter | Qt::AlignTop), 0.0, maxLabelPoint, Qt::black});
        }
    }
    if (yt.count() > 0) {
        // Beside the axis, right of the y title's column.
        const double colLeft = left + lh + 2;
        const double colRight = s.inner.left() - 4;
        const int every = labelEvery(lh * 1.4, std::abs(c.screenY(yt.step) - c.screenY(0.0)));
        for (int i = 0; i < yt.count(); i += every) {
            const double t = yt.first + i * yt.step;
            const double y = std::trunc(c.screenY(t));
            QRectF box(colLeft, y - lh / 2, colRight - colLeft, lh);
            // The lowest label stays above the x labels, the highest inside the widget.
            if (box.bottom() > bottom)
                box.moveBottom(bottom);
            if (box.top() < std::min(c.sy0(), c.sy1()))
                box.moveTop(std::min(c.sy0(), c.sy1()));
            s.texts.push_back({tickLabel(t, yt.step), box,
                               int(Qt::AlignRight | Qt::AlignVCenter), 0.0, maxLabelPoint, Qt::black});
        }
    }
}

// The legend in the bottom right corner of the plot (below the post-edge
// region, where normalised and raw spectra are high): a line sample and the
// name per row.
void addLegend(PlotScene& s, const PlotFrame& f, const ChCoord& c)
{
    if (f.legend.isEmpty())
        return;
    const double lh = std::max(11.0, PlotScene::labelHeight(c));
    const double row = lh * 1.25;
    const double sample = 2.0 * lh;
    const double width = std::min(s.inner.width() * 0.45, 18.0 * lh);
    const double height = row * f.legend.size() + 6;
    const QRectF box(s.inner.right() - 6 - width, s.inner.bottom() - 6 - height, width, height);
    s.legendBox = box.toRect();
    for (int i = 0; i < f.legend.size(); ++i) {
        const double y = box.top() + 3 + row * i;
        const int mid = int(y + row / 2);
        QPolygon line;
        line << QPoint(int(box.left() + 4), mid) << QPoint(int(box.left() + 4 + sample), mid);
        s.legendLines.push_back({line, f.legend[i].pen});
        const QRectF text(box.left() + 8 + sample, y, box.width() - 12 - sample, row);
        s.texts.push_back({f.legend[i].name, text, int(Qt::AlignLeft | Qt::AlignVCenter), 0.0, 10.0, Qt::black});
    }
}

void addTitles(PlotScene& s, const ChCoord& c, const PlotTitles& titles)
{
    const double lh = PlotScene::labelHeight(c);
    const double left = std::min(c.sx0(), c.sx1());
    const double screenBottom = std::max(c.sy0(), c.sy1());
    const QRect& in = s.inner;
    if (!titles.x.isEmpty()) {
        // Below the tick labels, as high as they are.
        const double top = in.bottom() + 3 + lh;
        const QRectF box(in.left(), top, in.width(), std::min(lh * 1.2, screenBottom - top));
        s.texts.push_back({titles.x, box, int(Qt::AlignHCenter | Qt::AlignVCenter), 0.0, maxLabelPoint,
                           Qt::black});
    }
    if (!titles.y.isEmpty()) {
        const QRectF box(left + 1, in.top(), lh, in.height());
        s.texts.push_back({titles.y, box, int(Qt::AlignHCenter | Qt::AlignVCenter), 270.0, maxLabelPoint,
                           Qt::black});
    }
}

QPolygon markerLine(const QRect& in, int x)
{
    QPolygon p;
    p << QPoint(x, in.bottom()) << QPoint(x, in.top());
    return p;
}

QLine verticalLine(const QRect& in, int x)
{
    return QLine(x, in.bottom(), x, in.top());
}

bool inside(const PlotRange& r, double v)
{
    return v >= std::min(r.lo, r.hi) && v <= std::max(r.lo, r.hi);
}

void addMarkers(PlotScene& s, const PlotFrame& f, const ChCoord& c)
{
    const double lh = PlotScene::labelHeight(c);
    QPen edgePen(edgeColor);
    edgePen.setWidth(1);
    QVector<PlotText> names;
    for (const PlotEdgeMarker& m : f.edges) {
        if (!std::isfinite(m.energy) || !inside(f.xRange, m.energy))
            continue;
        const int x = toPixel(c.screenX(m.energy));
        s.markers.push_back({markerLine(s.inner, x), edgePen});
        // The name runs upwards just left of its line, centred in the plot.
        const double len = s.inner.height() * 0.4;
        const QRectF box(x - lh - 1, s.inner.center().y() - len / 2, lh, len);
        names.push_back({m.name, box, int(Qt::AlignHCenter | Qt::AlignVCenter), 270.0, maxLabelPoint, edgeColor});
    }
    if (f.energyMarker >= 0 && inside(f.xRange, f.energyMarker)) {
        QPen pen(energyMarkerColor);
        pen.setWidth(1);
        pen.setStyle(Qt::DotLine);
        const int x = toPixel(c.screenX(f.energyMarker));
        s.markers.push_back({markerLine(s.inner, x), pen});
    }
    // Names go on top of everything else.
    s.texts += names;
}

}

double PlotScene::labelHeight(const ChCoord& chart)
{
    const double h = std::abs(chart.iy0() - chart.iy1()) / chart.layoutDivisor1() * chart.labelFactor();
    // Small plots keep readable labels as long as two rows fit below the plot.
    const double room = std::abs(chart.sy0() - chart.iy0()) / 2 - 2;
    return std::max(0.0, std::min(std::max(h, minLabelHeight), std::max(room, h)));
}

QPoint PlotScene::place(const ChCoord& chart, double x, double y, const PlotRange& yRange)
{
    const double sy = (chart.iy1() - chart.iy0()) / (yRange.hi - yRange.lo) * (y - yRange.lo) + chart.iy0();
    return QPoint(toPixel(chart.screenX(x)), toPixel(sy));
}

PlotScene PlotScene::layout(const PlotFrame& frame, ChCoord& chart, const PlotTitles& titles)
{
    PlotScene s;
    const int l = toPixel(std::min(chart.ix0(), chart.ix1()));
    const int r = toPixel(std::max(chart.ix0(), chart.ix1()));
    const int t = toPixel(std::min(chart.iy0(), chart.iy1()));
    const int b = toPixel(std::max(chart.iy0(), chart.iy1()));
    s.inner = QRect(QPoint(l, t), QPoint(r, b));
    s.framePen = QPen(axisGrey);
    s.framePen.setWidth(2);
    s.gridPen = QPen(axisGrey);
    s.gridPen.setWidth(1);
    addTitles(s, chart, titles);
    if (!frame.isValid())
        return s;
    chart.setRange(frame.xRange.lo, frame.yRange.lo, frame.xRange.hi, frame.yRange.hi);

    const ChTicks xt = ChCoord::ticks(frame.xRange.lo, frame.xRange.hi);
    const ChTicks yt = ChCoord::ticks(frame.yRange.lo, frame.yRange.hi);
    for (int i = 0; i < xt.count(); ++i) {
        const int x = toPixel(chart.screenX(xt.first + i * xt.step));
        s.grid.push_back(verticalLine(s.inner, x));
    }
    for (int i = 0; i < yt.count(); ++i) {
        const int y = toPixel(chart.screenY(yt.first + i * yt.step));
        s.grid.push_back(QLine(s.inner.left(), y, s.inner.right(), y));
    }
    addTickLabels(s, chart, xt, yt);

    for (const PlotCurve& curve : frame.curves) {
        if (!curve.yRange.isValid())
            continue;
        for (const QPolygonF& piece : curve.pieces) {
            QPolygon poly;
            poly.reserve(piece.size());
            for (const QPointF& p : piece)
                poly << place(chart, p.x(), p.y(), curve.yRange);
            s.curves.push_back({poly, curve.pen});
        }
    }
    addMarkers(s, frame, chart);
    addLegend(s, frame, chart);
    return s;
}

ProfileScene ProfileScene::layout(const Spectrum& profile, int orientation, double cursorPos, ChCoord& chart,
                                  int width, int height, const PlotRange& positions)
{
    ProfileScene s;
    const bool vertical = orientation == 1;
    const PlotRange pos = positions.isValid() ? positions : PlotRange::ofX(profile);
    const PlotRange val = PlotRange::ofY(profile);
    if (vertical) {
        // Row 0 at the top, as in the image beside it.
        chart.setScreen(0, 0, width, height);
        chart.setMargins(0.05, 0.05, 0.0, 0.0);
    } else {
        chart.setScreen(0, height, width, 0);
        chart.setMargins(0.0, 0.0, 0.05, 0.05);
    }
    chart.applyMargins();
    if (!pos.isValid() || !val.isValid())
        return s;
    if (vertical)
        chart.setRange(val.lo, pos.lo, val.hi, pos.hi);
    else
        chart.setRange(pos.lo, val.lo, pos.hi, val.hi);
    s.points.reserve(profile.count());
    for (const SpectrumPoint& p : profile.points()) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            continue;
        const double sx = vertical ? chart.screenX(p.y) : chart.screenX(p.x);
        const double sy = vertical ? chart.screenY(p.x) : chart.screenY(p.y);
        s.points << QPoint(toPixel(sx), toPixel(sy));
    }
    if (std::isfinite(cursorPos)) {
        s.hasCursor = true;
        if (vertical) {
            const int y = toPixel(chart.screenY(cursorPos));
            s.cursor = QLine(0, y, width, y);
        } else {
            const int x = toPixel(chart.screenX(cursorPos));
            s.cursor = QLine(x, 0, x, height);
        }
    }
    return s;
}
