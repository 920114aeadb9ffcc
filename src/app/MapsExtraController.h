#pragma once

#include "BodyContext.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>
#include <vector>

class Analyzed2DRes;
class CommandTable;
class PcaSpectraWindow;
class SlicedJob;
struct ClusterResult;
struct PcaResult;

// A map of the edge maps, the PCA or the clusters that holds values: its
// dataset name, its caption on show, what it is and its unit.
struct ExtraMap {
    QString name;     // e0, pca_score1, clusters, ...
    QString caption;  // "E0 (eV)", "PCA score 1", ...
    QString kind;
    QString unit;
    Analyzed2DRes* map = nullptr;
};

// The maps beside the analyzer's runs: edge energy, edge jump and white line,
// the PCA of the normalised spectra with its score maps, the k-means clusters
// of the scores with their mean spectra, a cluster's mean spectrum as a
// reference row (and the batch word of the analyzer's non-negative switch).
// Each runs as a job on the run runner (RunController::startOtherJob) over
// the analyzer's area and grid, asked for from the analyzer's panel or by a
// batch word; its maps are offered in the panel and shown in the main window
// like the analyzer's maps. Owns the maps (they live as long as the window,
// so a map on show is never freed), the last PCA and clusters and the window
// of the scree and the spectra.
class MapsExtraController : public QObject
{
    Q_OBJECT
public:
    explicit MapsExtraController(BodyContext& c);
    ~MapsExtraController() override;

    // Each starts its run and returns an empty string, else says why it
    // cannot start. A non-empty `base` saves the maps at the end as
    // base_<name>.tif and .txt (with the PCA: base_pca.txt).
    QString startEdgeMaps(double window, const QString& base);
    QString startPca(int components, const QString& base);
    QString startClusters(int k, quint64 seed, const QString& base);
    // Writes the mean spectrum of cluster c to `file` and loads it into
    // reference row `row` of the analyzer, in use.
    QString useClusterAsReference(int c, int row, const QString& file);
    // The same into the first reference row without a reference (a new
    // row when every row has one), the file named after the cluster beside
    // the I1 images, never over an existing file.
    QString useClusterInFreeRow(int c);

    // The maps that hold values now, in the order they are offered.
    QVector<ExtraMap> maps() const;
    // What the values of `map` mean (its caption and rule), for its
    // provenance; empty when it is not one of these maps.
    QString noteOf(const Analyzed2DRes* map) const;
    std::shared_ptr<const PcaResult> pca() const { return m_pca; }
    std::shared_ptr<const ClusterResult> clusters() const { return m_clusters; }
    PcaSpectraWindow* spectraWindow() const { return m_spectra.get(); }

signals:
    // A run has ended; relayed as Body::finishBatchExec().
    void workEnded();

private:
    void addCommands(CommandTable& t);
    void wirePanel();
    QString refusal(const QString& run) const;
    bool start(int run, const std::shared_ptr<SlicedJob>& job, const std::function<QString()>& done);
    // Offers the maps with values in the panel; `show` (a
    // MapsExtraPanel::Run) chooses the first map of that run and puts it on show.
    void offerMaps(int show = -1);
    void updateSpectra();
    QString endPca(const QString& base);
    QString endClusters(quint64 seed, const QString& base);
    // Each map as base_<name>.tif and .txt with its provenance sidecar and note.
    QString saveMaps(const QVector<ExtraMap>& maps, const QString& base, const QString& note);
    Analyzed2DRes* scoreMap(int j);

    BodyContext& m_c;
    std::vector<std::unique_ptr<Analyzed2DRes>> m_edgeMaps;
    std::vector<std::unique_ptr<Analyzed2DRes>> m_scoreMaps;
    std::unique_ptr<Analyzed2DRes> m_clusterMap;
    bool m_hasEdgeMaps = false;
    // The run runner holds a run of ours (not one of the analyzer's).
    bool m_ownRun = false;
    std::shared_ptr<const PcaResult> m_pca;
    std::shared_ptr<const ClusterResult> m_clusters;
    std::unique_ptr<PcaSpectraWindow> m_spectra;
    // The rules of the last runs, for the provenance of their maps.
    QString m_edgeNote;
    QString m_pcaNote;
    QString m_clusterNote;
};
