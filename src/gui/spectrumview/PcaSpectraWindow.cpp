#include "spectrumview/PcaSpectraWindow.h"

#include "spectrumview/CurveSetView.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

PcaSpectraWindow::PcaSpectraWindow(QWidget* parent)
    : QWidget(parent)
    , m_scree(new CurveSetView(this))
    , m_spectra(new CurveSetView(this))
    , m_showComponents(new QRadioButton(tr("Component spectra"), this))
    , m_showMeans(new QRadioButton(tr("Cluster mean spectra"), this))
{
    setObjectName(QStringLiteral("PcaSpectraWindow"));
    setWindowTitle(tr("PCA and clusters"));
    m_showComponents->setObjectName(QStringLiteral("ShowComponentSpectra"));
    m_showMeans->setObjectName(QStringLiteral("ShowClusterMeans"));
    auto* group = new QButtonGroup(this);
    group->addButton(m_showComponents);
    group->addButton(m_showMeans);
    m_showComponents->setChecked(true);
    auto* choice = new QHBoxLayout;
    choice->addWidget(m_showComponents);
    choice->addWidget(m_showMeans);
    choice->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_scree, 2);
    layout->addLayout(choice);
    layout->addWidget(m_spectra, 3);
    connect(m_showMeans, &QRadioButton::toggled, this, &PcaSpectraWindow::redraw);
    resize(560, 620);
    redraw();
}

void PcaSpectraWindow::setValues(const PcaSpectraValues& values)
{
    m_values = values;
    redraw();
}

void PcaSpectraWindow::showClusterMeans(bool f)
{
    (f ? m_showMeans : m_showComponents)->setChecked(true);
}

bool PcaSpectraWindow::showsClusterMeans() const
{
    return m_showMeans->isChecked();
}

void PcaSpectraWindow::redraw()
{
    QVector<NamedCurve> scree;
    if (!m_values.explained.isEmpty())
        scree << CurveSetPlot::scree(m_values.explained, tr("explained variance"));
    m_scree->setCurves(scree, {tr("Component"), tr("Explained variance [%]")});

    QVector<NamedCurve> curves;
    const bool means = showsClusterMeans();
    const QVector<QVector<double>>& spectra = means ? m_values.clusterMeans : m_values.components;
    for (int i = 0; i < spectra.size(); ++i) {
        NamedCurve c;
        c.x = m_values.energies;
        c.y = spectra[i];
        if (means)
            c.name = i < m_values.clusterSizes.size() ? tr("cluster %1 (%2 blocks)").arg(i).arg(m_values.clusterSizes[i])
                                                       : tr("cluster %1").arg(i);
        else
            c.name = tr("component %1").arg(i + 1);
        curves << c;
    }
    m_spectra->setCurves(curves, {tr("Energy [eV]"), means ? tr("Normalized mu t") : tr("Component weight")});
}
