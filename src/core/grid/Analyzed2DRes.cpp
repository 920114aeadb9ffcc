#include "grid/Analyzed2DRes.h"

#include "base/LogCategories.h"
#include "display/ColorScale.h"
#include "display/ColorTables.h"
#include "grid/MapDeglitch.h"

#include <QDebug>
#include <limits>
#include <new>

namespace {

// One 16-bit export value: v clamped to [lo, hi], scaled to 0 ... 65535 and
// truncated. A NaN value or an empty or reversed range cannot leave 0 ... 65535.
inline quint16 exportValue(double v, double lo, double hi)
{
    if (v < lo)
        v = lo;
    if (v > hi)
        v = hi;
    const double f = (v - lo) / (hi - lo) * 65535.0;
    if (!(f > 0.0))
        return 0;
    if (f >= 65535.0)
        return 65535;
    return quint16(f);
}

}

Analyzed2DRes::Analyzed2DRes(const QString& name, QObject* parent)
    : QObject(parent)
    , m_name(name)
{
}

Analyzed2DRes::~Analyzed2DRes() = default;

void Analyzed2DRes::dropImage()
{
    m_image.reset();
    m_pixels.reset();
    m_hasImage = false;
    pictureChanged();
}

void Analyzed2DRes::setup(const ScanGrid& grid)
{
    m_grid = grid;
    m_procMin = 0.0;
    m_procMax = 1.0;
    m_minValue = emptyMin;
    m_maxValue = emptyMax;
    layerChanged();
    dropImage();
    m_data.clear();
    m_procData.clear();
    m_data.shrink_to_fit();
    m_procData.shrink_to_fit();
    const qint64 w = m_grid.imageWidth;
    const qint64 h = m_grid.imageHeight;
    if (w <= 0 || h <= 0)
        return;
    if (w * h > maxPixels) {
        qCDebug(lcGrid).noquote() << "map too large:" << w << "x" << h;
        return;
    }
    m_data.assign(size_t(w * h), 0.0);
    m_procData.assign(size_t(w * h), 0.0);
}

void Analyzed2DRes::clear()
{
    setup(ScanGrid());
}

bool Analyzed2DRes::setImageFormat(int format)
{
    if (format != QImage::Format_Grayscale8 && format != QImage::Format_RGB888)
        return false;
    m_imageFormat = format;
    return true;
}

ColorScale* Analyzed2DRes::colorScale() const
{
    return m_scale ? m_scale.data() : ColorScale::global();
}

void Analyzed2DRes::effectiveRange(double& lo, double& hi) const
{
    if (!m_fixedScale && m_rangeRule == DisplayRange::Robust) {
        if (!m_robustKnown) {
            m_robust = m_rangeInset > 0
                           ? DisplayRange::innerPercentiles(shownLayer(), width(), height(), m_rangeInset)
                           : DisplayRange::percentiles(shownLayer(), qint64(width()) * qMax(0, height()));
            m_robustKnown = true;
        }
        // A flat layer keeps the min/max rule (its range was set on purpose).
        if (m_robust.valid && m_robust.hi > m_robust.lo) {
            lo = m_robust.lo;
            hi = m_robust.hi;
            return;
        }
    }
    if (m_fixedScale) {
        lo = m_scaleMin;
        hi = m_scaleMax;
    } else if (m_showProc) {
        lo = m_procMin;
        hi = m_procMax;
    } else {
        lo = m_minValue;
        hi = m_maxValue;
    }
}

double Analyzed2DRes::layerValue(int x, int y) const
{
    if (!shownLayer() || x < 0 || y < 0 || x >= width() || y >= height())
        return std::numeric_limits<double>::quiet_NaN();
    return shownLayer()[qint64(y) * width() + x];
}

void Analyzed2DRes::setRangeRule(DisplayRange::Rule rule)
{
    if (rule == m_rangeRule)
        return;
    m_rangeRule = rule;
    if (m_hasImage)
        genImg();
}

bool Analyzed2DRes::layerRange(double& lo, double& hi) const
{
    if (!data())
        return false;
    effectiveRange(lo, hi);
    return true;
}

void Analyzed2DRes::setData(int ix, int iy, int xw, int yw, double t)
{
    m_robustKnown = false;
    if (t > m_maxValue)
        m_maxValue = t;
    if (t < m_minValue)
        m_minValue = t;
    if (!m_data.empty())
        fillMapBlock(m_data.data(), width(), height(), ix, iy, xw, yw, t);
}

void Analyzed2DRes::genImg()
{
    const PictureChange changed(this);
    dropImage();
    const double* src = shownLayer();
    const int w = width();
    const int h = height();
    if (!src || w <= 0 || h <= 0)
        return;
    const int bpl = ColorTables::bytesPerLine(w, m_imageFormat);
    // Without the memory for its picture the map has none, and says so.
    m_pixels.reset(new (std::nothrow) uchar[size_t(bpl) * size_t(h)]());
    if (!m_pixels) {
        qCWarning(lcGrid).noquote() << QStringLiteral("Not enough memory for the picture of the map %1 (%2 x %3)")
                                           .arg(m_name).arg(w).arg(h);
        return;
    }

    double lo, hi;
    effectiveRange(lo, hi);
    const double span = hi - lo;
    ColorMapper mapper = colorScale()->mapper();
    mapper.format = m_imageFormat;

    if (m_imageFormat == QImage::Format_RGB888) {
        const ColorTables::Rgb* table = ColorTables::colorTable().data();
        for (int y = 0; y < h; ++y) {
            const double* row = src + qint64(y) * w;
            uchar* dst = m_pixels.get() + qint64(y) * bpl;
            for (int x = 0; x < w; ++x, dst += 3) {
                const ColorTables::Rgb c = table[mapper.colorIndex((row[x] - lo) / span)];
                dst[0] = c.r;
                dst[1] = c.g;
                dst[2] = c.b;
            }
        }
    } else {
        for (int y = 0; y < h; ++y) {
            const double* row = src + qint64(y) * w;
            uchar* dst = m_pixels.get() + qint64(y) * bpl;
            for (int x = 0; x < w; ++x)
                dst[x] = mapper.grey((row[x] - lo) / span);
        }
    }
    m_image.reset(new QImage(ColorTables::imageOver(m_pixels.get(), w, h, m_imageFormat)));
    m_hasImage = !m_image->isNull();
}

QVector<quint16> Analyzed2DRes::tiffDataForSave(bool fixed, double lo, double hi, bool asAnalyzed)
{
    const double* src = shownLayer();
    if (!src)
        return {};
    if (!fixed) {
        lo = m_showProc ? m_procMin : m_minValue;
        hi = m_showProc ? m_procMax : m_maxValue;
    }
    const int w = width();
    const int h = height();
    const qint64 pixelCount = qint64(w) * h;

    if (!asAnalyzed) {
        QVector<quint16> out(static_cast<int>(pixelCount));
        quint16* dst = out.data();
        for (qint64 i = 0; i < pixelCount; ++i)
            dst[i] = exportValue(src[i], lo, hi);
        m_savedCount = int(pixelCount);
        return out;
    }

    // One value per grid point; a grid reaching past the map may have more
    // points than the map has pixels, so the array grows to hold them all.
    const qint64 points = m_grid.pointCount();
    if (points > maxPixels) {
        qCDebug(lcGrid).noquote() << "too many grid points:" << points;
        return {};
    }
    QVector<quint16> out(static_cast<int>(qMax(pixelCount, points)));
    quint16* dst = out.data();
    ScanGrid g = m_grid;
    g.restart();
    int count = 0;
    bool newLine = false;
    do {
        dst[count++] = exportValue(mapValueAt(src, w, h, g.x, g.y), lo, hi);
    } while (g.next(newLine) && count < out.size());
    m_savedCount = count;
    return out;
}

void Analyzed2DRes::deglitch()
{
    if (!canDeglitch())
        return;
    const MapDeglitch::Range r =
        MapDeglitch::deglitch(m_data.data(), m_procData.data(), m_grid, m_minValue, m_maxValue,
                              m_deglitchFactor, m_deglitchRatio);
    m_procMin = r.min;
    m_procMax = r.max;
    layerChanged();
    if (m_showProc)
        genImg();
}

bool Analyzed2DRes::canDeglitch() const
{
    if (m_data.empty() || m_procData.empty())
        return false;
    if (m_grid.pointCount() > maxPixels) {
        qCDebug(lcGrid).noquote() << "too many grid points:" << m_grid.pointCount();
        return false;
    }
    return true;
}

void Analyzed2DRes::setDeglitchConds(double f, double r)
{
    m_deglitchFactor = f;
    m_deglitchRatio = r;
}

void Analyzed2DRes::selectProcImg(bool f)
{
    m_showProc = f;
    layerChanged();
    genImg();
}

void Analyzed2DRes::deglitch2(double limit)
{
    if (!canDeglitch())
        return;
    const MapDeglitch::Range r =
        MapDeglitch::deglitch2(m_data.data(), m_procData.data(), m_grid, limit);
    m_procMin = r.min;
    m_procMax = r.max;
    layerChanged();
    if (m_showProc)
        genImg();
}

void Analyzed2DRes::copyProc2Data()
{
    if (m_data.empty() || m_procData.empty())
        return;
    m_data = m_procData;
    m_minValue = m_procMin;
    m_maxValue = m_procMax;
    layerChanged();
}

void Analyzed2DRes::updateColorScale()
{
    double lo, hi;
    effectiveRange(lo, hi);
    colorScale()->setDataRange(lo, hi);
}

void Analyzed2DRes::setFixedScale(bool f)
{
    m_fixedScale = f;
    genImg();
    updateColorScale();
}

void Analyzed2DRes::setScale(double min, double max)
{
    m_scaleMin = min;
    m_scaleMax = max;
    genImg();
    updateColorScale();
}
