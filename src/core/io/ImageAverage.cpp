#include "io/ImageAverage.h"

#include "io/TiffData.h"

#include <algorithm>
#include <new>

bool ImageAverage::add(const TiffData& image, QString* error)
{
    if (m_count == 0) {
        m_width = image.width();
        m_height = image.height();
        m_sum = LargeBuffer::makePassing<double>(size_t(m_width) * m_height);
        if (!m_sum)
            throw std::bad_alloc();
        std::fill_n(m_sum.get(), size_t(m_width) * m_height, 0.0);
    } else if (image.width() != m_width || image.height() != m_height) {
        *error = QStringLiteral("%1 is %2 x %3 pixels, the images before it %4 x %5")
                     .arg(image.fileName())
                     .arg(image.width())
                     .arg(image.height())
                     .arg(m_width)
                     .arg(m_height);
        return false;
    }
    double* sum = m_sum.get();
    const size_t n = size_t(m_width) * m_height;
    const bool ok = image.withSamples([sum, n](const auto* p) {
        for (size_t i = 0; i < n; ++i)
            sum[i] += double(p[i]);
    });
    if (!ok) {
        *error = QStringLiteral("%1 has no samples").arg(image.fileName());
        return false;
    }
    ++m_count;
    return true;
}

std::vector<double> ImageAverage::mean() const
{
    std::vector<double> out;
    if (m_count == 0)
        return out;
    out.assign(m_sum.get(), m_sum.get() + size_t(m_width) * m_height);
    for (double& v : out)
        v /= m_count;
    return out;
}

ImageContent ImageAverage::meanContent() const
{
    ImageContent c;
    if (m_count == 0 || !c.allocate(m_width, m_height, 3))
        return c;
    c.bytesPerPixel = 4;
    c.scanlineBytes = m_width * 4;
    float* out = reinterpret_cast<float*>(c.samples.get());
    for (size_t i = 0; i < size_t(m_width) * m_height; ++i)
        out[i] = float(m_sum[i] / m_count);
    c.updateRange();
    return c;
}
