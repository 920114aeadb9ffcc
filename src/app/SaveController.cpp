#include "SaveController.h"

#include "ui_Body.h"

#include "AlignmentController.h"
#include "analyzer/Analyzer.h"
#include "analyzer/LCFReference.h"
#include "base/AtomicFile.h"
#include "base/JobRunner.h"
#include "base/LogCategories.h"
#include "base/StartupOptions.h"
#include "batch/BatchKeywords.h"
#include "BatchExecutor.h"
#include "CalibrationController.h"
#include "CommandTable.h"
#include "DarkController.h"
#include "controls/DialogFolder.h"
#include "controls/JobProgressBar.h"
#include "controls/WindowPlace.h"
#include "fileselect/EOFSetup.h"
#include "fileselect/SelectDataFiles.h"
#include "imageview/ColorBar.h"
#include "imageview/ImgDispA.h"
#include "io/TiffData.h"
#include "MapsExtraController.h"
#include "NavigationController.h"
#include "output/GridAxes.h"
#include "output/MapSaving.h"
#include "output/SaveFileNames.h"
#include "output/SaveProvenance.h"
#include "output/SpectraFileJob.h"
#include "output/TextMapWriter.h"
#include "ResultMapController.h"
#include "savedialog/SaveDataCfg.h"
#include "SeriesController.h"
#include "SpectrumController.h"
#include "spectrumview/XafsFileSelect.h"
#include "spectrumview/XafsView.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageWriter>
#include <QMainWindow>
#include <QStatusBar>

#ifndef ORV_VERSION
#define ORV_VERSION "unknown"
#endif

using namespace BatchKeywords;

namespace {

// Text maps with more grid points than this are written by the save runner.
constexpr qint64 textMapJobPoints = qint64(1) << 20;

QFileDialog* saveDialog(QWidget* parent, const QString& name, const QStringList& filters)
{
    auto* d = new QFileDialog(parent);
    d->setObjectName(name);
    d->setAcceptMode(QFileDialog::AcceptSave);
    d->setFileMode(QFileDialog::AnyFile);
    d->setNameFilters(filters);
    DialogFolder::follow(d, QStringLiteral("results"));
    return d;
}

QString anyFiles()
{
    return QCoreApplication::translate("Body", "Any Files (* *.*)");
}

QString absolute(const QString& file)
{
    return file.isEmpty() ? file : QFileInfo(file).absoluteFilePath();
}

QStringList fileNames(const ImageSeries& series)
{
    QStringList out;
    for (const TiffData* t : series.images())
        out << absolute(t->fileName());
    return out;
}

} // namespace

SaveController::SaveController(BodyContext& c)
    : m_c(c)
    // The dialogs keep the main window's translations.
    , m_imageDialog([this] {
        QFileDialog* d = saveDialog(m_c.window, QStringLiteral("SaveImageDialog"),
                                    {QCoreApplication::translate("Body", "Image File (*.png)"), anyFiles()});
        connect(d, &QFileDialog::fileSelected, this, &SaveController::saveImage);
        return d;
    })
    , m_dataDialog([this] {
        QFileDialog* d = saveDialog(m_c.window, QStringLiteral("SaveDataDialog"),
                                    {QCoreApplication::translate("Body", "Tiff File (*.tif)"), anyFiles()});
        connect(d, &QFileDialog::fileSelected, this, &SaveController::saveData);
        return d;
    })
    , m_spectraDialog([this] {
        QFileDialog* d = saveDialog(m_c.window, QStringLiteral("SaveSpectraDialog"),
                                    {QCoreApplication::translate("Body", "XAFS Spectra (*.dat)"), anyFiles()});
        connect(d, &QFileDialog::fileSelected, this, &SaveController::saveEachSpectrum);
        return d;
    })
{
    Ui::Body* ui = m_c.ui;
    SaveDataCfg* cfg = m_c.saveDataCfg = new SaveDataCfg;
    m_runner = new JobRunner(this);
    ui->SaveProgress->attach(m_runner);
    // Every spectra file gets its provenance, with the block of the target.
    connect(m_c.xafsView, &XafsView::spectraSaved, this, [this](const QStringList& files) {
        const SpectrumController* s = m_c.spectrum;
        const QString at = QStringLiteral("(%1, %2), block %3 x %4 pixels")
                               .arg(s->mouseX())
                               .arg(s->mouseY())
                               .arg(2 * s->halfWidth() + 1)
                               .arg(2 * s->halfHeight() + 1);
        for (const QString& f : files)
            writeProvenance(f, QString(), at);
    });
    connect(ui->SaveImage, &QPushButton::clicked, this, [this] { m_imageDialog.show(); });
    connect(ui->SaveDataCfgB, &QPushButton::clicked, cfg, [cfg] { WindowPlace::bringUp(cfg); });
    connect(ui->SaveData, &QPushButton::clicked, this, &SaveController::showSaveDataDialog);
    connect(ui->SaveEachSpectrum, &QPushButton::clicked, this, [this] { m_spectraDialog.show(); });
    connect(ui->SaveFlatDark, &QPushButton::clicked, this, &SaveController::saveFlatDark);
    addCommands(m_c.batch->table());
    addConfigCommands(m_c.batch->table());
}

SaveController::~SaveController()
{
    delete m_c.saveDataCfg;
}

bool SaveController::isSaving() const
{
    return m_runner->isRunning();
}

void SaveController::stopAndWait()
{
    m_runner->stopAndWait();
}

QString SaveController::mapNoteOf(const Analyzed2DRes* map) const
{
    if (map && map == m_c.analyzer->rFactorMap())
        return QStringLiteral("fit quality R = sum of squared residuals / sum of squared data, over the fitted points");
    return m_c.mapsExtra ? m_c.mapsExtra->noteOf(map) : QString();
}

SaveProvenance SaveController::provenance(const QString& mapNote) const
{
    const CalibrationController* calibration = m_c.calibration;
    SaveProvenance p;
    p.programVersion = QStringLiteral(ORV_VERSION);
    // Paths in full, so the record still says where the data is when it is
    // read elsewhere.
    p.i1 = Provenance::seriesOf(fileNames(m_c.series->i1()));
    p.i0 = Provenance::seriesOf(fileNames(m_c.series->i0()));
    const TiffData* first = m_c.series->i1().first();
    p.energyRule = first && first->hasFileEnergy()
        ? QStringLiteral("from the image file")
        : Provenance::energyRuleText(m_c.ui->SelectI1Files->eofSetup()->settings());
    p.halfWidth = m_c.spectrum->halfWidth();
    p.halfHeight = m_c.spectrum->halfHeight();
    for (const LCFReference* row : m_c.analyzer->refs())
        if (row->isUsed())
            p.references.append({absolute(row->fileSelect()->fileName()), row->snapshot().spectrum.offset()});
    p.shiftMap = calibration->shiftMap().data() ? SaveProvenance::ShiftMap(calibration->shiftMapOrigin())
                                                : SaveProvenance::NoShiftMap;
    p.shiftMapFile = absolute(calibration->shiftMapFile());
    p.dark = m_c.dark->description();
    p.mapNote = mapNote;
    p.date = QDateTime::currentDateTime();
    return p;
}

bool SaveController::writeProvenance(const QString& savedFile, const QString& mapNote, const QString& spectrumAt)
{
    QString error;
    SaveProvenance p = provenance(mapNote);
    p.spectrumAt = spectrumAt;
    if (Provenance::write(p, savedFile, &error)) {
        // A success replaces an earlier failure in the status bar.
        m_c.window->statusBar()->showMessage(
            QCoreApplication::translate("Body", "Saved %1").arg(QDir::toNativeSeparators(savedFile)), 10000);
        return true;
    }
    m_c.batch->reportFailure(error);
    return false;
}

void SaveController::startSaveJob(const std::shared_ptr<SaveFileJob>& job)
{
    if (isSaving()) {
        m_c.batch->reportFailure(QStringLiteral("Can't write %1: another file is being written").arg(job->path()));
        return;
    }
    job->setDone([this](const SaveFileJob::Result& r) {
        if (!r.ok)
            m_c.batch->reportFailure(r.message);
        if (m_c.batch->waitsFor() == BatchWait::Saving)
            emit workEnded();
    });
    m_runner->start(job);
}

void SaveController::saveImage(const QString& name)
{
    Ui::Body* ui = m_c.ui;
    // A name without an extension is saved as PNG.
    const QString fname = QFileInfo(name).suffix().isEmpty() && !name.isEmpty() ? name + QStringLiteral(".png") : name;
    // The picture as the display shows it (a hidden or unpainted window may
    // not have rendered it yet).
    ui->dispA->preparedImage();
    QString error;
    if (!AtomicFile::saveImage(ui->dispA->visibleImage(), fname, &error)) {
        m_c.batch->reportFailure(error);
        return;
    }
    if (!AtomicFile::saveImage(ui->CBar->labelledPicture(), SaveFileNames::withNumber(fname, QStringLiteral("cBar")),
                               &error)) {
        m_c.batch->reportFailure(error);
        return;
    }
    writeProvenance(fname);
}

void SaveController::saveImageWNum(const QString& fname, const QString& num)
{
    saveImage(SaveFileNames::withNumber(fname, num));
}

void SaveController::saveAllImages(const QString& fname)
{
    const QVector<LCFReference*>& rows = m_c.analyzer->refs();
    int maps = 0;
    for (const LCFReference* row : rows)
        maps = qMax(maps, row->mapCount());
    int saved = 0;
    for (int a = 0; a < maps; ++a) {
        for (int i = 0; i < rows.size(); ++i) {
            const LCFReference* row = rows.at(i);
            if (!row->isUsed())
                continue;
            const Analyzed2DRes* map = row->map(a < row->mapCount() ? a : 0);
            if (!map || !map->hasImage() || !map->img())
                continue;
            QString error;
            const QString name = SaveFileNames::withNumber(fname, QStringLiteral("%1-%2").arg(i).arg(a));
            if (!AtomicFile::saveImage(*map->img(), name, &error)) {
                m_c.batch->reportFailure(error);
                return;
            }
            ++saved;
        }
    }
    if (saved == 0)
        m_c.batch->reportFailure(
            QStringLiteral("Can't save %1: no reference row in use has a result map").arg(fname));
}

void SaveController::showSaveDataDialog()
{
    const QString first = m_c.saveDataCfg->settings().saveAsTiff
                              ? QCoreApplication::translate("Body", "Tiff File (*.tif)")
                              : QCoreApplication::translate("Body", "Data File (*.dat)");
    QFileDialog* dialog = m_dataDialog.dialog();
    dialog->setNameFilters({first, anyFiles()});
    dialog->show();
}

void SaveController::saveData(const QString& fname)
{
    const int ext = m_c.maps->shownReferenceRow();
    if (m_c.saveDataCfg->settings().saveAsTiff) {
        qCDebug(lcApp) << "selected tiff";
        if (!writeMapTiff(fname, ext))
            return;
        // The colour bar next to the map; a suffix no image writer knows
        // (TIFF) gets a PNG instead, so the bar is never lost.
        QString bar = SaveFileNames::withNumber(SaveFileNames::withNumber(fname, QString::number(ext)),
                                                QStringLiteral("-cBar"));
        const QByteArray suffix = QFileInfo(bar).suffix().toLower().toLatin1();
        if (!QImageWriter::supportedImageFormats().contains(suffix))
            bar = (suffix.isEmpty() ? bar + QLatin1Char('.') : bar.left(bar.size() - suffix.size()))
                + QStringLiteral("png");
        QString error;
        if (!AtomicFile::saveImage(m_c.ui->CBar->labelledPicture(), bar, &error))
            m_c.batch->reportFailure(error);
    } else {
        qCDebug(lcApp) << "selected text";
        saveDataAsText(fname, ext);
    }
}

void SaveController::saveDataAsTiff(const QString& fname, int ext)
{
    writeMapTiff(fname, ext);
}

bool SaveController::writeMapTiff(const QString& fname, int ext)
{
    const QString target = SaveFileNames::numbered(fname, ext, QStringLiteral("tif"));
    qCDebug(lcApp) << "saveDataAsTiff";
    Analyzed2DRes* map = m_c.analyzer->currentImage();
    if (!map) {
        m_c.batch->reportFailure(QStringLiteral("Can't save %1: no result map is selected").arg(target));
        return false;
    }
    QString error;
    if (!MapSaving::saveMapAsTiff(*map, target, m_c.saveDataCfg->settings(), &error)) {
        m_c.batch->reportFailure(error);
        return false;
    }
    return writeProvenance(target, mapNoteOf(map));
}

void SaveController::saveDataAsText(const QString& fname, int ext)
{
    const QString target = SaveFileNames::numbered(fname, ext, QStringLiteral("dat"));
    const Analyzed2DRes* map = m_c.analyzer->currentImage();
    if (!map || !map->data()) {
        m_c.batch->reportFailure(QStringLiteral("Can't save %1: no result map is selected").arg(target));
        return;
    }
    const SaveDataSettings settings = m_c.saveDataCfg->settings();
    if (GridAxes::of(map->grid()).points() > textMapJobPoints) {
        auto job = std::make_shared<TextMapJob>(target, map->data(), map->width(), map->height(), map->grid(),
                                                settings.textFormat());
        job->setProvenance(provenance(mapNoteOf(map)));
        startSaveJob(job);
        return;
    }
    QString error;
    if (!MapSaving::saveMapAsText(*map, target, settings, &error)) {
        m_c.batch->reportFailure(error);
        return;
    }
    writeProvenance(target, mapNoteOf(map));
}

void SaveController::saveFlatDark()
{
    QString error;
    if (!MapSaving::saveFlatDark(m_c.series->imageWidth(), m_c.series->imageHeight(), QDir::currentPath(), &error))
        m_c.batch->reportFailure(error);
}

void SaveController::saveEachSpectrum(const QString& fname)
{
    if (m_c.ui->SaveAsXAFS->isChecked())
        saveEachXafsSpectrum(fname);
    else if (m_c.ui->SaveAsRaw->isChecked())
        saveEachRawSpectrum(fname);
}

void SaveController::saveEachXafsSpectrum(const QString& fname)
{
    startSpectraFile(fname, false);
}

void SaveController::saveEachRawSpectrum(const QString& fname)
{
    startSpectraFile(fname, true);
}

void SaveController::startSpectraFile(const QString& fname, bool raw)
{
    const SeriesController* series = m_c.series;
    const QString target = SaveFileNames::withDefaultSuffix(fname, QStringLiteral("dat"));
    if (series->i1().isEmpty() || series->imageWidth() <= 0) {
        m_c.batch->reportFailure(QStringLiteral("Can't write %1: no I1 image is loaded").arg(target));
        return;
    }
    if (m_c.alignment->isAligning()) {
        m_c.batch->reportFailure(QStringLiteral("Can't write %1: the images are being aligned").arg(target));
        return;
    }
    const Analyzed2DRes& shiftMap = m_c.calibration->shiftMap();
    SpectraFileRequest r;
    r.fileName = fname;
    r.raw = raw;
    r.grid = SpectraFileJob::grid(series->imageWidth(), series->imageHeight(), m_c.spectrum->halfWidth(),
                                  m_c.spectrum->halfHeight(), m_c.navigation->workArea());
    r.i1 = series->i1().constImages();
    r.i0 = series->i0().constImages();
    r.fluorescence = m_c.ui->FluoType->isChecked();
    r.victoreen = m_c.calibration->targetVictoreen();
    r.shiftMap = shiftMap.data();
    r.shiftWidth = shiftMap.width();
    r.shiftHeight = shiftMap.height();
    auto job = std::make_shared<SpectraFileJob>(r);
    job->setProvenance(provenance());
    startSaveJob(job);
}

void SaveController::addCommands(CommandTable& t)
{
    // Spectra files and large text maps are written by the save runner: the
    // line then completes when the file is complete.
    const auto addSave = [this, &t](int id, std::function<void(const CmdLine&)> save) {
        t.addLong(id, [this, save](const CmdLine& cmd, BatchArgReader&) {
            save(cmd);
            return isSaving() ? m_c.batch->waitFor(BatchWait::Saving, true, QString()) : true;
        });
    };
    addSave(SaveImage, [this](const CmdLine& cmd) { saveImage(cmd.arg(0)); });
    addSave(SaveImageWNum, [this](const CmdLine& cmd) { saveImageWNum(cmd.arg(0), cmd.arg(1)); });
    addSave(SaveAllImages, [this](const CmdLine& cmd) { saveAllImages(cmd.arg(0)); });
    addSave(SaveData, [this](const CmdLine& cmd) { saveData(cmd.arg(0)); });
    addSave(SaveDataAsTiff,
            [this](const CmdLine& cmd) { saveDataAsTiff(cmd.arg(0), m_c.maps->shownReferenceRow()); });
    addSave(SaveSpectra, [this](const CmdLine& cmd) {
        if (m_c.xafsView->saveData(cmd.arg(0)).isEmpty())
            m_c.batch->reportFailure(
                QStringLiteral("Can't save the spectra of the spectrum view as %1").arg(cmd.arg(0)));
    });
}

void SaveController::addConfigCommands(CommandTable& t)
{
    SaveDataCfg* cfg = m_c.saveDataCfg;
    using C = const CmdLine&;
    using A = BatchArgReader&;
    t.add(SaveDataCfgShowWindow, [cfg](C, A) { cfg->show(); });
    t.add(SaveDataCfgSaveAsTiff, [cfg](C, A) {
        qCDebug(lcApp) << "setting save as tiff";
        cfg->setSaveAsTiff();
    });
    t.add(SaveDataCfgSaveAsText, [cfg](C, A) {
        qCDebug(lcApp) << "setting save as text";
        cfg->setSaveAsText();
    });
    t.add(SaveDataCfgTiffFixScale, [cfg](C, A a) { cfg->setSaveTiffScaleFixed(a.flag(0)); });
    t.add(SaveDataCfgTiffScaleMin, [cfg](C, A a) { cfg->setSaveTiffScaleMin(a.x(0)); });
    t.add(SaveDataCfgTiffScaleMax, [cfg](C, A a) { cfg->setSaveTiffScaleMax(a.x(0)); });
    t.add(SaveDataCfgTiffAsAnalyzed, [cfg](C, A a) { cfg->setSaveTiffAsAnalyzed(a.flag(0)); });
    t.add(SaveDataCfgTextAsCsv, [cfg](C, A) { cfg->setSaveTextAsCSV(); });
    t.add(SaveDataCfgTextAsSsv, [cfg](C, A) { cfg->setSaveTextAsSSV(); });
    t.add(SaveDataCfgTextAsXyz, [cfg](C, A) { cfg->setSaveTextAsXYVal(); });
    t.add(SaveDataCfgTextAsVals, [cfg](C, A) { cfg->setSaveTextAsValValVal(); });
}
