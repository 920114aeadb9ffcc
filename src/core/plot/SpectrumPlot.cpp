#include "plot/SpectrumPlot.h"

#include "display/ColorTables.h"

#include <algorithm>
#include <cmath>

namespace {

const QColor standardColor(255, 0, 0);
const QColor standardLineColor(220, 192, 0);
const QColor targetLineColor(0, 192, 220);
const QColor rawSeriesColor(192, 0, 0);
const QColor fourierColor(0, 192, 0);

QPen solidPen(const QColor& c, double width)
{
    return QPen(c, width);
}

// Background lines are dashed: 6 pixels on, 2 off.
QPen dashedPen(const QColor& c)
{
    QPen pen(c);
    pen.setWidth(1);
    pen.setDashPattern({6.0, 2.0});
    return pen;
}

void addCurve(PlotFrame& f, PlotCurve::Owner owner, PlotCurve::Part part, int index, const QPen& pen,
              const PlotRange& yRange, QVector<QPolygonF> pieces)
{
    if (pieces.isEmpty())
        return;
    PlotCurve c;
    c.owner = owner;
    c.part = part;
    c.index = index;
    c.pen = pen;
    c.yRange = yRange;
    c.pieces = std::move(pieces);
    f.curves.push_back(std::move(c));
}

// A raw-series style curve: value i (or magnitude k) at x = i.
QVector<QPolygonF> indexPieces(const double* v, int count, const Spectrum* s)
{
    QVector<QPolygonF> out;
    QPolygonF cur;
    for (int i = 0; i < count; ++i) {
        const double y = v ? v[i] : s->y(i);
        if (!std::isfinite(y)) {
            if (!cur.isEmpty())
                out.push_back(std::move(cur));
            cur = QPolygonF();
            continue;
        }
        cur << QPointF(i, y);
    }
    if (!cur.isEmpty())
        out.push_back(std::move(cur));
    return out;
}

void buildNormalized(PlotFrame& f, const PlotInput& in, const XafsSpectrum& target)
{
    const Spectrum& t = target.doubleNormalizedPreBase();
    f.xRange = PlotRange::ofX(t);
    f.yRange = PlotRange::ofY(t);
    if (in.standard)
        addCurve(f, PlotCurve::Standard, PlotCurve::Main, -1, solidPen(standardColor, 1), f.yRange,
                 SpectrumPlot::pieces(*in.standard, in.standard->doubleNormalizedPreBase(), 0.0, false));
    for (int i = 0; i < in.extras.size(); ++i) {
        const XafsSpectrum* e = in.extras[i];
        if (!e || !e->use())
            continue;
        addCurve(f, PlotCurve::Extra, PlotCurve::Main, i, SpectrumPlot::extraPen(i, in.extraPens), f.yRange,
                 SpectrumPlot::pieces(*e, e->doubleNormalizedPreBase(), 0.0, false));
    }
    const double shift = in.options.energyCorrected ? target.dE() : 0.0;
    addCurve(f, PlotCurve::Target, PlotCurve::Main, -1, solidPen(Qt::black, 2), f.yRange,
             SpectrumPlot::pieces(target, t, shift, true));
}

// Pre-edge line, post-edge line and mu of one spectrum on its own vertical scale.
void addRawCurves(PlotFrame& f, PlotCurve::Owner owner, int index, const XafsSpectrum& s, const QPen& linePen,
                  const QPen& muPen, double shift, bool breakAtGaps)
{
    const PlotRange yr = PlotRange::ofY(s);
    if (!yr.isValid())
        return;
    addCurve(f, owner, PlotCurve::PreEdge, index, linePen, yr,
             SpectrumPlot::pieces(s, s.preEdge(), shift, breakAtGaps));
    addCurve(f, owner, PlotCurve::PostEdge, index, linePen, yr,
             SpectrumPlot::pieces(s, s.postEdge(), shift, breakAtGaps));
    addCurve(f, owner, PlotCurve::Main, index, muPen, yr, SpectrumPlot::pieces(s, s, shift, breakAtGaps));
}

void buildRaw(PlotFrame& f, const PlotInput& in, const XafsSpectrum& target)
{
    f.xRange = PlotRange::ofX(target);
    f.yRange = PlotRange::ofY(target);
    if (in.standard)
        addRawCurves(f, PlotCurve::Standard, -1, *in.standard, dashedPen(standardLineColor),
                     solidPen(standardColor, 1), 0.0, false);
    for (int i = 0; i < in.extras.size(); ++i) {
        const XafsSpectrum* e = in.extras[i];
        if (!e || !e->use())
            continue;
        const QPen pen = SpectrumPlot::extraPen(i, in.extraPens);
        addRawCurves(f, PlotCurve::Extra, i, *e, dashedPen(pen.color()), pen, 0.0, false);
    }
    const double shift = in.options.energyCorrected ? target.dE() : 0.0;
    addRawCurves(f, PlotCurve::Target, -1, target, dashedPen(targetLineColor), solidPen(Qt::black, 2), shift,
                 true);
}

// A legend line for every named spectrum that has its main curve drawn.
void addLegend(PlotFrame& f, const PlotInput& in)
{
    for (const PlotCurve& c : qAsConst(f.curves)) {
        if (c.part != PlotCurve::Main)
            continue;
        QString name;
        if (c.owner == PlotCurve::Target)
            name = in.targetName;
        else if (c.owner == PlotCurve::Standard)
            name = in.standardName;
        else if (c.owner == PlotCurve::Extra && c.index >= 0 && c.index < in.extraNames.size())
            name = in.extraNames[c.index];
        if (!name.isEmpty())
            f.legend.push_back({name, c.pen});
    }
}

void buildRawSeries(PlotFrame& f, const PlotInput& in)
{
    const int n = in.rawSeries ? in.rawSeries->count() : 0;
    f.xRange = SpectrumPlot::rawSeriesXRange(n);
    if (n == 0)
        return;
    f.yRange = PlotRange::ofY(*in.rawSeries);
    addCurve(f, PlotCurve::RawSeries, PlotCurve::Main, -1, solidPen(rawSeriesColor, 1), f.yRange,
             indexPieces(nullptr, n, in.rawSeries));
}

void buildFourier(PlotFrame& f, const PlotInput& in)
{
    const int n = in.magnitudes ? in.magnitudeCount : 0;
    f.xRange = SpectrumPlot::fourierXRange(n);
    f.yRange = SpectrumPlot::fourierYRange(in.magnitudes, n);
    const int shown = SpectrumPlot::fourierShownCount(n);
    if (shown > 0)
        addCurve(f, PlotCurve::Fourier, PlotCurve::Main, -1, solidPen(fourierColor, 1), f.yRange,
                 indexPieces(in.magnitudes, shown, nullptr));
}

}

PlotMode PlotOptions::mode() const
{
    // FFT shows the transform whether Raw is ticked or not.
    if (showFFT)
        return PlotMode::Fourier;
    if (showRaw)
        return PlotMode::RawSeries;
    return normalized ? PlotMode::Normalized : PlotMode::Raw;
}

bool PlotRange::isValid() const
{
    return std::isfinite(lo) && std::isfinite(hi) && lo < hi;
}

void PlotRange::widenIfFlat()
{
    if (lo == hi && std::isfinite(lo)) {
        const double d = lo != 0.0 ? std::abs(lo) * 0.05 : 0.5;
        lo -= d;
        hi += d;
    }
}

PlotRange PlotRange::ofY(const Spectrum& s)
{
    PlotRange r{1e300, -1e300};
    for (const SpectrumPoint& p : s.points())
        if (std::isfinite(p.y)) {
            r.lo = std::min(r.lo, p.y);
            r.hi = std::max(r.hi, p.y);
        }
    r.widenIfFlat();
    return r;
}

PlotRange PlotRange::ofX(const Spectrum& s)
{
    PlotRange r{1e300, -1e300};
    for (int i = 0; i < s.count(); ++i) {
        const double e = s.E(i);
        if (std::isfinite(e)) {
            r.lo = std::min(r.lo, e);
            r.hi = std::max(r.hi, e);
        }
    }
    r.widenIfFlat();
    return r;
}

PlotRange PlotRange::ofValues(const double* v, int from, int to)
{
    PlotRange r{1e300, -1e300};
    for (int i = from; v && i < to; ++i)
        if (std::isfinite(v[i])) {
            r.lo = std::min(r.lo, v[i]);
            r.hi = std::max(r.hi, v[i]);
        }
    r.widenIfFlat();
    return r;
}

int PlotCurve::pointCount() const
{
    int n = 0;
    for (const QPolygonF& p : pieces)
        n += p.size();
    return n;
}

PlotFrame SpectrumPlot::build(const PlotInput& in)
{
    static const XafsSpectrum none;
    const XafsSpectrum& target = in.target ? *in.target : none;
    PlotFrame f;
    f.mode = in.options.mode();
    switch (f.mode) {
    case PlotMode::Normalized:
        buildNormalized(f, in, target);
        break;
    case PlotMode::Raw:
        buildRaw(f, in, target);
        break;
    case PlotMode::RawSeries:
        buildRawSeries(f, in);
        break;
    case PlotMode::Fourier:
        buildFourier(f, in);
        break;
    }
    if (f.mode == PlotMode::Normalized || f.mode == PlotMode::Raw) {
        f.edges = in.edges;
        f.energyMarker = in.energyMarker;
        addLegend(f, in);
    }
    return f;
}

QPen SpectrumPlot::extraPen(int i, const QVector<std::optional<QPen>>& pens)
{
    if (i >= 0 && i < pens.size() && pens[i])
        return *pens[i];
    return QPen(ColorTables::palette(i));
}

QVector<QPolygonF> SpectrumPlot::pieces(const XafsSpectrum& owner, const Spectrum& values, double shift,
                                        bool breakAtGaps)
{
    const bool shared = values.count() == owner.count();
    const double offset = owner.offsetInForce();
    QVector<QPolygonF> out;
    QPolygonF cur;
    double prevE = std::nan("");
    for (int i = 0; i < values.count(); ++i) {
        const double e = (shared ? owner.x(i) - offset : values.E(i)) - shift;
        const double v = values.y(i);
        const bool gap = breakAtGaps && std::abs(e - prevE) > gapLimit;
        prevE = e;
        const bool drawable = std::isfinite(e) && std::isfinite(v);
        if ((gap || !drawable) && !cur.isEmpty()) {
            out.push_back(std::move(cur));
            cur = QPolygonF();
        }
        if (drawable)
            cur << QPointF(e, v);
    }
    if (!cur.isEmpty())
        out.push_back(std::move(cur));
    return out;
}

PlotRange SpectrumPlot::rawSeriesXRange(int n)
{
    return {0.0, double(std::max(n, 0))};
}

PlotRange SpectrumPlot::fourierXRange(int n)
{
    return {0.0, double(fourierShownCount(n))};
}

PlotRange SpectrumPlot::fourierYRange(const double* magnitudes, int n)
{
    if (!magnitudes || n < 10)
        return {};
    if (n >= 30)
        return PlotRange::ofValues(magnitudes, 1, n / 10 - 1);
    return PlotRange::ofValues(magnitudes, 0, n / 10);
}
