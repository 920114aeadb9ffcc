#pragma once

#include <QtGlobal>

// The one natural logarithm of the program: every absorption value ln(S0 / S1)
// is taken with it, whether a whole-area run turns rows of block sums into
// values, the spectrum under the mouse is summed point by point, or a
// spectrum file gives I0 and I1. A logarithm rounded differently by one ulp
// can move a point across a normalisation window or a half-height crossing,
// so all these paths must use the very same function to agree value for
// value. It is a vector algorithm (NaturalLog-inl.h) whose result does not
// depend on the processor's instruction set; one value goes through the same
// vector code. Error below one ulp against the exact logarithm.
namespace NaturalLog {

// log(x): +inf for +inf, -inf for +-0, NaN for NaN and negative x.
double of(double x);
// out[i] = of(x[i]) for 0 <= i < n; out may be x itself.
void ofArray(const double* x, double* out, qint64 n);

} // namespace NaturalLog
