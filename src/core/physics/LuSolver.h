#pragma once

#include <cstddef>
#include <vector>

// Solves small dense linear systems a·x = b by LU decomposition with partial
// pivoting through a row permutation; the background fits and the linear-
// combination fits share it.
//
// The elimination follows fixed rules so that every caller gets the same
// numbers: the pivot of column k is the not yet used row with the largest
// absolute value in that column, and on a tie the row that comes first in the
// permutation wins; a pivot of exactly 0 divides the multipliers by 1; the back
// substitution divides by the upper diagonal without any guard, so a singular
// system yields infinite or NaN unknowns instead of failing.
//
// The core routine works on caller-owned storage and never allocates.
// FixedLuSystem<N> keeps everything on the stack for a size known at compile
// time; LuSystem keeps heap storage that only grows, for sizes known at run time.
namespace LuSolver {

// Solves the n x n system in place. `a` is the row-major matrix (n*n values)
// and is overwritten by the factors; `b` is the right-hand side (n values) and
// is overwritten by the substitutions; `perm` is workspace for n row indices;
// the unknowns are written to `x` (n values, must not alias `b`).
// n <= 0 does nothing.
void solve(int n, double* a, double* b, int* perm, double* x);

} // namespace LuSolver

// A system of fixed size N held in plain arrays; fill a and b, then solve.
template <int N>
struct FixedLuSystem {
    static_assert(N > 0, "a system needs at least one unknown");
    double a[N][N] = {};
    double b[N] = {};

    // Writes the unknowns to x; a and b are consumed.
    void solve(double (&x)[N])
    {
        int perm[N];
        LuSolver::solve(N, &a[0][0], b, perm, x);
    }
};

// A system whose size is chosen at run time. reset() zeroes it and allocates
// only when the size grows beyond what was used before, so a caller that keeps
// one LuSystem across many solves does not allocate in its loop.
class LuSystem
{
public:
    void reset(int n);
    int size() const { return m_n; }
    double& a(int row, int col) { return m_a[std::size_t(row) * std::size_t(m_n) + std::size_t(col)]; }
    double& b(int row) { return m_b[std::size_t(row)]; }
    // Solves the system (consuming a and b) and returns the n unknowns, valid
    // until the next reset() or solve().
    const double* solve();

private:
    int m_n = 0;
    std::vector<double> m_a;
    std::vector<double> m_b;
    std::vector<double> m_x;
    std::vector<int> m_perm;
};
