#pragma once

#include "analysis/AnalysisSnapshots.h"
#include "analysis/Nnls.h"
#include "physics/LuSolver.h"
#include "processing/EdgeNormalization.h"
#include "processing/ReferenceWalk.h"

#include <QVector>
#include <vector>

// The LCF or MLCF fit of block after block against one set of reference rows,
// with the arithmetic of LinearCombinationFitter operation for operation (so
// the numbers are the same to the bit) but without its per-request set-up: the
// used rows, their common energy range and the reference spectra are prepared
// once in a Plan, the references are evaluated by walks that start where the
// previous block's walk ended, and no fitted curve is built. The sample comes
// as plain points; LCF normalises it with EdgeNormalization (the numbers of
// an XafsSpectrum built from the points), MLCF fits mu itself and needs no
// normalisation. One fitter per thread; fit() allocates nothing once the
// first block has been seen.
class BlockFitter
{
public:
    // What every block of a run shares. The reference rows must outlive it.
    struct Plan {
        bool mlcf = false;
        // Reference coefficients kept >= 0 (Nnls, as LinearCombinationFitter
        // with FitOptions::nonNegative).
        bool nonNegative = false;
        QVector<int> usedRows;             // indices of the used rows, in row order
        std::vector<double> offsets;       // offset of each used reference
        std::vector<ReferenceWalk> walks;  // its double-normalised pre-base (LCF) or post-base (MLCF)
        double lo = 0.0;                   // common energy range, both ends included
        double hi = 1e100;
        bool allWalk = true;               // every walk steps without a call (see ReferenceWalk)
        int used() const { return usedRows.size(); }
    };

    // False when a fit of these rows has no result at all (fewer than two rows).
    static bool makePlan(bool mlcf, const QVector<ReferenceSnapshot>& refs, Plan* plan, bool nonNegative = false);

    explicit BlockFitter(const Plan* plan) : m_plan(plan) {}

    // Fits the sample spectrum of the n points (e[i], mu[i]) with background
    // form `victoreen` and energy correction dE, as the engine fits the
    // XafsSpectrum built from them; amounts and fractions get one value per
    // used row; rFactor (may be null) gets the fit quality as
    // LinearCombinationFitter reports it. False (nothing written) when there
    // are no points.
    bool fit(const double* e, const double* mu, int n, bool victoreen, double dE, double* amounts,
             double* fractions, double* rFactor = nullptr);
    // The edge jump of the sample of the last LCF fit (MLCF does not
    // normalise the sample).
    double jump() const { return m_norm.jump(); }

private:
    void accumulate(const double* e, const double* mu, int n, double dE, int unknowns);
    // Sum of the squared targets of the points inside the range.
    double squaredTargets(const double* e, const double* mu, int n, double dE) const;

    const Plan* m_plan;
    EdgeNormalization m_norm;
    LuSystem m_system;
    Nnls m_nnls;
    std::vector<double> m_basis;
    std::vector<double> m_normal;  // the normal equations before solving
    std::vector<int> m_hints;  // per used row and sample point: where its walk ended
    int m_hintPoints = 0;
};
