#include "DemoRandom.h"

#include <cmath>

namespace {

std::uint64_t splitMix(std::uint64_t x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

} // namespace

std::uint64_t DemoRandom::streamSeed(std::uint64_t seed, std::uint64_t a, std::uint64_t b)
{
    return splitMix(splitMix(splitMix(seed) ^ a) ^ (b * 0x632be59bd9b4e019ULL));
}

std::int64_t DemoRandom::poisson(double mean)
{
    if (!(mean > 0.0) || !std::isfinite(mean))
        return 0;
    return mean < 30.0 ? poissonSmall(mean) : poissonLarge(mean);
}

// Inversion by sequential search: exact, fast for small means.
std::int64_t DemoRandom::poissonSmall(double mean)
{
    double p = std::exp(-mean);
    double cumulative = p;
    const double u = uniform();
    std::int64_t k = 0;
    while (u > cumulative && k < 1000) {
        ++k;
        p *= mean / double(k);
        cumulative += p;
    }
    return k;
}

// Transformed rejection with squeeze (Hormann's PTRS): exact for means of 10
// and more, a few uniforms per sample.
std::int64_t DemoRandom::poissonLarge(double mean)
{
    const double sq = std::sqrt(mean);
    const double b = 0.931 + 2.53 * sq;
    const double a = -0.059 + 0.02483 * b;
    const double invAlpha = 1.1239 + 1.1328 / (b - 3.4);
    const double vr = 0.9277 - 3.6224 / (b - 2.0);
    for (;;) {
        const double u = uniform() - 0.5;
        const double v = uniform();
        const double us = 0.5 - std::fabs(u);
        const double kd = std::floor((2.0 * a / us + b) * u + mean + 0.43);
        if (us >= 0.07 && v <= vr)
            return std::int64_t(kd);
        if (kd < 0.0 || (us < 0.013 && v > us))
            continue;
        // The full test, needed for a small share of the samples only.
        if (std::log(v * invAlpha / (a / (us * us) + b)) <= -mean + kd * std::log(mean) - std::lgamma(kd + 1.0))
            return std::int64_t(kd);
    }
}
