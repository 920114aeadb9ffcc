#pragma once

#include "processing/BlockSum.h"

#include <QtGlobal>
#include <vector>

class TiffData;
struct BlockGrid;

// Block sums of one image over every block of a grid, one grid row at a time.
// Integer samples are summed exactly in 64 bits: when the blocks of a row
// overlap, each source row is turned into running sums once and a block's part
// of the row is the difference of two of them; otherwise each block's part is
// summed directly. Float samples are summed block by block in BlockSum's order.
// Either way every sum is exactly what BlockSum::of gives at the centre, the
// image's dark subtracted the same way. Holds its scratch buffers,
// so one instance per thread walks many images without allocating.
class GridBlockSums
{
public:
    explicit GridBlockSums(const BlockGrid* grid) : m_grid(grid) {}

    // Takes the image (not owned) and clips every grid column to its samples,
    // alignment shift applied.
    void setImage(const TiffData* image);
    // The block sums of grid row j, one per grid column, into out.
    void row(int j, double* out);

private:
    template <class T>
    void integerRow(const T* samples, const BlockSum::Range& rows, double* out);
    void floatRow(const float* samples, const BlockSum::Range& rows, double* out);

    const BlockGrid* m_grid;
    const TiffData* m_image = nullptr;
    std::vector<BlockSum::Range> m_columns;  // source columns of each grid column
    qint64 m_spanFirst = 0;                  // source columns the running sums cover
    qint64 m_spanLast = -1;
    // Per grid column, the ends of its part of a row relative to the span
    // start (first, one past last; equal when the column misses the image).
    std::vector<qint64> m_begin;
    std::vector<qint64> m_end;
    bool m_useRunning = false;               // overlapping blocks: use running sums
    bool m_consecutive = false;              // single columns side by side, all inside
    std::vector<quint64> m_running;
    std::vector<quint64> m_acc;
};
