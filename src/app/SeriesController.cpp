#include "SeriesController.h"

#include "ui_Body.h"

#include "AlignmentController.h"
#include "base/Log.h"
#include "batch/BatchFiles.h"
#include "batch/BatchKeywords.h"
#include "BatchExecutor.h"
#include "CalibrationController.h"
#include "CommandTable.h"
#include "DarkController.h"
#include "fileselect/EOFSetup.h"
#include "fileselect/SelectDataFiles.h"
#include "imageproc/ImgProc.h"
#include "imageview/ColorBar.h"
#include "imageview/ImgDispA.h"
#include "io/LoadTiff.h"
#include "io/TiffData.h"
#include "NavigationController.h"
#include "RunController.h"
#include "SaveController.h"
#include "SpectrumController.h"

#include <QCoreApplication>
#include <QDebug>

using namespace BatchKeywords;

SeriesController::SeriesController(BodyContext& c)
    : m_c(c)
{
    Ui::Body* ui = m_c.ui;
    ui->SelectI1Files->setTitle(QCoreApplication::translate("Body", "I1 Data"));
    ui->SelectI0Files->setTitle(QCoreApplication::translate("Body", "I0 Data"));
    // The display follows the selection in a panel only while "Show Latest"
    // is on, so it starts on: browsing works out of the box.
    ui->SelectI1Files->setShowLatest(true);
    ui->SelectI0Files->setShowLatest(true);

    // Images render their display picture when first shown: images that are
    // never looked at hold only their samples.
    qRegisterMetaType<ImageSourcePtr>("ImageSourcePtr");
    for (bool i1 : {true, false}) {
        auto* loader = new LoadTiff;
        loader->setRenderOnLoad(false);
        loader->setGroupedHandOver(true);
        (i1 ? m_i1Loader : m_i0Loader) = loader;
        connect(loader, &LoadTiff::loaded, this, i1 ? &SeriesController::loadedI1 : &SeriesController::loadedI0);
        connect(loader, &LoadTiff::loadedGroup, this, [this, i1](const LoadedImages& group) { loadedGroup(i1, group); });
        connect(loader, &LoadTiff::progress, panel(i1), &SelectDataFiles::setLoadProgress);
        connect(loader, &LoadTiff::finishLoadFiles, this, [this, i1] { loaderFinished(i1); });
        connect(panel(i1), &SelectDataFiles::filesSelected, this,
                [this, i1](const QStringList& files, bool newFile) { readFiles(i1, files, newFile); });
        connect(panel(i1), &SelectDataFiles::clear, this, [this, i1] { clearFiles(i1); });
        connect(panel(i1), &SelectDataFiles::energiesReassigned, this,
                [this, i1](const QVector<double>& energies) { setEnergies(i1, energies); });
        panel(i1)->eofSetup()->keepAs(i1 ? QStringLiteral("energy/I1") : QStringLiteral("energy/I0"));
    }
    addCommands(m_c.batch->table());
}

SeriesController::~SeriesController()
{
    delete m_i1Loader;
    delete m_i0Loader;
}

SelectDataFiles* SeriesController::panel(bool i1) const
{
    return i1 ? m_c.ui->SelectI1Files : m_c.ui->SelectI0Files;
}

void SeriesController::setImageSize(int width, int height)
{
    m_imageWidth = width;
    m_imageHeight = height;
}

void SeriesController::stopWorkOnSeries()
{
    m_c.calibration->stopAndWait();
    m_c.alignment->stopAndWait();
    m_c.runs->stopAndWait();
    m_c.saving->stopAndWait();
}

void SeriesController::cancelLoads()
{
    m_i1Loader->cancelRequestsUpTo(m_i1Book.cancelAll());
    m_i0Loader->cancelRequestsUpTo(m_i0Book.cancelAll());
}

void SeriesController::clearFiles(bool i1)
{
    stopWorkOnSeries();
    if (i1)
        m_c.imgProc->setSource(nullptr);
    loader(i1)->cancelRequestsUpTo((i1 ? m_i1Book : m_i0Book).cancelAll());
    // The view forgets only what goes away: a new I0 series leaves the I1
    // image (and the map) on show.
    if (i1 || showsImageOf(series(false)))
        m_c.ui->dispA->setImage(nullptr);
    if (i1)
        m_c.ui->dispA->setResultLayer(nullptr);
    panel(i1)->clearFiles();
    series(i1).clear();
    if (i1)
        setImageSize(-1, -1);
    else
        m_warnedI0Size = false;
    m_c.ui->dispA->update();
}

void SeriesController::setEnergies(bool i1, const QVector<double>& energies)
{
    // A spectra file being written and the runs read the energies.
    stopWorkOnSeries();
    ImageSeries& s = series(i1);
    for (int i = 0; i < energies.size() && i < s.size(); ++i)
        s.at(i)->setEnergy(energies.at(i));
    m_c.spectrum->show();
}

bool SeriesController::showsImageOf(const ImageSeries& s) const
{
    const DisplayLayer* shown = m_c.ui->dispA->image();
    for (const TiffData* t : s.images())
        if (static_cast<const DisplayLayer*>(t) == shown)
            return true;
    return false;
}

void SeriesController::readFiles(bool i1, const QStringList& files, bool newFile)
{
    if (newFile)
        clearFiles(i1);
    SelectDataFiles* p = panel(i1);
    const int skip = p->skip() > 0 ? p->skip() : 1;
    const int cutFirst = p->cutFirst() >= 0 ? p->cutFirst() : 0;
    const int cutLast = p->cutLast() >= 0 ? p->cutLast() : 0;
    // Kept so that a batch line can tell which files did not arrive.
    SeriesLoadRequest& record = m_lastLoad[i1 ? 0 : 1];
    record.expected = BatchFiles::filesToRead(files, skip, cutFirst, cutLast);
    record.before = series(i1).size();
    m_followClock[i1 ? 0 : 1].start();
    if (i1) {
        record.request = m_i1Book.startRequest();
        emit loadI1Files(files, skip, cutFirst, cutLast);
    } else {
        record.request = m_i0Book.startRequest();
        emit loadI0Files(files, skip, cutFirst, cutLast);
    }
}

int SeriesController::readSource(bool i1, const ImageSourcePtr& source)
{
    clearFiles(i1);
    SeriesLoadRequest& record = m_lastLoad[i1 ? 0 : 1];
    record.expected = source->imageNames();
    record.before = series(i1).size();
    record.request = (i1 ? m_i1Book : m_i0Book).startRequest();
    m_followClock[i1 ? 0 : 1].start();
    LoadTiff* l = loader(i1);
    // Queued behind any file list sent before, like the files' signal.
    QMetaObject::invokeMethod(l, [l, source] { l->loadSource(source); }, Qt::QueuedConnection);
    return record.request;
}

void SeriesController::loaderFinished(bool i1)
{
    SeriesLoadBook& book = i1 ? m_i1Book : m_i0Book;
    book.finish();
    // A display without memory to refresh must not keep the end of the load
    // from the script line waiting for it.
    try {
        panel(i1)->setLoadProgress(0, 0);
        // The last image may have been handled while the loader still counted
        // as busy (its flag is cleared after the last image is sent): the
        // refresh that waits for the end of the list happens here at the latest.
        // A scan's loads end one after the other: the spectrum is drawn
        // once, when the last has ended.
        const bool spectrum = !isLoading();
        if (i1)
            refreshAfterI1Images(spectrum);
        else if (spectrum && !(m_i0.isEmpty() && m_i1.isEmpty()))
            m_c.spectrum->show();
    } catch (const std::bad_alloc&) {
        warnNoMemory("Not enough memory to show the loaded series");
    }
    emit loadFinished(i1, book.finished);
    emit workEnded();
}

bool SeriesController::takeI1(TiffData* data, int fNo)
{
    if (!data)
        return false;
    if (m_i1Book.isStale()) {
        delete data;
        return false;
    }
    QString refusal;
    if (!SeriesSizeCheck::acceptI1(m_i1, *data, &refusal)) {
        qWarning().noquote() << refusal;
        delete data;
        return false;
    }
    data->setColorScale(m_c.ui->CBar->scale());
    data->setEnergy(data->hasFileEnergy() ? m_c.ui->SelectI1Files->addFileWithEnergy(data->fileName(), data->energy())
                                          : m_c.ui->SelectI1Files->addFile(data->fileName(), fNo));
    m_c.dark->applyTo(data);
    m_i1.append(data);
    return true;
}

void SeriesController::loadedI1(TiffData* data, int fNo)
{
    if (takeI1(data, fNo))
        refreshAfterNewImages(true);
}

void SeriesController::loadedGroup(bool i1, const LoadedImages& group)
{
    bool taken = false;
    for (const LoadedImage& image : group)
        taken = (i1 ? takeI1(image.data, image.fNo) : takeI0(image.data, image.fNo)) || taken;
    if (taken)
        refreshAfterNewImages(i1);
}

void SeriesController::refreshAfterNewImages(bool i1)
{
    // While the load runs the window follows it only with "Show Latest",
    // and at most every followMs: the panel's list and progress show each
    // image as it comes, and drawing the spectrum and the picture for every
    // group would take the time of the readers. The end of the load
    // refreshes the window anyway.
    if ((i1 ? m_i1Book : m_i0Book).isLoading()) {
        QElapsedTimer& clock = m_followClock[i1 ? 0 : 1];
        if (!panel(i1)->showLatest() || (clock.isValid() && !clock.hasExpired(followMs)))
            return;
        clock.start();
    }
    if (i1)
        refreshAfterI1Images();
    else
        m_c.spectrum->show();
}

void SeriesController::refreshAfterI1Images(bool spectrum)
{
    if (m_i1.isEmpty())
        return;
    Ui::Body* ui = m_c.ui;
    const bool showLatest = ui->SelectI1Files->showLatest();
    if (spectrum)
        m_c.spectrum->show();
    setImageSize(int(m_i1.first()->width()), int(m_i1.first()->height()));
    ui->SeekBar->setMaximum(m_i1.size() - 1);
    if (showLatest)
        m_c.navigation->showData(m_i1.size() - 1);
    ui->SelectI1Files->select(m_i1.size() - 1);
    // Without "Show Latest" the panel's selection does not reach the view;
    // an empty view still gets the image the panel now points at.
    if (!showLatest && m_c.navigation->showsI1() && !ui->dispA->image())
        m_c.navigation->showData(m_i1.size() - 1);
}

bool SeriesController::takeI0(TiffData* data, int fNo)
{
    if (!data)
        return false;
    if (m_i0Book.isStale()) {
        delete data;
        return false;
    }
    const QString warning = SeriesSizeCheck::i0Warning(m_i1, m_i0, *data, &m_warnedI0Size);
    if (!warning.isEmpty())
        qWarning().noquote() << warning;
    data->setColorScale(m_c.ui->CBar->scale());
    data->setEnergy(data->hasFileEnergy() ? m_c.ui->SelectI0Files->addFileWithEnergy(data->fileName(), data->energy())
                                          : m_c.ui->SelectI0Files->addFile(data->fileName(), fNo));
    m_c.dark->applyTo(data);
    m_i0.append(data);
    return true;
}

void SeriesController::loadedI0(TiffData* data, int fNo)
{
    if (takeI0(data, fNo))
        refreshAfterNewImages(false);
}

bool SeriesController::loadArrived(bool i1, int request) const
{
    return (i1 ? m_i1Book : m_i0Book).finished >= request;
}

QString SeriesController::loadShortfall(bool i1) const
{
    const SeriesLoadRequest& load = m_lastLoad[i1 ? 0 : 1];
    const ImageSeries& s = i1 ? m_i1 : m_i0;
    QStringList arrived;
    for (int i = load.before; i < s.size(); ++i)
        arrived << s.at(i)->fileName();
    if (load.expected.isEmpty())
        return QStringLiteral("No image to load: skip and cut leave no file");
    return BatchFiles::loadShortfall(load.expected, arrived);
}

bool SeriesController::batchLoad(bool i1, const QStringList& files, bool newFile)
{
    if (files.isEmpty()) {
        m_c.batch->reportFailure(
            QStringLiteral("No %1 files to load").arg(i1 ? QStringLiteral("I1") : QStringLiteral("I0")));
        return true;
    }
    readFiles(i1, files, newFile);
    m_c.batch->waitForLoad(i1, m_lastLoad[i1 ? 0 : 1].request);
    return false;
}

namespace {

bool isNew(const CmdLine& cmd)
{
    return cmd.arg(0).compare(QStringLiteral("NEW"), Qt::CaseInsensitive) == 0;
}

// A panel word comes in a pair: the even id names the I0 panel, the odd one
// the I1 panel.
void addPanelPair(CommandTable& t, SelectDataFiles* i0, SelectDataFiles* i1, int i0Id,
                  const std::function<void(SelectDataFiles*, BatchArgReader&)>& set)
{
    t.add(i0Id, [i0, set](const CmdLine&, BatchArgReader& a) { set(i0, a); });
    t.add(i0Id + 1, [i1, set](const CmdLine&, BatchArgReader& a) { set(i1, a); });
}

} // namespace

void SeriesController::addCommands(CommandTable& t)
{
    t.add(ClearI1Files, [this](const CmdLine&, BatchArgReader&) { clearFiles(true); });
    t.add(ClearI0Files, [this](const CmdLine&, BatchArgReader&) { clearFiles(false); });
    for (bool i1 : {true, false}) {
        t.add(i1 ? SetI1EnergyPattern : SetI0EnergyPattern,
              [this, i1](const CmdLine&, BatchArgReader& a) { panel(i1)->setEngByNameRegExp(a.text(0)); });
        t.addLong(i1 ? LoadI1Files : LoadI0Files, [this, i1](const CmdLine& cmd, BatchArgReader& a) {
            return batchLoad(i1, a.from(1), isNew(cmd));
        });
        t.addLong(i1 ? LoadI1FilesOfPattern : LoadI0FilesOfPattern, [this, i1](const CmdLine& cmd, BatchArgReader& a) {
            const QStringList files = BatchFiles::filesOfPattern(a.text(1), a.from(2));
            if (!files.isEmpty())
                return batchLoad(i1, files, isNew(cmd));
            const QString problem = BatchFiles::listingProblem(a.text(1));
            if (!problem.isEmpty()) {
                m_c.batch->reportFailure(problem);
                return true;
            }
            const int outside = BatchFiles::namesOutsideEncoding(a.text(1), a.from(2));
            QString why = QStringLiteral("No file in \"%1\" matches %2").arg(a.text(1), a.from(2).join(QLatin1Char(' ')));
            if (outside > 0)
                why += QStringLiteral(" that can be opened: %1 files there match, but their names are not valid "
                                      "UTF-8 (the file-name encoding); rename them").arg(outside);
            m_c.batch->reportFailure(why);
            return true;
        });
    }
    t.add(SetFluoType, [this](const CmdLine&, BatchArgReader& a) { m_c.ui->FluoType->setChecked(a.flag(0)); });

    SelectDataFiles* i0 = panel(false);
    SelectDataFiles* i1 = panel(true);
    using P = SelectDataFiles*;
    using A = BatchArgReader&;
    addPanelPair(t, i0, i1, CutFI0, [](P p, A a) { p->setCutF(a.n(0)); });
    addPanelPair(t, i0, i1, CutLI0, [](P p, A a) { p->setCutL(a.n(0)); });
    addPanelPair(t, i0, i1, SkipI0, [](P p, A a) { p->setSkip(a.n(0)); });
    addPanelPair(t, i0, i1, ShowLatestI0, [](P p, A a) { p->setShowLatest(a.flag(0)); });
    addPanelPair(t, i0, i1, EngByNameI0, [](P p, A) { p->setEngByName(true); });
    addPanelPair(t, i0, i1, EngByNameRegExpI0, [](P p, A a) { p->setEngByNameRegExp(a.text(0)); });
    addPanelPair(t, i0, i1, EngByNameFactorI0, [](P p, A a) { p->setEngByNameFactor(a.x(0)); });
    addPanelPair(t, i0, i1, EngByCalcI0, [](P p, A a) { p->setEngByCalc(a.flag(0)); });
    addPanelPair(t, i0, i1, EngCalcBaseI0, [](P p, A a) { p->setEngCalcStart(a.x(0)); });
    addPanelPair(t, i0, i1, EngCalcDeltaI0, [](P p, A a) { p->setEngCalcDelta(a.x(0)); });
    addPanelPair(t, i0, i1, EngCalcEndI0, [](P p, A a) { p->setEngCalcEnd(a.x(0)); });
    addPanelPair(t, i0, i1, EngCalcNumI0, [](P p, A a) { p->setEngCalcNum(a.n(0)); });
    addPanelPair(t, i0, i1, EngCalcEvenInEngI0, [](P p, A a) { p->setEvenInEng(a.flag(0)); });
    addPanelPair(t, i0, i1, EngCalcEvenInDegI0, [](P p, A a) { p->setEvenInDeg(a.flag(0)); });
    addPanelPair(t, i0, i1, EngCalcDispUnitI0, [](P p, A a) { p->setDispUnit(a.n(0)); });
    addPanelPair(t, i0, i1, EngByRefI0, [this](P p, A a) {
        const QString fname = a.text(0);
        p->setEngByRef(fname);
        QVector<double> probe;
        QString why;
        if (!fname.isEmpty() && !EnergyOfFiles::readRefFile(fname, p->eofSetup()->settings().d, probe, &why))
            m_c.batch->reportFailure(QStringLiteral("Can't read the reference energy file %1: %2").arg(fname, why));
    });
}
