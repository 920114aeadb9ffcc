#include "analysis/ElementCorrelation.h"

#include <cmath>

namespace ElementCorrelation {

bool compute(const QVector<CorrelationTerm>& terms, double& cor)
{
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    for (const CorrelationTerm& t : terms) {
        if (!t.use)
            continue;
        x += t.ratio * t.stdRatio;
        y += t.ratio * t.ratio;
        z += t.stdRatio * t.stdRatio;
    }
    if (!(y > 0.0 && z > 0.0))
        return false;
    cor = x / std::sqrt(y * z);
    return true;
}

}
