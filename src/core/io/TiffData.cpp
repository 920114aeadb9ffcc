#include "io/TiffData.h"

#include "base/FileCheck.h"
#include "base/LogCategories.h"
#include "display/ColorScale.h"
#include "display/ColorTables.h"
#include "io/DarkField.h"
#include "io/ImageReaders.h"

#include <QDebug>
#include <QFile>
#include <cstring>
#include <new>
#include <vector>

ImageReaders::Format ImageReaders::recognise(const char* head, int size)
{
    static const char cttr[] = "#CTTR-CTImg";
    if (size >= 2 && ((head[0] == 'I' && head[1] == 'I') || (head[0] == 'M' && head[1] == 'M')))
        return Format::Tiff;
    if (size >= 2 && head[0] == 'I' && head[1] == 'M')
        return Format::Im;
    // The text up to the first zero byte must begin with the tag; the tag
    // holds no zero byte, so comparing its bytes is the same.
    if (size >= int(sizeof cttr) - 1 && std::memcmp(head, cttr, sizeof cttr - 1) == 0)
        return Format::Cttr;
    return Format::Unknown;
}

QString ImageReaders::unknownContent(const char* head, int size)
{
    const auto starts = [head, size](const char* magic, int n) { return size >= n && std::memcmp(head, magic, size_t(n)) == 0; };
    if (starts("\x89PNG", 4))
        return QStringLiteral("a PNG image");
    if (starts("\xFF\xD8\xFF", 3))
        return QStringLiteral("a JPEG image");
    if (starts("GIF8", 4))
        return QStringLiteral("a GIF image");
    if (starts("%PDF", 4))
        return QStringLiteral("a PDF document");
    if (starts("\xFF\xFE", 2) || starts("\xFE\xFF", 2))
        return QStringLiteral("UTF-16 text");
    // UTF-16 without a byte-order mark: ASCII text with a zero byte beside
    // every character.
    const auto text = [](char c) { return (c >= 0x20 && c < 0x7f) || c == '\t' || c == '\n' || c == '\r'; };
    if (size >= 4
        && ((text(head[0]) && !head[1] && text(head[2]) && !head[3])
            || (!head[0] && text(head[1]) && !head[2] && text(head[3]))))
        return QStringLiteral("UTF-16 text");
    if (starts("\xEF\xBB\xBF", 3))
        return QStringLiteral("text with a byte-order mark");
    return QString();
}

void ImageReaders::reportNoPixels(qint64 height, qint64 width, const QString& fileName)
{
    qCDebug(lcIo).noquote() << "Image has no pixels. (h,w) =" << height << width << fileName;
}

void ImageReaders::reportTooLarge(qint64 height, qint64 width, const QString& fileName)
{
    qCDebug(lcIo).noquote() << QStringLiteral("Image of %1 x %2 pixels is larger than the %3 pixels an image may have : %4")
                                   .arg(height).arg(width).arg(ImageContent::maxPixels).arg(fileName);
}

void ImageReaders::reportNoMemory(qint64 height, qint64 width, const QString& fileName)
{
    // A warning: the failing load names the file, this says why.
    qCWarning(lcIo).noquote() << QStringLiteral("Not enough memory for an image of %1 x %2 pixels : %3")
                                   .arg(height).arg(width).arg(fileName);
}

namespace {

// Normalises a value with the image's range and maps it through the scale.
// A flat image (maximum not above minimum) has no normalised value; all its
// pixels take t = 0, the low end of the scale, like a range's smallest value.
struct GreyOfValue {
    ColorMapper mapper;
    double minimum;
    double range;
    bool flat;

    uchar operator()(double v) const { return mapper.grey(flat ? 0.0 : (v - minimum) / range); }
};

// Display pixel (x, y) shows source sample (x - sx, y - sy); outside the
// source it shows the value 0.
template <class T, class Map>
void renderRows(const T* samples, quint32 w, quint32 h, int sx, int sy, uchar* dst, size_t stride, Map map,
                uchar zero)
{
    const qint64 c0 = qBound<qint64>(0, sx, w);
    const qint64 c1 = qBound<qint64>(0, qint64(sx) + w, w);
    for (quint32 y = 0; y < h; ++y) {
        uchar* out = dst + size_t(y) * stride;
        std::memset(out + w, 0, stride - w);
        const quint32 r = y - quint32(sy);
        if (r >= h || c0 >= c1) {
            std::memset(out, zero, w);
            continue;
        }
        const T* src = samples + size_t(r) * w;
        std::memset(out, zero, size_t(c0));
        for (qint64 x = c0; x < c1; ++x)
            out[x] = map(src[x - sx]);
        std::memset(out + c1, zero, size_t(w - c1));
    }
}

}

TiffData::~TiffData() = default;

bool TiffData::genImage()
{
    const PictureChange changed(this);
    const size_t stride = size_t(ColorTables::bytesPerLine(int(m_width), m_displayFormat));
    const size_t size = stride * m_height;
    const bool sameSize = m_displayImage && m_displayImage->width() == int(m_width)
        && m_displayImage->height() == int(m_height);
    if (!sameSize) {
        m_displayImage.reset();
        m_displayBuffer.reset();
        if (size == 0 || m_width == 0)
            return true;
        // Without the memory the image has no picture, and says so once.
        m_displayBuffer.reset(new (std::nothrow) uchar[size]);
        if (!m_displayBuffer) {
            qCWarning(lcIo).noquote() << QStringLiteral("Not enough memory for the picture of %1 x %2 pixels : %3")
                                           .arg(m_height).arg(m_width).arg(m_fileName);
            return false;
        }
        m_displayImage.reset(new QImage(ColorTables::imageOver(m_displayBuffer.get(), int(m_width), int(m_height), m_displayFormat)));
    }

    const ColorScale* scale = m_colorScale ? m_colorScale : ColorScale::global();
    const double range = m_maximum - m_minimum;
    const GreyOfValue grey{scale->mapper(), m_minimum, range, !(range > 0.0)};
    uchar* dst = m_displayBuffer.get();
    const quint64 pixels = quint64(m_width) * m_height;

    if (m_u16 && pixels >= 65536 && m_maximum <= 65535.0) {
        // Every 16-bit value maps to one byte: look the samples up instead of
        // computing each. The samples all lie in [minimum, maximum].
        const quint32 first = quint32(m_minimum);
        const quint32 last = quint32(m_maximum);
        std::unique_ptr<uchar[]> table(new (std::nothrow) uchar[last + 1]);
        if (!table)
            return false;
        for (quint32 v = first; v <= last; ++v)
            table[v] = grey(v);
        const uchar* lut = table.get();
        renderRows(m_u16, m_width, m_height, m_shiftX, m_shiftY, dst, stride,
                   [lut](quint16 v) { return lut[v]; }, grey(0.0));
    } else if (m_u16) {
        renderRows(m_u16, m_width, m_height, m_shiftX, m_shiftY, dst, stride, grey, grey(0.0));
    } else if (m_u32) {
        renderRows(m_u32, m_width, m_height, m_shiftX, m_shiftY, dst, stride, grey, grey(0.0));
    } else if (m_f32) {
        renderRows(m_f32, m_width, m_height, m_shiftX, m_shiftY, dst, stride, grey, grey(0.0));
    }
    return true;
}

bool TiffData::read(const QString& fileName, bool render)
{
    // A loader thread must never end the program: memory that runs out
    // anywhere in a reader fails the read.
    try {
        return readFile(fileName, render);
    } catch (const std::bad_alloc&) {
        // Thrown before the record took anything: it is as it was.
        qCWarning(lcIo).noquote() << "Not enough memory to read" << fileName;
        return false;
    }
}

bool TiffData::readFile(const QString& fileName, bool render)
{
    // A named pipe or a device would block or never end: refuse it unopened.
    if (refuseNonRegularFile(fileName))
        return false;
    char head[ImageReaders::headSize];
    {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly)) {
            qCDebug(lcIo).noquote() << "Can not open (1)" << fileName;
            return false;
        }
        if (file.read(head, sizeof head) < qint64(sizeof head)) {
            qCDebug(lcIo).noquote() << "Error on reading file (1)" << fileName;
            return false;
        }
    }

    ImageContent content;
    bool ok = false;
    switch (ImageReaders::recognise(head, sizeof head)) {
    case ImageReaders::Format::Tiff: ok = ImageReaders::readTiff(fileName, content); break;
    case ImageReaders::Format::Im: ok = ImageReaders::readIm(fileName, content); break;
    case ImageReaders::Format::Cttr: ok = ImageReaders::readCttr(fileName, content); break;
    case ImageReaders::Format::Unknown: {
        const QString what = ImageReaders::unknownContent(head, sizeof head);
        qCDebug(lcIo).noquote() << QStringLiteral("Not a TIFF, IM or CTTR image file%1 : ")
                                      .arg(what.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(what))
                + fileName;
        return false;
    }
    }
    if (!ok)
        return false;
    // An image without pixels would pass every later step as a valid, empty
    // measurement.
    if (content.width == 0 || content.height == 0) {
        ImageReaders::reportNoPixels(content.height, content.width, fileName);
        return false;
    }
    take(content, fileName);
    // A picture there is no memory for fails the read, as the samples would.
    if (render && !genImage()) {
        clearPixels();
        return false;
    }
    return true;
}

bool TiffData::adopt(ImageContent& content, const QString& fileName, bool render)
{
    if (content.width == 0 || content.height == 0 || !content.samples) {
        ImageReaders::reportNoPixels(content.height, content.width, fileName);
        return false;
    }
    take(content, fileName);
    if (render)
        genImage();
    return true;
}

bool TiffData::setDark(std::shared_ptr<const DarkField> dark)
{
    if (dark && (dark->width() != m_width || dark->height() != m_height))
        return false;
    m_dark = std::move(dark);
    return true;
}

void TiffData::take(ImageContent& content, const QString& fileName)
{
    m_fileName = fileName;
    m_bytesPerPixel = content.bytesPerPixel;
    m_width = content.width;
    m_height = content.height;
    m_scanlineBytes = content.scanlineBytes;
    m_minimum = content.minimum;
    m_maximum = content.maximum;
    m_pixelType = content.pixelType;
    m_samples = std::move(content.samples);

    const unsigned char* p = m_samples.get();
    m_u16 = is16Bit() ? reinterpret_cast<const quint16*>(p) : nullptr;
    m_u32 = m_pixelType == ImU32 ? reinterpret_cast<const quint32*>(p) : nullptr;
    m_f32 = m_pixelType == CttrFloat ? reinterpret_cast<const float*>(p) : nullptr;
}

void TiffData::clearPixels()
{
    const PictureChange changed(this);
    m_displayImage.reset();
    m_displayBuffer.reset();
    m_samples.reset();
    m_u16 = nullptr;
    m_u32 = nullptr;
    m_f32 = nullptr;
    m_width = 0;
    m_height = 0;
    m_pixelType = NoPixels;
}

bool TiffData::layerRange(double& lo, double& hi) const
{
    if (m_pixelType == NoPixels)
        return false;
    lo = m_minimum;
    hi = m_maximum;
    return true;
}
