#include "processing/BlockSpectra.h"

#include "base/LargeBuffer.h"
#include "base/LogCategories.h"
#include "base/RunOnThreads.h"
#include "io/TiffData.h"
#include "physics/Spectrum.h"
#include "processing/AbsorptionRows.h"
#include "processing/AbsorptionSpectrum.h"
#include "processing/GridBlockSums.h"

#include <QDebug>
#include <atomic>
#include <new>
#include <thread>

namespace {

int threadCount(int requested, int work)
{
    int n = requested > 0 ? requested : int(std::thread::hardware_concurrency());
    n = qMax(1, n);
    return qMax(1, qMin(n, work));
}

} // namespace

BlockSpectra::BlockSpectra() = default;
BlockSpectra::~BlockSpectra() = default;

void BlockSpectra::clear()
{
    m_size = 0;
    m_grid = BlockGrid();
    m_energies.clear();
    m_widths.clear();
    m_heights.clear();
}

void BlockSpectra::release()
{
    clear();
    m_values.reset();
    m_capacity = 0;
}

bool BlockSpectra::build(const AbsorptionSpectrum& source, const BlockGrid& grid, int threads, Values kind)
{
    clear();
    const std::vector<const TiffData*>& i1 = source.i1();
    const int n = int(i1.size());
    BlockGrid g = grid;
    g.halfWidth = source.halfWidth();
    g.halfHeight = source.halfHeight();
    const qint64 tiles = (g.blocks() + lanes - 1) / lanes;
    if (n == 0 || tiles == 0) {
        m_grid = g;
        for (const TiffData* t : i1) {
            m_energies.push_back(t->energy());
            m_widths.push_back(t->width());
            m_heights.push_back(t->height());
        }
        return true;
    }
    const qint64 size = tiles * lanes * n;
    if (size / n / lanes != tiles || size > qint64(1) << 40) {
        qCDebug(lcProcessing).noquote() << "Not enough memory for the block spectra";
        return false;
    }
    if (m_capacity < size) {
        m_values.reset();
        m_capacity = 0;
        m_values = LargeBuffer::make<double>(std::size_t(size));
        if (!m_values) {
            qCDebug(lcProcessing).noquote() << "Not enough memory for the block spectra";
            return false;
        }
        m_capacity = size;
    }
    m_size = size;
    m_grid = g;
    for (const TiffData* t : i1) {
        m_energies.push_back(t->energy());
        m_widths.push_back(t->width());
        m_heights.push_back(t->height());
    }

    const I0Series& i0 = source.i0();
    const bool fluorescence = source.fluorescence();
    const bool raw = kind == RawSums;
    const int cols = m_grid.columns();
    const int rows = m_grid.rows();
    // Work items are a few grid rows of one image, so that threads share the
    // rows of an image as well as the images.
    const int chunkRows = qBound(1, rows, 8);
    const qint64 chunks = (rows + chunkRows - 1) / chunkRows;
    const qint64 items = chunks * n;
    std::atomic<qint64> nextItem{0};
    auto work = [&]() {
        GridBlockSums s1(&m_grid), sa(&m_grid), sb(&m_grid);
        std::vector<double> r1(std::size_t(cols), 0.0), ra(std::size_t(cols), 0.0), rb(std::size_t(cols), 0.0);
        const std::vector<double> zeros(std::size_t(cols), 0.0);
        int current = -1;
        bool needA = false, needB = false;
        AbsorptionRows::Rule rule;
        for (qint64 item = nextItem++; item < items; item = nextItem++) {
            const int k = int(item / chunks);
            const int j0 = int(item % chunks) * chunkRows;
            const int j1 = qMin(rows, j0 + chunkRows);
            if (k != current) {
                current = k;
                const double e = m_energies[std::size_t(k)];
                const I0Series::Bracket br = i0.bracket(e);
                needA = !raw && br.count >= 1;
                needB = !raw && i0.needsSecond(br, e);
                rule = AbsorptionRows::Rule::of(i0, br, e, fluorescence, raw);
                s1.setImage(i1[std::size_t(k)]);
                if (needA)
                    sa.setImage(i0.image(br.a));
                if (needB)
                    sb.setImage(i0.image(br.b));
            }
            for (int j = j0; j < j1; ++j) {
                s1.row(j, r1.data());
                if (needA)
                    sa.row(j, ra.data());
                if (needB)
                    sb.row(j, rb.data());
                // An I0 image whose sum the line does not need counts as 0,
                // as in the point-by-point sums.
                double* v = r1.data();
                AbsorptionRows::values(rule, v, ra.data(), needB ? rb.data() : zeros.data(), v, cols);
                // Runs of blocks that share a tile go to one line of it.
                qint64 b = m_grid.index(0, j);
                for (int i = 0; i < cols;) {
                    const int lane = int(b % lanes);
                    const int run = qMin(lanes - lane, cols - i);
                    double* dst = m_values.get() + ((b / lanes) * n + k) * lanes + lane;
                    for (int r = 0; r < run; ++r)
                        dst[r] = v[i + r];
                    i += run;
                    b += run;
                }
            }
        }
    };
    const int nt = threadCount(threads, int(qMin<qint64>(items, 1 << 20)));
    runOnThreads(nt, [&work](int) { work(); });
    return true;
}

void BlockSpectra::spectrum(qint64 b, Spectrum* out) const
{
    out->clear();
    const int n = images();
    if (n == 0 || b < 0 || b >= blocks())
        return;
    out->reserve(n);
    const qint64 cols = m_grid.columns();
    const qint64 x = m_grid.xs[std::size_t(b % cols)];
    const qint64 y = m_grid.ys[std::size_t(b / cols)];
    const double* v = m_values.get() + (b / lanes) * n * lanes + b % lanes;
    if (x < 0 || y < 0)
        return;
    for (int k = 0; k < n; ++k, v += lanes)
        if (x < m_widths[std::size_t(k)] && y < m_heights[std::size_t(k)])
            out->add(m_energies[std::size_t(k)], *v);
}

int BlockSpectra::points(qint64 b, double* energies, double* values) const
{
    const int n = images();
    if (n == 0 || b < 0 || b >= blocks())
        return 0;
    const qint64 cols = m_grid.columns();
    const qint64 x = m_grid.xs[std::size_t(b % cols)];
    const qint64 y = m_grid.ys[std::size_t(b / cols)];
    const double* v = m_values.get() + (b / lanes) * n * lanes + b % lanes;
    int count = 0;
    if (x < 0 || y < 0)
        return 0;
    for (int k = 0; k < n; ++k, v += lanes) {
        if (x < m_widths[std::size_t(k)] && y < m_heights[std::size_t(k)]) {
            energies[count] = m_energies[std::size_t(k)];
            values[count] = *v;
            ++count;
        }
    }
    return count;
}

int BlockSpectra::values(qint64 b, double* values) const
{
    const int n = images();
    if (n == 0 || b < 0 || b >= blocks())
        return 0;
    const qint64 cols = m_grid.columns();
    const qint64 x = m_grid.xs[std::size_t(b % cols)];
    const qint64 y = m_grid.ys[std::size_t(b / cols)];
    if (x < 0 || y < 0)
        return 0;
    const double* v = m_values.get() + (b / lanes) * n * lanes + b % lanes;
    int count = 0;
    for (int k = 0; k < n; ++k, v += lanes)
        if (x < m_widths[std::size_t(k)] && y < m_heights[std::size_t(k)])
            values[count++] = *v;
    return count;
}
