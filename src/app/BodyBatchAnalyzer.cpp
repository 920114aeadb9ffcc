// Body: the batch commands of the analyzer window (reference rows, scales,
// element rows and their background values) and the 2D runs they start.
#include "Body.h"

#include "ui_Body.h"

#include "analyzer/AElemsConds.h"
#include "analyzer/Analyzer.h"
#include "analyzer/LCFReference.h"
#include "batch/BatchArgReader.h"
#include "batch/BatchKeywords.h"
#include "batchwindow/BatchCtrl.h"
#include "spectrumview/XafsFileSelect.h"

#include <QDebug>

using namespace BatchKeywords;

namespace {

// Element rows are named in the commands; a name no row has changes nothing.
void noElementRow(const QString& command, const QString& name)
{
    qDebug().noquote() << QStringLiteral("%1: no element row is named \"%2\"").arg(command, name);
}

} // namespace

bool Body::execAnalyzerCommand(int id, const CmdLine& cmd)
{
    BatchArgReader a(cmd);
    Analyzer* an = m_analyzer;
    bool now = true;
    switch (id) {
    case AnalyzerShowWindow: an->show(); break;
    case AnalyzerSetLCFStd: {
        const int row = a.n(0);
        const bool use = a.flag(1);
        const double dE = a.x(2);
        const QString fname = a.text(3);
        an->setLCFStd(row, use, dE, fname, a.text(4));
        if (row < 0 || row >= an->refs().size()) {
            reportFailure(QStringLiteral("There is no reference row %1").arg(row));
        } else if (!fname.isEmpty()) {
            const XafsFileSelect* chooser = an->refs().at(row)->fileSelect();
            if (!chooser->isFileChosen() || chooser->fileName() != fname)
                reportFailure(QStringLiteral("Can't read the reference %1").arg(fname));
        }
        break;
    }
    case AnalyzerSetLCFMode: an->setLCFMode(a.flag(0) ? 1 : 0); break;
    case AnalyzerSelectImage: an->selectImage(a.n(0)); break;
    case AnalyzerSelectImageType: an->selectLCFImageKind(a.n(0)); break;
    case AnalyzerSetRaEnergy: an->setRaEnergy(a.x(0)); break;
    case AnalyzerSetRaFactor: an->setRaFactor(a.x(0)); break;
    case AnalyzerSetFixedScale: an->setFixedScale(a.flag(0)); break;
    case AnalyzerSetScaleMax: {
        const double v = a.x(0);
        an->setDMutScaleMax(v);
        an->setRatioScaleMax(v);
        break;
    }
    case AnalyzerSetScaleMin: {
        const double v = a.x(0);
        an->setDMutScaleMin(v);
        an->setRatioScaleMin(v);
        break;
    }
    case AnalyzerSetDMutScaleMax: an->setDMutScaleMax(a.x(0)); break;
    case AnalyzerSetDMutScaleMin: an->setDMutScaleMin(a.x(0)); break;
    case AnalyzerSetRatioScaleMax: an->setRatioScaleMax(a.x(0)); break;
    case AnalyzerSetRatioScaleMin: an->setRatioScaleMin(a.x(0)); break;
    case AnalyzerViewNormalize: an->setNormalize(a.flag(0)); break;
    case AnalyzerViewEnergyCorrection: an->setEnergyCorrection(a.flag(0)); break;
    case AnalyzerTargetElements: an->setTargetElements(a.text(0)); break;
    case AnalyzerSelectAnalysisMode: an->selectAnalysisMode(a.n(0)); break;
    case AnalyzerElemsSelectTarget:
        if (!an->selectElemTarget(a.text(0)))
            noElementRow(cmd.cmd, a.text(0));
        showResAnalysis(true);
        break;
    case AnalyzerElemsSelectShow:
        if (!an->selectElemShow(a.text(0)))
            noElementRow(cmd.cmd, a.text(0));
        showResAnalysis(true);
        break;
    case AnalyzerElemsSetDeVs: an->setElemsPrePostDE(a.x(0)); break;
    case AnalyzerElemsSetCorrTh: an->setCorThreshold(a.x(0)); break;
    case AnalyzerElemsSelectDispMode: an->selectElemImageType(a.n(0)); break;
    case AnalyzerElemsSetUse:
        if (!an->setElemUse(a.text(0), a.flag(1)))
            noElementRow(cmd.cmd, a.text(0));
        break;
    case AnalyzerElemsSortByAn: an->setSortByANo(a.flag(0)); break;
    case AnalyzerElemsRoi: {
        const double start = a.x(1);
        const double end = a.x(2);
        if (!an->setElemROI(a.text(0), start, end))
            noElementRow(cmd.cmd, a.text(0));
        break;
    }
    case AnalyzerElemsThDMut:
        if (!an->setElemThDMut(a.text(0), a.x(1)))
            noElementRow(cmd.cmd, a.text(0));
        break;
    case AnalyzerElemsNoNeg:
        if (!an->setElemNoNeg(a.text(0), a.flag(1)))
            noElementRow(cmd.cmd, a.text(0));
        break;
    // The background values take the second argument; the first is not read.
    case AnalyzerElemsBgDMut: an->elemsConds()->setDMut(a.x(1)); break;
    case AnalyzerElemsBgDMutR: an->elemsConds()->setDMutRatio(a.x(1)); break;
    case AnalyzerElemsBgDE: an->elemsConds()->setDE(a.x(1)); break;
    case AnalyzerElemsBgROI: an->elemsConds()->setROI(a.x(1)); break;
    case AnalyzerElemsBgNROI: an->elemsConds()->setNROI(a.x(1)); break;
    case AnalyzerExecLCF:
    case AnalyzerExecElems:
    case AnalyzerExecRa:
        now = startBatchRun(id);
        break;
    default:
        break;
    }
    logArgumentNotes(a.notes());
    return now;
}

bool Body::startBatchRun(int id)
{
    const QString run = id == AnalyzerExecLCF ? QStringLiteral("LCF")
                        : id == AnalyzerExecElems ? QStringLiteral("element") : QStringLiteral("residual");
    if (m_i1.isEmpty()) {
        reportFailure(QStringLiteral("The %1 run can't start: no I1 images are loaded").arg(run));
        return true;
    }
    // Pressing Analyze during a run stops it: a script does not.
    if (m_running2D || isRunning2D()) {
        reportFailure(QStringLiteral("The %1 run can't start: a run is in progress").arg(run));
        return true;
    }
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
    return waitFor(work, isRunning2D(), QStringLiteral("The %1 run can't start").arg(run));
}
