#pragma once

#include "analysis/BlockFitter.h"
#include "processing/LaneNormalization.h"

#include <vector>

// BlockFitter for the spectra of several blocks at once that share their
// energies (a tile of BlockSpectra), each with its own energy shift: every
// lane gets, to the bit, what BlockFitter::fit gives its spectrum alone. LCF
// normalises the lanes side by side (LaneNormalization); the normal sums of
// all lanes are summed on SIMD vectors, point by point. The references are
// evaluated without gathers: the segment is found once, by walking, for the
// lane with the lowest energy, and every other lane lies in that segment or
// the next (shifts of neighbouring blocks differ by much less than a
// reference's spacing); a point where some lane lies further goes lane by
// lane through the walk. Solving and the shares go lane by lane. One per
// thread; fit() allocates nothing once the first tile has been seen.
class LaneFitter
{
public:
    static constexpr int lanes = LaneNormalization::lanes;

    // Where the results of one lane go, as BlockFitter::fit's arguments.
    struct Out {
        double* amounts = nullptr;
        double* fractions = nullptr;
        double* rFactor = nullptr;   // may be null
    };

    explicit LaneFitter(const BlockFitter::Plan* plan) : m_plan(plan) {}

    // Whether tiles of this plan can be fitted side by side: one to eight
    // unknowns, every reference walks (BlockFitter's call-free path) and its
    // first and last segments span some energy, so that extrapolating is
    // the segment's own line.
    static bool suits(const BlockFitter::Plan& plan);

    // Fits the lanes' spectra of n > 0 points, energies e[i] (no NaN) shared,
    // values mu[i * lanes + l], each lane with background form `victoreen`
    // and its energy correction dE[l] (no NaN); out[l] takes lane l's results.
    void fit(const double* e, const double* mu, int n, bool victoreen, const double* dE, const Out* out);
    // The edge jump of each lane of the last LCF fit.
    double jump(int lane) const { return m_norm.jump(lane); }

    // What the vector code reads and fills.
    struct Work {
        const double* e = nullptr;
        const double* target = nullptr;   // mu (MLCF) or its double-normalised pre-base (LCF)
        int n = 0;
        const double* dE = nullptr;
        double lo = 0.0;
        double hi = 0.0;
        bool mlcf = false;
        int unknowns = 0;
        const ReferenceWalk::View* walks = nullptr;
        const double* offsets = nullptr;
        int* hints = nullptr;   // per point and reference: where the lowest lane's walk ended
        double* a = nullptr;    // per lane: the normal matrix (unknowns^2), summed upper triangle mirrored
        double* y = nullptr;    // per lane: the right-hand side
        double* tt = nullptr;   // per lane: the sum of the squared targets
    };

private:
    const BlockFitter::Plan* m_plan;
    LaneNormalization m_norm;
    std::vector<ReferenceWalk::View> m_walks;
    std::vector<int> m_hints;
    int m_hintPoints = 0;
    std::vector<double> m_a, m_y, m_tt, m_normal;
    std::vector<int> m_perm;
    std::vector<double> m_c;
};
