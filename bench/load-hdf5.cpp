// load-hdf5 DIR-or-FILE: loading an HDF5 scan (images, flats, dark frames,
// energies) through the main window's scan load, offscreen, against a bare
// HDF5 read of the same datasets, and the effect of the dark correction.
//
// Given a demo folder (tools/make-demo), it writes the folder's HDF5 form
// inside it when missing (scan.h5, uncompressed, and scan-bslz4.h5, its
// images compressed with bitshuffle/LZ4; both with the demo's dark offset)
// and measures both; given an HDF5 scan file in one of the known layouts, it
// measures that file. One "name: value" line per figure:
//   images             images loaded (I1 + I0)
//   load_s             the scan load of the program: from the batch line to
//                      both series and the dark having arrived
//   hdf5_plain_s       a bare HDF5 C read of the same datasets, image by
//                      image into one reused buffer (best of two)
//   load_ratio         load_s / hdf5_plain_s
//   hdf5_held_s        the bare read into a new buffer per image, all kept, as
//                      a loader that holds the images must (first touch of
//                      fresh memory included)
//   bytes_per_pixel    resident memory the loaded images added, per pixel
//   held_bytes_per_pixel  samples the images hold, per pixel
//   fresh_plain_s      the floor of a load that keeps every image: the
//                      datasets' stored bytes read with pread, image by
//                      image, by two threads side by side, each into fresh
//                      memory of its half (huge pages, as the loads' stores);
//                      only for files stored without compression
//   ..._bslz4          the same for the bitshuffle/LZ4 file
//   mae_dark           fraction MAE of an LCF of every pixel (true shift map
//                      and drift applied) against the truth, dark subtracted
//   mae_nodark         the same without the dark
// With --repeat N both files are loaded N times in turn and the medians are
// printed, with load_ratio_range (a virtual machine's memory and page cache
// make single loads vary by several times).

#include "DemoData.h"
#include "GuiDriver.h"

#include "analysis/AnalysisSnapshots.h"
#include "analysis/LcfRunJob.h"
#include "base/LargeBuffer.h"
#include "batch/BatchDispatcher.h"
#include "batchwindow/BatchCtrl.h"
#include "Body.h"
#include "DemoConfig.h"
#include "DemoHdf5.h"
#include "DemoModel.h"
#include "display/ColorTables.h"
#include "grid/Analyzed2DRes.h"
#include "io/Hdf5Catalog.h"
#include "io/Hdf5Library.h"
#include "io/Hdf5Scan.h"
#include "io/TiffData.h"

#include <hdf5.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QTextStream>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <malloc.h>
#include <memory>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

qint64 residentKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return 0;
}

// Reads every image of the datasets with HDF5 alone into one buffer, or,
// with `keep`, into a new buffer per image kept until the end.
double bareRead(const QString& file, const QStringList& datasets, bool keep = false)
{
    std::vector<std::unique_ptr<quint16[]>> kept;
    QElapsedTimer clock;
    clock.start();
    const hid_t f = H5Fopen(QFile::encodeName(file).constData(), H5F_ACC_RDONLY, H5P_DEFAULT);
    if (f < 0)
        return -1.0;
    std::vector<quint16> buffer;
    for (const QString& path : datasets) {
        const hid_t set = H5Dopen2(f, path.toUtf8().constData(), H5P_DEFAULT);
        if (set < 0)
            continue;
        const hid_t space = H5Dget_space(set);
        hsize_t dims[3] = {0, 0, 0};
        if (H5Sget_simple_extent_ndims(space) == 3) {
            H5Sget_simple_extent_dims(space, dims, nullptr);
            buffer.resize(size_t(dims[1] * dims[2]));
            const hsize_t count[3] = {1, dims[1], dims[2]};
            const hid_t mem = H5Screate_simple(3, count, nullptr);
            for (hsize_t i = 0; i < dims[0]; ++i) {
                // new[] without initialising: the read is the first touch.
                if (keep)
                    kept.emplace_back(new quint16[buffer.size()]);
                quint16* into = keep ? kept.back().get() : buffer.data();
                const hsize_t start[3] = {i, 0, 0};
                H5Sselect_hyperslab(space, H5S_SELECT_SET, start, nullptr, count, nullptr);
                H5Dread(set, H5T_NATIVE_UINT16, mem, space, H5P_DEFAULT, into);
            }
            H5Sclose(mem);
        }
        H5Sclose(space);
        H5Dclose(set);
    }
    H5Fclose(f);
    return clock.nsecsElapsed() * 1e-9;
}

// Where the images of the datasets lie in the file, image by image, when
// they are stored as they are (contiguous, or unfiltered chunks of whole
// images); false otherwise.
struct StoredImage {
    haddr_t offset = 0;
    size_t bytes = 0;
};

bool storedImages(const QString& file, const QStringList& datasets, std::vector<StoredImage>* out)
{
    const hid_t f = H5Fopen(QFile::encodeName(file).constData(), H5F_ACC_RDONLY, H5P_DEFAULT);
    if (f < 0)
        return false;
    bool ok = true;
    for (const QString& path : datasets) {
        const hid_t set = H5Dopen2(f, path.toUtf8().constData(), H5P_DEFAULT);
        const hid_t space = set >= 0 ? H5Dget_space(set) : H5I_INVALID_HID;
        const hid_t type = set >= 0 ? H5Dget_type(set) : H5I_INVALID_HID;
        const hid_t dcpl = set >= 0 ? H5Dget_create_plist(set) : H5I_INVALID_HID;
        hsize_t dims[3] = {0, 0, 0};
        ok = ok && space >= 0 && H5Sget_simple_extent_ndims(space) == 3 && dcpl >= 0;
        if (ok) {
            H5Sget_simple_extent_dims(space, dims, nullptr);
            const size_t image = size_t(dims[1] * dims[2] * H5Tget_size(type));
            if (H5Pget_layout(dcpl) == H5D_CONTIGUOUS) {
                const haddr_t at = H5Dget_offset(set);
                ok = at != HADDR_UNDEF;
                for (hsize_t i = 0; ok && i < dims[0]; ++i)
                    out->push_back({at + i * image, image});
            } else {
                hsize_t chunks = 0;
                ok = H5Pget_nfilters(dcpl) == 0 && H5Dget_num_chunks(set, space, &chunks) >= 0 && chunks == dims[0];
                for (hsize_t c = 0; ok && c < chunks; ++c) {
                    hsize_t at[3];
                    unsigned mask = 0;
                    haddr_t where = 0;
                    hsize_t size = 0;
                    ok = H5Dget_chunk_info(set, space, c, at, &mask, &where, &size) >= 0 && size == image;
                    out->push_back({where, image});
                }
            }
        }
        for (hid_t id : {dcpl, type, space})
            if (id >= 0)
                H5Idec_ref(id);
        if (set >= 0)
            H5Dclose(set);
    }
    H5Fclose(f);
    return ok && !out->empty();
}

// See fresh_plain_s above; -1 when the file stores its images compressed.
double freshRead(const QString& file, const QStringList& datasets)
{
    std::vector<StoredImage> images;
    if (!storedImages(file, datasets, &images))
        return -1.0;
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1.0;
    LargeBuffer::releaseSpares();
    malloc_trim(0);
    const size_t half = images.size() / 2;
    std::atomic<bool> failed{false};
    const auto readShare = [&](size_t from, size_t to) {
        size_t bytes = 0;
        for (size_t i = from; i < to; ++i)
            bytes += images[i].bytes;
        LargeBuffer::Ptr<unsigned char> into = LargeBuffer::make<unsigned char>(bytes);
        if (!into) {
            failed = true;
            return;
        }
        size_t at = 0;
        for (size_t i = from; i < to; ++i) {
            if (::pread(fd, into.get() + at, images[i].bytes, off_t(images[i].offset)) != ssize_t(images[i].bytes))
                failed = true;
            at += images[i].bytes;
        }
    };
    QElapsedTimer clock;
    clock.start();
    std::thread second(readShare, half, images.size());
    readShare(0, half);
    second.join();
    const double seconds = clock.nsecsElapsed() * 1e-9;
    ::close(fd);
    // The shares went back as spares: hand them back to the system.
    LargeBuffer::releaseSpares();
    return failed ? -1.0 : seconds;
}

// Runs a batch script in the main window; false when a line failed.
// `started`, when given, is started as the run starts (the script already
// in the batch window, as a user has it before pressing Exec).
bool runScript(Body& body, const QString& script, QElapsedTimer* started = nullptr)
{
    bool ended = false;
    QString failure;
    const auto a = QObject::connect(body.batchDispatcher(), &BatchDispatcher::runEnded, &body, [&](bool) { ended = true; });
    const auto b = QObject::connect(body.batchDispatcher(), &BatchDispatcher::runFailed, &body,
                                    [&](const QString& m) { failure = m; });
    body.batchCtrl()->findChild<QPlainTextEdit*>(QStringLiteral("BatchCmds"))->setPlainText(script);
    if (started)
        started->start();
    body.batchCtrl()->execCmdsSlot();
    GuiDriver::waitUntil([&] { return ended; });
    QObject::disconnect(a);
    QObject::disconnect(b);
    if (!failure.isEmpty())
        std::fprintf(stderr, "load-hdf5: %s\n", qPrintable(failure));
    return failure.isEmpty();
}

struct LoadFigures {
    int images = 0;
    double loadS = 0.0;
    double plainS = 0.0;
    double heldS = 0.0;
    double bytesPerPixel = 0.0;
    double heldPerPixel = 0.0;
    double freshS = -1.0;
    double ratio = -1.0;        // given: the median of repeated loads' ratios
};

bool measure(Body& body, const QString& file, LoadFigures* out)
{
    QVector<Hdf5Dataset> sets;
    QString error;
    Hdf5Scan scan;
    if (!Hdf5Catalog::list(file, &sets, &error) || !Hdf5Layouts::recognise(sets, &scan)) {
        std::fprintf(stderr, "load-hdf5: %s is no HDF5 scan in a known layout %s\n", qPrintable(file), qPrintable(error));
        return false;
    }
    QStringList datasets;
    for (const QString& p : {scan.images, scan.flats, scan.darks})
        if (!p.isEmpty())
            datasets << p;
    // The bare read first: both then find the file in the page cache.
    const double plain1 = bareRead(file, datasets);
    runScript(body, QStringLiteral("clear_I1_files\nclear_I0_files\nclear_dark"));
    // The window at rest, painted, as a user has it before starting a load.
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    // Hand what the last load freed back to the system (the spare stores
    // included), so that this load's images show in the resident memory and
    // pay for fresh memory instead of reusing the last load's.
    LargeBuffer::releaseSpares();
    malloc_trim(0);
    const qint64 rssBefore = residentKiB();
    // The panels as they start ("Show Latest" on): the window follows the
    // load as a user sees it.
    QElapsedTimer clock;
    if (!runScript(body, QStringLiteral("load_hdf5_scan \"%1\"").arg(file), &clock))
        return false;
    out->loadS = clock.nsecsElapsed() * 1e-9;
    const qint64 rssAfter = residentKiB();
    out->plainS = std::min(plain1, bareRead(file, datasets));
    out->heldS = bareRead(file, datasets, true);
    out->freshS = std::min(freshRead(file, datasets), freshRead(file, datasets));
    double pixels = 0.0, held = 0.0;
    out->images = 0;
    for (const ImageSeries* s : {&body.i1Series(), &body.i0Series()})
        for (const TiffData* t : s->images()) {
            const double n = double(t->width()) * t->height();
            pixels += n;
            held += n * (t->is16Bit() ? 2.0 : 4.0);
            ++out->images;
        }
    out->bytesPerPixel = pixels > 0 ? (rssAfter - rssBefore) * 1024.0 / pixels : 0.0;
    out->heldPerPixel = pixels > 0 ? held / pixels : 0.0;
    return true;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : (v[(v.size() - 1) / 2] + v[v.size() / 2]) / 2;
}

// The figures of repeated loads: the median of each, and the range of the
// ratio (a virtual machine's memory and page cache make single loads vary).
LoadFigures medianOf(const std::vector<LoadFigures>& runs, const char* suffix)
{
    const auto field = [&](double LoadFigures::*m) {
        std::vector<double> v;
        for (const LoadFigures& f : runs)
            v.push_back(f.*m);
        return median(v);
    };
    LoadFigures m = runs.front();
    m.loadS = field(&LoadFigures::loadS);
    m.plainS = field(&LoadFigures::plainS);
    m.heldS = field(&LoadFigures::heldS);
    m.bytesPerPixel = field(&LoadFigures::bytesPerPixel);
    m.freshS = field(&LoadFigures::freshS);
    std::vector<double> ratios;
    for (const LoadFigures& f : runs)
        ratios.push_back(f.plainS > 0 ? f.loadS / f.plainS : 0.0);
    m.ratio = median(ratios);
    if (runs.size() > 1)
        std::printf("load_ratio_range%s: %.2f-%.2f over %zu loads\n", suffix,
                    *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()),
                    runs.size());
    return m;
}

void print(const LoadFigures& f, const char* suffix)
{
    std::printf("images%s: %d\n", suffix, f.images);
    std::printf("load_s%s: %.3f\n", suffix, f.loadS);
    std::printf("hdf5_plain_s%s: %.3f\n", suffix, f.plainS);
    std::printf("load_ratio%s: %.2f\n", suffix, f.ratio >= 0 ? f.ratio : f.plainS > 0 ? f.loadS / f.plainS : 0.0);
    std::printf("hdf5_held_s%s: %.3f\n", suffix, f.heldS);
    std::printf("bytes_per_pixel%s: %.2f\n", suffix, f.bytesPerPixel);
    std::printf("held_bytes_per_pixel%s: %.2f\n", suffix, f.heldPerPixel);
    if (f.freshS > 0)
        std::printf("fresh_plain_s%s: %.3f\n", suffix, f.freshS);
    std::fflush(stdout);
}

// The demo folder's parameters as make-demo took them.
bool demoConfig(const QDir& dir, DemoConfig* c)
{
    QFile f(dir.filePath(QStringLiteral("params.txt")));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&f);
    QString line;
    c->outDir = dir.path();
    while (in.readLineInto(&line)) {
        const QString key = line.section(QLatin1Char('='), 0, 0).trimmed();
        const QString value = line.section(QLatin1Char('='), 1).trimmed();
        if (key == QLatin1String("seed"))
            c->seed = value.toULongLong();
        else if (key == QLatin1String("width"))
            c->width = value.toInt();
        else if (key == QLatin1String("height"))
            c->height = value.toInt();
        else if (key == QLatin1String("energies"))
            c->energies = value.toInt();
        else if (key == QLatin1String("noise"))
            c->noise = value == QLatin1String("poisson");
        else if (key == QLatin1String("edge_model"))
            c->sharpEdge = value == QLatin1String("sharp");
    }
    return c->width > 0 && c->height > 0;
}

// LCF of every pixel on the loaded series with the true shift map and drift;
// the mean fraction error over the sample.
double lcfError(Body& body, const QDir& dir, const std::vector<double>& shift, const DemoData::Truth& truth)
{
    const int w = truth.width, h = truth.height;
    QVector<ReferenceSnapshot> refs;
    for (int k = 0; k < DemoData::compoundCount; ++k) {
        ReferenceSnapshot r;
        if (!r.spectrum.load(dir.filePath(QStringLiteral("refs/%1.dat").arg(DemoData::compounds[k]))))
            return -1.0;
        r.spectrum.setOffset(0.0, true);
        r.spectrum.setVictoreen(false);
        r.spectrum.normalize(false);
        r.use = r.fileChosen = true;
        refs.append(r);
    }
    ScanGrid grid;
    grid.setup(w, h, 0, 0, QRectF(0, 0, w, h), -1, -1);
    AreaRunInput input;
    input.i1 = body.i1Series().constImages();
    input.i0 = body.i0Series().constImages();
    input.grid = grid;
    input.shift.data = shift.data();
    input.shift.width = w;
    input.shift.height = h;
    std::vector<std::unique_ptr<Analyzed2DRes>> owned;
    LcfRunSetup setup;
    setup.references = refs;
    for (int i = 0; i < 2 * DemoData::compoundCount; ++i) {
        owned.push_back(std::make_unique<Analyzed2DRes>());
        owned.back()->setup(grid);
        setup.maps.rows.append(owned.back().get());
    }
    LcfRunJob job(input, setup);
    job.runAllHere();
    double mae = 0.0, p95 = 0.0;
    DemoData::fractionErrors(truth, setup.maps.rows.mid(DemoData::compoundCount), &mae, &p95);
    return mae;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The allocator as the program sets it up (one arena per processor).
    if (qEnvironmentVariableIsEmpty("MALLOC_ARENA_MAX"))
        mallopt(M_ARENA_MAX, std::max(2, QThread::idealThreadCount()));
    ColorTables::init();
    Hdf5Library::ensurePluginPath();
    QApplication app(argc, argv);
    int repeat = 1;
    if (argc == 4 && QByteArray(argv[2]) == "--repeat")
        repeat = std::max(1, QByteArray(argv[3]).toInt());
    if (argc != 2 && !(argc == 4 && repeat >= 1 && QByteArray(argv[2]) == "--repeat")) {
        std::fprintf(stderr, "usage: load-hdf5 DIR-or-FILE [--repeat N]\n");
        return 2;
    }
    qInstallMessageHandler([](QtMsgType t, const QMessageLogContext&, const QString& m) {
        if (t >= QtWarningMsg && !m.contains(QLatin1String("propagateSizeHints")))
            std::fprintf(stderr, "%s\n", qPrintable(m));
    });
    const QString arg = QString::fromLocal8Bit(argv[1]);
    const bool folder = QFileInfo(arg).isDir();
    const QDir dir(arg);
    QString plainFile = arg, packedFile;
    if (folder) {
        DemoConfig config;
        if (!demoConfig(dir, &config)) {
            std::fprintf(stderr, "load-hdf5: %s has no params.txt of a demo measurement\n", qPrintable(arg));
            return 1;
        }
        plainFile = dir.filePath(QStringLiteral("scan.h5"));
        packedFile = dir.filePath(QStringLiteral("scan-bslz4.h5"));
        std::unique_ptr<DemoModel> model;
        for (const auto& [file, packed] : {std::pair<QString, bool>{plainFile, false}, {packedFile, true}}) {
            if (QFile::exists(file))
                continue;
            if (!model)
                model = std::make_unique<DemoModel>(config);
            QString error;
            std::fprintf(stderr, "load-hdf5: writing %s\n", qPrintable(file));
            if (!DemoHdf5::write(*model, config.noise, file, packed, QThread::idealThreadCount(), &error)) {
                std::fprintf(stderr, "load-hdf5: %s\n", qPrintable(error));
                return 1;
            }
        }
    }

    Body body;
    body.show();
    std::vector<LoadFigures> plainRuns, packedRuns;
    for (int r = 0; r < repeat; ++r) {
        LoadFigures plain, packed;
        if (!packedFile.isEmpty()) {
            if (!measure(body, packedFile, &packed))
                return 1;
            packedRuns.push_back(packed);
        }
        if (!measure(body, plainFile, &plain))
            return 1;
        plainRuns.push_back(plain);
    }
    print(medianOf(plainRuns, ""), "");
    if (!packedFile.isEmpty())
        print(medianOf(packedRuns, "_bslz4"), "_bslz4");
    if (!folder)
        return 0;

    DemoData::Truth truth;
    std::vector<double> shift;
    const int w = int(body.i1Series().first()->width()), h = int(body.i1Series().first()->height());
    if (!truth.read(dir.path(), w, h) || !DemoData::readF32(dir.filePath("truth/shift.f32"), w, h, &shift)) {
        std::fprintf(stderr, "load-hdf5: cannot read the truth maps\n");
        return 1;
    }
    std::vector<TiffData*> all;
    for (const ImageSeries* s : {&body.i1Series(), &body.i0Series()})
        all.insert(all.end(), s->images().begin(), s->images().end());
    DemoData::applyTrueDrift(dir.filePath("truth/drift.txt"), body.i1Series().images());
    std::printf("mae_dark: %.4f\n", lcfError(body, dir, shift, truth));
    for (TiffData* t : all)
        t->setDark(nullptr);
    std::printf("mae_nodark: %.4f\n", lcfError(body, dir, shift, truth));
    return 0;
}
