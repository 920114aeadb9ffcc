#include "analysis/Nnls.h"

#include "physics/LuSolver.h"

#include <algorithm>
#include <cmath>
#include <limits>

bool Nnls::solvePassive(const double* g, const double* y, int m)
{
    int np = 0;
    for (int j = 0; j < m; ++j)
        if (m_passive[std::size_t(j)])
            m_index[std::size_t(np++)] = j;
    for (int r = 0; r < np; ++r) {
        const int jr = m_index[std::size_t(r)];
        for (int c = 0; c < np; ++c)
            m_a[std::size_t(r * np + c)] = g[jr * m + m_index[std::size_t(c)]];
        m_b[std::size_t(r)] = y[jr];
    }
    LuSolver::solve(np, m_a.data(), m_b.data(), m_perm.data(), m_s.data());
    std::fill(m_z.begin(), m_z.begin() + m, 0.0);
    bool finite = true;
    for (int r = 0; r < np; ++r) {
        const double v = m_s[std::size_t(r)];
        finite = finite && std::isfinite(v);
        m_z[std::size_t(m_index[std::size_t(r)])] = v;
    }
    return finite;
}

const double* Nnls::solve(const double* g, const double* y, int m, int free)
{
    m_steps = 0;
    if (m <= 0)
        return m_x.data();
    const std::size_t n = std::size_t(m);
    if (m_x.size() < n) {
        m_x.resize(n);
        m_z.resize(n);
        m_w.resize(n);
        m_b.resize(n);
        m_s.resize(n);
        m_perm.resize(n);
        m_index.resize(n);
        m_passive.resize(n);
        m_a.resize(n * n);
    }
    free = std::clamp(free, 0, m);
    double scale = 0.0;
    for (int k = 0; k < m; ++k) {
        bool finite = std::isfinite(y[k]);
        for (int l = 0; l < m && finite; ++l)
            finite = std::isfinite(g[k * m + l]);
        if (!finite) {
            std::fill(m_x.begin(), m_x.begin() + m, std::numeric_limits<double>::quiet_NaN());
            return m_x.data();
        }
        scale = std::max(scale, std::fabs(y[k]));
    }
    // A gradient entry this small cannot lower the residual in doubles.
    const double tol = 1e-13 * scale;

    double* x = m_x.data();
    std::fill(x, x + m, 0.0);
    for (int j = 0; j < m; ++j)
        m_passive[std::size_t(j)] = j < free;
    if (free > 0) {
        if (!solvePassive(g, y, m)) {
            std::fill(x, x + m, std::numeric_limits<double>::quiet_NaN());
            return x;
        }
        std::copy(m_z.begin(), m_z.begin() + m, x);
    }

    // Each outer step adds the constrained unknown whose gradient most wants
    // to grow; the inner loop moves back toward the feasible region when the
    // passive-set solution leaves it. The cap only guards against rounding
    // cycles: the method ends in far fewer steps.
    const int maxSteps = 3 * m + 10;
    while (m_steps < maxSteps) {
        int t = -1;
        double best = tol;
        for (int j = free; j < m; ++j) {
            if (m_passive[std::size_t(j)])
                continue;
            double w = y[j];
            for (int l = 0; l < m; ++l)
                w -= g[j * m + l] * x[l];
            if (w > best) {
                best = w;
                t = j;
            }
        }
        if (t < 0)
            break;
        m_passive[std::size_t(t)] = 1;
        ++m_steps;
        bool added = true;
        while (m_steps < maxSteps) {
            const bool finite = solvePassive(g, y, m);
            // The unknown just added must come out positive; when rounding (or
            // a column that adds nothing) says otherwise, it stays at 0.
            if (!finite || (added && m_z[std::size_t(t)] <= 0.0)) {
                m_passive[std::size_t(t)] = 0;
                t = -1;
                break;
            }
            added = false;
            double alpha = 2.0;
            for (int j = free; j < m; ++j) {
                if (!m_passive[std::size_t(j)] || m_z[std::size_t(j)] > 0.0)
                    continue;
                alpha = std::min(alpha, x[j] / (x[j] - m_z[std::size_t(j)]));
            }
            if (alpha > 1.0) {
                std::copy(m_z.begin(), m_z.begin() + m, x);
                break;
            }
            for (int j = 0; j < m; ++j)
                x[j] += alpha * (m_z[std::size_t(j)] - x[j]);
            for (int j = free; j < m; ++j) {
                if (m_passive[std::size_t(j)] && x[j] <= 0.0) {
                    m_passive[std::size_t(j)] = 0;
                    x[j] = 0.0;
                }
            }
            ++m_steps;
        }
        if (t < 0)
            break;
    }
    return x;
}
