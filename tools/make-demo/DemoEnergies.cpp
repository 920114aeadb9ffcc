#include "DemoEnergies.h"

#include "DemoCompound.h"

#include <cmath>

namespace {

constexpr double firstOffset = -150.0;
constexpr double lastOffset = 400.0;
constexpr double denseCentre = 7120.0; // between the metal edge and the Fe(III) white line
constexpr double denseWidth = 18.0;    // eV
// About half of the points fall into the dense region, whatever n is.
constexpr double denseShare = 0.5;

} // namespace

std::vector<double> demoEnergies(int n)
{
    std::vector<double> out;
    if (n < 2)
        return out;
    const double lo = demoE0 + firstOffset;
    const double hi = demoE0 + lastOffset;
    // Point density: a constant plus a Gaussian at the edge; the grid is the
    // inverse of its cumulative integral at n equally spaced levels.
    const double gaussArea = denseWidth * std::sqrt(2.0 * 3.14159265358979323846);
    const double base = (1.0 - denseShare) / (hi - lo);
    const double peak = denseShare / gaussArea;
    auto cumulative = [&](double e) {
        const double z = (e - denseCentre) / (denseWidth * std::sqrt(2.0));
        const double z0 = (lo - denseCentre) / (denseWidth * std::sqrt(2.0));
        return base * (e - lo) + peak * gaussArea * 0.5 * (std::erf(z) - std::erf(z0));
    };
    const double total = cumulative(hi);
    out.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        const double target = total * double(i) / double(n - 1);
        double a = lo, b = hi;
        for (int it = 0; it < 80; ++it) {
            const double m = 0.5 * (a + b);
            (cumulative(m) < target ? a : b) = m;
        }
        const double e = std::round(50.0 * (a + b)) / 100.0;
        if (!out.empty() && !(e > out.back()))
            return {};
        out.push_back(e);
    }
    return out;
}

QString demoEnergyText(double energy)
{
    return QString::number(energy, 'f', 2);
}
