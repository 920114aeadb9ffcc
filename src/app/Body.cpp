#include "Body.h"

#include "ui_Body.h"

#include "analysis/AnalysisSnapshots.h"
#include "base/ThreadPriority.h"
#include "batch/BatchDispatcher.h"
#include "fileselect/SelectDataFiles.h"
#include "imageview/ColorBar.h"
#include "imageview/CrossSView.h"
#include "imageview/ImgDispA.h"
#include "io/LoadTiff.h"
#include "io/TiffData.h"
#include "physics/EdgeTable.h"
#include "spectrumview/XafsView.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QPainter>
#include <QSlider>
#include <QThread>

Body::Body(QWidget* parent)
    : QMainWindow(parent)
    , ui(new Ui::Body)
    , m_shiftMap(QStringLiteral("a2d esm"))
{
    loadEdgeTable();
    registerAnalysisMetaTypes();
    qRegisterMetaType<TiffData*>("TiffData*");

    ui->setupUi(this);
    connect(ui->CBar, &ColorBar::cBarUpdating, this, &Body::cBarUpdating);
    connect(ui->CBarAll, &QPushButton::clicked, this, &Body::cBarUpdated);
    m_imageSelect = new QButtonGroup(this);
    m_imageSelect->addButton(ui->ShowData, 0);
    m_imageSelect->addButton(ui->ShowI0, 1);
    m_imageSelect->addButton(ui->ShowShiftMap, 2);
    m_imageSelect->addButton(ui->ShowResAnalysis, 3);
    m_imageWidth = -1;
    ui->HCross->setOrientation(0);
    ui->VCross->setOrientation(1);

    buildBatch();
    buildLoaders();

    connect(ui->ShowData, &QRadioButton::toggled, this, &Body::selectedDataI0);
    connect(ui->Prev, &QToolButton::clicked, this, &Body::prev);
    connect(ui->Next, &QToolButton::clicked, this, &Body::next);
    connect(ui->SeekBar, &QSlider::sliderMoved, this, &Body::sliderMoved);
    connect(ui->ZoomIn, &QPushButton::clicked, ui->dispA, &ImgDispA::setViewWAsSelectedArea);
    connect(ui->ResetScale, &QPushButton::clicked, ui->dispA, &ImgDispA::resetImageViewWindow);
    connect(ui->dispA, &ImgDispA::mouseMoved, this, qOverload<double, double>(&Body::showXafsSpectrum));
    connect(ui->dispA, &DispA::drawImage2, this, &Body::draw);
    connect(ui->dispA, &DispA::mouseMoved0, this, &Body::onMouseMovedInDispA);

    m_xafsView = new XafsView;
    m_xafsView->setWindowTitle(tr("Spectrum at the position"));
    m_secondaryWindows.append(m_xafsView);
    connect(ui->ShowXafsView, &QPushButton::clicked, m_xafsView, &QWidget::show);
    m_xafsView->show();

    buildCalibration();
    buildAnalyzer();
    buildSaving();
    buildImageProcessor();
    disableWindowsToCome();
}

void Body::buildLoaders()
{
    ui->SelectI1Files->setTitle(tr("I1 Data"));
    ui->SelectI0Files->setTitle(tr("I0 Data"));
    // The display follows the selection in a panel only while "Show Latest"
    // is on, so it starts on: browsing works out of the box.
    ui->SelectI1Files->setShowLatest(true);
    ui->SelectI0Files->setShowLatest(true);

    // Images render their display picture when first shown: images that are
    // never looked at hold only their samples.
    auto* i1Thread = new QThread;
    i1Thread->setObjectName(QStringLiteral("I1 loader"));
    m_i1Loader = new LoadTiff;
    m_i1Loader->setRenderOnLoad(false);
    m_i1Loader->moveToThread(i1Thread);
    connect(this, &Body::loadI1Files, m_i1Loader, &LoadTiff::loadTiffs);
    connect(m_i1Loader, &LoadTiff::loaded, this, &Body::loadedI1);
    connect(m_i1Loader, &LoadTiff::progress, ui->SelectI1Files, &SelectDataFiles::setLoadProgress);
    connect(m_i1Loader, &LoadTiff::finishLoadFiles, this, [this] { loaderFinished(true); });
    // The loaders give way to the window whenever it has something to do.
    connect(i1Thread, &QThread::started, m_i1Loader, &lowerCurrentThreadPriority, Qt::DirectConnection);
    startWorkerThread(i1Thread);

    auto* i0Thread = new QThread;
    i0Thread->setObjectName(QStringLiteral("I0 loader"));
    m_i0Loader = new LoadTiff;
    m_i0Loader->setRenderOnLoad(false);
    m_i0Loader->moveToThread(i0Thread);
    connect(this, &Body::loadI0Files, m_i0Loader, &LoadTiff::loadTiffs);
    connect(m_i0Loader, &LoadTiff::loaded, this, &Body::loadedI0);
    connect(m_i0Loader, &LoadTiff::progress, ui->SelectI0Files, &SelectDataFiles::setLoadProgress);
    connect(m_i0Loader, &LoadTiff::finishLoadFiles, this, [this] { loaderFinished(false); });
    connect(i0Thread, &QThread::started, m_i0Loader, &lowerCurrentThreadPriority, Qt::DirectConnection);
    startWorkerThread(i0Thread);

    connect(ui->SelectI1Files, &SelectDataFiles::filesSelected, this, &Body::readI1Files);
    connect(ui->SelectI0Files, &SelectDataFiles::filesSelected, this, &Body::readI0Files);
    connect(ui->SelectI1Files, &SelectDataFiles::clear, this, &Body::clearI1Files);
    connect(ui->SelectI0Files, &SelectDataFiles::clear, this, &Body::clearI0Files);
    connect(ui->SelectI1Files, &SelectDataFiles::currentIndexChanged, this, &Body::showData);
    // Browsing the I0 series goes through its own panel; its index changes
    // show an image only while I0 is the selected series.
    connect(ui->SelectI0Files, &SelectDataFiles::currentIndexChanged, this, [this](int i) {
        if (ui->ShowI0->isChecked())
            showData(i);
    });
}

void Body::disableWindowsToCome()
{
    // "Dark Data" has no action at all: it stays visibly disabled instead of
    // doing nothing when clicked.
    ui->SelectDark->setEnabled(false);
}

Body::~Body()
{
    // Long work reads the series and the maps: it ends first.
    stopSeriesWork();
    // Loaders stop after the image they are reading; their threads end
    // before the loaders and the series are destroyed.
    m_i1Loader->cancelRequestsUpTo(m_i1Book.cancelAll());
    m_i0Loader->cancelRequestsUpTo(m_i0Book.cancelAll());
    stopWorkerThreads();
    delete m_batchDispatcher;
    delete m_i1Loader;
    delete m_i0Loader;
    qDeleteAll(m_secondaryWindows);
    delete ui;
}

void Body::closeEvent(QCloseEvent* event)
{
    emit finishing();
    QMainWindow::closeEvent(event);
}

void Body::startWorkerThread(QThread* thread)
{
    m_workerThreads.append(thread);
    thread->start();
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

SelectDataFiles* Body::i1Panel() const
{
    return ui->SelectI1Files;
}

SelectDataFiles* Body::i0Panel() const
{
    return ui->SelectI0Files;
}

ImgDispA* Body::imageView() const
{
    return ui->dispA;
}

int Body::halfWidth() const
{
    return qAbs(ui->HWidth->text().toInt());
}

int Body::halfHeight() const
{
    return qAbs(ui->VWidth->text().toInt());
}
