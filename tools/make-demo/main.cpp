// make-demo: writes a synthetic imaging-XANES measurement of an iron sample
// (see README.md in this folder for the files and their formats).
#include "DemoModel.h"
#include "DemoOptions.h"
#include "DemoWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
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
    std::printf("make-demo: %d x %d pixels, %d energies, seed %llu written to %s in %.1f s\n", model.width(),
                model.height(), int(model.energies().size()), static_cast<unsigned long long>(config.seed),
                qPrintable(config.outDir), timer.elapsed() / 1000.0);
    return 0;
}
