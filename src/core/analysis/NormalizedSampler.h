#pragma once

#include "grid/AreaMask.h"
#include "processing/EdgeNormalization.h"

#include <vector>

// The normalised spectrum (mu - post) / jump + 1 of a block on one energy
// grid shared by every block, for the analyses that compare blocks with each
// other (PCA, clusters): the block's points are normalised as an
// XafsSpectrum would be, their energies corrected by the block's shift
// (E - dE), and the values interpolated linearly at the grid energies (and
// extrapolated along the end segments, as Spectrum::valueAt does). One
// sampler per thread.
class NormalizedSampler
{
public:
    // `grid`: increasing energies (eV); `mask`: its threshold decides which
    // blocks take part (the mask is applied even when it is off, at that
    // threshold).
    NormalizedSampler(const std::vector<double>& grid, bool victoreen, const AreaMask& mask);

    // Writes grid().size() values to `out` for the n points (e[i], mu[i]).
    // False (nothing written) when the block has fewer than two points, an
    // edge jump below the threshold or not a number, or a value that is not
    // finite: such a block takes no part.
    bool sample(const double* e, const double* mu, int n, double dE, double* out);

    const std::vector<double>& grid() const { return m_grid; }
    int size() const { return int(m_grid.size()); }

private:
    std::vector<double> m_grid;
    bool m_victoreen;
    double m_threshold;
    EdgeNormalization m_norm;
    std::vector<double> m_x, m_y;
};
