// Body: the 2D runs. Each run is a job on the run runner: its slices compute
// a band of grid rows off the GUI thread and record it into the maps here;
// the band hook shows the progress (and the images with "Disp. on Time"),
// and the end of the run renders the maps and tells the batch that the run
// is done.
#include "Body.h"

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
#include "controls/JobProgressBar.h"
#include "imageview/ImgDispA.h"

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

bool Body::isRunning2D() const
{
    return m_runRunner->isRunning();
}

AreaRunInput Body::runInput() const
{
    AreaRunInput in;
    in.i1 = m_i1.constImages();
    in.i0 = m_i0.constImages();
    const QRectF area = ui->dispA->hasSelection() ? ui->dispA->selectedArea()
                                                  : QRectF(0, 0, qMax(0, m_imageWidth), qMax(0, m_imageHeight));
    in.grid.setup(m_imageWidth, m_imageHeight, ui->HWidth->text().toInt(), ui->VWidth->text().toInt(), area, -1,
                  -1);
    in.fluorescence = ui->FluoType->isChecked();
    in.victoreen = targetVictoreen();
    in.shift = ShiftMapView::of(&m_shiftMap);
    in.mask.on = m_analyzer->maskEnabled();
    in.mask.threshold = m_analyzer->maskThreshold();
    if (m_analyzer->memoryBudgetBytes() > 0)
        in.budgetBytes = m_analyzer->memoryBudgetBytes();
    return in;
}

void Body::startLCF2DAnalysis()
{
    if (m_running2D) {
        stop2DAnalysis();
        return;
    }
    if (m_i1.isEmpty() || m_runRunner->isRunning())
        return;
    m_running2D = true;
    m_analyzer->setContAccess(true);
    m_analyzer->setProgress(0.0);
    const AreaRunInput in = runInput();
    logWithTime(QStringLiteral("2da 1:"));
    LcfRunSetup setup;
    setup.mlcf = m_analyzer->isMLCF();
    setup.references = m_analyzer->referenceSnapshots();
    const QVector<LCFReference*>& rows = m_analyzer->refs();
    for (int k = 0; k < 2; ++k)
        for (int j = 0; j < rows.size(); ++j)
            setUpMap(rows[j]->map(k < rows[j]->mapCount() ? k : 0), in.grid, j + k * rows.size(), &setup.maps.rows);
    setup.maps.rFactor = m_analyzer->rFactorMap();
    setup.maps.fractionSum = m_analyzer->fracSumMap();
    for (Analyzed2DRes* m : {setup.maps.rFactor, setup.maps.fractionSum})
        m->setup(in.grid);
    logWithTime(QStringLiteral("2da 2:"));
    auto job = std::make_shared<LcfRunJob>(in, setup);
    job->setBandHook([this](const RunBand& band) {
        if (band.newLineReached && m_analyzer->dispOnTime())
            generateResImages();
        m_analyzer->setProgress(band.percent);
    });
    m_runKind = RunKind::Lcf;
    m_runRunner->start(job);
}

void Body::stop2DAnalysis()
{
    m_runRunner->stop();
    m_running2D = false;
    m_analyzer->setContAccess(false);
    logWithTime(QStringLiteral("2da 4:"));
}

void Body::analyzeASpectrumFinished()
{
    generateResImages();
    redrawImage();
    m_running2D = false;
    m_analyzer->setContAccess(false);
    m_analyzer->setProgress(100.0);
    logWithTime(QStringLiteral("2da 3:"));
    emit finishBatchExec();
}

void Body::generateResImages()
{
    for (LCFReference* row : m_analyzer->refs())
        for (int k = 0; k < row->mapCount(); ++k)
            row->map(k)->genImg();
    for (Analyzed2DRes* m : {m_analyzer->rFactorMap(), m_analyzer->fracSumMap()})
        m->genImg();
    pickAnalyzerMap();
}

void Body::startElems2DAnalysis()
{
    if (m_running2D) {
        stopElems2DAnalysis();
        return;
    }
    if (m_i1.isEmpty() || m_runRunner->isRunning())
        return;
    m_running2D = true;
    m_analyzer->setContAccess(true);
    m_analyzer->setElemsProgress(0.0);
    const AreaRunInput in = runInput();
    ElementRunSetup setup;
    setup.rows = m_analyzer->elementSnapshots();
    setup.mainT = m_analyzer->mainTarget();
    setup.background = m_analyzer->backgroundValues();
    for (const ElemCtrl* row : m_analyzer->elems()) {
        setup.useInCorrelation.append(row->isUsed());
        setup.standardRatios.append(row->stdRatio());
    }
    setup.correlation = m_analyzer->correlation();
    setup.correlationThreshold = m_analyzer->correlationThreshold();
    const QVector<ElemCtrl*>& rows = m_analyzer->elems();
    for (int k = 0; k < 7; ++k)
        for (int j = 0; j < rows.size(); ++j)
            setUpMap(rows[j]->map(k), in.grid, j + k * rows.size(), &setup.maps);
    setUpMap(m_analyzer->corMap(), in.grid, 7 * rows.size(), &setup.maps);
    setUpMap(m_analyzer->corThMap(), in.grid, 7 * rows.size() + 1, &setup.maps);
    auto job = std::make_shared<ElementRunJob>(in, setup);
    job->setBandHook([this](const RunBand& band) {
        if (band.newLineReached && m_analyzer->elemsDispOnTime())
            generateElemsResImages();
        m_analyzer->setElemsProgress(band.percent);
    });
    m_runKind = RunKind::Elements;
    m_lastElementJob = job;
    m_runRunner->start(job);
}

void Body::stopElems2DAnalysis()
{
    m_runRunner->stop();
    m_running2D = false;
    m_analyzer->setContAccess(false);
}

void Body::analyzeElemsFinished()
{
    if (const ElementRunJob* job = m_lastElementJob.get()) {
        if (job->hasLastResult())
            m_analyzer->showElementResult(job->lastResult());
        m_analyzer->setCorrelation(job->correlation());
    }
    m_lastElementJob.reset();
    generateElemsResImages();
    redrawImage();
    m_running2D = false;
    m_analyzer->setContAccess(false);
    m_analyzer->setElemsProgress(100.0);
    emit finishBatchExec();
}

void Body::generateElemsResImages()
{
    for (ElemCtrl* row : m_analyzer->elems())
        for (int k = 0; k < row->mapCount(); ++k)
            row->map(k)->genImg();
    m_analyzer->corMap()->genImg();
    m_analyzer->corThMap()->genImg();
    pickAnalyzerMap();
}

void Body::startRA2DAnalysis()
{
    if (m_i1.isEmpty() || m_runRunner->isRunning())
        return;
    const AreaRunInput in = runInput();
    ResidualRunSetup setup;
    setup.energy = m_analyzer->raEnergy();
    setup.factor = m_analyzer->raFactor();
    setup.dmut = m_analyzer->a2dDMut();
    setup.rest = m_analyzer->a2dRest();
    for (Analyzed2DRes* m : {m_analyzer->a2dDMut(), m_analyzer->a2dRest(), m_analyzer->a2dRati()}) {
        m->setup(in.grid);
        m->setNo(-1);
    }
    m_running2D = true;
    m_runKind = RunKind::Residual;
    m_runRunner->start(std::make_shared<ResidualRunJob>(in, setup));
}

void Body::generateRAResImage()
{
    ResidualRunJob::computeRatio(*m_analyzer->a2dDMut(), *m_analyzer->a2dRest(), m_analyzer->a2dRati());
    for (Analyzed2DRes* m : {m_analyzer->a2dDMut(), m_analyzer->a2dRest(), m_analyzer->a2dRati()})
        m->genImg();
    pickAnalyzerMap();
}

void Body::execFourierA()
{
    if (m_i1.isEmpty() || m_runRunner->isRunning())
        return;
    logWithTime(QStringLiteral("2da FA 1:"));
    m_running2D = true;
    m_runKind = RunKind::Fourier;
    m_runRunner->start(std::make_shared<FourierAnalysisJob>(runInput()));
}

void Body::endRun(bool stopped)
{
    const RunKind kind = m_runKind;
    m_runKind = RunKind::None;
    if (stopped) {
        m_lastElementJob.reset();
        m_running2D = false;
        m_analyzer->setContAccess(false);
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
        redrawImage();
        emit finishBatchExec();
        break;
    case RunKind::Fourier:
        m_running2D = false;
        emit finishBatchExec();
        break;
    case RunKind::None:
        break;
    }
}
