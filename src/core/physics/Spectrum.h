#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

// One point of a spectrum: x is the energy in eV, y the value.
struct SpectrumPoint {
    double x = 0.0;
    double y = 0.0;
};
Q_DECLARE_TYPEINFO(SpectrumPoint, Q_PRIMITIVE_TYPE);

// A list of (energy, value) points that tracks its extremes and carries an
// energy offset; the base of every absorption spectrum and fitted line.
//
// Point energies are E(i) = x(i) - offset while the offset is in force and
// x(i) otherwise; interpolation and the crossing search work on E. min() and
// max() keep the stored x values. Copies are deep.
class Spectrum
{
public:
    enum Direction { Rising = 0, Falling = 1, Either = 2 };

    Spectrum() = default;

    // Removes every point and resets min and max; the offset is kept.
    void clear();
    void reserve(int n) { m_points.reserve(std::size_t(n > 0 ? n : 0)); }
    // Appends a point; x and y extremes are tracked independently.
    void add(double x, double y)
    {
        m_points.push_back(SpectrumPoint{x, y});
        track(x, y, int(m_points.size()) - 1);
    }

    int count() const { return int(m_points.size()); }
    bool isEmpty() const { return m_points.empty(); }
    // Stored x, energy and value of point i; 0 for an index outside the points.
    double x(int i) const { return inRange(i) ? m_points[std::size_t(i)].x : 0.0; }
    double E(int i) const { return inRange(i) ? m_points[std::size_t(i)].x - offsetInForce() : 0.0; }
    double y(int i) const { return inRange(i) ? m_points[std::size_t(i)].y : 0.0; }
    const std::vector<SpectrumPoint>& points() const { return m_points; }

    // Smallest / largest x and y seen, tracked field by field. Empty: min is
    // (1e300, 1e300) and max (-1e300, -1e300).
    SpectrumPoint min() const { return m_min; }
    SpectrumPoint max() const { return m_max; }
    // Index of the point that set min().y / max().y; -1 while none did.
    int minYIndex() const { return m_minYIndex; }
    int maxYIndex() const { return m_maxYIndex; }

    bool use() const { return m_use; }
    void setUse(bool use) { m_use = use; }

    void setOffset(double value, bool on)
    {
        m_offset = value;
        m_offsetOn = on;
    }
    bool offsetOn() const { return m_offsetOn; }
    double offset() const { return m_offset; }
    // The offset subtracted from x: its value while on, 0 otherwise.
    double offsetInForce() const { return m_offsetOn ? m_offset : 0.0; }

    // Linear interpolation of y at energy e over the points (E(i), y(i)),
    // extrapolated along the first or last pair of points outside them.
    double valueAt(double e) const;
    // The same over n plain points whose energies are x - o.
    static double valueAt(const SpectrumPoint* p, int n, double o, double e);
    // The energy at which y first crosses min.y + fraction * (max.y - min.y)
    // in the given direction; E(0) when it never does, 0 without points.
    double crossingEnergy(double fraction, Direction direction) const;

    // Read a plain two-column text file or a "9809" file; both clear the points
    // first and keep the offset. See SpectrumFiles for the formats.
    bool loadFromText(const QString& path);
    bool loadFrom9809(const QString& path);

protected:
    // Copies points and extremes of another spectrum, with min.x and max.x
    // reduced by shiftX; for building a derived spectrum from raw points.
    void assignPoints(const Spectrum& other, double shiftX);

private:
    bool inRange(int i) const { return i >= 0 && std::size_t(i) < m_points.size(); }
    void track(double x, double y, int index)
    {
        if (x < m_min.x)
            m_min.x = x;
        if (x > m_max.x)
            m_max.x = x;
        if (y < m_min.y) {
            m_min.y = y;
            m_minYIndex = index;
        }
        if (y > m_max.y) {
            m_max.y = y;
            m_maxYIndex = index;
        }
    }

    bool m_use = true;
    std::vector<SpectrumPoint> m_points;
    SpectrumPoint m_min{1e300, 1e300};
    SpectrumPoint m_max{-1e300, -1e300};
    int m_minYIndex = -1;
    int m_maxYIndex = -1;
    bool m_offsetOn = false;
    double m_offset = 0.0;
};
