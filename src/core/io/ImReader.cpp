#include "base/LogCategories.h"
#include "io/ImageReaders.h"

#include <QDebug>
#include <QFile>
#include <QtEndian>

// IM layout (little-endian): "IM", comment length n (u16), width (u16),
// height (u16), 56 unused bytes, the comment at offset 64, then the samples
// row after row, 2 or 4 bytes each.

namespace {

constexpr qint64 commentOffset = 64;

// The sample width the comment asks for: items end at a comma, and the text
// after the last comma is never looked at. Width and height items of the
// comment are not used: the binary header's size always wins.
int bytesPerPixelOf(const QByteArray& comment)
{
    static const QString key = QStringLiteral("BytesPerPixel=");
    int bytesPerPixel = 2;
    QString item;
    for (char ch : comment) {
        if (ch != ',') {
            item += QLatin1Char(ch);
            continue;
        }
        if (item.startsWith(key))
            bytesPerPixel = item.mid(key.size()).simplified().split(QLatin1Char(' ')).first().toInt();
        item.clear();
    }
    return bytesPerPixel;
}

void reportShortFile(quint32 height, quint32 width, int sampleBytes, const QString& fileName)
{
    qCDebug(lcIo).noquote().nospace() << "invalid file size. expected (h,w) = " << height << ' ' << width;
    qCDebug(lcIo).noquote() << (sampleBytes == 4 ? "Error on reading (2)" : "Error on reading (3)") << fileName;
}

}

bool ImageReaders::readIm(const QString& fileName, ImageContent& out)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        qCDebug(lcIo).noquote() << "Can not open" << fileName << "[" << int(file.error()) << "]";
        return false;
    }
    uchar head[10];
    if (file.read(reinterpret_cast<char*>(head), sizeof head) < qint64(sizeof head)) {
        qCDebug(lcIo).noquote() << "Error on reading (4)" << fileName;
        return false;
    }
    const int commentLength = qFromLittleEndian<quint16>(head + 2);
    const quint32 width = qFromLittleEndian<quint16>(head + 4);
    const quint32 height = qFromLittleEndian<quint16>(head + 6);

    QByteArray comment;
    if (file.seek(commentOffset))
        comment = file.read(commentLength);
    if (comment.size() < commentLength)
        qCDebug(lcIo).noquote() << "Error on reading (5)" << comment.size() << commentLength << fileName;
    const int bytesPerPixel = bytesPerPixelOf(comment);
    qCDebug(lcIo).noquote() << "bytes per pixel" << bytesPerPixel;

    const int sampleBytes = bytesPerPixel == 4 ? 4 : 2;
    const qint64 dataOffset = commentOffset + commentLength;
    const quint64 dataBytes = quint64(width) * height * sampleBytes;
    // The samples must all be in the file before anything is allocated.
    if (quint64(file.size()) < dataOffset + dataBytes
        || !out.allocate(width, height, sampleBytes == 4 ? 2 : 1)) {
        reportShortFile(height, width, sampleBytes, fileName);
        return false;
    }
    out.bytesPerPixel = quint16(sampleBytes);
    if (dataBytes > 0) {
        char* data = reinterpret_cast<char*>(out.samples.get());
        if (!file.seek(dataOffset) || file.read(data, qint64(dataBytes)) != qint64(dataBytes)) {
            reportShortFile(height, width, sampleBytes, fileName);
            out.samples.reset();
            return false;
        }
        const qsizetype count = qsizetype(quint64(width) * height);
        if (sampleBytes == 4)
            qFromLittleEndian<quint32>(data, count, data);
        else
            qFromLittleEndian<quint16>(data, count, data);
    }
    out.updateRange();
    return true;
}
