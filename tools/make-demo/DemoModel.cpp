#include "DemoModel.h"

#include "DemoEnergies.h"
#include "DemoRandom.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double twoPi = 6.28318530717958647692;

// Random streams of the maps; the images use the energy index instead.
enum MapStream : quint64 { BlobStream = 0x5a000001, FractionStream, ThicknessStream, ShiftStream,
                           BeamStream, DriftStream };

// A smooth field: a sum of Gaussian bumps in normalised coordinates (0 ... 1
// across the image), so that a seed gives the same picture at every size.
struct Bump {
    double cx, cy, sigma, amplitude;
};

double fieldAt(const std::vector<Bump>& bumps, double u, double v)
{
    double s = 0.0;
    for (const Bump& b : bumps) {
        const double du = u - b.cx, dv = v - b.cy;
        s += b.amplitude * std::exp(-(du * du + dv * dv) / (2.0 * b.sigma * b.sigma));
    }
    return s;
}

std::vector<Bump> randomBumps(DemoRandom& rng, int n, double sigmaLo, double sigmaHi, double ampLo, double ampHi)
{
    std::vector<Bump> bumps;
    for (int i = 0; i < n; ++i) {
        Bump b;
        b.cx = rng.uniform(0.15, 0.85);
        b.cy = rng.uniform(0.15, 0.85);
        b.sigma = rng.uniform(sigmaLo, sigmaHi);
        b.amplitude = rng.uniform(ampLo, ampHi);
        bumps.push_back(b);
    }
    return bumps;
}

quint16 toCount(double value)
{
    if (!(value > 0.0))
        return 0;
    return value >= 65535.0 ? quint16(65535) : quint16(value);
}

// Linear interpolation in a table sampled every `step` from `start`.
struct MuTable {
    double start = 0.0;
    double step = 0.01;
    std::vector<double> values;

    void fill(const DemoCompound& c, double from, double to)
    {
        start = from;
        const int n = int(std::ceil((to - from) / step)) + 2;
        values.resize(size_t(n));
        for (int j = 0; j < n; ++j)
            values[size_t(j)] = c.mu(from + j * step);
    }
    double at(double e) const
    {
        const double t = (e - start) / step;
        int j = int(t);
        j = std::clamp(j, 0, int(values.size()) - 2);
        const double w = t - j;
        return values[size_t(j)] + (values[size_t(j) + 1] - values[size_t(j)]) * w;
    }
};

} // namespace

DemoModel::DemoModel(const DemoConfig& config)
    : m_width(config.width), m_height(config.height), m_seed(config.seed),
      m_energies(demoEnergies(config.energies)), m_compounds(DemoCompound::ironSet(config.sharpEdge))
{
    if (m_width <= 0 || m_height <= 0 || m_width > DemoConfig::maxSize || m_height > DemoConfig::maxSize) {
        m_energies.clear();
        return;
    }
    makeSampleMaps();
    makeShiftMap();
    makeBeam();
    makeDrift();
}

// The sample: a rounded blob with a margin, three compounds mixed in smooth
// domains inside it, a smoothly varying thickness; nothing outside.
void DemoModel::makeSampleMaps()
{
    const size_t n = size_t(m_width) * size_t(m_height);
    for (auto& f : m_fraction)
        f.assign(n, 0.0f);
    m_thickness.assign(n, 0.0f);

    DemoRandom blob(DemoRandom::streamSeed(m_seed, BlobStream));
    const double cx = 0.5 + blob.uniform(-0.03, 0.03);
    const double cy = 0.5 + blob.uniform(-0.03, 0.03);
    const double radius = 0.34;
    const double a3 = blob.uniform(0.04, 0.08), p3 = blob.uniform(0.0, twoPi);
    const double a5 = blob.uniform(0.02, 0.05), p5 = blob.uniform(0.0, twoPi);

    DemoRandom frac(DemoRandom::streamSeed(m_seed, FractionStream));
    std::vector<Bump> domains[compoundCount];
    for (auto& d : domains)
        d = randomBumps(frac, 4, 0.08, 0.22, 0.6, 1.4);
    const double sharpness = 3.5;

    DemoRandom thick(DemoRandom::streamSeed(m_seed, ThicknessStream));
    const std::vector<Bump> relief = randomBumps(thick, 3, 0.15, 0.30, -1.0, 1.0);

    for (int y = 0; y < m_height; ++y) {
        const double v = (y + 0.5) / m_height;
        for (int x = 0; x < m_width; ++x) {
            const double u = (x + 0.5) / m_width;
            const double du = u - cx, dv = v - cy;
            const double theta = std::atan2(dv, du);
            const double edge = radius * (1.0 + a3 * std::sin(3.0 * theta + p3) + a5 * std::sin(5.0 * theta + p5));
            if (std::hypot(du, dv) >= edge)
                continue;
            const size_t i = size_t(y) * m_width + x;
            double w[compoundCount], sum = 0.0;
            for (int k = 0; k < compoundCount; ++k) {
                w[k] = std::exp(sharpness * fieldAt(domains[k], u, v));
                sum += w[k];
            }
            // Two fractions are rounded to float and the third takes the rest,
            // so that the stored fractions add up to 1 as closely as floats can.
            const float f0 = float(w[0] / sum), f1 = float(w[1] / sum);
            m_fraction[0][i] = f0;
            m_fraction[1][i] = f1;
            m_fraction[2][i] = std::max(0.0f, 1.0f - f0 - f1);
            m_thickness[i] = float(0.8 + 0.25 * std::tanh(1.5 * fieldAt(relief, u, v)));
        }
    }
}

// Energy shift of the imaging optics: a gentle quadratic polynomial over the
// field of view, mostly a gradient along x, scaled to a few eV at most.
void DemoModel::makeShiftMap()
{
    DemoRandom rng(DemoRandom::streamSeed(m_seed, ShiftStream));
    const double gx = (rng.uniform() < 0.5 ? -1.0 : 1.0) * rng.uniform(1.5, 3.0);
    const double gy = rng.uniform(-1.0, 1.0);
    const double cxx = rng.uniform(-1.0, 1.0), cxy = rng.uniform(-1.0, 1.0), cyy = rng.uniform(-1.0, 1.0);
    const double c0 = rng.uniform(-0.3, 0.3);
    auto poly = [&](double u, double v) {
        const double a = u - 0.5, b = v - 0.5;
        return c0 + gx * a + gy * b + cxx * a * a + cxy * a * b + cyy * b * b;
    };
    double extreme = 0.0;
    for (int j = 0; j <= 100; ++j)
        for (int i = 0; i <= 100; ++i)
            extreme = std::max(extreme, std::fabs(poly(i / 100.0, j / 100.0)));
    const double scale = rng.uniform(2.4, 3.0) / extreme;

    m_shift.assign(size_t(m_width) * size_t(m_height), 0.0f);
    m_maxAbsShift = 0.0;
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x) {
            const float s = float(scale * poly((x + 0.5) / m_width, (y + 0.5) / m_height));
            m_shift[size_t(y) * m_width + x] = s;
            m_maxAbsShift = std::max(m_maxAbsShift, double(std::fabs(s)));
        }
}

// Beam profile: a broad, slightly off-centre Gaussian with faint horizontal
// stripes as mirrors leave them; 1 at its peak.
void DemoModel::makeBeam()
{
    DemoRandom rng(DemoRandom::streamSeed(m_seed, BeamStream));
    const double bx = 0.5 + rng.uniform(-0.05, 0.05), by = 0.5 + rng.uniform(-0.05, 0.05);
    const double sx = rng.uniform(0.65, 0.8), sy = rng.uniform(0.55, 0.7);
    const double stripePhase = rng.uniform(0.0, twoPi);
    m_beam.assign(size_t(m_width) * size_t(m_height), 0.0f);
    for (int y = 0; y < m_height; ++y) {
        const double v = (y + 0.5) / m_height;
        const double stripes = 1.0 + 0.03 * std::sin(twoPi * 7.0 * v + stripePhase);
        for (int x = 0; x < m_width; ++x) {
            const double u = (x + 0.5) / m_width;
            const double g = std::exp(-0.5 * ((u - bx) * (u - bx) / (sx * sx) + (v - by) * (v - by) / (sy * sy)));
            m_beam[size_t(y) * m_width + x] = float(g * stripes / 1.03);
        }
    }
}

// Sample drift: a slow random walk of whole pixels, within +-maxDrift.
void DemoModel::makeDrift()
{
    DemoRandom rng(DemoRandom::streamSeed(m_seed, DriftStream));
    m_drift.assign(m_energies.size(), Drift());
    Drift d;
    for (size_t i = 1; i < m_drift.size(); ++i) {
        if (rng.uniform() < 0.15)
            d.dx = std::clamp(d.dx + (rng.uniform() < 0.5 ? -1 : 1), -maxDrift, maxDrift);
        if (rng.uniform() < 0.15)
            d.dy = std::clamp(d.dy + (rng.uniform() < 0.5 ? -1 : 1), -maxDrift, maxDrift);
        m_drift[i] = d;
    }
}

double DemoModel::matrixMu(double energy)
{
    const double r = demoE0 / energy;
    return 0.05 * r * r * r;
}

double DemoModel::decay(int energyIndex) const
{
    const int n = int(m_energies.size());
    return std::exp(-0.1 * double(energyIndex) / double(std::max(1, n - 1)));
}

double DemoModel::sampleMu(int x, int y, int energyIndex) const
{
    const double e = m_energies[size_t(energyIndex)] - m_shift[size_t(y) * m_width + x];
    double mu = matrixMu(m_energies[size_t(energyIndex)]);
    const int sx = x - m_drift[size_t(energyIndex)].dx;
    const int sy = y - m_drift[size_t(energyIndex)].dy;
    if (sx < 0 || sy < 0 || sx >= m_width || sy >= m_height)
        return mu;
    const size_t s = size_t(sy) * m_width + sx;
    for (int k = 0; k < compoundCount; ++k)
        mu += double(m_thickness[s]) * double(m_fraction[k][s]) * m_compounds[size_t(k)].mu(e);
    return mu;
}

double DemoModel::foilMu(int x, int y, int energyIndex) const
{
    const double e = m_energies[size_t(energyIndex)] - m_shift[size_t(y) * m_width + x];
    return foilThickness * m_compounds[0].mu(e);
}

double DemoModel::expectedI0(int x, int y, int energyIndex) const
{
    return i0PeakCounts * decay(energyIndex) * m_beam[size_t(y) * m_width + x];
}

void DemoModel::images(int energyIndex, bool noise, std::vector<quint16>* i0, std::vector<quint16>* i1,
                       std::vector<quint16>* cal) const
{
    const size_t n = size_t(m_width) * size_t(m_height);
    i0->resize(n);
    i1->resize(n);
    cal->resize(n);
    const double energy = m_energies[size_t(energyIndex)];
    const double matrix = matrixMu(energy);
    const double beamScale = i0PeakCounts * decay(energyIndex);
    const Drift drift = m_drift[size_t(energyIndex)];

    // Every pixel needs mu_k(E - dE) with |dE| <= maxAbsShift: a fine table
    // over that small range replaces the model's transcendental functions.
    MuTable tables[compoundCount];
    const double reach = m_maxAbsShift + 0.05;
    for (int k = 0; k < compoundCount; ++k)
        tables[k].fill(m_compounds[size_t(k)], energy - reach, energy + reach);

    DemoRandom rngI0(DemoRandom::streamSeed(m_seed, quint64(energyIndex), 1));
    DemoRandom rngI1(DemoRandom::streamSeed(m_seed, quint64(energyIndex), 2));
    DemoRandom rngCal(DemoRandom::streamSeed(m_seed, quint64(energyIndex), 3));
    auto count = [noise](DemoRandom& rng, double mean) {
        return toCount(noise ? double(rng.poisson(mean)) : std::round(mean));
    };

    for (int y = 0; y < m_height; ++y) {
        const int sy = y - drift.dy;
        const bool rowInside = sy >= 0 && sy < m_height;
        for (int x = 0; x < m_width; ++x) {
            const size_t i = size_t(y) * m_width + x;
            const double e = energy - m_shift[i];
            const double beam = beamScale * m_beam[i];
            double mu = matrix;
            const int sx = x - drift.dx;
            if (rowInside && sx >= 0 && sx < m_width) {
                const size_t s = size_t(sy) * m_width + sx;
                const double t = m_thickness[s];
                if (t > 0.0)
                    for (int k = 0; k < compoundCount; ++k)
                        mu += t * double(m_fraction[k][s]) * tables[k].at(e);
            }
            (*i0)[i] = count(rngI0, beam);
            (*i1)[i] = count(rngI1, beam * std::exp(-mu));
            (*cal)[i] = count(rngCal, beam * std::exp(-foilThickness * tables[0].at(e)));
        }
    }
}
