#pragma once

#include <QString>
#include <vector>

class TiffData;

// One image series (I1 "Data" or I0) in arrival order. Owns its images:
// clearing or destroying the series deletes them.
class ImageSeries
{
public:
    ImageSeries() = default;
    ~ImageSeries();
    ImageSeries(const ImageSeries&) = delete;
    ImageSeries& operator=(const ImageSeries&) = delete;

    int size() const { return int(m_images.size()); }
    bool isEmpty() const { return m_images.empty(); }
    bool isValidIndex(int i) const { return i >= 0 && i < size(); }
    // The image at i, or null outside the series.
    TiffData* at(int i) const { return isValidIndex(i) ? m_images[std::size_t(i)] : nullptr; }
    TiffData* first() const { return at(0); }
    TiffData* last() const { return at(size() - 1); }
    // Takes ownership.
    void append(TiffData* image);
    // Deletes every image.
    void clear();

    const std::vector<TiffData*>& images() const { return m_images; }
    std::vector<const TiffData*> constImages() const { return {m_images.begin(), m_images.end()}; }

private:
    std::vector<TiffData*> m_images;
};

// Whether an arriving image may join its series. Per-pixel work assumes one
// image size: an I1 image whose size differs from the first I1 image is
// refused, with a message naming the file and both sizes. An I0 image of
// another size is kept (it reads 0 outside itself) and reported once per
// series (warnedI0 remembers that the warning was written).
struct SeriesSizeCheck {
    // Returns false and fills *message when `image` must be refused.
    static bool acceptI1(const ImageSeries& i1, const TiffData& image, QString* message);
    // Returns the warning to write for an I0 image, or an empty text. The
    // reference size is the first I1 image's, else the first I0 image's.
    static QString i0Warning(const ImageSeries& i1, const ImageSeries& i0, const TiffData& image,
                             bool* warnedI0);
};

// Bookkeeping of the load requests of one series, so that images of a load
// that was cancelled by clearing the series are dropped when they still
// arrive. Requests are numbered 1, 2, ... in the order they are sent; the
// loader handles them in that order and ends each with one "finished"
// signal, so an arriving image belongs to request finished + 1.
struct SeriesLoadBook {
    int requested = 0;
    int finished = 0;
    int dropUntil = 0;

    // A new request is sent; returns its number.
    int startRequest() { return ++requested; }
    // The series is cleared: every request sent so far is cancelled; returns
    // the number up to which the loader must cancel.
    int cancelAll()
    {
        dropUntil = requested;
        return requested;
    }
    // The arriving image belongs to a cancelled request.
    bool isStale() const { return finished + 1 <= dropUntil; }
    void finish()
    {
        if (finished < requested)
            ++finished;
    }
    bool isLoading() const { return finished < requested; }
};
