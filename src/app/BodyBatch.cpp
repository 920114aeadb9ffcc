// Body: the batch window and its dispatcher thread, and the executor of the
// batch lines. Every command does what the matching control does, through
// the same slot; a line completes when what it started has ended, and a line
// that fails (a file that cannot be read or written, a run that cannot start,
// an unknown word) ends the run with a message naming it.
#include "Body.h"

#include "ui_Body.h"

#include "base/JobRunner.h"
#include "batch/BatchArgReader.h"
#include "batch/BatchDispatcher.h"
#include "batch/BatchFiles.h"
#include "batch/BatchKeywords.h"
#include "batchwindow/BatchCtrl.h"
#include "fileselect/EOFSetup.h"
#include "fileselect/SelectDataFiles.h"
#include "io/TiffData.h"
#include "StartupBatch.h"

#include <QDebug>
#include <QGuiApplication>
#include <QStatusBar>
#include <QThread>

using namespace BatchKeywords;

namespace {

// Ids of one family run from `first` to `last`.
bool inRange(int id, int first, int last)
{
    return id >= first && id <= last;
}

} // namespace

void Body::buildBatch()
{
    registerBatchMetaTypes();
    auto* thread = new QThread;
    thread->setObjectName(QStringLiteral("batch"));
    m_batchDispatcher = new BatchDispatcher;
    m_batchDispatcher->moveToThread(thread);
    startWorkerThread(thread);
    m_batchCtrl = new BatchCtrl;
    m_batchCtrl->setDispatcher(m_batchDispatcher);
    m_secondaryWindows.append(m_batchCtrl);
    connect(ui->BatchCtrlB, &QPushButton::clicked, m_batchCtrl, [this] {
        m_batchCtrl->show();
        m_batchCtrl->raise();
    });
    connect(m_batchDispatcher, &BatchDispatcher::execCmdSig, this, &Body::execCmdSlot);
    // Every finishBatchExec() passes the gate; the dispatcher hears one
    // completion per line.
    connect(this, &Body::finishBatchExec, this, &Body::batchCompletion, Qt::DirectConnection);
    connect(this, &Body::batchLineFinished, m_batchDispatcher, &BatchDispatcher::finishBatchExec);
    connect(this, &Body::batchCommandFailed, m_batchDispatcher, &BatchDispatcher::commandFailed);
    // A failed run is explained in the batch window: bring it up.
    if (!StartupBatch::isHeadlessPlatform(QGuiApplication::platformName()))
        connect(m_batchDispatcher, &BatchDispatcher::runFailed, m_batchCtrl, [this] {
            m_batchCtrl->show();
            m_batchCtrl->raise();
        });
}

void Body::reportFailure(const QString& message)
{
    qWarning().noquote() << message;
    m_lastFailure = message;
    statusBar()->showMessage(message);
    if (m_batchLineOpen)
        m_batchFailures << message;
}

void Body::logArgumentNotes(const QStringList& notes)
{
    for (const QString& n : notes) {
        const QString text = QStringLiteral("Note: line %1: %2").arg(QString::number(m_batchCmd.lineNo), n);
        qWarning().noquote() << text;
        m_batchCtrl->Log(text + QLatin1Char('\n'));
    }
}

void Body::execCmdSlot(CmdLine cmd, bool inRem)
{
    m_batchLineOpen = true;
    m_batchWait = BatchWait();
    m_batchCmd = cmd;
    m_batchFailures.clear();
    bool now = true;
    if (!inRem) {
        const int id = cmd.commandId();
        if (id == Quit) {
            // The program ends; nothing completes.
            emit finishing();
            return;
        }
        if (id != NoCommand) {
            if (inRange(id, ClearI1Files, SetFluoType))
                now = execSeriesCommand(id, cmd);
            else if (inRange(id, AnalyzerShowWindow, AnalyzerExecElems))
                now = execAnalyzerCommand(id, cmd);
            else if (inRange(id, CalibShowWindow, CalibSaveMap))
                now = execCalibCommand(id, cmd);
            else if (inRange(id, SaveDataCfgShowWindow, SaveDataCfgTextAsVals))
                now = execSaveCfgCommand(id, cmd);
            else if (id == SaveImage || id == SaveImageWNum || id == SaveAllImages || id == SaveData
                     || id == SaveDataAsTiff || id == SaveSpectra)
                now = execSaveCommand(id, cmd);
            else
                now = execViewCommand(id, cmd);
        } else if (cmd.isExtraCommand()) {
            now = execExtraCommand(cmd);
        } else if (!cmd.isDirective()) {
            m_batchCtrl->showCmdErr(cmd);
            // A line of blanks (or blanks and a comment) is reported, but it
            // fails nothing: only a word that means nothing does.
            if (!cmd.text.trimmed().isEmpty())
                m_batchFailures << QStringLiteral("unknown command \"%1\"").arg(cmd.cmd);
        }
    }
    if (now)
        emit finishBatchExec();
}

bool Body::batchWorkEnded() const
{
    switch (m_batchWait.work) {
    case BatchWait::None:
        return true;
    case BatchWait::LoadI1:
        return m_i1Book.finished >= m_batchWait.request;
    case BatchWait::LoadI0:
        return m_i0Book.finished >= m_batchWait.request;
    case BatchWait::Calibration:
        return !m_calibRunner->isRunning();
    case BatchWait::Alignment:
        return !m_alignRunner->isRunning();
    case BatchWait::Saving:
        return !m_saveRunner->isRunning();
    case BatchWait::LcfRun:
    case BatchWait::ElemsRun:
    case BatchWait::ResidualRun:
    case BatchWait::FourierRun:
        return !isRunning2D();
    }
    return true;
}

void Body::batchCompletion()
{
    if (!m_batchLineOpen || !batchWorkEnded())
        return;
    if (m_batchWait.work == BatchWait::LoadI1 || m_batchWait.work == BatchWait::LoadI0) {
        const bool i1 = m_batchWait.work == BatchWait::LoadI1;
        const SeriesLoadRequest& load = m_lastLoad[i1 ? 0 : 1];
        const ImageSeries& series = i1 ? m_i1 : m_i0;
        QStringList arrived;
        for (int i = load.before; i < series.size(); ++i)
            arrived << series.at(i)->fileName();
        const QString shortfall = BatchFiles::loadShortfall(load.expected, arrived);
        if (load.expected.isEmpty())
            reportFailure(QStringLiteral("No image to load: skip and cut leave no file"));
        else if (!shortfall.isEmpty())
            reportFailure(shortfall);
    }
    m_batchLineOpen = false;
    m_batchWait = BatchWait();
    if (!m_batchFailures.isEmpty()) {
        if (m_batchCmd.isCommand() || m_batchCmd.isExtraCommand())
            m_batchCtrl->showCmdErr(m_batchCmd);
        emit batchCommandFailed(m_batchFailures.join(QStringLiteral("; ")));
        m_batchFailures.clear();
    }
    emit batchLineFinished();
}

bool Body::waitFor(BatchWait::Work work, bool started, const QString& refusal)
{
    // What was started may have ended within the call already; its
    // completion has then closed the line.
    if (!m_batchLineOpen)
        return false;
    if (!started) {
        reportFailure(refusal);
        return true;
    }
    m_batchWait.work = work;
    // Work that ended within the call has left its completion behind.
    return batchWorkEnded();
}

bool Body::batchLoad(bool i1, const QStringList& files, bool newFile)
{
    if (files.isEmpty()) {
        reportFailure(QStringLiteral("No %1 files to load").arg(i1 ? QStringLiteral("I1") : QStringLiteral("I0")));
        return true;
    }
    if (i1)
        readI1Files(files, newFile);
    else
        readI0Files(files, newFile);
    m_batchWait.work = i1 ? BatchWait::LoadI1 : BatchWait::LoadI0;
    m_batchWait.request = m_lastLoad[i1 ? 0 : 1].request;
    return false;
}

bool Body::execSeriesCommand(int id, const CmdLine& cmd)
{
    BatchArgReader a(cmd);
    const bool newFile = cmd.arg(0).compare(QStringLiteral("NEW"), Qt::CaseInsensitive) == 0;
    bool now = true;
    switch (id) {
    case ClearI1Files:
        clearI1Files();
        break;
    case ClearI0Files:
        clearI0Files();
        break;
    case SetI1EnergyPattern:
        ui->SelectI1Files->setEngByNameRegExp(a.text(0));
        break;
    case SetI0EnergyPattern:
        ui->SelectI0Files->setEngByNameRegExp(a.text(0));
        break;
    case LoadI1Files:
    case LoadI0Files:
        now = batchLoad(id == LoadI1Files, a.from(1), newFile);
        break;
    case LoadI1FilesOfPattern:
    case LoadI0FilesOfPattern: {
        const QStringList files = BatchFiles::filesOfPattern(a.text(1), a.from(2));
        if (files.isEmpty()) {
            reportFailure(QStringLiteral("No file in \"%1\" matches %2")
                              .arg(a.text(1), a.from(2).join(QLatin1Char(' '))));
            break;
        }
        now = batchLoad(id == LoadI1FilesOfPattern, files, newFile);
        break;
    }
    case SetFluoType:
        ui->FluoType->setChecked(a.flag(0));
        break;
    default: {
        // The panel commands come in pairs: the even id names the I0 panel.
        SelectDataFiles* panel = id % 2 == 0 ? ui->SelectI0Files : ui->SelectI1Files;
        switch (id - id % 2) {
        case CutFI0: panel->setCutF(a.n(0)); break;
        case CutLI0: panel->setCutL(a.n(0)); break;
        case SkipI0: panel->setSkip(a.n(0)); break;
        case ShowLatestI0: panel->setShowLatest(a.flag(0)); break;
        case EngByNameI0: panel->setEngByName(true); break;
        case EngByNameRegExpI0: panel->setEngByNameRegExp(a.text(0)); break;
        case EngByNameFactorI0: panel->setEngByNameFactor(a.x(0)); break;
        case EngByCalcI0: panel->setEngByCalc(a.flag(0)); break;
        case EngCalcBaseI0: panel->setEngCalcStart(a.x(0)); break;
        case EngCalcDeltaI0: panel->setEngCalcDelta(a.x(0)); break;
        case EngCalcEndI0: panel->setEngCalcEnd(a.x(0)); break;
        case EngCalcNumI0: panel->setEngCalcNum(a.n(0)); break;
        case EngCalcEvenInEngI0: panel->setEvenInEng(a.flag(0)); break;
        case EngCalcEvenInDegI0: panel->setEvenInDeg(a.flag(0)); break;
        case EngCalcDispUnitI0: panel->setDispUnit(a.n(0)); break;
        case EngByRefI0: {
            const QString fname = a.text(0);
            panel->setEngByRef(fname);
            QVector<double> probe;
            if (!fname.isEmpty() && !EnergyOfFiles::readRefFile(fname, panel->eofSetup()->settings().d, probe))
                reportFailure(QStringLiteral("Can't read the reference energy file %1").arg(fname));
            break;
        }
        default: break;
        }
    }
    }
    logArgumentNotes(a.notes());
    return now;
}
