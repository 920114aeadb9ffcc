#include "DemoCompound.h"

#include <cmath>

namespace {

constexpr double pi = 3.14159265358979323846;
// k [1/angstrom] = sqrt(2 m (E - E0)) / hbar = sqrt(0.262468 (E - E0) [eV]).
constexpr double kFactor = 0.262468;
constexpr double preEdgeLevel = 0.35; // absorption of the other shells at E0
constexpr double edgeJump = 1.0;

} // namespace

double DemoCompound::mu(double e) const
{
    const double ratio = demoE0 / e;
    const double ratio3 = ratio * ratio * ratio;
    // Below the edge the absorption falls as lambda^3, above it the K-shell part too.
    double value = preEdgeLevel * ratio3;
    const double step = 0.5 + std::atan((e - edge) / edgeWidth) / pi;
    double oscill = 0.0;
    if (e > edge && oscillation != 0.0) {
        const double de = e - edge;
        const double k = std::sqrt(kFactor * de);
        // The gate lets the oscillations grow in over the first ten eV.
        const double gate = 1.0 - std::exp(-de / 10.0);
        oscill = oscillation * gate * std::exp(-de / damping) * std::sin(2.0 * k * distance + phase);
    }
    value += edgeJump * std::pow(ratio, 2.5) * step * (1.0 + oscill);
    if (whiteLine != 0.0) {
        const double z = (e - edge - whiteLineAt) / whiteLineWidth;
        value += whiteLine * std::exp(-0.5 * z * z);
    }
    if (prePeak != 0.0) {
        const double z = (e - prePeakAt) / prePeakWidth;
        value += prePeak * std::exp(-0.5 * z * z);
    }
    return value;
}

std::vector<DemoCompound> DemoCompound::ironSet(bool sharp)
{
    DemoCompound metal;
    metal.name = QStringLiteral("fe_metal");
    metal.label = QStringLiteral("Fe metal-like");
    metal.edge = 7112.0;
    metal.edgeWidth = 1.3;
    metal.whiteLine = 0.12;
    metal.whiteLineAt = 5.0;
    metal.whiteLineWidth = 3.5;
    metal.oscillation = 0.10;
    metal.distance = 2.48;
    metal.phase = 0.3;
    metal.damping = 220.0;

    DemoCompound ferrous;
    ferrous.name = QStringLiteral("fe2");
    ferrous.label = QStringLiteral("Fe(II)-like");
    ferrous.edge = 7119.0;
    ferrous.edgeWidth = 1.6;
    ferrous.whiteLine = 0.55;
    ferrous.whiteLineAt = 6.0;
    ferrous.whiteLineWidth = 2.6;
    ferrous.prePeak = 0.04;
    ferrous.prePeakAt = 7112.5;
    ferrous.oscillation = 0.08;
    ferrous.distance = 2.12;
    ferrous.phase = 0.8;
    ferrous.damping = 170.0;

    DemoCompound ferric;
    ferric.name = QStringLiteral("fe3");
    ferric.label = QStringLiteral("Fe(III)-like");
    ferric.edge = 7123.0;
    ferric.edgeWidth = 1.8;
    ferric.whiteLine = 0.90;
    ferric.whiteLineAt = 8.0;
    ferric.whiteLineWidth = 3.0;
    ferric.prePeak = 0.07;
    ferric.prePeakAt = 7114.0;
    ferric.oscillation = 0.09;
    ferric.distance = 1.98;
    ferric.phase = 1.4;
    ferric.damping = 150.0;

    if (sharp) {
        // Features about as wide as the scan's steps at the edge (0.56 eV with
        // 150 energies): a sampled spectrum's half-height point then depends
        // on where the samples fall, a fit to the finely sampled standard not.
        metal.edgeWidth = 0.6;
        metal.whiteLine = 0.45;
        metal.whiteLineAt = 3.5;
        metal.whiteLineWidth = 1.1;
        metal.prePeak = 0.10;
        metal.prePeakAt = 7110.5;
        metal.prePeakWidth = 0.6;
        ferrous.edgeWidth = 0.8;
        ferrous.whiteLine = 0.9;
        ferrous.whiteLineAt = 4.0;
        ferrous.whiteLineWidth = 1.3;
        ferrous.prePeak = 0.08;
        ferrous.prePeakWidth = 0.6;
        ferric.edgeWidth = 0.9;
        ferric.whiteLine = 1.2;
        ferric.whiteLineAt = 5.0;
        ferric.whiteLineWidth = 1.4;
        ferric.prePeak = 0.10;
        ferric.prePeakWidth = 0.6;
    }
    return {metal, ferrous, ferric};
}
