#include "analyzer/MapsExtraPanel.h"

#include "controls/JobProgressBar.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace {

QSpinBox* spinBox(QWidget* parent, const char* name, int lo, int hi, int value)
{
    auto* b = new QSpinBox(parent);
    b->setObjectName(QLatin1String(name));
    b->setRange(lo, hi);
    b->setValue(value);
    return b;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

} // namespace

MapsExtraPanel::MapsExtraPanel(QWidget* parent)
    : QGroupBox(tr("Edge maps, PCA and clusters"), parent)
    , m_mode(new QRadioButton(tr("Show map:"), this))
    , m_mapChoice(new QComboBox(this))
    , m_spectra(button(this, "ExtraSpectra", tr("Scree and spectra")))
    , m_window(new QDoubleSpinBox(this))
    , m_components(spinBox(this, "PcaComponents", 1, 20, 3))
    , m_clusters(spinBox(this, "KMeansK", 1, 20, 3))
    , m_seed(spinBox(this, "KMeansSeed", 0, 999999, 1))
    , m_cluster(spinBox(this, "ReferenceCluster", 0, 0, 0))
    , m_useAsReference(button(this, "UseClusterAsReference", tr("Use as reference")))
    , m_progress(new JobProgressBar(this))
{
    setObjectName(QStringLiteral("MapsExtraPanel"));
    m_mode->setObjectName(QStringLiteral("DoExtraMaps"));
    m_mapChoice->setObjectName(QStringLiteral("ExtraMapChoice"));
    m_mapChoice->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_window->setObjectName(QStringLiteral("WhiteLineWindow"));
    m_window->setRange(1.0, 500.0);
    m_window->setDecimals(1);
    m_window->setValue(30.0);
    m_window->setSuffix(QStringLiteral(" eV"));
    m_window->setToolTip(tr("The white line is the top of the normalised spectrum within [E0, E0 + W]"));
    m_components->setToolTip(tr("Principal components kept (score maps, component spectra)"));
    m_seed->setToolTip(tr("The same seed gives the same clusters"));
    m_runButtons[EdgeRun] = button(this, "RunEdgeMaps", tr("Edge maps"));
    m_runButtons[PcaRun] = button(this, "RunPca", tr("PCA"));
    m_runButtons[ClusterRun] = button(this, "RunKMeans", tr("k-means"));
    m_runButtons[EdgeRun]->setToolTip(tr("E0, edge jump, white-line energy and height of every block"));
    m_runButtons[PcaRun]->setToolTip(tr("PCA of the normalised spectra of the blocks inside the sample (edge jump at or above the mask threshold)"));
    m_runButtons[ClusterRun]->setToolTip(tr("k-means clusters of the first PCA scores"));
    m_useAsReference->setToolTip(
        tr("Saves the cluster's mean spectrum as a spectrum file and puts it into a free reference row, in use"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_mode, 0, 0);
    grid->addWidget(m_mapChoice, 0, 1, 1, 5);
    grid->addWidget(m_spectra, 1, 5);
    grid->addWidget(new QLabel(tr("White-line window W"), this), 1, 0);
    grid->addWidget(m_window, 1, 1);
    grid->addWidget(m_runButtons[EdgeRun], 1, 4);
    grid->addWidget(new QLabel(tr("Components n"), this), 2, 0);
    grid->addWidget(m_components, 2, 1);
    grid->addWidget(m_runButtons[PcaRun], 2, 4);
    grid->addWidget(new QLabel(tr("Clusters k"), this), 3, 0);
    grid->addWidget(m_clusters, 3, 1);
    grid->addWidget(new QLabel(tr("Seed"), this), 3, 2);
    grid->addWidget(m_seed, 3, 3);
    grid->addWidget(m_runButtons[ClusterRun], 3, 4);
    grid->addWidget(new QLabel(tr("Cluster"), this), 4, 0);
    grid->addWidget(m_cluster, 4, 1);
    grid->addWidget(m_useAsReference, 4, 4);
    grid->addWidget(m_progress, 5, 0, 1, 6);
    grid->setColumnStretch(5, 1);
    m_progress->setAlwaysVisible(true);

    for (int run = 0; run < RunCount; ++run)
        connect(m_runButtons[run], &QPushButton::clicked, this, [this, run] { emit runAsked(run); });
    connect(m_mapChoice, qOverload<int>(&QComboBox::activated), this, [this] {
        m_mode->setChecked(true);
        emit mapChosen();
    });
    connect(m_mode, &QRadioButton::toggled, this, [this] { emit mapChosen(); });
    connect(m_useAsReference, &QPushButton::clicked, this, [this] { emit useAsReferenceAsked(cluster()); });
    connect(m_spectra, &QPushButton::clicked, this, &MapsExtraPanel::spectraAsked);
    setMaps({}, {});
    showRunState(-1, false);
}

void MapsExtraPanel::setMaps(const QVector<Analyzed2DRes*>& maps, const QStringList& captions, int preferred)
{
    const QString was = m_mapChoice->currentText();
    m_maps = maps;
    m_mapChoice->clear();
    for (int i = 0; i < maps.size(); ++i)
        m_mapChoice->addItem(i < captions.size() ? captions[i] : QString());
    int index = m_mapChoice->findText(was);
    if (preferred >= 0 && preferred < maps.size())
        index = preferred;
    m_mapChoice->setCurrentIndex(maps.isEmpty() ? -1 : qMax(0, index));
    m_mapChoice->setEnabled(!maps.isEmpty());
    if (maps.isEmpty())
        m_mapChoice->addItem(tr("(no maps yet)"));
}

void MapsExtraPanel::chooseMap(int index)
{
    if (index < 0 || index >= m_maps.size())
        return;
    m_mapChoice->setCurrentIndex(index);
    m_mode->setChecked(true);
    emit mapChosen();
}

Analyzed2DRes* MapsExtraPanel::chosenMap() const
{
    const int i = m_mapChoice->currentIndex();
    return i >= 0 && i < m_maps.size() ? m_maps[i] : nullptr;
}

QString MapsExtraPanel::chosenCaption() const
{
    return chosenMap() ? m_mapChoice->currentText() : QString();
}

double MapsExtraPanel::window() const
{
    return m_window->value();
}

int MapsExtraPanel::components() const
{
    return m_components->value();
}

int MapsExtraPanel::clusters() const
{
    return m_clusters->value();
}

quint64 MapsExtraPanel::seed() const
{
    return quint64(m_seed->value());
}

int MapsExtraPanel::cluster() const
{
    return m_cluster->value();
}

void MapsExtraPanel::setClusterCount(int k)
{
    m_clusterCount = qMax(0, k);
    m_cluster->setRange(0, qMax(0, k - 1));
    showRunState(m_running, m_running >= 0);
}

void MapsExtraPanel::setPcaReady(bool ready)
{
    m_pcaReady = ready;
    showRunState(m_running, m_running >= 0);
}

void MapsExtraPanel::showRunState(int run, bool running)
{
    m_running = running ? run : -1;
    const QString texts[RunCount] = {tr("Edge maps"), tr("PCA"), tr("k-means")};
    for (int r = 0; r < RunCount; ++r) {
        const bool thisOne = r == m_running;
        runButton(r)->setText(thisOne ? tr("Stop") : texts[r]);
        runButton(r)->setEnabled(thisOne || (m_running < 0 && (r != ClusterRun || m_pcaReady)));
    }
    m_useAsReference->setEnabled(m_running < 0 && m_clusterCount > 0);
    m_cluster->setEnabled(m_clusterCount > 0);
}
