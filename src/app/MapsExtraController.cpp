#include "MapsExtraController.h"

#include "analysis/ClusterJob.h"
#include "analysis/EdgeMapJob.h"
#include "analysis/PcaJob.h"
#include "analyzer/Analyzer.h"
#include "analyzer/LCFReference.h"
#include "base/LogCategories.h"
#include "batch/BatchKeywords.h"
#include "BatchExecutor.h"
#include "CommandTable.h"
#include "grid/Analyzed2DRes.h"
#include "output/MapSaving.h"
#include "physics/XafsSpectrum.h"
#include "RunController.h"
#include "SaveController.h"
#include "SeriesController.h"
#include "savedialog/SaveDataCfg.h"
#include "spectrumview/XafsFileSelect.h"

#include <QFile>
#include <QTextStream>

using namespace BatchKeywords;

namespace {

std::vector<std::unique_ptr<Analyzed2DRes>> makeMaps(const QStringList& names, const ScanGrid& grid)
{
    std::vector<std::unique_ptr<Analyzed2DRes>> maps;
    for (const QString& name : names) {
        maps.push_back(std::make_unique<Analyzed2DRes>(name));
        maps.back()->setup(grid);
    }
    return maps;
}

std::vector<Analyzed2DRes*> pointers(const std::vector<std::unique_ptr<Analyzed2DRes>>& maps)
{
    std::vector<Analyzed2DRes*> out;
    for (const auto& m : maps)
        out.push_back(m.get());
    return out;
}

} // namespace

MapsExtraController::MapsExtraController(BodyContext& c)
    : m_c(c)
{
    addCommands(m_c.batch->table());
}

MapsExtraController::~MapsExtraController() = default;

QString MapsExtraController::saveMaps(const std::vector<Analyzed2DRes*>& maps, const QStringList& names,
                                      const QString& base, const QString& note)
{
    if (base.isEmpty())
        return QString();
    const SaveDataSettings settings = m_c.saveDataCfg->settings();
    for (std::size_t i = 0; i < maps.size(); ++i) {
        QString error;
        const QString path = base + QLatin1Char('_') + names[int(i)];
        for (const QString& ext : {QStringLiteral(".tif"), QStringLiteral(".txt")}) {
            const bool saved = ext == QLatin1String(".tif")
                                   ? MapSaving::saveMapAsTiff(*maps[i], path + ext, settings, &error)
                                   : MapSaving::saveMapAsText(*maps[i], path + ext, settings, &error);
            if (!saved)
                return error;
            if (!m_c.saving->writeProvenance(path + ext, maps[i]->name() + QStringLiteral("; ") + note))
                return QStringLiteral("Can't write the provenance of %1").arg(path + ext);
        }
    }
    return QString();
}

QString MapsExtraController::runEdgeMaps(double window, const QString& base)
{
    if (m_c.series->i1().isEmpty())
        return QStringLiteral("The edge maps can't run: no I1 images are loaded");
    if (m_c.runs->isRunning())
        return QStringLiteral("The edge maps can't run: a run is in progress");
    const AreaRunInput in = m_c.runs->runInput();
    const QStringList names{QStringLiteral("e0"), QStringLiteral("edge_jump"), QStringLiteral("white_line_energy"),
                            QStringLiteral("white_line_height")};
    m_edgeMaps = makeMaps({QStringLiteral("E0 (eV)"), QStringLiteral("Edge jump"),
                           QStringLiteral("White-line energy (eV)"), QStringLiteral("White-line height")},
                          in.grid);
    EdgeMapSetup s;
    s.window = window > 0.0 ? window : EdgeRules::defaultWindow;
    for (int k = 0; k < EdgeFeatures::MapCount; ++k)
        s.maps[k] = m_edgeMaps[std::size_t(k)].get();
    EdgeMapJob job(in, s);
    job.runAllHere();
    for (const auto& m : m_edgeMaps)
        m->genImg();
    return saveMaps(pointers(m_edgeMaps), names, base,
                    QStringLiteral("E0 and jump of the normalisation, white line = top of the normalised spectrum "
                                   "within [E0, E0 + %1 eV] refined by a parabola; energies corrected by the shift "
                                   "map; NaN where masked or without an edge")
                        .arg(s.window));
}

QString MapsExtraController::runPca(int components, const QString& base)
{
    if (m_c.series->i1().isEmpty())
        return QStringLiteral("The PCA can't run: no I1 images are loaded");
    if (m_c.runs->isRunning())
        return QStringLiteral("The PCA can't run: a run is in progress");
    const AreaRunInput in = m_c.runs->runInput();
    components = qBound(1, components, 20);
    QStringList names, captions;
    for (int j = 0; j < components; ++j) {
        names << QStringLiteral("pca_score%1").arg(j + 1);
        captions << QStringLiteral("PCA score %1").arg(j + 1);
    }
    m_scoreMaps = makeMaps(captions, in.grid);
    PcaSetup s;
    s.components = components;
    for (const auto& m : m_scoreMaps)
        s.scoreMaps.append(m.get());
    PcaJob job(in, s);
    job.runAllHere();
    m_pca = job.result();
    m_clusters.reset();
    if (!m_pca || !m_pca->isValid())
        return QStringLiteral("The PCA found fewer than two spectra inside the sample");
    for (const auto& m : m_scoreMaps)
        m->genImg();
    const PcaModel& model = m_pca->model;
    for (int j = 0; j < model.count(); ++j)
        qCInfo(lcResults).noquote() << QStringLiteral("PCA component %1: explained variance %2")
                                           .arg(j + 1).arg(model.explained(j), 0, 'f', 6);
    QString error = saveMaps(pointers(m_scoreMaps), names, base,
                             QStringLiteral("PCA scores of the normalised spectra of %1 blocks; NaN for blocks outside "
                                            "the sample").arg(m_pca->memberCount()));
    if (error.isEmpty() && !base.isEmpty()) {
        // The explained variance (the scree) and the component spectra.
        QFile f(base + QStringLiteral("_pca.txt"));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
            return QStringLiteral("Can't write %1").arg(f.fileName());
        QTextStream out(&f);
        out << "# explained variance share of each component\n#";
        for (int j = 0; j < model.count(); ++j)
            out << ' ' << QString::number(model.explained(j), 'g', 8);
        out << "\n# energy (eV), mean normalised spectrum, component 1 ... " << model.count() << '\n';
        for (int i = 0; i < model.size(); ++i) {
            out << QString::number(m_pca->energies[std::size_t(i)], 'f', 3) << '\t'
                << QString::number(model.mean[std::size_t(i)], 'g', 8);
            for (int j = 0; j < model.count(); ++j)
                out << '\t' << QString::number(model.component(j)[i], 'g', 8);
            out << '\n';
        }
        if (!f.flush() || f.error() != QFile::NoError)
            return QStringLiteral("Can't write %1").arg(f.fileName());
    }
    return error;
}

QString MapsExtraController::runClusters(int k, quint64 seed, const QString& base)
{
    if (!m_pca || !m_pca->isValid())
        return QStringLiteral("The clusters need a PCA first");
    if (m_c.runs->isRunning())
        return QStringLiteral("The clusters can't be made: a run is in progress");
    const AreaRunInput in = m_c.runs->runInput();
    const QString refusal = ClusterJob::refusal(in, m_pca.get());
    if (!refusal.isEmpty())
        return refusal;
    m_clusterMap = std::make_unique<Analyzed2DRes>(QStringLiteral("Cluster"));
    m_clusterMap->setup(m_pca->grid);
    ClusterSetup s;
    s.k = qMax(1, k);
    s.seed = seed;
    s.map = m_clusterMap.get();
    ClusterJob job(in, m_pca, s);
    job.runAllHere();
    m_clusters = job.result();
    if (!m_clusters || !m_clusters->isValid())
        return QStringLiteral("The clusters could not be made");
    m_clusterMap->genImg();
    for (int c = 0; c < m_clusters->count(); ++c)
        qCInfo(lcResults).noquote() << QStringLiteral("Cluster %1: %2 blocks")
                                           .arg(c).arg(m_clusters->kmeans.sizes[std::size_t(c)]);
    return saveMaps({m_clusterMap.get()}, {QStringLiteral("clusters")}, base,
                    QStringLiteral("k-means cluster of the first %1 PCA scores, k %2, seed %3, largest cluster 0")
                        .arg(m_clusters->components).arg(m_clusters->count()).arg(seed));
}

QString MapsExtraController::useClusterAsReference(int c, int row, const QString& file)
{
    if (!m_clusters || !m_clusters->isValid())
        return QStringLiteral("There are no clusters");
    if (c < 0 || c >= m_clusters->count())
        return QStringLiteral("There is no cluster %1").arg(c);
    if (row < 0 || row >= m_c.analyzer->refs().size())
        return QStringLiteral("There is no reference row %1").arg(row);
    if (file.isEmpty())
        return QStringLiteral("A file name for the cluster's spectrum is needed");
    Spectrum mean;
    const double* v = m_clusters->mean(c);
    for (std::size_t i = 0; i < m_clusters->energies.size(); ++i)
        mean.add(m_clusters->energies[i], v[i]);
    if (!XafsSpectrum(mean, false, 0.0).save(file, false))
        return QStringLiteral("Can't write %1").arg(file);
    m_c.analyzer->setLCFStd(row, true, 0.0, file, QString());
    const LCFReference* r = m_c.analyzer->refs().at(row);
    if (!r->fileSelect()->isFileChosen())
        return QStringLiteral("Can't read the reference %1").arg(file);
    return QString();
}

void MapsExtraController::addCommands(CommandTable& t)
{
    using C = const CmdLine&;
    using A = BatchArgReader&;
    auto report = [this](const QString& error) {
        if (!error.isEmpty())
            m_c.batch->reportFailure(error);
    };
    t.add(EdgeMaps, [this, report](C, A a) {
        report(runEdgeMaps(a.text(0).isEmpty() ? EdgeRules::defaultWindow : a.x(0), a.text(1)));
    });
    t.add(PcaRun, [this, report](C, A a) { report(runPca(a.text(0).isEmpty() ? 3 : a.n(0), a.text(1))); });
    t.add(KMeansRun, [this, report](C, A a) {
        report(runClusters(a.text(0).isEmpty() ? 3 : a.n(0), a.text(1).isEmpty() ? 1 : quint64(a.text(1).toULongLong()),
                           a.text(2)));
    });
    t.add(ClusterAsReference, [this, report](C, A a) { report(useClusterAsReference(a.n(0), a.n(1), a.text(2))); });
    t.add(AnalyzerNonNegative, [this](C, A a) { m_c.analyzer->setNonNegative(a.flag(0)); });
}
