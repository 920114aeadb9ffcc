#pragma once

#include "base/LargeBuffer.h"

#include <QString>
#include <QtGlobal>
#include <vector>

class ImageAverage;

// The detector's dark image: what it counts without beam, the mean of one or
// more dark frames. Every block sum of an image it is set on is taken minus
// the dark's sum over the same source pixels. Those sums come from a
// summed-area table built once, so a block of any size costs four look-ups
// and every path (spectrum under the mouse, 2D runs, calibration, spectra
// files) gets the very same value for the same block.
class DarkField
{
public:
    // `mean` holds width x height values, row after row.
    DarkField(quint32 width, quint32 height, const std::vector<double>& mean, int frames, const QString& origin);
    // The mean of the frames added to `frames` (at least one), taken from
    // its sums without a copy of the mean. Throws std::bad_alloc without
    // memory for the table.
    DarkField(const ImageAverage& frames, const QString& origin);

    quint32 width() const { return m_width; }
    quint32 height() const { return m_height; }
    // Frames averaged, and where they came from ("dark.tif", "scan.h5::/img_dark").
    int frames() const { return m_frames; }
    const QString& origin() const { return m_origin; }
    // Mean over all pixels.
    double level() const { return m_level; }
    // The dark at source pixel (x, y); 0 outside.
    double value(quint32 x, quint32 y) const;

    // Sum over source columns c0 ... c1 and rows r0 ... r1, both inclusive
    // and inside the image (callers clip as for the image's own sum).
    double sum(qint64 c0, qint64 c1, qint64 r0, qint64 r1) const
    {
        const qint64 s = qint64(m_width) + 1;
        const double* t = m_table.get();
        return t[(r1 + 1) * s + c1 + 1] - t[r0 * s + c1 + 1] - t[(r1 + 1) * s + c0] + t[r0 * s + c0];
    }

    // "<origin>, mean of N images, level L counts" for the window and the
    // provenance sidecar.
    QString description() const;

private:
    // The table of `values` / `divisor`, the mean of `m_frames` frames.
    void build(const double* values, double divisor);

    quint32 m_width = 0;
    quint32 m_height = 0;
    int m_frames = 0;
    QString m_origin;
    double m_level = 0.0;
    // (width + 1) x (height + 1): entry (r, c) is the sum over rows < r and
    // columns < c.
    // In a large store: huge pages for large images.
    LargeBuffer::Ptr<double> m_table;
};
