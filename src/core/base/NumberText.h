#pragma once

#include <QByteArray>

// Numbers appended to text as QByteArray::number writes them, without its
// temporary strings: what the large text files (maps, energy maps) spend
// most of their time on.
namespace NumberText {

// QByteArray::number(v, 'g', 6): six significant digits, the shorter of
// plain and exponent notation, trailing zeros dropped. Ordinary values are
// formatted in place; the rest (zero, not finite, very small or large, and
// the few values whose binary form might end exactly half way between two
// six-digit numbers, where rounding rules differ) go through QByteArray.
void appendSixDigits(QByteArray& out, double v);
// QByteArray::number(v).
void appendInteger(QByteArray& out, long long v);

} // namespace NumberText
