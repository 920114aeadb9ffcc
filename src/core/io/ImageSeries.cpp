#include "io/ImageSeries.h"

#include "io/TiffData.h"

ImageSeries::~ImageSeries()
{
    clear();
}

void ImageSeries::append(TiffData* image)
{
    if (image)
        m_images.push_back(image);
}

void ImageSeries::clear()
{
    for (TiffData* t : m_images)
        delete t;
    m_images.clear();
}

bool SeriesSizeCheck::acceptI1(const ImageSeries& i1, const TiffData& image, QString* message)
{
    const TiffData* first = i1.first();
    if (!first || (first->width() == image.width() && first->height() == image.height()))
        return true;
    if (message)
        *message = QStringLiteral("Image size %1 x %2 of %3 differs from the series' %4 x %5 (%6): image refused")
                       .arg(image.width())
                       .arg(image.height())
                       .arg(image.fileName())
                       .arg(first->width())
                       .arg(first->height())
                       .arg(first->fileName());
    return false;
}

QString SeriesSizeCheck::i0Warning(const ImageSeries& i1, const ImageSeries& i0, const TiffData& image,
                                   bool* warnedI0)
{
    const TiffData* ref = i1.first() ? i1.first() : i0.first();
    if (!ref || (warnedI0 && *warnedI0))
        return QString();
    if (ref->width() == image.width() && ref->height() == image.height())
        return QString();
    if (warnedI0)
        *warnedI0 = true;
    return QStringLiteral("I0 image %1 is %2 x %3, not %4 x %5 like %6: I0 reads 0 outside it")
        .arg(image.fileName())
        .arg(image.width())
        .arg(image.height())
        .arg(ref->width())
        .arg(ref->height())
        .arg(ref->fileName());
}
