#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <vector>

// The file formats the demo writes besides TIFF: spectrum text files (plain
// two columns and the "9809" monochromator-scan format), IM and "#CTTR-CTImg"
// images, raw float maps and plain text. Each returns false when the file
// cannot be written.
namespace DemoFiles {

// Comment lines (each written after "# "), then "energy value" per line.
bool writeSpectrumText(const QString& path, const QStringList& comments, const std::vector<double>& energies,
                       const std::vector<double>& values);

// A "9809" scan: header with "D=" and an "Offset" line, then per point
// "requested angle, angle, time, I0, I" (angles in degrees for crystal spacing
// d); I0 and I are chosen so that ln(I0 / I) is the given absorption.
bool writeSpectrum9809(const QString& path, const QString& title, double d, const std::vector<double>& energies,
                       const std::vector<double>& mu);

// Bragg angle in degrees of `energy` for crystal spacing d, computed so that
// converting it back with the program's constants gives the energy again.
double braggAngle(double energy, double d);

// IM image: 64-byte header ("IM", comment length, width, height, zeros), the
// comment, then 16-bit little-endian samples row after row.
bool writeIm(const QString& path, const quint16* data, int width, int height, const QString& comment);

// "#CTTR-CTImg" text image: header lines with RANGE_X0/X1/Y0/Y1, then one line
// "x y value" per pixel, row after row, value = count / 500 (the reader
// multiplies by 500).
bool writeCttr(const QString& path, const quint16* data, int width, int height, const QStringList& comments);

// Raw little-endian IEEE-754 32-bit floats, row after row, no header.
bool writeFloatMap(const QString& path, const std::vector<float>& map);

bool writeText(const QString& path, const QString& text);

} // namespace DemoFiles
