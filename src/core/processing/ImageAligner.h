#pragma once

#include "processing/ImageAlignment.h"
#include "processing/ProcImage.h"

#include <QImage>

class TiffData;
struct ColorMapper;

// The image processor's state: the source image (not owned), its edge image,
// the binary image, the reference and the last score, with the steps the
// processor window's slots take. Holds no widget; the window reads its form
// and calls these.
class ImageAligner
{
public:
    // Stores the image and its size; null sets the size to 0.
    void setSource(const TiffData* source);
    const TiffData* source() const { return m_source; }
    int width() const { return m_width; }
    int height() const { return m_height; }

    // The edge image of the source (its shift applied); false without a source.
    bool edgeDetect();
    // The binary image of the edge image at threshold t; false without a
    // source or an edge image.
    bool binarize(double t);
    // The reference becomes a copy of the binary image; false without one.
    bool setReference();

    const ProcImage& value() const { return m_value; }
    const ProcImage& binary() const { return m_binary; }
    const ProcImage& reference() const { return m_reference; }
    double lastScore() const { return m_lastScore; }

    // Binary image and reference present and of one size (debug lines else).
    bool comparable() const { return ImageAlignment::comparable(m_binary, m_reference); }
    // The overlay at (sx, sy) in the source's size; keeps its score as the
    // last score. Requires comparable().
    QImage compare(int sx, int sy);
    // The search from (sx, sy), starting from the last score. Requires
    // comparable().
    ImageAlignment::SearchResult search(int sx, int sy) const;
    // The binary or the edge image through the mapper over its own range.
    QImage picture(bool binary, const ColorMapper& mapper) const;

    // The score as the processor shows it: 6 significant digits, cut to the
    // first 6 characters.
    static QString scoreText(double s);

private:
    const TiffData* m_source = nullptr;
    int m_width = 0;
    int m_height = 0;
    ProcImage m_value;
    ProcImage m_binary;
    ProcImage m_reference;
    double m_lastScore = 0.0;
};
