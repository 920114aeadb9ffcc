#pragma once

#include <cstdint>
#include <vector>

// The sums the Fit rule needs for a row of trial shifts, in vector lanes: one
// lane per trial shift, every lane doing the scalar operations in the scalar
// order (point by point, no fused multiply-add), so that each shift's sums
// are the same to the last bit on every instruction set.
namespace ShiftSums {

// The widest vector (in doubles) the lane table serves; wider vectors, and
// vectors whose width does not divide it, read the table lane by lane.
constexpr int laneWidth = 8;

// A standard's values laid out for trial shifts a fixed step apart, so that a
// vector of neighbouring shifts reads its table values with plain loads
// instead of one lookup per lane: row r holds, in lane l, the value at index
// r - offsets[l], where offsets[l] is l shift steps in table steps, rounded.
// At one point the lanes' indices then fall on one row or the next.
struct LaneTable {
    std::vector<double> rows;   // rowCount x laneWidth
    int rowCount = 0;
    std::int64_t offsets[laneWidth] = {};
};

// A standard resampled on a uniform grid: value i at energy start + i / inverseStep.
struct Table {
    const double* values = nullptr;
    int count = 0;   // at least 2
    double start = 0.0;
    double inverseStep = 1.0;
    // Optional: the values laid out for trial shifts in increasing order, the
    // step the lane table was made for apart. Only speeds up the lookup.
    const LaneTable* lanes = nullptr;
};

// The lane table of `table` for increasing trial shifts `shiftStep` apart.
LaneTable makeLaneTable(const Table& table, double shiftStep);

// For each of the `count` trial shifts s[k] = firstShift + k * step, over the
// m points (pe[j], pv[j]) with t = the standard at pe[j] - s[k] (linear
// between table values, the end values beyond them): st[k] = sum t,
// stt[k] = sum t * t, stv[k] = sum t * pv[j], each added in point order.
void compute(const Table& table, const double* pe, const double* pv, int m, const double* shifts, int count,
             double* st, double* stt, double* stv);

} // namespace ShiftSums
