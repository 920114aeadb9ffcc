#include "io/Hdf5Scan.h"

#include "io/Hdf5Handle.h"
#include "io/Hdf5Probe.h"
#include "io/Hdf5Read.h"
#include "io/ImageContent.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace Hdf5Layouts {

namespace {

struct Known {
    const char* name;
    const char* images;
    const char* flats;
    const char* darks;
    const char* energies;
    Hdf5Scan::Unit unit;
};

const Known known[] = {
    {"full-field XANES", "/img_xanes", "/img_bkg", "/img_dark", "/X_eng", Hdf5Scan::KiloElectronVolt},
    {"Data Exchange", "/exchange/data", "/exchange/data_white", "/exchange/data_dark", "/exchange/energy",
     Hdf5Scan::UnitFromFile},
};

QString present(const QVector<Hdf5Dataset>& sets, const char* path)
{
    return Hdf5Catalog::find(sets, QLatin1String(path)) ? QString::fromLatin1(path) : QString();
}

}

bool recognise(const QVector<Hdf5Dataset>& sets, Hdf5Scan* scan)
{
    for (const Known& k : known) {
        if (!Hdf5Catalog::find(sets, QLatin1String(k.images)))
            continue;
        scan->images = QString::fromLatin1(k.images);
        scan->flats = present(sets, k.flats);
        scan->darks = present(sets, k.darks);
        scan->energies = present(sets, k.energies);
        const Hdf5Dataset* e = Hdf5Catalog::find(sets, QLatin1String(k.energies));
        // A unit the file states wins over the layout's habit.
        scan->unit = e && unitFromText(e->units) != Hdf5Scan::UnitFromFile ? unitFromText(e->units) : k.unit;
        scan->layout = QString::fromLatin1(k.name);
        return true;
    }
    return false;
}

Hdf5Scan::Unit unitOf(const QString& units, const std::vector<double>& values)
{
    const Hdf5Scan::Unit stated = unitFromText(units);
    if (stated != Hdf5Scan::UnitFromFile)
        return stated;
    const bool small = !values.empty()
        && std::all_of(values.begin(), values.end(), [](double v) { return std::abs(v) < 100.0; });
    return small ? Hdf5Scan::KiloElectronVolt : Hdf5Scan::ElectronVolt;
}

QString unitText(Hdf5Scan::Unit unit)
{
    switch (unit) {
    case Hdf5Scan::ElectronVolt:
        return QStringLiteral("eV");
    case Hdf5Scan::KiloElectronVolt:
        return QStringLiteral("keV");
    case Hdf5Scan::UnitFromFile:
        break;
    }
    return QStringLiteral("from file");
}

Hdf5Scan::Unit unitFromText(const QString& text)
{
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("ev"))
        return Hdf5Scan::ElectronVolt;
    if (t == QLatin1String("kev"))
        return Hdf5Scan::KiloElectronVolt;
    return Hdf5Scan::UnitFromFile;
}

}

namespace Hdf5ScanCheck {

namespace {

// The dataset at `path`, described; false with a message when it is missing
// or unreadable here.
bool need(hid_t file, const QString& fileName, const QString& path, Hdf5Dataset* d, QString* error)
{
    if (!Hdf5Read::describe(file, path, d)) {
        *error = QStringLiteral("%1: no dataset %2").arg(fileName, path);
        return false;
    }
    if (!d->missingFilters.isEmpty()) {
        *error = QStringLiteral("%1: dataset %2 is compressed with a filter this program cannot apply: %3")
                     .arg(fileName, path, d->missingFilters.join(QStringLiteral(", ")));
        return false;
    }
    if (!d->isNumeric()) {
        *error = QStringLiteral("%1: dataset %2 holds %3 values, not numbers").arg(fileName, path, d->typeText());
        return false;
    }
    return true;
}

// Flats and darks: one image (2-D) or a stack (3-D) of the images' size.
bool sideStack(hid_t file, const QString& fileName, const QString& path, const Hdf5ScanPlan& plan,
               const QString& imagesPath, int* count, QString* error)
{
    Hdf5Dataset d;
    if (!need(file, fileName, path, &d, error))
        return false;
    if (d.rank() != 3 && d.rank() != 2) {
        *error = QStringLiteral("%1: dataset %2 has %3 dimensions; it needs 3 (images x height x width) or 2")
                     .arg(fileName, path)
                     .arg(d.rank());
        return false;
    }
    const qint64 h = d.dims[d.rank() - 2], w = d.dims[d.rank() - 1];
    if (w != plan.width || h != plan.height) {
        *error = QStringLiteral("%1: the images of %2 are %3 x %4 pixels, those of %5 %6 x %7")
                     .arg(fileName, path)
                     .arg(w)
                     .arg(h)
                     .arg(imagesPath)
                     .arg(plan.width)
                     .arg(plan.height);
        return false;
    }
    *count = d.rank() == 3 ? int(std::min<qint64>(d.dims[0], 1000000)) : 1;
    if (*count < 1) {
        *error = QStringLiteral("%1: dataset %2 holds no image").arg(fileName, path);
        return false;
    }
    return true;
}

}

bool check(const Hdf5Scan& scan, Hdf5ScanPlan* plan, QString* error)
{
    *plan = Hdf5ScanPlan();
    const QString& name = scan.file;
    if (!QFileInfo(name).isFile()) {
        *error = QStringLiteral("Can not open %1").arg(name);
        return false;
    }
    if (!Hdf5Catalog::isHdf5(name)) {
        *error = QStringLiteral("%1 is not an HDF5 file").arg(name);
        return false;
    }
    if (scan.images.isEmpty()) {
        *error = QStringLiteral("%1: no image dataset chosen").arg(name);
        return false;
    }
    // The datasets' structure and the energies are read in the probe first.
    if (!Hdf5Probe::checkSurvives(scan, error))
        return false;
    return checkUnprobed(scan, plan, error);
}

bool checkUnprobed(const Hdf5Scan& scan, Hdf5ScanPlan* plan, QString* error)
{
    const QString& name = scan.file;
    Hdf5Quiet quiet;
    Hdf5Id file = Hdf5Read::openFile(name, error);
    if (!file)
        return false;
    Hdf5Dataset images;
    if (!need(file.get(), name, scan.images, &images, error))
        return false;
    if (images.rank() != 3) {
        *error = QStringLiteral("%1: dataset %2 has %3 dimensions; an image stack needs 3 (images x height x width)")
                     .arg(name, scan.images)
                     .arg(images.rank());
        return false;
    }
    if (images.dims[0] < 1 || images.dims[1] < 1 || images.dims[2] < 1
        || quint64(images.dims[1]) * quint64(images.dims[2]) > ImageContent::maxPixels
        || images.dims[0] > 1000000) {
        *error = QStringLiteral("%1: dataset %2 holds no images this program can read (%3)")
                     .arg(name, scan.images, images.shapeText());
        return false;
    }
    plan->images = int(images.dims[0]);
    plan->height = quint32(images.dims[1]);
    plan->width = quint32(images.dims[2]);

    if (!scan.flats.isEmpty()) {
        if (!sideStack(file.get(), name, scan.flats, *plan, scan.images, &plan->flatCount, error))
            return false;
        plan->flats = plan->flatCount == plan->images ? Hdf5ScanPlan::FlatPerImage : Hdf5ScanPlan::AveragedFlat;
    }
    if (!scan.darks.isEmpty() && !sideStack(file.get(), name, scan.darks, *plan, scan.images, &plan->darkCount, error))
        return false;

    if (!scan.energies.isEmpty()) {
        Hdf5Dataset e;
        if (!need(file.get(), name, scan.energies, &e, error))
            return false;
        if (e.rank() != 1) {
            *error = QStringLiteral("%1: dataset %2 has %3 dimensions; energies need 1")
                         .arg(name, scan.energies)
                         .arg(e.rank());
            return false;
        }
        if (e.dims[0] != plan->images) {
            *error = QStringLiteral("%1: %2 holds %3 energies for %4 images in %5")
                         .arg(name, scan.energies)
                         .arg(e.dims[0])
                         .arg(plan->images)
                         .arg(scan.images);
            return false;
        }
        if (!Hdf5Read::readDoubles(file.get(), name, scan.energies, &plan->energies, error))
            return false;
        plan->unit = scan.unit == Hdf5Scan::UnitFromFile ? Hdf5Layouts::unitOf(e.units, plan->energies) : scan.unit;
        if (plan->unit == Hdf5Scan::KiloElectronVolt)
            for (double& v : plan->energies)
                v *= 1000.0;
        if (!std::all_of(plan->energies.begin(), plan->energies.end(), [](double v) { return std::isfinite(v); })) {
            *error = QStringLiteral("%1: %2 holds an energy that is not a number").arg(name, scan.energies);
            plan->energies.clear();
            return false;
        }
    }
    plan->openFile = std::make_shared<Hdf5OpenFile>();
    plan->openFile->name = name;
    plan->openFile->id = std::move(file);
    return true;
}

}
