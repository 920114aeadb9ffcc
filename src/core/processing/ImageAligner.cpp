#include "processing/ImageAligner.h"

#include "io/TiffData.h"

#include <QString>

void ImageAligner::setSource(const TiffData* source)
{
    m_source = source;
    m_width = source ? int(qMin<quint32>(source->width(), 1u << 15)) : 0;
    m_height = source ? int(qMin<quint32>(source->height(), 1u << 15)) : 0;
}

bool ImageAligner::edgeDetect()
{
    if (!m_source)
        return false;
    m_value = ImageAlignment::edgeImage(*m_source, true);
    return true;
}

bool ImageAligner::binarize(double t)
{
    if (!m_source || m_value.isEmpty())
        return false;
    m_binary = ImageAlignment::binarize(m_value, t);
    return true;
}

bool ImageAligner::setReference()
{
    if (m_binary.isEmpty())
        return false;
    m_reference = m_binary;
    return true;
}

QImage ImageAligner::compare(int sx, int sy)
{
    m_lastScore = ImageAlignment::score(m_binary, m_reference, sx, sy);
    return ImageAlignment::overlay(m_binary, m_reference, sx, sy, m_width, m_height);
}

ImageAlignment::SearchResult ImageAligner::search(int sx, int sy) const
{
    return ImageAlignment::searchShift(m_binary, m_reference, sx, sy, m_lastScore);
}

QImage ImageAligner::picture(bool binary, const ColorMapper& mapper) const
{
    return ImageAlignment::render(binary ? m_binary : m_value, mapper);
}

QString ImageAligner::scoreText(double s)
{
    return QString::number(s, 'g', 6).left(6);
}
