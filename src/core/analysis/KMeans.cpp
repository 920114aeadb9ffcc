#include "analysis/KMeans.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>

namespace {

// A uniform number in [0, 1) from the top 53 bits of the twister.
double uniform(std::mt19937_64& rng)
{
    return double(rng() >> 11) * (1.0 / 9007199254740992.0);
}

double squaredDistance(const double* a, const double* b, int dims)
{
    double s = 0.0;
    for (int d = 0; d < dims; ++d) {
        const double t = a[d] - b[d];
        s += t * t;
    }
    return s;
}

// k-means++: the first centre uniformly, each next one with a probability
// proportional to the squared distance to the nearest centre so far.
std::vector<double> plusPlusStart(const double* pts, qint64 count, int dims, int k, std::mt19937_64& rng)
{
    std::vector<double> centres;
    std::vector<double> nearest(std::size_t(count), std::numeric_limits<double>::infinity());
    qint64 pick = std::min<qint64>(count - 1, qint64(uniform(rng) * double(count)));
    for (int c = 0; c < k; ++c) {
        centres.insert(centres.end(), pts + pick * dims, pts + (pick + 1) * dims);
        const double* centre = centres.data() + std::size_t(c) * std::size_t(dims);
        double total = 0.0;
        for (qint64 i = 0; i < count; ++i) {
            nearest[std::size_t(i)] = std::min(nearest[std::size_t(i)], squaredDistance(pts + i * dims, centre, dims));
            total += nearest[std::size_t(i)];
        }
        if (c + 1 == k)
            break;
        if (!(total > 0.0))
            break;   // every point sits on a centre: no further distinct centre
        const double target = uniform(rng) * total;
        double run = 0.0;
        pick = -1;
        for (qint64 i = 0; i < count; ++i) {
            run += nearest[std::size_t(i)];
            if (run > target && nearest[std::size_t(i)] > 0.0) {
                pick = i;
                break;
            }
        }
        if (pick < 0) {
            // Rounding left the target beyond the sum: the last point away from every centre.
            for (qint64 i = count - 1; i >= 0 && pick < 0; --i)
                if (nearest[std::size_t(i)] > 0.0)
                    pick = i;
        }
    }
    return centres;
}

} // namespace

namespace KMeans {

KMeansResult run(const double* points, qint64 count, int dims, int k, quint64 seed, int maxIterations)
{
    KMeansResult r;
    if (count <= 0 || dims <= 0 || k < 1)
        return r;
    std::mt19937_64 rng(seed);
    std::vector<double> centres = plusPlusStart(points, count, dims, int(std::min<qint64>(k, count)), rng);
    k = int(centres.size()) / dims;
    std::vector<int> labels(std::size_t(count), -1);
    std::vector<double> sums(centres.size());
    std::vector<qint64> sizes(static_cast<std::size_t>(k));
    int it = 0;
    bool converged = false;
    while (it < maxIterations) {
        ++it;
        bool changed = false;
        for (qint64 i = 0; i < count; ++i) {
            const double* p = points + i * dims;
            int best = 0;
            double bestD = squaredDistance(p, centres.data(), dims);
            for (int c = 1; c < k; ++c) {
                const double d = squaredDistance(p, centres.data() + std::size_t(c) * std::size_t(dims), dims);
                if (d < bestD) {
                    bestD = d;
                    best = c;
                }
            }
            if (labels[std::size_t(i)] != best) {
                labels[std::size_t(i)] = best;
                changed = true;
            }
        }
        if (!changed) {
            converged = true;
            break;
        }
        std::fill(sums.begin(), sums.end(), 0.0);
        std::fill(sizes.begin(), sizes.end(), 0);
        for (qint64 i = 0; i < count; ++i) {
            const int c = labels[std::size_t(i)];
            ++sizes[std::size_t(c)];
            for (int d = 0; d < dims; ++d)
                sums[std::size_t(c) * std::size_t(dims) + std::size_t(d)] += points[i * dims + d];
        }
        // An emptied cluster keeps its centre.
        for (int c = 0; c < k; ++c)
            if (sizes[std::size_t(c)] > 0)
                for (int d = 0; d < dims; ++d)
                    centres[std::size_t(c) * std::size_t(dims) + std::size_t(d)] =
                        sums[std::size_t(c) * std::size_t(dims) + std::size_t(d)] / double(sizes[std::size_t(c)]);
    }

    // Number the clusters by size, largest first.
    std::fill(sizes.begin(), sizes.end(), 0);
    for (int l : labels)
        ++sizes[std::size_t(l)];
    std::vector<int> order(static_cast<std::size_t>(k));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return sizes[std::size_t(a)] > sizes[std::size_t(b)]; });
    std::vector<int> rank(static_cast<std::size_t>(k));
    for (int c = 0; c < k; ++c)
        rank[std::size_t(order[std::size_t(c)])] = c;
    r.k = k;
    r.dims = dims;
    r.iterations = it;
    r.converged = converged;
    r.labels.resize(std::size_t(count));
    r.centres.resize(centres.size());
    r.sizes.resize(std::size_t(k));
    for (int c = 0; c < k; ++c) {
        const int from = order[std::size_t(c)];
        std::copy(centres.begin() + std::ptrdiff_t(from) * dims, centres.begin() + std::ptrdiff_t(from + 1) * dims,
                  r.centres.begin() + std::ptrdiff_t(c) * dims);
        r.sizes[std::size_t(c)] = sizes[std::size_t(from)];
    }
    for (qint64 i = 0; i < count; ++i) {
        const int c = rank[std::size_t(labels[std::size_t(i)])];
        r.labels[std::size_t(i)] = c;
        r.inertia += squaredDistance(points + i * dims, r.centres.data() + std::size_t(c) * std::size_t(dims), dims);
    }
    return r;
}

}
