#pragma once

#include "base/SlicedJob.h"
#include "processing/ImageAlignmentBits.h"
#include "processing/ProcImage.h"

#include <QPoint>
#include <functional>
#include <vector>

class TiffData;

// Alignment of a whole image series against one reference, one image per
// slice: the image's edge image (from its unshifted samples, so the result is
// its absolute shift), binarised at the threshold, is searched against the
// reference starting from the shift found for the previous image ((0, 0) for
// the first). The outermost pixel ring of the reference and of every binary
// image is cleared first: the edge there is the image border, which does not
// move with the sample and would pull every search to (0, 0). deliverSlice() stores the found shift in the image (pixels are
// never moved). An image whose size differs from the reference's is left
// alone ("size mis-match"). The images are not owned and must stay alive
// until the job is done; the worker reads only their samples.
//
// The binary images do not depend on the shifts found, so a slice that finds
// its image's binary image missing makes those of the next few images at
// once, on several threads, packed (PackedBinary); only the climbs go one
// image after the other. The shifts and scores are those of the climb over
// double images, value for value.
class SeriesAlignJob : public SlicedJob
{
public:
    SeriesAlignJob(std::vector<TiffData*> images, const ProcImage& reference, double threshold);

    int sliceCount() const override { return int(m_images.size()); }
    qint64 totalItems() const override { return qint64(m_images.size()); }
    qint64 runSlice(int index, const std::atomic<bool>& stop) override;
    void deliverSlice(int index) override;
    void finish(bool stopped) override;

    // Called at the end of finish() with the number of images given a shift.
    void setOnFinished(std::function<void(int aligned, bool stopped)> f) { m_onFinished = std::move(f); }
    // Shift found per image (valid where found()).
    const std::vector<QPoint>& shifts() const { return m_shifts; }
    bool found(int index) const { return m_found[std::size_t(index)] != 0; }
    double score(int index) const { return m_scores[std::size_t(index)]; }
    int aligned() const { return m_aligned; }

    // What an alignment did, for the window to say: images given a shift,
    // how many of them moved, and the largest shift (its length in pixels,
    // the image and the shift).
    struct Summary {
        int aligned = 0;
        int moved = 0;
        double largest = 0.0;
        int largestImage = -1;
        QPoint largestShift;
    };
    static Summary summarize(const std::vector<QPoint>& shifts, const std::vector<char>& found);
    Summary summary() const { return summarize(m_shifts, m_found); }

    // All slices in the calling thread, then finish(false).
    int runHere();
    // Threads that make binary images ahead (<= 0, the default: one per
    // processor); set before the job starts.
    void setThreads(int threads) { m_threads = threads; }

private:
    // The packed binary images of the images from `index` on, a batch of them.
    void prepareFrom(int index);
    // The climb over double images, for a reference that is not binary.
    void alignPlain(int index, const TiffData& image);
    void store(int index, const ImageAlignment::SearchResult& r);

    std::vector<TiffData*> m_images;
    ProcImage m_reference;
    PackedBinary m_packedReference;
    bool m_packed = false;
    std::vector<PackedBinary> m_binaries;   // made ahead, released when used
    int m_preparedEnd = 0;
    int m_threads = 0;
    double m_threshold;
    std::vector<QPoint> m_shifts;
    std::vector<char> m_found;
    std::vector<double> m_scores;
    QPoint m_last;
    int m_aligned = 0;
    std::function<void(int, bool)> m_onFinished;
};
