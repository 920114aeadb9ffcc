#pragma once

#include <limits>

// Where a block's absorption edge lies and how its white line looks, from
// its normalised spectrum: the edge energy E0 (edgeEnergy() below), the edge
// jump as the normalisation finds it, and the white line, the highest point of the
// normalised spectrum (mu - post) / jump + 1 within [E0, E0 + W], refined by
// the parabola through it and its two neighbours. Energies are reported
// corrected by the block's energy shift dE (E - dE). A spectrum without an
// edge (no midline crossing, so E0 = 0) or without points gives NaN
// everywhere; a white-line window without points gives NaN for the white line.
struct EdgeFeatures {
    static constexpr double none = std::numeric_limits<double>::quiet_NaN();
    enum Map { E0, Jump, WhiteLineEnergy, WhiteLineHeight, MapCount };

    double e0 = none;
    double jump = none;
    double whiteLineEnergy = none;
    double whiteLineHeight = none;

    double value(int map) const
    {
        return map == E0 ? e0 : map == Jump ? jump : map == WhiteLineEnergy ? whiteLineEnergy : whiteLineHeight;
    }
    static EdgeFeatures masked() { return EdgeFeatures(); }
};

namespace EdgeRules {

// Default width W of the white-line window, eV above E0.
constexpr double defaultWindow = 30.0;

// The top of the parabola through (x[0], y[0]), (x[1], y[1]), (x[2], y[2]),
// x increasing: true, with its vertex, when y[1] is at least as high as both
// neighbours and the parabola opens downward (the vertex then lies between
// x[0] and x[2]); false otherwise.
bool parabolaTop(const double x[3], const double y[3], double* xTop, double* yTop);

// The map's edge energy: the normalisation's half-height point (the mean of
// the crossings of the midline between the two background lines, searched
// between the points strictly inside (lo, hi), the gap between the two fit
// windows) found on the spectrum smoothed over three points, each inner point
// the mean of itself and its two neighbours, the end points as they are. The
// single noisy points on either side of the crossing place it otherwise:
// on the demo's counting noise this takes the rms error of E0 from 0.19 to
// 0.15 eV, most of it where a mixture's edge rises slowly at half height.
// midAt(i): the midline (pre + (post - pre) / 2) at point i. 0 without a
// crossing, as the normalisation's e0.
template <class MidAt>
double edgeEnergy(const double* e, const double* mu, int n, double lo, double hi, MidAt midAt)
{
    auto smoothed = [&](int i) { return i > 0 && i + 1 < n ? (mu[i - 1] + mu[i] + mu[i + 1]) / 3.0 : mu[i]; };
    double sum = 0.0;
    int found = 0;
    for (int i = 0; i + 1 < n; ++i) {
        const double x = e[i];
        if (!(lo < x && x < hi))
            continue;
        // Both ends against the midline at their own energy: a crossing
        // between the midline's values at the two ends is not lost.
        const double d0 = smoothed(i) - midAt(i), d1 = smoothed(i + 1) - midAt(i + 1);
        if (d0 * d1 <= 0.0) {
            sum += d0 == d1 ? (x + e[i + 1]) / 2.0 : x + d0 / (d0 - d1) * (e[i + 1] - x);
            ++found;
        }
    }
    return found > 0 ? sum / found : 0.0;
}

// The features of the n points (e[i], mu[i]) (raw energies, increasing)
// with edge energy e0 (0: no edge) and the normalisation's jump; postAt(E) is the post-edge line at
// raw energy E. dE: the block's energy shift; window: W.
template <class PostAt>
EdgeFeatures features(const double* e, const double* mu, int n, double e0, double jump, double dE, double window,
                      PostAt postAt)
{
    EdgeFeatures f;
    if (n <= 0 || e0 == 0.0)
        return f;
    f.e0 = e0 - dE;
    f.jump = jump;
    auto normalized = [&](int i) { return (mu[i] - postAt(e[i])) / jump + 1.0; };
    int top = -1;
    double topValue = 0.0;
    const double hi = e0 + window;
    for (int i = 0; i < n && e[i] <= hi; ++i) {
        if (e[i] < e0)
            continue;
        const double v = normalized(i);
        if (top < 0 || v > topValue) {
            top = i;
            topValue = v;
        }
    }
    if (top < 0 || !(topValue == topValue))
        return f;
    f.whiteLineEnergy = e[top] - dE;
    f.whiteLineHeight = topValue;
    if (top > 0 && top + 1 < n) {
        const double x[3] = {e[top - 1], e[top], e[top + 1]};
        const double y[3] = {normalized(top - 1), topValue, normalized(top + 1)};
        double xt, yt;
        if (parabolaTop(x, y, &xt, &yt)) {
            f.whiteLineEnergy = xt - dE;
            f.whiteLineHeight = yt;
        }
    }
    return f;
}

}
