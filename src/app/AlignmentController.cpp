#include "AlignmentController.h"

#include "ui_Body.h"

#include "base/JobRunner.h"
#include "batch/BatchKeywords.h"
#include "BatchExecutor.h"
#include "CommandTable.h"
#include "controls/JobProgressBar.h"
#include "fileselect/SelectDataFiles.h"
#include "imageproc/ImgProc.h"
#include "imageview/ImgDispA.h"
#include "io/TiffData.h"
#include "NavigationController.h"
#include "processing/ImageAlignment.h"
#include "processing/SeriesAlignJob.h"
#include "SaveController.h"
#include "SeriesController.h"
#include "SpectrumController.h"
#include "controls/WindowPlace.h"

using namespace BatchKeywords;

AlignmentController::AlignmentController(BodyContext& c)
    : m_c(c)
{
    ImgProc* imgProc = m_c.imgProc = new ImgProc;
    m_runner = new JobRunner(this);
    imgProc->progressBar()->attach(m_runner);
    connect(m_c.ui->ShowImgProc, &QPushButton::clicked, imgProc, [imgProc] { WindowPlace::bringUp(imgProc); });
    connect(imgProc, &ImgProc::askGiveData, this, &AlignmentController::giveProcData);
    connect(imgProc, &ImgProc::imgShift, this, &AlignmentController::setImgShift);
    connect(imgProc, &ImgProc::askClearAllShifts, this, &AlignmentController::clearAllShifts);
    connect(imgProc, &ImgProc::askAlignSeries, this, &AlignmentController::alignSeries);
    addCommands(m_c.batch->table());
}

AlignmentController::~AlignmentController()
{
    delete m_c.imgProc;
}

bool AlignmentController::isAligning() const
{
    return m_runner->isRunning();
}

void AlignmentController::stopAndWait()
{
    m_runner->stopAndWait();
}

void AlignmentController::giveProcData()
{
    const ImageSeries& i1 = m_c.series->i1();
    if (i1.isEmpty())
        return;
    m_c.imgProc->setSource(i1.at(m_c.ui->SelectI1Files->currentIndex()));
}

void AlignmentController::setImgShift(int dx, int dy)
{
    TiffData* image = m_c.series->series(true).at(m_c.ui->SelectI1Files->currentIndex());
    if (!image)
        return;
    // A spectra file being written reads the shifts.
    m_c.saving->stopAndWait();
    image->setShift(dx, dy);
    image->genImage();
    m_c.ui->dispA->update();
    m_c.spectrum->show();
}

void AlignmentController::clearAllShifts()
{
    m_runner->stopAndWait();
    m_c.saving->stopAndWait();
    for (TiffData* t : m_c.series->i1().images())
        t->setShift(0, 0);
    m_c.navigation->renderShown(true);
    m_c.spectrum->show();
}

void AlignmentController::alignSeries()
{
    ImgProc* proc = m_c.imgProc;
    const QString failure = alignTo(proc->alignRefImage(), proc->alignShare());
    if (!failure.isEmpty()) {
        proc->showAlignFailure(failure);
        m_c.batch->reportFailure(failure);
    }
}

QString AlignmentController::alignTo(int refImage, double share)
{
    TiffData* reference = m_c.series->series(true).at(refImage);
    if (!reference)
        return m_c.series->i1().isEmpty()
                   ? QStringLiteral("Can't align: no I1 images are loaded")
                   : QStringLiteral("Can't align: the I1 series has no image %1").arg(refImage);
    if (isAligning())
        return QStringLiteral("Can't align: an alignment is running");
    // The threshold is a share of the strongest edge inside the image
    // (the border ring is the image's edge against the zeros outside).
    ProcImage edges = ImageAlignment::edgeImage(*reference);
    ImageAlignment::clearBorder(&edges);
    if (!m_c.imgProc->setReferenceOf(reference, share * edges.maximum))
        return QStringLiteral("Can't align: image %1 has no edge above the threshold").arg(refImage);
    m_c.saving->stopAndWait();
    std::shared_ptr<SeriesAlignJob> job = m_c.imgProc->seriesJob(m_c.series->i1().images());
    if (!job)
        return QStringLiteral("Can't align: there is no reference");
    SeriesAlignJob* j = job.get();
    job->setOnFinished([this, j](int, bool stopped) {
        m_c.imgProc->showAlignResult(*j);
        m_c.navigation->renderShown(true);
        m_c.spectrum->show();
        if (m_c.batch->waitsFor() == BatchWait::Alignment) {
            if (stopped)
                m_c.batch->reportFailure(QStringLiteral("The alignment was stopped"));
            emit workEnded();
        }
    });
    m_runner->start(job);
    return QString();
}

bool AlignmentController::alignByScript(int refImage, double share)
{
    m_c.imgProc->setAlignParameters(refImage, share);
    const QString failure = alignTo(refImage, share);
    if (!failure.isEmpty()) {
        m_c.imgProc->showAlignFailure(failure);
        m_c.batch->reportFailure(failure);
        return true;
    }
    return m_c.batch->waitFor(BatchWait::Alignment, isAligning(), QStringLiteral("The alignment can't start"));
}

void AlignmentController::addCommands(CommandTable& t)
{
    t.addLong(AlignSeries, [this](const CmdLine& cmd, BatchArgReader& a) {
        const int refImage = cmd.args.size() > 0 ? a.n(0) : 0;
        const double share = cmd.args.size() > 1 ? a.x(1) : 0.4;
        return alignByScript(refImage, share);
    });
}
