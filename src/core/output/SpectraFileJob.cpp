#include "output/SpectraFileJob.h"

#include "base/LogCategories.h"
#include "base/RunOnThreads.h"
#include "grid/BlockGrid.h"
#include "io/TiffData.h"
#include "output/SaveFileNames.h"
#include "physics/XafsSpectrum.h"
#include "processing/BlockSum.h"
#include "processing/GridBlockSums.h"

#include <QDebug>
#include <new>
#include <thread>

namespace {

// Points per work item of the threads that make the lines.
constexpr int chunkPoints = 64;
// Text one slice may hold before it is written.
constexpr qint64 textBudget = qint64(64) << 20;

void appendReal(QByteArray& out, double v)
{
    out += QByteArray::number(v, 'g', 6);
}

qint64 chunksOf(qint64 points)
{
    return (points + chunkPoints - 1) / chunkPoints;
}

// Formats points [0, points) chunk by chunk on `threads` workers and joins
// the chunks in order. Each worker makes its own point formatter with
// `makePoint()`, so that formatters can keep buffers from point to point.
template <class MakePoint>
QByteArray formatInChunks(qint64 points, int threads, const std::atomic<bool>& stop, MakePoint makePoint)
{
    const int chunks = int(chunksOf(points));
    std::vector<QByteArray> texts(static_cast<std::size_t>(chunks));
    std::atomic<int> next{0};
    runOnThreads(threads, [&](int) {
        auto point = makePoint();
        for (int c = next++; c < chunks && !stop.load(); c = next++) {
            QByteArray& out = texts[std::size_t(c)];
            const qint64 end = qMin(points, qint64(c + 1) * chunkPoints);
            for (qint64 p = qint64(c) * chunkPoints; p < end; ++p)
                point(out, p);
        }
    });
    QByteArray all;
    for (QByteArray& t : texts)
        all += t;
    return all;
}

} // namespace

SpectraFileJob::SpectraFileJob(const SpectraFileRequest& request)
    : SaveFileJob(SaveFileNames::withDefaultSuffix(request.fileName, QStringLiteral("dat")))
    , m_request(request)
    , m_source(request.i1, request.i0, request.grid.halfWidth, request.grid.halfHeight,
               request.fluorescence)
    , m_axes(GridAxes::of(request.grid))
{
    m_request.shiftMap = nullptr;   // copied below; the map may change later
    if (!isOpen())
        return;
    if (m_source.i1().empty()) {
        refuse(QStringLiteral("Can't write %1: no I1 image loaded").arg(path()));
        return;
    }
    if (m_axes.points() > GridAxes::maxPoints) {
        refuse(QStringLiteral("Can't write %1: too many grid points").arg(path()));
        return;
    }

    m_shifts.reserve(std::size_t(m_axes.points()));
    for (int j = 0; j < m_axes.rows; ++j)
        for (int i = 0; i < m_axes.columns; ++i)
            m_shifts.push_back(mapValueAt(request.shiftMap, request.shiftWidth, request.shiftHeight,
                                          m_axes.x(i), m_axes.y(j)));
    for (const TiffData* t : m_source.i1()) {
        m_maxWidth = qMax(m_maxWidth, int(qMin<quint32>(t->width(), 0x7fffffff)));
        m_maxHeight = qMax(m_maxHeight, int(qMin<quint32>(t->height(), 0x7fffffff)));
    }

    // Bands of rows whose block values and text fit the budgets, and at least
    // 16 bands for a smooth progress when the grid has the rows.
    const qint64 images = qint64(m_source.i1().size());
    const qint64 valueBytesPerRow = (qint64(m_axes.columns) + BlockSpectra::lanes) * images * 8;
    const qint64 textBytesPerRow = qint64(m_axes.columns) * (images * 28 + 40);
    qint64 rows = qMin(qMax<qint64>(1, request.memoryBudget) / valueBytesPerRow,
                       textBudget / textBytesPerRow);
    rows = qMin(rows, qint64(m_axes.rows + 15) / 16);
    m_rowsPerSlice = int(qMax<qint64>(1, rows));
    setSliceCount((m_axes.rows + m_rowsPerSlice - 1) / m_rowsPerSlice);
    writeNow(header(request.grid, request.raw));
}

ScanGrid SpectraFileJob::grid(int width, int height, int halfWidth, int halfHeight, const QRectF& area)
{
    ScanGrid g;
    g.setup(width, height, halfWidth, halfHeight, area, 2 * halfWidth + 1, 2 * halfHeight + 1);
    return g;
}

QByteArray SpectraFileJob::header(const ScanGrid& grid, bool raw)
{
    const auto numbers = [](qint64 a, qint64 b) {
        return QByteArray::number(a) + ' ' + QByteArray::number(b);
    };
    QByteArray h;
    h += raw ? "# Orvantelle Save Raw Spectra 1.0\n" : "# Orvantelle Save Xafs Spectra 1.0\n";
    h += "# X-Range (x0, x1), steps : " + numbers(grid.x0, grid.x1) + ' '
        + QByteArray::number(grid.columns()) + '\n';
    h += "# Y-Range (y0, y1), steps : " + numbers(grid.y0, grid.y1) + ' '
        + QByteArray::number(grid.rows()) + '\n';
    h += "# Full Width, Height      : " + numbers(grid.imageWidth, grid.imageHeight) + '\n';
    h += "# Bin Half Width, Height  : " + numbers(grid.halfWidth, grid.halfHeight) + '\n';
    h += "# Step dX, dY             : " + numbers(grid.stepX, grid.stepY) + '\n';
    h += "# End of Header\n";
    return h;
}

double SpectraFileJob::progress(const ScanGrid& grid, int y)
{
    // An area of no height has a single row; it counts as the start.
    if (grid.y1 == grid.y0)
        return 0.0;
    return double(qint64(y) - grid.y0) / double(qint64(grid.y1) - grid.y0) * 100.0;
}

void SpectraFileJob::beforeDelivery(int index)
{
    const int first = index * m_rowsPerSlice;
    for (int j = first; j < first + m_rowsPerSlice && j < m_axes.rows; ++j)
        qCDebug(lcOutput).noquote() << "Save Xafs Spectra : Progress" << progress(m_request.grid, m_axes.y(j));
}

qint64 SpectraFileJob::runSlice(int index, const std::atomic<bool>& stop)
{
    if (stop.load() || writeFailed())
        return 0;
    const int first = index * m_rowsPerSlice;
    const int count = qMin(m_rowsPerSlice, m_axes.rows - first);
    keepSlice(index, m_request.raw ? rawBand(first, count, stop) : xafsBand(first, count, stop));
    return qint64(count) * m_axes.columns;
}

SpectraFileJob::Inside SpectraFileJob::insideOf(int firstRow, int rowCount) const
{
    Inside in;
    int i = 0;
    while (i < m_axes.columns && m_axes.x(i) < 0)
        ++i;
    in.i0 = in.i1 = i;
    while (in.i1 < m_axes.columns && m_axes.x(in.i1) < m_maxWidth)
        ++in.i1;
    int j = firstRow;
    while (j < firstRow + rowCount && m_axes.y(j) < 0)
        ++j;
    in.j0 = in.j1 = j;
    while (in.j1 < firstRow + rowCount && m_axes.y(in.j1) < m_maxHeight)
        ++in.j1;
    if (in.i0 == in.i1 || in.j0 == in.j1)
        in = Inside();
    return in;
}

BlockGrid SpectraFileJob::gridOf(const Inside& in) const
{
    BlockGrid g;
    for (int i = in.i0; i < in.i1; ++i)
        g.xs.push_back(m_axes.x(i));
    for (int j = in.j0; j < in.j1; ++j)
        g.ys.push_back(m_axes.y(j));
    return g;
}

int SpectraFileJob::threadCount(qint64 work) const
{
    int n = m_request.threads > 0 ? m_request.threads : int(std::thread::hardware_concurrency());
    return int(qBound<qint64>(1, work, qMax(1, n)));
}

QByteArray SpectraFileJob::xafsBand(int firstRow, int rowCount, const std::atomic<bool>& stop)
{
    const Inside in = insideOf(firstRow, rowCount);
    // Without memory for the band's values every point is summed alone.
    const bool haveValues = in.i1 > in.i0 && m_values.build(m_source, gridOf(in), m_request.threads);
    if (stop.load())
        return QByteArray();

    const int columns = m_axes.columns;
    const qint64 points = qint64(rowCount) * columns;
    const BlockGrid& g = m_values.grid();
    return formatInChunks(points, threadCount(chunksOf(points)), stop, [&] {
        return [&, mu = Spectrum()](QByteArray& out, qint64 p) mutable {
            const int j = firstRow + int(p / columns);
            const int i = int(p % columns);
            const int x = m_axes.x(i);
            const int y = m_axes.y(j);
            const double e = m_shifts[std::size_t(qint64(j) * columns + i)];
            if (haveValues && in.contains(i, j))
                m_values.spectrum(g.index(i - in.i0, j - in.j0), &mu);
            else
                m_source.spectrum(x, y, &mu);
            const XafsSpectrum xafs(mu, m_request.victoreen, e);
            const Spectrum& dn = xafs.doubleNormalizedPostBase();
            out += QByteArray::number(x);
            out += ' ';
            out += QByteArray::number(y);
            out += ' ';
            appendReal(out, e);
            for (int k = 0; k < xafs.count(); ++k) {
                out += ' ';
                appendReal(out, xafs.x(k));
                out += ' ';
                appendReal(out, dn.y(k));
            }
            out += '\n';
        };
    });
}

QByteArray SpectraFileJob::rawBand(int firstRow, int rowCount, const std::atomic<bool>& stop)
{
    const std::vector<const TiffData*>& images = m_source.i1();
    const int n = int(images.size());
    const int hw = m_source.halfWidth();
    const int hh = m_source.halfHeight();
    const Inside in = insideOf(firstRow, rowCount);
    const int inColumns = in.i1 - in.i0;
    const qint64 inPoints = qint64(inColumns) * (in.j1 - in.j0);

    // The I1 block sums of the band's inside points, image by image.
    bool haveSums = false;
    BlockGrid g = gridOf(in);
    if (inPoints > 0) {
        g.halfWidth = hw;
        g.halfHeight = hh;
        try {
            m_rawSums.resize(std::size_t(inPoints * n));
            haveSums = true;
        } catch (const std::bad_alloc&) {
            m_rawSums.clear();
        }
    }
    if (haveSums) {
        std::atomic<int> nextImage{0};
        runOnThreads(threadCount(n), [&](int) {
            GridBlockSums sums(&g);
            for (int k = nextImage++; k < n && !stop.load(); k = nextImage++) {
                sums.setImage(images[std::size_t(k)]);
                double* dst = m_rawSums.data() + qint64(k) * inPoints;
                for (int r = 0; r < g.rows(); ++r)
                    sums.row(r, dst + qint64(r) * inColumns);
            }
        });
    }
    if (stop.load())
        return QByteArray();

    const int columns = m_axes.columns;
    const qint64 points = qint64(rowCount) * columns;
    return formatInChunks(points, threadCount(chunksOf(points)), stop, [&] {
        return [&](QByteArray& out, qint64 p) {
            const int j = firstRow + int(p / columns);
            const int i = int(p % columns);
            const int x = m_axes.x(i);
            const int y = m_axes.y(j);
            const bool inside = haveSums && in.contains(i, j);
            const qint64 local = inside ? qint64(j - in.j0) * inColumns + (i - in.i0) : 0;
            out += QByteArray::number(x);
            out += ' ';
            out += QByteArray::number(y);
            for (int k = 0; k < n; ++k) {
                const TiffData& image = *images[std::size_t(k)];
                const double s1 = inside ? m_rawSums[std::size_t(qint64(k) * inPoints + local)]
                                         : BlockSum::of(image, x, y, hw, hh);
                out += ' ';
                appendReal(out, image.energy());
                out += ' ';
                appendReal(out, s1);
            }
            out += '\n';
        };
    });
}
