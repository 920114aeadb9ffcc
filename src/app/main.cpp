#include "base/FileNameCodec.h"
#include "base/Log.h"
#include "base/LogCategories.h"
#include "base/Persisted.h"
#include "base/StartupOptions.h"
#include "batch/BatchKeywords.h"
#include "Body.h"
#include "display/ColorTables.h"
#include "GuardedApplication.h"
#include "i18n/Translation.h"
#include "io/Hdf5Library.h"
#include "StartupBatch.h"

#include <QApplication>
#include <QDebug>
#include <QLoggingCategory>
#include <QRect>
#include <QStyleFactory>
#include <QTimer>
#include <QThread>
#include <QTranslator>
#include <algorithm>
#include <clocale>
#ifdef __GLIBC__
#include <malloc.h>
#endif

int main(int argc, char* argv[])
{
    // A warning that memory ran out must not itself end the program.
    guardMessageOutput();
    // Memory that runs out in a thread of Qt's own ends the program with a
    // message and status 1, not an abort.
    endOnUncaughtOutOfMemory();
#ifdef __GLIBC__
    // One allocator arena per processor, not eight: each reserves 64 MB of
    // address space, and under an address-space limit (ulimit -v, a cluster
    // job's memory limit) the default reservations alone took ~900 MB of the
    // 1.3 GB the 256 x 256 x 150 demo needed (now ~380 MB). No measurable
    // cost in speed. MALLOC_ARENA_MAX, when set, still decides.
    if (qEnvironmentVariableIsEmpty("MALLOC_ARENA_MAX"))
        mallopt(M_ARENA_MAX, std::max(2, QThread::idealThreadCount()));
#endif
    // Diagnostic chatter stays out of the terminal unless asked for
    // (QT_LOGGING_RULES="orv.*.debug=true", which wins over these rules).
    QLoggingCategory::setFilterRules(QString::fromLatin1(LogCategories::quietRules()));
    ColorTables::init();
    BatchKeywords::init();
    // Compressed HDF5 scans need the filter plugins; a user sets nothing.
    Hdf5Library::ensurePluginPath();

    // File names that are not valid UTF-8 (copied from older systems or
    // other machines) are listed, opened and saved under their own bytes.
    // The locale is read here, before any name is decoded; the application
    // reads it again below.
    setlocale(LC_ALL, "");
    FileNameCodec::installForUtf8Locale();

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    OptionTable options;
    readCommandLine(arguments, options);

    // Headless, the event loop is Qt's own, not GLib's: GLib ends the process
    // when one of its allocations fails, so a run short of memory would stop
    // without saying why.
    if (StartupBatch::isHeadlessPlatform(qEnvironmentVariable("QT_QPA_PLATFORM"))
        && !qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    GuardedApplication app(argc, argv);
    QTranslator translator;

    const OptionTable commandLine = options;
    readConfigFile(configFileName(options), options);
    // A script started by a configuration file, not by the user, is named.
    const QString configuredScript = configuredScriptNote(commandLine, options, configFileName(options));
    if (!configuredScript.isEmpty())
        qWarning().noquote() << configuredScript;
    const StartupSettings settings = startupSettings(options);
    AppPaths::setDataRoot(settings.dataRoot);
    // Settings are kept between runs beside the configuration file, except in
    // headless runs (a cluster node leaves no trace and reads none).
    const bool headless = StartupBatch::isHeadlessPlatform(QGuiApplication::platformName());
    app.setEndOnOutOfMemory(headless);
    // Pictures of the windows (ORV_SCREENSHOT, ORV_SCREENSHOT_DIR) need them painted.
    app.setPaintsWindows(!headless || qEnvironmentVariableIsSet("ORV_SCREENSHOT")
                         || qEnvironmentVariableIsSet("ORV_SCREENSHOT_DIR"));
    if (!headless)
        Persisted::setFile(Persisted::fileBeside(configFileName(options)));

    if (!settings.english)
        installJapanese(app, translator);

    Body body;
    const QRect kept = Persisted::value(QStringLiteral("windows/main")).toRect();
    if (kept.isValid())
        body.setGeometry(kept);
    QObject::connect(&body, &Body::finishing, &app, &QApplication::closeAllWindows);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &body,
                     [&body] { Persisted::setValue(QStringLiteral("windows/main"), body.geometry()); });
    body.show();

    // "-b" and "-x": the batch window gets the file and runs it. Headless,
    // the run's outcome is the exit status; ORV_SCREENSHOT_DIR asks for
    // pictures of the main and spectrum windows once the script has ended.
    StartupBatch::Options batch;
    batch.batchFile = settings.batchFile;
    batch.run = settings.runBatch;
    batch.headless = headless;
    batch.screenshotDir = qEnvironmentVariable("ORV_SCREENSHOT_DIR");
    StartupBatch startupBatch(&body, batch);
    startupBatch.start();

    // A picture of the main window without a script (ORV_SCREENSHOT names
    // the file); the program then ends by itself.
    const QString screenshot = qEnvironmentVariable("ORV_SCREENSHOT");
    if (!screenshot.isEmpty() && !batch.run) {
        QTimer::singleShot(1500, &body, [&body, screenshot] {
            body.grab().save(screenshot);
            body.close();
        });
    }

    return app.exec();
}
