#include "io/EnergyOfFiles.h"

#include <QDebug>
#include <QFile>
#include "base/FileCheck.h"
#include "base/FileNameCodec.h"
#include "base/LogCategories.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <cmath>

double EnergyOfFiles::energyOf(const QString& path, int fileNo) const
{
    switch (source) {
    case ByFileName: return energyFromName(path, fileNo);
    case ByRefFile: return energyFromRefList(fileNo);
    case ByCalculation: break;
    }
    return energyByCalculation(fileNo);
}

bool EnergyOfFiles::givesEnergy(const QString& path) const
{
    switch (source) {
    case ByFileName: {
        const QRegularExpression re(pattern);
        return re.isValid() && re.match(FileNameCodec::forMatching(path)).hasMatch();
    }
    case ByRefFile: return !refEnergies.isEmpty();
    case ByCalculation: break;
    }
    return true;
}

EnergyOfFiles::Preview EnergyOfFiles::preview(const QStringList& paths) const
{
    Preview p;
    p.count = paths.size();
    for (int i = 0; i < paths.size(); ++i)
        if (givesEnergy(paths.at(i)))
            ++p.withEnergy;
    if (!paths.isEmpty()) {
        p.first = energyOf(paths.first(), 0);
        p.last = energyOf(paths.last(), paths.size() - 1);
    }
    return p;
}

double EnergyOfFiles::energyFromName(const QString& path, int fileNo) const
{
    double value = fileNo;
    const QRegularExpression re(pattern);
    // A pattern that does not compile matches nothing, like one that does
    // not occur in the name.
    if (re.isValid()) {
        const QRegularExpressionMatch m = re.match(FileNameCodec::forMatching(path));
        if (m.hasMatch()) {
            QString text = m.captured(0).toUpper();
            text.replace(QLatin1Char('_'), QLatin1Char('.'));
            text.remove(QStringLiteral("KEV"));
            text.remove(QStringLiteral("EV"));
            value = readNumber(text);
        }
    }
    if (factor > 0.0)
        value *= factor;
    return value;
}

double EnergyOfFiles::energyByCalculation(int fileNo) const
{
    const double i = fileNo;
    const double m = start + delta * i;
    if (unit == UnitDeg)
        return Units::energyOfAngle(m, d);
    if (unit != UnitEV && unit != UnitKeV)
        return m;
    const double scale = unit == UnitKeV ? 1000.0 : 1.0;
    if (evenInEnergy)
        return scale * m;
    const double thetaStart = Units::angleOfEnergy(scale * start, d);
    const double thetaEnd = Units::angleOfEnergy(scale * end, d);
    const double theta = thetaStart + (thetaEnd - thetaStart) / numOfPoints * i;
    return Units::energyOfAngle(theta, d);
}

double EnergyOfFiles::energyFromRefList(int fileNo) const
{
    if (refEnergies.isEmpty())
        return 8000.0 + fileNo;
    if (fileNo < 0)
        return refEnergies.first();
    if (fileNo >= refEnergies.size())
        return refEnergies.last();
    return refEnergies[fileNo];
}

const QStringList& EnergyOfFiles::defaultPatterns()
{
    static const QStringList patterns = {
        QStringLiteral("\\d\\d\\d\\d_\\d\\d\\d\\d"),
        QStringLiteral("\\d\\d\\d\\d_\\d\\d"),
        QStringLiteral("\\d\\d\\d\\d_\\d\\deV"),
        QStringLiteral("\\d\\d\\d\\d\\.\\d\\d\\d\\d"),
        QStringLiteral("\\d\\d\\d\\d\\.\\d\\d"),
        QStringLiteral("\\d\\d\\d\\d\\.\\d\\deV"),
        QStringLiteral("\\d\\d_\\d\\d\\d\\d\\d\\dKeV"),
        QStringLiteral("\\d_\\d\\d\\d\\d\\d\\dKeV"),
    };
    return patterns;
}

double EnergyOfFiles::factorOfPattern(const QString& pattern)
{
    const QString upper = pattern.toUpper();
    if (upper.contains(QStringLiteral("EV")) && upper.contains(QStringLiteral("KEV")))
        return 1000.0;
    return 1.0;
}

bool EnergyOfFiles::readRefFile(const QString& fname, double d, QVector<double>& energies, QString* error)
{
    const auto refuse = [&](const QString& why) {
        qCDebug(lcIo).noquote() << QStringLiteral("Can't use ref file %1 : %2").arg(fname, why);
        if (error)
            *error = why;
        return false;
    };
    QFile file(fname);
    // Only a regular file can be a list of angles: a named pipe or a device
    // is refused by name before anything opens it.
    if (refuseNonRegularFile(fname) || !file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qCDebug(lcIo).noquote() << "Can't open ref file" << fname;
        if (error)
            *error = QStringLiteral("can not open it");
        return false;
    }
    QTextStream in(&file);

    // The first line tells the format: "9809" as its first field means the
    // angles are in field 1 after the "Offset" line; otherwise the first line
    // is a title and every following line holds an angle in field 0.
    const QStringList first = in.readLine().simplified().split(QLatin1Char(' '));
    const bool is9809 = first.value(0) == QLatin1String("9809");
    const int angleField = is9809 ? 1 : 0;

    qCDebug(lcIo) << "reading simple";
    QVector<double> read;
    qint64 lineNo = 1;
    qint64 notAngles = 0;
    QString firstNotAngle;
    bool commaDecimal = false;
    bool inData = !is9809;
    while (!in.atEnd()) {
        const QString line = in.readLine().simplified();
        ++lineNo;
        if (!inData) {
            inData = line.startsWith(QLatin1String("Offset"));
            continue;
        }
        if (line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() <= angleField)
            continue;
        bool ok = false;
        const double theta = fields[angleField].toDouble(&ok);
        // A word where the angle belongs is no angle; a few such lines
        // (notes) are passed over, a file of them is refused below.
        if (!ok) {
            if (notAngles++ == 0) {
                const QString& field = fields[angleField];
                firstNotAngle = QStringLiteral("line %1: \"%2\"").arg(lineNo).arg(field.left(40));
                bool dotted = false;
                QString(field).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&dotted);
                commaDecimal = dotted;
            }
            continue;
        }
        const double e = Units::energyOfAngle(theta, d);
        if (!(std::isfinite(e) && e > 0.0))
            return refuse(QStringLiteral("the angle %1 at line %2 gives no energy").arg(theta).arg(lineNo));
        read.append(e);
    }
    if (file.error() != QFileDevice::NoError)
        return refuse(QStringLiteral("error on reading it: %1").arg(file.errorString()));
    if (is9809 && !inData)
        return refuse(QStringLiteral("no Offset line in the 9809 file"));
    // A list that gives every image the same energy, or one that is mostly
    // not numbers (binary data, decimal commas), would give maps of NaN.
    const QString comma = commaDecimal ? QStringLiteral(" (decimal commas are not read)") : QString();
    if (notAngles > read.size()) {
        return refuse(QStringLiteral("%1 of %2 lines hold no angle, the first at %3%4")
                          .arg(notAngles).arg(notAngles + read.size()).arg(firstNotAngle, comma));
    }
    if (read.size() < 2)
        return refuse(QStringLiteral("%1 angles; a series needs at least 2").arg(read.size()));
    energies = read;
    return true;
}
