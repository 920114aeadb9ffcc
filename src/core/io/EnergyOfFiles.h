#pragma once

#include "physics/Units.h"

#include <QString>
#include <QStringList>
#include <QVector>

// How the X-ray energy of each image of a series is obtained, and the rules
// that turn an image's file path and file number into eV: from the file name
// by a regular expression, by calculation from the file number (evenly spaced
// in energy or in Bragg angle), or from a list of reference energies. The
// energy-of-files dialog fills one from its form; tests fill one by hand.
class EnergyOfFiles
{
public:
    enum Source { ByFileName, ByCalculation, ByRefFile };
    // Index of the display unit of start, end and delta.
    enum Unit { UnitEV = 0, UnitKeV = 1, UnitDeg = 2 };

    Source source = ByFileName;
    QString pattern;              // regular expression searched in the path
    double factor = 1.0;          // applied to the number taken from a name when > 0
    int unit = UnitEV;
    bool evenInEnergy = false;    // false: evenly spaced in Bragg angle
    double start = 8000.0;        // in the display unit
    double end = 9000.0;
    double delta = 1.0;
    int numOfPoints = 1000;
    QVector<double> refEnergies;  // eV
    double d = Units::DefaultD;   // lattice spacing in angstrom

    // Energy in eV of the image read from `path`, file number `fileNo`.
    double energyOf(const QString& path, int fileNo) const;
    // Whether the rule gives `path` an energy of its own: false where it
    // falls back on the file number (a name the pattern does not match, a
    // reference list that is empty).
    bool givesEnergy(const QString& path) const;

    // What the rule makes of a list of loaded files (file numbers 0, 1, ...):
    // how many get an energy of their own, and the first and last energy.
    struct Preview {
        int count = 0;
        int withEnergy = 0;
        double first = 0.0;
        double last = 0.0;
    };
    Preview preview(const QStringList& paths) const;

    double energyFromName(const QString& path, int fileNo) const;
    double energyByCalculation(int fileNo) const;
    double energyFromRefList(int fileNo) const;

    // The remembered patterns a new dialog starts with, in order.
    static const QStringList& defaultPatterns();
    // 1000 for a pattern naming keV, else 1 (case ignored).
    static double factorOfPattern(const QString& pattern);

    // Range bookkeeping: End from Start, Delta and N; Delta from Start, End and N.
    static double endOf(double start, double delta, int n) { return n * delta + start; }
    static double deltaOf(double start, double end, int n) { return (end - start) / n; }

    // Numbers in the dialog's text fields: written with 6 significant
    // digits, read as decimal numbers with anything else reading as 0.
    static QString formatted(double v) { return QString::number(v, 'g', 6); }
    static double readNumber(const QString& text) { return text.toDouble(); }
    static int readInteger(const QString& text) { return text.toInt(); }

    // Reads a reference file of Bragg angles (a plain list, one angle per
    // line in field 0, or the "9809" format with the angle in field 1 after
    // the "Offset" line) into `energies` (eV, lattice spacing d). A line whose
    // field is no number is passed over, but a file of more such lines than
    // angles is refused (binary data, decimal commas), and so are a list of
    // fewer than 2 angles, an angle that gives no finite positive energy and a
    // 9809 file without its Offset line. Returns false, leaving `energies` as
    // it was and the reason in *error, when the file cannot be opened or is
    // refused.
    static bool readRefFile(const QString& fname, double d, QVector<double>& energies, QString* error = nullptr);
};
