#include "fileselect/Hdf5StackDialog.h"

#include "ui_Hdf5StackDialog.h"

#include "io/Hdf5Stack.h"

#include <QHeaderView>
#include <QPushButton>

namespace {

bool isStack(const Hdf5Dataset& d)
{
    return d.isNumeric() && d.rank() == 3;
}

bool isImageOrStack(const Hdf5Dataset& d)
{
    return d.isNumeric() && (d.rank() == 3 || d.rank() == 2);
}

bool isList(const Hdf5Dataset& d)
{
    return d.isNumeric() && d.rank() == 1;
}

QString chosenPath(const QComboBox* box)
{
    return box->currentData().toString();
}

}

Hdf5StackDialog::Hdf5StackDialog(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::Hdf5StackDialog)
{
    ui->setupUi(this);
    ui->Datasets->horizontalHeader()->setStretchLastSection(true);
    connect(ui->Buttons, &QDialogButtonBox::accepted, this, &Hdf5StackDialog::accept);
    connect(ui->Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

Hdf5StackDialog::~Hdf5StackDialog()
{
    delete ui;
}

void Hdf5StackDialog::fillChoice(QComboBox* box, const QVector<Hdf5Dataset>& sets, bool (*fits)(const Hdf5Dataset&),
                                 const QString& chosen)
{
    box->clear();
    box->addItem(tr("(none)"), QString());
    for (const Hdf5Dataset& d : sets)
        if (fits(d))
            box->addItem(QStringLiteral("%1  (%2, %3)").arg(d.path, d.shapeText(), d.typeText()), d.path);
    const int at = box->findData(chosen);
    box->setCurrentIndex(at >= 0 ? at : 0);
}

bool Hdf5StackDialog::openFile(const QString& file, Mode mode, QString* error)
{
    QVector<Hdf5Dataset> sets;
    if (!Hdf5Catalog::list(file, &sets, error))
        return false;
    Hdf5Scan known;
    Hdf5Layouts::recognise(sets, &known);
    setCatalog(file, sets, known, mode);
    show();
    raise();
    return true;
}

void Hdf5StackDialog::setCatalog(const QString& file, const QVector<Hdf5Dataset>& sets, const Hdf5Scan& prefill,
                                 Mode mode)
{
    m_file = file;
    m_mode = mode;
    m_layout = prefill.layout;
    ui->FilePath->setText(file);
    ui->Datasets->setRowCount(sets.size());
    for (int r = 0; r < sets.size(); ++r) {
        const Hdf5Dataset& d = sets.at(r);
        QStringList filters;
        for (int id : d.filters)
            filters << QString::number(id);
        const QString cells[] = {d.path, d.shapeText(), d.typeText(),
                                 d.missingFilters.isEmpty() ? filters.join(QStringLiteral(", "))
                                                            : tr("missing: %1").arg(d.missingFilters.join(QStringLiteral(", ")))};
        for (int c = 0; c < 4; ++c)
            ui->Datasets->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    ui->Datasets->resizeColumnsToContents();
    fillChoice(ui->ImagesSet, sets, isStack, prefill.images);
    fillChoice(ui->FlatsSet, sets, isImageOrStack, prefill.flats);
    fillChoice(ui->DarksSet, sets, isImageOrStack, prefill.darks);
    fillChoice(ui->EnergiesSet, sets, isList, prefill.energies);
    ui->EnergyUnit->setCurrentIndex(int(prefill.unit));
    const bool scanMode = mode == ScanMode;
    for (QWidget* w : {static_cast<QWidget*>(ui->ImagesSet), static_cast<QWidget*>(ui->FlatsSet),
                       static_cast<QWidget*>(ui->EnergiesSet), static_cast<QWidget*>(ui->EnergyUnit)})
        w->setEnabled(scanMode);
    setWindowTitle(scanMode ? tr("HDF5 Scan") : tr("HDF5 Dark Frames"));
    ui->LayoutName->setText(m_layout.isEmpty() ? tr("No known layout: choose the datasets.")
                                               : tr("Recognised layout: %1").arg(m_layout));
    ui->CheckMessage->clear();
}

Hdf5Scan Hdf5StackDialog::scan() const
{
    Hdf5Scan s;
    s.file = m_file;
    s.layout = m_layout;
    s.darks = chosenPath(ui->DarksSet);
    if (m_mode == DarkMode)
        return s;
    s.images = chosenPath(ui->ImagesSet);
    s.flats = chosenPath(ui->FlatsSet);
    s.energies = chosenPath(ui->EnergiesSet);
    s.unit = Hdf5Scan::Unit(qBound(0, ui->EnergyUnit->currentIndex(), 2));
    return s;
}

void Hdf5StackDialog::accept()
{
    const Hdf5Scan s = scan();
    QString error;
    bool ok = false;
    if (m_mode == ScanMode) {
        Hdf5ScanPlan plan;
        ok = Hdf5ScanCheck::check(s, &plan, &error);
    } else if (s.darks.isEmpty()) {
        error = tr("Choose the dataset of the dark frames.");
    } else {
        Hdf5Stack stack;
        ok = stack.open(s.file, s.darks, &error);
    }
    if (!ok) {
        ui->CheckMessage->setText(error);
        return;
    }
    QDialog::accept();
    emit scanChosen(s, int(m_mode));
}
