#include "DemoOptions.h"

namespace {

bool readInt(const QString& text, int lo, int hi, int* out)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < lo || v > hi)
        return false;
    *out = v;
    return true;
}

} // namespace

QString DemoOptions::usage()
{
    return QStringLiteral(
        "Usage: make-demo --out DIR [--size N | --width W --height H] [--energies N] [--seed S]\n"
        "                 [--noiseless] [--sharp-edge] [--threads N] [--hdf5 | --hdf5-bitshuffle] [--txrm]\n"
        "Writes a synthetic imaging-XANES measurement of an iron sample into DIR.\n"
        "  --out DIR       output folder (created when missing)\n"
        "  --size N        image width and height in pixels (default 256)\n"
        "  --width W       image width (%1 ... %2)\n"
        "  --height H      image height (%1 ... %2)\n"
        "  --energies N    number of energies (%3 ... %4, default 150)\n"
        "  --seed S        seed of the random numbers, unsigned 64-bit (default 1)\n"
        "  --noiseless     write the expected counts instead of Poisson samples\n"
        "  --sharp-edge    sharp edges, white lines and pre-edge peaks (for calibration checks)\n"
        "  --threads N     worker threads (default: one per processor)\n"
        "  --hdf5          also scan.h5: the scan as one HDF5 file with flats, dark frames and a dark\n"
        "                  offset in the counts, and analysis-hdf5.bat that analyses it\n"
        "  --hdf5-bitshuffle  the same, its images compressed with bitshuffle/LZ4\n"
        "  --txrm          also scan.txrm: the I1 images with their energies and the mean I0 image as\n"
        "                  the flat, in the microscope's TXRM layout\n")
        .arg(DemoConfig::minSize).arg(DemoConfig::maxSize)
        .arg(DemoConfig::minEnergies).arg(DemoConfig::maxEnergies);
}

DemoOptions::Result DemoOptions::parse(const QStringList& args, DemoConfig* config, QString* error)
{
    DemoConfig c;
    bool sizeGiven = false, sideGiven = false;
    auto fail = [&](const QString& why) {
        *error = why;
        return Result::Error;
    };
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--help") || a == QLatin1String("-h"))
            return Result::Help;
        if (a == QLatin1String("--noiseless")) {
            c.noise = false;
            continue;
        }
        if (a == QLatin1String("--sharp-edge")) {
            c.sharpEdge = true;
            continue;
        }
        if (a == QLatin1String("--hdf5") || a == QLatin1String("--hdf5-bitshuffle")) {
            c.hdf5 = true;
            c.hdf5Bitshuffle = a == QLatin1String("--hdf5-bitshuffle");
            continue;
        }
        if (a == QLatin1String("--txrm")) {
            c.txrm = true;
            continue;
        }
        static const QStringList withValue{QStringLiteral("--out"), QStringLiteral("--size"),
                                           QStringLiteral("--width"), QStringLiteral("--height"),
                                           QStringLiteral("--energies"), QStringLiteral("--seed"),
                                           QStringLiteral("--threads")};
        if (!withValue.contains(a))
            return fail(QStringLiteral("unknown option: %1").arg(a));
        if (i + 1 >= args.size())
            return fail(QStringLiteral("%1 needs a value").arg(a));
        const QString v = args.at(++i);
        const int lo = DemoConfig::minSize, hi = DemoConfig::maxSize;
        if (a == QLatin1String("--out")) {
            if (v.isEmpty())
                return fail(QStringLiteral("--out needs a folder name"));
            c.outDir = v;
        } else if (a == QLatin1String("--size")) {
            if (!readInt(v, lo, hi, &c.width))
                return fail(QStringLiteral("--size must be an integer from %1 to %2").arg(lo).arg(hi));
            c.height = c.width;
            sizeGiven = true;
        } else if (a == QLatin1String("--width")) {
            if (!readInt(v, lo, hi, &c.width))
                return fail(QStringLiteral("--width must be an integer from %1 to %2").arg(lo).arg(hi));
            sideGiven = true;
        } else if (a == QLatin1String("--height")) {
            if (!readInt(v, lo, hi, &c.height))
                return fail(QStringLiteral("--height must be an integer from %1 to %2").arg(lo).arg(hi));
            sideGiven = true;
        } else if (a == QLatin1String("--energies")) {
            if (!readInt(v, DemoConfig::minEnergies, DemoConfig::maxEnergies, &c.energies))
                return fail(QStringLiteral("--energies must be an integer from %1 to %2")
                                .arg(DemoConfig::minEnergies).arg(DemoConfig::maxEnergies));
        } else if (a == QLatin1String("--seed")) {
            bool ok = false;
            c.seed = v.toULongLong(&ok);
            if (!ok)
                return fail(QStringLiteral("--seed must be an unsigned integer"));
        } else if (a == QLatin1String("--threads")) {
            if (!readInt(v, 1, 256, &c.threads))
                return fail(QStringLiteral("--threads must be an integer from 1 to 256"));
        }
    }
    if (sizeGiven && sideGiven)
        return fail(QStringLiteral("give either --size or --width/--height"));
    if (c.outDir.isEmpty())
        return fail(QStringLiteral("--out DIR is required"));
    *config = c;
    return Result::Run;
}
