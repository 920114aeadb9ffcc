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

namespace {

struct Entry {
    QString label;   // as the sidecar writes it, padded
    QString key;
    QString value;
};

QVector<Entry> entries(const SaveProvenance& p, const QString& savedFile)
{
    QVector<Entry> e;
    e.append({QStringLiteral("Saved file       "), QStringLiteral("saved_file"), QFileInfo(savedFile).fileName()});
    e.append({QStringLiteral("Program version  "), QStringLiteral("program_version"), p.programVersion});
    e.append({QStringLiteral("I1 series        "), QStringLiteral("i1_series"), seriesLine(p.i1)});
    e.append({QStringLiteral("I0 series        "), QStringLiteral("i0_series"), seriesLine(p.i0)});
    e.append({QStringLiteral("Energy rule      "), QStringLiteral("energy_rule"), p.energyRule});
    e.append({QStringLiteral("Bin half width, height "), QStringLiteral("bin_half_width_height"),
              QStringLiteral("%1 %2").arg(QString::number(p.halfWidth), QString::number(p.halfHeight))});
    if (!p.spectrumAt.isEmpty())
        e.append({QStringLiteral("Spectrum at      "), QStringLiteral("spectrum_at"), p.spectrumAt});
    if (p.references.isEmpty())
        e.append({QStringLiteral("References       "), QStringLiteral("references"), QStringLiteral("none")});
    for (int i = 0; i < p.references.size(); ++i)
        e.append({QStringLiteral("Reference %1      ").arg(i + 1), QStringLiteral("reference_%1").arg(i + 1),
                  QStringLiteral("\"%1\" dE %2")
                      .arg(p.references.at(i).file, QString::number(p.references.at(i).dE, 'g', 6))});
    e.append({QStringLiteral("Shift map        "), QStringLiteral("shift_map"), shiftMapLine(p)});
    if (!p.mapNote.isEmpty())
        e.append({QStringLiteral("Map values       "), QStringLiteral("map_values"), p.mapNote});
    e.append({QStringLiteral("Dark             "), QStringLiteral("dark"),
              p.dark.isEmpty() ? QStringLiteral("none") : p.dark});
    e.append({QStringLiteral("Date             "), QStringLiteral("date"), p.date.toString(Qt::ISODate)});
    return e;
}

} // namespace

QByteArray text(const SaveProvenance& p, const QString& savedFile)
{
    QString t = QStringLiteral("# Orvantelle provenance 1.0\n");
    for (const Entry& e : entries(p, savedFile))
        t += e.label + QStringLiteral(": ") + e.value + QLatin1Char('\n');
    return t.toUtf8();
}

QVector<QPair<QString, QString>> fields(const SaveProvenance& p, const QString& savedFile)
{
    QVector<QPair<QString, QString>> out;
    for (const Entry& e : entries(p, savedFile))
        out.append({e.key, e.value});
    return out;
}

bool write(const SaveProvenance& p, const QString& savedFile, QString* error)
{
    return AtomicFile::writeBytes(sidecarPath(savedFile), text(p, savedFile), error);
}

}
