#include "DarkController.h"

#include "ui_Body.h"

#include "base/JobRunner.h"
#include "base/StartupOptions.h"
#include "batch/BatchKeywords.h"
#include "BatchExecutor.h"
#include "CommandTable.h"
#include "fileselect/Hdf5StackDialog.h"
#include "io/DarkField.h"
#include "io/DarkFieldJob.h"
#include "io/Hdf5Catalog.h"
#include "io/Hdf5Scan.h"
#include "io/Hdf5Stack.h"
#include "io/Hdf5StackSource.h"
#include "io/TiffData.h"
#include "SeriesController.h"
#include "SpectrumController.h"

#include <QCoreApplication>
#include <QFileDialog>

using namespace BatchKeywords;

DarkController::DarkController(BodyContext& c)
    : m_c(c)
    , m_dialog([this] { return makeDialog(); })
{
    Ui::Body* ui = m_c.ui;
    m_runner = new JobRunner(this);
    m_hdf5Dialog = new Hdf5StackDialog(m_c.window);
    connect(ui->SelectDark, &QPushButton::clicked, this, [this] { m_dialog.show(); });
    connect(m_hdf5Dialog, &Hdf5StackDialog::scanChosen, this, [this](const Hdf5Scan& s) {
        loadFiles({s.file}, s.darks);
    });
    connect(ui->ClearDark, &QPushButton::clicked, this, &DarkController::clear);
    connect(m_runner, &JobRunner::finished, this, [this] {
        if (m_c.batch->waitsFor() == BatchWait::Dark || m_c.batch->waitsFor() == BatchWait::ScanLoad)
            emit workEnded();
    });
    showState();
    addCommands(m_c.batch->table());
}

DarkController::~DarkController() = default;

QFileDialog* DarkController::makeDialog()
{
    auto* d = new QFileDialog(m_c.window);
    d->setObjectName(QStringLiteral("DarkFileDialog"));
    d->setFileMode(QFileDialog::ExistingFiles);
    d->setAcceptMode(QFileDialog::AcceptOpen);
    d->setNameFilters({QCoreApplication::translate("Body", "Dark Images (*.tif *.tiff *.img *.dat *.h5 *.hdf5)"),
                       QCoreApplication::translate("Body", "Any Files (* *.*)")});
    d->setDirectory(AppPaths::dataRoot());
    connect(d, &QFileDialog::filesSelected, this, [this](const QStringList& files) {
        if (files.size() == 1 && Hdf5Catalog::isHdf5(files.first()))
            chooseHdf5Dataset(files.first());
        else
            loadFiles(files);
    });
    return d;
}

bool DarkController::isLoading() const
{
    return m_runner->isRunning();
}

void DarkController::stopAndWait()
{
    m_runner->stopAndWait();
}

QString DarkController::description() const
{
    return m_dark ? m_dark->description() : QString();
}

void DarkController::applyTo(TiffData* image) const
{
    if (image)
        image->setDark(m_dark);
}

bool DarkController::load(const ImageSourcePtr& frames, const QString& origin)
{
    if (isLoading()) {
        m_c.batch->reportFailure(QStringLiteral("Can't read the dark %1: another dark is being read").arg(origin));
        return false;
    }
    auto job = std::make_shared<DarkFieldJob>(frames, origin,
                                              [this](std::shared_ptr<const DarkField> dark, const QString& error) {
                                                  if (dark)
                                                      setDark(std::move(dark));
                                                  else if (!error.isEmpty())
                                                      m_c.batch->reportFailure(error);
                                              });
    return m_runner->start(job);
}

bool DarkController::loadFiles(const QStringList& files, const QString& dataset)
{
    if (files.isEmpty()) {
        m_c.batch->reportFailure(QStringLiteral("No dark image to load"));
        return false;
    }
    const QString& first = files.first();
    if (!Hdf5Catalog::isHdf5(first))
        return load(std::make_shared<FileListSource>(files), files.size() == 1 ? first : QStringLiteral("%1 ... (%2 files)").arg(first).arg(files.size()));
    QString path = dataset;
    QString error;
    if (path.isEmpty()) {
        QVector<Hdf5Dataset> sets;
        Hdf5Scan known;
        if (Hdf5Catalog::list(first, &sets, &error) && Hdf5Layouts::recognise(sets, &known))
            path = known.darks;
        if (path.isEmpty()) {
            m_c.batch->reportFailure(error.isEmpty() ? QStringLiteral("%1: no dark dataset named or known").arg(first) : error);
            return false;
        }
    }
    Hdf5Stack stack;
    if (!stack.open(first, path, &error)) {
        m_c.batch->reportFailure(error);
        return false;
    }
    const int frames = stack.count();
    stack.close();
    return load(std::make_shared<Hdf5StackSource>(first, path, frames), QStringLiteral("%1::%2").arg(first, path));
}

void DarkController::clear()
{
    m_runner->stopAndWait();
    setDark(nullptr);
}

void DarkController::setDark(std::shared_ptr<const DarkField> dark)
{
    // Nothing may read the images' block sums while their dark changes.
    m_c.series->stopWorkOnSeries();
    m_dark = std::move(dark);
    int refused = 0;
    for (bool i1 : {true, false})
        for (TiffData* image : m_c.series->series(i1).images())
            refused += image->setDark(m_dark) ? 0 : 1;
    if (refused > 0)
        m_c.batch->reportFailure(QStringLiteral("The dark image is %1 x %2 pixels: it is not subtracted from %3 image(s) "
                                                "of another size")
                                     .arg(m_dark->width())
                                     .arg(m_dark->height())
                                     .arg(refused));
    showState();
    // A series still loading (the scan the dark came with) draws the
    // spectrum when it ends.
    if (!m_c.series->isLoading())
        m_c.spectrum->show();
}

void DarkController::chooseHdf5Dataset(const QString& file)
{
    QString error;
    if (!m_hdf5Dialog->openFile(file, Hdf5StackDialog::DarkMode, &error))
        m_c.batch->reportFailure(error);
}

void DarkController::showState()
{
    Ui::Body* ui = m_c.ui;
    ui->DarkState->setText(m_dark ? QCoreApplication::translate("Body", "Dark: level %1").arg(m_dark->level(), 0, 'f', 1)
                                  : QCoreApplication::translate("Body", "No dark"));
    ui->DarkState->setToolTip(m_dark ? m_dark->description() : QString());
    ui->ClearDark->setEnabled(bool(m_dark));
}

void DarkController::addCommands(CommandTable& t)
{
    t.addLong(LoadDark, [this](const CmdLine&, BatchArgReader& a) {
        const QStringList args = a.from(0);
        const bool hdf5 = !args.isEmpty() && Hdf5Catalog::isHdf5(args.first());
        const bool started = hdf5 ? loadFiles({args.first()}, args.value(1)) : loadFiles(args);
        // A refusal was reported by name already.
        return started ? m_c.batch->waitFor(BatchWait::Dark, isLoading(), QString()) : true;
    });
    t.add(ClearDark, [this](const CmdLine&, BatchArgReader&) { clear(); });
}
