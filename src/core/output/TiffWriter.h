#pragma once

#include <QString>
#include <QtGlobal>

// Writes a 16-bit, one-sample-per-pixel, uncompressed TIFF of width x height
// samples taken row after row from `data`. The file is laid out in strips of
// RowsPerStrip = width rows (the last strip holds the remaining rows). Returns
// false when the arguments are unusable (null data, a non-positive size), when
// the file cannot be opened or a tag set, or when a strip cannot be written.
// The file is written under a temporary name in the target's directory and
// renamed over the target only when complete: on failure an existing file
// keeps its contents and nothing else is left behind. `error` (optional)
// then names the file and the reason.
bool writeTiff16(const QString& fileName, const quint16* data, int width, int height);
bool writeTiff16(const QString& fileName, const quint16* data, int width, int height, QString* error);
