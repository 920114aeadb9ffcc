#pragma once

#include <QtGlobal>
#include <limits>
#include <vector>

// A plain image of doubles for the image processor (edge images, binary
// images, the reference): row-major samples, the size, and the range, which
// starts at the largest and the smallest positive double until computed.
struct ProcImage {
    std::vector<double> samples;
    qint32 width = 0;
    qint32 height = 0;
    double minimum = std::numeric_limits<double>::max();
    double maximum = std::numeric_limits<double>::min();

    ProcImage() = default;
    ProcImage(int w, int h);

    bool isEmpty() const { return samples.empty(); }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    double at(int x, int y) const { return samples[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
    double& at(int x, int y) { return samples[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
    // Minimum and maximum of the samples (left at their start values when empty).
    void computeRange();
};
