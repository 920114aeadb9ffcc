#include "analyzer/LCFReference.h"

#include "ui_LCFReference.h"

#include "analysis/AnalyzerFields.h"
#include "grid/Analyzed2DRes.h"

#include <QDebug>

using AnalyzerFields::number;
using AnalyzerFields::numberText;

LCFReference::LCFReference(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::LCFReference)
{
    m_maps.append(new Analyzed2DRes(QStringLiteral("LCF Ref 1"), this));
    m_maps.append(new Analyzed2DRes(QStringLiteral("LCF Ref 2"), this));
    ui->setupUi(this);
    m_spectrum.setOffset(0.0, true);
    m_spectrum.setVictoreen(ui->IsVictreen->isChecked());
    editedDeltaE();
    connect(ui->XFS, &XafsFileSelect::newFile, this, &LCFReference::newFile);
    connect(ui->XFS, &XafsFileSelect::changedUse, this, &LCFReference::changedUse);
    connect(ui->DeltaE, &QLineEdit::editingFinished, this, &LCFReference::editedDeltaE);
    connect(ui->IsVictreen, &QCheckBox::toggled, this, &LCFReference::toggledIsVictreen);
}

LCFReference::~LCFReference()
{
    delete ui;
}

XafsFileSelect* LCFReference::fileSelect() const
{
    return ui->XFS;
}

QRadioButton* LCFReference::showButton() const
{
    return ui->Show;
}

bool LCFReference::isUsed() const
{
    return ui->XFS->isUsed() && ui->XFS->isFileChosen();
}

ReferenceSnapshot LCFReference::snapshot() const
{
    ReferenceSnapshot s;
    s.spectrum = m_spectrum;
    s.use = ui->XFS->isUsed();
    s.fileChosen = ui->XFS->isFileChosen();
    s.coefficient = m_coefficient;
    return s;
}

void LCFReference::showFitResult(double fraction, double amount)
{
    ui->R->setText(AnalyzerFields::percentText(fraction * 100.0));
    ui->T->setText(numberText(amount));
    ui->T->setCursorPosition(0);
    m_coefficient = fraction;
}

Analyzed2DRes* LCFReference::map(int kind) const
{
    if (m_owed) {
        const ScanGrid grid = *m_owed;
        m_owed.reset();
        for (Analyzed2DRes* m : m_maps) {
            m->setup(grid);
            if (m_owedPictures)
                m->genImg();
        }
    }
    return keptMap(kind);
}

Analyzed2DRes* LCFReference::keptMap(int kind) const
{
    return kind >= 0 && kind < m_maps.size() ? m_maps[kind] : nullptr;
}

void LCFReference::oweMaps(const ScanGrid& grid)
{
    for (Analyzed2DRes* m : m_maps)
        m->clear();
    m_owed = grid;
    m_owedPictures = false;
}

void LCFReference::markOwedPictures()
{
    if (m_owed)
        m_owedPictures = true;
}

void LCFReference::newFile(QString fname)
{
    XafsSpectrum next = m_spectrum;
    if (next.load(fname) && !next.isEmpty()) {
        m_spectrum = next;
        m_loadedFile = fname;
        const bool vic = ui->IsVictreen->isChecked();
        m_spectrum.setVictoreen(vic);
        m_spectrum.normalize(vic);
        showEdge();
        // A reference chosen is a reference to fit with.
        ui->XFS->setUse(true);
        changedUse(true);
        emit newFileSelected();
        return;
    }
    qWarning().noquote() << "Can not read reference file" << fname;
    // Back to the reference the row had; without one the row shows no file
    // and takes no part in the fits.
    const QString previous = m_loadedFile;
    m_loadedFile.clear();
    if (!previous.isEmpty() && previous != fname) {
        ui->XFS->load(previous);
        return;
    }
    XafsSpectrum empty;
    empty.setOffset(m_spectrum.offset(), true);
    empty.setDE(m_spectrum.dE());
    empty.setVictoreen(m_spectrum.victoreen());
    m_spectrum = empty;
    ui->XFS->clear();
    ui->DMut->clear();
    ui->MidE->clear();
    emit newFileSelected();
}

void LCFReference::showEdge()
{
    ui->DMut->setText(numberText(m_spectrum.jump()));
    ui->MidE->setText(numberText(m_spectrum.e0()));
    // Long numbers show their leading digits, not their tail.
    ui->DMut->setCursorPosition(0);
    ui->MidE->setCursorPosition(0);
}

void LCFReference::changedUse(bool f)
{
    m_use = f;
}

void LCFReference::setDeltaE(double dE)
{
    m_spectrum.setOffset(dE, true);
    m_spectrum.setDE(dE);
}

void LCFReference::editedDeltaE()
{
    setDeltaE(number(ui->DeltaE->text()));
    emit newDeltaE();
}

void LCFReference::toggledIsVictreen(bool f)
{
    m_spectrum.setVictoreen(f);
    if (m_spectrum.isEmpty())
        return;
    m_spectrum.normalize(f);
    showEdge();
}

void LCFReference::setStd(bool use, double dE, QString fname, QString isVic)
{
    ui->IsVictreen->setChecked(AnalyzerFields::victoreenFromText(isVic));
    ui->XFS->load(fname);
    ui->XFS->setUse(use);
    changedUse(use);
    setDeltaE(dE);
    ui->DeltaE->setText(numberText(dE));
}
