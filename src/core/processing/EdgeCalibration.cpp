#include "processing/EdgeCalibration.h"

#include "physics/PhysConst.h"
#include "physics/Spectrum.h"

#include <cmath>

namespace EdgeCalibration {

namespace {

const Crystal crystals[crystalCount] = {
    {"Si(111)", 3.1355316}, {"Si(311)", 1.637478}, {"Si(333)", 1.0451772},
    {"Ge(111)", 3.2663822}, {"Ge(333)", 1.0887941},
};

// The crossing search over any point source; both overloads share it so the
// fast whole-grid path and the block-by-block path give the same numbers.
template <class Energy, class Value>
double crossing(int n, Energy e, Value mu)
{
    if (n <= 0)
        return 0.0;
    double lo = 1e300, hi = -1e300;
    for (int i = 0; i < n; ++i) {
        const double y = mu(i);
        if (y < lo)
            lo = y;
        if (y > hi)
            hi = y;
    }
    const double c = lo + 0.5 * (hi - lo);
    for (int k = 0; k + 1 < n; ++k) {
        const double y0 = mu(k), y1 = mu(k + 1);
        if (y0 < c && c <= y1) {
            const double e0 = e(k), e1 = e(k + 1);
            return e0 + (e1 - e0) / (y1 - y0) * (c - y0);
        }
    }
    return e(0);
}

} // namespace

const Crystal& crystal(int index)
{
    return crystals[index >= 0 && index < crystalCount ? index : 0];
}

double braggAngle(double eV, double d)
{
    const double s = PhysConst::hc / eV / (2.0 * d);
    if (!(std::fabs(s) <= 1.0))
        return -1.0;
    return std::asin(s) * 180.0 / PhysConst::anglePi;
}

double braggEnergy(double deg, double d)
{
    return PhysConst::hc / (2.0 * d * std::sin(deg * PhysConst::anglePi / 180.0));
}

double halfHeightEdge(const double* e, const double* mu, int n)
{
    return crossing(n, [e](int i) { return e[i]; }, [mu](int i) { return mu[i]; });
}

double halfHeightEdge(const Spectrum& s)
{
    return crossing(s.count(), [&s](int i) { return s.E(i); }, [&s](int i) { return s.y(i); });
}

} // namespace EdgeCalibration
