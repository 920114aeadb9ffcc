// make-demo: writes a synthetic imaging-XANES measurement of an iron sample
// (see README.md in this folder for the files and their formats).
#include "DemoFiles.h"
#include "DemoHdf5.h"
#include "DemoModel.h"
#include "DemoOptions.h"
#include "DemoTxrm.h"
#include "DemoWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();

    DemoConfig config;
    QString error;
    switch (DemoOptions::parse(args, &config, &error)) {
    case DemoOptions::Result::Help:
        std::fputs(qPrintable(DemoOptions::usage()), stdout);
        return 0;
    case DemoOptions::Result::Error:
        std::fprintf(stderr, "make-demo: %s\n%s", qPrintable(error), qPrintable(DemoOptions::usage()));
        return 2;
    case DemoOptions::Result::Run:
        break;
    }

    QElapsedTimer timer;
    timer.start();
    const DemoModel model(config);
    if (!DemoWriter::write(model, config, &error)) {
        std::fprintf(stderr, "make-demo: %s\n", qPrintable(error));
        return 1;
    }
    if (config.hdf5) {
        const QDir dir(config.outDir);
        const int threads = config.threads > 0 ? config.threads : QThread::idealThreadCount();
        if (!DemoHdf5::write(model, config.noise, dir.filePath(QStringLiteral("scan.h5")), config.hdf5Bitshuffle,
                             threads, &error)
            || !DemoFiles::writeText(dir.filePath(QStringLiteral("analysis-hdf5.bat")),
                                     DemoHdf5::analysisScript(model, QStringLiteral("scan.h5")))) {
            std::fprintf(stderr, "make-demo: %s\n", qPrintable(error.isEmpty() ? QStringLiteral("can not write analysis-hdf5.bat") : error));
            return 1;
        }
    }
    if (config.txrm && !DemoTxrm::write(model, config.noise, QDir(config.outDir).filePath(QStringLiteral("scan.txrm")), &error)) {
        std::fprintf(stderr, "make-demo: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("make-demo: %d x %d pixels, %d energies, seed %llu written to %s in %.1f s\n", model.width(),
                model.height(), int(model.energies().size()), static_cast<unsigned long long>(config.seed),
                qPrintable(config.outDir), timer.elapsed() / 1000.0);
    return 0;
}
