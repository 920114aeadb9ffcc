#pragma once

#include "processing/BlockSum.h"

#include <QtGlobal>
#include <vector>

class TiffData;
struct BlockGrid;

// Block sums of one image over every block of a grid, one grid row at a time.
// For integer samples each source row is turned into running sums once and a
// block's part of the row is the difference of two of them (exact 64-bit sums);
// float samples are summed block by block in BlockSum's order, so both give
// exactly what BlockSum::of gives at each centre. Holds its scratch buffers,
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
    std::vector<quint64> m_running;
    std::vector<quint64> m_acc;
};
