#pragma once

#include "analysis/AreaRunInput.h"
#include "grid/AreaWalk.h"
#include "processing/BandedJob.h"

class BlockBands;

// The shape shared by the whole-area runs: one slice is one band of
// block-grid rows, computed in the worker (analyzeRows) and recorded on the
// GUI thread in walk order (recordRow, with the far stretches and the walk's
// new lines in between), then the band hook is called. After finish() no map
// is touched again, whatever arrives late.
class AreaRunJob : public BandedJob
{
public:
    // Why a run over `input` would analyse nothing (empty: it would not):
    // no block of its grid reaches into the images, so every map would hold
    // only its background.
    static QString refusal(const AreaRunInput& input);

    void setBandHook(RunBandHook hook) { m_hook = std::move(hook); }

    // Grid rows of a slice, and the rows a band may have under the budget.
    int rowsPerSlice() const { return rowsPerBand(); }
    int budgetRows() const { return m_budgetRows; }
    // Some band could not get the memory for its values (it recorded nothing).
    bool memoryFailed() const { return m_memoryFailed; }
    // The run's walk: its block grid and far points.
    const AreaWalk& walk() const { return *m_walk; }

protected:
    explicit AreaRunJob(const AreaRunInput& input) : m_input(input) {}

    // Block values a slice holds by default: some tens of milliseconds of
    // work (values, normalisation and fit) on two cores, whatever the stack,
    // so that progress comes often and the rows of a slice share their
    // per-image set-up. Stop is seen within a slice (between a few rows of
    // one image, and between runs of blocks).
    static constexpr qint64 workPerSlice = qint64(1) << 21;
    // What one result value of a block costs, in block values, where a block
    // has at least as many results as values.
    static constexpr qint64 resultWeight = 3;

    // Derived constructors call this once the walk is known: the slice height
    // is input().rowsPerSlice, or about workPerSlice block values, never above
    // budgetRows.
    void planSlices(const AreaWalk* walk, int budgetRows, int images);
    // The same for a run on bands of its own, whose bands hold `perBlock`
    // bytes of results per block and `perThread` bytes of scratch per thread
    // within the input's budget; the results count as block values
    // (resultWeight each where there are as many as the block's values).
    void planSlices(const BlockBands& bands, qint64 perBlock, qint64 perThread);

    // Worker: the results of block-grid rows [first, first + count). False
    // when the band could not be computed; the band then records nothing.
    virtual bool analyzeRows(int first, int count, const std::atomic<bool>& stop) = 0;
    // GUI thread, in walk order: the blocks of row `row` of the last band
    // (0 ... count - 1).
    virtual void recordRow(int row) = 0;
    // GUI thread: a stretch of far points (blocks that miss the images and
    // the maps) at this place of the walk.
    virtual void recordFar() {}
    // GUI thread: the walk begins a new line at y (every line but the first).
    virtual void walkLine(qint64 y) { Q_UNUSED(y); }

    const AreaRunInput& input() const { return m_input; }

private:
    bool computeBand(const Band& band, const std::atomic<bool>& stop) override;
    void recordBand(const Band& band, bool computed) override;
    void walkLines(qint64 fromRow, qint64 toRow);

    AreaRunInput m_input;
    const AreaWalk* m_walk = nullptr;
    RunBandHook m_hook;
    int m_budgetRows = 1;
    bool m_memoryFailed = false;
};
