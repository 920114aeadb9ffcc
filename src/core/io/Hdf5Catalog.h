#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// What one dataset of an HDF5 file is: its path, shape, sample type, unit
// and compression filters, as the scan dialog lists it and the scan check
// judges it.
struct Hdf5Dataset {
    enum Kind { Unsigned, Signed, Float, Text, Other };

    QString path;             // "/exchange/data"
    QVector<qint64> dims;     // slowest first: images x height x width
    Kind kind = Other;
    int bytes = 0;            // bytes per sample
    QString units;            // the "units" (or "unit") attribute, when any
    QVector<int> filters;     // ids of its filter pipeline, in order
    // Filters of the pipeline this machine cannot apply, in words
    // ("32001 (blosc)"); the dataset cannot be read while any is missing.
    QStringList missingFilters;

    int rank() const { return dims.size(); }
    bool isNumeric() const { return kind == Unsigned || kind == Signed || kind == Float; }
    // "150 x 2048 x 2048"
    QString shapeText() const;
    // "uint16", "int32", "float32", "string", "other"
    QString typeText() const;
};

namespace Hdf5Catalog {

// Whether the file starts with the HDF5 signature (at byte 0, 512, 1024,
// ... as the format allows); reads at most a few kilobytes.
bool isHdf5(const QString& fileName);

// Every dataset of the file, in name order. False with a message naming the
// file when it cannot be opened or is no HDF5 file.
bool list(const QString& fileName, QVector<Hdf5Dataset>* out, QString* error);
// The listing itself, without the helper process that reads the file first
// (Hdf5Probe); that helper runs it.
bool listUnprobed(const QString& fileName, QVector<Hdf5Dataset>* out, QString* error);

// The dataset with that path (a leading "/" optional), or null.
const Hdf5Dataset* find(const QVector<Hdf5Dataset>& sets, const QString& path);

}
