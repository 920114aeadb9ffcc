#pragma once

#include <QString>

class Spectrum;
class XafsSpectrum;

// Readers of the two spectrum file formats (plain two-column text and the
// "9809" angle-scan format) and the writer of the spectrum text file.
namespace SpectrumFiles {

// The first line of the spectrum text file the writer produces.
constexpr const char* xafsSpectrumHeader = "###Orvantelle::XafsSpectrum";
// Lattice spacing (angstrom) the "9809" reader uses until a "D=" field sets one.
constexpr double default9809D = 3.13553;

// Both readers: lines end at LF, CR LF or a lone CR; fields are separated by
// white space. A point whose energy or value is not a finite number (inf, nan,
// an angle whose energy is infinite) is left out, and one debug line gives
// their count and the file. Every failure clears `s`, returns false and says
// why on the debug output, naming the file: "Not a regular file (...) : ",
// "Can not open spectrum file : ", "Empty spectrum file : ", "No data lines in
// spectrum file : ", "No Offset line in 9809 file : ", "Unusable lattice
// spacing D= <text> in 9809 file : ", "No data lines after the Offset line in
// 9809 file : ", "No finite data points in spectrum file : ".

// True when the file is a regular file whose first line, with white space
// simplified, starts with "9809".
bool is9809(const QString& path);

// Reads a spectrum to be used (a reference, a standard, an extra spectrum):
// the "9809" reader when the first line says so, the plain-text reader
// otherwise; the file is opened once. Stricter than the format readers below:
// a line whose numbers are not numbers is a title line while no point has
// been read and refuses the file afterwards ("Not a number at line N: ..."; a
// file of title lines only says so, and names decimal commas when it sees
// them); fewer than 4 points ("Only N points ...") are refused, and so are
// energies in no order or all at one energy. Energies in decreasing order are
// turned round, with a debug line saying so. *why (when given) receives the
// reason of a refusal (the debug line without the file name).
bool readSpectrum(const QString& path, Spectrum& s, QString* why = nullptr);

// Clears `s` and adds (field 0, field 1) of every line with at least two
// fields whose first field does not start with "#"; text that is not a number
// reads as 0. True when at least one point was read.
bool readPlainText(const QString& path, Spectrum& s);

// Clears `s` and reads a "9809" file: a header whose "D=" field sets the
// lattice spacing (a positive length) and whose "Offset" line ends it, then
// data lines of more than four fields (angle in degrees, I0, I) giving
// (E, ln(I0 / I)), or mu 1.0 when I0·I is not positive. True when at least
// one point was read.
bool read9809(const QString& path, Spectrum& s);

// Writes the spectrum text file: two header lines, then per point the energy
// (minus dE when energyCorrected), the double-normalised pre-base value, mu
// and the pre- and post-edge line values, TAB separated. Through a temporary
// file that replaces the target only when complete: a failed save (a full
// disk, a killed program) leaves an earlier file as it was. False, with
// *error naming the file, when the file cannot be written.
bool writeXafsSpectrum(const QString& path, const XafsSpectrum& s, bool energyCorrected, QString* error = nullptr);

} // namespace SpectrumFiles
