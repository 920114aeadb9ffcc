#pragma once

#include "base/RunOnThreads.h"

#include <QByteArray>
#include <QtGlobal>
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

// Workers for formatting text: one per processor, at least one.
inline int textThreads()
{
    return std::max(1, int(std::thread::hardware_concurrency()));
}

// The text of items [0, count) made on `threads` workers and joined in item
// order, so it is the same, byte for byte, as made on one. The items are
// shared out in runs of `chunk`: append(out, begin, end) writes the text of
// items [begin, end) into its own, empty `out`.
template <class Append>
QByteArray textInOrder(qint64 count, qint64 chunk, int threads, Append append)
{
    chunk = std::max<qint64>(1, chunk);
    const qint64 chunks = (std::max<qint64>(0, count) + chunk - 1) / chunk;
    std::vector<QByteArray> texts(static_cast<std::size_t>(chunks));
    std::atomic<qint64> next{0};
    runOnThreads(int(std::min<qint64>(std::max(1, threads), std::max<qint64>(1, chunks))), [&](int) {
        for (qint64 c = next++; c < chunks; c = next++)
            append(texts[std::size_t(c)], c * chunk, std::min(count, (c + 1) * chunk));
    });
    if (chunks == 1)
        return texts.front();
    qint64 size = 0;
    for (const QByteArray& t : texts)
        size += t.size();
    QByteArray all;
    all.reserve(int(size));
    for (const QByteArray& t : texts)
        all += t;
    return all;
}
