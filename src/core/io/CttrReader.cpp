#include "io/ImageReaders.h"

#include "base/LogCategories.h"
#include "base/TextItems.h"

#include <QDebug>
#include <QFile>
#include <QTextStream>
#include <cfloat>
#include <cmath>

// CTTR text image: header lines whose first item starts with "#" (the second
// item a key, the fourth its value), then one line per pixel, row after row,
// the third item being the value.

namespace {

// The shortest line that carries a pixel value: "0 0 0" and a line feed.
constexpr quint64 minLineBytes = 6;

// A header value: a number truncated to an integer, 0 when it is none.
qint64 headerValue(const QString& text)
{
    const double v = std::trunc(text.toDouble());
    if (!(std::fabs(v) < 1e15))
        return 0;
    return qint64(v);
}

QString thirdItem(const QString& line)
{
    QString item;
    nextItem(nextItem(nextItem(line, item), item), item);
    return item;
}

// The stored sample: the value x 500; negative values as 0, and so are values
// that are not finite or too large for a float (`bad` is then set).
float sampleOf(const QString& line, bool* bad)
{
    const double v = thirdItem(line).toDouble() * 500.0;
    if (!std::isfinite(v) || v > double(FLT_MAX)) {
        *bad = true;
        return 0.0f;
    }
    return v > 0.0 ? float(v) : 0.0f;
}

}

bool ImageReaders::readCttr(const QString& fileName, ImageContent& out)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qCDebug(lcIo).noquote() << "Can not open" << fileName << "[" << int(file.error()) << "]";
        return false;
    }
    QTextStream in(&file);

    qint64 x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    QString line;
    bool haveDataLine = false;
    while (in.readLineInto(&line)) {
        QString item;
        QString rest = nextItem(line, item);
        if (!item.startsWith(QLatin1Char('#'))) {
            haveDataLine = true;
            break;
        }
        qCDebug(lcIo).noquote() << "ksv" << line;
        QString key, value;
        rest = nextItem(rest, key);
        nextItem(nextItem(rest, item), value);
        key = key.toUpper();
        if (key == QLatin1String("RANGE_X0"))
            x0 = headerValue(value);
        else if (key == QLatin1String("RANGE_X1"))
            x1 = headerValue(value);
        else if (key == QLatin1String("RANGE_Y0"))
            y0 = headerValue(value);
        else if (key == QLatin1String("RANGE_Y1"))
            y1 = headerValue(value);
    }
    const qint64 width = x1 - x0;
    const qint64 height = y1 - y0;
    qCDebug(lcIo).noquote() << "rrr" << x0 << x1 << y0 << y1 << width << height;
    if (width < 1 || height < 1) {
        reportNoPixels(height, width, fileName);
        return false;
    }

    // A pixel's line holds three items, the value the third: at least
    // "0 0 0" and its line end, six bytes. A file too small to hold half of
    // its pixels that way is a lying header (a few lines claiming 16384 x
    // 16384, or megabytes of blank lines), refused before anything is read
    // or allocated; a file that merely lacks some lines at its end is read,
    // the missing values being 0.
    const quint64 pixels = quint64(width) * quint64(height);
    if (width > 0xffffffffLL || height > 0xffffffffLL || pixels > ImageContent::maxPixels) {
        ImageReaders::reportTooLarge(height, width, fileName);
        return false;
    }
    if (pixels * minLineBytes / 2 > quint64(file.size())) {
        qCDebug(lcIo).noquote() << "Image size does not fit the file. (h,w) =" << height << width << fileName;
        return false;
    }
    if (!out.allocate(quint32(width), quint32(height), 3)) {
        ImageReaders::reportNoMemory(height, width, fileName);
        return false;
    }

    float* samples = reinterpret_cast<float*>(out.samples.get());
    quint64 unusable = 0;
    for (quint64 i = 0; i < pixels; ++i) {
        if (i > 0 || !haveDataLine) {
            if (!in.readLineInto(&line))
                line.clear();   // missing lines at the end read as 0
        }
        bool bad = false;
        samples[i] = sampleOf(line, &bad);
        unusable += bad ? 1 : 0;
    }
    if (unusable > 0) {
        qCDebug(lcIo).noquote() << QStringLiteral("Stored 0 for %1 values that are not finite or too large :").arg(unusable)
                           << fileName;
    }
    out.updateRange();
    return true;
}
