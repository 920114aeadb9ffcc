#pragma once

#include "output/SaveProvenance.h"

#include <QString>
#include <QVector>
#include <vector>

class Analyzed2DRes;

// Every map of an analysis in one HDF5 file, for Python and other tools:
//   /maps/<name>     float64, height x width; attributes kind, reference, unit
//   /grid            attributes of the scan grid the maps were filled along;
//                    datasets x_centres, y_centres (int32, the block centres)
//   /energies        float64, the I1 energies in eV
//   /energy_shift    float64, height x width, eV (when a shift map is set)
//   /references/<n>  float64, points x 2 (energy in eV, absorption), with the
//                    reference's file and dE as attributes
// and the provenance entries as attributes of the root group. The file is
// written under a temporary name next to the target and renamed over it
// only when complete.
struct MapsFileContent {
    struct Map {
        QString name;       // dataset name, unique in the file ("ref1_fraction")
        QString kind;       // "LCF fraction", "element edge jump", ...
        QString reference;  // reference file or element the map belongs to
        QString unit;       // "fraction", "eV", "absorption", ... or empty
        QString formula;    // how a value is computed, when that needs saying
        const Analyzed2DRes* map = nullptr;
    };
    struct Reference {
        QString name;       // dataset name under /references
        QString file;
        double dE = 0.0;
        std::vector<double> energies;
        std::vector<double> values;
    };

    QVector<Map> maps;
    std::vector<double> energies;
    const double* shift = nullptr;
    int shiftWidth = 0;
    int shiftHeight = 0;
    QVector<Reference> references;
    SaveProvenance provenance;
};

namespace MapsHdf5File {

// Writes `content` to `path`. False, with a message naming the file, when
// there is no map with a value array or the file cannot be written; the
// target is then left as it was.
bool write(const MapsFileContent& content, const QString& path, QString* error);

// A dataset name from free text: letters, digits and "_" kept, everything
// else "_", never empty.
QString datasetName(const QString& text);

}
