#pragma once

#include "analysis/AnalysisSnapshots.h"
#include "analysis/Nnls.h"
#include "analysis/SpectrumCursor.h"
#include "physics/LuSolver.h"
#include "physics/XafsSpectrum.h"

#include <QVector>
#include <optional>
#include <vector>

// What a fit request computes besides the fractions.
struct FitOptions {
    // Build the fitted curve; a 2D run that never shows it skips it.
    bool curve = true;
    // The curve uses the fresh fractions as the rows' current coefficients
    // (the rows are about to show them); when false, the coefficients of the
    // snapshots, i.e. the ones the rows showed last.
    bool freshCoefficients = true;
    // Keep the reference coefficients >= 0 (Nnls; MLCF's constant and linear
    // terms stay free) instead of the unconstrained solution.
    bool nonNegative = false;
};

// The outcome of one LCF or MLCF fit.
struct FitResult {
    // Indices into the reference rows of the rows used, in row order.
    QVector<int> usedRows;
    // Per used row: LCF coefficient; MLCF clamped coefficient divided by the
    // sum of the unclamped ones (max(0, sum)).
    QVector<double> fractions;
    // Per used row: LCF fraction times max(0, jump); MLCF clamped coefficient.
    QVector<double> amounts;
    // Per used row: the current coefficient after the fit, as the curve used it.
    QVector<double> coefficients;
    // Sum of squared residuals over sum of squared targets, over the points
    // the fit uses (FitShares::rFactor); NaN when the targets are all 0.
    double rFactor = 0.0;
    // Common energy range of the used references; sample points whose
    // corrected energy lies inside it (both ends included) enter the fit.
    double lo = 0.0;
    double hi = 1e100;
    // The fitted curve over the sample points inside the range, when asked for.
    bool hasCurve = false;
    XafsSpectrum curve;
};

// Linear-combination fits of a sample spectrum by reference spectra:
// LCF fits the sample's double-normalised pre-base spectrum by the references'
// ones; MLCF fits the sample's mu by a constant, a term linear in energy and
// the references' double-normalised post-base spectra.
//
// One fitter keeps its solver and scratch storage between fits, so a fit that
// reuses a FitResult allocates nothing once its storage has grown: the sample
// points inside the range are collected once, each reference is walked along
// their energies by SpectrumCursor into a column, and the normal sums run over
// the points in order (fixed-size accumulators for up to eight unknowns).
class LinearCombinationFitter
{
public:
    enum Method { LCF, MLCF };

    // Fits `sample` by the used rows of `refs` and fills `out` (its vectors are
    // refilled in place). False, with `out` untouched, when the request has no
    // result: the sample has no points or there are fewer than two rows in all.
    bool fit(Method method, const XafsSpectrum& sample, const QVector<ReferenceSnapshot>& refs,
             const FitOptions& options, FitResult& out);

private:
    // Corrected energies and targets of the sample points inside [lo, hi];
    // returns their number.
    int collectPoints(Method method, const XafsSpectrum& sample, double lo, double hi);
    // Fills the basis columns and the normal equations of `unknowns` unknowns.
    void accumulate(Method method, int count, int unknowns);
    void buildCurve(const QVector<ReferenceSnapshot>& refs, int count, FitResult& out);

    LuSystem m_system;
    Nnls m_nnls;
    std::vector<SpectrumCursor> m_cursors;
    std::vector<double> m_offsets;
    // Per sample point inside the range: corrected energy, fit target, and one
    // column per basis function (grown, never shrunk).
    std::vector<double> m_xs;
    std::vector<double> m_targets;
    std::vector<double> m_columns;
    // The normal equations as summed, kept for the fit quality.
    std::vector<double> m_normal;
};

// One-shot forms of LinearCombinationFitter::fit; empty when there is no result.
std::optional<FitResult> fitLCF(const XafsSpectrum& sample, const QVector<ReferenceSnapshot>& refs,
                                const FitOptions& options = FitOptions());
std::optional<FitResult> fitMLCF(const XafsSpectrum& sample, const QVector<ReferenceSnapshot>& refs,
                                 const FitOptions& options = FitOptions());
