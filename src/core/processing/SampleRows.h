#pragma once

#include <QtGlobal>

// Rows of integer samples turned into doubles on SIMD vectors (every sample
// converts exactly): the block sums of single-pixel blocks side by side are
// the samples themselves.
namespace SampleRows {

// out[i] = double(p[i]) for 0 <= i < n.
void widen(const quint16* p, double* out, int n);
void widen(const quint32* p, double* out, int n);

} // namespace SampleRows
