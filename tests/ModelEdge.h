#pragma once

#include <cmath>

// The absorption of a model iron K edge, shared by tests and benchmarks:
// Victoreen-shaped pre- and post-edge backgrounds, an arctan step at `edge`,
// an optional white line and a damped post-edge oscillation.
struct ModelEdge {
    double edge = 7112.0;
    double period = 15.0;      // eV per radian of the oscillation
    double whiteLine = 0.0;    // height of the peak 6 eV above the edge
    double wiggle = 0.04;      // oscillation amplitude, as a fraction of the step
    double wiggleFrom = 15.0;  // the oscillation starts this far above the edge
    double decay = 400.0;      // eV

    static double pre(double e)
    {
        const double l = 12398.424360387684 / e;
        return 0.21 + 0.052 * l * l * l - 0.0041 * l * l * l * l;
    }
    static double post(double e)
    {
        const double l = 12398.424360387684 / e;
        return 1.48 - 0.018 * l * l * l + 0.0011 * l * l * l * l;
    }
    double mu(double e) const
    {
        const double rise = 0.5 + std::atan((e - edge) / 3.0) / 3.141592653589793;
        const double peak = whiteLine * std::exp(-(e - edge - 6.0) * (e - edge - 6.0) / 30.0);
        const double osc =
            e > edge + wiggleFrom ? wiggle * std::sin((e - edge) / period) * std::exp(-(e - edge) / decay) : 0.0;
        return pre(e) + (post(e) - pre(e)) * (rise + peak + osc);
    }
};

// The energies of a 200-point scan: coarse below the edge region, 1 eV
// through it, coarse above.
template <class Add>
void scan200(double shift, Add add)
{
    for (int i = 0; i < 50; ++i)
        add(6912.0 + shift + 3.6 * i);
    for (int i = 0; i < 100; ++i)
        add(7092.0 + shift + i);
    for (int i = 0; i < 50; ++i)
        add(7192.0 + shift + 18.2 * i);
}
