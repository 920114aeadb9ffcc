#include "display/ColorScale.h"

QColor ColorMapper::color(double t) const
{
    // 8-bit channels scaled by 257 to 16 bits, alpha full.
    if (format == QImage::Format_RGB888) {
        const ColorTables::Rgb c = ColorTables::colorTable()[colorIndex(t)];
        return QColor::fromRgba64(c.r * 257, c.g * 257, c.b * 257, 65535);
    }
    const int g = grey(t) * 257;
    return QColor::fromRgba64(g, g, g, 65535);
}

ColorScale::ColorScale(QObject* parent)
    : QObject(parent)
{
}

ColorScale* ColorScale::global()
{
    static ColorScale scale;
    return &scale;
}

void ColorScale::setLo(double lo)
{
    m_lo = lo;
    emit limitsChanged();
}

void ColorScale::setHi(double hi)
{
    m_hi = hi;
    emit limitsChanged();
}

void ColorScale::setLimits(double lo, double hi)
{
    m_lo = lo;
    m_hi = hi;
    emit limitsChanged();
}

void ColorScale::setFormat(int format)
{
    if (ColorTables::isImageFormat(format))
        m_format = format;
}

void ColorScale::setDataRange(double min, double max)
{
    m_min = min;
    m_max = max;
    emit dataRangeChanged();
}
