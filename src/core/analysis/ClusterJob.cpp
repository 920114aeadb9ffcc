#include "analysis/ClusterJob.h"

#include "grid/Analyzed2DRes.h"

#include <QDebug>
#include <limits>

ClusterJob::ClusterJob(const AreaRunInput& input, std::shared_ptr<const PcaResult> pca, const ClusterSetup& setup)
    : m_pca(std::move(pca)), m_setup(setup), m_bands(input, 0), m_result(std::make_shared<ClusterResult>())
{
    m_result->energies = m_pca->energies;
    m_result->seed = setup.seed;
    m_result->components = m_pca->model.count();
}

QString ClusterJob::refusal(const AreaRunInput& input, const PcaResult* pca)
{
    if (!pca || !pca->isValid())
        return QStringLiteral("there is no PCA to cluster: run the PCA first");
    const ScanGrid& a = input.grid;
    const ScanGrid& b = pca->grid;
    const bool sameGrid = a.imageWidth == b.imageWidth && a.imageHeight == b.imageHeight && a.halfWidth == b.halfWidth
                          && a.halfHeight == b.halfHeight && a.x0 == b.x0 && a.x1 == b.x1 && a.y0 == b.y0
                          && a.y1 == b.y1 && a.stepX == b.stepX && a.stepY == b.stepY;
    if (!sameGrid || NormalizedBands::energiesOf(input.i1) != pca->energies)
        return QStringLiteral("the area, the block size or the series changed since the PCA: run the PCA again");
    return QString();
}

void ClusterJob::addToSums(qint64 member, const double* spectrum)
{
    const std::size_t p = m_result->energies.size();
    double* s = m_sums.data() + std::size_t(m_result->kmeans.labels[std::size_t(member)]) * p;
    for (std::size_t k = 0; k < p; ++k)
        s[k] += spectrum[k];
}

qint64 ClusterJob::runSlice(int index, const std::atomic<bool>& stop)
{
    const PcaResult& pca = *m_pca;
    ClusterResult& r = *m_result;
    if (index == 0) {
        r.kmeans = KMeans::run(pca.scores.data(), pca.memberCount(), pca.model.count(), m_setup.k, m_setup.seed);
        m_sums.assign(std::size_t(r.kmeans.k) * r.energies.size(), 0.0);
        if (pca.hasSpectra() && r.kmeans.k > 0)
            for (qint64 m = 0; m < pca.memberCount(); ++m)
                addToSums(m, pca.spectrumOf(m));
        return pca.memberCount();
    }
    if (m_failed || !m_bands.compute(index - 1, &stop)) {
        if (!m_failed)
            qWarning().noquote() << "Not enough memory for a band of the cluster run";
        m_failed = true;
        return m_bands.bandBlocks();
    }
    // The members are in grid order: walk them along the band.
    const qint64 first = m_bands.firstBlock();
    const qint64 end = first + m_bands.bandBlocks();
    while (m_nextMember < pca.memberCount() && pca.members[std::size_t(m_nextMember)] < end) {
        const qint64 b = pca.members[std::size_t(m_nextMember)] - first;
        if (b >= 0 && m_bands.use()[b])
            addToSums(m_nextMember, m_bands.values(b));
        ++m_nextMember;
    }
    return m_bands.bandBlocks();
}

void ClusterJob::deliverSlice(int index)
{
    if (m_finished || index != 0 || !m_setup.map)
        return;
    const PcaResult& pca = *m_pca;
    const BlockGrid& g = pca.blocks;
    const int cols = g.columns();
    const int xw = pca.grid.halfWidth, yw = pca.grid.halfHeight;
    // Every block of the grid in grid order: NaN, or its cluster.
    qint64 m = 0;
    for (qint64 i = 0; i < g.blocks(); ++i) {
        double v = std::numeric_limits<double>::quiet_NaN();
        if (m < pca.memberCount() && pca.members[std::size_t(m)] == i)
            v = m_result->kmeans.labels[std::size_t(m++)];
        m_setup.map->setData(g.xs[std::size_t(i % cols)], g.ys[std::size_t(i / cols)], xw, yw, v);
    }
}

void ClusterJob::finish(bool stopped)
{
    if (m_finished)
        return;
    m_finished = true;
    ClusterResult& r = *m_result;
    if (stopped || m_failed || r.kmeans.k == 0) {
        r.means.clear();
        return;
    }
    const std::size_t p = r.energies.size();
    r.means.assign(m_sums.size(), 0.0);
    for (int c = 0; c < r.kmeans.k; ++c)
        for (std::size_t k = 0; k < p; ++k)
            r.means[std::size_t(c) * p + k] = m_sums[std::size_t(c) * p + k] / double(r.kmeans.sizes[std::size_t(c)]);
}
