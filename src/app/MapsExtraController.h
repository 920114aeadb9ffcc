#pragma once

#include "BodyContext.h"

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class Analyzed2DRes;
class CommandTable;
struct ClusterResult;
struct PcaResult;

// The maps beside the analyzer's runs: edge energy, edge jump and white line,
// the PCA of the normalised spectra with its score maps, the k-means clusters
// of the scores with their mean spectra, a cluster's mean spectrum as a
// reference row (and the batch word of the analyzer's non-negative switch). Runs over the same
// area and grid as the analyzer's runs (RunController::runInput()); they run
// on the GUI thread, which the PCA of a 256 x 256 stack holds for about a
// second. Owns the maps and the last PCA and clusters.
class MapsExtraController : public QObject
{
    Q_OBJECT
public:
    explicit MapsExtraController(BodyContext& c);
    ~MapsExtraController() override;

    // Each returns an empty string on success, else why it failed. A
    // non-empty `base` saves the maps as base_<name>.tif and .txt.
    QString runEdgeMaps(double window, const QString& base);
    QString runPca(int components, const QString& base);
    QString runClusters(int k, quint64 seed, const QString& base);
    // Writes the mean spectrum of cluster c to `file` and loads it into
    // reference row `row` of the analyzer, in use.
    QString useClusterAsReference(int c, int row, const QString& file);

    const std::vector<std::unique_ptr<Analyzed2DRes>>& edgeMaps() const { return m_edgeMaps; }
    const std::vector<std::unique_ptr<Analyzed2DRes>>& scoreMaps() const { return m_scoreMaps; }
    Analyzed2DRes* clusterMap() const { return m_clusterMap.get(); }
    std::shared_ptr<const PcaResult> pca() const { return m_pca; }
    std::shared_ptr<const ClusterResult> clusters() const { return m_clusters; }

private:
    void addCommands(CommandTable& t);
    // Each map as base_<name>.tif and .txt with its provenance sidecar and note.
    QString saveMaps(const std::vector<Analyzed2DRes*>& maps, const QStringList& names, const QString& base,
                     const QString& note);

    BodyContext& m_c;
    std::vector<std::unique_ptr<Analyzed2DRes>> m_edgeMaps;
    std::vector<std::unique_ptr<Analyzed2DRes>> m_scoreMaps;
    std::unique_ptr<Analyzed2DRes> m_clusterMap;
    std::shared_ptr<const PcaResult> m_pca;
    std::shared_ptr<const ClusterResult> m_clusters;
};
