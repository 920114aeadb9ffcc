#pragma once

#include "base/LargeBuffer.h"
#include "io/ImageContent.h"

#include <QString>
#include <vector>

class TiffData;

// The pixel-by-pixel mean of images of one size (flat fields, dark frames),
// summed in double precision. The sums live in a large store (huge pages for
// large images: 8 bytes a pixel faulted in 4 KB at a time cost more than
// reading the frames).
class ImageAverage
{
public:
    // Adds an image (its source samples, no alignment shift); false with a
    // message naming it when its size differs from the first one's.
    bool add(const TiffData& image, QString* error);

    int count() const { return m_count; }
    quint32 width() const { return m_width; }
    quint32 height() const { return m_height; }
    // The mean, width x height values row after row (empty before add()).
    std::vector<double> mean() const;
    // The sums, width x height values row after row (null before add()).
    const double* sums() const { return m_sum.get(); }
    // The mean as float samples with their range, for an image record.
    ImageContent meanContent() const;

private:
    int m_count = 0;
    quint32 m_width = 0;
    quint32 m_height = 0;
    LargeBuffer::Ptr<double> m_sum;
};
