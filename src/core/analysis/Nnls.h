#pragma once

#include <vector>

// Least squares with non-negative unknowns (the active-set method of Lawson
// and Hanson), worked on the normal equations g c = y of the fit (g = A^T A,
// y = A^T b) that the linear-combination fitters already sum. The first
// `free` unknowns may take any sign (MLCF's constant and linear terms); the
// others are kept >= 0. Each subproblem on the passive set is solved with the
// shared LU solver, so the point-by-point fitter and the whole-area fitter,
// which hand over the same sums, get the same numbers.
//
// A problem whose sums are not all finite has no answer: every unknown is NaN.
// One solver per thread; it allocates only when the size grows.
class Nnls
{
public:
    // Solves for m unknowns; g is row-major m x m, y has m values. Returns the
    // m unknowns, valid until the next solve().
    const double* solve(const double* g, const double* y, int m, int free = 0);
    // Passive-set changes of the last solve (for tests and diagnostics).
    int steps() const { return m_steps; }

private:
    // z = the solution on the passive set (0 elsewhere); false when it is not finite.
    bool solvePassive(const double* g, const double* y, int m);

    std::vector<double> m_x, m_z, m_w, m_a, m_b, m_s;
    std::vector<int> m_perm, m_index;
    std::vector<char> m_passive;
    int m_steps = 0;
};
