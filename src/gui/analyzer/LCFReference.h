#pragma once

#include "analysis/AnalysisSnapshots.h"
#include "grid/ScanGrid.h"
#include "physics/XafsSpectrum.h"

#include <QFrame>
#include <QVector>
#include <memory>
#include <optional>

class Analyzed2DRes;
class QRadioButton;
class XafsFileSelect;

namespace Ui {
class LCFReference;
}

// One reference row of the linear-combination fits: the reference spectrum
// chosen in its file chooser, its energy shift and Victoreen switch, the
// last fit result and the row's amount and fraction maps.
class LCFReference : public QFrame
{
    Q_OBJECT
public:
    // Map kinds: amounts ("LCF Ref 1") and fractions ("LCF Ref 2").
    enum MapKind { Amount = 0, Fraction = 1 };

    explicit LCFReference(QWidget* parent = nullptr);
    ~LCFReference() override;

    XafsFileSelect* fileSelect() const;
    QRadioButton* showButton() const;

    // The use state kept from the chooser's use box.
    bool useState() const { return m_use; }
    // Takes part in a fit: the chooser's use box is checked and a file chosen.
    bool isUsed() const;
    const XafsSpectrum& spectrum() const { return m_spectrum; }
    // The last fraction shown.
    double coefficient() const { return m_coefficient; }
    // The row's values for an analysis request.
    ReferenceSnapshot snapshot() const;

    // Shows a fit result: R = fraction in percent ("%5.2f"), T = amount; the
    // fraction becomes the current coefficient.
    void showFitResult(double fraction, double amount);

    // The row's map of `kind`. Maps that a run owes (see oweMaps) are made
    // here when first asked for, as that run would have made them.
    Analyzed2DRes* map(int kind) const;
    // The map as it is, owed or not (for settings that every map keeps).
    Analyzed2DRes* keptMap(int kind) const;
    int mapCount() const { return m_maps.size(); }

    // A run that does not use this row: its maps give their memory back and
    // become zeros on `grid` only when asked for (at 2048 x 2048 the two maps
    // of a row hold 128 MB that a run of three rows out of eight never fills).
    void oweMaps(const ScanGrid& grid);
    // The run drew its pictures: owed maps get theirs when they are made.
    void markOwedPictures();
    // A run that uses the row sets its maps up itself: nothing is owed.
    void keepMaps() { m_owed.reset(); }
    bool mapsOwed() const { return m_owed.has_value(); }

public slots:
    // Reads the file into the reference spectrum, normalises it with the
    // Victoreen box and shows its edge jump and E0. A file that cannot be
    // read is reported; the row goes back to its previous file, or to no
    // file when it had none.
    void newFile(QString fname);
    void changedUse(bool f);
    // DeltaE becomes the reference's energy offset and its dE.
    void editedDeltaE();
    // Normalises the reference again with the given form.
    void toggledIsVictreen(bool f);
    // Victoreen box from isVic, the file, the use state and dE in one go.
    void setStd(bool use, double dE, QString fname, QString isVic);

signals:
    void newFileSelected();
    void newDeltaE();

private:
    void setDeltaE(double dE);
    void showEdge();

    Ui::LCFReference* ui;
    bool m_use = false;
    XafsSpectrum m_spectrum;
    // The file the reference was last read from.
    QString m_loadedFile;
    double m_coefficient = 0.0;
    QVector<Analyzed2DRes*> m_maps;
    // The grid of the run whose zero maps are owed, and whether that run
    // had drawn its pictures.
    mutable std::optional<ScanGrid> m_owed;
    bool m_owedPictures = false;
};
