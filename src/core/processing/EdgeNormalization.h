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
    // Normalises the n points (e[i], mu[i]) (energies with no offset in
    // force). n = 0 leaves jump 0 and no values.
    void compute(const double* e, const double* mu, int n, bool victoreen);

    double jump() const { return m_jump; }
    double e0() const { return m_e0; }
    // (mu - pre) / (post - pre) at point i, for i < the n of compute().
    const double* doubleNormalizedPreBase() const { return m_dnpb.data(); }
    // The pre-edge and post-edge lines at energy x, as valueAt of an
    // XafsSpectrum's lines (0 for a line that was not fitted).
    double preValueAt(double x) const { return lineAt(m_pre, x); }
    double postValueAt(double x) const { return lineAt(m_post, x); }

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
    // Spectrum::valueAt over the points (e[i], y[i]).
    static double valueAt(const double* e, const double* y, int n, double x);

    double lineAt(const Line& line, double x) const
    {
        return line.sampled ? valueAt(m_e.data(), line.values.data(), int(m_e.size()), x) : 0.0;
    }

    std::vector<double> m_e;   // the energies of the last compute()
    Line m_pre;
    Line m_post;
    std::vector<double> m_dnpb;
    double m_e0 = 0.0;
    double m_jump = 0.0;
};
