#include "output/SaveProvenance.h"

#include "base/AtomicFile.h"
#include "io/EnergyOfFiles.h"

#include <QFileInfo>

namespace Provenance {
namespace {

QString seriesLine(const SaveProvenance::Series& s)
{
    if (s.count <= 0)
        return QStringLiteral("none");
    return QStringLiteral("%1 files, first \"%2\", last \"%3\"")
        .arg(QString::number(s.count), s.firstFile, s.lastFile);
}

QString shiftMapLine(const SaveProvenance& p)
{
    switch (p.shiftMap) {
    case SaveProvenance::CalibratedShiftMap:
        return QStringLiteral("calibrated");
    case SaveProvenance::LoadedShiftMap:
        return QStringLiteral("loaded \"%1\"").arg(p.shiftMapFile);
    case SaveProvenance::NoShiftMap:
        break;
    }
    return QStringLiteral("none");
}

} // namespace

QString energyRuleText(const EnergyOfFiles& rule)
{
    switch (rule.source) {
    case EnergyOfFiles::ByFileName:
        return QStringLiteral("from the file names, pattern \"%1\", factor %2")
            .arg(rule.pattern, QString::number(rule.factor, 'g', 6));
    case EnergyOfFiles::ByRefFile:
        return QStringLiteral("from the reference file (%1 energies)").arg(rule.refEnergies.size());
    case EnergyOfFiles::ByCalculation:
        break;
    }
    static const char* const units[] = {"eV", "keV", "deg"};
    const int unit = rule.unit >= 0 && rule.unit < 3 ? rule.unit : 0;
    return QStringLiteral("calculated from %1 to %2 %3 in %4 steps, evenly in %5")
        .arg(QString::number(rule.start, 'g', 6), QString::number(rule.end, 'g', 6),
             QLatin1String(units[unit]), QString::number(rule.numOfPoints),
             rule.evenInEnergy ? QStringLiteral("energy") : QStringLiteral("angle"));
}

SaveProvenance::Series seriesOf(const QStringList& files)
{
    SaveProvenance::Series s;
    s.count = files.size();
    if (!files.isEmpty()) {
        s.firstFile = files.first();
        s.lastFile = files.last();
    }
    return s;
}

QString sidecarPath(const QString& savedFile)
{
    return savedFile + QStringLiteral(".provenance.txt");
}

QByteArray text(const SaveProvenance& p, const QString& savedFile)
{
    QString t;
    t += QStringLiteral("# Orvantelle provenance 1.0\n");
    t += QStringLiteral("Saved file       : %1\n").arg(QFileInfo(savedFile).fileName());
    t += QStringLiteral("Program version  : %1\n").arg(p.programVersion);
    t += QStringLiteral("I1 series        : %1\n").arg(seriesLine(p.i1));
    t += QStringLiteral("I0 series        : %1\n").arg(seriesLine(p.i0));
    t += QStringLiteral("Energy rule      : %1\n").arg(p.energyRule);
    t += QStringLiteral("Bin half width, height : %1 %2\n")
             .arg(QString::number(p.halfWidth), QString::number(p.halfHeight));
    if (p.references.isEmpty())
        t += QStringLiteral("References       : none\n");
    for (int i = 0; i < p.references.size(); ++i)
        t += QStringLiteral("Reference %1      : \"%2\" dE %3\n")
                 .arg(QString::number(i + 1), p.references.at(i).file,
                      QString::number(p.references.at(i).dE, 'g', 6));
    t += QStringLiteral("Shift map        : %1\n").arg(shiftMapLine(p));
    if (!p.mapNote.isEmpty())
        t += QStringLiteral("Map values       : %1\n").arg(p.mapNote);
    t += QStringLiteral("Date             : %1\n").arg(p.date.toString(Qt::ISODate));
    return t.toUtf8();
}

bool write(const SaveProvenance& p, const QString& savedFile, QString* error)
{
    return AtomicFile::writeBytes(sidecarPath(savedFile), text(p, savedFile), error);
}

}
