#pragma once

#include "DemoCompound.h"
#include "DemoConfig.h"

#include <QtGlobal>
#include <vector>

// The synthetic measurement in numbers: energies, compounds, per-pixel maps
// (fractions, thickness, energy shift, beam profile), the sample drift and the
// beam decay, all derived from the seed. It computes the images of one energy;
// writing files is left to DemoWriter.
//
// Conventions (pixel (x, y), row y, map index y * width + x):
// - shift(x, y) is the energy shift dE of the detector pixel as a calibration
//   measures it: the pixel's edge appears dE higher on the nominal energy scale,
//   so a compound's absorption there is mu(E - dE). Subtracting dE from the
//   nominal energy corrects it.
// - drift (dx, dy) of an energy: sample content at (u, v) of the first image
//   appears at (u + dx, v + dy); the first energy has no drift. The detector
//   effects (shift, beam) do not move.
// - expected I1 = I0 * exp(-(thickness * sum_k f_k mu_k(E - dE) + matrix(E))),
//   with thickness and fractions taken at the drifted position.
class DemoModel
{
public:
    static constexpr int compoundCount = 3;
    static constexpr double i0PeakCounts = 24000.0;
    static constexpr double foilThickness = 1.0;
    static constexpr int maxDrift = 3;

    struct Drift {
        int dx = 0;
        int dy = 0;
    };

    explicit DemoModel(const DemoConfig& config);

    // False when the energy grid could not be made (see demoEnergies).
    bool isValid() const { return !m_energies.empty(); }

    int width() const { return m_width; }
    int height() const { return m_height; }
    quint64 seed() const { return m_seed; }
    const std::vector<double>& energies() const { return m_energies; }
    const std::vector<DemoCompound>& compounds() const { return m_compounds; }
    const std::vector<Drift>& drift() const { return m_drift; }

    // Per-pixel maps, width x height, row-major.
    const std::vector<float>& fraction(int k) const { return m_fraction[size_t(k)]; }
    const std::vector<float>& thickness() const { return m_thickness; }
    const std::vector<float>& shift() const { return m_shift; }
    const std::vector<float>& beam() const { return m_beam; }
    // Largest |dE| of the shift map.
    double maxAbsShift() const { return m_maxAbsShift; }

    // Smooth absorption of the sample's matrix and support, everywhere.
    static double matrixMu(double energy);
    // Relative beam intensity of energy i (slow decay over the scan).
    double decay(int energyIndex) const;

    // The model evaluated directly (slow; the reference the images follow).
    double sampleMu(int x, int y, int energyIndex) const;
    double foilMu(int x, int y, int energyIndex) const;
    double expectedI0(int x, int y, int energyIndex) const;

    // The three images of energy i: incident beam, beam through the sample and
    // beam through the uniform metal foil. With noise the counts are Poisson
    // samples of independent streams derived from the seed and i; without, the
    // expected counts rounded. Counts are clamped to 0 ... 65535.
    void images(int energyIndex, bool noise, std::vector<quint16>* i0, std::vector<quint16>* i1,
                std::vector<quint16>* cal) const;

private:
    void makeSampleMaps();
    void makeShiftMap();
    void makeBeam();
    void makeDrift();

    int m_width = 0;
    int m_height = 0;
    quint64 m_seed = 0;
    std::vector<double> m_energies;
    std::vector<DemoCompound> m_compounds;
    std::vector<float> m_fraction[compoundCount];
    std::vector<float> m_thickness;
    std::vector<float> m_shift;
    std::vector<float> m_beam;
    std::vector<Drift> m_drift;
    double m_maxAbsShift = 0.0;
};
