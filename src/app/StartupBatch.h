#pragma once

#include <QObject>
#include <QString>

class Body;

// What start-up does with "-b" and "-x": the batch file goes into the batch
// window, and with "-x" the window runs it. Where nobody can read the batch
// window (the offscreen or minimal platform) the run also decides how the
// program ends: status 0 when the script has run to its end or to "quit";
// status 1, with "<script>:<line>: <what failed>" on stderr, when a line
// fails; status 2 when the script cannot be read. With a screenshot
// directory, pictures of the main window and of its spectrum window are
// saved there once the script has ended, and the program ends.
class StartupBatch : public QObject
{
    Q_OBJECT
public:
    struct Options {
        QString batchFile;
        bool run = false;
        // Nobody reads the batch window: the run's outcome ends the program.
        bool headless = false;
        // "main-window.png" and "spectrum-window.png" go here (empty: none).
        QString screenshotDir;
    };

    StartupBatch(Body* body, const Options& options, QObject* parent = nullptr);

    // Loads the batch file and starts the run; call once the main window
    // is shown. The exit happens from the event loop.
    void start();

    static bool isHeadlessPlatform(const QString& platformName);
    // "<script>:<line>: <what>"
    static QString failureText(const QString& script, int line, const QString& what);

private:
    void runFailed(int line, const QString& what);
    void runEnded(bool stopped);
    // Saves the pictures (when asked for) and ends the event loop.
    void end(int status);
    void saveScreenshots();

    Body* m_body;
    Options m_options;
    bool m_failed = false;
    bool m_ending = false;
};
