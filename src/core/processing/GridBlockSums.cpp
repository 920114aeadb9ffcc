#include "processing/GridBlockSums.h"

#include "grid/BlockGrid.h"
#include "io/TiffData.h"

#include <algorithm>
#include <type_traits>

void GridBlockSums::setImage(const TiffData* image)
{
    m_image = image;
    const int n = m_grid->columns();
    m_columns.resize(std::size_t(n));
    m_spanFirst = 0;
    m_spanLast = -1;
    const qint64 w = image->width();
    bool any = false;
    for (int i = 0; i < n; ++i) {
        const BlockSum::Range r = BlockSum::clip(m_grid->xs[std::size_t(i)], m_grid->halfWidth, image->shiftX(), w);
        m_columns[std::size_t(i)] = r;
        if (r.isEmpty())
            continue;
        m_spanFirst = any ? qMin(m_spanFirst, r.first) : r.first;
        m_spanLast = any ? qMax(m_spanLast, r.last) : r.last;
        any = true;
    }
    m_begin.resize(std::size_t(n));
    m_end.resize(std::size_t(n));
    qint64 covered = 0;
    for (int i = 0; i < n; ++i) {
        const BlockSum::Range& r = m_columns[std::size_t(i)];
        m_begin[std::size_t(i)] = r.isEmpty() ? 0 : r.first - m_spanFirst;
        m_end[std::size_t(i)] = r.isEmpty() ? 0 : r.last + 1 - m_spanFirst;
        covered += m_end[std::size_t(i)] - m_begin[std::size_t(i)];
    }
    // Running sums pay off when the blocks together cover the span more than
    // about twice; otherwise summing each block's samples is less work.
    m_useRunning = covered > 2 * (m_spanLast - m_spanFirst + 1);
    m_consecutive = n > 0;
    for (int i = 0; i < n && m_consecutive; ++i)
        m_consecutive = m_end[std::size_t(i)] == m_begin[std::size_t(i)] + 1 && m_begin[std::size_t(i)] == i;
    m_running.resize(m_useRunning ? std::size_t(m_spanLast - m_spanFirst + 2) : 0);
    m_acc.resize(std::size_t(n));
}

void GridBlockSums::row(int j, double* out)
{
    const int n = m_grid->columns();
    const BlockSum::Range rows = BlockSum::clip(m_grid->ys[std::size_t(j)], m_grid->halfHeight,
                                                m_image->shiftY(), m_image->height());
    if (rows.isEmpty() || m_spanLast < m_spanFirst) {
        std::fill(out, out + n, 0.0);
        return;
    }
    const bool has = m_image->withSamples([&](const auto* samples) {
        using T = std::decay_t<decltype(*samples)>;
        if constexpr (std::is_same_v<T, float>)
            floatRow(samples, rows, out);
        else
            integerRow(samples, rows, out);
    });
    if (!has) {
        std::fill(out, out + n, 0.0);
        return;
    }
    if (m_image->dark())
        for (int i = 0; i < n; ++i)
            if (!m_columns[std::size_t(i)].isEmpty())
                out[i] = BlockSum::minusDark(*m_image, out[i], m_columns[std::size_t(i)], rows);
}

template <class T>
void GridBlockSums::integerRow(const T* samples, const BlockSum::Range& rows, double* out)
{
    const int n = m_grid->columns();
    const qint64 w = m_image->width();
    const qint64* begin = m_begin.data();
    const qint64* end = m_end.data();
    quint64* acc = m_acc.data();
    std::fill(acc, acc + n, quint64(0));
    if (m_useRunning) {
        const qint64 span = m_spanLast - m_spanFirst + 1;
        quint64* run = m_running.data();   // run[k] = sum of the first k samples of the span
        for (qint64 r = rows.first; r <= rows.last; ++r) {
            const T* p = samples + r * w + m_spanFirst;
            quint64 s = 0;
            run[0] = 0;
            for (qint64 k = 0; k < span; ++k) {
                s += p[k];
                run[k + 1] = s;
            }
            for (int i = 0; i < n; ++i)
                acc[i] += run[end[i]] - run[begin[i]];
        }
    } else if (m_consecutive) {
        // Single-pixel columns one after the other: a plain copy of the rows.
        if (rows.first == rows.last) {
            const T* p = samples + rows.first * w + m_spanFirst;
            for (int i = 0; i < n; ++i)
                out[i] = double(p[i]);
            return;
        }
        for (qint64 r = rows.first; r <= rows.last; ++r) {
            const T* p = samples + r * w + m_spanFirst;
            for (int i = 0; i < n; ++i)
                acc[i] += p[i];
        }
    } else if (m_grid->halfWidth == 0) {
        for (qint64 r = rows.first; r <= rows.last; ++r) {
            const T* p = samples + r * w + m_spanFirst;
            for (int i = 0; i < n; ++i)
                acc[i] += begin[i] < end[i] ? p[begin[i]] : 0;
        }
    } else {
        for (qint64 r = rows.first; r <= rows.last; ++r) {
            const T* p = samples + r * w + m_spanFirst;
            for (int i = 0; i < n; ++i) {
                quint64 s = 0;
                for (qint64 k = begin[i]; k < end[i]; ++k)
                    s += p[k];
                acc[i] += s;
            }
        }
    }
    for (int i = 0; i < n; ++i)
        out[i] = double(acc[i]);
}

void GridBlockSums::floatRow(const float* samples, const BlockSum::Range& rows, double* out)
{
    const int n = m_grid->columns();
    const qint64 w = m_image->width();
    for (int i = 0; i < n; ++i) {
        const BlockSum::Range& c = m_columns[std::size_t(i)];
        out[i] = c.isEmpty() ? 0.0 : BlockSum::sumFloat(samples, w, c, rows);
    }
}
