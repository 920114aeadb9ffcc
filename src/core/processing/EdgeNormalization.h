#pragma once

#include <vector>

// The numbers an LCF fit reads from a normalised XafsSpectrum — the edge jump
// and the double-normalised pre-base value (mu - pre) / (post - pre) at every
// point — computed from plain arrays with XafsSpectrum's default windows and
// operation for operation as XafsSpectrum(points, victoreen, dE) computes them
// (half-height energy, both background fits with the shared LU solver, the
// lines sampled at the points, e0 from the midline crossings, the jump from
// the sampled lines). It skips everything else that object holds (the other
// three derived spectra, extreme tracking, copies), so a whole-area run can
// afford it per block without allocating. The area pipeline's tests compare
// its fits with fits of real XafsSpectrum objects value for value; a change to
// the normalisation must be made in both places.
class EdgeNormalization
{
public:
    // XafsSpectrum's default windows, eV relative to the half-height energy.
    static constexpr double preStart = -100.0;
    static constexpr double preEnd = -10.0;
    static constexpr double postStart = 10.0;
    static constexpr double postEnd = 1000.0;

    // Normalises the n points (e[i], mu[i]) (energies with no offset in
    // force). n = 0 leaves jump 0 and no values.
    void compute(const double* e, const double* mu, int n, bool victoreen);

    double jump() const { return m_jump; }
    double e0() const { return m_e0; }
    // The half-height energy that placed the fit windows.
    double halfHeight() const { return m_eh; }
    // The midline between the two lines at point i, as the e0 search takes it.
    double midlineAt(int i) const
    {
        const double p = m_pre.sampled ? m_pre.values[std::size_t(i)] : 0.0;
        return p + ((m_post.sampled ? m_post.values[std::size_t(i)] : 0.0) - p) / 2.0;
    }
    // (mu - pre) / (post - pre) at point i, for i < the n of compute().
    const double* doubleNormalizedPreBase() const { return m_dnpb.data(); }
    // The pre-edge and post-edge lines at energy x, as valueAt of an
    // XafsSpectrum's lines (0 for a line that was not fitted).
    double preValueAt(double x) const { return lineAt(m_pre, x); }
    double postValueAt(double x) const { return lineAt(m_post, x); }

    // Spectrum::valueAt over the points (e[i], y[i * stride]).
    static double valueAt(const double* e, const double* y, int n, double x, int stride = 1);
    // Spectrum's interpolation between (x1, y1) and (x2, y2) at x.
    static double interpolate(double x1, double y1, double x2, double y2, double x)
    {
        if (x1 == x2)
            return (y1 + y2) / 2.0;
        return y1 + (y2 - y1) / (x2 - x1) * (x - x1);
    }
    // Where y crosses `level` between (e0, y0) and (e1, y1), as
    // Spectrum::crossingEnergy places it.
    static double crossing(double e0, double y0, double e1, double y1, double level)
    {
        if (y0 == y1)
            return (e0 + e1) / 2.0;
        return e0 + (e1 - e0) / (y1 - y0) * (level - y0);
    }

private:
    // One background line: its coefficients and its values at the points;
    // `sampled` is false while a fit was refused for too few points (the line
    // of a new spectrum then has no points).
    struct Line {
        bool sampled = false;
        std::vector<double> values;
    };
    static void fit(const double* e, const double* mu, int n, double eMin, double eMax, bool victoreen,
                    Line* line);

    double lineAt(const Line& line, double x) const
    {
        return line.sampled ? valueAt(m_e.data(), line.values.data(), int(m_e.size()), x) : 0.0;
    }

    std::vector<double> m_e;   // the energies of the last compute()
    Line m_pre;
    Line m_post;
    std::vector<double> m_dnpb;
    double m_e0 = 0.0;
    double m_eh = 0.0;
    double m_jump = 0.0;
};
