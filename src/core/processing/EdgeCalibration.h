#pragma once

#include <QString>

class Spectrum;

// The pieces of the energy calibration that are plain arithmetic: the
// monochromator crystals, the Bragg relation in the form the energy-map files
// use, and the half-height edge position of a spectrum.
namespace EdgeCalibration {

// One crystal of the calibration window's list: its name and its lattice
// spacing d in angstrom.
struct Crystal {
    const char* name;
    double d;
};

// The crystals in list order: Si(111), Si(311), Si(333), Ge(111), Ge(333).
constexpr int crystalCount = 5;
const Crystal& crystal(int index);

// Bragg angle in degrees: asin(hc / E / (2 d)) x 180 / pi with pi =
// 3.1415926535; -1 when the asin argument is beyond +-1 (or not a number).
double braggAngle(double eV, double d);
// Its inverse: hc / (2 d sin(deg x pi / 180)).
double braggEnergy(double deg, double d);

// The half-height edge position of the points (e[i], mu[i]): with the level
// c = min + 0.5 (max - min) of the values, the energy where the straight line
// through the first pair (k, k + 1) with mu[k] < c <= mu[k + 1] reaches c;
// e[0] when no pair rises through c, 0 without points.
double halfHeightEdge(const double* e, const double* mu, int n);
// The same over a spectrum's points (energies with its offset in force).
double halfHeightEdge(const Spectrum& s);

} // namespace EdgeCalibration
