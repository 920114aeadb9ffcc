#pragma once

#include "display/ColorTables.h"

#include <QColor>
#include <QImage>
#include <QObject>
#include <cmath>

// A frozen copy of the colour scale's settings that renders normalised values
// into pixel bytes. Renderers take one at the start of an image so the inner
// loop reads no shared state and calls no function.
struct ColorMapper {
    double lo = 0.0;
    double hi = 1.0;
    int format = QImage::Format_Grayscale8;

    // s = (t - lo) / (hi - lo) clamped to [0, 1]; NaN gives the first entry.
    double fraction(double t) const
    {
        const double s = (t - lo) / (hi - lo);
        if (!(s > 0.0))
            return 0.0;
        return s < 1.0 ? s : 1.0;
    }
    int colorIndex(double t) const
    {
        const int i = int(fraction(t) * (ColorTables::colorCount - 1));
        return i < 0 ? 0 : (i > ColorTables::colorCount - 1 ? ColorTables::colorCount - 1 : i);
    }
    uint8_t grey(double t) const
    {
        const int i = int(fraction(t) * 256.0);
        return uint8_t(i < 0 ? 0 : (i > 255 ? 255 : i));
    }
    int bytesPerPixel() const { return ColorTables::bytesPerPixel(format); }
    // Writes the bytes of one pixel (1 in grey format, 3 in RGB).
    void write(double t, uint8_t* dst) const
    {
        if (format == QImage::Format_RGB888) {
            const ColorTables::Rgb c = ColorTables::colorTable()[colorIndex(t)];
            dst[0] = c.r;
            dst[1] = c.g;
            dst[2] = c.b;
        } else {
            *dst = grey(t);
        }
    }
    QColor color(double t) const;
};

// The process-wide colour scale: the two limits lo and hi (fractions of the
// normalised value range), the image format and the data range shown as the
// bar's labels. Images and maps render through it; the ColorBar widget shows
// and edits it. Written only on the GUI thread; loader threads only read it.
class ColorScale : public QObject
{
    Q_OBJECT
public:
    explicit ColorScale(QObject* parent = nullptr);

    // The one scale every image uses unless it is given another.
    static ColorScale* global();

    double lo() const { return m_lo; }
    double hi() const { return m_hi; }
    int format() const { return m_format; }
    double dataMin() const { return m_min; }
    double dataMax() const { return m_max; }

    void setLo(double lo);
    void setHi(double hi);
    void setLimits(double lo, double hi);
    void setFormat(int format);
    void setDataRange(double min, double max);

    ColorMapper mapper() const { return {m_lo, m_hi, m_format}; }
    QColor color(double t) const { return mapper().color(t); }

signals:
    void limitsChanged();
    void dataRangeChanged();

private:
    double m_lo = 0.0;
    double m_hi = 1.0;
    int m_format = QImage::Format_Grayscale8;
    double m_min = 0.0;
    double m_max = 1.0;
};
