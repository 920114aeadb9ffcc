#include "StartupBatch.h"

#include "batch/BatchDispatcher.h"
#include "batchwindow/BatchCtrl.h"
#include "Body.h"
#include "spectrumview/XafsView.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimer>
#include <new>
#include <cstdio>

StartupBatch::StartupBatch(Body* body, const Options& options, QObject* parent)
    : QObject(parent)
    , m_body(body)
    , m_options(options)
{
}

bool StartupBatch::isHeadlessPlatform(const QString& platformName)
{
    return platformName == QLatin1String("offscreen") || platformName == QLatin1String("minimal");
}

QString StartupBatch::failureText(const QString& script, int line, const QString& what)
{
    return QStringLiteral("%1:%2: %3").arg(script, QString::number(line), what);
}

void StartupBatch::start()
{
    BatchCtrl* ctrl = m_body->batchCtrl();
    if (!m_options.batchFile.isEmpty()) {
        QString loadError;
        const QMetaObject::Connection c =
            connect(ctrl, &BatchCtrl::loadFailed, this, [&loadError](const QString& m) { loadError = m; });
        ctrl->setBatchFile(m_options.batchFile);
        disconnect(c);
        if (!loadError.isEmpty()) {
            // Nothing of the script runs; a headless run says so and ends.
            if (m_options.headless && m_options.run) {
                std::fprintf(stderr, "%s\n", qPrintable(loadError));
                QTimer::singleShot(0, this, [] { QCoreApplication::exit(2); });
            }
            return;
        }
    }
    if (!m_options.run)
        return;
    BatchDispatcher* dispatcher = m_body->batchDispatcher();
    connect(dispatcher, &BatchDispatcher::runFailedAt, this, &StartupBatch::runFailed);
    connect(dispatcher, &BatchDispatcher::runEnded, this, &StartupBatch::runEnded);
    if (!m_options.screenshotDir.isEmpty())
        connect(m_body, &Body::finishing, this, &StartupBatch::saveScreenshots);
    ctrl->execBatchSlot();
}

void StartupBatch::runFailed(int line, const QString& what)
{
    m_failed = true;
    if (m_options.headless) {
        const QString script = m_options.batchFile.isEmpty() ? QStringLiteral("batch") : m_options.batchFile;
        std::fprintf(stderr, "%s\n", qPrintable(failureText(script, line, what)));
        std::fflush(stderr);
    }
}

void StartupBatch::runEnded(bool stopped)
{
    if (m_options.headless || !m_options.screenshotDir.isEmpty())
        end(m_failed || stopped ? 1 : 0);
}

void StartupBatch::end(int status)
{
    if (m_ending)
        return;
    m_ending = true;
    // Let the windows settle (layouts, the last repaints) before the pictures.
    // Without memory for the timer the run ends at once, without them.
    try {
        QTimer::singleShot(m_options.screenshotDir.isEmpty() ? 0 : 300, this, [this, status] {
            saveScreenshots();
            QCoreApplication::exit(status);
        });
    } catch (const std::bad_alloc&) {
        QCoreApplication::exit(status);
    }
}

void StartupBatch::saveScreenshots()
{
    if (m_options.screenshotDir.isEmpty())
        return;
    const QDir dir(m_options.screenshotDir);
    if (!QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "Can't create %s\n", qPrintable(dir.path()));
        return;
    }
    // The main and spectrum windows always; the others when they are open.
    for (const auto& shot : m_body->namedWindows()) {
        const bool always = shot.first == m_body || shot.first == static_cast<QWidget*>(m_body->xafsView());
        if (!shot.first || (!always && !shot.first->isVisible()))
            continue;
        const QString file = dir.filePath(shot.second + QStringLiteral(".png"));
        if (!shot.first->grab().save(file))
            std::fprintf(stderr, "Can't save %s\n", qPrintable(file));
    }
}
