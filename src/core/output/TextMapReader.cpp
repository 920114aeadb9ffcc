#include "output/TextMapReader.h"

#include <QFile>
#include <QFileInfo>

namespace TextMapReader {
namespace {

// Splits one line into its fields: at every comma, or at runs of blanks.
QList<QByteArray> fields(const QByteArray& line, bool comma)
{
    if (comma) {
        QList<QByteArray> parts = line.split(',');
        for (QByteArray& p : parts)
            p = p.trimmed();
        return parts;
    }
    return line.simplified().split(' ');
}

bool toValue(const QByteArray& text, double* v)
{
    bool ok = false;
    *v = text.toDouble(&ok);
    return ok;
}

bool toInt(const QByteArray& text, int* v)
{
    bool ok = false;
    *v = text.toInt(&ok, 10);
    return ok;
}

} // namespace

bool parse(const QByteArray& bytes, const TextMapFormat& format, Map* out, QString* error)
{
    Map map;
    const bool comma = format.commaSeparated;
    int lineNo = 0;
    qint64 pos = 0;
    const qint64 size = bytes.size();
    const auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("line %1: %2").arg(QString::number(lineNo), why);
        return false;
    };
    while (pos < size) {
        ++lineNo;
        qint64 end = bytes.indexOf('\n', int(pos));
        if (end < 0)
            end = size;
        if (end - pos > maxLineBytes)
            return fail(QStringLiteral("line too long"));
        QByteArray line = bytes.mid(int(pos), int(end - pos));
        pos = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            return fail(QStringLiteral("empty line"));
        const QList<QByteArray> parts = fields(line, comma);
        if (format.xyVal) {
            if (parts.size() != 3)
                return fail(QStringLiteral("expected X, Y and a value"));
            Point p;
            if (!toInt(parts.at(0), &p.x) || !toInt(parts.at(1), &p.y))
                return fail(QStringLiteral("X and Y must be integers"));
            if (!toValue(parts.at(2), &p.value))
                return fail(QStringLiteral("not a number"));
            map.points.append(p);
        } else {
            QVector<double> row;
            row.reserve(parts.size());
            for (const QByteArray& part : parts) {
                double v = 0.0;
                if (!toValue(part, &v))
                    return fail(QStringLiteral("not a number"));
                row.append(v);
            }
            map.rows.append(row);
        }
    }
    *out = std::move(map);
    return true;
}

bool read(const QString& path, const TextMapFormat& format, Map* out, QString* error)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        if (error)
            *error = QStringLiteral("Can't open %1: not a regular file").arg(path);
        return false;
    }
    if (info.size() > maxBytes) {
        if (error)
            *error = QStringLiteral("Can't read %1: file too large").arg(path);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Can't open %1: %2").arg(path, file.errorString());
        return false;
    }
    // Not read(maxBytes + 1): QIODevice::read(n) allocates n bytes up front,
    // a gigabyte for every map. The size was checked above; a file that grew
    // since is caught below.
    const QByteArray bytes = file.readAll();
    if (bytes.size() > maxBytes) {
        if (error)
            *error = QStringLiteral("Can't read %1: file too large").arg(path);
        return false;
    }
    QString why;
    if (!parse(bytes, format, out, &why)) {
        if (error)
            *error = QStringLiteral("Can't read %1: %2").arg(path, why);
        return false;
    }
    return true;
}

}
