#include "processing/ImageAlignment.h"

#include "base/LogCategories.h"
#include "display/ColorScale.h"
#include "io/TiffData.h"
#include "processing/ImageAlignmentBits.h"

#include <QDebug>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {

#if defined(__x86_64__) && defined(__linux__) && defined(__GNUC__)
#define ORV_WIDE_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define ORV_WIDE_CLONES
#endif

// One row of the edge image from the rows above (a), at (b) and below (c),
// each holding P(x) at index x + 1 for x = -1 ... w.
ORV_WIDE_CLONES
void edgeRow(const qint32* __restrict a, const qint32* __restrict b, const qint32* __restrict c,
             qint32* __restrict e, int w)
{
    for (int x = 0; x < w; ++x) {
        const qint32 gx = (a[x + 2] + b[x + 2] + c[x + 2]) - (a[x] + b[x] + c[x]);
        const qint32 gy = (c[x] + c[x + 1] + c[x + 2]) - (a[x] + a[x + 1] + a[x + 2]);
        const qint32 ax = gx < 0 ? -gx : gx, ay = gy < 0 ? -gy : gy;
        e[x] = ax > ay ? ax : ay;
    }
}

} // namespace

namespace ImageAlignment {

bool forEachEdgeRow16(const TiffData& source, bool applyShift,
                      const std::function<void(int y, const qint32* edges)>& row)
{
    constexpr quint32 largest = 1u << 15;
    if (!source.is16Bit() || !source.row16(0) || source.width() > largest || source.height() > largest)
        return false;
    const int w = int(source.width()), h = int(source.height());
    const qint64 sx = applyShift ? source.shiftX() : 0, sy = applyShift ? source.shiftY() : 0;
    // Three rows of P(x, v) for x = -1 ... w (index x + 1), 0 outside the image.
    std::vector<qint32> store(3 * (std::size_t(w) + 2));
    std::vector<qint32> edges(static_cast<std::size_t>(w));
    const auto fetch = [&](int v, qint32* out) {
        std::fill(out, out + w + 2, 0);
        const qint64 r = v - sy;
        if (r < 0 || r >= h)
            return;
        const quint16* src = source.row16(quint32(r));
        const qint64 x0 = qMax<qint64>(-1, sx), x1 = qMin<qint64>(w, w - 1 + sx);
        for (qint64 x = x0; x <= x1; ++x)
            out[x + 1] = src[x - sx];
    };
    qint32* a = store.data();
    qint32* b = a + w + 2;
    qint32* c = b + w + 2;
    fetch(-1, a);
    fetch(0, b);
    for (int y = 0; y < h; ++y) {
        fetch(y + 1, c);
        edgeRow(a, b, c, edges.data(), w);
        row(y, edges.data());
        qint32* oldest = a;
        a = b;
        b = c;
        c = oldest;
    }
    return true;
}

ProcImage edgeImage(const TiffData& source, bool applyShift)
{
    const int w = int(qMin<quint32>(source.width(), 1u << 15));
    const int h = int(qMin<quint32>(source.height(), 1u << 15));
    ProcImage out(w, h);
    if (forEachEdgeRow16(source, applyShift, [&out, w](int y, const qint32* edges) {
            double* dst = out.samples.data() + std::size_t(y) * std::size_t(w);
            for (int x = 0; x < w; ++x)
                dst[x] = edges[x];
        })) {
        out.computeRange();
        return out;
    }
    auto p = [&source, applyShift](int u, int v) {
        return applyShift ? source.sample(u, v) : source.sourceSample(quint32(u), quint32(v));
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double gx = (p(x + 1, y - 1) + p(x + 1, y) + p(x + 1, y + 1))
                - (p(x - 1, y - 1) + p(x - 1, y) + p(x - 1, y + 1));
            const double gy = (p(x - 1, y + 1) + p(x, y + 1) + p(x + 1, y + 1))
                - (p(x - 1, y - 1) + p(x, y - 1) + p(x + 1, y - 1));
            out.at(x, y) = qMax(std::fabs(gx), std::fabs(gy));
        }
    }
    out.computeRange();
    return out;
}

void clearBorder(ProcImage* image)
{
    const int w = image->width, h = image->height;
    for (int x = 0; x < w && h > 0; ++x) {
        image->at(x, 0) = 0.0;
        image->at(x, h - 1) = 0.0;
    }
    for (int y = 0; y < h && w > 0; ++y) {
        image->at(0, y) = 0.0;
        image->at(w - 1, y) = 0.0;
    }
    image->computeRange();
}

double thresholdOfSlider(int s, double max, double min)
{
    return double(s) / 1000.0 * (max - min) + min;
}

int sliderOfThreshold(double t, double max, double min)
{
    const double v = (t - min) / (max - min) * 1000.0;
    if (!(v > double(INT_MIN) && v < double(INT_MAX)))
        return 0;
    return int(v);
}

ProcImage binarize(const ProcImage& value, double t)
{
    ProcImage out(value.width, value.height);
    for (std::size_t i = 0; i < value.samples.size(); ++i)
        out.samples[i] = value.samples[i] > t ? 1.0 : 0.0;
    out.computeRange();
    return out;
}

bool comparable(const ProcImage& binary, const ProcImage& reference)
{
    return comparableSizes(binary.isEmpty() ? 0 : binary.width, binary.isEmpty() ? 0 : binary.height,
                           reference.isEmpty() ? 0 : reference.width, reference.isEmpty() ? 0 : reference.height);
}

bool comparableSizes(int width, int height, int refWidth, int refHeight)
{
    if (width <= 0 || height <= 0) {
        qCDebug(lcProcessing).noquote() << "no bin image";
        return false;
    }
    if (refWidth <= 0 || refHeight <= 0) {
        qCDebug(lcProcessing).noquote() << "no ref bin image";
        return false;
    }
    if (width != refWidth || height != refHeight) {
        qCDebug(lcProcessing).noquote() << "size mis-match";
        return false;
    }
    return true;
}

double score(const ProcImage& binary, const ProcImage& reference, int sx, int sy)
{
    const qint64 w = binary.width, h = binary.height;
    // Pixels x with 0 <= x < w and 0 <= x + sx < w, likewise y.
    const qint64 xa = qMax<qint64>(0, -qint64(sx)), xb = qMin<qint64>(w, w - qint64(sx));
    const qint64 ya = qMax<qint64>(0, -qint64(sy)), yb = qMin<qint64>(h, h - qint64(sy));
    double br = 0.0, bb = 0.0, rr = 0.0;
    for (qint64 y = ya; y < yb; ++y) {
        const double* b = binary.samples.data() + y * w;
        const double* r = reference.samples.data() + (y + sy) * w + sx;
        for (qint64 x = xa; x < xb; ++x) {
            br += b[x] * r[x];
            bb += b[x] * b[x];
            rr += r[x] * r[x];
        }
    }
    const double norm = bb * rr;
    return norm > 0.0 ? br / std::sqrt(norm) : 0.0;
}

SearchResult climb(int width, int height, int sx, int sy, double best,
                   const std::function<double(int sx, int sy)>& score)
{
    SearchResult r{sx, sy, best, 0};
    // Every step raises the score strictly, so no position repeats; the cap
    // only guards against a score that is not a number.
    const qint64 cap = 4 * (qint64(width) + height) + 16;
    for (qint64 step = 0; step < cap; ++step) {
        int found = -1;
        for (int k = 0; k < neighbourCount; ++k) {
            const double s = score(r.sx + neighbourDx[k], r.sy + neighbourDy[k]);
            if (s > r.score) {
                r.score = s;
                found = k;
            }
        }
        if (found < 0)
            break;
        r.sx += neighbourDx[found];
        r.sy += neighbourDy[found];
        ++r.steps;
    }
    return r;
}

SearchResult searchShift(const ProcImage& binary, const ProcImage& reference, int sx, int sy, double best)
{
    PackedBinary b, r;
    if (binary.width == reference.width && binary.height == reference.height && b.pack(binary) && r.pack(reference))
        return PackedBinary::searchShift(b, r, sx, sy, best);
    return climb(binary.width, binary.height, sx, sy, best,
                 [&](int x, int y) { return score(binary, reference, x, y); });
}

QImage overlay(const ProcImage& binary, const ProcImage& reference, int sx, int sy, int width, int height)
{
    QImage img(qMax(0, width), qMax(0, height), QImage::Format_RGB888);
    for (int j = 0; j < img.height(); ++j) {
        uchar* line = img.scanLine(j);
        for (int k = 0; k < img.width(); ++k) {
            uchar* px = line + 3 * k;
            const qint64 bx = qint64(k) - sx, by = qint64(j) - sy;
            if (bx < 0 || by < 0 || bx >= binary.width || by >= binary.height) {
                px[0] = 0;
                px[1] = 0;
                px[2] = 255;
                continue;
            }
            const double r = reference.contains(k, j) ? reference.at(k, j) : 0.0;
            const double b = binary.at(int(bx), int(by));
            px[0] = uchar(qBound(0.0, 255.0 * r, 255.0));
            px[1] = uchar(qBound(0.0, 255.0 * b, 255.0));
            px[2] = 0;
        }
    }
    return img;
}

QImage render(const ProcImage& image, const ColorMapper& mapper)
{
    const QImage::Format format =
        mapper.format == QImage::Format_RGB888 ? QImage::Format_RGB888 : QImage::Format_Grayscale8;
    QImage img(image.width, image.height, format);
    ColorMapper m = mapper;
    m.format = format;
    const int bpp = m.bytesPerPixel();
    const double range = image.maximum - image.minimum;
    for (int y = 0; y < image.height; ++y) {
        uchar* line = img.scanLine(y);
        for (int x = 0; x < image.width; ++x)
            m.write((image.at(x, y) - image.minimum) / range, line + bpp * x);
    }
    return img;
}

} // namespace ImageAlignment
