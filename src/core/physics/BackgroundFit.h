#pragma once

#include "physics/LuSolver.h"
#include "physics/PhysConst.h"

// The least-squares fits of a background line, over any point store: a
// spectrum's points, or plain arrays in a whole-area run. Both callers must
// agree to the last bit, so the arithmetic lives only here.
namespace BackgroundFit {

struct Coefficients {
    double a0 = 0.0;
    double c3 = 0.0;
    double c4 = 0.0;
    double slope = 0.0;
};

// a0 + c3·λ³ + c4·λ⁴ with λ = hc / e, or a0 + slope·e.
inline double value(const Coefficients& c, bool victoreen, double e)
{
    if (victoreen) {
        const double l = PhysConst::hc / e;
        const double l3 = l * l * l;
        return c.a0 + c.c3 * l3 + c.c4 * l3 * l;
    }
    return c.a0 + c.slope * e;
}

// The sums of the normal equations over a window's points, each summed from
// 0 in point order: the Victoreen ones (cnt, s3 ... s4y with l = hc / e) or
// the straight-line ones (cnt, se, se2, sy, sey and the first point's value).
struct Sums {
    double cnt = 0, s3 = 0, s4 = 0, s6 = 0, s7 = 0, s8 = 0, sy = 0, s3y = 0, s4y = 0;
    double se = 0, se2 = 0, sey = 0, firstY = 0;
};

// The coefficients from the sums. The Victoreen normal equations are solved
// whatever the number of points, so fewer than three leave non-finite
// coefficients; the straight line takes the single point's level, or 0, when
// it has fewer than two.
inline Coefficients solve(const Sums& s, bool victoreen)
{
    Coefficients c;
    if (victoreen) {
        FixedLuSystem<3> sys;
        sys.a[0][0] = s.cnt;
        sys.a[0][1] = s.s3;
        sys.a[0][2] = s.s4;
        sys.a[1][0] = s.s3;
        sys.a[1][1] = s.s6;
        sys.a[1][2] = s.s7;
        sys.a[2][0] = s.s4;
        sys.a[2][1] = s.s7;
        sys.a[2][2] = s.s8;
        sys.b[0] = s.sy;
        sys.b[1] = s.s3y;
        sys.b[2] = s.s4y;
        double x[3];
        sys.solve(x);
        c.a0 = x[0];
        c.c3 = x[1];
        c.c4 = x[2];
        return c;
    }
    if (s.cnt >= 2) {
        FixedLuSystem<2> sys;
        sys.a[0][0] = s.se2;
        sys.a[0][1] = s.se;
        sys.a[1][0] = s.se;
        sys.a[1][1] = s.cnt;
        sys.b[0] = s.sey;
        sys.b[1] = s.sy;
        double x[2];
        sys.solve(x);
        c.slope = x[0];
        c.a0 = x[1];
    } else {
        c.a0 = s.cnt == 1 ? s.firstY : 0.0;
    }
    return c;
}

// Fits the points i = 0 .. n-1 with eMin <= E < eMax, walking in order and
// stopping at the first point at or above eMax. `energy(i)` and `y(i)` read
// point i. See solve() for too few points.
template <class Energy, class Y>
Coefficients fit(Energy energy, Y y, int n, double eMin, double eMax, bool victoreen)
{
    Sums s;
    for (int i = 0; i < n; ++i) {
        const double e = energy(i);
        if (e >= eMax)
            break;
        if (e < eMin)
            continue;
        const double v = y(i);
        if (victoreen) {
            const double l = PhysConst::hc / e;
            const double l3 = l * l * l;
            const double l4 = l3 * l;
            s.cnt += 1;
            s.s3 += l3;
            s.s4 += l4;
            s.s6 += l3 * l3;
            s.s7 += l3 * l4;
            s.s8 += l4 * l4;
            s.sy += v;
            s.s3y += l3 * v;
            s.s4y += l4 * v;
        } else {
            if (s.cnt == 0)
                s.firstY = v;
            s.cnt += 1;
            s.se += e;
            s.se2 += e * e;
            s.sy += v;
            s.sey += e * v;
        }
    }
    return solve(s, victoreen);
}

}
