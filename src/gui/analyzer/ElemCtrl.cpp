#include "analyzer/ElemCtrl.h"

#include "ui_ElemCtrl.h"

#include "analysis/AnalyzerFields.h"
#include "grid/Analyzed2DRes.h"

using AnalyzerFields::number;
using AnalyzerFields::numberText;

namespace {

const char* const mapSuffix[ElemCtrl::MapKinds] = {"0", "N", "MP", "MM", "DE", "ROI", "NROI"};

}

ElemCtrl::ElemCtrl(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::ElemCtrl)
{
    for (int k = 0; k < MapKinds; ++k)
        m_maps[k] = std::make_unique<Analyzed2DRes>(QStringLiteral("Elem Ctrl %1").arg(QLatin1String(mapSuffix[k])));
    ui->setupUi(this);
    connect(ui->StdRatio, &QLineEdit::editingFinished, this, &ElemCtrl::newStdRatio);
}

ElemCtrl::~ElemCtrl()
{
    delete ui;
}

void ElemCtrl::setElement(const ElementName& element)
{
    m_z = element.z;
    m_edge = element.edge;
    m_edgeEnergy = element.edgeEnergy;
    ui->Name->setText(element.name);
    for (int k = 0; k < MapKinds; ++k)
        m_maps[k]->setName(QStringLiteral("%1 Elem Ctrl %2").arg(element.name, QLatin1String(mapSuffix[k])));
    ui->No->setText(QString::number(element.z));
    ui->Eng->setText(numberText(element.edgeEnergy));
}

QString ElemCtrl::name() const
{
    return ui->Name->text();
}

ElementSnapshot ElemCtrl::snapshot() const
{
    ElementSnapshot s;
    s.z = m_z;
    s.edge = m_edge;
    s.dE = number(ui->PrePostDE->text());
    s.roiStart = number(ui->ROIs->text());
    s.roiEnd = number(ui->ROIe->text());
    s.threshold = number(ui->ThDMut->text());
    s.noNeg = ui->NoNeg->isChecked();
    return s;
}

void ElemCtrl::showResult(double dmut, double ratio, double muPlus, double muMinus, double edgeShift, double roi,
                          double nroi)
{
    m_lastDMut = dmut;
    m_lastRatio = ratio;
    m_lastMuPlus = muPlus;
    m_lastMuMinus = muMinus;
    ui->DMuT->setText(numberText(dmut));
    ui->Ratio->setText(numberText(ratio));
    ui->DE->setText(numberText(edgeShift));
    ui->ROI->setText(AnalyzerFields::shortText(roi));
    ui->NROI->setText(AnalyzerFields::shortText(nroi));
}

void ElemCtrl::setStdRatio(double v)
{
    ui->StdRatio->setText(numberText(v));
    m_stdRatio = v;
}

void ElemCtrl::newStdRatio()
{
    setStdRatio(number(ui->StdRatio->text()));
}

bool ElemCtrl::isUsed() const
{
    return ui->Use->isChecked();
}

void ElemCtrl::setUse(bool f)
{
    ui->Use->setChecked(f);
}

void ElemCtrl::setNoNeg(bool f)
{
    ui->NoNeg->setChecked(f);
}

void ElemCtrl::setThDMut(double v)
{
    ui->ThDMut->setText(numberText(v));
}

void ElemCtrl::setROI(double start, double end)
{
    ui->ROIs->setText(numberText(start));
    ui->ROIe->setText(numberText(end));
}

void ElemCtrl::setPrePostDE(double v)
{
    ui->PrePostDE->setText(numberText(v));
}

QRadioButton* ElemCtrl::mainTargetButton() const
{
    return ui->MainTarget;
}

QRadioButton* ElemCtrl::showButton() const
{
    return ui->Show;
}

Analyzed2DRes* ElemCtrl::map(int kind) const
{
    return kind >= 0 && kind < MapKinds ? m_maps[kind].get() : nullptr;
}
