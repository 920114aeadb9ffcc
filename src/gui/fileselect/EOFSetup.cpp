#include "fileselect/EOFSetup.h"

#include "ui_EngOfFilesSetup.h"

#include "base/StartupOptions.h"
#include "physics/Units.h"
#include "controls/DialogFolder.h"
#include "base/Persisted.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>

EOFSetup::EOFSetup(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::EngOfFilesSetup)
    , m_units(new Units(this))
{
    ui->setupUi(this);
    ui->PatternList->addItems(EnergyOfFiles::defaultPatterns());

    connect(ui->Start, &QLineEdit::editingFinished, this, &EOFSetup::newStart);
    connect(ui->Delta, &QLineEdit::editingFinished, this, &EOFSetup::newDelta);
    connect(ui->End, &QLineEdit::editingFinished, this, &EOFSetup::newEnd);
    connect(ui->NumOfPoints, &QLineEdit::editingFinished, this, &EOFSetup::newNumOfPoints);
    connect(ui->Pattern, &QLineEdit::editingFinished, this, &EOFSetup::newPattern);
    connect(ui->PatternList, &QComboBox::textActivated, this, &EOFSetup::newPatternSelected);
    connect(ui->SelRefFile, &QPushButton::clicked, this, &EOFSetup::showRefFileDialog);
    // Choosing in the list by keyboard or mouse both take the pattern.
    connect(ui->PatternList, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this](int i) {
        const QString pattern = ui->PatternList->itemText(i);
        if (i >= 0 && pattern != ui->Pattern->text())
            newPatternSelected(pattern);
    });
    connect(ui->ApplyButtons, &QDialogButtonBox::clicked, this, &EOFSetup::buttonClicked);
    // The preview follows every field of the rule.
    for (QLineEdit* e : {ui->Pattern, ui->Factor, ui->Start, ui->End, ui->Delta, ui->NumOfPoints})
        connect(e, &QLineEdit::textChanged, this, &EOFSetup::updatePreview);
    for (QButtonGroup* g : {ui->SourceGroup, ui->SpacingGroup})
        connect(g, &QButtonGroup::idToggled, this, &EOFSetup::updatePreview);
    connect(ui->DisplayUnit, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &EOFSetup::updatePreview);

    ui->Pattern->setText(ui->PatternList->itemText(0));
    newPattern();
}

EOFSetup::~EOFSetup()
{
    delete ui;
}

EnergyOfFiles EOFSetup::settings() const
{
    EnergyOfFiles e;
    if (ui->FromFileName->isChecked())
        e.source = EnergyOfFiles::ByFileName;
    else if (ui->FromRefFile->isChecked())
        e.source = EnergyOfFiles::ByRefFile;
    else
        e.source = EnergyOfFiles::ByCalculation;
    e.pattern = ui->Pattern->text();
    e.factor = EnergyOfFiles::readNumber(ui->Factor->text());
    e.unit = ui->DisplayUnit->currentIndex();
    e.evenInEnergy = ui->EvenInEnergy->isChecked();
    e.start = EnergyOfFiles::readNumber(ui->Start->text());
    e.end = EnergyOfFiles::readNumber(ui->End->text());
    e.delta = EnergyOfFiles::readNumber(ui->Delta->text());
    e.numOfPoints = EnergyOfFiles::readInteger(ui->NumOfPoints->text());
    e.refEnergies = m_refEnergies;
    e.d = m_units->d();
    return e;
}

void EOFSetup::keepAs(const QString& key)
{
    const QVariant source = Persisted::value(key + QStringLiteral("/source"));
    if (source.isValid()) {
        setEngByName(source.toInt() == EnergyOfFiles::ByFileName);
        setEngByCalc(source.toInt() == EnergyOfFiles::ByCalculation);
        setEngByNameRegExp(Persisted::value(key + QStringLiteral("/pattern")).toString());
        setEngByNameFactor(Persisted::value(key + QStringLiteral("/factor"), 1.0).toDouble());
        setEngCalcStart(Persisted::value(key + QStringLiteral("/start")).toDouble());
        setEngCalcNum(Persisted::value(key + QStringLiteral("/points")).toInt());
        setEngCalcDelta(Persisted::value(key + QStringLiteral("/delta")).toDouble());
        setEvenInEng(Persisted::value(key + QStringLiteral("/evenInEnergy"), true).toBool());
    }
    connect(this, &EOFSetup::applied, this, [this, key] { storeRule(key); });
}

void EOFSetup::storeRule(const QString& key) const
{
    const EnergyOfFiles e = settings();
    // A rule from a reference file is not kept: the file may be gone.
    if (e.source == EnergyOfFiles::ByRefFile)
        return;
    Persisted::setValue(key + QStringLiteral("/source"), int(e.source));
    Persisted::setValue(key + QStringLiteral("/pattern"), e.pattern);
    Persisted::setValue(key + QStringLiteral("/factor"), e.factor);
    Persisted::setValue(key + QStringLiteral("/start"), e.start);
    Persisted::setValue(key + QStringLiteral("/delta"), e.delta);
    Persisted::setValue(key + QStringLiteral("/points"), e.numOfPoints);
    Persisted::setValue(key + QStringLiteral("/evenInEnergy"), e.evenInEnergy);
}

void EOFSetup::setLoadedFiles(const QStringList& paths)
{
    m_loaded = paths;
    updatePreview();
}

QString EOFSetup::previewText() const
{
    return ui->Preview->text();
}

void EOFSetup::updatePreview()
{
    if (m_loaded.isEmpty()) {
        ui->Preview->setText(tr("No images are loaded yet: the rule applies to the images as they arrive."));
        return;
    }
    const EnergyOfFiles::Preview p = settings().preview(m_loaded);
    if (p.withEnergy == 0) {
        ui->Preview->setText(tr("No loaded file name matches: the %1 images would be numbered 0 ... %2 "
                                "instead of getting energies.")
                                 .arg(p.count)
                                 .arg(p.count - 1));
        return;
    }
    ui->Preview->setText(tr("%1 of %2 loaded images get an energy: %3 ... %4 eV.")
                             .arg(p.withEnergy)
                             .arg(p.count)
                             .arg(p.first, 0, 'f', 2)
                             .arg(p.last, 0, 'f', 2));
}

void EOFSetup::buttonClicked(QAbstractButton* button)
{
    const QDialogButtonBox::StandardButton which = ui->ApplyButtons->standardButton(button);
    if (which == QDialogButtonBox::Ok || which == QDialogButtonBox::Apply)
        emit applied();
    if (which == QDialogButtonBox::Ok || which == QDialogButtonBox::Close)
        close();
}

void EOFSetup::newStart()
{
    const EnergyOfFiles e = settings();
    ui->End->setText(EnergyOfFiles::formatted(EnergyOfFiles::endOf(e.start, e.delta, e.numOfPoints)));
}

void EOFSetup::newDelta()
{
    newStart();
}

void EOFSetup::newEnd()
{
    const EnergyOfFiles e = settings();
    ui->Delta->setText(EnergyOfFiles::formatted(EnergyOfFiles::deltaOf(e.start, e.end, e.numOfPoints)));
}

void EOFSetup::newNumOfPoints()
{
    newEnd();
}

void EOFSetup::newPattern()
{
    const QString pattern = ui->Pattern->text();
    ui->Factor->setText(EnergyOfFiles::formatted(EnergyOfFiles::factorOfPattern(pattern)));
    int idx = ui->PatternList->findText(pattern, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (idx < 0) {
        ui->PatternList->addItem(pattern);
        idx = ui->PatternList->count() - 1;
    }
    ui->PatternList->setCurrentIndex(idx);
}

void EOFSetup::newPatternSelected(const QString& pattern)
{
    ui->Pattern->setText(pattern);
    newPattern();
}

void EOFSetup::refFileSelected(const QString& fname)
{
    if (EnergyOfFiles::readRefFile(fname, m_units->d(), m_refEnergies))
        ui->RefFilePath->setText(fname);
    updatePreview();
}

void EOFSetup::setEngByName(bool f)
{
    setGroupButton(ui->SourceGroup, ui->FromFileName, f);
}

void EOFSetup::setEngByCalc(bool f)
{
    setGroupButton(ui->SourceGroup, ui->FromFileNum, f);
}

void EOFSetup::setEngCalcStart(double start)
{
    ui->Start->setText(EnergyOfFiles::formatted(start));
    newStart();
}

void EOFSetup::setEngCalcDelta(double delta)
{
    ui->Delta->setText(EnergyOfFiles::formatted(delta));
    newDelta();
}

void EOFSetup::setEngCalcEnd(double end)
{
    ui->End->setText(EnergyOfFiles::formatted(end));
    newEnd();
}

void EOFSetup::setEngCalcNum(int n)
{
    ui->NumOfPoints->setText(QString::number(n));
    newNumOfPoints();
}

// The spacing is a choice of two: leaving one means taking the other.
void EOFSetup::setEvenInEng(bool f)
{
    (f ? ui->EvenInEnergy : ui->EvenInAngle)->setChecked(true);
}

void EOFSetup::setEvenInDeg(bool f)
{
    (f ? ui->EvenInAngle : ui->EvenInEnergy)->setChecked(true);
}

void EOFSetup::setDispUnit(int idx)
{
    if (idx >= 0 && idx < ui->DisplayUnit->count())
        ui->DisplayUnit->setCurrentIndex(idx);
}

void EOFSetup::setEngByNameRegExp(const QString& pattern)
{
    ui->Pattern->setText(pattern);
}

void EOFSetup::setEngByNameFactor(double factor)
{
    ui->Factor->setText(EnergyOfFiles::formatted(factor));
}

void EOFSetup::setEngByRef(const QString& fname)
{
    setGroupButton(ui->SourceGroup, ui->FromRefFile, !fname.isEmpty());
    ui->RefFilePath->setText(fname);
    if (!fname.isEmpty())
        refFileSelected(fname);
}

void EOFSetup::showRefFileDialog()
{
    if (!m_refDialog) {
        m_refDialog = new QFileDialog(this);
        m_refDialog->setFileMode(QFileDialog::ExistingFile);
        m_refDialog->setAcceptMode(QFileDialog::AcceptOpen);
        // The filter names belong with the form's texts in the catalogue.
        m_refDialog->setNameFilters({QCoreApplication::translate("EngOfFilesSetup", "XAFS Data File (*.dat)"),
                                     QCoreApplication::translate("EngOfFilesSetup", "Any Files (* *.*)")});
        DialogFolder::follow(m_refDialog, QStringLiteral("spectra"));
        connect(m_refDialog, &QFileDialog::fileSelected, this, &EOFSetup::refFileSelected);
    }
    m_refDialog->show();
}

void EOFSetup::setGroupButton(QButtonGroup* group, QAbstractButton* button, bool f)
{
    if (f || !button->isChecked()) {
        button->setChecked(f);
        return;
    }
    group->setExclusive(false);
    button->setChecked(false);
    group->setExclusive(true);
}
