#pragma once

#include "grid/ScanGrid.h"
#include "processing/EMPHeader.h"

#include <QString>
#include <vector>

class Analyzed2DRes;
class QTextStream;

// Energy-map files (".emp"): an energy-shift map stored as monochromator-angle
// offsets theta(E_std - s) - theta(E_std), so that it can be applied again at
// another edge energy. Plain text: the magic line, 26-character labelled
// header lines, "##-----------------", then one line of values per map row.
//
// Failures are return values with the fixed debug lines ("Can not open",
// "Not a emp file.", "Invalid Energy Map Data File : ", the size message,
// "run out!") followed by a line that names the file and the line number.
namespace EnergyMapFile {

// Label texts, each 26 characters: the words padded to 24, then ": ".
QString label(const char* words);

// ".emp" appended when the name has no extension, then made absolute.
QString completeName(const QString& fname);

// What a file is written from. The map is mapWidth x mapHeight values in eV,
// row-major (null: all 0); the grid is the one it was made with.
struct Source {
    const double* map = nullptr;
    int mapWidth = 0;
    int mapHeight = 0;
    ScanGrid grid;
    double eStd = 0.0;           // the standard's half-height edge, eV
    double spacing = 0.0;        // crystal d, angstrom
    QString stdFileName;
};
Source sourceOf(const Analyzed2DRes& map, double eStd, double spacing, const QString& stdFileName);

// Writes the file under completeName(fname) through a temporary file that
// replaces the target only when complete: a failed save leaves an earlier
// file as it was. The body has one line per map row, one value per map
// column, each followed by a blank, in %g form with 6 significant digits.
// Refused, with *error naming the file and the reason, when there is no name,
// no map (0 x 0), no crystal spacing, or no standard edge energy the crystal
// reflects (a map saved at edge energy 0 would hold nothing but -1 degree
// offsets), or when a pixel's shift leads outside the crystal's range.
bool write(const QString& fname, const Source& source, QString* error = nullptr);

// The header from a stream positioned at the magic line; reads up to and
// including the separator line.
EMPHeader readHeader(QTextStream& in);

// What read() gives: the header, the shifts (header width x height, eV,
// row-major), the edge energy they were worked out at, and whether the
// file's size was adopted as the image size.
struct Content {
    EMPHeader header;
    std::vector<double> shifts;
    double edgeEnergy = 0.0;
    bool sizeAdopted = false;
};

// Reads fname. The header's size must equal *width x *height unless both are
// negative (no image size known yet), in which case they take the file's.
// edgeEV (finite and > 0) is the edge energy E the offsets are applied at,
// otherwise the header's; each pixel's shift is E - E(theta(E) + offset).
// The header's spacing must be a length and its edge energy (and E) one the
// crystal reflects; the body must hold exactly height lines of width finite
// numbers (blank lines may follow), each giving a finite energy. Anything
// else is refused: false, a debug line with what is wrong and one with the
// file and line, the same as one message in *error; *out is then unchanged.
bool read(const QString& fname, int* width, int* height, double edgeEV, Content* out,
          QString* error = nullptr);

// The scan grid a header describes (area x0 ... x1, y0 ... y1).
ScanGrid gridOf(const EMPHeader& header);
// Sets the map up with the header's grid and writes every shift (setData of
// single pixels, so the map's range follows the values).
void apply(const Content& content, Analyzed2DRes* map);
// read(), apply() and the map's image, with the start and end log lines;
// *edgeUsed (when given) is the edge energy the shifts were worked out at.
bool load(const QString& fname, int* width, int* height, double edgeEV, Analyzed2DRes* map,
          double* edgeUsed = nullptr, QString* error = nullptr);

} // namespace EnergyMapFile
