#include "Hdf5Controller.h"

#include "ui_Body.h"

#include "batch/BatchKeywords.h"
#include "BatchExecutor.h"
#include "CommandTable.h"
#include "DarkController.h"
#include "fileselect/Hdf5StackDialog.h"
#include "fileselect/SelectDataFiles.h"
#include "io/Hdf5Catalog.h"
#include "io/Hdf5Probe.h"
#include "io/Hdf5StackSource.h"
#include "io/TxrmSource.h"
#include "SeriesController.h"

using namespace BatchKeywords;

Hdf5Controller::Hdf5Controller(BodyContext& c)
    : m_c(c)
{
    // The helper that reads HDF5 files first, made while the program is small.
    Hdf5Probe::prepare();
    m_dialog = new Hdf5StackDialog(m_c.window);
    m_dialog->setObjectName(QStringLiteral("Hdf5ScanDialog"));
    for (SelectDataFiles* panel : {m_c.ui->SelectI1Files, m_c.ui->SelectI0Files}) {
        connect(panel, &SelectDataFiles::hdf5FileChosen, this, &Hdf5Controller::chooseScan);
        connect(panel, &SelectDataFiles::txrmFileChosen, this, &Hdf5Controller::loadTxrm);
    }
    connect(m_dialog, &Hdf5StackDialog::scanChosen, this, [this](const Hdf5Scan& scan) { loadScan(scan); });
    connect(m_c.series, &SeriesController::loadFinished, this, &Hdf5Controller::loadEnded);
    addCommands(m_c.batch->table());
}

Hdf5Controller::~Hdf5Controller() = default;

void Hdf5Controller::chooseScan(const QString& file)
{
    QString error;
    if (!m_dialog->openFile(file, Hdf5StackDialog::ScanMode, &error))
        m_c.batch->reportFailure(error);
}

bool Hdf5Controller::loadScan(const Hdf5Scan& scan)
{
    Hdf5ScanPlan plan;
    QString error;
    if (!Hdf5ScanCheck::check(scan, &plan, &error)) {
        m_c.batch->reportFailure(error);
        return false;
    }
    const Hdf5ScanSources sources = Hdf5ScanSources::of(scan, plan);
    start(scan.file, sources.images, sources.flats);
    if (sources.darks)
        m_c.dark->load(sources.darks, sources.darkOrigin);
    return true;
}

bool Hdf5Controller::loadTxrm(const QString& file)
{
    TxrmPlan plan;
    QString error;
    if (!TxrmScan::check(file, &plan, &error)) {
        m_c.batch->reportFailure(error);
        return false;
    }
    const TxrmSources sources = TxrmSources::of(plan);
    start(file, sources.images, sources.flat);
    return true;
}

void Hdf5Controller::start(const QString& file, const ImageSourcePtr& images, const ImageSourcePtr& flats)
{
    m_file = file;
    m_i1Request = m_c.series->readSource(true, images);
    m_i0Request = flats ? m_c.series->readSource(false, flats) : 0;
    m_withFlats = bool(flats);
}

void Hdf5Controller::loadEnded(bool i1, int request)
{
    if (request != (i1 ? m_i1Request : m_i0Request) || request == 0)
        return;
    const QString shortfall = m_c.series->loadShortfall(i1);
    (i1 ? m_i1Request : m_i0Request) = 0;
    if (shortfall.isEmpty())
        return;
    // Half a scan is no measurement: neither series keeps any of it.
    m_c.series->clearFiles(true);
    if (m_withFlats)
        m_c.series->clearFiles(false);
    m_i1Request = m_i0Request = 0;
    m_c.batch->reportFailure(QStringLiteral("%1 did not load whole, so none of it was kept: %2").arg(m_file, shortfall));
}

bool Hdf5Controller::loadByScript(const QStringList& args)
{
    Hdf5Scan scan;
    scan.file = args.value(0);
    QVector<Hdf5Dataset> sets;
    QString error;
    if (scan.file.isEmpty() || !Hdf5Catalog::list(scan.file, &sets, &error)) {
        m_c.batch->reportFailure(scan.file.isEmpty() ? QStringLiteral("No HDF5 file named") : error);
        return true;
    }
    Hdf5Layouts::recognise(sets, &scan);
    // A dataset given replaces the layout's; "-" means none.
    QString* paths[] = {&scan.images, &scan.flats, &scan.darks, &scan.energies};
    for (int i = 0; i < 4 && i + 1 < args.size(); ++i)
        *paths[i] = args.at(i + 1) == QLatin1String("-") ? QString() : args.at(i + 1);
    if (args.size() > 5)
        scan.unit = Hdf5Layouts::unitFromText(args.at(5));
    if (!loadScan(scan))
        return true;
    m_c.batch->waitForScan(m_i1Request, m_i0Request);
    return false;
}

bool Hdf5Controller::loadTxrmByScript(const QString& file)
{
    if (file.isEmpty()) {
        m_c.batch->reportFailure(QStringLiteral("No TXRM/XRM file named"));
        return true;
    }
    if (!loadTxrm(file))
        return true;
    m_c.batch->waitForScan(m_i1Request, m_i0Request);
    return false;
}

void Hdf5Controller::addCommands(CommandTable& t)
{
    t.addLong(LoadHdf5Scan, [this](const CmdLine&, BatchArgReader& a) { return loadByScript(a.from(0)); });
    t.addLong(LoadTxrm, [this](const CmdLine&, BatchArgReader& a) { return loadTxrmByScript(a.from(0).value(0)); });
}
