#include "analysis/ResidualRunJob.h"

#include "base/BlockLoop.h"
#include "base/LogCategories.h"
#include "grid/Analyzed2DRes.h"
#include "physics/XafsSpectrum.h"
#include "processing/EdgeNormalization.h"

#include <QDebug>
#include <cmath>
#include <limits>

namespace {

constexpr double noValue = std::numeric_limits<double>::quiet_NaN();
constexpr int farCentre = -(1 << 30);

// dmut and rest of one block from its lines at E.
inline void residual(double pre, double post, double factor, double* dmut, double* rest)
{
    *dmut = post - pre;
    *rest = pre - factor * *dmut;
}

// What a thread of a residual run works in.
struct ResidualScratch {
    explicit ResidualScratch(int images) : e(std::size_t(images)), mu(std::size_t(images)) {}
    std::vector<double> e, mu;
    EdgeNormalization norm;
};

} // namespace

ResidualRunJob::ResidualRunJob(const AreaRunInput& input, const ResidualRunSetup& setup)
    : AreaRunJob(input),
      m_setup(setup),
      m_source(input.i1, input.i0, input.grid.halfWidth, input.grid.halfHeight, input.fluorescence)
{
    m_bands.setThreads(input.threads);
    m_bands.setup(&m_source, input.grid, BlockSpectra::Absorption);
    planSlices(m_bands, 2 * qint64(sizeof(double)), scratchBytes());
    // The far points have an empty spectrum: both lines are 0 there.
    if (input.mask.masks(0.0)) {
        m_emptyDmut = m_emptyRest = noValue;
    } else {
        EdgeNormalization norm;
        norm.compute(nullptr, nullptr, 0, input.victoreen);
        const double e = setup.energy;
        residual(norm.preValueAt(e), norm.postValueAt(e), setup.factor, &m_emptyDmut, &m_emptyRest);
    }
}

qint64 ResidualRunJob::scratchBytes() const
{
    return 12 * qint64(m_bands.images()) * qint64(sizeof(double));
}

qint64 ResidualRunJob::workingBytes() const
{
    return m_bands.workingBytes(scratchBytes()) + qint64(m_results.capacity() * sizeof(double));
}

bool ResidualRunJob::analyzeRows(int first, int count, const std::atomic<bool>& stop)
{
    if (!m_bands.compute(first, count, &stop))
        return false;
    const BlockSpectra& values = m_bands.values();
    m_results.assign(std::size_t(values.blocks()) * 2, 0.0);
    const AreaMask mask = input().mask;
    const bool victoreen = input().victoreen;
    // A spectrum built from points has no offset in force: E = energy - 0.
    const double e0 = m_setup.energy - 0.0;
    const double factor = m_setup.factor;
    forEachBlock(values.blocks(), m_bands.threads(), &stop, [&] { return ResidualScratch(values.images()); },
                 [&](ResidualScratch& s, qint64 b) {
        double* r = m_results.data() + b * 2;
        const int n = values.points(b, s.e.data(), s.mu.data());
        s.norm.compute(s.e.data(), s.mu.data(), n, victoreen);
        if (mask.masks(s.norm.jump())) {
            r[0] = r[1] = noValue;
            return;
        }
        residual(s.norm.preValueAt(e0), s.norm.postValueAt(e0), factor, r, r + 1);
    });
    return true;
}

void ResidualRunJob::record(int x, int y, double dmut, double rest)
{
    const int xw = input().grid.halfWidth, yw = input().grid.halfHeight;
    if (m_setup.dmut)
        m_setup.dmut->setData(x, y, xw, yw, dmut);
    if (m_setup.rest)
        m_setup.rest->setData(x, y, xw, yw, rest);
}

void ResidualRunJob::recordRow(int row)
{
    const BlockGrid& g = m_bands.grid();
    const int cols = g.columns();
    const int y = g.ys[std::size_t(m_bands.first() + row)];
    for (int i = 0; i < cols; ++i) {
        const double* r = m_results.data() + (qint64(row) * cols + i) * 2;
        record(g.xs[std::size_t(i)], y, r[0], r[1]);
    }
}

void ResidualRunJob::recordFar()
{
    record(farCentre, farCentre, m_emptyDmut, m_emptyRest);
}

void ResidualRunJob::walkLine(qint64 y)
{
    qCDebug(lcAnalysis) << y;
}

void ResidualRunJob::computeRatio(const Analyzed2DRes& dmut, const Analyzed2DRes& rest, Analyzed2DRes* ratio)
{
    const double* d = rest.data();
    if (!ratio || !d)
        return;
    const int w = rest.width(), h = rest.height();
    double a = std::numeric_limits<double>::infinity();
    for (qint64 p = 0, n = qint64(w) * h; p < n; ++p)
        if (d[p] < a)
            a = d[p];
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double c = dmut.value(x, y);
            const double dv = d[qint64(y) * w + x];
            ratio->setData(x, y, 0, 0, (dv - a) / (c + (dv - a)));
        }
    }
}

void ResidualRunJob::runPointByPoint(const AreaRunInput& input, const ResidualRunSetup& setup)
{
    const AbsorptionSpectrum source(input.i1, input.i0, input.grid.halfWidth, input.grid.halfHeight,
                                    input.fluorescence);
    ScanGrid g = input.grid;
    g.restart();
    bool newLine = false;
    bool more = true;
    while (more) {
        const XafsSpectrum sample = source.xafs(g.x, g.y, input.victoreen, input.shift.at(g.x, g.y));
        double dmut = noValue, rest = noValue;
        if (!input.mask.masks(sample.jump())) {
            const double e = setup.energy - sample.offsetInForce();
            const double post = sample.postEdge().valueAt(e + sample.postEdge().offsetInForce());
            const double pre = sample.preEdge().valueAt(e + sample.preEdge().offsetInForce());
            residual(pre, post, setup.factor, &dmut, &rest);
        }
        if (setup.dmut)
            setup.dmut->setData(g.x, g.y, g.halfWidth, g.halfHeight, dmut);
        if (setup.rest)
            setup.rest->setData(g.x, g.y, g.halfWidth, g.halfHeight, rest);
        more = g.next(newLine);
        if (more && newLine)
            qCDebug(lcAnalysis) << g.y;
    }
}
