#pragma once

// Turns the solved coefficients of a linear-combination fit into the shares
// reported per used reference. The interactive engine and the whole-area
// pipeline both call these, so their maps agree value for value.
namespace FitShares {

// LCF: the fractions are the coefficients; the amounts scale them by the
// sample's edge jump, taken as 0 when it is negative.
inline void lcf(const double* c, int used, double jump, double* fractions, double* amounts)
{
    const double j = jump > 0.0 ? jump : 0.0;
    for (int k = 0; k < used; ++k) {
        fractions[k] = c[k];
        amounts[k] = c[k] * j;
    }
}

// MLCF: c holds the constant and linear terms first, which are dropped. The
// sum keeps the negative coefficients; the fractions and amounts do not.
inline void mlcf(const double* c, int used, double* fractions, double* amounts)
{
    const double* coef = c + 2;
    double sum = 0.0;
    for (int k = 0; k < used; ++k)
        sum += coef[k];
    const double norm = sum > 0.0 ? sum : 0.0;
    for (int k = 0; k < used; ++k) {
        const double clamped = coef[k] < 0.0 ? 0.0 : coef[k];
        amounts[k] = clamped;
        fractions[k] = clamped / norm;
    }
}

// Fit quality of a least-squares fit with m unknowns, from its normal
// equations a c = y (a: the m x m matrix as summed, before solving) and the
// sum of the squared targets tt over the same points: the sum of squared
// residuals, tt - 2 c.y + c.a.c, divided by tt. NaN when tt is 0.
inline double rFactor(const double* a, const double* y, const double* c, int m, double tt)
{
    double cy = 0.0;
    double cac = 0.0;
    for (int k = 0; k < m; ++k) {
        cy += c[k] * y[k];
        double row = 0.0;
        for (int l = 0; l < m; ++l)
            row += a[k * m + l] * c[l];
        cac += c[k] * row;
    }
    return (tt - 2.0 * cy + cac) / tt;
}

// Sum of the fractions in used-row order.
inline double fractionSum(const double* fractions, int used)
{
    double sum = 0.0;
    for (int k = 0; k < used; ++k)
        sum += fractions[k];
    return sum;
}

}
