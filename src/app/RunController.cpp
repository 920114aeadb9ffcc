#include "RunController.h"

#include "ui_Body.h"

#include "analysis/ElementRunJob.h"
#include "analysis/FourierAnalysisJob.h"
#include "analysis/LcfRunJob.h"
#include "analysis/ResidualRunJob.h"
#include "analyzer/Analyzer.h"
#include "analyzer/ElemCtrl.h"
#include "analyzer/LCFReference.h"
#include "base/JobRunner.h"
#include "base/Log.h"
#include "batch/BatchKeywords.h"
#include "BatchExecutor.h"
#include "CalibrationController.h"
#include "CommandTable.h"
#include "controls/JobProgressBar.h"
#include "imageview/ImgDispA.h"
#include "ResultMapController.h"
#include "SeriesController.h"

using namespace BatchKeywords;

namespace {

// Sets the maps of a run up with its grid and numbers them as the list is built.
void setUpMap(Analyzed2DRes* map, const ScanGrid& grid, int no, QVector<Analyzed2DRes*>* list)
{
    if (map) {
        map->setup(grid);
        map->setNo(no);
    }
    list->append(map);
}

} // namespace

RunController::RunController(BodyContext& c)
    : m_c(c)
{
    Analyzer* analyzer = m_c.analyzer;
    m_runner = new JobRunner(this);
    analyzer->runProgress()->attach(m_runner);
    // The runs' own bar; the edge maps, PCA and clusters have theirs.
    analyzer->runProgress()->setRunFilter([this] { return m_runKind != RunKind::Other; });
    connect(m_runner, &JobRunner::finished, this, &RunController::runnerFinished);
    // The runs are driven by their jobs: the analyzer's per-spectrum answers
    // (finished, analyzeElemsFinished) belong to the live analysis only.
    connect(analyzer, &Analyzer::askAnalyze, this, &RunController::startLCF2DAnalysis);
    connect(analyzer, &Analyzer::askAnalyzeElems, this, &RunController::startElems2DAnalysis);
    connect(analyzer, &Analyzer::askRAAnalyze, this, &RunController::startRA2DAnalysis);
    connect(m_c.ui->ExecFourierA, &QPushButton::clicked, this, &RunController::execFourierA);
    addCommands(m_c.batch->table());
}

bool RunController::isRunning() const
{
    return m_runner->isRunning();
}

void RunController::stopAndWait()
{
    m_runner->stopAndWait();
}

AreaRunInput RunController::runInput() const
{
    const Ui::Body* ui = m_c.ui;
    const Analyzer* analyzer = m_c.analyzer;
    const int width = m_c.series->imageWidth();
    const int height = m_c.series->imageHeight();
    AreaRunInput in;
    in.i1 = m_c.series->i1().constImages();
    in.i0 = m_c.series->i0().constImages();
    const QRectF area = ui->dispA->hasSelection() ? ui->dispA->selectedArea()
                                                  : QRectF(0, 0, qMax(0, width), qMax(0, height));
    in.grid.setup(width, height, ui->HWidth->text().toInt(), ui->VWidth->text().toInt(), area, -1, -1);
    in.fluorescence = ui->FluoType->isChecked();
    in.victoreen = m_c.calibration->targetVictoreen();
    in.shift = ShiftMapView::of(&m_c.calibration->shiftMap());
    in.mask.on = analyzer->maskEnabled();
    in.mask.threshold = analyzer->maskThreshold();
    if (analyzer->memoryBudgetBytes() > 0)
        in.budgetBytes = analyzer->memoryBudgetBytes();
    return in;
}

bool RunController::startOtherJob(std::shared_ptr<SlicedJob> job, std::function<void(bool)> ended)
{
    if (m_runner->isRunning())
        return false;
    m_runKind = RunKind::Other;
    m_otherEnded = std::move(ended);
    m_runner->start(std::move(job));
    return true;
}

void RunController::startLCF2DAnalysis()
{
    if (m_running2D) {
        stop2DAnalysis();
        return;
    }
    if (m_c.series->i1().isEmpty() || m_runner->isRunning() || refuseRun(RunKind::Lcf, QStringLiteral("LCF")))
        return;
    Analyzer* an = m_c.analyzer;
    m_running2D = true;
    an->setContAccess(true);
    an->setProgress(0.0);
    const AreaRunInput in = runInput();
    logWithTime(QStringLiteral("2da 1:"));
    LcfRunSetup setup;
    setup.mlcf = an->isMLCF();
    setup.nonNegative = an->nonNegative();
    setup.references = an->referenceSnapshots();
    const QVector<LCFReference*>& rows = an->refs();
    // Rows the run does not use get their maps only when someone asks for them.
    for (int j = 0; j < rows.size(); ++j) {
        if (j < setup.references.size() && setup.references[j].isUsed())
            rows[j]->keepMaps();
        else
            rows[j]->oweMaps(in.grid);
    }
    for (int k = 0; k < 2; ++k)
        for (int j = 0; j < rows.size(); ++j) {
            Analyzed2DRes* map = rows[j]->keptMap(k < rows[j]->mapCount() ? k : 0);
            if (!rows[j]->mapsOwed()) {
                setUpMap(map, in.grid, j + k * rows.size(), &setup.maps.rows);
            } else {
                map->setNo(j + k * rows.size());
                setup.maps.rows.append(nullptr);
            }
        }
    setup.maps.rFactor = an->rFactorMap();
    setup.maps.fractionSum = an->fracSumMap();
    for (Analyzed2DRes* m : {setup.maps.rFactor, setup.maps.fractionSum})
        m->setup(in.grid);
    logWithTime(QStringLiteral("2da 2:"));
    auto job = std::make_shared<LcfRunJob>(in, setup);
    job->setBandHook([this](const RunBand& band) {
        if (band.newLineReached && m_c.analyzer->dispOnTime())
            generateResImages();
        m_c.analyzer->setProgress(band.percent);
    });
    m_runKind = RunKind::Lcf;
    m_runner->start(job);
    an->showRunState(0, m_runner->isRunning());
}

void RunController::stop2DAnalysis()
{
    m_runner->stop();
    m_running2D = false;
    m_c.analyzer->setContAccess(false);
    logWithTime(QStringLiteral("2da 4:"));
}

void RunController::analyzeASpectrumFinished()
{
    generateResImages();
    m_c.ui->dispA->update();
    m_running2D = false;
    m_c.analyzer->setContAccess(false);
    m_c.analyzer->setProgress(100.0);
    logWithTime(QStringLiteral("2da 3:"));
    emit workEnded();
}

void RunController::generateResImages()
{
    for (LCFReference* row : m_c.analyzer->refs()) {
        row->markOwedPictures();
        if (!row->mapsOwed())
            for (int k = 0; k < row->mapCount(); ++k)
                row->keptMap(k)->genImg();
    }
    for (Analyzed2DRes* m : {m_c.analyzer->rFactorMap(), m_c.analyzer->fracSumMap()})
        m->genImg();
    m_c.maps->pickAnalyzerMap();
}

void RunController::startElems2DAnalysis()
{
    if (m_running2D) {
        stopElems2DAnalysis();
        return;
    }
    if (m_c.series->i1().isEmpty() || m_runner->isRunning()
        || refuseRun(RunKind::Elements, QStringLiteral("element")))
        return;
    Analyzer* an = m_c.analyzer;
    m_running2D = true;
    an->setContAccess(true);
    an->setElemsProgress(0.0);
    const AreaRunInput in = runInput();
    ElementRunSetup setup;
    setup.rows = an->elementSnapshots();
    setup.mainT = an->mainTarget();
    setup.background = an->backgroundValues();
    for (const ElemCtrl* row : an->elems()) {
        setup.useInCorrelation.append(row->isUsed());
        setup.standardRatios.append(row->stdRatio());
    }
    setup.correlation = an->correlation();
    setup.correlationThreshold = an->correlationThreshold();
    const QVector<ElemCtrl*>& rows = an->elems();
    for (int k = 0; k < 7; ++k)
        for (int j = 0; j < rows.size(); ++j)
            setUpMap(rows[j]->map(k), in.grid, j + k * rows.size(), &setup.maps);
    setUpMap(an->corMap(), in.grid, 7 * rows.size(), &setup.maps);
    setUpMap(an->corThMap(), in.grid, 7 * rows.size() + 1, &setup.maps);
    auto job = std::make_shared<ElementRunJob>(in, setup);
    job->setBandHook([this](const RunBand& band) {
        if (band.newLineReached && m_c.analyzer->elemsDispOnTime())
            generateElemsResImages();
        m_c.analyzer->setElemsProgress(band.percent);
    });
    m_runKind = RunKind::Elements;
    m_lastElementJob = job;
    m_runner->start(job);
    an->showRunState(2, m_runner->isRunning());
}

void RunController::stopElems2DAnalysis()
{
    m_runner->stop();
    m_running2D = false;
    m_c.analyzer->setContAccess(false);
}

void RunController::analyzeElemsFinished()
{
    Analyzer* an = m_c.analyzer;
    if (const ElementRunJob* job = m_lastElementJob.get()) {
        if (job->hasLastResult())
            an->showElementResult(job->lastResult());
        an->setCorrelation(job->correlation());
    }
    m_lastElementJob.reset();
    generateElemsResImages();
    m_c.ui->dispA->update();
    m_running2D = false;
    an->setContAccess(false);
    an->setElemsProgress(100.0);
    emit workEnded();
}

void RunController::generateElemsResImages()
{
    for (ElemCtrl* row : m_c.analyzer->elems())
        for (int k = 0; k < row->mapCount(); ++k)
            row->map(k)->genImg();
    m_c.analyzer->corMap()->genImg();
    m_c.analyzer->corThMap()->genImg();
    m_c.maps->pickAnalyzerMap();
}

void RunController::startRA2DAnalysis()
{
    if (m_c.series->i1().isEmpty() || m_runner->isRunning()
        || refuseRun(RunKind::Residual, QStringLiteral("residual")))
        return;
    Analyzer* an = m_c.analyzer;
    const AreaRunInput in = runInput();
    ResidualRunSetup setup;
    setup.energy = an->raEnergy();
    setup.factor = an->raFactor();
    setup.dmut = an->a2dDMut();
    setup.rest = an->a2dRest();
    for (Analyzed2DRes* m : {an->a2dDMut(), an->a2dRest(), an->a2dRati()}) {
        m->setup(in.grid);
        m->setNo(-1);
    }
    m_running2D = true;
    m_runKind = RunKind::Residual;
    m_runner->start(std::make_shared<ResidualRunJob>(in, setup));
}

void RunController::generateRAResImage()
{
    Analyzer* an = m_c.analyzer;
    ResidualRunJob::computeRatio(*an->a2dDMut(), *an->a2dRest(), an->a2dRati());
    for (Analyzed2DRes* m : {an->a2dDMut(), an->a2dRest(), an->a2dRati()})
        m->genImg();
    m_c.maps->pickAnalyzerMap();
}

void RunController::execFourierA()
{
    if (m_c.series->i1().isEmpty() || m_runner->isRunning()
        || refuseRun(RunKind::Fourier, QStringLiteral("Fourier")))
        return;
    logWithTime(QStringLiteral("2da FA 1:"));
    m_running2D = true;
    m_runKind = RunKind::Fourier;
    m_runner->start(std::make_shared<FourierAnalysisJob>(runInput()));
}

void RunController::runnerFinished(bool stopped)
{
    // A run that could not do its work (no memory for its block values)
    // fails its line, before its end closes the line.
    const QString failure = m_runner->lastFailure();
    if (!failure.isEmpty())
        m_c.batch->reportFailure(QStringLiteral("The analysis run failed: %1").arg(failure));
    endRun(stopped);
    // A stopped run ends nothing by itself; a script waiting for it must not
    // wait forever.
    const BatchWait::Work w = m_c.batch->waitsFor();
    if (stopped && (w == BatchWait::LcfRun || w == BatchWait::ElemsRun || w == BatchWait::ResidualRun
                    || w == BatchWait::FourierRun)) {
        if (failure.isEmpty())
            m_c.batch->reportFailure(QStringLiteral("The analysis run was stopped"));
        emit workEnded();
    }
}

QString RunController::refusal(RunKind kind) const
{
    const QString area = AreaRunJob::refusal(runInput());
    if (!area.isEmpty() || kind != RunKind::Lcf)
        return area;
    LcfRunSetup setup;
    setup.references = m_c.analyzer->referenceSnapshots();
    return LcfRunJob::refusal(setup);
}

bool RunController::refuseRun(RunKind kind, const QString& run)
{
    const QString why = refusal(kind);
    if (why.isEmpty())
        return false;
    m_c.batch->reportFailure(QStringLiteral("The %1 run can't start: %2").arg(run, why));
    return true;
}

void RunController::endRun(bool stopped)
{
    const RunKind kind = m_runKind;
    m_runKind = RunKind::None;
    Analyzer* an = m_c.analyzer;
    an->showRunState(0, false);
    an->showRunState(2, false);
    if (kind == RunKind::Other) {
        const std::function<void(bool)> ended = std::move(m_otherEnded);
        m_otherEnded = nullptr;
        if (ended)
            ended(stopped);
        return;
    }
    if (stopped) {
        m_lastElementJob.reset();
        m_running2D = false;
        an->setContAccess(false);
        // The percentage starts again from nothing; the run's line says where it stopped.
        if (kind == RunKind::Lcf)
            an->setProgress(0.0);
        else if (kind == RunKind::Elements)
            an->setElemsProgress(0.0);
        return;
    }
    switch (kind) {
    case RunKind::Lcf:
        analyzeASpectrumFinished();
        break;
    case RunKind::Elements:
        analyzeElemsFinished();
        break;
    case RunKind::Residual:
        m_running2D = false;
        generateRAResImage();
        m_c.ui->dispA->update();
        emit workEnded();
        break;
    case RunKind::Fourier:
        m_running2D = false;
        emit workEnded();
        break;
    case RunKind::None:
    case RunKind::Other:
        break;
    }
}

void RunController::addCommands(CommandTable& t)
{
    for (int id : {AnalyzerExecLCF, AnalyzerExecElems, AnalyzerExecRa})
        t.addLong(id, [this, id](const CmdLine&, BatchArgReader&) { return startBatchRun(id); });
}

bool RunController::startBatchRun(int id)
{
    const QString run = id == AnalyzerExecLCF     ? QStringLiteral("LCF")
                        : id == AnalyzerExecElems ? QStringLiteral("element")
                                                  : QStringLiteral("residual");
    if (m_c.series->i1().isEmpty()) {
        m_c.batch->reportFailure(QStringLiteral("The %1 run can't start: no I1 images are loaded").arg(run));
        return true;
    }
    // Pressing Analyze during a run stops it: a script does not.
    if (m_running2D || isRunning()) {
        m_c.batch->reportFailure(QStringLiteral("The %1 run can't start: a run is in progress").arg(run));
        return true;
    }
    const RunKind kind = id == AnalyzerExecLCF     ? RunKind::Lcf
                         : id == AnalyzerExecElems ? RunKind::Elements
                                                   : RunKind::Residual;
    if (refuseRun(kind, run))
        return true;
    BatchWait::Work work = BatchWait::LcfRun;
    if (id == AnalyzerExecLCF) {
        startLCF2DAnalysis();
    } else if (id == AnalyzerExecElems) {
        work = BatchWait::ElemsRun;
        startElems2DAnalysis();
    } else {
        work = BatchWait::ResidualRun;
        startRA2DAnalysis();
    }
    return m_c.batch->waitFor(work, isRunning(), QStringLiteral("The %1 run can't start").arg(run));
}
