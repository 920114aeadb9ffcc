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
    explicit GridBlockSums(const BlockGrid* grid) : m_grid(grid) { m_plans.reserve(maxPlans); }
    GridBlockSums(const GridBlockSums&) = delete;
    GridBlockSums& operator=(const GridBlockSums&) = delete;

    // Takes the image (not owned) and clips every grid column to its samples,
    // alignment shift applied.
    void setImage(const TiffData* image);
    // The block sums of grid row j, one per grid column, into out.
    void row(int j, double* out);

private:
    // How the grid's columns fall on the samples of an image of a given width
    // and horizontal shift; images that share both share it, so a few of
    // them are kept and a band of one grid row walks hundreds of images
    // without clipping every column anew.
    struct Columns {
        qint64 shiftX = 0;
        qint64 width = -1;
        std::vector<BlockSum::Range> ranges;  // source columns of each grid column
        qint64 spanFirst = 0;                 // source columns the running sums cover
        qint64 spanLast = -1;
        // Per grid column, the ends of its part of a row relative to the span
        // start (first, one past last; equal when the column misses the image).
        std::vector<qint64> begin;
        std::vector<qint64> end;
        bool useRunning = false;              // overlapping blocks: use running sums
        // Columns runFirst ... runLast are single pixels side by side, the
        // others miss the image.
        bool consecutive = false;
        int runFirst = 0;
        int runLast = -1;
    };
    static constexpr std::size_t maxPlans = 8;

    void plan(qint64 shift, qint64 width, Columns* c) const;
    template <class T>
    void integerRow(const T* samples, const BlockSum::Range& rows, double* out);
    void floatRow(const float* samples, const BlockSum::Range& rows, double* out);

    const BlockGrid* m_grid;
    const TiffData* m_image = nullptr;
    std::vector<Columns> m_plans;
    Columns* m_cur = nullptr;
    std::size_t m_nextPlan = 0;
    std::vector<quint64> m_running;
    std::vector<quint64> m_acc;
};
