#pragma once

#include <QVector>
#include <QWidget>

class CurveSetView;
class QRadioButton;

// What the PCA and the clusters give to look at, as plain values.
struct PcaSpectraValues {
    QVector<double> explained;              // share of the variance of component 1, 2, ...
    QVector<double> energies;               // eV, the spectra's common grid
    QVector<QVector<double>> components;    // component spectra, energies.size() values each
    QVector<QVector<double>> clusterMeans;  // mean normalised spectrum of each cluster
    QVector<qint64> clusterSizes;           // blocks in each cluster
};

// The scree plot (explained variance per component) above the component
// spectra or the clusters' mean spectra, chosen by two radio buttons.
class PcaSpectraWindow : public QWidget
{
    Q_OBJECT
public:
    explicit PcaSpectraWindow(QWidget* parent = nullptr);

    void setValues(const PcaSpectraValues& values);
    // Shows the clusters' mean spectra (true) or the component spectra.
    void showClusterMeans(bool f);
    bool showsClusterMeans() const;
    CurveSetView* screeView() const { return m_scree; }
    CurveSetView* spectraView() const { return m_spectra; }

private:
    void redraw();

    CurveSetView* m_scree;
    CurveSetView* m_spectra;
    QRadioButton* m_showComponents;
    QRadioButton* m_showMeans;
    PcaSpectraValues m_values;
};
