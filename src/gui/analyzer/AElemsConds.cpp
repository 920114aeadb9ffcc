#include "analyzer/AElemsConds.h"

#include "ui_AElemsConds.h"

#include "analysis/AnalyzerFields.h"

using AnalyzerFields::number;
using AnalyzerFields::numberText;

AElemsConds::AElemsConds(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::AElemsConds)
{
    ui->setupUi(this);
}

AElemsConds::~AElemsConds()
{
    delete ui;
}

BackgroundValues AElemsConds::values() const
{
    BackgroundValues v;
    v.dmut = number(ui->BGVDMut->text());
    v.dE = number(ui->BGVDE->text());
    v.roi = number(ui->BGVROI->text());
    v.nroi = number(ui->BGVNROI->text());
    return v;
}

double AElemsConds::dmutRatio() const
{
    return number(ui->BGVDMutR->text());
}

void AElemsConds::setDMut(double v)
{
    ui->BGVDMut->setText(numberText(v));
}

void AElemsConds::setDMutRatio(double v)
{
    ui->BGVDMutR->setText(numberText(v));
}

void AElemsConds::setDE(double v)
{
    ui->BGVDE->setText(numberText(v));
}

void AElemsConds::setROI(double v)
{
    ui->BGVROI->setText(numberText(v));
}

void AElemsConds::setNROI(double v)
{
    ui->BGVNROI->setText(numberText(v));
}
