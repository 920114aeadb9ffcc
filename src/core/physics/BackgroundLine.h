#pragma once

#include "physics/BackgroundFit.h"
#include "physics/Spectrum.h"

// A background line of an absorption spectrum, either in the Victoreen form
// a0 + c3·λ³ + c4·λ⁴ (λ = hc / E in angstrom) or as a straight line a0 + slope·E,
// fitted to an energy window and sampled at the spectrum's energies.
class BackgroundLine : public Spectrum
{
public:
    bool victoreen() const { return m_victoreen; }
    double a0() const { return m_c.a0; }
    double c3() const { return m_c.c3; }
    double c4() const { return m_c.c4; }
    double slope() const { return m_c.slope; }

    // The line's own formula at energy e (eV), in its current form.
    double lineValue(double e) const { return BackgroundFit::value(m_c, m_victoreen, e); }

    // Sets the form, fits the coefficients to the points of `spectrum` with
    // eMin <= E < eMax (the walk stops at the first point at or above eMax),
    // and resamples the line at every energy of `spectrum`. A spectrum with
    // too few points for the form (3 or fewer for Victoreen, 2 or fewer for
    // the straight line) leaves the line exactly as it was.
    void fit(const Spectrum& spectrum, double eMin, double eMax, bool victoreen);

private:
    bool m_victoreen = true;
    BackgroundFit::Coefficients m_c;
};
