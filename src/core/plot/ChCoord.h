#pragma once

#include <QObject>

// Tick layout of one axis: a step and the first and last multiple of it
// inside the range. An invalid layout has step 0 and no ticks.
struct ChTicks {
    double step = 0.0;
    double first = 0.0;
    double last = 0.0;

    bool isValid() const { return step > 0.0; }
    // Number of ticks from first to last inclusive (0 when invalid).
    int count() const;
};

// Maps data coordinates onto a screen rectangle and back, with optional
// plotting margins, near-edge tests and the tick layout of an axis.
class ChCoord : public QObject
{
    Q_OBJECT
public:
    explicit ChCoord(QObject* parent = nullptr);

    // Screen rectangle; sy0 may be the bottom (plots) or the top (images).
    // Also resets the inner rectangle to the whole screen rectangle.
    void setScreen(double sx0, double sy0, double sx1, double sy1);
    // Shrinks the inner rectangle by the margins (fractions of the screen size,
    // each truncated to whole pixels).
    void applyMargins();
    void setRange(double x0, double y0, double x1, double y1);
    void setXRange(double x0, double x1);
    void setYRange(double y0, double y1);

    // Data to screen.
    double screenX(double x) const { return (m_ix1 - m_ix0) / (m_x1 - m_x0) * (x - m_x0) + m_ix0; }
    double screenY(double y) const { return (m_iy1 - m_iy0) / (m_y1 - m_y0) * (y - m_y0) + m_iy0; }
    // Screen to data.
    double realX(double sx) const { return (m_x1 - m_x0) / (m_ix1 - m_ix0) * (sx - m_ix0) + m_x0; }
    double realY(double sy) const { return (m_y1 - m_y0) / (m_iy1 - m_iy0) * (sy - m_iy0) + m_y0; }
    // Screen to data, limited to the data range.
    double realXClamped(double sx) const;
    double realYClamped(double sy) const;
    // Lengths: a data length in screen units and a screen length in data units.
    double screenLengthX(double dx) const { return (m_ix1 - m_ix0) / (m_x1 - m_x0) * dx; }
    double screenLengthY(double dy) const { return (m_iy1 - m_iy0) / (m_y1 - m_y0) * dy; }
    double realLengthX(double dsx) const { return (m_x1 - m_x0) / (m_ix1 - m_ix0) * dsx; }
    double realLengthY(double dsy) const { return (m_y1 - m_y0) / (m_iy1 - m_iy0) * dsy; }

    // True when the data value lies within tolerance x |range| of either end
    // of its range (ends included) or outside the range.
    bool nearXEdge(double x) const;
    bool nearYEdge(double y) const;

    // Tick layout of [a, b]: p = 10^floor(log10(b - a)), k = trunc((b - a) / p) - 1,
    // step = p x (0.2, 0.2, 0.5, 0.5, 1, 1, 1, 2, 2)[k]. For ranges of at least 1
    // floor and trunc agree; below 1 the floor keeps k in 0..8, so a range of
    // 0.5 gets step 0.1 just as 5 gets 1. Reversed ranges are swapped; empty or
    // non-finite ranges give an invalid layout.
    static ChTicks ticks(double a, double b);
    static double tickStep(double a, double b) { return ticks(a, b).step; }

    double sx0() const { return m_sx0; }
    double sx1() const { return m_sx1; }
    double sy0() const { return m_sy0; }
    double sy1() const { return m_sy1; }
    double ix0() const { return m_ix0; }
    double ix1() const { return m_ix1; }
    double iy0() const { return m_iy0; }
    double iy1() const { return m_iy1; }
    double x0() const { return m_x0; }
    double x1() const { return m_x1; }
    double y0() const { return m_y0; }
    double y1() const { return m_y1; }

    double edgeToleranceX() const { return m_tolX; }
    double edgeToleranceY() const { return m_tolY; }
    void setEdgeTolerance(double tx, double ty);
    double marginSx0() const { return m_mSx0; }
    double marginSx1() const { return m_mSx1; }
    double marginSy1() const { return m_mSy1; }
    double marginSy0() const { return m_mSy0; }
    void setMargins(double atSx0, double atSx1, double atSy1, double atSy0);

    // Label layout of the spectrum view.
    int layoutDivisor1() const { return m_div1; }
    int layoutDivisor2() const { return m_div2; }
    double labelFactor() const { return m_labelFactor; }
    bool layoutFlag() const { return m_layoutFlag; }
    void setLayoutDivisors(int d1, int d2);
    void setLabelFactor(double f) { m_labelFactor = f; }
    void setLayoutFlag(bool f) { m_layoutFlag = f; }

private:
    double m_sx0 = 0, m_sx1 = 1, m_sy0 = 0, m_sy1 = 1;
    double m_ix0 = 0, m_ix1 = 1, m_iy0 = 0, m_iy1 = 1;
    double m_x0 = 0, m_x1 = 1, m_y0 = 0, m_y1 = 1;
    double m_tolX = 0.1, m_tolY = 0.1;
    double m_mSx0 = 0.1, m_mSx1 = 0.05;
    double m_mSy1 = 0.05, m_mSy0 = 0.1;
    int m_div1 = 20, m_div2 = 25;
    double m_labelFactor = 0.85;
    bool m_layoutFlag = true;
};
