#include "processing/SeriesAlignJob.h"

#include "base/Log.h"
#include "base/RunOnThreads.h"
#include "io/TiffData.h"
#include "processing/ImageAlignment.h"

#include <QDebug>
#include <QThread>
#include <atomic>
#include <cmath>

SeriesAlignJob::SeriesAlignJob(std::vector<TiffData*> images, const ProcImage& reference, double threshold)
    : m_images(std::move(images)), m_reference(reference), m_threshold(threshold),
      m_shifts(m_images.size()), m_found(m_images.size(), 0), m_scores(m_images.size(), 0.0)
{
    m_binaries.resize(m_images.size());
    ImageAlignment::clearBorder(&m_reference);
    m_packed = m_packedReference.pack(m_reference);
    logWithTime(QStringLiteral("Start Aligning Series"));
}

void SeriesAlignJob::prepareFrom(int index)
{
    const int threads = m_threads > 0 ? m_threads : qMax(1, QThread::idealThreadCount());
    // A few images per thread: enough to keep them busy, few enough that a
    // stop is not kept waiting.
    const int end = qMin(sliceCount(), index + 4 * threads);
    std::atomic<int> next{index};
    runOnThreads(qMin(threads, end - index), [&](int) {
        for (int k = next++; k < end; k = next++)
            if (const TiffData* image = m_images[std::size_t(k)])
                m_binaries[std::size_t(k)] = PackedBinary::ofEdges(*image, m_threshold);
    });
    m_preparedEnd = end;
}

void SeriesAlignJob::store(int index, const ImageAlignment::SearchResult& r)
{
    m_last = QPoint(r.sx, r.sy);
    m_shifts[std::size_t(index)] = m_last;
    m_scores[std::size_t(index)] = r.score;
    m_found[std::size_t(index)] = 1;
}

void SeriesAlignJob::alignPlain(int index, const TiffData& image)
{
    ProcImage binary = ImageAlignment::binarize(ImageAlignment::edgeImage(image, false), m_threshold);
    ImageAlignment::clearBorder(&binary);
    if (!ImageAlignment::comparable(binary, m_reference))
        return;
    const double start = ImageAlignment::score(binary, m_reference, m_last.x(), m_last.y());
    store(index, ImageAlignment::searchShift(binary, m_reference, m_last.x(), m_last.y(), start));
}

qint64 SeriesAlignJob::runSlice(int index, const std::atomic<bool>& stop)
{
    Q_UNUSED(stop);
    const TiffData* image = m_images[std::size_t(index)];
    if (!image)
        return 1;
    if (!m_packed) {
        alignPlain(index, *image);
        return 1;
    }
    if (index >= m_preparedEnd)
        prepareFrom(index);
    const PackedBinary binary = std::move(m_binaries[std::size_t(index)]);
    if (!PackedBinary::comparable(binary, m_packedReference))
        return 1;
    const double start = PackedBinary::score(binary, m_packedReference, m_last.x(), m_last.y());
    store(index, PackedBinary::searchShift(binary, m_packedReference, m_last.x(), m_last.y(), start));
    return 1;
}

void SeriesAlignJob::deliverSlice(int index)
{
    TiffData* image = m_images[std::size_t(index)];
    if (!image || !m_found[std::size_t(index)])
        return;
    const QPoint s = m_shifts[std::size_t(index)];
    image->setShift(s.x(), s.y());
    ++m_aligned;
}

void SeriesAlignJob::finish(bool stopped)
{
    logWithTime(QStringLiteral("End Aligning Series  "));
    if (m_onFinished)
        m_onFinished(m_aligned, stopped);
}

int SeriesAlignJob::runHere()
{
    runAllHere();
    return m_aligned;
}

SeriesAlignJob::Summary SeriesAlignJob::summarize(const std::vector<QPoint>& shifts, const std::vector<char>& found)
{
    Summary s;
    for (std::size_t i = 0; i < shifts.size() && i < found.size(); ++i) {
        if (!found[i])
            continue;
        ++s.aligned;
        const QPoint p = shifts[i];
        if (p.isNull())
            continue;
        ++s.moved;
        const double length = std::hypot(double(p.x()), double(p.y()));
        if (length > s.largest) {
            s.largest = length;
            s.largestImage = int(i);
            s.largestShift = p;
        }
    }
    return s;
}
