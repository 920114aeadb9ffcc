#include "analysis/ElementCorrelation.h"

#include <algorithm>
#include <cmath>

namespace ElementCorrelation {

bool compute(const double* ratios, const double* standards, const bool* use, int n, double* cor)
{
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    for (int i = 0; i < n; ++i) {
        if (use && !use[i])
            continue;
        const double r = ratios[i];
        const double s = standards[i];
        x += r * s;
        y += r * r;
        z += s * s;
    }
    if (!(y > 0.0 && z > 0.0))
        return false;
    *cor = x / std::sqrt(y * z);
    return true;
}

bool compute(const QVector<double>& ratios, const QVector<double>& standards, const QVector<bool>& use,
             double* cor)
{
    const int n = std::min({ratios.size(), standards.size(), use.size()});
    return compute(ratios.constData(), standards.constData(), use.constData(), n, cor);
}

bool compute(const QVector<CorrelationTerm>& terms, double& cor)
{
    QVector<double> ratios, standards;
    QVector<bool> use;
    for (const CorrelationTerm& t : terms) {
        ratios.append(t.ratio);
        standards.append(t.stdRatio);
        use.append(t.use);
    }
    return compute(ratios, standards, use, &cor);
}

} // namespace ElementCorrelation
