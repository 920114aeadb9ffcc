#pragma once

#include "controls/FileDialogOnDemand.h"
#include "processing/CalibrationJob.h"

#include <QFrame>
#include <memory>

class JobProgressBar;
class QFileDialog;
class XafsSpectrum;

namespace Ui {
class CalibCtrl;
}

// The calibration window: the standard spectrum and its background form, the
// target background form, the crystal, the edge energy, the rule, the buttons
// that ask the main window to calibrate, clear, save and load the energy-shift
// map, and the four figures of the last calibration. Owns the standard.
class CalibCtrl : public QFrame
{
    Q_OBJECT
public:
    explicit CalibCtrl(QWidget* parent = nullptr);
    ~CalibCtrl() override;

    // The loaded standard, normalised; null until a load succeeds.
    const XafsSpectrum* standard() const { return m_standard.get(); }
    // d of the selected crystal, angstrom.
    double spacing() const;
    // The number in EdgeEeV (0 when it is not a number).
    double edgeEnergy() const;
    bool targetVictoreen() const;
    QString stdFileName() const;
    // 0 half height, 1 fit (CalibrationRule).
    int rule() const;
    CalibrationRule calibrationRule() const { return CalibrationRule(rule()); }
    // DEMax, DEMin, DEAvr and DESigma with 6 significant digits.
    void showStatistics(const CalibrationStats& stats);
    JobProgressBar* progressBar() const;

signals:
    void newStdFileLoaded();
    void execCalibration();
    void saveEMap(QString fname);
    void loadEMap(QString fname);
    void clearMap();

public slots:
    // Loads the standard: on success normalised with the Std. background
    // form, its edge energy shown in EdgeEeV, newStdFileLoaded emitted; on
    // failure the chooser's name is emptied and there is no standard.
    void newFile(QString fname);
    // Normalises a loaded standard again with the Std. background form.
    void stdBGToggled(bool f);
    // As if fname had been chosen in the standard chooser.
    void loadStd(QString fname);
    void setEdgeEV(QString eV);
    // The rule: 0 half height, 1 fit; other values change nothing.
    void setRule(int rule);
    // As if fname had been chosen in the open dialog.
    void loadEShiftMap(QString fname);

private:
    Ui::CalibCtrl* ui;
    std::unique_ptr<XafsSpectrum> m_standard;
    // Made when the Load and Save buttons are first pressed.
    FileDialogOnDemand m_openDialog;
    FileDialogOnDemand m_saveDialog;
};
