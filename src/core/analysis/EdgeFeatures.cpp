#include "analysis/EdgeFeatures.h"

namespace EdgeRules {

bool parabolaTop(const double x[3], const double y[3], double* xTop, double* yTop)
{
    if (!(y[1] >= y[0] && y[1] >= y[2]) || !(x[0] < x[1] && x[1] < x[2]))
        return false;
    // Newton form p(x) = y0 + d1 (x - x0) + a (x - x0)(x - x1).
    const double d1 = (y[1] - y[0]) / (x[1] - x[0]);
    const double d2 = (y[2] - y[1]) / (x[2] - x[1]);
    const double a = (d2 - d1) / (x[2] - x[0]);
    if (!(a < 0.0))
        return false;
    const double xv = 0.5 * (x[0] + x[1]) - d1 / (2.0 * a);
    *xTop = xv;
    *yTop = y[0] + d1 * (xv - x[0]) + a * (xv - x[0]) * (xv - x[1]);
    return true;
}

}
