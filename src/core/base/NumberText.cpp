#include "base/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace NumberText {

namespace {

// Whether v is formatted in place. A value whose decimal form ends exactly in
// a 5 at the seventh significant digit has a short binary significand (at
// most about 42 of its 53 bits for magnitudes below 1e15), so its low 8 bits
// are zero: those values, and everything out of the ordinary, are left to
// QByteArray.
bool ordinary(double v)
{
    if (!std::isnormal(v) || !(std::fabs(v) < 1e15))
        return false;
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return (bits & 0xff) != 0;
}

} // namespace

void appendSixDigits(QByteArray& out, double v)
{
    if (!ordinary(v)) {
        out += QByteArray::number(v, 'g', 6);
        return;
    }
    char text[32];
    const std::to_chars_result r = std::to_chars(text, text + sizeof text, v, std::chars_format::general, 6);
    out.append(text, int(r.ptr - text));
}

void appendInteger(QByteArray& out, long long v)
{
    char text[24];
    const std::to_chars_result r = std::to_chars(text, text + sizeof text, v);
    out.append(text, int(r.ptr - text));
}

} // namespace NumberText
