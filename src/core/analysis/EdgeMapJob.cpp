#include "analysis/EdgeMapJob.h"

#include "base/BlockLoop.h"
#include "grid/Analyzed2DRes.h"
#include "physics/XafsSpectrum.h"
#include "processing/EdgeNormalization.h"
#include "processing/LaneNormalization.h"

#include <cmath>

namespace {

constexpr int farCentre = -(1 << 30);

void record(const EdgeMapSetup& setup, int x, int y, int xw, int yw, const EdgeFeatures& f)
{
    for (int k = 0; k < EdgeFeatures::MapCount; ++k)
        if (setup.maps[k])
            setup.maps[k]->setData(x, y, xw, yw, f.value(k));
}

} // namespace

// What a thread of the run works in.
struct EdgeMapJob::Scratch {
    explicit Scratch(int images) : e(std::size_t(images)), mu(std::size_t(images)) {}
    std::vector<double> e, mu;
    EdgeNormalization norm;
    LaneNormalization lanes;
};

EdgeMapJob::EdgeMapJob(const AreaRunInput& input, const EdgeMapSetup& setup)
    : AreaRunJob(input),
      m_setup(setup),
      m_source(input.i1, input.i0, input.grid.halfWidth, input.grid.halfHeight, input.fluorescence)
{
    m_bands.setThreads(input.threads);
    m_bands.setup(&m_source, input.grid, BlockSpectra::Absorption);
    planSlices(m_bands, qint64(sizeof(EdgeFeatures)), scratchBytes());
}

qint64 EdgeMapJob::scratchBytes() const
{
    // The points and the normalisation's energies, lines and values, and
    // the same for a tile's lanes.
    const qint64 images = m_bands.images();
    const qint64 laneNorm = (1 + 3 * qint64(LaneNormalization::lanes)) * images;
    return (8 * images + laneNorm) * qint64(sizeof(double));
}

qint64 EdgeMapJob::workingBytes() const
{
    return m_bands.workingBytes(scratchBytes()) + qint64(m_results.capacity() * sizeof(EdgeFeatures));
}

bool EdgeMapJob::analyzeRows(int first, int count, const std::atomic<bool>& stop)
{
    if (!m_bands.compute(first, count))
        return false;
    const BlockSpectra& values = m_bands.values();
    m_results.assign(std::size_t(values.blocks()), EdgeFeatures());
    // Tiles of whole spectra are normalised side by side unless an energy is
    // NaN (which the point-by-point normalisation handles on its own terms).
    bool lanes = true;
    for (double e : values.energies())
        lanes = lanes && !std::isnan(e);
    forEachBlock(values.tiles(), m_bands.threads(), &stop, [&] { return Scratch(values.images()); },
                 [&](Scratch& s, qint64 t) {
        if (lanes && values.fullTile(t)) {
            analyzeTile(s, t);
            return;
        }
        const qint64 end = qMin(values.blocks(), (t + 1) * BlockSpectra::lanes);
        for (qint64 b = t * BlockSpectra::lanes; b < end; ++b)
            analyzeBlock(s, b);
    });
    return true;
}

double EdgeMapJob::shiftOf(qint64 b) const
{
    const BlockGrid& g = m_bands.grid();
    const int cols = g.columns();
    return input().shift.at(g.xs[std::size_t(b % cols)], g.ys[std::size_t(m_bands.first() + b / cols)]);
}

void EdgeMapJob::analyzeBlock(Scratch& s, qint64 b)
{
    const AreaRunInput& in = input();
    const int n = m_bands.values().points(b, s.e.data(), s.mu.data());
    s.norm.compute(s.e.data(), s.mu.data(), n, in.victoreen);
    if (in.mask.masks(s.norm.jump()))
        return;
    const EdgeNormalization& norm = s.norm;
    const double e0 = norm.e0() == 0.0 ? 0.0
                                       : EdgeRules::edgeEnergy(s.e.data(), s.mu.data(), n,
                                                               norm.halfHeight() + EdgeNormalization::preEnd,
                                                               norm.halfHeight() + EdgeNormalization::postStart,
                                                               [&norm](int i) { return norm.midlineAt(i); });
    m_results[std::size_t(b)] = EdgeRules::features(s.e.data(), s.mu.data(), n, e0, norm.jump(), shiftOf(b),
                                                    m_setup.window,
                                                    [&norm](double x) { return norm.postValueAt(x); });
}

void EdgeMapJob::analyzeTile(Scratch& s, qint64 t)
{
    const AreaRunInput& in = input();
    const BlockSpectra& values = m_bands.values();
    const int n = values.images();
    const double* e = values.energies().data();
    const double* tile = values.tile(t);
    const LaneNormalization& norm = s.lanes;
    s.lanes.compute(e, tile, n, in.victoreen);
    for (int l = 0; l < LaneNormalization::lanes; ++l) {
        if (in.mask.masks(norm.jump(l)))
            continue;
        // The edge rules read one spectrum's values in a row.
        for (int i = 0; i < n; ++i)
            s.mu[std::size_t(i)] = tile[std::size_t(i) * LaneNormalization::lanes + std::size_t(l)];
        const double e0 = norm.e0(l) == 0.0 ? 0.0
                                            : EdgeRules::edgeEnergy(e, s.mu.data(), n,
                                                                    norm.halfHeight(l) + EdgeNormalization::preEnd,
                                                                    norm.halfHeight(l) + EdgeNormalization::postStart,
                                                                    [&norm, l](int i) { return norm.midlineAt(l, i); });
        const qint64 b = t * LaneNormalization::lanes + l;
        m_results[std::size_t(b)] = EdgeRules::features(e, s.mu.data(), n, e0, norm.jump(l), shiftOf(b),
                                                        m_setup.window,
                                                        [&norm, l](double x) { return norm.postValueAt(l, x); });
    }
}

void EdgeMapJob::recordRow(int row)
{
    const BlockGrid& g = m_bands.grid();
    const int cols = g.columns();
    const int y = g.ys[std::size_t(m_bands.first() + row)];
    const int xw = input().grid.halfWidth, yw = input().grid.halfHeight;
    for (int i = 0; i < cols; ++i)
        record(m_setup, g.xs[std::size_t(i)], y, xw, yw, m_results[std::size_t(qint64(row) * cols + i)]);
}

void EdgeMapJob::recordFar()
{
    // A far point's spectrum is empty: no edge.
    record(m_setup, farCentre, farCentre, input().grid.halfWidth, input().grid.halfHeight, EdgeFeatures());
}

void EdgeMapJob::runPointByPoint(const AreaRunInput& input, const EdgeMapSetup& setup)
{
    const AbsorptionSpectrum source(input.i1, input.i0, input.grid.halfWidth, input.grid.halfHeight,
                                    input.fluorescence);
    std::vector<double> e, mu;
    ScanGrid g = input.grid;
    g.restart();
    bool newLine = false;
    do {
        const double dE = input.shift.at(g.x, g.y);
        const XafsSpectrum s = source.xafs(g.x, g.y, input.victoreen, dE);
        EdgeFeatures f;
        if (!input.mask.masks(s.jump())) {
            const int n = s.count();
            e.resize(std::size_t(n));
            mu.resize(std::size_t(n));
            for (int i = 0; i < n; ++i) {
                e[std::size_t(i)] = s.E(i);
                mu[std::size_t(i)] = s.y(i);
            }
            const BackgroundLine& pre = s.preEdge();
            const BackgroundLine& post = s.postEdge();
            const double eh = s.crossingEnergy(0.5, Spectrum::Rising);
            const double e0 = s.e0() == 0.0 ? 0.0
                                            : EdgeRules::edgeEnergy(e.data(), mu.data(), n, eh + s.preEnd(),
                                                                    eh + s.postStart(), [&pre, &post](int i) {
                                                                        const double p = pre.y(i);
                                                                        return p + (post.y(i) - p) / 2.0;
                                                                    });
            f = EdgeRules::features(e.data(), mu.data(), n, e0, s.jump(), s.dE(), setup.window,
                                    [&post](double x) { return post.valueAt(x + post.offsetInForce()); });
        }
        record(setup, g.x, g.y, g.halfWidth, g.halfHeight, f);
    } while (g.next(newLine));
}
