#pragma once

#include <QVector>

// The correlation of the element rows' dmut ratios with their standard ratios:
// over the rows in use, X = sum r s, Y = sum r^2 and Z = sum s^2 (r: a row's
// ratio, s: its standard ratio), summed in row order; the correlation is
// X / sqrt(Y Z). It can be computed only when Y > 0 and Z > 0. The analyzer
// window (after one spectrum, and point by point for its correlation maps)
// and the whole-area element run all take it from here.
// One element row's part in the correlation, as the analyzer window reads it.
struct CorrelationTerm {
    bool use = false;        // the row's Use box
    double ratio = 0.0;      // its last dmut ratio
    double stdRatio = 0.0;   // its standard ratio
};

namespace ElementCorrelation {

// Rows 0 ... n - 1; `use` may be null (every row in use). False, with *cor
// unchanged, when it cannot be computed.
bool compute(const double* ratios, const double* standards, const bool* use, int n, double* cor);

// The same for vectors; rows beyond the shortest vector are left out.
bool compute(const QVector<double>& ratios, const QVector<double>& standards, const QVector<bool>& use,
             double* cor);

// The same for the rows as the window holds them; `cor` untouched when false.
bool compute(const QVector<CorrelationTerm>& terms, double& cor);

// The value a correlation-threshold map records: cor, or 0 when the
// threshold is greater than cor.
inline double thresholded(double cor, double threshold)
{
    return threshold > cor ? 0.0 : cor;
}

} // namespace ElementCorrelation
