#include "BatchExecutor.h"

#include "ui_Body.h"

#include "AlignmentController.h"
#include "batch/BatchDispatcher.h"
#include "batch/BatchKeywords.h"
#include "batch/BatchPaths.h"
#include "batchwindow/BatchCtrl.h"
#include "CalibrationController.h"
#include "DarkController.h"
#include "RunController.h"
#include "SaveController.h"
#include "SeriesController.h"
#include "StartupBatch.h"
#include "controls/WindowPlace.h"

#include "base/TextItems.h"

#include <QDebug>
#include <QGuiApplication>
#include <QMainWindow>
#include <QStatusBar>
#include <new>

using namespace BatchKeywords;

BatchExecutor::BatchExecutor(BodyContext& c)
    : m_c(c)
{
    registerBatchMetaTypes();
    m_dispatcher = new BatchDispatcher;
    m_c.batchCtrl = new BatchCtrl;
    BatchCtrl* window = m_c.batchCtrl;
    window->setDispatcher(m_dispatcher);
    connect(m_c.ui->BatchCtrlB, &QPushButton::clicked, window, [window] { WindowPlace::bringUp(window); });
    // A failed run is explained in the batch window: bring it up.
    if (!StartupBatch::isHeadlessPlatform(QGuiApplication::platformName()))
        connect(m_dispatcher, &BatchDispatcher::runFailed, window, [window] {
            window->show();
            window->raise();
        });
    m_table.addLong(Quit, [this](const CmdLine&, BatchArgReader&) {
        // The program ends; nothing completes.
        emit quitRequested();
        return false;
    });
}

BatchExecutor::~BatchExecutor()
{
    delete m_dispatcher;
    delete m_c.batchCtrl;
}

void BatchExecutor::reportFailure(const QString& text)
{
    const QString message = printable(text);
    qWarning().noquote() << message;
    m_lastFailure = message;
    m_c.window->statusBar()->showMessage(message);
    if (m_lineOpen)
        m_failures << message;
}

void BatchExecutor::logArgumentNotes(const QStringList& notes)
{
    for (const QString& n : notes) {
        const QString text = QStringLiteral("Note: line %1: %2").arg(QString::number(m_cmd.lineNo), n);
        qWarning().noquote() << text;
        m_c.batchCtrl->Log(text + QLatin1Char('\n'));
    }
}

void BatchExecutor::execute(const CmdLine& cmd, bool inRem)
{
    m_lineOpen = true;
    m_wait = BatchWait();
    // Relative names are read against the folder of the script that runs.
    m_cmd = BatchPaths::resolved(cmd, m_c.batchCtrl->runFolder());
    m_failures.clear();
    if (inRem || executeCommand(m_cmd))
        emit workEnded();
}

bool BatchExecutor::executeCommand(const CmdLine& cmd)
{
    int id = cmd.commandId();
    if (id == NoCommand)
        id = cmd.extraCommandId();
    if (id == NoExtraCommand) {
        if (!cmd.isDirective()) {
            m_c.batchCtrl->showCmdErr(cmd);
            // A line of blanks (or blanks and a comment) is reported, but it
            // fails nothing: only a word that means nothing does.
            if (!cmd.text.trimmed().isEmpty())
                m_failures << QStringLiteral("unknown command \"%1\"").arg(cmd.cmd);
        }
        return true;
    }
    BatchArgReader args(cmd);
    bool now = true;
    try {
        now = m_table.run(id, cmd, args, [this](const QString& m) { reportFailure(m); });
    } catch (const std::bad_alloc&) {
        // The line fails; what it allocated has been given back, and the
        // program goes on.
        reportFailure(QStringLiteral("Not enough memory for \"%1\"").arg(cmd.cmd));
        now = true;
    }
    logArgumentNotes(args.notes());
    return now;
}

bool BatchExecutor::workDone() const
{
    switch (m_wait.work) {
    case BatchWait::None:
        return true;
    case BatchWait::LoadI1:
    case BatchWait::LoadI0:
        return m_c.series->loadArrived(m_wait.work == BatchWait::LoadI1, m_wait.request);
    case BatchWait::Calibration:
        return !m_c.calibration->isCalibrating();
    case BatchWait::Alignment:
        return !m_c.alignment->isAligning();
    case BatchWait::Saving:
        return !m_c.saving->isSaving();
    case BatchWait::LcfRun:
    case BatchWait::ElemsRun:
    case BatchWait::ResidualRun:
    case BatchWait::FourierRun:
    case BatchWait::ExtraMapsRun:
        return !m_c.runs->isRunning();
    case BatchWait::Dark:
        return !m_c.dark->isLoading();
    case BatchWait::ScanLoad:
        return m_c.series->loadArrived(true, m_wait.request)
            && (m_wait.request0 == 0 || m_c.series->loadArrived(false, m_wait.request0)) && !m_c.dark->isLoading();
    }
    return true;
}

void BatchExecutor::closeLineIfDone()
{
    if (!m_lineOpen || !workDone())
        return;
    if (m_wait.work == BatchWait::LoadI1 || m_wait.work == BatchWait::LoadI0) {
        const QString shortfall = m_c.series->loadShortfall(m_wait.work == BatchWait::LoadI1);
        if (!shortfall.isEmpty())
            reportFailure(shortfall);
    }
    // A scan that did not arrive whole has been cleared and reported.
    m_lineOpen = false;
    m_wait = BatchWait();
    if (!m_failures.isEmpty()) {
        if (m_cmd.isCommand() || m_cmd.isExtraCommand())
            m_c.batchCtrl->showCmdErr(m_cmd);
        emit commandFailed(m_failures.join(QStringLiteral("; ")));
        m_failures.clear();
    }
    emit lineFinished();
}

bool BatchExecutor::waitFor(BatchWait::Work work, bool started, const QString& refusal)
{
    // What was started may have ended within the call already; its
    // completion has then closed the line.
    if (!m_lineOpen)
        return false;
    if (!started) {
        reportFailure(refusal);
        return true;
    }
    m_wait.work = work;
    // Work that ended within the call has left its completion behind.
    return workDone();
}

void BatchExecutor::waitForScan(int i1Request, int i0Request)
{
    m_wait.work = BatchWait::ScanLoad;
    m_wait.request = i1Request;
    m_wait.request0 = i0Request;
}

void BatchExecutor::waitForLoad(bool i1, int request)
{
    m_wait.work = i1 ? BatchWait::LoadI1 : BatchWait::LoadI0;
    m_wait.request = request;
}
