#include "fileselect/SelectDataFiles.h"

#include "ui_SelectDataFiles.h"

#include "base/StartupOptions.h"
#include "fileselect/EOFSetup.h"
#include "io/EnergyOfFiles.h"
#include "io/Hdf5Catalog.h"
#include "io/TxrmScan.h"
#include "controls/DialogFolder.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {

// Item data of an entry beside its energy (Qt::UserRole): the file number the
// loader gave it and whether the rule gave it an energy of its own.
constexpr int fileNoRole = Qt::UserRole + 1;
// The file number of an entry whose energy comes from its file.
constexpr int fileEnergy = -1;
constexpr int knownRole = Qt::UserRole + 2;

// The files among dropped URLs, in the order given: local, not directories.
QStringList localFiles(const QMimeData* mime)
{
    QStringList files;
    if (!mime || !mime->hasUrls())
        return files;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
            files << url.toLocalFile();
    }
    return files;
}

}

SelectDataFiles::SelectDataFiles(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::SelectDataFiles)
    , m_eofSetup(new EOFSetup)
{
    ui->setupUi(this);
    ui->LoadProgress->hide();
    setAcceptDrops(true);

    connect(ui->Select, &QPushButton::clicked, this, &SelectDataFiles::showFileDialog);
    connect(ui->SelectHdf5, &QPushButton::clicked, this, &SelectDataFiles::showHdf5Dialog);
    connect(ui->Clear, &QPushButton::clicked, this, &SelectDataFiles::clear);
    connect(ui->EngOfFilesSetup, &QPushButton::clicked, this, &SelectDataFiles::showEOFSetup);
    connect(ui->Selected, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &SelectDataFiles::newImageSelected);
    connect(ui->Selected, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &SelectDataFiles::showCurrentEnergy);
    connect(m_eofSetup, &EOFSetup::applied, this, &SelectDataFiles::reassignEnergies);
}

SelectDataFiles::~SelectDataFiles()
{
    delete m_eofSetup;
    delete ui;
}

double SelectDataFiles::addFile(const QString& path, int fileNo)
{
    const EnergyOfFiles rule = m_eofSetup->settings();
    return addEntry(path, rule.energyOf(path, fileNo), fileNo, rule.givesEnergy(path));
}

double SelectDataFiles::addFileWithEnergy(const QString& path, double energy)
{
    return addEntry(path, energy, fileEnergy, true);
}

double SelectDataFiles::addEntry(const QString& path, double energy, int fileNo, bool known)
{
    ui->Selected->addItem(path, energy);
    const int i = ui->Selected->count() - 1;
    ui->Selected->setItemData(i, fileNo, fileNoRole);
    ui->Selected->setItemData(i, known, knownRole);
    ui->Count->setText(QString::number(ui->Selected->count()));
    // The first entry became the current one before its data was set.
    if (i == ui->Selected->currentIndex())
        showCurrentEnergy();
    return energy;
}

QStringList SelectDataFiles::paths() const
{
    QStringList out;
    for (int i = 0; i < ui->Selected->count(); ++i)
        out << ui->Selected->itemText(i);
    return out;
}

bool SelectDataFiles::energiesKnown() const
{
    for (int i = 0; i < ui->Selected->count(); ++i)
        if (!ui->Selected->itemData(i, knownRole).toBool())
            return false;
    return ui->Selected->count() > 0;
}

QVector<double> SelectDataFiles::reassignEnergies()
{
    const EnergyOfFiles rule = m_eofSetup->settings();
    QVector<double> energies;
    energies.reserve(ui->Selected->count());
    for (int i = 0; i < ui->Selected->count(); ++i) {
        const QString path = ui->Selected->itemText(i);
        const int fileNo = ui->Selected->itemData(i, fileNoRole).toInt();
        if (fileNo == fileEnergy) {
            energies.append(ui->Selected->itemData(i).toDouble());
            continue;
        }
        const double e = rule.energyOf(path, fileNo);
        ui->Selected->setItemData(i, e);
        ui->Selected->setItemData(i, rule.givesEnergy(path), knownRole);
        energies.append(e);
    }
    showCurrentEnergy();
    emit energiesReassigned(energies);
    return energies;
}

void SelectDataFiles::showCurrentEnergy()
{
    const int i = ui->Selected->currentIndex();
    if (i < 0) {
        ui->CurrentEnergy->clear();
        return;
    }
    if (!ui->Selected->itemData(i, knownRole).toBool()) {
        ui->CurrentEnergy->setText(tr("no energy"));
        return;
    }
    ui->CurrentEnergy->setText(tr("%1 eV").arg(energyAt(i), 0, 'f', 2));
}

int SelectDataFiles::skip() const
{
    return EnergyOfFiles::readInteger(ui->Skip->text());
}

int SelectDataFiles::cutFirst() const
{
    return EnergyOfFiles::readInteger(ui->CutFirst->text());
}

int SelectDataFiles::cutLast() const
{
    return EnergyOfFiles::readInteger(ui->CutLast->text());
}

bool SelectDataFiles::showLatest() const
{
    return ui->ShowLatest->isChecked();
}

int SelectDataFiles::currentIndex() const
{
    return ui->Selected->currentIndex();
}

int SelectDataFiles::count() const
{
    return ui->Selected->count();
}

double SelectDataFiles::energyAt(int i) const
{
    return ui->Selected->itemData(i).toDouble();
}

void SelectDataFiles::setTitle(const QString& t)
{
    ui->Select->setText(t);
    setWindowTitle(t);
    // Two panels own a dialog each; the title tells them apart.
    m_eofSetup->setWindowTitle(tr("Energy of Files: %1").arg(t));
}

void SelectDataFiles::setLoadProgress(int done, int asked)
{
    if (done >= asked) {
        ui->LoadProgress->hide();
        return;
    }
    ui->LoadProgress->setText(QStringLiteral("%1 / %2").arg(done).arg(asked));
    ui->LoadProgress->show();
}

void SelectDataFiles::newImageSelected(int i)
{
    if (ui->ShowLatest->isChecked())
        emit currentIndexChanged(i);
}

void SelectDataFiles::clearFiles()
{
    ui->Selected->clear();
    ui->Count->setText(QStringLiteral("0"));
    ui->LoadProgress->hide();
}

void SelectDataFiles::prev()
{
    const int i = ui->Selected->currentIndex();
    if (i > 0)
        ui->Selected->setCurrentIndex(i - 1);
}

void SelectDataFiles::next()
{
    const int i = ui->Selected->currentIndex();
    if (i < ui->Selected->count() - 1)
        ui->Selected->setCurrentIndex(i + 1);
}

void SelectDataFiles::select(int idx)
{
    if (idx >= 0 && idx < ui->Selected->count())
        ui->Selected->setCurrentIndex(idx);
}

void SelectDataFiles::setSkip(int skip)
{
    ui->Skip->setText(QString::number(skip));
}

void SelectDataFiles::setCutF(int cutF)
{
    ui->CutFirst->setText(QString::number(cutF));
}

void SelectDataFiles::setCutL(int cutL)
{
    ui->CutLast->setText(QString::number(cutL));
}

void SelectDataFiles::setShowLatest(bool f)
{
    ui->ShowLatest->setChecked(f);
}

void SelectDataFiles::setEngByName(bool f)
{
    m_eofSetup->setEngByName(f);
}

void SelectDataFiles::setEngByCalc(bool f)
{
    m_eofSetup->setEngByCalc(f);
}

void SelectDataFiles::setEngCalcStart(double start)
{
    m_eofSetup->setEngCalcStart(start);
}

void SelectDataFiles::setEngCalcDelta(double delta)
{
    m_eofSetup->setEngCalcDelta(delta);
}

void SelectDataFiles::setEngCalcEnd(double end)
{
    m_eofSetup->setEngCalcEnd(end);
}

void SelectDataFiles::setEngCalcNum(int n)
{
    m_eofSetup->setEngCalcNum(n);
}

void SelectDataFiles::setEvenInEng(bool f)
{
    m_eofSetup->setEvenInEng(f);
}

void SelectDataFiles::setEvenInDeg(bool f)
{
    m_eofSetup->setEvenInDeg(f);
}

void SelectDataFiles::setDispUnit(int idx)
{
    m_eofSetup->setDispUnit(idx);
}

void SelectDataFiles::setEngByNameRegExp(const QString& pattern)
{
    m_eofSetup->setEngByNameRegExp(pattern);
}

void SelectDataFiles::setEngByNameFactor(double factor)
{
    m_eofSetup->setEngByNameFactor(factor);
}

void SelectDataFiles::setEngByRef(const QString& fname)
{
    m_eofSetup->setEngByRef(fname);
}

void SelectDataFiles::dragEnterEvent(QDragEnterEvent* event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void SelectDataFiles::dropEvent(QDropEvent* event)
{
    const QStringList files = localFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    // One scan file dropped: it opens like "HDF5...".
    if (files.size() == 1 && (Hdf5Catalog::isHdf5(files.first()) || TxrmScan::isCompoundFile(files.first())))
        scanFileChosen(files.first());
    else
        filesChosen(files);
}

void SelectDataFiles::showFileDialog()
{
    if (!m_dialog) {
        m_dialog = new QFileDialog(this);
        m_dialog->setFileMode(QFileDialog::ExistingFiles);
        m_dialog->setAcceptMode(QFileDialog::AcceptOpen);
        m_dialog->setNameFilters({tr("CTTR Files, IMG Files, Tiff Files (*.dat *.img *.tif *.tiff)"),
                                  tr("Any Files (* *.*)")});
        DialogFolder::follow(m_dialog, QStringLiteral("series"));
        connect(m_dialog, &QFileDialog::filesSelected, this, &SelectDataFiles::filesChosen);
    }
    m_dialog->show();
}

void SelectDataFiles::showHdf5Dialog()
{
    if (!m_hdf5Dialog) {
        m_hdf5Dialog = new QFileDialog(this);
        m_hdf5Dialog->setObjectName(QStringLiteral("Hdf5FileDialog"));
        m_hdf5Dialog->setFileMode(QFileDialog::ExistingFile);
        m_hdf5Dialog->setAcceptMode(QFileDialog::AcceptOpen);
        m_hdf5Dialog->setNameFilters({tr("HDF5 Files (*.h5 *.hdf5 *.hdf *.nxs)"), tr("TXRM/XRM Files (*.txrm *.xrm)"),
                                      tr("Any Files (* *.*)")});
        m_hdf5Dialog->setDirectory(AppPaths::dataRoot());
        connect(m_hdf5Dialog, &QFileDialog::fileSelected, this, &SelectDataFiles::scanFileChosen);
    }
    m_hdf5Dialog->show();
}

void SelectDataFiles::scanFileChosen(const QString& file)
{
    // A compound document is a microscope's TXRM/XRM file; anything else
    // goes to the HDF5 scan dialog, which says what it is not.
    if (TxrmScan::isCompoundFile(file))
        emit txrmFileChosen(file);
    else
        emit hdf5FileChosen(file);
}

void SelectDataFiles::showEOFSetup()
{
    m_eofSetup->setLoadedFiles(paths());
    m_eofSetup->show();
    m_eofSetup->raise();
    m_eofSetup->activateWindow();
}

void SelectDataFiles::filesChosen(const QStringList& files)
{
    emit filesSelected(files, ui->LoadNewFiles->isChecked());
}
