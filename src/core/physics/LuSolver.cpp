#include "physics/LuSolver.h"

#include <algorithm>
#include <cmath>

namespace LuSolver {

void solve(int n, double* a, double* b, int* perm, double* x)
{
    if (n <= 0)
        return;
    auto W = [a, n](int row, int col) -> double& { return a[row * n + col]; };

    for (int i = 0; i < n; ++i)
        perm[i] = i;

    // Decomposition: the multipliers are stored below the pivot positions,
    // the upper factor stays in place; rows are addressed through perm.
    for (int k = 0; k < n; ++k) {
        double best = -1e300;
        int bestPos = k;
        for (int m = k; m < n; ++m) {
            const double v = std::fabs(W(perm[m], k));
            if (v > best) {
                best = v;
                bestPos = m;
            }
        }
        std::swap(perm[k], perm[bestPos]);
        if (k == n - 1)
            break;
        const int pk = perm[k];
        const double p = W(pk, k);
        const double d = (p == 0.0) ? 1.0 : p;
        for (int m = k + 1; m < n; ++m) {
            const int pm = perm[m];
            const double f = W(pm, k) / d;
            W(pm, k) = f;
            for (int c = k + 1; c < n; ++c)
                W(pm, c) -= W(pk, c) * f;
        }
    }

    // Forward substitution with the unit lower factor (its diagonal is 1, so
    // there is nothing to divide by).
    for (int i = 0; i < n - 1; ++i) {
        const double zi = b[perm[i]];
        for (int j = i + 1; j < n; ++j)
            b[perm[j]] -= zi * W(perm[j], i);
    }

    // Back substitution with the upper factor, no guard on its diagonal.
    for (int i = n - 1; i >= 0; --i) {
        b[perm[i]] /= W(perm[i], i);
        const double si = b[perm[i]];
        for (int j = i - 1; j >= 0; --j)
            b[perm[j]] -= si * W(perm[j], i);
    }

    for (int k = 0; k < n; ++k)
        x[k] = b[perm[k]];
}

} // namespace LuSolver

void LuSystem::reset(int n)
{
    m_n = std::max(n, 0);
    const std::size_t nn = std::size_t(m_n) * std::size_t(m_n);
    if (m_a.size() < nn)
        m_a.resize(nn);
    if (m_b.size() < std::size_t(m_n)) {
        m_b.resize(std::size_t(m_n));
        m_x.resize(std::size_t(m_n));
        m_perm.resize(std::size_t(m_n));
    }
    std::fill(m_a.begin(), m_a.begin() + std::ptrdiff_t(nn), 0.0);
    std::fill(m_b.begin(), m_b.begin() + m_n, 0.0);
}

const double* LuSystem::solve()
{
    LuSolver::solve(m_n, m_a.data(), m_b.data(), m_perm.data(), m_x.data());
    return m_x.data();
}
