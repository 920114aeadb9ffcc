#pragma once

#include <QString>

// How the analyzer window and its rows read and write their text fields.
namespace AnalyzerFields {

// A number typed into an edit; text that is not a number reads as 0.
double number(const QString& text);
// A number written into an edit: general format, 6 significant digits.
QString numberText(double v);
// Progress and fractions: "%5.2f".
QString percentText(double v);
// ROI values are shown in the general format cut to their first 5 characters.
QString shortText(double v);
// The Victoreen switch of a reference given as text: on when the text is
// empty, reads "VIC" in any letter case, or is an integer above 0.
bool victoreenFromText(const QString& isVic);

}
