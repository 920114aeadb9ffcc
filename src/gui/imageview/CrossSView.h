#pragma once

#include "imageview/DispA.h"
#include "physics/Spectrum.h"

class QPainter;

// A cross-section profile through the image beside it: horizontal profiles
// (orientation 0) run along x with the value upwards, vertical ones
// (orientation 1) run down the rows with the value to the right; a line
// marks the cursor position.
class CrossSView : public DispA
{
    Q_OBJECT
public:
    explicit CrossSView(QWidget* parent = nullptr);

    void setOrientation(int o);
    int orientation() const { return m_orientation; }
    // The profile: x is the position (column or row), y the value.
    void setProfile(const Spectrum& profile);
    const Spectrum& profile() const { return m_profile; }
    void setCursorPos(double pos);
    double cursorPos() const { return m_cursor; }
    // The positions the view spans, so that it lines up with the image view
    // beside it; lo >= hi (the default) spans the profile's own positions.
    void setPositionRange(double lo, double hi);

public slots:
    void draw(QPainter* p);

private:
    Spectrum m_profile;
    int m_orientation = 0;
    double m_cursor = 0.0;
    double m_posLo = 0.0;
    double m_posHi = 0.0;
};
