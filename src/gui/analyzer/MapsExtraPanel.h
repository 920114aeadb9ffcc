#pragma once

#include <QGroupBox>
#include <QStringList>
#include <QVector>

class Analyzed2DRes;
class JobProgressBar;
class QComboBox;
class QDoubleSpinBox;
class QPushButton;
class QRadioButton;
class QSpinBox;

// The analyzer window's panel for the maps beside the fits: the edge maps
// (white-line window W), the PCA (n components), the k-means clusters (k,
// seed), the choice of the map the main window shows, the cluster whose
// mean spectrum becomes a reference, and the progress of the run. Its radio
// button is the analyzer's fourth mode: while it is checked the main window
// shows the map chosen here. The maps are owned by the main window.
class MapsExtraPanel : public QGroupBox
{
    Q_OBJECT
public:
    enum Run { EdgeRun, PcaRun, ClusterRun, RunCount };

    explicit MapsExtraPanel(QWidget* parent = nullptr);

    QRadioButton* modeButton() const { return m_mode; }
    JobProgressBar* progress() const { return m_progress; }

    // The maps on offer with their captions; keeps the choice by caption
    // when it is still there, else chooses `preferred` (when in range).
    void setMaps(const QVector<Analyzed2DRes*>& maps, const QStringList& captions, int preferred = -1);
    void chooseMap(int index);
    // The chosen map and its caption (null and empty when none).
    Analyzed2DRes* chosenMap() const;
    QString chosenCaption() const;
    int mapCount() const { return m_maps.size(); }

    double window() const;
    int components() const;
    int clusters() const;
    quint64 seed() const;
    // Cluster number for "Use as reference" (0 is the largest, as on the map).
    int cluster() const;
    // Clusters on hand (0: none): the range of the cluster box and whether
    // "Use as reference" can be pressed.
    void setClusterCount(int k);
    // Whether the clusters can be asked for (a PCA is on hand).
    void setPcaReady(bool ready);

    // While `run` goes its button reads "Stop" and the other runs wait.
    void showRunState(int run, bool running);

signals:
    // A run button was pressed (while its run goes: stop it).
    void runAsked(int run);
    void mapChosen();
    void useAsReferenceAsked(int cluster);
    void spectraAsked();

private:
    QPushButton* runButton(int run) const { return m_runButtons[run]; }

    QRadioButton* m_mode;
    QComboBox* m_mapChoice;
    QPushButton* m_spectra;
    QDoubleSpinBox* m_window;
    QSpinBox* m_components;
    QSpinBox* m_clusters;
    QSpinBox* m_seed;
    QSpinBox* m_cluster;
    QPushButton* m_useAsReference;
    QPushButton* m_runButtons[RunCount];
    JobProgressBar* m_progress;
    QVector<Analyzed2DRes*> m_maps;
    int m_running = -1;
    bool m_pcaReady = false;
    int m_clusterCount = 0;
};
