#pragma once

#include <QVector>

// One element row's part in the correlation with the standard.
struct CorrelationTerm {
    bool use = false;        // the row's Use box
    double ratio = 0.0;      // its last dmut ratio
    double stdRatio = 0.0;   // its standard ratio
};

namespace ElementCorrelation {

// The cosine between the ratios and the standard ratios of the rows in use:
// X / sqrt(Y Z) with X = sum r s, Y = sum r^2, Z = sum s^2. False (and `cor`
// untouched) unless Y > 0 and Z > 0.
bool compute(const QVector<CorrelationTerm>& terms, double& cor);

}
