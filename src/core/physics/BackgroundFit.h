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

// Fits the points i = 0 .. n-1 with eMin <= E < eMax, walking in order and
// stopping at the first point at or above eMax. `energy(i)` and `y(i)` read
// point i. The Victoreen normal equations are solved whatever the number of
// points, so fewer than three leave non-finite coefficients; the straight line
// takes the single point's level, or 0, when it has fewer than two.
template <class Energy, class Y>
Coefficients fit(Energy energy, Y y, int n, double eMin, double eMax, bool victoreen)
{
    Coefficients c;
    if (victoreen) {
        double cnt = 0, s3 = 0, s4 = 0, s6 = 0, s7 = 0, s8 = 0, sy = 0, s3y = 0, s4y = 0;
        for (int i = 0; i < n; ++i) {
            const double e = energy(i);
            if (e >= eMax)
                break;
            if (e < eMin)
                continue;
            const double l = PhysConst::hc / e;
            const double l3 = l * l * l;
            const double l4 = l3 * l;
            const double v = y(i);
            cnt += 1;
            s3 += l3;
            s4 += l4;
            s6 += l3 * l3;
            s7 += l3 * l4;
            s8 += l4 * l4;
            sy += v;
            s3y += l3 * v;
            s4y += l4 * v;
        }
        FixedLuSystem<3> sys;
        sys.a[0][0] = cnt;
        sys.a[0][1] = s3;
        sys.a[0][2] = s4;
        sys.a[1][0] = s3;
        sys.a[1][1] = s6;
        sys.a[1][2] = s7;
        sys.a[2][0] = s4;
        sys.a[2][1] = s7;
        sys.a[2][2] = s8;
        sys.b[0] = sy;
        sys.b[1] = s3y;
        sys.b[2] = s4y;
        double x[3];
        sys.solve(x);
        c.a0 = x[0];
        c.c3 = x[1];
        c.c4 = x[2];
        return c;
    }

    double cnt = 0, se = 0, se2 = 0, sy = 0, sey = 0, firstY = 0;
    for (int i = 0; i < n; ++i) {
        const double e = energy(i);
        if (e >= eMax)
            break;
        if (e < eMin)
            continue;
        const double v = y(i);
        if (cnt == 0)
            firstY = v;
        cnt += 1;
        se += e;
        se2 += e * e;
        sy += v;
        sey += e * v;
    }
    if (cnt >= 2) {
        FixedLuSystem<2> sys;
        sys.a[0][0] = se2;
        sys.a[0][1] = se;
        sys.a[1][0] = se;
        sys.a[1][1] = cnt;
        sys.b[0] = sey;
        sys.b[1] = sy;
        double x[2];
        sys.solve(x);
        c.slope = x[0];
        c.a0 = x[1];
    } else {
        c.a0 = cnt == 1 ? firstY : 0.0;
    }
    return c;
}

}
