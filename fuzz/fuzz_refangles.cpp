// Feeds arbitrary bytes to the reader of reference-angle lists as a file,
// at the default lattice spacing and at two others; a list that is read must
// hold at least two finite positive energies, and a refused one must leave
// the energies it was given untouched and say why. A list that is read is
// then used as the energy source of a few file numbers.

#include "FuzzInputFile.h"
#include "io/EnergyOfFiles.h"

#include <QFile>
#include <QString>
#include <QVector>
#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString file = writeFuzzInput("angles.txt", data, size);
    if (file.isEmpty())
        return 0;
    double sink = 0.0;
    const double spacings[] = {Units::DefaultD, 1.0, 3.5};
    for (const double d : spacings) {
        const QVector<double> before = {-1.0};
        QVector<double> energies = before;
        QString error;
        if (!EnergyOfFiles::readRefFile(file, d, energies, &error)) {
            if (energies != before || error.isEmpty())
                __builtin_trap();   // a refusal changed the energies or gave no reason
            continue;
        }
        if (energies.size() < 2)
            __builtin_trap();
        for (const double e : energies)
            if (!(std::isfinite(e) && e > 0.0))
                __builtin_trap();
        EnergyOfFiles rule;
        rule.source = EnergyOfFiles::ByRefFile;
        rule.d = d;
        rule.refEnergies = energies;
        for (int fileNo : {0, 1, energies.size() - 1, energies.size(), energies.size() + 7})
            sink += rule.energyOf(QStringLiteral("x.tif"), fileNo);
    }
    volatile double keep = sink;
    (void)keep;
    return 0;
}
