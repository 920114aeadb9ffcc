#include "analysis/PcaJob.h"

#include "base/BlockLoop.h"
#include "grid/Analyzed2DRes.h"

#include <QDebug>
#include <algorithm>
#include <limits>
#include <new>

PcaJob::PcaJob(const AreaRunInput& input, const PcaSetup& setup)
    : m_setup(setup),
      m_halfWidth(input.grid.halfWidth),
      m_halfHeight(input.grid.halfHeight),
      m_bands(input, qint64(qMax(1, setup.components)) * qint64(sizeof(double))),
      m_sums(m_bands.size()),
      m_result(std::make_shared<PcaResult>())
{
    m_result->grid = input.grid;
    m_result->blocks = m_bands.grid();
    m_result->energies = m_bands.energies();
    m_keepLimit = input.budgetBytes / 2;
}

bool PcaJob::bandSpectra(int band, const std::atomic<bool>& stop, qint64* firstMember, qint64* members,
                         const double** rows)
{
    const std::vector<qint64>& all = m_result->members;
    const qint64 first = m_bands.firstBlockOf(band);
    const qint64 end = first + m_bands.blocksOf(band);
    const qint64 m0 = std::lower_bound(all.begin(), all.end(), first) - all.begin();
    const qint64 m1 = std::lower_bound(all.begin(), all.end(), end) - all.begin();
    *firstMember = m0;
    *members = m1 - m0;
    if (m_result->hasSpectra()) {
        *rows = m_result->spectrumOf(m0);
        return true;
    }
    if (!m_bands.compute(band, &stop))
        return false;
    const int p = m_bands.size();
    m_rows.resize(std::size_t(m1 - m0) * std::size_t(p));
    for (qint64 m = m0; m < m1; ++m) {
        const double* v = m_bands.values(all[std::size_t(m)] - first);
        std::copy(v, v + p, m_rows.begin() + (m - m0) * p);
    }
    *rows = m_rows.data();
    return true;
}

qint64 PcaJob::runSlice(int index, const std::atomic<bool>& stop)
{
    const int bands = m_bands.bandCount();
    PcaResult& r = *m_result;
    if (m_memoryFailed)
        return 0;
    if (index < bands) {
        if (!m_bands.compute(index, &stop)) {
            m_memoryFailed = true;
            return 0;
        }
        const qint64 blocks = m_bands.bandBlocks();
        m_sums.add(m_bands.values(), blocks, m_bands.use());
        const int p = m_bands.size();
        for (qint64 b = 0; b < blocks; ++b) {
            if (!m_bands.use()[b])
                continue;
            r.members.push_back(m_bands.firstBlock() + b);
            if (!m_keep)
                continue;
            if (qint64(r.spectra.size() + std::size_t(p)) * qint64(sizeof(double)) > m_keepLimit) {
                m_keep = false;
                std::vector<double>().swap(r.spectra);
                continue;
            }
            try {
                r.spectra.insert(r.spectra.end(), m_bands.values(b), m_bands.values(b) + p);
            } catch (const std::bad_alloc&) {
                m_keep = false;
                std::vector<double>().swap(r.spectra);
            }
        }
        return blocks;
    }
    const int band = index - bands;
    if (band == 0) {
        r.model = PcaModel::fromSums(m_sums, m_setup.components);
        r.scores.assign(r.members.size() * std::size_t(r.model.count()), 0.0);
    }
    const qint64 blocks = m_bands.blocksOf(band);
    const int n = r.model.count();
    const double* rows = nullptr;
    if (n == 0 || !bandSpectra(band, stop, &m_bandFirstMember, &m_bandMembers, &rows)) {
        m_memoryFailed = n > 0;
        m_bandMembers = 0;
        return blocks;
    }
    const int p = int(r.energies.size());
    double* scores = r.scores.data() + m_bandFirstMember * n;
    forEachBlock(m_bandMembers, m_bands.threads(), &stop, [] { return 0; },
                 [&](int, qint64 m) { r.model.project(rows + m * p, scores + m * n); });
    return blocks;
}

void PcaJob::record(int band)
{
    const PcaResult& r = *m_result;
    const BlockGrid& g = r.blocks;
    const int n = r.model.count();
    const int cols = g.columns();
    const qint64 first = m_bands.firstBlockOf(band);
    const qint64 end = first + m_bands.blocksOf(band);
    for (int j = 0; j < m_setup.scoreMaps.size() && j < n; ++j) {
        Analyzed2DRes* map = m_setup.scoreMaps[j];
        if (!map)
            continue;
        qint64 m = m_bandFirstMember;
        const qint64 mEnd = m_bandFirstMember + m_bandMembers;
        for (qint64 i = first; i < end; ++i) {
            double v = std::numeric_limits<double>::quiet_NaN();
            if (m < mEnd && r.members[std::size_t(m)] == i)
                v = r.scoresOf(m++)[j];
            map->setData(g.xs[std::size_t(i % cols)], g.ys[std::size_t(i / cols)], m_halfWidth, m_halfHeight, v);
        }
    }
}

void PcaJob::deliverSlice(int index)
{
    if (m_finished || m_memoryFailed || index < m_bands.bandCount())
        return;
    record(index - m_bands.bandCount());
}

void PcaJob::finish(bool stopped)
{
    if (m_finished)
        return;
    m_finished = true;
    if (m_memoryFailed)
        qWarning().noquote() << "Not enough memory for a band of the PCA run";
    if (stopped || m_memoryFailed)
        *m_result = PcaResult();
}
