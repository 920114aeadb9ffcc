// Body: the calibration against a standard, the energy-shift map and its
// files, and the image processor's alignment of the I1 images.
#include "Body.h"

#include "ui_Body.h"

#include "base/JobRunner.h"
#include "base/Log.h"
#include "calibration/CalibCtrl.h"
#include "controls/JobProgressBar.h"
#include "fileselect/SelectDataFiles.h"
#include "imageproc/ImgProc.h"
#include "imageview/ImgDispA.h"
#include "io/TiffData.h"
#include "output/SaveProvenance.h"
#include "processing/CalibrationJob.h"
#include "processing/EdgeCalibration.h"
#include "processing/EMPHeader.h"
#include "processing/EnergyMapFile.h"
#include "processing/SeriesAlignJob.h"
#include "spectrumview/XafsView.h"

#include <QTextStream>

void Body::buildCalibration()
{
    registerEMPHeaderMetaType();
    m_calib = new CalibCtrl;
    m_secondaryWindows.append(m_calib);
    m_calibRunner = new JobRunner(this);
    m_calib->progressBar()->attach(m_calibRunner);
    connect(ui->OpenCalibCtrl, &QPushButton::clicked, m_calib, &QWidget::show);
    connect(m_calib, &CalibCtrl::newStdFileLoaded, this, &Body::newStdFile);
    connect(m_calib, &CalibCtrl::execCalibration, this, &Body::execCalibration);
    connect(m_calib, &CalibCtrl::saveEMap, this, &Body::saveEMap);
    connect(m_calib, &CalibCtrl::loadEMap, this, &Body::loadEMap);
    connect(m_calib, &CalibCtrl::clearMap, this, &Body::clearShiftMap);
    connect(ui->ShowShiftMap, &QRadioButton::toggled, this, &Body::showShiftMap);
    connect(ui->NormalizeEShift, &QPushButton::clicked, this, &Body::normalizeEShift);
}

void Body::buildImageProcessor()
{
    m_imgProc = new ImgProc;
    m_secondaryWindows.append(m_imgProc);
    m_alignRunner = new JobRunner(this);
    m_imgProc->progressBar()->attach(m_alignRunner);
    connect(ui->ShowImgProc, &QPushButton::clicked, m_imgProc, &QWidget::show);
    connect(m_imgProc, &ImgProc::askGiveData, this, &Body::giveProcData);
    connect(m_imgProc, &ImgProc::imgShift, this, &Body::setImgShift);
    connect(m_imgProc, &ImgProc::askClearAllShifts, this, &Body::clearAllShifts);
    connect(m_imgProc, &ImgProc::askAlignSeries, this, &Body::alignSeries);
}

bool Body::isCalibrating() const
{
    return m_calibRunner->isRunning();
}

bool Body::isAligning() const
{
    return m_alignRunner->isRunning();
}

bool Body::targetVictoreen() const
{
    return m_calib && m_calib->targetVictoreen();
}

QRectF Body::workArea() const
{
    return ui->dispA->hasSelection() ? ui->dispA->selectedArea() : ui->dispA->viewWindow().rect();
}

void Body::redrawImage()
{
    ui->dispA->update();
}

void Body::stopSeriesWork()
{
    m_calibRunner->stopAndWait();
    m_alignRunner->stopAndWait();
    m_runRunner->stopAndWait();
    m_saveRunner->stopAndWait();
}

void Body::newStdFile()
{
    const XafsSpectrum* standard = m_calib->standard();
    if (!standard)
        return;
    m_standard = *standard;
    m_hasStandard = true;
    m_xafsView->setStandard(m_standard);
    m_xafsView->update();
}

void Body::execCalibration()
{
    if (m_i1.isEmpty() || m_calibRunner->isRunning())
        return;
    // A run reads the shift map the calibration is about to rewrite.
    m_runRunner->stopAndWait();
    CalibrationSetup setup;
    setup.i1 = m_i1.constImages();
    setup.i0 = m_i0.constImages();
    setup.fluorescence = ui->FluoType->isChecked();
    setup.grid.setup(m_imageWidth, m_imageHeight, ui->HWidth->text().toInt(), ui->VWidth->text().toInt(),
                     workArea(), -1, -1);
    setup.method = CalibrationMethod::of(m_calib->calibrationRule(), m_hasStandard ? &m_standard : nullptr,
                                         targetVictoreen());
    auto job = std::make_shared<CalibrationJob>(setup, &m_shiftMap);
    job->setOnFinished([this](const CalibrationStats& stats, bool stopped) {
        m_calib->showStatistics(stats);
        m_shiftMapOrigin = SaveProvenance::CalibratedShiftMap;
        m_shiftMapFile.clear();
        redrawImage();
        showXafsSpectrum();
        if (!stopped) {
            emit finishBatchExec();
        } else if (m_batchWait.work == BatchWait::Calibration) {
            // A script waiting for it must not wait forever.
            reportFailure(QStringLiteral("The calibration was stopped"));
            emit finishBatchExec();
        }
    });
    m_calibRunner->start(job);
}

void Body::clearShiftMap()
{
    m_calibRunner->stopAndWait();
    m_runRunner->stopAndWait();
    m_shiftMap.setup(m_shiftMap.grid());
    m_shiftMapOrigin = SaveProvenance::NoShiftMap;
    m_shiftMapFile.clear();
    redrawImage();
    showXafsSpectrum();
}

void Body::saveEMap(const QString& fname)
{
    const double eStd = m_hasStandard ? EdgeCalibration::halfHeightEdge(m_standard) : 0.0;
    const QString path = EnergyMapFile::completeName(fname);
    if (!EnergyMapFile::write(fname, EnergyMapFile::sourceOf(m_shiftMap, eStd, m_calib->spacing(), m_calib->stdFileName()))) {
        reportFailure(QStringLiteral("Can't write the energy map %1").arg(path));
        return;
    }
    writeProvenance(path);
}

void Body::loadEMap(const QString& fname)
{
    m_calibRunner->stopAndWait();
    m_runRunner->stopAndWait();
    if (!EnergyMapFile::load(fname, &m_imageWidth, &m_imageHeight, m_calib->edgeEnergy(), &m_shiftMap)) {
        reportFailure(QStringLiteral("Can't load the energy map %1").arg(fname));
        return;
    }
    m_shiftMapOrigin = SaveProvenance::LoadedShiftMap;
    m_shiftMapFile = fname;
    redrawImage();
    showXafsSpectrum();
}

EMPHeader Body::loadEMapHeader(QTextStream& in)
{
    return EnergyMapFile::readHeader(in);
}

void Body::showShiftMap(bool f)
{
    Q_UNUSED(f);
    if (!m_shiftMap.hasImage())
        return;
    ui->dispA->setResultLayer(&m_shiftMap, tr("Energy shift [eV]"));
    ui->dispA->setShowOverlayer(ui->ShowShiftMap->isChecked() || ui->ShowResAnalysis->isChecked());
    redrawImage();
}

void Body::normalizeEShift()
{
    m_calibRunner->stopAndWait();
    m_runRunner->stopAndWait();
    logWithTime(QStringLiteral("Start Normalize E Shift"));
    m_shiftMap.deglitch2(40.0);
    m_shiftMap.copyProc2Data();
    m_shiftMap.genImg();
    redrawImage();
    logWithTime(QStringLiteral("End Normalize E Shift  "));
}

void Body::giveProcData()
{
    if (m_i1.isEmpty())
        return;
    m_imgProc->setSource(m_i1.at(ui->SelectI1Files->currentIndex()));
}

void Body::setImgShift(int dx, int dy)
{
    TiffData* image = m_i1.at(ui->SelectI1Files->currentIndex());
    if (!image)
        return;
    // A spectra file being written reads the shifts.
    m_saveRunner->stopAndWait();
    image->setShift(dx, dy);
    image->genImage();
    redrawImage();
    showXafsSpectrum();
}

void Body::clearAllShifts()
{
    m_alignRunner->stopAndWait();
    m_saveRunner->stopAndWait();
    for (TiffData* t : m_i1.images())
        t->setShift(0, 0);
    renderShown(true);
    showXafsSpectrum();
}

void Body::alignSeries()
{
    if (m_i1.isEmpty() || m_alignRunner->isRunning())
        return;
    m_saveRunner->stopAndWait();
    std::shared_ptr<SeriesAlignJob> job = m_imgProc->seriesJob(m_i1.images());
    if (!job)
        return;
    job->setOnFinished([this](int, bool stopped) {
        renderShown(true);
        showXafsSpectrum();
        if (m_batchWait.work == BatchWait::Alignment) {
            if (stopped)
                reportFailure(QStringLiteral("The alignment was stopped"));
            emit finishBatchExec();
        }
    });
    m_alignRunner->start(job);
}
