// Feeds arbitrary bytes as a batch script to the executor of a real main
// window, offscreen, as a headless "-b" run does: the script goes into the
// batch window, the dispatcher walks it in its thread and every line reaches
// the controllers. The window is made once; each input runs on a freshly
// written folder of small images, a spectrum and an angle list, the folder of
// the script, against which the executor resolves the names in it.
//
// Kept safe and fast: only the first lines of an input run; loops and "quit"
// are left out; a line naming anything outside the folder ("/" or "..") is
// dropped; each run has a bounded time, after which it is stopped, and a run
// that does not end even then is a fault.

#include "Body.h"
#include "GuardedApplication.h"
#include "batch/BatchDispatcher.h"
#include "batch/BatchKeywords.h"
#include "batch/CmdLine.h"
#include "batchwindow/BatchCtrl.h"
#include "output/TiffWriter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr int maxInputBytes = 4096;
constexpr int maxLines = 24;
constexpr qint64 runMs = 3000;   // then the run is stopped
constexpr qint64 stopMs = 10000; // a stopped run must have ended by then

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

// A small measurement: 8 images of I1 and of I0 (16 x 12, named by energy
// across an edge at 7110 eV), a reference spectrum and a list of angles.
void writeFixtures(const QString& dir)
{
    for (int k = 0; k < 8; ++k) {
        const double e = 7080.0 + 7.5 * k;
        std::vector<quint16> i1(16 * 12), i0(16 * 12);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 16; ++x) {
                const double mu = e > 7110.0 ? 0.4 + 0.03 * x : 0.05;
                i0[std::size_t(y) * 16 + x] = quint16(30000 + 5 * y);
                i1[std::size_t(y) * 16 + x] = quint16(20000.0 * std::exp(-mu) + 3 * y + x);
            }
        const QString name = QStringLiteral("%1_%2eV.tif").arg(e, 0, 'f', 2);
        writeTiff16(dir + QStringLiteral("/i1_") + name, i1.data(), 16, 12);
        writeTiff16(dir + QStringLiteral("/i0_") + name, i0.data(), 16, 12);
    }
    QFile ref(dir + QStringLiteral("/ref.dat"));
    if (ref.open(QIODevice::WriteOnly)) {
        for (int e = 6950; e <= 7350; e += 5)
            ref.write(QByteArray::number(e) + ' '
                      + QByteArray::number(0.5 + std::atan((e - 7110.0) / 2.0) / M_PI) + '\n');
    }
    QFile angles(dir + QStringLiteral("/angles.txt"));
    if (angles.open(QIODevice::WriteOnly)) {
        angles.write("# Bragg angles\n");
        for (int k = 0; k < 8; ++k)
            angles.write(QByteArray::number(16.3 - 0.02 * k) + '\n');
    }
}

// Whether a line may run: no loops (the time bound is for one pass), no
// "quit" (the window stays for the next input), nothing outside the folder,
// no continuation mark (each line is judged on its own). Every piece between
// carriage returns is judged too, in case they end lines somewhere.
bool allowed(const QString& line)
{
    if (line.contains(QLatin1Char('/')) || line.contains(QLatin1String("..")))
        return false;
    static const QRegularExpression lineEnds(QStringLiteral("[\\r\\n\\x{2028}\\x{2029}\\f\\v]"));
    for (const QString& piece : line.split(lineEnds)) {
        if (piece.trimmed().endsWith(QLatin1Char('\\')))
            return false;
        const CmdLine c(piece);
        if (c.directiveId() == BatchKeywords::For || c.directiveId() == BatchKeywords::Next
            || c.commandId() == BatchKeywords::Quit)
            return false;
    }
    return true;
}

struct Harness {
    Harness()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(quiet);
        BatchKeywords::init();
        app = std::make_unique<GuardedApplication>(argc, argv);
        work = root.filePath(QStringLiteral("work"));
        QDir().mkpath(work);
        writeFixtures(work);
        body = std::make_unique<Body>();
        // Names in a script are taken relative to the folder of the script
        // file loaded last; the process's own folder stays where the fuzzer
        // keeps its corpus and artifacts.
        QFile file(work + QStringLiteral("/start.bat"));
        if (file.open(QIODevice::WriteOnly))
            file.write("set_band_w 1\n");
        file.close();
        body->batchCtrl()->load(file.fileName());
        QObject::connect(body->batchDispatcher(), &BatchDispatcher::runEnded, body.get(),
                         [this](bool) { ended = true; });
        script = body->batchCtrl()->findChild<QPlainTextEdit*>(QStringLiteral("BatchCmds"));
        stop = body->batchCtrl()->findChild<QPushButton*>(QStringLiteral("Stop"));
    }

    // Runs `text` and waits for its end; false when it never ends.
    bool run(const QString& text)
    {
        ended = false;
        script->setPlainText(text);
        body->batchCtrl()->execCmdsSlot();
        QElapsedTimer t;
        t.start();
        bool stopped = false;
        while (!ended) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            if (!stopped && t.elapsed() > runMs) {
                stop->click();
                stopped = true;
            }
            if (t.elapsed() > runMs + stopMs)
                return false;
        }
        // Work a stopped line started (a load, a 2D run) ends by itself soon.
        while ((body->isLoading() || body->isRunning2D() || body->isCalibrating() || body->isAligning()
                || body->isSaving())
               && t.elapsed() < runMs + stopMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return true;
    }

    // Back to no data, an empty editor and log and a fresh folder, as far as
    // the window allows. Done at the end of each input, so that what an
    // input allocates is given back within it: libFuzzer runs an input again,
    // and then scans the whole heap for leaks, whenever it allocated more
    // blocks than it freed, which a clean-up left for the next input caused
    // every time (two thirds of the corpus replay's time).
    void reset()
    {
        run(QStringLiteral("clear_I1_files\nclear_I0_files\ncalib_clear_map\nclear_dark\n"));
        script->clear();
        body->batchCtrl()->clearLog();
        QDir(work).removeRecursively();
        QDir().mkpath(work);
        writeFixtures(work);
        // Objects let go with deleteLater() go now, not in the next input.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    int argc = 1;
    char name[16] = "fuzz_executor";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<GuardedApplication> app;
    QTemporaryDir root;
    QString work;
    std::unique_ptr<Body> body;
    QPlainTextEdit* script = nullptr;
    QPushButton* stop = nullptr;
    bool ended = false;
};

} // namespace

// Libraries under the window (fonts, the offscreen platform) keep caches they
// never free; leaks of the program's own allocations are still reported.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:libqoffscreen.so\n"
           "leak:QScreen::QScreen\n"
           "leak:QWindowSystemInterface::handleScreenAdded\n"
           "leak:QGuiApplicationPrivate::createPlatformIntegration\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Harness h;
    // The editor's own line breaks decide what the lines are.
    h.script->setPlainText(QString::fromUtf8(reinterpret_cast<const char*>(data), int(std::min<size_t>(size, maxInputBytes))));
    QStringList lines;
    for (const QString& line : h.script->toPlainText().split(QLatin1Char('\n'))) {
        if (lines.size() == maxLines)
            break;
        if (allowed(line))
            lines << line;
    }
    if (!h.run(lines.join(QLatin1Char('\n'))))
        __builtin_trap();   // a run that a stop does not end
    h.reset();
    return 0;
}
