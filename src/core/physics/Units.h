#pragma once

#include <QObject>

// The monochromator crystal's lattice spacing and the photon-energy / Bragg-angle conversion.
class Units : public QObject
{
    Q_OBJECT

public:
    static constexpr double DefaultD = 3.13553; // Si(111), in angstrom

    explicit Units(QObject *parent = nullptr);

    double d() const { return D; }

    // E [eV] = hc / (2 d sin(theta)), theta in degrees.
    double energyOfAngle(double deg) const { return energyOfAngle(deg, D); }
    // Bragg angle in degrees of E [eV]; -1 when hc / (2 d E) is not within [-1, 1].
    double angleOfEnergy(double eV) const { return angleOfEnergy(eV, D); }

    static double energyOfAngle(double deg, double d);
    static double angleOfEnergy(double eV, double d);
    // Wavelength in angstrom of E [eV].
    static double wavelength(double eV);

public slots:
    void setD(double d);

private:
    double D = DefaultD;
};
