#include "MapsExtraController.h"

#include "ui_Body.h"

#include "analysis/ClusterJob.h"
#include "analysis/EdgeMapJob.h"
#include "analysis/PcaJob.h"
#include "analyzer/Analyzer.h"
#include "analyzer/LCFReference.h"
#include "analyzer/MapsExtraPanel.h"
#include "base/LogCategories.h"
#include "batch/BatchKeywords.h"
#include "BatchExecutor.h"
#include "CommandTable.h"
#include "controls/DialogFolder.h"
#include "controls/JobProgressBar.h"
#include "controls/WindowPlace.h"
#include "grid/Analyzed2DRes.h"
#include "io/TiffData.h"
#include "output/MapSaving.h"
#include "output/SaveFileNames.h"
#include "physics/XafsSpectrum.h"
#include "ResultMapController.h"
#include "RunController.h"
#include "SaveController.h"
#include "SeriesController.h"
#include "savedialog/SaveDataCfg.h"
#include "spectrumview/PcaSpectraWindow.h"
#include "spectrumview/XafsFileSelect.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRadioButton>
#include <QTextStream>

using namespace BatchKeywords;

namespace {

// The edge maps in EdgeFeatures::Map order.
const struct {
    const char* name;
    const char* caption;
    const char* kind;
    const char* unit;
} edgeMapKinds[EdgeFeatures::MapCount] = {
    {"e0", QT_TRANSLATE_NOOP("MapsExtraController", "E0 (eV)"), "edge energy E0", "eV"},
    {"edge_jump", QT_TRANSLATE_NOOP("MapsExtraController", "Edge jump"), "edge jump", "absorption"},
    {"white_line_energy", QT_TRANSLATE_NOOP("MapsExtraController", "White-line energy (eV)"), "white-line energy",
     "eV"},
    {"white_line_height", QT_TRANSLATE_NOOP("MapsExtraController", "White-line height"),
     "white-line height, normalised", ""},
};

constexpr int maxComponents = 20;

// The maps of where the edge lies and of the spectra's shape take their
// colour range from the blocks at least this many blocks inside the sample:
// the rim blocks, part sample and part background (and where the alignment
// misses by a pixel, a spectrum of both), sit far out of the sample's range.
constexpr int rangeInsetBlocks = 2;

int rangeInset(const ScanGrid& g)
{
    return rangeInsetBlocks * (2 * qMax(qAbs(g.halfWidth), qAbs(g.halfHeight)) + 1);
}

} // namespace

MapsExtraController::MapsExtraController(BodyContext& c)
    : m_c(c)
    , m_clusterMap(std::make_unique<Analyzed2DRes>(QStringLiteral("Cluster")))
    , m_spectra(std::make_unique<PcaSpectraWindow>())
{
    for (const auto& k : edgeMapKinds)
        m_edgeMaps.push_back(std::make_unique<Analyzed2DRes>(tr(k.caption)));
    addCommands(m_c.batch->table());
    wirePanel();
}

// The run runner (and a job of ours on it) has gone with the run
// controller, before this one.
MapsExtraController::~MapsExtraController() = default;

void MapsExtraController::wirePanel()
{
    MapsExtraPanel* panel = m_c.analyzer->extraPanel();
    panel->progress()->attach(m_c.runs->runner());
    panel->progress()->setRunFilter([this] { return m_c.runs->runsOtherJob(); });
    connect(panel, &MapsExtraPanel::runAsked, this, [this, panel](int run) {
        // While a run of ours goes its button reads Stop.
        if (m_ownRun) {
            m_c.runs->runner()->stop();
            return;
        }
        QString why;
        if (run == MapsExtraPanel::EdgeRun)
            why = startEdgeMaps(panel->window(), QString());
        else if (run == MapsExtraPanel::PcaRun)
            why = startPca(panel->components(), QString());
        else
            why = startClusters(panel->clusters(), panel->seed(), QString());
        if (!why.isEmpty())
            m_c.batch->reportFailure(why);
    });
    connect(panel, &MapsExtraPanel::useAsReferenceAsked, this, [this](int cluster) {
        const QString why = useClusterInFreeRow(cluster);
        if (!why.isEmpty())
            m_c.batch->reportFailure(why);
    });
    connect(panel, &MapsExtraPanel::spectraAsked, this, [this] { WindowPlace::bringUp(m_spectra.get()); });
}

Analyzed2DRes* MapsExtraController::scoreMap(int j)
{
    while (int(m_scoreMaps.size()) <= j)
        m_scoreMaps.push_back(std::make_unique<Analyzed2DRes>(tr("PCA score %1").arg(m_scoreMaps.size() + 1)));
    return m_scoreMaps[std::size_t(j)].get();
}

QVector<ExtraMap> MapsExtraController::maps() const
{
    QVector<ExtraMap> out;
    if (m_hasEdgeMaps)
        for (int k = 0; k < EdgeFeatures::MapCount; ++k)
            out.append({QLatin1String(edgeMapKinds[k].name), tr(edgeMapKinds[k].caption),
                        QLatin1String(edgeMapKinds[k].kind), QLatin1String(edgeMapKinds[k].unit),
                        m_edgeMaps[std::size_t(k)].get()});
    if (m_pca && m_pca->isValid())
        for (int j = 0; j < m_pca->model.count() && j < int(m_scoreMaps.size()); ++j)
            out.append({QStringLiteral("pca_score%1").arg(j + 1), tr("PCA score %1").arg(j + 1),
                        QStringLiteral("PCA score of component %1").arg(j + 1), QString(),
                        m_scoreMaps[std::size_t(j)].get()});
    if (m_clusters && m_clusters->isValid())
        out.append({QStringLiteral("clusters"),
                     tr("Clusters (k = %1, seed %2)").arg(m_clusters->count()).arg(m_clusters->seed),
                     QStringLiteral("k-means cluster number, 0 the largest"), QString(), m_clusterMap.get()});
    return out;
}

QString MapsExtraController::noteOf(const Analyzed2DRes* map) const
{
    for (const ExtraMap& m : maps())
        if (m.map == map) {
            const QString& note = m.name == QLatin1String("clusters")          ? m_clusterNote
                                  : m.name.startsWith(QLatin1String("pca_")) ? m_pcaNote
                                                                             : m_edgeNote;
            return m.caption + QStringLiteral("; ") + note;
        }
    return QString();
}

void MapsExtraController::offerMaps(int show)
{
    const QVector<ExtraMap> all = maps();
    QVector<Analyzed2DRes*> pointers;
    QStringList captions;
    int first = -1;
    for (int i = 0; i < all.size(); ++i) {
        pointers << all[i].map;
        captions << all[i].caption;
        const bool ofRun = (show == MapsExtraPanel::EdgeRun && all[i].name == QLatin1String("e0"))
                           || (show == MapsExtraPanel::PcaRun && all[i].name == QLatin1String("pca_score1"))
                           || (show == MapsExtraPanel::ClusterRun && all[i].name == QLatin1String("clusters"));
        if (ofRun)
            first = i;
    }
    MapsExtraPanel* panel = m_c.analyzer->extraPanel();
    panel->setMaps(pointers, captions, first);
    panel->setPcaReady(m_pca && m_pca->isValid());
    panel->setClusterCount(m_clusters && m_clusters->isValid() ? m_clusters->count() : 0);
    if (first >= 0) {
        // A map just made goes on show.
        m_c.ui->ShowResAnalysis->setChecked(true);
        panel->chooseMap(first);
    }
    else if (panel->modeButton()->isChecked())
        m_c.maps->pickAnalyzerMap();
}

void MapsExtraController::updateSpectra()
{
    PcaSpectraValues v;
    if (m_pca && m_pca->isValid()) {
        const PcaModel& model = m_pca->model;
        v.energies = QVector<double>(m_pca->energies.begin(), m_pca->energies.end());
        for (int j = 0; j < model.count(); ++j) {
            v.explained << model.explained(j);
            v.components << QVector<double>(model.component(j), model.component(j) + model.size());
        }
    }
    if (m_clusters && m_clusters->isValid()) {
        const std::size_t n = m_clusters->energies.size();
        for (int c = 0; c < m_clusters->count(); ++c) {
            v.clusterMeans << QVector<double>(m_clusters->mean(c), m_clusters->mean(c) + n);
            v.clusterSizes << m_clusters->kmeans.sizes[std::size_t(c)];
        }
    }
    m_spectra->setValues(v);
    m_spectra->showClusterMeans(!v.clusterMeans.isEmpty());
}

QString MapsExtraController::saveMaps(const QVector<ExtraMap>& maps, const QString& base, const QString& note)
{
    if (base.isEmpty())
        return QString();
    const SaveDataSettings settings = m_c.saveDataCfg->settings();
    for (const ExtraMap& m : maps) {
        QString error;
        const QString path = base + QLatin1Char('_') + m.name;
        for (const QString& ext : {QStringLiteral(".tif"), QStringLiteral(".txt")}) {
            const bool saved = ext == QLatin1String(".tif") ? MapSaving::saveMapAsTiff(*m.map, path + ext, settings, &error)
                                                            : MapSaving::saveMapAsText(*m.map, path + ext, settings, &error);
            if (!saved)
                return error;
            if (!m_c.saving->writeProvenance(path + ext, m.caption + QStringLiteral("; ") + note))
                return QStringLiteral("Can't write the provenance of %1").arg(path + ext);
        }
    }
    return QString();
}

QString MapsExtraController::refusal(const QString& run) const
{
    if (m_c.series->i1().isEmpty())
        return QStringLiteral("The %1 can't run: no I1 images are loaded").arg(run);
    if (m_c.runs->isRunning())
        return QStringLiteral("The %1 can't run: a run is in progress").arg(run);
    const QString area = AreaRunJob::refusal(m_c.runs->runInput());
    if (!area.isEmpty())
        return QStringLiteral("The %1 can't run: %2").arg(run, area);
    return QString();
}

bool MapsExtraController::start(int run, const std::shared_ptr<SlicedJob>& job, const std::function<QString()>& done)
{
    MapsExtraPanel* panel = m_c.analyzer->extraPanel();
    const bool started = m_c.runs->startOtherJob(job, [this, run, done, panel](bool stopped) {
        m_ownRun = false;
        panel->showRunState(run, false);
        QString why;
        if (stopped) {
            why = QStringLiteral("The run was stopped");
            offerMaps();
        } else {
            why = done();
        }
        // A script's line fails with the reason; a run from the window says it in the status bar.
        if (!why.isEmpty() && (m_c.batch->waitsFor() == BatchWait::ExtraMapsRun || !stopped))
            m_c.batch->reportFailure(why);
        emit workEnded();
    });
    if (started && m_c.runs->isRunning()) {
        m_ownRun = true;
        panel->showRunState(run, true);
    }
    return started;
}

QString MapsExtraController::startEdgeMaps(double window, const QString& base)
{
    const QString why = refusal(QStringLiteral("edge maps"));
    if (!why.isEmpty())
        return why;
    const AreaRunInput in = m_c.runs->runInput();
    EdgeMapSetup s;
    s.window = window > 0.0 ? window : EdgeRules::defaultWindow;
    m_hasEdgeMaps = false;
    for (int k = 0; k < EdgeFeatures::MapCount; ++k) {
        m_edgeMaps[std::size_t(k)]->setup(in.grid);
        // The jump is an amount: the thin rim belongs to its picture.
        m_edgeMaps[std::size_t(k)]->setRangeInset(k == EdgeFeatures::Jump ? 0 : rangeInset(in.grid));
        s.maps[k] = m_edgeMaps[std::size_t(k)].get();
    }
    offerMaps();
    const double w = s.window;
    start(MapsExtraPanel::EdgeRun, std::make_shared<EdgeMapJob>(in, s), [this, w, base] {
        for (const auto& m : m_edgeMaps)
            m->genImg();
        m_hasEdgeMaps = true;
        offerMaps(MapsExtraPanel::EdgeRun);
        m_edgeNote = QStringLiteral("E0 = mean midline crossing of the spectrum smoothed over 3 points, jump "
                                    "of the normalisation, white line = top of the normalised "
                                    "spectrum within [E0, E0 + %1 eV] refined by a parabola; energies corrected "
                                    "by the shift map; NaN where masked or without an edge")
                         .arg(w);
        return saveMaps(maps().mid(0, EdgeFeatures::MapCount), base, m_edgeNote);
    });
    return QString();
}

QString MapsExtraController::startPca(int components, const QString& base)
{
    const QString why = refusal(QStringLiteral("PCA"));
    if (!why.isEmpty())
        return why;
    const AreaRunInput in = m_c.runs->runInput();
    PcaSetup s;
    s.components = qBound(1, components, maxComponents);
    for (int j = 0; j < s.components; ++j) {
        scoreMap(j)->setup(in.grid);
        scoreMap(j)->setRangeInset(rangeInset(in.grid));
        s.scoreMaps.append(scoreMap(j));
    }
    // The clusters belong to the PCA they were made from.
    m_pca.reset();
    m_clusters.reset();
    offerMaps();
    updateSpectra();
    auto job = std::make_shared<PcaJob>(in, s);
    start(MapsExtraPanel::PcaRun, job, [this, job, base] {
        m_pca = job->result();
        return endPca(base);
    });
    return QString();
}

QString MapsExtraController::endPca(const QString& base)
{
    if (!m_pca || !m_pca->isValid()) {
        m_pca.reset();
        offerMaps();
        return QStringLiteral("The PCA found fewer than two spectra inside the sample");
    }
    const PcaModel& model = m_pca->model;
    for (int j = 0; j < model.count(); ++j)
        scoreMap(j)->genImg();
    offerMaps(MapsExtraPanel::PcaRun);
    updateSpectra();
    for (int j = 0; j < model.count(); ++j)
        qCInfo(lcResults).noquote() << QStringLiteral("PCA component %1: explained variance %2")
                                           .arg(j + 1).arg(model.explained(j), 0, 'f', 6);
    QVector<ExtraMap> scores;
    for (const ExtraMap& m : maps())
        if (m.name.startsWith(QLatin1String("pca_score")))
            scores << m;
    m_pcaNote = QStringLiteral("PCA scores of the normalised spectra of %1 blocks; NaN for blocks outside the "
                               "sample").arg(m_pca->memberCount());
    const QString error = saveMaps(scores, base, m_pcaNote);
    if (!error.isEmpty() || base.isEmpty())
        return error;
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
    out.flush();
    if (!f.flush() || f.error() != QFile::NoError)
        return QStringLiteral("Can't write %1").arg(f.fileName());
    return QString();
}

QString MapsExtraController::startClusters(int k, quint64 seed, const QString& base)
{
    if (!m_pca || !m_pca->isValid())
        return QStringLiteral("The clusters need a PCA first");
    const QString why = refusal(QStringLiteral("clusters"));
    if (!why.isEmpty())
        return why;
    const AreaRunInput in = m_c.runs->runInput();
    const QString pcaRefusal = ClusterJob::refusal(in, m_pca.get());
    if (!pcaRefusal.isEmpty())
        return pcaRefusal;
    m_clusters.reset();
    m_clusterMap->setup(m_pca->grid);
    offerMaps();
    ClusterSetup s;
    s.k = qMax(1, k);
    s.seed = seed;
    s.map = m_clusterMap.get();
    auto job = std::make_shared<ClusterJob>(in, m_pca, s);
    start(MapsExtraPanel::ClusterRun, job, [this, job, seed, base] {
        m_clusters = job->result();
        return endClusters(seed, base);
    });
    return QString();
}

QString MapsExtraController::endClusters(quint64 seed, const QString& base)
{
    if (!m_clusters || !m_clusters->isValid()) {
        m_clusters.reset();
        offerMaps();
        return QStringLiteral("The clusters could not be made");
    }
    // Cluster numbers are categories: each gets the middle of its own band of
    // the scale, so cluster 0 is a dark grey and blocks outside the sample
    // (no cluster) stay black instead of looking like cluster 0.
    m_clusterMap->setFixedScale(true);
    m_clusterMap->setScale(-0.5, m_clusters->count() - 0.5);
    m_clusterMap->genImg();
    offerMaps(MapsExtraPanel::ClusterRun);
    updateSpectra();
    for (int c = 0; c < m_clusters->count(); ++c)
        qCInfo(lcResults).noquote() << QStringLiteral("Cluster %1: %2 blocks")
                                           .arg(c).arg(m_clusters->kmeans.sizes[std::size_t(c)]);
    const QVector<ExtraMap> all = maps();
    m_clusterNote = QStringLiteral("k-means cluster of the first %1 PCA scores, k %2, seed %3, largest cluster 0")
                        .arg(m_clusters->components).arg(m_clusters->count()).arg(seed);
    return saveMaps(all.mid(all.size() - 1), base, m_clusterNote);
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

QString MapsExtraController::useClusterInFreeRow(int c)
{
    if (!m_clusters || !m_clusters->isValid())
        return QStringLiteral("There are no clusters");
    Analyzer* an = m_c.analyzer;
    int row = 0;
    while (row < an->refs().size() && an->refs().at(row)->fileSelect()->isFileChosen())
        ++row;
    if (row == an->refs().size())
        an->addNewRef();
    const std::vector<TiffData*>& images = m_c.series->i1().images();
    const QString dir = images.empty() ? DialogFolder::startFor(QStringLiteral("results"))
                                         : QFileInfo(images.front()->fileName()).absolutePath();
    const QString name = QStringLiteral("cluster%1_k%2_seed%3.dat").arg(c).arg(m_clusters->count()).arg(m_clusters->seed);
    const QString file = SaveFileNames::unused(QDir(dir).filePath(name), [](const QString& f) { return QFile::exists(f); });
    if (file.isEmpty())
        return QStringLiteral("No free file name for %1 in %2").arg(name, dir);
    const QString why = useClusterAsReference(c, row, file);
    if (why.isEmpty()) {
        m_c.saving->writeProvenance(file, QString(),
                                    QStringLiteral("mean normalised spectrum of cluster %1 of %2 (seed %3)")
                                        .arg(c).arg(m_clusters->count()).arg(m_clusters->seed));
        qCInfo(lcResults).noquote() << QStringLiteral("Cluster %1 is reference row %2: %3").arg(c).arg(row + 1).arg(file);
    }
    return why;
}

void MapsExtraController::addCommands(CommandTable& t)
{
    using C = const CmdLine&;
    using A = BatchArgReader&;
    // A run that cannot start fails its line; one that starts holds it until it ends.
    auto wait = [this](const QString& why) {
        if (!why.isEmpty()) {
            m_c.batch->reportFailure(why);
            return true;
        }
        return m_c.batch->waitFor(BatchWait::ExtraMapsRun, m_c.runs->isRunning(), QString());
    };
    t.addLong(EdgeMaps, [this, wait](C, A a) {
        return wait(startEdgeMaps(a.text(0).isEmpty() ? EdgeRules::defaultWindow : a.x(0), a.text(1)));
    });
    t.addLong(PcaRun, [this, wait](C, A a) { return wait(startPca(a.text(0).isEmpty() ? 3 : a.n(0), a.text(1))); });
    t.addLong(KMeansRun, [this, wait](C, A a) {
        return wait(startClusters(a.text(0).isEmpty() ? 3 : a.n(0),
                                  a.text(1).isEmpty() ? 1 : quint64(a.text(1).toULongLong()), a.text(2)));
    });
    t.add(ClusterAsReference, [this](C, A a) {
        const QString why = useClusterAsReference(a.n(0), a.n(1), a.text(2));
        if (!why.isEmpty())
            m_c.batch->reportFailure(why);
    });
    t.add(AnalyzerNonNegative, [this](C, A a) { m_c.analyzer->setNonNegative(a.flag(0)); });
}
