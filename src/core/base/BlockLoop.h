#pragma once

#include "base/RunOnThreads.h"

#include <QtGlobal>
#include <atomic>

// The parallel loop of the banded runs over the blocks of a band: blocks
// 0 ... blocks - 1 are handed out in runs of up to 64 from an atomic counter,
// so a thread that meets slow blocks simply takes fewer runs. Each thread
// makes its scratch once (makeScratch(), called on that thread) and calls
// perBlock(scratch, b) for every block of its runs. With rowLength > 0 a run
// never crosses a row of that many blocks, for work that follows its
// neighbour along a row. Once *stop is set (stop may be null) no further run
// starts. threads: at most that many, and never more than there are runs.
template <class MakeScratch, class PerBlock>
void forEachBlock(qint64 blocks, int threads, const std::atomic<bool>* stop, MakeScratch makeScratch,
                  PerBlock perBlock, qint64 rowLength = 0)
{
    if (blocks <= 0)
        return;
    const qint64 row = rowLength > 0 ? qMin(rowLength, blocks) : blocks;
    const qint64 run = qMin<qint64>(64, row);
    const qint64 runsPerRow = (row + run - 1) / run;
    const qint64 runs = runsPerRow * ((blocks + row - 1) / row);
    std::atomic<qint64> next{0};
    runOnThreads(int(qBound<qint64>(1, threads, runs)), [&](int) {
        auto scratch = makeScratch();
        for (qint64 c = next++; c < runs && !(stop && stop->load(std::memory_order_relaxed)); c = next++) {
            const qint64 rowStart = (c / runsPerRow) * row;
            const qint64 b0 = rowStart + (c % runsPerRow) * run;
            const qint64 b1 = qMin(qMin(b0 + run, rowStart + row), blocks);
            for (qint64 b = b0; b < b1; ++b)
                perBlock(scratch, b);
        }
    });
}
