#pragma once

#include "output/SaveDataSettings.h"

#include <QDialog>

namespace Ui {
class SaveDataCfg;
}

// The save configuration dialog: TIFF or text, the text separator and
// layout, and the TIFF scale and extent. Its slots set one control each, so
// batch commands and the user take the same path; settings() reads them all.
class SaveDataCfg : public QDialog
{
    Q_OBJECT
public:
    explicit SaveDataCfg(QWidget* parent = nullptr);
    ~SaveDataCfg() override;

    SaveDataSettings settings() const;

public slots:
    // "Save as" changed: f checks "Save as Tiff", otherwise "Save as Text
    // data"; the TIFF options are enabled only with "Save as Tiff".
    void toggledSaveAs(bool f);
    void setSaveAsTiff();
    void setSaveAsText();
    void setSaveTiffScaleFixed(bool f);
    void setSaveTiffScaleMin(double min);
    void setSaveTiffScaleMax(double max);
    void setSaveTiffAsAnalyzed(bool f);
    void setSaveTextAsCSV();
    void setSaveTextAsSSV();
    void setSaveTextAsXYVal();
    void setSaveTextAsValValVal();

private:
    Ui::SaveDataCfg* ui;
};
