#include "analysis/NormalizedSampler.h"

#include <cmath>

NormalizedSampler::NormalizedSampler(const std::vector<double>& grid, bool victoreen, const AreaMask& mask)
    : m_grid(grid), m_victoreen(victoreen), m_threshold(mask.threshold)
{
}

bool NormalizedSampler::sample(const double* e, const double* mu, int n, double dE, double* out)
{
    if (n < 2)
        return false;
    m_norm.compute(e, mu, n, m_victoreen);
    const double jump = m_norm.jump();
    if (!(jump >= m_threshold) || !std::isfinite(jump) || jump == 0.0 || m_norm.e0() == 0.0)
        return false;
    m_x.resize(std::size_t(n));
    m_y.resize(std::size_t(n));
    for (int i = 0; i < n; ++i) {
        m_x[std::size_t(i)] = e[i] - dE;
        m_y[std::size_t(i)] = (mu[i] - m_norm.postValueAt(e[i])) / jump + 1.0;
    }
    // Both energy lists increase: one walk along the block's points.
    const double* x = m_x.data();
    const double* y = m_y.data();
    int j = 0;
    bool finite = true;
    for (std::size_t k = 0; k < m_grid.size(); ++k) {
        const double g = m_grid[k];
        while (j + 2 < n && x[j + 1] < g)
            ++j;
        const double x1 = x[j], x2 = x[j + 1];
        const double v = x1 == x2 ? (y[j] + y[j + 1]) / 2.0 : y[j] + (y[j + 1] - y[j]) / (x2 - x1) * (g - x1);
        finite = finite && std::isfinite(v);
        out[k] = v;
    }
    return finite;
}
