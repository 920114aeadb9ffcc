// Body: saving the picture on show, result maps as 16-bit TIFF or text, the
// spectra of a grid and the flat/dark pair, with the save dialogs, the save
// configuration window and a provenance sidecar next to every saved map and
// spectra file. Nothing replaces a good file until its new version is
// complete; a save that fails is reported by name.
#include "Body.h"

#include "ui_Body.h"

#include "analyzer/Analyzer.h"
#include "analyzer/LCFReference.h"
#include "base/AtomicFile.h"
#include "base/JobRunner.h"
#include "base/StartupOptions.h"
#include "calibration/CalibCtrl.h"
#include "controls/JobProgressBar.h"
#include "fileselect/EOFSetup.h"
#include "fileselect/SelectDataFiles.h"
#include "imageview/ColorBar.h"
#include "imageview/ImgDispA.h"
#include "io/TiffData.h"
#include "output/GridAxes.h"
#include "output/MapSaving.h"
#include "output/SaveFileNames.h"
#include "output/SaveProvenance.h"
#include "output/SpectraFileJob.h"
#include "output/TextMapWriter.h"
#include "savedialog/SaveDataCfg.h"
#include "spectrumview/XafsFileSelect.h"

#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageWriter>

#ifndef ORV_VERSION
#define ORV_VERSION "unknown"
#endif

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
    d->setDirectory(AppPaths::dataRoot());
    return d;
}

QStringList fileNames(const ImageSeries& series)
{
    QStringList out;
    for (const TiffData* t : series.images())
        out << t->fileName();
    return out;
}

} // namespace

void Body::buildSaving()
{
    m_saveDataCfg = new SaveDataCfg;
    m_secondaryWindows.append(m_saveDataCfg);
    m_saveRunner = new JobRunner(this);
    ui->SaveProgress->attach(m_saveRunner);
    const QString any = tr("Any Files (* *.*)");
    m_imageDialog = saveDialog(this, QStringLiteral("SaveImageDialog"), {tr("Image File (*.png)"), any});
    m_dataDialog = saveDialog(this, QStringLiteral("SaveDataDialog"), {tr("Tiff File (*.tif)"), any});
    m_spectraDialog = saveDialog(this, QStringLiteral("SaveSpectraDialog"), {tr("XAFS Spectra (*.dat)"), any});
    connect(m_imageDialog, &QFileDialog::fileSelected, this, &Body::saveImage);
    connect(m_dataDialog, &QFileDialog::fileSelected, this, &Body::saveData);
    connect(m_spectraDialog, &QFileDialog::fileSelected, this, &Body::saveEachSpectrum);
    connect(ui->SaveImage, &QPushButton::clicked, m_imageDialog, &QFileDialog::show);
    connect(ui->SaveDataCfgB, &QPushButton::clicked, m_saveDataCfg, &QWidget::show);
    connect(ui->SaveData, &QPushButton::clicked, this, &Body::showSaveDataDialog);
    connect(ui->SaveEachSpectrum, &QPushButton::clicked, m_spectraDialog, &QFileDialog::show);
    connect(ui->SaveFlatDark, &QPushButton::clicked, this, &Body::saveFlatDark);

    // Built after the analyzer and its run runner. A stopped run ends nothing
    // by itself; a script waiting for it must not wait forever.
    connect(m_runRunner, &JobRunner::finished, this, [this](bool stopped) {
        const BatchWait::Work w = m_batchWait.work;
        if (stopped && (w == BatchWait::LcfRun || w == BatchWait::ElemsRun || w == BatchWait::ResidualRun
                        || w == BatchWait::FourierRun)) {
            reportFailure(QStringLiteral("The analysis run was stopped"));
            emit finishBatchExec();
        }
    });
}

bool Body::isSaving() const
{
    return m_saveRunner->isRunning();
}

SaveProvenance Body::provenance() const
{
    SaveProvenance p;
    p.programVersion = QStringLiteral(ORV_VERSION);
    p.i1 = Provenance::seriesOf(fileNames(m_i1));
    p.i0 = Provenance::seriesOf(fileNames(m_i0));
    p.energyRule = Provenance::energyRuleText(ui->SelectI1Files->eofSetup()->settings());
    p.halfWidth = halfWidth();
    p.halfHeight = halfHeight();
    for (const LCFReference* row : m_analyzer->refs())
        if (row->isUsed())
            p.references.append({row->fileSelect()->fileName(), row->snapshot().spectrum.offset()});
    p.shiftMap = m_shiftMap.data() ? SaveProvenance::ShiftMap(m_shiftMapOrigin) : SaveProvenance::NoShiftMap;
    p.shiftMapFile = m_shiftMapFile;
    p.date = QDateTime::currentDateTime();
    return p;
}

bool Body::writeProvenance(const QString& savedFile)
{
    QString error;
    if (Provenance::write(provenance(), savedFile, &error))
        return true;
    reportFailure(error);
    return false;
}

void Body::startSaveJob(const std::shared_ptr<SaveFileJob>& job)
{
    if (isSaving()) {
        reportFailure(QStringLiteral("Can't write %1: another file is being written").arg(job->path()));
        return;
    }
    job->setDone([this](const SaveFileJob::Result& r) {
        if (!r.ok)
            reportFailure(r.message);
        if (m_batchWait.work == BatchWait::Saving)
            emit finishBatchExec();
    });
    m_saveRunner->start(job);
}

void Body::saveImage(const QString& fname)
{
    // The picture as the display shows it (a hidden window may not have
    // rendered it yet).
    if (DisplayLayer* shown = ui->dispA->shownLayer(); shown && !shown->layerImage())
        shown->renderLayer();
    QString error;
    if (!AtomicFile::saveImage(ui->dispA->visibleImage(), fname, &error)) {
        reportFailure(error);
        return;
    }
    ui->CBar->paintCBar();
    if (!AtomicFile::saveImage(ui->CBar->pixmap().toImage(), SaveFileNames::withNumber(fname, QStringLiteral("cBar")),
                               &error))
        reportFailure(error);
}

void Body::saveImageWNum(const QString& fname, const QString& num)
{
    saveImage(SaveFileNames::withNumber(fname, num));
}

void Body::saveAllImages(const QString& fname)
{
    const QVector<LCFReference*>& rows = m_analyzer->refs();
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
                reportFailure(error);
                return;
            }
            ++saved;
        }
    }
    if (saved == 0)
        reportFailure(QStringLiteral("Can't save %1: no reference row in use has a result map").arg(fname));
}

void Body::showSaveDataDialog()
{
    const QString first = m_saveDataCfg->settings().saveAsTiff ? tr("Tiff File (*.tif)") : tr("Data File (*.dat)");
    m_dataDialog->setNameFilters({first, tr("Any Files (* *.*)")});
    m_dataDialog->setDirectory(AppPaths::dataRoot());
    m_dataDialog->show();
}

void Body::saveData(const QString& fname)
{
    const int ext = shownReferenceRow();
    if (m_saveDataCfg->settings().saveAsTiff) {
        qDebug() << "selected tiff";
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
        ui->CBar->paintCBar();
        QString error;
        if (!AtomicFile::saveImage(ui->CBar->pixmap().toImage(), bar, &error))
            reportFailure(error);
    } else {
        qDebug() << "selected text";
        saveDataAsText(fname, ext);
    }
}

void Body::saveDataAsTiff(const QString& fname, int ext)
{
    writeMapTiff(fname, ext);
}

bool Body::writeMapTiff(const QString& fname, int ext)
{
    const QString target = SaveFileNames::numbered(fname, ext, QStringLiteral("tif"));
    qDebug() << "saveDataAsTiff";
    Analyzed2DRes* map = m_analyzer->currentImage();
    if (!map) {
        reportFailure(QStringLiteral("Can't save %1: no result map is selected").arg(target));
        return false;
    }
    QString error;
    if (!MapSaving::saveMapAsTiff(*map, target, m_saveDataCfg->settings(), &error)) {
        reportFailure(error);
        return false;
    }
    return writeProvenance(target);
}

void Body::saveDataAsText(const QString& fname, int ext)
{
    const QString target = SaveFileNames::numbered(fname, ext, QStringLiteral("dat"));
    const Analyzed2DRes* map = m_analyzer->currentImage();
    if (!map || !map->data()) {
        reportFailure(QStringLiteral("Can't save %1: no result map is selected").arg(target));
        return;
    }
    const SaveDataSettings settings = m_saveDataCfg->settings();
    if (GridAxes::of(map->grid()).points() > textMapJobPoints) {
        auto job = std::make_shared<TextMapJob>(target, map->data(), map->width(), map->height(), map->grid(),
                                                settings.textFormat());
        job->setProvenance(provenance());
        startSaveJob(job);
        return;
    }
    QString error;
    if (!MapSaving::saveMapAsText(*map, target, settings, &error)) {
        reportFailure(error);
        return;
    }
    writeProvenance(target);
}

void Body::saveFlatDark()
{
    QString error;
    if (!MapSaving::saveFlatDark(m_imageWidth, m_imageHeight, QDir::currentPath(), &error))
        reportFailure(error);
}

void Body::saveEachSpectrum(const QString& fname)
{
    if (ui->SaveAsXAFS->isChecked())
        saveEachXafsSpectrum(fname);
    else if (ui->SaveAsRaw->isChecked())
        saveEachRawSpectrum(fname);
}

void Body::saveEachXafsSpectrum(const QString& fname)
{
    startSpectraFile(fname, false);
}

void Body::saveEachRawSpectrum(const QString& fname)
{
    startSpectraFile(fname, true);
}

void Body::startSpectraFile(const QString& fname, bool raw)
{
    const QString target = SaveFileNames::withDefaultSuffix(fname, QStringLiteral("dat"));
    if (m_i1.isEmpty() || m_imageWidth <= 0) {
        reportFailure(QStringLiteral("Can't write %1: no I1 image is loaded").arg(target));
        return;
    }
    if (isAligning()) {
        reportFailure(QStringLiteral("Can't write %1: the images are being aligned").arg(target));
        return;
    }
    SpectraFileRequest r;
    r.fileName = fname;
    r.raw = raw;
    r.grid = SpectraFileJob::grid(m_imageWidth, m_imageHeight, halfWidth(), halfHeight(), workArea());
    r.i1 = m_i1.constImages();
    r.i0 = m_i0.constImages();
    r.fluorescence = ui->FluoType->isChecked();
    r.victoreen = targetVictoreen();
    r.shiftMap = m_shiftMap.data();
    r.shiftWidth = m_shiftMap.width();
    r.shiftHeight = m_shiftMap.height();
    auto job = std::make_shared<SpectraFileJob>(r);
    job->setProvenance(provenance());
    startSaveJob(job);
}
