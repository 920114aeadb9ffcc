#pragma once

#include "analysis/AnalysisSnapshots.h"
#include "analysis/ElementNames.h"

#include <QFrame>
#include <array>
#include <memory>

class Analyzed2DRes;
class QRadioButton;

namespace Ui {
class ElemCtrl;
}

// One element row of the analyzer window: the element and edge, the
// analysis conditions (dE, threshold, ROI, no-negative switch), the last
// results, the standard ratio of the correlation and the row's seven maps.
class ElemCtrl : public QFrame
{
    Q_OBJECT
public:
    // The row's maps, in the order of the engine's outputs.
    enum MapKind { DMut0 = 0, DMutN, MutPlus, MutMinus, EdgeShift, Roi, NRoi, MapKinds };

    explicit ElemCtrl(QWidget* parent = nullptr);
    ~ElemCtrl() override;

    // Takes the element: atomic number, edge, Name, No, Eng and the map names.
    void setElement(const ElementName& element);
    int z() const { return m_z; }
    int edge() const { return m_edge; }
    // Edge energy in eV.
    double edgeEnergy() const { return m_edgeEnergy; }
    QString name() const;

    // The values of the row's fields the engine needs.
    ElementSnapshot snapshot() const;

    // Shows one element result: DMuT, Ratio and DE in full, ROI and NROI cut
    // to five characters; dmut, ratio, mu+ and mu- are kept.
    void showResult(double dmut, double ratio, double muPlus, double muMinus, double edgeShift, double roi,
                    double nroi);
    double lastDMut() const { return m_lastDMut; }
    double lastRatio() const { return m_lastRatio; }
    double lastMuPlus() const { return m_lastMuPlus; }
    double lastMuMinus() const { return m_lastMuMinus; }
    double stdRatio() const { return m_stdRatio; }
    // Writes StdRatio and keeps the value as the standard ratio.
    void setStdRatio(double v);

    // The Use box: the row takes part in the correlation.
    bool isUsed() const;
    void setUse(bool f);
    void setNoNeg(bool f);
    void setThDMut(double v);
    void setROI(double start, double end);
    void setPrePostDE(double v);

    QRadioButton* mainTargetButton() const;
    QRadioButton* showButton() const;

    Analyzed2DRes* map(int kind) const;
    int mapCount() const { return MapKinds; }

public slots:
    // Reads StdRatio, writes it back in the general format and keeps it.
    void newStdRatio();

private:
    Ui::ElemCtrl* ui;
    int m_z = 1;
    int m_edge = 0;
    double m_edgeEnergy = 0.0;
    std::array<std::unique_ptr<Analyzed2DRes>, MapKinds> m_maps;
    double m_lastDMut = 0.0;
    double m_lastRatio = 1.0;
    double m_stdRatio = 1.0;
    double m_lastMuPlus = 0.0;
    double m_lastMuMinus = 0.0;
};
