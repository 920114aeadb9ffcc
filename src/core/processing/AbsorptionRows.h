#pragma once

#include "processing/I0Series.h"

// The absorption values of a whole row of blocks of one I1 image at once,
// from the row's I1 block sums and the sums of the image's bracketing I0
// images: the I0 value at the image's energy, then S1 / S0 in fluorescence or
// ln(S0 / S1) in transmission, on SIMD vectors with the program's one
// logarithm. Value for value what AbsorptionSpectrum::value(I0Series::valueAt(
// ...), S1, ...) gives block by block, on every instruction set.
namespace AbsorptionRows {

// What every block of one I1 image shares.
struct Rule {
    enum Kind { Raw, NoI0, OneI0, Line, Mean };
    Kind kind = Raw;
    bool fluorescence = false;
    double a = 0.0;   // energies of the two bracketing I0 images
    double b = 0.0;
    double e = 0.0;   // the I1 image's energy

    // The rule of the I1 image at energy e with I0 bracket br; `raw`: the
    // values are the I1 sums themselves.
    static Rule of(const I0Series& i0, const I0Series::Bracket& br, double e, bool fluorescence, bool raw);
};

// out[i] for i < n from s1[i] and the I0 sums sa[i] and sb[i] (read only as
// the rule needs them: sa from OneI0 on, sb for Line and Mean, which take 0
// for an I0 image whose sum is not needed); out may be s1.
void values(const Rule& rule, const double* s1, const double* sa, const double* sb, double* out, int n);

} // namespace AbsorptionRows
