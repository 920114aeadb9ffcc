// batch-demo DIR: runs the analysis script of a demo measurement (written by
// tools/make-demo) through the program headless, as a facility's scheduler
// would (`orvantelle -e -b analysis.bat -x` in DIR, offscreen), reads the
// fraction maps it saved as text back and compares them with the truth
// inside the sample. Prints one "name: value" line per figure:
//
//   script_s     wall time of the whole run (start-up to exit)
//   lines        command lines of the script (comments and blank lines left out)
//   maps_saved   fraction maps found in results/ (TIFF and text)
//   mae_saved    mean |saved fraction - true fraction| over the sample pixels
//                and the three compounds (a pixel missing from a map counts 1)
//   exit_status  the program's exit status
//
// Options: --program PATH (default: the orvantelle built with this driver),
// --keep (leave the results of an earlier run in place before running),
// --hdf5 (run analysis-hdf5.bat instead, the analysis of the HDF5 form of the
// measurement written by make-demo --hdf5, and compare its hdf5_ maps).
// The program's own output goes to stderr.

#include "DemoData.h"

#include "batch/CmdLine.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#ifndef ORV_PROGRAM
#define ORV_PROGRAM "orvantelle"
#endif

namespace {

int usage()
{
    std::fprintf(stderr, "usage: batch-demo DIR [--program PATH] [--keep] [--hdf5]\n");
    return 2;
}

int commandLines(const QString& script)
{
    QFile f(script);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    int n = 0;
    for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n')))
        if (!CmdLine(line).text.trimmed().isEmpty())
            ++n;
    return n;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QString dir;
    QString program = QStringLiteral(ORV_PROGRAM);
    bool keep = false;
    bool hdf5 = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--program") && i + 1 < args.size())
            program = args[++i];
        else if (args[i] == QLatin1String("--keep"))
            keep = true;
        else if (args[i] == QLatin1String("--hdf5"))
            hdf5 = true;
        else if (dir.isEmpty() && !args[i].startsWith(QLatin1String("--")))
            dir = args[i];
        else
            return usage();
    }
    if (dir.isEmpty())
        return usage();
    const QDir d(dir);
    const QString script = hdf5 ? QStringLiteral("analysis-hdf5.bat") : QStringLiteral("analysis.bat");
    const QString prefix = hdf5 ? QStringLiteral("hdf5_") : QString();
    const int width = DemoData::param(dir, QStringLiteral("width")).toInt();
    const int height = DemoData::param(dir, QStringLiteral("height")).toInt();
    if (width <= 0 || height <= 0 || !d.exists(script)) {
        std::fprintf(stderr, "batch-demo: %s is not a demo measurement (params.txt, %s)\n", qPrintable(dir),
                     qPrintable(script));
        return 1;
    }
    QDir results(d.filePath(QStringLiteral("results")));
    if (!keep && results.exists())
        for (const QString& name : results.entryList(QDir::Files))
            if (name.startsWith(prefix))
                results.remove(name);
    d.mkpath(QStringLiteral("results"));

    // The run, as a scheduler starts it.
    QProcess run;
    run.setWorkingDirectory(d.absolutePath());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    run.setProcessEnvironment(env);
    run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    run.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    run.start(program, {QStringLiteral("-e"), QStringLiteral("-b"), script, QStringLiteral("-x")});
    if (!run.waitForStarted(30000)) {
        std::fprintf(stderr, "batch-demo: cannot start %s\n", qPrintable(program));
        return 1;
    }
    run.waitForFinished(-1);
    const double scriptS = clock.nsecsElapsed() * 1e-9;
    const int exitStatus = run.exitStatus() == QProcess::NormalExit ? run.exitCode() : -1;

    // The saved maps against the truth.
    int mapsSaved = 0;
    double mae = 0.0;
    QString error;
    if (!DemoData::savedFractionError(d.path(), width, height, &mapsSaved, &mae, &error, prefix)) {
        std::fprintf(stderr, "batch-demo: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("script_s: %.3f\n", scriptS);
    std::printf("lines: %d\n", commandLines(d.filePath(script)));
    std::printf("maps_saved: %d\n", mapsSaved);
    std::printf("mae_saved: %.4f\n", mae);
    std::printf("exit_status: %d\n", exitStatus);
    std::fprintf(stderr, "batch-demo: maps in %s\n", qPrintable(results.absolutePath()));
    return exitStatus == 0 ? 0 : 1;
}
