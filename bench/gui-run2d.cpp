// gui-run2d DIR: loads both series of a demo measurement (tools/make-demo)
// through the main window, sets the demo's three references in the analyzer,
// loads the true energy-shift map, aligns the I1 images by the true drift,
// runs an LCF 2D run at single pixels over the whole image, offscreen, and prints one "name: value" line per figure:
//   spectra        spectra analysed
//   run_s          from the Analyze request to the run's end
//   spectra_per_s  spectra / run_s
//   max_stall_ms   longest gap between runs of a 5 ms timer during the run
//   stop_ms        a second run stopped midway: from Stop to idle
//   peak_rss_mb    peak resident memory of the process
//   mae_shift, p95_shift   fraction error against the truth (shift applied)
//   differing_values       map values that differ from the pipeline run on
//                          the same input outside the window (0 expected)
//   pipeline_working_mb, budget_mb   what that run held beyond the images
//                          and the maps, against its memory budget

#include "DemoData.h"
#include "GuiDriver.h"

#include "analysis/LcfRunJob.h"
#include "analyzer/Analyzer.h"
#include "analyzer/LCFReference.h"
#include "Body.h"
#include "controls/JobProgressBar.h"
#include "display/ColorTables.h"
#include "fileselect/SelectDataFiles.h"
#include "grid/Analyzed2DRes.h"
#include "processing/EnergyMapFile.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ColorTables::init();
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: gui-run2d DIR\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));

    Body body;
    GuiDriver::energiesFromNames(body.i1Panel());
    GuiDriver::energiesFromNames(body.i0Panel());
    body.i1Panel()->setShowLatest(false);
    body.i0Panel()->setShowLatest(false);
    emit body.i1Panel()->filesSelected(DemoData::tiffFiles(dir.filePath("i1")), true);
    emit body.i0Panel()->filesSelected(DemoData::tiffFiles(dir.filePath("i0")), true);
    GuiDriver::waitUntil([&] { return !body.isLoading(); }, nullptr);
    const int width = body.imageWidth();
    const int height = body.imageHeight();
    if (body.i1Series().isEmpty() || body.i0Series().isEmpty()) {
        std::fprintf(stderr, "gui-run2d: no series in %s\n", argv[1]);
        return 1;
    }

    DemoData::Truth truth;
    std::vector<double> shift;
    if (!truth.read(dir.path(), width, height)
        || !DemoData::readF32(dir.filePath("truth/shift.f32"), width, height, &shift)) {
        std::fprintf(stderr, "gui-run2d: cannot read the truth maps\n");
        return 1;
    }
    // The true shift map through an energy-map file, as a user would load one.
    QTemporaryDir tmp;
    EnergyMapFile::Source source;
    source.map = shift.data();
    source.mapWidth = width;
    source.mapHeight = height;
    source.grid.setup(width, height, 0, 0, QRectF(0, 0, width, height), -1, -1);
    source.eStd = 7112.0;
    source.spacing = 3.1355316;
    const QString emp = tmp.filePath("truth.emp");
    if (!EnergyMapFile::write(emp, source)) {
        std::fprintf(stderr, "gui-run2d: cannot write %s\n", qPrintable(emp));
        return 1;
    }
    body.loadEMap(emp);
    // The images aligned as the alignment would leave them: the true drift.
    DemoData::applyTrueDrift(dir.filePath("truth/drift.txt"), body.i1Series().images());

    Analyzer* analyzer = body.analyzer();
    for (int k = 0; k < DemoData::compoundCount; ++k)
        analyzer->setLCFStd(k, true, 0.0, dir.filePath(QStringLiteral("refs/%1.dat").arg(DemoData::compounds[k])),
                            QStringLiteral("0"));
    body.findChild<QLineEdit*>(QStringLiteral("HWidth"))->setText(QStringLiteral("0"));
    body.findChild<QLineEdit*>(QStringLiteral("VWidth"))->setText(QStringLiteral("0"));
    app.processEvents();

    QSignalSpy finished(&body, &Body::finishBatchExec);
    QPushButton* analyze = analyzer->findChild<QPushButton*>(QStringLiteral("AskAnalyze"));
    analyze->click();
    double maxStall = 0.0;
    const double runSeconds = GuiDriver::waitUntil([&] { return !body.isRunning2D(); }, &maxStall);
    const qint64 spectra = qint64(width) * height;

    double mae = 0.0, p95 = 0.0;
    QVector<Analyzed2DRes*> fractions;
    for (int k = 0; k < DemoData::compoundCount; ++k)
        fractions.append(analyzer->refs()[k]->map(1));
    DemoData::fractionErrors(truth, fractions, &mae, &p95);

    // The same run on the pipeline alone must give the same maps.
    AreaRunInput in;
    in.i1 = body.i1Series().constImages();
    in.i0 = body.i0Series().constImages();
    in.grid.setup(width, height, 0, 0, QRectF(0, 0, width, height), -1, -1);
    in.shift = ShiftMapView::of(&body.shiftMap());
    LcfRunSetup setup;
    setup.references = analyzer->referenceSnapshots();
    std::vector<std::unique_ptr<Analyzed2DRes>> own;
    for (int i = 0; i < 2 * setup.references.size(); ++i) {
        own.push_back(std::make_unique<Analyzed2DRes>());
        own.back()->setup(in.grid);
        setup.maps.rows.append(own.back().get());
    }
    LcfRunJob direct(in, setup);
    for (int s = 0; s < direct.sliceCount(); ++s) {
        std::atomic<bool> stop{false};
        direct.runSlice(s, stop);
        direct.deliverSlice(s);
    }
    direct.finish(false);
    const qint64 working = direct.workingBytes();
    qint64 differing = 0;
    for (int i = 0; i < setup.maps.rows.size(); ++i) {
        const Analyzed2DRes* a = analyzer->refs()[i % setup.references.size()]->map(i / setup.references.size());
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const double u = a->value(x, y), v = setup.maps.rows[i]->value(x, y);
                if (!(u == v || (u != u && v != v)))
                    ++differing;
            }
    }

    // A second run, stopped midway: Stop is the same button pressed again.
    double stopMs = -1.0;
    for (double share : {0.3, 0.1, 0.03}) {
        analyze->click();
        QElapsedTimer wait;
        wait.start();
        while (body.isRunning2D() && wait.nsecsElapsed() * 1e-9 < runSeconds * share)
            app.processEvents(QEventLoop::WaitForMoreEvents);
        if (!body.isRunning2D())
            continue;
        QElapsedTimer stopClock;
        stopClock.start();
        analyze->click();
        GuiDriver::waitUntil([&] { return !body.isRunning2D(); }, nullptr);
        stopMs = stopClock.nsecsElapsed() * 1e-6;
        break;
    }

    std::printf("spectra: %lld\n", static_cast<long long>(spectra));
    std::printf("run_s: %.3f\n", runSeconds);
    std::printf("spectra_per_s: %.0f\n", double(spectra) / runSeconds);
    std::printf("max_stall_ms: %.1f\n", maxStall);
    std::printf("stop_ms: %.1f\n", stopMs);
    std::printf("peak_rss_mb: %.1f\n", double(DemoData::peakRss()) / 1048576.0);
    std::printf("mae_shift: %.4f\n", mae);
    std::printf("p95_shift: %.4f\n", p95);
    std::printf("differing_values: %lld\n", static_cast<long long>(differing));
    std::printf("pipeline_working_mb: %.1f\n", double(working) / 1048576.0);
    std::printf("budget_mb: %.0f\n", double(in.budgetBytes) / 1048576.0);
    std::printf("run_completed: %d\n", finished.count() >= 1 ? 1 : 0);
    return differing == 0 ? 0 : 3;
}
