#include "processing/ProcImage.h"

ProcImage::ProcImage(int w, int h)
    : samples(std::size_t(qMax(0, w)) * std::size_t(qMax(0, h)), 0.0), width(qMax(0, w)), height(qMax(0, h))
{
}

void ProcImage::computeRange()
{
    minimum = std::numeric_limits<double>::max();
    maximum = std::numeric_limits<double>::min();
    for (double v : samples) {
        if (v < minimum)
            minimum = v;
        if (v > maximum)
            maximum = v;
    }
}
