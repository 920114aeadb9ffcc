#include "analysis/NormalizedBands.h"

#include "analysis/NormalizedSampler.h"
#include "base/BlockLoop.h"
#include "io/TiffData.h"

#include <QDebug>
#include <algorithm>
#include <limits>
#include <new>

namespace {

struct SampleScratch {
    SampleScratch(const std::vector<double>& grid, const AreaRunInput& in, int images)
        : sampler(grid, in.victoreen, in.mask), e(std::size_t(images)), mu(std::size_t(images)) {}
    NormalizedSampler sampler;
    std::vector<double> e, mu;
};

} // namespace

std::vector<double> NormalizedBands::energiesOf(const std::vector<const TiffData*>& i1)
{
    std::vector<double> e;
    for (const TiffData* t : i1)
        if (t)
            e.push_back(t->energy());
    std::sort(e.begin(), e.end());
    return e;
}

NormalizedBands::NormalizedBands(const AreaRunInput& input, qint64 perBlock)
    : m_input(input),
      m_source(input.i1, input.i0, input.grid.halfWidth, input.grid.halfHeight, input.fluorescence),
      m_energies(energiesOf(input.i1))
{
    m_bands.setThreads(input.threads);
    m_bands.setup(&m_source, input.grid, BlockSpectra::Absorption, BlockReach::Centre);
    const qint64 own = qint64(size()) * qint64(sizeof(double)) + 1 + perBlock;
    m_rowsPerBand = m_bands.rowsForBudget(input.budgetBytes, own, scratchPerThread());
    m_bandCount = (m_bands.rows() + m_rowsPerBand - 1) / m_rowsPerBand;
    findCovered();
}

void NormalizedBands::findCovered()
{
    const int xw = m_source.halfWidth(), yw = m_source.halfHeight();
    m_xLo = m_yLo = std::numeric_limits<int>::min();
    m_xHi = m_yHi = std::numeric_limits<int>::max();
    bool shifted = false;
    for (const auto* series : {&m_input.i1, &m_input.i0})
        for (const TiffData* t : *series)
            shifted = shifted || (t && (t->shiftX() != 0 || t->shiftY() != 0));
    if (!shifted)
        return;
    for (const auto* series : {&m_input.i1, &m_input.i0}) {
        for (const TiffData* t : *series) {
            if (!t)
                continue;
            const qint64 w = t->width(), h = t->height();
            m_xLo = int(qMax<qint64>(m_xLo, xw + qint64(t->shiftX())));
            m_xHi = int(qMin<qint64>(m_xHi, w - 1 - xw + t->shiftX()));
            m_yLo = int(qMax<qint64>(m_yLo, yw + qint64(t->shiftY())));
            m_yHi = int(qMin<qint64>(m_yHi, h - 1 - yw + t->shiftY()));
        }
    }
}

qint64 NormalizedBands::scratchPerThread() const
{
    // The points, the sampler's corrected points and the normalisation.
    return 10 * qint64(m_bands.images()) * qint64(sizeof(double));
}

qint64 NormalizedBands::workingBytes() const
{
    return m_bands.workingBytes(scratchPerThread()) + qint64(m_values.capacity() * sizeof(double))
           + qint64(m_use.capacity());
}

qint64 NormalizedBands::blocksOf(int band) const
{
    const int first = band * m_rowsPerBand;
    return qint64(qMax(0, qMin(m_rowsPerBand, m_bands.rows() - first))) * m_bands.columns();
}

bool NormalizedBands::compute(int band, const std::atomic<bool>* stop)
{
    const int first = band * m_rowsPerBand;
    const int count = qMin(m_rowsPerBand, m_bands.rows() - first);
    m_firstBlock = qint64(first) * m_bands.columns();
    m_use.clear();
    if (count <= 0)
        return true;
    if (!m_bands.compute(first, count))
        return false;
    const BlockSpectra& values = m_bands.values();
    const qint64 blocks = values.blocks();
    try {
        m_values.resize(std::size_t(blocks) * std::size_t(size()));
        m_use.assign(std::size_t(blocks), 0);
    } catch (const std::bad_alloc&) {
        qWarning().noquote() << "Not enough memory for the normalised spectra of a band";
        m_use.clear();
        return false;
    }
    const BlockGrid& g = m_bands.grid();
    const int cols = g.columns();
    forEachBlock(blocks, m_bands.threads(), stop,
                 [&] { return SampleScratch(m_energies, m_input, values.images()); },
                 [&](SampleScratch& s, qint64 b) {
        const int x = g.xs[std::size_t(b % cols)], y = g.ys[std::size_t(first + b / cols)];
        if (x < m_xLo || x > m_xHi || y < m_yLo || y > m_yHi)
            return;
        const int n = values.points(b, s.e.data(), s.mu.data());
        const double dE = m_input.shift.at(x, y);
        m_use[std::size_t(b)] = s.sampler.sample(s.e.data(), s.mu.data(), n, dE, m_values.data() + b * size());
    });
    return true;
}
