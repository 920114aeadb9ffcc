#include "processing/ImageAlignmentBits.h"

#include "base/LogCategories.h"
#include "io/TiffData.h"

#include <QDebug>
#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

#if defined(__x86_64__) && defined(__linux__) && defined(__GNUC__)
// Counting set bits is one instruction where the processor has it; the
// loader picks the variant once.
#define ORV_POPCOUNT_CLONES __attribute__((target_clones("popcnt", "default")))
#else
#define ORV_POPCOUNT_CLONES
#endif

// Pixels set in both: b's words wa ... wb of one row (masked to the overlap)
// against the reference row read `shift` bits further on.
ORV_POPCOUNT_CLONES
std::int64_t overlapInRow(const std::uint64_t* b, const std::uint64_t* r, int words, int wa, int wb,
                          std::uint64_t firstMask, std::uint64_t lastMask, qint64 shift)
{
    // Reference word i + q holds the reference bits for b's word i from bit
    // `rem` on; the rest come from word i + q + 1. Words outside are 0.
    const qint64 q = shift >= 0 ? shift / 64 : -((-shift + 63) / 64);
    const int rem = int(shift - q * 64);
    const auto word = [r, words](qint64 i) { return i >= 0 && i < words ? r[i] : std::uint64_t(0); };
    std::int64_t n = 0;
    for (int i = wa; i <= wb; ++i) {
        std::uint64_t m = b[i];
        if (i == wa)
            m &= firstMask;
        if (i == wb)
            m &= lastMask;
        if (!m)
            continue;
        const std::uint64_t lo = word(i + q);
        const std::uint64_t v = rem == 0 ? lo : (lo >> rem) | (word(i + q + 1) << (64 - rem));
        n += __builtin_popcountll(m & v);
    }
    return n;
}

ORV_POPCOUNT_CLONES
std::uint32_t bitsIn(std::uint64_t w)
{
    return std::uint32_t(__builtin_popcountll(w));
}

// bits[x / 64] bit x % 64 set where edges[x] > above, for x = 0 ... w - 1
// (the words start cleared).
void packAbove(const qint32* edges, int w, qint32 above, std::uint64_t* bits)
{
    int x = 0;
#if defined(__SSE2__)
    // Sixteen at a time: compare, narrow to bytes, one bit per byte.
    const __m128i limit = _mm_set1_epi32(above);
    for (; x + 16 <= w; x += 16) {
        const __m128i* p = reinterpret_cast<const __m128i*>(edges + x);
        const __m128i lo = _mm_packs_epi32(_mm_cmpgt_epi32(_mm_loadu_si128(p), limit),
                                           _mm_cmpgt_epi32(_mm_loadu_si128(p + 1), limit));
        const __m128i hi = _mm_packs_epi32(_mm_cmpgt_epi32(_mm_loadu_si128(p + 2), limit),
                                           _mm_cmpgt_epi32(_mm_loadu_si128(p + 3), limit));
        const std::uint64_t mask = std::uint32_t(_mm_movemask_epi8(_mm_packs_epi16(lo, hi)));
        bits[x >> 6] |= mask << (x & 63);
    }
#endif
    for (; x < w; ++x)
        bits[x >> 6] |= std::uint64_t(edges[x] > above) << (x & 63);
}

} // namespace

void PackedBinary::setSize(int w, int h)
{
    m_width = w > 0 && h > 0 ? w : 0;
    m_height = w > 0 && h > 0 ? h : 0;
    m_words = (m_width + 63) / 64;
    m_bits.assign(std::size_t(m_words) * std::size_t(m_height), 0);
    m_before.clear();
}

void PackedBinary::countRows()
{
    m_before.assign((std::size_t(m_words) + 1) * std::size_t(m_height), 0);
    for (int y = 0; y < m_height; ++y) {
        const std::uint64_t* bits = row(y);
        std::uint32_t* before = m_before.data() + std::size_t(y) * (std::size_t(m_words) + 1);
        for (int i = 0; i < m_words; ++i)
            before[i + 1] = before[i] + bitsIn(bits[i]);
    }
}

std::int64_t PackedBinary::countInRow(int y, int a, int b) const
{
    const std::uint64_t* bits = row(y);
    const std::uint32_t* before = m_before.data() + std::size_t(y) * (std::size_t(m_words) + 1);
    const auto upTo = [bits, before](int p) {
        const int i = p >> 6, k = p & 63;
        return std::int64_t(before[i]) + (k ? bitsIn(bits[i] & ((std::uint64_t(1) << k) - 1)) : 0);
    };
    return upTo(b) - upTo(a);
}

bool PackedBinary::pack(const ProcImage& image)
{
    setSize(image.width, image.height);
    if (std::size_t(m_width) * std::size_t(m_height) != image.samples.size() && !isEmpty()) {
        setSize(0, 0);
        return false;
    }
    for (int y = 0; y < m_height; ++y) {
        const double* src = image.samples.data() + std::size_t(y) * std::size_t(m_width);
        for (int x = 0; x < m_width; ++x) {
            if (src[x] == 1.0) {
                set(x, y);
            } else if (src[x] != 0.0) {
                setSize(0, 0);
                return false;
            }
        }
    }
    countRows();
    return true;
}

PackedBinary PackedBinary::ofEdges(const TiffData& source, double t)
{
    PackedBinary out;
    const int w = int(qMin<quint32>(source.width(), 1u << 15));
    const int h = int(qMin<quint32>(source.height(), 1u << 15));
    out.setSize(w, h);
    // An integer edge e exceeds t exactly when it exceeds floor(t); edges
    // lie in 0 ... 3 x 65535.
    const bool none = std::isnan(t);
    const qint64 above = none ? 0 : qint64(qBound(-1.0, std::floor(t), double(1 << 20)));
    const bool fast = ImageAlignment::forEachEdgeRow16(source, false, [&](int y, const qint32* edges) {
        if (none || y == 0 || y == h - 1)
            return;   // the border ring stays 0
        std::uint64_t* bits = out.m_bits.data() + std::size_t(y) * std::size_t(out.m_words);
        packAbove(edges, w, qint32(above), bits);
        // The first and the last pixel of the row are border.
        bits[0] &= ~std::uint64_t(1);
        bits[(w - 1) >> 6] &= ~(std::uint64_t(1) << ((w - 1) & 63));
    });
    if (fast) {
        out.countRows();
        return out;
    }
    ProcImage binary = ImageAlignment::binarize(ImageAlignment::edgeImage(source, false), t);
    ImageAlignment::clearBorder(&binary);
    out.pack(binary);
    return out;
}

bool PackedBinary::comparable(const PackedBinary& binary, const PackedBinary& reference)
{
    return ImageAlignment::comparableSizes(binary.m_width, binary.m_height, reference.m_width, reference.m_height);
}

double PackedBinary::score(const PackedBinary& binary, const PackedBinary& reference, int sx, int sy)
{
    const qint64 w = binary.m_width, h = binary.m_height;
    // Pixels x with 0 <= x < w and 0 <= x + sx < w, likewise y.
    const qint64 xa = qMax<qint64>(0, -qint64(sx)), xb = qMin<qint64>(w, w - qint64(sx));
    const qint64 ya = qMax<qint64>(0, -qint64(sy)), yb = qMin<qint64>(h, h - qint64(sy));
    if (xa >= xb || ya >= yb)
        return 0.0;
    const int wa = int(xa >> 6), wb = int((xb - 1) >> 6);
    const std::uint64_t firstMask = ~std::uint64_t(0) << (xa & 63);
    const std::uint64_t lastMask = ~std::uint64_t(0) >> (63 - ((xb - 1) & 63));
    std::int64_t br = 0, bb = 0, rr = 0;
    for (qint64 y = ya; y < yb; ++y) {
        const int ry = int(y + sy);
        bb += binary.countInRow(int(y), int(xa), int(xb));
        rr += reference.countInRow(ry, int(xa + sx), int(xb + sx));
        br += overlapInRow(binary.row(int(y)), reference.row(ry), binary.m_words, wa, wb, firstMask, lastMask, sx);
    }
    // The same numbers the sums of products of 0 and 1 reach.
    const double norm = double(bb) * double(rr);
    return norm > 0.0 ? double(br) / std::sqrt(norm) : 0.0;
}

ImageAlignment::SearchResult PackedBinary::searchShift(const PackedBinary& binary, const PackedBinary& reference,
                                                       int sx, int sy, double best)
{
    return ImageAlignment::climb(binary.m_width, binary.m_height, sx, sy, best,
                                 [&](int x, int y) { return score(binary, reference, x, y); });
}
