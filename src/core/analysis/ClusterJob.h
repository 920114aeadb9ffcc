#pragma once

#include "analysis/AreaRunInput.h"
#include "analysis/KMeans.h"
#include "analysis/NormalizedBands.h"
#include "analysis/PcaJob.h"
#include "base/SlicedJob.h"

#include <QString>
#include <memory>
#include <vector>

class Analyzed2DRes;

// The clusters of an area and the mean normalised spectrum of each.
struct ClusterResult {
    KMeansResult kmeans;
    std::vector<double> energies;  // the PCA's energy grid
    std::vector<double> means;     // k x energies.size(), cluster c at c * size
    quint64 seed = 0;
    int components = 0;            // PCA scores the clusters were made from

    int count() const { return kmeans.k; }
    bool isValid() const { return kmeans.k > 0 && !means.empty(); }
    const double* mean(int c) const { return means.data() + std::size_t(c) * energies.size(); }
};

struct ClusterSetup {
    int k = 3;
    quint64 seed = 1;
    // The cluster map (set up with the PCA's grid by the caller): each block
    // that took part in the PCA gets its cluster number, the others NaN.
    Analyzed2DRes* map = nullptr;
};

// k-means on the PCA scores of an area (slice 0, recorded into the cluster
// map), then the sums of the normalised spectra of each cluster's blocks in
// grid order, for their mean spectra: from the spectra the PCA kept, or in
// one pass over the bands. The input must be the one the PCA ran on (same
// series, grid and shifts).
class ClusterJob : public SlicedJob
{
public:
    ClusterJob(const AreaRunInput& input, std::shared_ptr<const PcaResult> pca, const ClusterSetup& setup);

    // Why the clusters cannot be made from this PCA and input; empty when they can.
    static QString refusal(const AreaRunInput& input, const PcaResult* pca);

    int sliceCount() const override { return 1 + (m_pca->hasSpectra() ? 0 : m_bands.bandCount()); }
    qint64 totalItems() const override { return m_pca->memberCount() + (m_pca->hasSpectra() ? 0 : m_bands.blocks()); }
    qint64 runSlice(int index, const std::atomic<bool>& stop) override;
    void deliverSlice(int index) override;
    void finish(bool stopped) override;

    // Once finished: the clusters (invalid when stopped or out of memory).
    std::shared_ptr<const ClusterResult> result() const { return m_result; }

private:
    void addToSums(qint64 member, const double* spectrum);

    std::shared_ptr<const PcaResult> m_pca;
    ClusterSetup m_setup;
    NormalizedBands m_bands;
    std::shared_ptr<ClusterResult> m_result;
    std::vector<double> m_sums;
    qint64 m_nextMember = 0;
    bool m_failed = false;
    bool m_finished = false;
};
