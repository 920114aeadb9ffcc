#pragma once

// The sums the Fit rule needs for a row of trial shifts, in vector lanes: one
// lane per trial shift, every lane doing the scalar operations in the scalar
// order (point by point, no fused multiply-add), so that each shift's sums
// are the same to the last bit on every instruction set.
namespace ShiftSums {

// A standard resampled on a uniform grid: value i at energy start + i / inverseStep.
struct Table {
    const double* values = nullptr;
    int count = 0;   // at least 2
    double start = 0.0;
    double inverseStep = 1.0;
};

// For each of the `count` trial shifts s[k] = firstShift + k * step, over the
// m points (pe[j], pv[j]) with t = the standard at pe[j] - s[k] (linear
// between table values, the end values beyond them): st[k] = sum t,
// stt[k] = sum t * t, stv[k] = sum t * pv[j], each added in point order.
void compute(const Table& table, const double* pe, const double* pv, int m, const double* shifts, int count,
             double* st, double* stt, double* stv);

} // namespace ShiftSums
