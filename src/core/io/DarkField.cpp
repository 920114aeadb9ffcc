#include "io/DarkField.h"

#include "io/ImageAverage.h"

#include <algorithm>
#include <new>

DarkField::DarkField(quint32 width, quint32 height, const std::vector<double>& mean, int frames,
                     const QString& origin)
    : m_width(width), m_height(height), m_frames(frames), m_origin(origin)
{
    build(mean.data(), 1.0);
}

DarkField::DarkField(const ImageAverage& frames, const QString& origin)
    : m_width(frames.width()), m_height(frames.height()), m_frames(frames.count()), m_origin(origin)
{
    build(frames.sums(), double(std::max(frames.count(), 1)));
}

void DarkField::build(const double* values, double divisor)
{
    const size_t s = size_t(m_width) + 1;
    const size_t entries = s * (size_t(m_height) + 1);
    m_table = LargeBuffer::make<double>(entries);
    if (!m_table)
        throw std::bad_alloc();
    std::fill_n(m_table.get(), s, 0.0);
    for (quint32 r = 0; r < m_height; ++r) {
        double row = 0.0;
        const double* in = values + size_t(r) * m_width;
        const double* above = m_table.get() + size_t(r) * s;
        double* out = m_table.get() + size_t(r + 1) * s;
        out[0] = 0.0;
        // Dividing each value first gives the very sums of a table of the mean.
        for (quint32 c = 0; c < m_width; ++c) {
            row += in[c] / divisor;
            out[c + 1] = above[c + 1] + row;
        }
    }
    const double pixels = double(m_width) * m_height;
    m_level = pixels > 0 ? m_table[entries - 1] / pixels : 0.0;
}

double DarkField::value(quint32 x, quint32 y) const
{
    if (x >= m_width || y >= m_height)
        return 0.0;
    return sum(x, x, y, y);
}

QString DarkField::description() const
{
    return QStringLiteral("%1, mean of %2 image%3, level %4 counts")
        .arg(m_origin)
        .arg(m_frames)
        .arg(m_frames == 1 ? QString() : QStringLiteral("s"))
        .arg(m_level, 0, 'f', 1);
}
