#pragma once

#include <QString>

// Conversions of batch arguments (texts) to the values commands act on, and
// the text a command writes into a form field. Missing or malformed
// arguments are never reported: they give 0 or off.
namespace BatchArgs {

// n: the integer value of the text in base 10; 0 when the text is not an
// integer ("2.5" and the empty text give 0).
int toInt(const QString& text);
// x: the floating-point value of the text; 0 when it is not a finite number.
double toDouble(const QString& text);
// flag: on exactly when the integer value is 1.
bool toFlag(const QString& text);

// A number as a command writes it into a text field: integers in decimal,
// reals in the general format with 6 significant digits.
QString fieldText(int n);
QString fieldText(double x);

}
