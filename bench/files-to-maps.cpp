// files-to-maps DIR: a demo measurement (written by tools/make-demo) from its
// image files to saved fraction maps, as a facility's scheduler runs it:
// `orvantelle -e -b analysis.bat -x` in DIR, offscreen. The stages are timed
// from the program's time-stamped lines (category orv.time), so the program
// runs exactly as a user's script would. Prints one "name: value" line per
// figure:
//
//   load_s       loading: start-up to the calibration's start, and the end of
//                the energy-map file to the alignment's start (the I1 series)
//   calib_s      the energy calibration
//   align_s      the alignment of the I1 series
//   run_s        the whole-area analysis ("2da 1:" to "2da 3:")
//   save_s       the energy-map file and the maps after the run, to the exit
//   total_s      wall time of the whole run (start-up to exit)
//   other_s      total_s less the stages (start-up, references, set-up)
//   peak_rss_mb  the program's peak resident memory
//   peak_<stage>_mb  the largest resident memory seen during each stage
//                (sampled every 20 ms)
//   stacks_mb    pixel bytes of the I0 and I1 stacks (2 bytes a pixel)
//   rss_over_stacks_mb  peak_rss_mb - stacks_mb
//   maps_saved   fraction maps found in results/ (TIFF and text)
//   mae_saved    mean |saved fraction - true fraction| over the sample pixels
//   exit_status  the program's exit status
//
// A stage whose lines are missing prints -1. The image files are read once
// before the run, so that the figures do not depend on what the system's
// file cache happens to hold. Options: --program PATH (default: the
// orvantelle built with this driver), --keep (leave earlier results in
// place), --log (echo the program's time lines to stderr), --cold (skip the
// reading before the run).

#include "DemoData.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>
#include <sys/resource.h>

#ifndef ORV_PROGRAM
#define ORV_PROGRAM "orvantelle"
#endif

namespace {

int usage()
{
    std::fprintf(stderr, "usage: files-to-maps DIR [--program PATH] [--keep] [--log] [--cold]\n");
    return 2;
}

// The first time each time-stamped line ("orv.time: <text> <stamp>") appeared, in seconds after `start`;
// the key is the line's text without its stamp, trimmed.
QMap<QString, double> stampsOf(const QByteArray& output, const QDateTime& start)
{
    static const QRegularExpression stamp(QStringLiteral("^orv\\.time: (.*\\S)\\s+(\\d{6} \\d\\d:\\d\\d:\\d\\d\\.\\d{3})\\s*$"));
    QMap<QString, double> out;
    for (const QByteArray& raw : output.split('\n')) {
        const QRegularExpressionMatch m = stamp.match(QString::fromLocal8Bit(raw));
        if (!m.hasMatch())
            continue;
        QDateTime t = QDateTime::fromString(m.captured(2), QStringLiteral("yyMMdd hh:mm:ss.zzz"));
        if (!t.isValid())
            continue;
        // Two-digit years are read as 19xx.
        while (t.date().year() + 50 < start.date().year())
            t = t.addYears(100);
        const QString key = m.captured(1).trimmed();
        if (!out.contains(key))
            out.insert(key, start.msecsTo(t) * 1e-3);
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QString dir;
    QString program = QStringLiteral(ORV_PROGRAM);
    bool keep = false, echo = false, cold = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--program") && i + 1 < args.size())
            program = args[++i];
        else if (args[i] == QLatin1String("--keep"))
            keep = true;
        else if (args[i] == QLatin1String("--log"))
            echo = true;
        else if (args[i] == QLatin1String("--cold"))
            cold = true;
        else if (dir.isEmpty() && !args[i].startsWith(QLatin1String("--")))
            dir = args[i];
        else
            return usage();
    }
    if (dir.isEmpty())
        return usage();
    const QDir d(dir);
    const int width = DemoData::param(dir, QStringLiteral("width")).toInt();
    const int height = DemoData::param(dir, QStringLiteral("height")).toInt();
    const int energies = DemoData::param(dir, QStringLiteral("energies")).toInt();
    if (width <= 0 || height <= 0 || !d.exists(QStringLiteral("analysis.bat"))) {
        std::fprintf(stderr, "files-to-maps: %s is not a demo measurement (params.txt, analysis.bat)\n",
                     qPrintable(dir));
        return 1;
    }
    QDir results(d.filePath(QStringLiteral("results")));
    if (!keep && results.exists())
        for (const QString& name : results.entryList(QDir::Files))
            results.remove(name);
    d.mkpath(QStringLiteral("results"));

    if (!cold)
        for (const char* series : {"i0", "calib", "i1"})
            for (const QString& name : DemoData::tiffFiles(d.filePath(QLatin1String(series)))) {
                QFile f(name);
                if (f.open(QIODevice::ReadOnly))
                    while (!f.read(qint64(1) << 22).isEmpty()) {
                    }
            }

    QProcess run;
    run.setWorkingDirectory(d.absolutePath());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("orv.time.debug=true"));
    env.insert(QStringLiteral("QT_MESSAGE_PATTERN"), QStringLiteral("%{category}: %{message}"));
    run.setProcessEnvironment(env);
    run.setStandardOutputFile(QProcess::nullDevice());
    const QDateTime start = QDateTime::currentDateTime();
    QElapsedTimer clock;
    clock.start();
    run.start(program, {QStringLiteral("-e"), QStringLiteral("-b"), QStringLiteral("analysis.bat"), QStringLiteral("-x")});
    if (!run.waitForStarted(30000)) {
        std::fprintf(stderr, "files-to-maps: cannot start %s\n", qPrintable(program));
        return 1;
    }
    // The resident memory over time, for the peak of each stage.
    std::vector<std::pair<double, double>> rss;   // seconds, MB
    const QString status = QStringLiteral("/proc/%1/status").arg(run.processId());
    QEventLoop loop;
    QObject::connect(&run, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop, &QEventLoop::quit);
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        QFile f(status);
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
            return;
        for (const QByteArray& line : f.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                rss.emplace_back(clock.nsecsElapsed() * 1e-9, line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0);
    });
    sampler.start(20);
    if (run.state() != QProcess::NotRunning)
        loop.exec();
    sampler.stop();
    run.waitForFinished(-1);
    const double total = clock.nsecsElapsed() * 1e-9;
    const int exitStatus = run.exitStatus() == QProcess::NormalExit ? run.exitCode() : -1;
    const QByteArray output = run.readAllStandardError();
    if (echo)
        std::fwrite(output.constData(), 1, std::size_t(output.size()), stderr);
    // The largest resident set of a child this process has waited for.
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const double peakMb = double(usage.ru_maxrss) / 1024.0;

    const QMap<QString, double> at = stampsOf(output, start);
    const auto span = [&at](const char* from, const char* to) {
        const QString a = QLatin1String(from), b = QLatin1String(to);
        return at.contains(a) && at.contains(b) ? at[b] - at[a] : -1.0;
    };
    const auto since0 = [&at](const char* to) { return at.value(QLatin1String(to), -1.0); };
    const double loadCalib = since0("Start Calibration");
    const double loadI1 = span("EMap Write End   :", "Start Aligning Series");
    const double load = loadCalib >= 0.0 && loadI1 >= 0.0 ? loadCalib + loadI1 : -1.0;
    const double calib = span("Start Calibration", "End Calibration");
    const double align = span("Start Aligning Series", "End Aligning Series");
    const double runS = span("2da 1:", "2da 3:");
    const double empSave = span("End Calibration", "EMap Write End   :");
    const double mapSave = at.contains(QStringLiteral("2da 3:")) ? total - at[QStringLiteral("2da 3:")] : -1.0;
    const double save = empSave >= 0.0 && mapSave >= 0.0 ? empSave + mapSave : -1.0;
    const auto peakIn = [&rss](double from, double to) {
        double peak = -1.0;
        for (const auto& sample : rss)
            if (from >= 0.0 && to >= 0.0 && sample.first >= from && sample.first <= to)
                peak = std::max(peak, sample.second);
        return peak;
    };
    const auto at0 = [&at](const char* key) { return at.value(QLatin1String(key), -1.0); };
    const double peakLoad = std::max(peakIn(0.0, at0("Start Calibration")),
                                     peakIn(at0("EMap Write End   :"), at0("Start Aligning Series")));
    const double peakCalib = peakIn(at0("Start Calibration"), at0("End Calibration"));
    const double peakAlign = peakIn(at0("Start Aligning Series"), at0("End Aligning Series"));
    const double peakRun = peakIn(at0("2da 1:"), at0("2da 3:"));
    const double peakSave = peakIn(at0("2da 3:"), total);
    const bool allStages = load >= 0.0 && calib >= 0.0 && align >= 0.0 && runS >= 0.0 && save >= 0.0;
    const double stacksMb = 2.0 * 2.0 * double(width) * double(height) * double(energies) / (1024.0 * 1024.0);

    int mapsSaved = 0;
    double mae = 0.0;
    QString error;
    if (!DemoData::savedFractionError(d.path(), width, height, &mapsSaved, &mae, &error)) {
        std::fprintf(stderr, "files-to-maps: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("load_s: %.3f\n", load);
    std::printf("calib_s: %.3f\n", calib);
    std::printf("align_s: %.3f\n", align);
    std::printf("run_s: %.3f\n", runS);
    std::printf("save_s: %.3f\n", save);
    std::printf("total_s: %.3f\n", total);
    std::printf("other_s: %.3f\n", allStages ? total - load - calib - align - runS - save : -1.0);
    std::printf("peak_rss_mb: %.0f\n", peakMb);
    std::printf("peak_load_mb: %.0f\n", peakLoad);
    std::printf("peak_calib_mb: %.0f\n", peakCalib);
    std::printf("peak_align_mb: %.0f\n", peakAlign);
    std::printf("peak_run_mb: %.0f\n", peakRun);
    std::printf("peak_save_mb: %.0f\n", peakSave);
    std::printf("stacks_mb: %.0f\n", stacksMb);
    std::printf("rss_over_stacks_mb: %.0f\n", peakMb - stacksMb);
    std::printf("maps_saved: %d\n", mapsSaved);
    std::printf("mae_saved: %.4f\n", mae);
    std::printf("exit_status: %d\n", exitStatus);
    return exitStatus == 0 && allStages ? 0 : 1;
}
