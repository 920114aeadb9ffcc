#include "Body.h"

#include "ui_Body.h"

#include "AlignmentController.h"
#include "analysis/AnalysisSnapshots.h"
#include "base/ThreadPriority.h"
#include "base/WorkerThread.h"
#include "batch/BatchDispatcher.h"
#include "BatchExecutor.h"
#include "analyzer/Analyzer.h"
#include "batchwindow/BatchCtrl.h"
#include "calibration/CalibCtrl.h"
#include "CalibrationController.h"
#include "DarkController.h"
#include "Hdf5Controller.h"
#include "fileselect/EOFSetup.h"
#include "fileselect/SelectDataFiles.h"
#include "imageproc/ImgProc.h"
#include "savedialog/SaveDataCfg.h"
#include "spectrumview/XafsView.h"
#include "imageview/CrossSView.h"
#include "imageview/ImgDispA.h"
#include "io/LoadTiff.h"
#include "io/TiffData.h"
#include "MapsFileController.h"
#include "MapsExtraController.h"
#include "NavigationController.h"
#include "physics/EdgeTable.h"
#include "ResultMapController.h"
#include "RunController.h"
#include "SaveController.h"
#include "SeriesController.h"
#include "SpectrumController.h"
#include "controls/WindowPlace.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QPainter>
#include <QThread>

Body::Body(QWidget* parent)
    : QMainWindow(parent)
    , ui(new Ui::Body)
{
    loadEdgeTable();
    registerAnalysisMetaTypes();
    qRegisterMetaType<TiffData*>("TiffData*");
    ui->setupUi(this);
    buildForm();
    buildControllers();
    wireThreads();
    wireImageView();
    wireControllers();
    placeWindows();
}

void Body::placeWindows()
{
    // The secondary windows open beside this one, each a step further down.
    const std::pair<QWidget*, const char*> windows[] = {
        {m_c.xafsView, "spectrum"}, {m_c.analyzer, "analyzer"},       {m_c.imgProc, "imageProcessor"},
        {m_c.calib, "calibration"}, {m_c.saveDataCfg, "saveSettings"}, {m_c.batchCtrl, "batch"}};
    int slot = 0;
    for (const auto& w : windows)
        if (w.first)
            WindowPlace::manage(w.first, this, QString::fromLatin1(w.second), slot++);
}

void Body::buildForm()
{
    m_c.window = this;
    m_c.ui = ui;
    m_c.imageSelect = new QButtonGroup(this);
    m_c.imageSelect->addButton(ui->ShowData, 0);
    m_c.imageSelect->addButton(ui->ShowI0, 1);
    m_c.imageSelect->addButton(ui->ShowShiftMap, 2);
    m_c.imageSelect->addButton(ui->ShowResAnalysis, 3);
    ui->HCross->setOrientation(0);
    ui->VCross->setOrientation(1);
}

void Body::buildControllers()
{
    // Each controller creates the window of its concern, wires the controls
    // of its concern to itself and adds its rows to the batch executor's
    // command table; the executor comes first.
    m_c.batch = new BatchExecutor(m_c);
    m_c.series = new SeriesController(m_c);
    m_c.navigation = new NavigationController(m_c);
    m_c.spectrum = new SpectrumController(m_c);
    m_c.calibration = new CalibrationController(m_c);
    m_c.maps = new ResultMapController(m_c);
    m_c.runs = new RunController(m_c);
    m_c.saving = new SaveController(m_c);
    m_c.alignment = new AlignmentController(m_c);
    m_c.dark = new DarkController(m_c);
    m_c.hdf5 = new Hdf5Controller(m_c);
    m_c.mapsFile = new MapsFileController(m_c);
    m_c.mapsExtra = new MapsExtraController(m_c);
}

void Body::wireThreads()
{
    BatchDispatcher* dispatcher = m_c.batch->dispatcher();
    // Queued both ways, also when a worker's thread could not be had and it
    // shares the window's thread: a direct call would run the next line, or
    // a whole load, inside the line that started it, whose handler would then
    // wait for a completion that has already gone by, and the run for ever.
    connect(dispatcher, &BatchDispatcher::execCmdSig, this, &Body::execCmdSlot, Qt::QueuedConnection);
    connect(this, &Body::batchLineFinished, dispatcher, &BatchDispatcher::finishBatchExec, Qt::QueuedConnection);
    connect(this, &Body::batchCommandFailed, dispatcher, &BatchDispatcher::commandFailed, Qt::QueuedConnection);
    startWorker(dispatcher, QStringLiteral("batch"), false);
    connect(this, &Body::loadI1Files, m_c.series->loader(true), &LoadTiff::loadTiffs, Qt::QueuedConnection);
    startWorker(m_c.series->loader(true), QStringLiteral("I1 loader"), true);
    connect(this, &Body::loadI0Files, m_c.series->loader(false), &LoadTiff::loadTiffs, Qt::QueuedConnection);
    startWorker(m_c.series->loader(false), QStringLiteral("I0 loader"), true);
}

void Body::wireImageView()
{
    connect(ui->ZoomIn, &QPushButton::clicked, ui->dispA, &ImgDispA::setViewWAsSelectedArea);
    connect(ui->ResetScale, &QPushButton::clicked, ui->dispA, &ImgDispA::resetImageViewWindow);
    connect(ui->dispA, &ImgDispA::mouseMoved, this, qOverload<double, double>(&Body::showXafsSpectrum));
    connect(ui->dispA, &DispA::drawImage2, this, &Body::draw);
    connect(ui->dispA, &DispA::mouseMoved0, this, &Body::onMouseMovedInDispA);
}

void Body::wireControllers()
{
    // Every finishBatchExec() passes the executor's gate first; the
    // dispatcher hears one completion per line.
    connect(this, &Body::finishBatchExec, m_c.batch, &BatchExecutor::closeLineIfDone, Qt::DirectConnection);
    connect(m_c.batch, &BatchExecutor::workEnded, this, &Body::finishBatchExec);
    connect(m_c.series, &SeriesController::workEnded, this, &Body::finishBatchExec);
    connect(m_c.calibration, &CalibrationController::workEnded, this, &Body::finishBatchExec);
    connect(m_c.runs, &RunController::workEnded, this, &Body::finishBatchExec);
    connect(m_c.saving, &SaveController::workEnded, this, &Body::finishBatchExec);
    connect(m_c.alignment, &AlignmentController::workEnded, this, &Body::finishBatchExec);
    connect(m_c.dark, &DarkController::workEnded, this, &Body::finishBatchExec);
    connect(m_c.mapsExtra, &MapsExtraController::workEnded, this, &Body::finishBatchExec);
    connect(m_c.batch, &BatchExecutor::lineFinished, this, &Body::batchLineFinished);
    connect(m_c.batch, &BatchExecutor::commandFailed, this, &Body::batchCommandFailed);
    connect(m_c.batch, &BatchExecutor::quitRequested, this, &Body::finishing);
    connect(m_c.series, &SeriesController::loadI1Files, this, &Body::loadI1Files);
    connect(m_c.series, &SeriesController::loadI0Files, this, &Body::loadI0Files);
}

QVector<QPair<QWidget*, QString>> Body::namedWindows() const
{
    Body* self = const_cast<Body*>(this);
    return {{self, QStringLiteral("main-window")},
            {m_c.xafsView, QStringLiteral("spectrum-window")},
            {m_c.analyzer, QStringLiteral("analyzer-window")},
            {m_c.analyzer->view(), QStringLiteral("analyzer-spectrum-window")},
            {m_c.imgProc, QStringLiteral("imageproc-window")},
            {m_c.calib, QStringLiteral("calibration-window")},
            {m_c.batchCtrl, QStringLiteral("batch-window")},
            {m_c.saveDataCfg, QStringLiteral("savecfg-window")},
            {ui->SelectI1Files->eofSetup(), QStringLiteral("energy-setup-i1")},
            {ui->SelectI0Files->eofSetup(), QStringLiteral("energy-setup-i0")}};
}

Body::~Body()
{
    // Long work reads the series and the maps: it ends first. Loaders stop
    // after the image they are reading; their threads end before the
    // loaders and the series are destroyed.
    m_c.series->stopWorkOnSeries();
    m_c.series->cancelLoads();
    m_c.dark->stopAndWait();
    stopWorkerThreads();
    // The windows go in the order they came; the series with their images last.
    delete m_c.batch;
    delete m_c.spectrum;
    delete m_c.calibration;
    delete m_c.maps;
    delete m_c.runs;
    delete m_c.saving;
    delete m_c.alignment;
    delete m_c.mapsFile;
    delete m_c.hdf5;
    delete m_c.dark;
    delete m_c.mapsExtra;
    delete m_c.navigation;
    delete m_c.series;
    delete ui;
}

void Body::closeEvent(QCloseEvent* event)
{
    emit finishing();
    QMainWindow::closeEvent(event);
}

void Body::startWorker(QObject* worker, const QString& name, bool lowPriority)
{
    auto* thread = new WorkerQThread;
    thread->setObjectName(name);
    // The loaders give way to the window whenever it has something to do.
    if (lowPriority)
        connect(thread, &QThread::started, worker, &lowerCurrentThreadPriority, Qt::DirectConnection);
    m_workerThreads.append(thread);
    startWorkerThread(thread, worker);
}

void Body::stopWorkerThreads()
{
    for (QThread* t : qAsConst(m_workerThreads))
        t->quit();
    for (QThread* t : qAsConst(m_workerThreads)) {
        t->wait();
        delete t;
    }
    m_workerThreads.clear();
}
