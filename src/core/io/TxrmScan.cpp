#include "io/TxrmScan.h"

#include "io/ImageContent.h"
#include "io/OleFile.h"

#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QtEndian>
#include <algorithm>
#include <cmath>

namespace TxrmScan {

namespace {

// More images than any scan has; bounds what the count may make us read.
constexpr qint32 maxImages = 1000000;
// Every storage of the microscope's files holds this many images; files
// written otherwise are read too, wherever each image is.
constexpr int imagesPerStorage = 100;

const QString widthStream = QStringLiteral("ImageInfo/ImageWidth");
const QString heightStream = QStringLiteral("ImageInfo/ImageHeight");
const QString typeStream = QStringLiteral("ImageInfo/DataType");
const QString takenStream = QStringLiteral("ImageInfo/ImagesTaken");
const QString countStream = QStringLiteral("ImageInfo/NoOfImages");
const QString energyStream = QStringLiteral("ImageInfo/Energy");
const QString flatStream = QStringLiteral("ReferenceData/Image");
const QString flatTypeStream = QStringLiteral("ReferenceData/DataType");

struct Reader {
    const OleFile& ole;
    const QString& file;
    QString* error;

    // An int32 stream; false with a message when it is missing or short.
    bool int32(const QString& stream, qint32* value) const
    {
        const qint64 size = ole.streamSize(stream);
        uchar bytes[4];
        if (size < 0) {
            *error = QStringLiteral("%1: stream %2 missing").arg(file, stream);
            return false;
        }
        if (size < 4 || !ole.read(stream, bytes, 4)) {
            *error = QStringLiteral("%1: stream %2 holds %3 bytes, not a 4-byte integer").arg(file, stream).arg(size);
            return false;
        }
        *value = qFromLittleEndian<qint32>(bytes);
        return true;
    }
};

int pixelTypeOf(qint32 dataType)
{
    return dataType == dataTypeU16 ? 1 : (dataType == dataTypeFloat ? 3 : 4);
}

QString typeName(int pixelType)
{
    return pixelType == 1 ? QStringLiteral("16-bit") : QStringLiteral("float");
}

// Image number -> stream, over every ImageData<k> storage.
QMap<int, QString> imageIndex(const OleFile& ole)
{
    static const QRegularExpression storageName(QStringLiteral("^ImageData\\d+$"));
    static const QRegularExpression imageName(QStringLiteral("^Image(\\d+)$"));
    QMap<int, QString> index;
    for (const QString& storage : ole.children(QString())) {
        if (!storageName.match(storage).hasMatch())
            continue;
        for (const QString& name : ole.children(storage)) {
            const QRegularExpressionMatch m = imageName.match(name);
            bool ok = false;
            const int i = m.hasMatch() ? m.captured(1).toInt(&ok) : 0;
            if (ok && i >= 1 && !index.contains(i))
                index.insert(i, storage + QLatin1Char('/') + name);
        }
    }
    return index;
}

QString sizeFault(const QString& file, const QString& stream, qint64 size, const TxrmPlan& plan, int pixelType)
{
    return QStringLiteral("%1: stream %2 holds %3 bytes; one image of %4 x %5 %6 pixels needs %7")
        .arg(file, stream)
        .arg(size)
        .arg(plan.width)
        .arg(plan.height)
        .arg(typeName(pixelType))
        .arg(qint64(plan.width) * plan.height * ImageContent::sampleSize(pixelType));
}

bool checkImages(const OleFile& ole, const QString& file, qint32 count, const QString& countFrom, TxrmPlan* plan,
                 QString* error)
{
    const QMap<int, QString> index = imageIndex(ole);
    if (count <= 0)
        count = index.size() == 1 && index.contains(1) ? 1 : 0;
    if (count <= 0) {
        *error = QStringLiteral("%1: streams %2 and %3 missing, and the file holds %4 images")
                     .arg(file, takenStream, countStream)
                     .arg(index.size());
        return false;
    }
    const qint64 bytes = qint64(plan->width) * plan->height * ImageContent::sampleSize(plan->pixelType);
    for (int i = 1; i <= count; ++i) {
        const QString stream = index.value(i);
        if (stream.isEmpty()) {
            *error = QStringLiteral("%1: stream ImageData%2/Image%3 missing (%4 says %5 images, %6 are there)")
                         .arg(file)
                         .arg((i - 1) / imagesPerStorage + 1)
                         .arg(i)
                         .arg(countFrom)
                         .arg(count)
                         .arg(index.size());
            return false;
        }
        const qint64 size = ole.streamSize(stream);
        if (size != bytes) {
            *error = sizeFault(file, stream, size, *plan, plan->pixelType);
            return false;
        }
        plan->imageStreams << stream;
    }
    return true;
}

bool checkEnergies(const OleFile& ole, const QString& file, TxrmPlan* plan, QString* error)
{
    const qint64 size = ole.streamSize(energyStream);
    if (size < 0)
        return true;
    const int n = plan->images();
    if (size / 4 < n) {
        *error = QStringLiteral("%1: stream %2 holds %3 energies for %4 images").arg(file, energyStream).arg(size / 4).arg(n);
        return false;
    }
    std::vector<float> values(static_cast<size_t>(n));
    if (!ole.read(energyStream, values.data(), qint64(n) * 4)) {
        *error = QStringLiteral("%1: can not read stream %2").arg(file, energyStream);
        return false;
    }
    plan->energies.reserve(size_t(n));
    for (float& v : values) {
        const double e = double(qFromLittleEndian<float>(&v));
        if (!std::isfinite(e)) {
            *error = QStringLiteral("%1: stream %2 holds an energy that is not a number").arg(file, energyStream);
            plan->energies.clear();
            return false;
        }
        plan->energies.push_back(e);
    }
    return true;
}

bool checkFlat(const OleFile& ole, const QString& file, const Reader& r, TxrmPlan* plan, QString* error)
{
    const qint64 size = ole.streamSize(flatStream);
    if (size < 0)
        return true;
    const qint64 pixels = qint64(plan->width) * plan->height;
    int type = 4;
    if (ole.streamSize(flatTypeStream) >= 0) {
        qint32 dataType = 0;
        if (!r.int32(flatTypeStream, &dataType))
            return false;
        type = pixelTypeOf(dataType);
        if (type == 4) {
            *error = QStringLiteral("%1: stream %2 names data type %3; this program reads %4 (16-bit) and %5 (float)")
                         .arg(file, flatTypeStream)
                         .arg(dataType)
                         .arg(dataTypeU16)
                         .arg(dataTypeFloat);
            return false;
        }
    } else {
        // No type of its own: the one its length implies.
        type = size == pixels * 2 ? 1 : 3;
    }
    if (size != pixels * ImageContent::sampleSize(type)) {
        *error = sizeFault(file, flatStream, size, *plan, type);
        return false;
    }
    plan->flatStream = flatStream;
    plan->flatPixelType = type;
    return true;
}

}

bool isCompoundFile(const QString& path)
{
    return OleFile::hasSignature(path);
}

QString imageName(const QString& file, const QString& stream)
{
    return QStringLiteral("%1::%2").arg(file, stream);
}

bool check(const QString& file, TxrmPlan* plan, QString* error)
{
    *plan = TxrmPlan();
    if (!QFileInfo(file).isFile()) {
        *error = QStringLiteral("Can not open %1").arg(file);
        return false;
    }
    if (!OleFile::hasSignature(file)) {
        *error = QStringLiteral("%1 is not an OLE2 compound file (TXRM/XRM)").arg(file);
        return false;
    }
    OleFile ole;
    if (!ole.open(file, error))
        return false;
    const Reader r{ole, file, error};
    qint32 width = 0, height = 0, dataType = 0;
    if (!r.int32(widthStream, &width) || !r.int32(heightStream, &height) || !r.int32(typeStream, &dataType))
        return false;
    if (width <= 0 || height <= 0 || quint64(width) * quint64(height) > ImageContent::maxPixels) {
        *error = QStringLiteral("%1: streams %2 and %3 give images of %4 x %5 pixels; this program reads 1 to %6 pixels")
                     .arg(file, widthStream, heightStream)
                     .arg(width)
                     .arg(height)
                     .arg(ImageContent::maxPixels);
        return false;
    }
    plan->file = file;
    plan->width = quint32(width);
    plan->height = quint32(height);
    plan->pixelType = pixelTypeOf(dataType);
    if (plan->pixelType == 4) {
        *error = QStringLiteral("%1: stream %2 names data type %3; this program reads %4 (16-bit) and %5 (float)")
                     .arg(file, typeStream)
                     .arg(dataType)
                     .arg(dataTypeU16)
                     .arg(dataTypeFloat);
        return false;
    }
    // The images taken, else the images planned; without either an XRM's one.
    qint32 count = 0;
    QString countFrom;
    for (const QString& stream : {takenStream, countStream}) {
        if (count > 0 || ole.streamSize(stream) < 0)
            continue;
        if (!r.int32(stream, &count))
            return false;
        countFrom = stream;
    }
    if (count < 0 || count > maxImages) {
        *error = QStringLiteral("%1: stream %2 gives %3 images; this program reads 1 to %4")
                     .arg(file, countFrom)
                     .arg(count)
                     .arg(maxImages);
        return false;
    }
    if (!checkImages(ole, file, count, countFrom, plan, error) || !checkEnergies(ole, file, plan, error)
        || !checkFlat(ole, file, r, plan, error)) {
        *plan = TxrmPlan();
        return false;
    }
    return true;
}

}
