#pragma once

#include "io/EnergyOfFiles.h"

#include <QFrame>
#include <QVector>

class QAbstractButton;
class QButtonGroup;
class QFileDialog;
class Units;

namespace Ui {
class EngOfFilesSetup;
}

// The energy-of-files dialog of a data-file panel: where the energy of each
// loaded image comes from (file name pattern and factor, calculation from the
// file number over a range, or a reference file of angles). It keeps the
// lattice spacing and the reference energies; the rules live in EnergyOfFiles.
class EOFSetup : public QFrame
{
    Q_OBJECT
public:
    explicit EOFSetup(QWidget* parent = nullptr);
    ~EOFSetup() override;

    // The rules as the form shows them now, with the reference list and d.
    EnergyOfFiles settings() const;
    // Energy in eV of the image read from `path` with file number `fileNo`.
    double energyOf(const QString& path, int fileNo) const { return settings().energyOf(path, fileNo); }

    Units* units() const { return m_units; }
    const QVector<double>& refEnergies() const { return m_refEnergies; }
    // The files of the series loaded now, for the preview of what the rule
    // gives them.
    void setLoadedFiles(const QStringList& paths);
    QString previewText() const;
    // Takes the rule kept under `key` from an earlier run (when settings are
    // kept) and keeps the rule under it whenever it is applied.
    void keepAs(const QString& key);

signals:
    // OK or Apply: the rule as it stands is to be given to the loaded images.
    void applied();

public slots:
    // Range bookkeeping after an edit: End from Start and Delta (newStart,
    // newDelta), Delta from Start, End and N (newEnd, newNumOfPoints).
    void newStart();
    void newDelta();
    void newEnd();
    void newNumOfPoints();
    // Pattern rule: Factor from the pattern ("1000" for keV), the pattern
    // selected in (or added to) the remembered list.
    void newPattern();
    void newPatternSelected(const QString& pattern);
    // Reads the reference file into the reference list; an unreadable file
    // keeps the list.
    void refFileSelected(const QString& fname);

    // The panel settings the batch commands reach through the data-file panel.
    void setEngByName(bool f);
    void setEngByCalc(bool f);
    void setEngCalcStart(double start);
    void setEngCalcDelta(double delta);
    void setEngCalcEnd(double end);
    void setEngCalcNum(int n);
    void setEvenInEng(bool f);
    void setEvenInDeg(bool f);
    void setDispUnit(int idx);
    void setEngByNameRegExp(const QString& pattern);
    void setEngByNameFactor(double factor);
    void setEngByRef(const QString& fname);

private:
    void showRefFileDialog();
    void storeRule(const QString& key) const;
    void updatePreview();
    void buttonClicked(QAbstractButton* button);
    // Checks or unchecks one button of an exclusive group; unchecking the
    // checked one leaves the group with none checked.
    static void setGroupButton(QButtonGroup* group, QAbstractButton* button, bool f);

    Ui::EngOfFilesSetup* ui;
    Units* m_units;
    QVector<double> m_refEnergies;
    QFileDialog* m_refDialog = nullptr;
    QStringList m_loaded;
};
