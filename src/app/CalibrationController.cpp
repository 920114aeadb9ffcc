#include "CalibrationController.h"

#include "ui_Body.h"

#include "base/JobRunner.h"
#include "base/Log.h"
#include "batch/BatchKeywords.h"
#include "BatchExecutor.h"
#include "calibration/CalibCtrl.h"
#include "CommandTable.h"
#include "controls/JobProgressBar.h"
#include "imageview/ImgDispA.h"
#include "NavigationController.h"
#include "output/SaveProvenance.h"
#include "processing/CalibrationJob.h"
#include "processing/EdgeCalibration.h"
#include "processing/EnergyMapFile.h"
#include "ResultMapController.h"
#include "RunController.h"
#include "SaveController.h"
#include "SeriesController.h"
#include "SpectrumController.h"
#include "spectrumview/XafsView.h"
#include "controls/WindowPlace.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

using namespace BatchKeywords;

CalibrationController::CalibrationController(BodyContext& c)
    : m_c(c)
    , m_shiftMap(QStringLiteral("a2d esm"))
{
    registerEMPHeaderMetaType();
    CalibCtrl* calib = m_c.calib = new CalibCtrl;
    m_runner = new JobRunner(this);
    calib->progressBar()->attach(m_runner);
    connect(m_c.ui->OpenCalibCtrl, &QPushButton::clicked, calib, [calib] { WindowPlace::bringUp(calib); });
    connect(calib, &CalibCtrl::newStdFileLoaded, this, &CalibrationController::newStdFile);
    connect(calib, &CalibCtrl::execCalibration, this, &CalibrationController::execCalibration);
    connect(calib, &CalibCtrl::saveEMap, this, &CalibrationController::saveEMap);
    connect(calib, &CalibCtrl::loadEMap, this, &CalibrationController::loadEMap);
    connect(calib, &CalibCtrl::clearMap, this, &CalibrationController::clearShiftMap);
    connect(m_c.ui->ShowShiftMap, &QRadioButton::toggled, this, &CalibrationController::showShiftMap);
    connect(m_c.ui->NormalizeEShift, &QPushButton::clicked, this, &CalibrationController::normalizeEShift);
    addCommands(m_c.batch->table());
}

CalibrationController::~CalibrationController()
{
    delete m_c.calib;
}

bool CalibrationController::isCalibrating() const
{
    return m_runner->isRunning();
}

void CalibrationController::stopAndWait()
{
    m_runner->stopAndWait();
}

bool CalibrationController::targetVictoreen() const
{
    return m_c.calib && m_c.calib->targetVictoreen();
}

void CalibrationController::mapChanged()
{
    m_c.ui->dispA->update();
    m_c.spectrum->show();
}

void CalibrationController::newStdFile()
{
    const XafsSpectrum* standard = m_c.calib->standard();
    if (!standard)
        return;
    m_standard = *standard;
    m_hasStandard = true;
    m_c.xafsView->setStandard(m_standard);
    m_c.xafsView->setStandardName(QFileInfo(m_c.calib->stdFileName()).fileName());
    m_c.xafsView->update();
}

void CalibrationController::execCalibration()
{
    const ImageSeries& i1 = m_c.series->i1();
    if (i1.isEmpty() || m_runner->isRunning())
        return;
    // A run reads the shift map the calibration is about to rewrite.
    m_c.runs->stopAndWait();
    CalibrationSetup setup;
    setup.i1 = i1.constImages();
    setup.i0 = m_c.series->i0().constImages();
    setup.fluorescence = m_c.ui->FluoType->isChecked();
    setup.grid.setup(m_c.series->imageWidth(), m_c.series->imageHeight(), m_c.ui->HWidth->text().toInt(),
                     m_c.ui->VWidth->text().toInt(), m_c.navigation->workArea(), -1, -1);
    setup.method = CalibrationMethod::of(m_c.calib->calibrationRule(), m_hasStandard ? &m_standard : nullptr,
                                         targetVictoreen());
    auto job = std::make_shared<CalibrationJob>(setup, &m_shiftMap);
    const double edge = m_hasStandard ? EdgeCalibration::halfHeightEdge(m_standard) : 0.0;
    const CalibrationJob* raw = job.get();   // the job owns the callback
    job->setOnFinished([this, edge, raw](const CalibrationStats& stats, bool stopped) {
        m_c.calib->showStatistics(stats);
        m_shiftMapOrigin = SaveProvenance::CalibratedShiftMap;
        m_shiftMapFile.clear();
        m_mapEdgeEnergy = edge;
        mapChanged();
        const bool waiting = m_c.batch->waitsFor() == BatchWait::Calibration;
        if (!raw->failure().isEmpty())
            m_c.batch->reportFailure(QStringLiteral("The calibration failed: %1").arg(raw->failure()));
        else if (stopped && waiting)
            m_c.batch->reportFailure(QStringLiteral("The calibration was stopped"));
        // A script waiting for a stopped calibration must not wait forever.
        if (!stopped || waiting)
            emit workEnded();
    });
    m_runner->start(job);
}

void CalibrationController::clearShiftMap()
{
    m_runner->stopAndWait();
    m_c.runs->stopAndWait();
    m_shiftMap.setup(m_shiftMap.grid());
    m_shiftMapOrigin = SaveProvenance::NoShiftMap;
    m_shiftMapFile.clear();
    mapChanged();
}

void CalibrationController::saveEMap(const QString& fname)
{
    // The standard's edge when one is loaded; otherwise the edge energy the
    // map was made or loaded at, so that a loaded map saved again keeps its
    // offsets (the file refuses a map without any).
    const double eStd = m_hasStandard ? EdgeCalibration::halfHeightEdge(m_standard) : m_mapEdgeEnergy;
    QString error;
    if (!EnergyMapFile::write(fname, EnergyMapFile::sourceOf(m_shiftMap, eStd, m_c.calib->spacing(),
                                                             m_c.calib->stdFileName()),
                              &error)) {
        m_c.batch->reportFailure(error);
        return;
    }
    m_c.saving->writeProvenance(EnergyMapFile::completeName(fname));
}

void CalibrationController::loadEMap(const QString& fname)
{
    m_runner->stopAndWait();
    m_c.runs->stopAndWait();
    int width = m_c.series->imageWidth();
    int height = m_c.series->imageHeight();
    double edge = 0.0;
    QString error;
    const bool loaded =
        EnergyMapFile::load(fname, &width, &height, m_c.calib->edgeEnergy(), &m_shiftMap, &edge, &error);
    // A map read without an image size known gives the size of its file.
    m_c.series->setImageSize(width, height);
    if (!loaded) {
        m_c.batch->reportFailure(QStringLiteral("Can't load the energy map %1").arg(error));
        return;
    }
    m_mapEdgeEnergy = edge;
    m_shiftMapOrigin = SaveProvenance::LoadedShiftMap;
    m_shiftMapFile = fname;
    mapChanged();
}

EMPHeader CalibrationController::loadEMapHeader(QTextStream& in)
{
    return EnergyMapFile::readHeader(in);
}

void CalibrationController::showShiftMap(bool f)
{
    Q_UNUSED(f);
    if (!m_shiftMap.hasImage())
        return;
    Ui::Body* ui = m_c.ui;
    m_c.maps->applyRangeRule(&m_shiftMap);
    ui->dispA->setResultLayer(&m_shiftMap, QCoreApplication::translate("Body", "Energy shift [eV]"));
    ui->dispA->setShowOverlayer(ui->ShowShiftMap->isChecked() || ui->ShowResAnalysis->isChecked());
    ui->dispA->update();
}

void CalibrationController::normalizeEShift()
{
    m_runner->stopAndWait();
    m_c.runs->stopAndWait();
    logWithTime(QStringLiteral("Start Normalize E Shift"));
    m_shiftMap.deglitch2(40.0);
    m_shiftMap.copyProc2Data();
    m_shiftMap.genImg();
    m_c.ui->dispA->update();
    logWithTime(QStringLiteral("End Normalize E Shift  "));
}

void CalibrationController::addCommands(CommandTable& t)
{
    CalibCtrl* calib = m_c.calib;
    t.add(CalibShowWindow, [calib](const CmdLine&, BatchArgReader&) { calib->show(); });
    t.add(CalibLoadStd, [this, calib](const CmdLine& cmd, BatchArgReader&) {
        calib->loadStd(cmd.arg(0));
        if (!calib->standard()) {
            // The window keeps no reason; a second read gives it.
            XafsSpectrum probe;
            QString why;
            probe.load(cmd.arg(0), &why);
            m_c.batch->reportFailure(QStringLiteral("Can't read the standard %1: %2").arg(cmd.arg(0), why));
        }
    });
    t.add(CalibSetEdgeEV, [calib](const CmdLine& cmd, BatchArgReader&) { calib->setEdgeEV(cmd.arg(0)); });
    t.addLong(CalibExec, [this](const CmdLine&, BatchArgReader&) {
        const bool busy = isCalibrating();
        if (!busy)
            execCalibration();
        return m_c.batch->waitFor(BatchWait::Calibration, !busy && isCalibrating(),
                                  busy ? QStringLiteral("The calibration can't start: one is running")
                                       : QStringLiteral("The calibration can't start: no I1 images are loaded"));
    });
    t.add(CalibLoadMap, [this](const CmdLine& cmd, BatchArgReader&) { loadEMap(cmd.arg(0)); });
    t.add(CalibClearMap, [this](const CmdLine&, BatchArgReader&) { clearShiftMap(); });
    t.add(CalibSaveMap, [this](const CmdLine& cmd, BatchArgReader&) { saveEMap(cmd.arg(0)); });
    t.add(CalibSetRule, [calib](const CmdLine&, BatchArgReader& a) { calib->setRule(a.n(0)); });
}
