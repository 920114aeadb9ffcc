// gui-load DIR: loads the I1 and I0 series of a demo measurement (written by
// tools/make-demo) through the main window's panels and loaders, offscreen,
// and prints one "name: value" line per figure:
//   images            I1 + I0 images loaded
//   load_wall_s       from the selection to both loaders finished
//   libtiff_wall_s    bare libtiff reading the same files one after the other
//                     in one thread, each into a fresh buffer kept to the end
//   load_ratio        load_wall_s / libtiff_wall_s
//   max_stall_ms      longest gap between runs of a 5 ms timer during the load
//   mouse_to_plot_ms  median time from a mouse move on the image to the
//                     spectrum view having repainted (21 x 21 block)
//   bytes_per_pixel   resident memory the loaded images added, per pixel
//   held_bytes_per_pixel  samples + display pictures the images hold, per pixel
// With --shots OUTDIR it also saves pictures of the main window and of the
// spectrum window with the mouse on the middle of the image; --moves N makes N
// mouse moves instead of 60 (for profiling the repaints); --paints adds
//   paint_<widget>_ms  time one paint of each widget a mouse move repaints takes
//                      (the image view, colour bar, profiles, spectrum plot)

#include "DemoData.h"
#include "GuiDriver.h"

#include "Body.h"
#include "display/ColorTables.h"
#include "fileselect/SelectDataFiles.h"
#include "imageview/ImgDispA.h"
#include "io/TiffData.h"
#include "spectrumview/XafsView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>
#include <QPixmap>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <tiffio.h>
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

// Reads every file with libtiff alone, scanline by scanline, into a fresh
// buffer per image that is kept until all are read; returns seconds.
double bareLibtiff(const QStringList& files)
{
    QElapsedTimer clock;
    clock.start();
    std::vector<std::vector<uint16_t>> kept;
    kept.reserve(std::size_t(files.size()));
    for (const QString& name : files) {
        TIFF* tif = TIFFOpen(QFile::encodeName(name).constData(), "r");
        if (!tif)
            continue;
        uint32_t w = 0, h = 0;
        TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
        kept.emplace_back(std::size_t(w) * h);
        uint16_t* dst = kept.back().data();
        for (uint32_t r = 0; r < h; ++r)
            TIFFReadScanline(tif, dst + std::size_t(r) * w, r);
        TIFFClose(tif);
    }
    return clock.nsecsElapsed() * 1e-9;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ColorTables::init();
    QApplication app(argc, argv);
    QString dir, shots;
    int moves = 60;
    bool paintTimes = false;
    for (int i = 1; i < argc; ++i) {
        if (QString(argv[i]) == QLatin1String("--shots") && i + 1 < argc)
            shots = QString::fromLocal8Bit(argv[++i]);
        else if (QString(argv[i]) == QLatin1String("--moves") && i + 1 < argc)
            moves = qMax(1, QString::fromLocal8Bit(argv[++i]).toInt());
        else if (QString(argv[i]) == QLatin1String("--paints"))
            paintTimes = true;
        else
            dir = QString::fromLocal8Bit(argv[i]);
    }
    if (dir.isEmpty()) {
        std::fprintf(stderr, "usage: gui-load DIR [--shots OUTDIR] [--moves N] [--paints]\n");
        return 2;
    }
    const QStringList i1Files = DemoData::tiffFiles(dir + QStringLiteral("/i1"));
    const QStringList i0Files = DemoData::tiffFiles(dir + QStringLiteral("/i0"));
    if (i1Files.isEmpty() || i0Files.isEmpty()) {
        std::fprintf(stderr, "gui-load: no i1/*.tif or i0/*.tif in %s\n", argv[1]);
        return 1;
    }

    Body body;
    body.show();
    GuiDriver::energiesFromNames(body.i1Panel());
    GuiDriver::energiesFromNames(body.i0Panel());
    // Show Latest off: the display refreshes once, after the last image.
    body.i1Panel()->setShowLatest(false);
    body.i0Panel()->setShowLatest(false);
    app.processEvents();

    const qint64 rssBefore = residentKiB();
    double maxStallMs = 0.0;
    emit body.i1Panel()->filesSelected(i1Files, true);
    emit body.i0Panel()->filesSelected(i0Files, true);
    const double loadSeconds = GuiDriver::waitUntil([&] { return !body.isLoading(); }, &maxStallMs);

    const qint64 rssAfter = residentKiB();
    double pixels = 0.0, held = 0.0;
    for (const ImageSeries* s : {&body.i1Series(), &body.i0Series()})
        for (const TiffData* t : s->images()) {
            const double n = double(t->width()) * t->height();
            pixels += n;
            held += n * (t->is16Bit() ? 2.0 : 4.0);
            if (t->displayImage())
                held += double(t->displayImage()->sizeInBytes());
        }

    const double libtiffSeconds = bareLibtiff(i1Files + i0Files);

    // Mouse moves over the image with a 21 x 21 block.
    body.findChild<QLineEdit*>(QStringLiteral("HWidth"))->setText(QStringLiteral("10"));
    body.findChild<QLineEdit*>(QStringLiteral("VWidth"))->setText(QStringLiteral("10"));
    ImgDispA* view = body.imageView();
    QWidget* plot = body.xafsView()->findChild<QWidget*>(QStringLiteral("Xafs"));
    int paints = 0;
    struct PaintCounter : QObject {
        int* n;
        explicit PaintCounter(int* c) : n(c) {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint)
                ++*n;
            return false;
        }
    } counter(&paints);
    if (plot)
        plot->installEventFilter(&counter);
    app.processEvents();
    std::vector<double> times;
    for (int i = 0; i < moves; ++i) {
        const QPoint at(view->width() / 4 + (i * 7) % (view->width() / 2),
                        view->height() / 4 + (i * 13) % (view->height() / 2));
        const int before = paints;
        QElapsedTimer t;
        t.start();
        QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view, &move);
        while (paints == before && t.elapsed() < 2000)
            app.processEvents();
        times.push_back(t.nsecsElapsed() * 1e-6);
    }
    std::sort(times.begin(), times.end());

    if (!shots.isEmpty()) {
        QDir().mkpath(shots);
        const QPoint mid(view->width() / 2, view->height() / 2);
        QMouseEvent move(QEvent::MouseMove, mid, view->mapToGlobal(mid), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view, &move);
        app.processEvents();
        body.grab().save(shots + QStringLiteral("/main-window.png"));
        body.xafsView()->grab().save(shots + QStringLiteral("/spectrum-window.png"));
    }

    std::printf("images: %d\n", body.i1Series().size() + body.i0Series().size());
    std::printf("load_wall_s: %.3f\n", loadSeconds);
    std::printf("libtiff_wall_s: %.3f\n", libtiffSeconds);
    std::printf("load_ratio: %.2f\n", libtiffSeconds > 0.0 ? loadSeconds / libtiffSeconds : 0.0);
    std::printf("max_stall_ms: %.1f\n", maxStallMs);
    std::printf("mouse_to_plot_ms: %.2f\n", times[times.size() / 2]);
    std::printf("bytes_per_pixel: %.2f\n", pixels > 0.0 ? (rssAfter - rssBefore) * 1024.0 / pixels : 0.0);
    std::printf("held_bytes_per_pixel: %.2f\n", pixels > 0.0 ? held / pixels : 0.0);
    if (paintTimes) {
        // Each widget that a mouse move repaints, drawn 200 times into a pixmap.
        for (const char* name : {"dispA", "CBar", "HCross", "VCross", "Xafs"}) {
            QWidget* w = nullptr;
            for (QWidget* top : QApplication::topLevelWidgets())
                if ((w = top->findChild<QWidget*>(QString::fromLatin1(name))))
                    break;
            if (!w)
                continue;
            QPixmap canvas(w->size());
            w->render(&canvas);
            QElapsedTimer t;
            t.start();
            for (int k = 0; k < 200; ++k)
                w->render(&canvas);
            std::printf("paint_%s_ms: %.3f\n", name, t.nsecsElapsed() * 1e-6 / 200);
        }
    }
    return 0;
}
