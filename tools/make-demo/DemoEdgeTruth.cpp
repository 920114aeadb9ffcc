#include "DemoEdgeTruth.h"

#include "base/RunOnThreads.h"
#include "analysis/EdgeFeatures.h"
#include "processing/EdgeNormalization.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>

std::vector<float> demoEdgeEnergies(const DemoModel& model, int threads)
{
    const int w = model.width(), h = model.height();
    const std::vector<double>& energies = model.energies();
    const int n = int(energies.size());
    std::vector<float> out(std::size_t(w) * std::size_t(h), std::numeric_limits<float>::quiet_NaN());
    std::atomic<int> nextRow{0};
    runOnThreads(std::max(1, threads), [&](int) {
        EdgeNormalization norm;
        std::vector<double> mu(static_cast<std::size_t>(n));
        for (int y = nextRow++; y < h; y = nextRow++) {
            for (int x = 0; x < w; ++x) {
                const std::size_t p = std::size_t(y) * std::size_t(w) + std::size_t(x);
                if (!(model.thickness()[p] > 0.0))
                    continue;
                // The aligned image of energy i shows at (x, y) the detector
                // pixel (x + dx, y + dy), divided by the I0 of (x, y).
                bool inside = true;
                for (int i = 0; i < n && inside; ++i) {
                    const DemoModel::Drift d = model.drift()[std::size_t(i)];
                    const int u = x + d.dx, v = y + d.dy;
                    inside = u >= 0 && v >= 0 && u < w && v < h;
                    if (inside)
                        mu[std::size_t(i)] = std::log(model.expectedI0(x, y, i) / model.expectedI0(u, v, i))
                                             + model.sampleMu(u, v, i);
                }
                if (!inside)
                    continue;
                const double dE = model.shift()[p];
                norm.compute(energies.data(), mu.data(), n, false);
                if (norm.e0() == 0.0)
                    continue;
                // The edge maps' rule, on the noise-free spectrum.
                const double e0 = EdgeRules::edgeEnergy(energies.data(), mu.data(), n,
                                                        norm.halfHeight() + EdgeNormalization::preEnd,
                                                        norm.halfHeight() + EdgeNormalization::postStart,
                                                        [&norm](int i) { return norm.midlineAt(i); });
                if (e0 != 0.0)
                    out[p] = float(e0 - dE);
            }
        }
    });
    return out;
}
