#pragma once

#include "processing/ImageAlignment.h"
#include "processing/ProcImage.h"

#include <cstdint>
#include <vector>

class TiffData;

// A binary image of the alignment (samples 0 and 1 only) packed 64 pixels to
// a word, with the running count of set pixels along each row. Scoring a
// trial shift then ANDs and counts words instead of multiplying doubles: the
// three sums of the score are counts of pixels, which the double sums hold
// exactly, so score() gives ImageAlignment::score() value for value.
class PackedBinary
{
public:
    int width() const { return m_width; }
    int height() const { return m_height; }
    bool isEmpty() const { return m_width == 0 || m_height == 0; }

    // Same size and the same pixels set.
    bool operator==(const PackedBinary& o) const
    {
        return m_width == o.m_width && m_height == o.m_height && m_bits == o.m_bits;
    }

    // Packs `image`; false (and empty) when a sample is neither 0 nor 1.
    bool pack(const ProcImage& image);

    // The binary image of `source`'s edge image (unshifted samples) at
    // threshold t with the border ring cleared: what
    // clearBorder(binarize(edgeImage(source, false), t)) holds.
    static PackedBinary ofEdges(const TiffData& source, double t);

    // ImageAlignment::comparable() for packed images, with its debug lines.
    static bool comparable(const PackedBinary& binary, const PackedBinary& reference);
    // ImageAlignment::score(); same sizes assumed.
    static double score(const PackedBinary& binary, const PackedBinary& reference, int sx, int sy);
    // ImageAlignment::searchShift() with these scores.
    static ImageAlignment::SearchResult searchShift(const PackedBinary& binary, const PackedBinary& reference,
                                                    int sx, int sy, double best);

private:
    void setSize(int w, int h);
    void set(int x, int y) { m_bits[std::size_t(y) * std::size_t(m_words) + std::size_t(x >> 6)] |= std::uint64_t(1) << (x & 63); }
    // Fills the running counts once the bits are in place.
    void countRows();
    const std::uint64_t* row(int y) const { return m_bits.data() + std::size_t(y) * std::size_t(m_words); }
    // Set pixels of row y in columns [a, b).
    std::int64_t countInRow(int y, int a, int b) const;

    int m_width = 0;
    int m_height = 0;
    int m_words = 0;                      // words per row
    std::vector<std::uint64_t> m_bits;   // bits past the width are 0
    std::vector<std::uint32_t> m_before;  // per row, set pixels before each word (m_words + 1 entries)
};
