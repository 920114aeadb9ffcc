#include "Units.h"

#include "PhysConst.h"

#include <cmath>

Units::Units(QObject *parent)
    : QObject(parent)
{
}

void Units::setD(double d)
{
    D = d;
}

double Units::energyOfAngle(double deg, double d)
{
    return PhysConst::hc / (2.0 * d * std::sin(deg / 180.0 * PhysConst::anglePi));
}

double Units::angleOfEnergy(double eV, double d)
{
    const double s = PhysConst::hc / (eV * 2.0 * d);
    // Written so that NaN also falls outside the domain.
    if (!(std::fabs(s) <= 1.0))
        return -1.0;
    return std::asin(s) / PhysConst::anglePi * 180.0;
}

double Units::wavelength(double eV)
{
    return PhysConst::hc / eV;
}
