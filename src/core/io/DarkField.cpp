#include "io/DarkField.h"

DarkField::DarkField(quint32 width, quint32 height, const std::vector<double>& mean, int frames,
                     const QString& origin)
    : m_width(width), m_height(height), m_frames(frames), m_origin(origin)
{
    const size_t s = size_t(width) + 1;
    m_table.assign(s * (size_t(height) + 1), 0.0);
    for (quint32 r = 0; r < height; ++r) {
        double row = 0.0;
        const double* in = mean.data() + size_t(r) * width;
        const double* above = m_table.data() + size_t(r) * s;
        double* out = m_table.data() + size_t(r + 1) * s;
        for (quint32 c = 0; c < width; ++c) {
            row += in[c];
            out[c + 1] = above[c + 1] + row;
        }
    }
    const double pixels = double(width) * height;
    m_level = pixels > 0 ? m_table.back() / pixels : 0.0;
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
