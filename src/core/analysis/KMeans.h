#pragma once

#include <QtGlobal>
#include <vector>

// k-means clustering of points in a few dimensions (Lloyd's iterations from a
// k-means++ start). The start is drawn from a 64-bit Mersenne twister seeded
// with `seed`, with our own uniform numbers, and every sum runs in point
// order, so the same points, k and seed give the same clusters on every run
// and every number of threads. Clusters are numbered by size, the largest 0
// (equal sizes keep their order of discovery).
struct KMeansResult {
    int k = 0;
    int dims = 0;
    std::vector<int> labels;        // per point, 0 ... k - 1
    std::vector<double> centres;    // k x dims
    std::vector<qint64> sizes;      // points per cluster
    double inertia = 0.0;           // sum of squared distances to the centres
    int iterations = 0;
    bool converged = false;
};

namespace KMeans {

// Clusters `count` points of `dims` values each (row after row). k is clipped
// to the number of distinct starting points available; with no points or
// k < 1 the result is empty (k = 0).
KMeansResult run(const double* points, qint64 count, int dims, int k, quint64 seed, int maxIterations = 300);

}
