#pragma once

#include "io/Hdf5Catalog.h"

#include <QMetaType>
#include <QString>
#include <memory>
#include <vector>

struct Hdf5OpenFile;

// One scan in an HDF5 file as the user picks it: the image stack (the I1
// series), optionally the flat-field stack (I0), the dark stack and the
// energies with their unit. Dataset paths are absolute ("/exchange/data");
// an empty path means "none".
struct Hdf5Scan {
    enum Unit { UnitFromFile, ElectronVolt, KiloElectronVolt };

    QString file;
    QString images;
    QString flats;
    QString darks;
    QString energies;
    Unit unit = UnitFromFile;
    // The known layout the paths came from, or empty.
    QString layout;
};

Q_DECLARE_METATYPE(Hdf5Scan)

// What loading a checked scan will do.
struct Hdf5ScanPlan {
    enum Flats { NoFlats, FlatPerImage, AveragedFlat };

    int images = 0;
    quint32 width = 0;
    quint32 height = 0;
    Flats flats = NoFlats;
    int flatCount = 0;
    int darkCount = 0;
    // The energy of every image in eV; empty without an energy dataset.
    std::vector<double> energies;
    // The unit the energies were read in.
    Hdf5Scan::Unit unit = Hdf5Scan::ElectronVolt;
    // The file, left open by the check for the loads (see Hdf5Stack::open);
    // closed when the last holder lets go.
    std::shared_ptr<Hdf5OpenFile> openFile;
};

namespace Hdf5Layouts {

// The layouts recognised and pre-filled: the full-field XANES one (images
// /img_xanes, flats /img_bkg, darks /img_dark, energies /X_eng in keV) and
// Data Exchange (/exchange/data, /exchange/data_white, /exchange/data_dark,
// /exchange/energy). The first layout whose image dataset the file has
// fills `scan` (its other datasets only when present); false for none.
bool recognise(const QVector<Hdf5Dataset>& sets, Hdf5Scan* scan);

// The unit of an energy dataset: its "units" attribute when it names eV or
// keV; otherwise keV when every value is below 100 (X-ray energies in eV are
// larger), eV when not.
Hdf5Scan::Unit unitOf(const QString& units, const std::vector<double>& values);

// "eV", "keV" or "from file"; and back ("ev", "kev" any case; anything else
// is UnitFromFile).
QString unitText(Hdf5Scan::Unit unit);
Hdf5Scan::Unit unitFromText(const QString& text);

}

namespace Hdf5ScanCheck {

// Checks the scan before anything is loaded: the file is HDF5, every named
// dataset exists, the images are 3-D numbers, flats and darks 3-D or 2-D of
// the images' size, the energies 1-D with one value per image, and no
// dataset needs a filter this program lacks. Reads the energies (in eV).
// False with a message naming the file and the dataset at fault.
bool check(const Hdf5Scan& scan, Hdf5ScanPlan* plan, QString* error);
// The check itself, without the helper process that reads the file first
// (Hdf5Probe); that helper runs it.
bool checkUnprobed(const Hdf5Scan& scan, Hdf5ScanPlan* plan, QString* error);

}
