#include "app/Body.h"
#include "app/StartupOptions.h"
#include "app/Translation.h"
#include "widgets/ColorTables.h"

#include <QApplication>
#include <QTimer>
#include <QStyleFactory>
#include <QTranslator>

int main(int argc, char* argv[])
{
    ColorTables::init();

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    OptionTable options;
    readCommandLine(arguments, options);

    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication app(argc, argv);
    QTranslator translator;

    readConfigFile(configFileName(options), options);
    const StartupSettings settings = startupSettings(options);
    AppPaths::setDataRoot(settings.dataRoot);

    if (!settings.english)
        installJapanese(app, translator);

    Body body;
    QObject::connect(&body, &Body::finishing, &app, &QApplication::closeAllWindows);
    body.show();

    // The batch window takes over "-b" and "-x" once it exists.
    Q_UNUSED(settings.batchFile);
    Q_UNUSED(settings.runBatch);

    // Headless runs (scripts/demo without a display) ask for a picture of the
    // main window and end by themselves.
    const QString screenshot = qEnvironmentVariable("ORV_SCREENSHOT");
    if (!screenshot.isEmpty()) {
        QTimer::singleShot(1500, &body, [&body, screenshot] {
            body.grab().save(screenshot);
            body.close();
        });
    }

    return app.exec();
}
