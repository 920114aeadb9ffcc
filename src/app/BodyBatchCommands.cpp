// Body: the batch commands of the main window's view, of saving, of the
// calibration window and of the save configuration, and the extra words
// (alignment of the series, the calibration rule).
#include "Body.h"

#include "ui_Body.h"

#include "analyzer/Analyzer.h"
#include "analyzer/LCFReference.h"
#include "batch/BatchArgReader.h"
#include "batch/BatchArgs.h"
#include "batch/BatchKeywords.h"
#include "calibration/CalibCtrl.h"
#include "imageproc/ImgProc.h"
#include "imageview/ImgDispA.h"
#include "io/TiffData.h"
#include "processing/ImageAlignment.h"
#include "savedialog/SaveDataCfg.h"
#include "spectrumview/XafsView.h"

#include <QButtonGroup>
#include <QDebug>
#include <QRadioButton>

using namespace BatchKeywords;

bool Body::execViewCommand(int id, const CmdLine& cmd)
{
    BatchArgReader a(cmd);
    switch (id) {
    case SetBandW:
        ui->HWidth->setText(BatchArgs::fieldText(a.n(0)));
        break;
    case SetBandH:
        ui->VWidth->setText(BatchArgs::fieldText(a.n(0)));
        break;
    case SelectDispImage:
        if (QAbstractButton* b = m_imageSelect->button(a.n(0)))
            b->setChecked(true);
        break;
    case SeekImage:
        seekImage(a.n(0));
        break;
    case MovePosition: {
        const int x = a.n(0);
        const int y = a.n(1);
        ui->dispA->setRealMousePos(x, y);
        break;
    }
    case SelectRegion: {
        const int x1 = a.n(0), y1 = a.n(1), x2 = a.n(2), y2 = a.n(3);
        ui->dispA->setSelectedArea(x1, y1, x2, y2);
        break;
    }
    case ScaleReset:
        ui->dispA->resetImageViewWindow();
        break;
    case ZoomIn:
        ui->dispA->setViewWAsSelectedArea();
        break;
    case XafsViewNormalize:
        m_xafsView->setNormalize(a.flag(0));
        break;
    case XafsViewEnergyCorrection:
        m_xafsView->setEnergyCorrection(a.flag(0));
        break;
    default:
        break;
    }
    logArgumentNotes(a.notes());
    return true;
}

bool Body::execSaveCommand(int id, const CmdLine& cmd)
{
    const QString fname = cmd.arg(0);
    switch (id) {
    case SaveImage:
        saveImage(fname);
        break;
    case SaveImageWNum:
        saveImageWNum(fname, cmd.arg(1));
        break;
    case SaveAllImages:
        saveAllImages(fname);
        break;
    case SaveData:
        saveData(fname);
        break;
    case SaveDataAsTiff:
        saveDataAsTiff(fname, shownReferenceRow());
        break;
    case SaveSpectra:
        if (m_xafsView->saveData(fname).isEmpty())
            reportFailure(QStringLiteral("Can't save the spectra of the spectrum view as %1").arg(fname));
        break;
    default:
        break;
    }
    // Spectra files and large text maps are written by the save runner.
    return isSaving() ? waitFor(BatchWait::Saving, true, QString()) : true;
}

bool Body::execCalibCommand(int id, const CmdLine& cmd)
{
    switch (id) {
    case CalibShowWindow:
        m_calib->show();
        break;
    case CalibLoadStd:
        m_calib->loadStd(cmd.arg(0));
        if (!m_calib->standard())
            reportFailure(QStringLiteral("Can't read the standard %1").arg(cmd.arg(0)));
        break;
    case CalibSetEdgeEV:
        m_calib->setEdgeEV(cmd.arg(0));
        break;
    case CalibExec: {
        const bool busy = isCalibrating();
        if (!busy)
            execCalibration();
        return waitFor(BatchWait::Calibration, !busy && isCalibrating(),
                       busy ? QStringLiteral("The calibration can't start: one is running")
                            : QStringLiteral("The calibration can't start: no I1 images are loaded"));
    }
    case CalibLoadMap:
        loadEMap(cmd.arg(0));
        break;
    case CalibClearMap:
        clearShiftMap();
        break;
    case CalibSaveMap:
        saveEMap(cmd.arg(0));
        break;
    default:
        break;
    }
    return true;
}

bool Body::execSaveCfgCommand(int id, const CmdLine& cmd)
{
    BatchArgReader a(cmd);
    SaveDataCfg* cfg = m_saveDataCfg;
    switch (id) {
    case SaveDataCfgShowWindow: cfg->show(); break;
    case SaveDataCfgSaveAsTiff:
        qDebug() << "setting save as tiff";
        cfg->setSaveAsTiff();
        break;
    case SaveDataCfgSaveAsText:
        qDebug() << "setting save as text";
        cfg->setSaveAsText();
        break;
    case SaveDataCfgTiffFixScale: cfg->setSaveTiffScaleFixed(a.flag(0)); break;
    case SaveDataCfgTiffScaleMin: cfg->setSaveTiffScaleMin(a.x(0)); break;
    case SaveDataCfgTiffScaleMax: cfg->setSaveTiffScaleMax(a.x(0)); break;
    case SaveDataCfgTiffAsAnalyzed: cfg->setSaveTiffAsAnalyzed(a.flag(0)); break;
    case SaveDataCfgTextAsCsv: cfg->setSaveTextAsCSV(); break;
    case SaveDataCfgTextAsSsv: cfg->setSaveTextAsSSV(); break;
    case SaveDataCfgTextAsXyz: cfg->setSaveTextAsXYVal(); break;
    case SaveDataCfgTextAsVals: cfg->setSaveTextAsValValVal(); break;
    default: break;
    }
    logArgumentNotes(a.notes());
    return true;
}

bool Body::execExtraCommand(const CmdLine& cmd)
{
    BatchArgReader a(cmd);
    bool now = true;
    switch (cmd.extraCommandId()) {
    case AlignSeries: {
        const int refImage = cmd.args.size() > 0 ? a.n(0) : 0;
        const double share = cmd.args.size() > 1 ? a.x(1) : 0.4;
        TiffData* reference = m_i1.at(refImage);
        if (!reference) {
            reportFailure(QStringLiteral("Can't align: the I1 series has no image %1").arg(refImage));
            break;
        }
        if (isAligning()) {
            reportFailure(QStringLiteral("Can't align: an alignment is running"));
            break;
        }
        // The threshold is a share of the strongest edge inside the image
        // (the border ring is the image's edge against the zeros outside).
        ProcImage edges = ImageAlignment::edgeImage(*reference);
        ImageAlignment::clearBorder(&edges);
        if (!m_imgProc->setReferenceOf(reference, share * edges.maximum)) {
            reportFailure(QStringLiteral("Can't align: image %1 has no edge above the threshold").arg(refImage));
            break;
        }
        alignSeries();
        now = waitFor(BatchWait::Alignment, isAligning(), QStringLiteral("The alignment can't start"));
        break;
    }
    case CalibSetRule:
        m_calib->setRule(a.n(0));
        break;
    default:
        break;
    }
    logArgumentNotes(a.notes());
    return now;
}

int Body::shownReferenceRow() const
{
    const QVector<LCFReference*>& rows = m_analyzer->refs();
    for (int i = 0; i < rows.size(); ++i)
        if (rows.at(i)->showButton()->isChecked())
            return i;
    return 0;
}
