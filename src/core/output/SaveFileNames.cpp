#include "output/SaveFileNames.h"

#include <QFileInfo>

namespace SaveFileNames {
namespace {

// The directory part of the name as written ("" for a bare name).
QString directoryPart(const QString& fileName)
{
    const QString file = QFileInfo(fileName).fileName();
    return fileName.left(fileName.size() - file.size());
}

} // namespace

QString withNumber(const QString& fileName, const QString& number)
{
    const QFileInfo info(fileName);
    QString name = info.completeBaseName() + QLatin1Char('-') + number;
    if (!info.suffix().isEmpty())
        name += QLatin1Char('.') + info.suffix();
    return directoryPart(fileName) + name;
}

QString withDefaultSuffix(const QString& fileName, const QString& defaultSuffix)
{
    if (!QFileInfo(fileName).suffix().isEmpty())
        return fileName;
    return fileName + QLatin1Char('.') + defaultSuffix;
}

QString numbered(const QString& fileName, const QString& number, const QString& fixedSuffix)
{
    return directoryPart(fileName)
        + QStringLiteral("%1-%2.%3").arg(QFileInfo(fileName).completeBaseName(), number, fixedSuffix);
}

QString numbered(const QString& fileName, int number, const QString& fixedSuffix)
{
    return numbered(fileName, QString::number(number), fixedSuffix);
}

QString unused(const QString& fileName, const std::function<bool(const QString&)>& taken)
{
    if (!taken(fileName))
        return fileName;
    for (int n = 2; n <= 1000; ++n) {
        const QString candidate = withNumber(fileName, QString::number(n));
        if (!taken(candidate))
            return candidate;
    }
    return QString();
}

}
