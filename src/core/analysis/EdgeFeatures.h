#pragma once

#include <limits>

// Where a block's absorption edge lies and how its white line looks, from
// its normalised spectrum: the edge energy E0 and the edge jump as the
// normalisation finds them, and the white line, the highest point of the
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

// The features of the n points (e[i], mu[i]) (raw energies, increasing)
// whose normalisation gave e0 and jump; postAt(E) is the post-edge line at
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
