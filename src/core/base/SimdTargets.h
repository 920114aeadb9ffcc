#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

// The instruction sets the vector code is built for (plain emulated vectors,
// SSSE3, SSE4, AVX2, AVX-512) and which one runs: the best one the processor
// has, chosen at run time. Every set gives the same numbers; tests and
// benchmarks use force() to run each of them in turn.
namespace SimdTargets {

struct Target {
    qint64 bits = 0;   // the set's flag as the SIMD library names it
    QString name;
};

// The sets built in that this processor runs, best first (while a set is
// forced, that set alone).
std::vector<Target> available();
// From now on the vector code runs with `target` only (one of available());
// 0 returns to the best one.
void force(qint64 target);
// The name of the set the vector code runs with now.
QString current();

} // namespace SimdTargets
