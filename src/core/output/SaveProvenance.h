#pragma once

#include <QDateTime>
#include <QStringList>
#include <QString>
#include <QVector>

// Where a saved map or spectra file came from, written next to it as
// "<name>.provenance.txt" so that a result can be traced back to its data.
// The main window fills it from its series, panels and analyzer.
struct SaveProvenance {
    struct Series {
        QString firstFile;
        QString lastFile;
        int count = 0;
    };
    struct Reference {
        QString file;
        double dE = 0.0;
    };
    enum ShiftMap { NoShiftMap, CalibratedShiftMap, LoadedShiftMap };

    QString programVersion;
    Series i1;
    Series i0;
    // The energy rule of the I1 panel in words ("from the file names", ...).
    QString energyRule;
    int halfWidth = 0;
    int halfHeight = 0;
    QVector<Reference> references;
    ShiftMap shiftMap = NoShiftMap;
    // The energy-map file, for a loaded shift map.
    QString shiftMapFile;
    // The dark image in force (DarkField::description()), empty for none.
    QString dark;
    // For a spectrum file: where its spectrum comes from, e.g.
    // "(128, 61), block 5 x 5 pixels"; empty for maps and pictures.
    QString spectrumAt;
    // What the saved map's values mean, where that needs saying (the
    // fit-quality formula, the rule of an edge map); empty otherwise.
    QString mapNote;
    QDateTime date;
};

class EnergyOfFiles;

namespace Provenance {

// The energy rule in words: "from the file names, pattern \"...\", factor
// 1", "calculated from 7000 to 7500 eV in 100 steps, evenly in energy", or
// "from the reference file (150 energies)".
QString energyRuleText(const EnergyOfFiles& rule);
// The series line of a list of file names in order.
SaveProvenance::Series seriesOf(const QStringList& files);

// "<savedFile>.provenance.txt"
QString sidecarPath(const QString& savedFile);
QByteArray text(const SaveProvenance& p, const QString& savedFile);
// The same entries as (key, value) pairs with keys in snake case
// ("program_version", "i1_series", ..., "date"), for files that keep them as
// attributes.
QVector<QPair<QString, QString>> fields(const SaveProvenance& p, const QString& savedFile);
// Writes the sidecar of `savedFile` (atomically); false with a message
// naming it when that fails.
bool write(const SaveProvenance& p, const QString& savedFile, QString* error);

}
