#pragma once

// Inside the core only (see Hdf5Handle.h): the reading steps the HDF5
// classes share.

#include "io/Hdf5Catalog.h"
#include "io/Hdf5Handle.h"

#include <vector>

namespace Hdf5Read {

// Opens the file read-only; an invalid handle with a message naming the file
// when it cannot be opened or is no HDF5 file.
Hdf5Id openFile(const QString& fileName, QString* error);
// Opens a dataset by path; invalid when there is none (no message).
Hdf5Id openDataset(hid_t file, const QString& path);
// Fills `out` from the dataset at `path`; false when it cannot be opened.
bool describe(hid_t file, const QString& path, Hdf5Dataset* out);
// The filters of a creation property list that this machine cannot apply.
QStringList missingFilters(hid_t dcpl, QVector<int>* ids);

// The pixel type of the image records that hold samples of this kind: 1
// (16-bit) for unsigned samples of up to 16 bits, 2 (32-bit unsigned) for
// 32-bit unsigned ones, 3 (float) for the rest.
int pixelTypeFor(Hdf5Dataset::Kind kind, int bytes);
// The native memory type of a pixel type.
hid_t memoryType(int pixelType);

// The values of a dataset of any numeric type, converted to double; false
// with a message naming file and dataset.
bool readDoubles(hid_t file, const QString& fileName, const QString& path, std::vector<double>* out, QString* error);

}
