#include "processing/GridBlockSums.h"

#include "grid/BlockGrid.h"
#include "io/TiffData.h"
#include "processing/SampleRows.h"

#include <algorithm>
#include <type_traits>

void GridBlockSums::setImage(const TiffData* image)
{
    m_image = image;
    const qint64 shift = image->shiftX();
    const qint64 w = image->width();
    for (Columns& c : m_plans) {
        if (c.shiftX == shift && c.width == w) {
            m_cur = &c;
            return;
        }
    }
    if (m_plans.size() < maxPlans) {
        m_plans.emplace_back();
        m_cur = &m_plans.back();
    } else {
        m_cur = &m_plans[m_nextPlan];
        m_nextPlan = (m_nextPlan + 1) % maxPlans;
    }
    plan(shift, w, m_cur);
    if (m_cur->useRunning)
        m_running.resize(qMax(m_running.size(), std::size_t(m_cur->spanLast - m_cur->spanFirst + 2)));
    m_acc.resize(std::size_t(m_grid->columns()));
}

void GridBlockSums::plan(qint64 shift, qint64 w, Columns* c) const
{
    const int n = m_grid->columns();
    c->shiftX = shift;
    c->width = w;
    c->ranges.resize(std::size_t(n));
    c->spanFirst = 0;
    c->spanLast = -1;
    bool any = false;
    for (int i = 0; i < n; ++i) {
        const BlockSum::Range r = BlockSum::clip(m_grid->xs[std::size_t(i)], m_grid->halfWidth, shift, w);
        c->ranges[std::size_t(i)] = r;
        if (r.isEmpty())
            continue;
        c->spanFirst = any ? qMin(c->spanFirst, r.first) : r.first;
        c->spanLast = any ? qMax(c->spanLast, r.last) : r.last;
        any = true;
    }
    c->begin.resize(std::size_t(n));
    c->end.resize(std::size_t(n));
    qint64 covered = 0;
    for (int i = 0; i < n; ++i) {
        const BlockSum::Range& r = c->ranges[std::size_t(i)];
        c->begin[std::size_t(i)] = r.isEmpty() ? 0 : r.first - c->spanFirst;
        c->end[std::size_t(i)] = r.isEmpty() ? 0 : r.last + 1 - c->spanFirst;
        covered += c->end[std::size_t(i)] - c->begin[std::size_t(i)];
    }
    // Running sums pay off when the blocks together cover the span more than
    // about twice; otherwise summing each block's samples is less work.
    c->useRunning = covered > 2 * (c->spanLast - c->spanFirst + 1);
    // Single-pixel columns side by side: the columns that meet the image
    // form one run whose pixels follow each other.
    c->runFirst = 0;
    while (c->runFirst < n && c->ranges[std::size_t(c->runFirst)].isEmpty())
        ++c->runFirst;
    c->runLast = n - 1;
    while (c->runLast >= c->runFirst && c->ranges[std::size_t(c->runLast)].isEmpty())
        --c->runLast;
    c->consecutive = c->runFirst <= c->runLast;
    for (int i = c->runFirst; i <= c->runLast && c->consecutive; ++i)
        c->consecutive = c->end[std::size_t(i)] == c->begin[std::size_t(i)] + 1
                         && c->begin[std::size_t(i)] == c->begin[std::size_t(c->runFirst)] + (i - c->runFirst);
}

void GridBlockSums::row(int j, double* out)
{
    const int n = m_grid->columns();
    const BlockSum::Range rows = BlockSum::clip(m_grid->ys[std::size_t(j)], m_grid->halfHeight,
                                                m_image->shiftY(), m_image->height());
    if (rows.isEmpty() || m_cur->spanLast < m_cur->spanFirst) {
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
            if (!m_cur->ranges[std::size_t(i)].isEmpty())
                out[i] = BlockSum::minusDark(*m_image, out[i], m_cur->ranges[std::size_t(i)], rows);
}

template <class T>
void GridBlockSums::integerRow(const T* samples, const BlockSum::Range& rows, double* out)
{
    const int n = m_grid->columns();
    const qint64 w = m_image->width();
    const Columns& c = *m_cur;
    const qint64* begin = c.begin.data();
    const qint64* end = c.end.data();
    quint64* acc = m_acc.data();
    if (c.consecutive && !c.useRunning && rows.first == rows.last) {
        // Single pixels side by side: the samples of one row, 0 beside the image.
        const int run = c.runLast - c.runFirst + 1;
        std::fill(out, out + c.runFirst, 0.0);
        SampleRows::widen(samples + rows.first * w + c.spanFirst + c.begin[std::size_t(c.runFirst)], out + c.runFirst, run);
        std::fill(out + c.runLast + 1, out + n, 0.0);
        return;
    }
    std::fill(acc, acc + n, quint64(0));
    if (c.useRunning) {
        const qint64 span = c.spanLast - c.spanFirst + 1;
        quint64* run = m_running.data();   // run[k] = sum of the first k samples of the span
        for (qint64 r = rows.first; r <= rows.last; ++r) {
            const T* p = samples + r * w + c.spanFirst;
            quint64 s = 0;
            run[0] = 0;
            for (qint64 k = 0; k < span; ++k) {
                s += p[k];
                run[k + 1] = s;
            }
            for (int i = 0; i < n; ++i)
                acc[i] += run[end[i]] - run[begin[i]];
        }
    } else if (c.consecutive) {
        // Single-pixel columns one after the other: the rows added up.
        for (qint64 r = rows.first; r <= rows.last; ++r) {
            const T* p = samples + r * w + c.spanFirst + c.begin[std::size_t(c.runFirst)];
            for (int i = c.runFirst; i <= c.runLast; ++i)
                acc[i] += p[i - c.runFirst];
        }
    } else if (m_grid->halfWidth == 0) {
        for (qint64 r = rows.first; r <= rows.last; ++r) {
            const T* p = samples + r * w + c.spanFirst;
            for (int i = 0; i < n; ++i)
                acc[i] += begin[i] < end[i] ? p[begin[i]] : 0;
        }
    } else {
        for (qint64 r = rows.first; r <= rows.last; ++r) {
            const T* p = samples + r * w + c.spanFirst;
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
        const BlockSum::Range& c = m_cur->ranges[std::size_t(i)];
        out[i] = c.isEmpty() ? 0.0 : BlockSum::sumFloat(samples, w, c, rows);
    }
}
