#include "savedialog/SaveDataCfg.h"

#include "ui_SaveDataCfg.h"

#include "batch/BatchArgs.h"

namespace {

// Text fields read as decimal numbers; text that is not a finite number
// reads as 0.
double fieldValue(const QLineEdit* field)
{
    return BatchArgs::toDouble(field->text());
}

} // namespace

SaveDataCfg::SaveDataCfg(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::SaveDataCfg)
{
    ui->setupUi(this);
    connect(ui->SaveAsTiff, &QRadioButton::toggled, this, &SaveDataCfg::toggledSaveAs);
    toggledSaveAs(ui->SaveAsTiff->isChecked());
}

SaveDataCfg::~SaveDataCfg()
{
    delete ui;
}

SaveDataSettings SaveDataCfg::settings() const
{
    SaveDataSettings s;
    s.saveAsTiff = ui->SaveAsTiff->isChecked();
    s.commaSeparated = ui->DataCommaSeparated->isChecked();
    s.xyVal = ui->DataXYVal->isChecked();
    s.tiffFixedScale = ui->TiffFixedScale->isChecked();
    s.tiffScaleMin = fieldValue(ui->TiffScaleMin);
    s.tiffScaleMax = fieldValue(ui->TiffScaleMax);
    s.tiffAsAnalyzed = ui->TiffAsAnalyzed->isChecked();
    return s;
}

void SaveDataCfg::toggledSaveAs(bool f)
{
    if (f)
        ui->SaveAsTiff->setChecked(true);
    else
        ui->SaveAsTextData->setChecked(true);
    ui->TiffCfg->setEnabled(f);
}

void SaveDataCfg::setSaveAsTiff()
{
    ui->SaveAsTiff->setChecked(true);
}

void SaveDataCfg::setSaveAsText()
{
    ui->SaveAsTextData->setChecked(true);
}

void SaveDataCfg::setSaveTiffScaleFixed(bool f)
{
    ui->TiffFixedScale->setChecked(f);
}

void SaveDataCfg::setSaveTiffScaleMin(double min)
{
    ui->TiffScaleMin->setText(BatchArgs::fieldText(min));
}

void SaveDataCfg::setSaveTiffScaleMax(double max)
{
    ui->TiffScaleMax->setText(BatchArgs::fieldText(max));
}

void SaveDataCfg::setSaveTiffAsAnalyzed(bool f)
{
    ui->TiffAsAnalyzed->setChecked(f);
}

void SaveDataCfg::setSaveTextAsCSV()
{
    ui->DataCommaSeparated->setChecked(true);
}

void SaveDataCfg::setSaveTextAsSSV()
{
    ui->DataSpaceSeparated->setChecked(true);
}

void SaveDataCfg::setSaveTextAsXYVal()
{
    ui->DataXYVal->setChecked(true);
}

void SaveDataCfg::setSaveTextAsValValVal()
{
    ui->DataValValVal->setChecked(true);
}
