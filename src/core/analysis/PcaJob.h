#pragma once

#include "analysis/AreaRunInput.h"
#include "analysis/NormalizedBands.h"
#include "analysis/PcaModel.h"
#include "base/SlicedJob.h"
#include "grid/BlockGrid.h"

#include <QVector>
#include <memory>
#include <vector>

class Analyzed2DRes;

// A principal component analysis of an area: the model, and the blocks that
// took part with their scores, which the clusters are made from.
struct PcaResult {
    ScanGrid grid;
    BlockGrid blocks;              // the block grid the indices below refer to
    std::vector<double> energies;  // the energy grid of the spectra
    PcaModel model;
    // Grid indices of the blocks that took part, in grid order, and their
    // model.count() scores each.
    std::vector<qint64> members;
    std::vector<double> scores;
    // Their normalised spectra (energies.size() values each), kept when they
    // fit in half the run's memory budget; empty otherwise (a later pass
    // computes them again, to the same values).
    std::vector<double> spectra;

    bool isValid() const { return model.isValid(); }
    qint64 memberCount() const { return qint64(members.size()); }
    const double* scoresOf(qint64 m) const { return scores.data() + m * model.count(); }
    bool hasSpectra() const { return !spectra.empty(); }
    const double* spectrumOf(qint64 m) const { return spectra.data() + m * qint64(energies.size()); }
};

struct PcaSetup {
    int components = 3;
    // Score maps of the first components (set up with the run's grid by the
    // caller; null entries and maps beyond the model's count are skipped).
    QVector<Analyzed2DRes*> scoreMaps;
};

// PCA of the normalised spectra of the blocks inside the sample
// (NormalizedBands: energy shifts applied, edge-jump mask at the input's
// threshold even when the mask is off) in two passes over the bands: the
// first sums the covariance (and keeps the spectra when the budget allows),
// the model follows, the second projects every block onto the first
// components and records the score maps (NaN for the blocks that took no
// part). Runs repeat exactly: every sum is taken in grid order.
class PcaJob : public SlicedJob
{
public:
    PcaJob(const AreaRunInput& input, const PcaSetup& setup);

    int sliceCount() const override { return 2 * m_bands.bandCount(); }
    qint64 totalItems() const override { return 2 * m_bands.blocks(); }
    qint64 runSlice(int index, const std::atomic<bool>& stop) override;
    void deliverSlice(int index) override;
    void finish(bool stopped) override;

    // Once finished: the result (invalid when fewer than two blocks took
    // part or a band could not be computed).
    std::shared_ptr<const PcaResult> result() const { return m_result; }
    bool memoryFailed() const { return m_memoryFailed; }
    qint64 workingBytes() const { return m_bands.workingBytes(); }

private:
    // The spectra of the members of band `band`: from the kept spectra, or
    // computed again (false when that fails).
    bool bandSpectra(int band, const std::atomic<bool>& stop, qint64* firstMember, qint64* members,
                     const double** rows);
    void record(int band);

    PcaSetup m_setup;
    int m_halfWidth = 0;
    int m_halfHeight = 0;
    NormalizedBands m_bands;
    CovarianceSums m_sums;
    std::shared_ptr<PcaResult> m_result;
    // Members of the band of the last pass-2 slice.
    qint64 m_bandFirstMember = 0;
    qint64 m_bandMembers = 0;
    std::vector<double> m_rows;
    qint64 m_keepLimit = 0;
    bool m_keep = true;
    bool m_memoryFailed = false;
    bool m_finished = false;
};
