#pragma once

#include <cstdint>
#include <random>

// Random numbers of the demo generator: a 64-bit Mersenne twister with our own
// uniform and Poisson samplers, so that a seed gives the same measurement with
// every standard library (the library's distributions are not portable).
class DemoRandom
{
public:
    explicit DemoRandom(std::uint64_t seed) : m_engine(seed) {}

    // A seed for an independent stream, derived from the run's seed and two
    // stream numbers (for example the energy index and the image kind).
    static std::uint64_t streamSeed(std::uint64_t seed, std::uint64_t a, std::uint64_t b = 0);

    // Uniform in [0, 1), 53 random bits.
    double uniform() { return double(m_engine() >> 11) * (1.0 / 9007199254740992.0); }
    // Uniform in [lo, hi).
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    // A Poisson-distributed count with mean `mean` (0 for a mean that is not
    // positive or not finite).
    std::int64_t poisson(double mean);

private:
    std::int64_t poissonSmall(double mean);
    std::int64_t poissonLarge(double mean);

    std::mt19937_64 m_engine;
};
