#include "spectrumview/XafsView.h"

#include "ui_XafsView.h"

#include "base/StartupOptions.h"
#include "imageview/DispA.h"
#include "plot/PlotScene.h"
#include "plot/XafsViewFiles.h"
#include "spectrumview/PlotPainter.h"
#include "controls/DialogFolder.h"

#include <QFileDialog>
#include <QPainter>

XafsView::XafsView(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::XafsView)
{
    ui->setupUi(this);
    // The plot neither zooms nor pans.
    area()->setWheelZoomEnabled(false);
    area()->setShiftPanEnabled(false);
    connect(area(), &DispA::drawImage1, this, &XafsView::draw);
    connect(area(), &DispA::mouseMoved0, this, &XafsView::onMouseMoved);
    for (QCheckBox* box : {ui->Normalized, ui->ECorrect, ui->ShowRaw, ui->ShowFFT})
        connect(box, &QCheckBox::toggled, this, [this] { update(); });
    connect(ui->Save, &QPushButton::clicked, this, &XafsView::showSaveDialog);
}

XafsView::~XafsView()
{
    delete ui;
}

DispA* XafsView::area() const
{
    return ui->Xafs;
}

double XafsView::setTarget(const XafsSpectrum& s)
{
    m_target = s;
    update();
    if (m_target.isEmpty() || m_standard.isEmpty())
        return 0.0;
    return m_target.crossingEnergy(0.5, Spectrum::Rising) - m_standard.crossingEnergy(0.5, Spectrum::Rising);
}

void XafsView::setStandard(const XafsSpectrum& s)
{
    m_standard = s;
    repaintPlot();
}

void XafsView::clearStandard()
{
    m_standard = XafsSpectrum();
    repaintPlot();
}

void XafsView::addExtra(const XafsSpectrum* s, const QPen& pen, const QString& name)
{
    if (!s || m_extras.contains(s))
        return;
    const int i = m_extras.size();
    m_extras.push_back(s);
    m_names.resize(m_extras.size());
    m_names[i] = name;
    if (m_pens.size() <= i)
        m_pens.resize(i + 1);
    // A default pen asks for the palette colour of the index.
    m_pens[i] = pen == QPen() ? std::nullopt : std::optional<QPen>(pen);
    repaintPlot();
}

void XafsView::removeExtra(const XafsSpectrum* s)
{
    const int i = m_extras.indexOf(s);
    if (i < 0)
        return;
    m_extras.remove(i);
    // Pens and names follow their spectra.
    if (i < m_pens.size())
        m_pens.remove(i);
    if (i < m_names.size())
        m_names.remove(i);
    repaintPlot();
}

void XafsView::clearExtras()
{
    m_extras.clear();
    m_pens.clear();
    m_names.clear();
    repaintPlot();
}

void XafsView::setExtraName(const XafsSpectrum* s, const QString& name)
{
    const int i = m_extras.indexOf(s);
    if (i < 0)
        return;
    m_names[i] = name;
    repaintPlot();
}

void XafsView::setTargetName(const QString& name)
{
    m_targetName = name;
    repaintPlot();
}

void XafsView::setStandardName(const QString& name)
{
    m_standardName = name;
    repaintPlot();
}

void XafsView::setExtraPen(int i, const QPen& pen)
{
    if (i < 0)
        return;
    if (m_pens.size() <= i)
        m_pens.resize(i + 1);
    m_pens[i] = pen;
    repaintPlot();
}

void XafsView::setRawSeries(const Spectrum& raw)
{
    m_raw = raw;
    if (showsRaw())
        repaintPlot();
}

void XafsView::setEnergyMarker(double eV)
{
    m_energyMarker = eV;
    repaintPlot();
}

void XafsView::setEdgeMarkers(const QVector<EdgeMarker>& markers)
{
    m_edges = markers;
    repaintPlot();
}

bool XafsView::isNormalized() const
{
    return ui->Normalized->isChecked();
}

bool XafsView::isEnergyCorrected() const
{
    return ui->ECorrect->isChecked();
}

bool XafsView::showsRaw() const
{
    return ui->ShowRaw->isChecked();
}

bool XafsView::showsFFT() const
{
    return ui->ShowFFT->isChecked();
}

PlotFrame XafsView::currentFrame()
{
    PlotInput in;
    in.target = &m_target;
    in.standard = &m_standard;
    in.extras = m_extras;
    in.extraPens = m_pens;
    in.rawSeries = &m_raw;
    in.edges = m_edges;
    in.energyMarker = m_energyMarker;
    in.options.normalized = isNormalized();
    in.options.energyCorrected = isEnergyCorrected();
    in.options.showRaw = showsRaw();
    in.options.showFFT = showsFFT();
    in.targetName = m_targetName;
    in.standardName = m_standard.isEmpty() ? QString() : m_standardName;
    in.extraNames = m_names;
    if (in.options.mode() == PlotMode::Fourier) {
        // The plans are made once per length and reused.
        m_fft.setSize(m_raw.count());
        m_fft.forward(m_raw);
        m_fft.magnitude();
        in.magnitudes = m_fft.magnitudes();
        in.magnitudeCount = m_fft.size();
    }
    return SpectrumPlot::build(in);
}

void XafsView::setEnergiesKnown(bool known)
{
    if (known == m_energiesKnown)
        return;
    m_energiesKnown = known;
    repaintPlot();
}

PlotTitles XafsView::titles(PlotMode mode) const
{
    const QString x = m_energiesKnown ? tr("Energy [eV]") : tr("Image number (no energies: see Energy Setup)");
    switch (mode) {
    case PlotMode::Normalized:
        return {x, tr("Normalized mu t")};
    case PlotMode::Raw:
        return {x, tr("mu t")};
    case PlotMode::RawSeries:
        return {tr("Image number"), tr("Intensity")};
    case PlotMode::Fourier:
        return {tr("Frequency index"), tr("|F|")};
    }
    return {};
}

void XafsView::draw(QPainter* p)
{
    if (!p)
        return;
    ChCoord* chart = area()->cc();
    chart->setScreen(0, area()->height(), area()->width(), 0);
    chart->applyMargins();
    const PlotFrame frame = currentFrame();
    const PlotScene scene = PlotScene::layout(frame, *chart, titles(frame.mode));
    PlotPainter::paint(p, scene, m_text);
}

void XafsView::onMouseMoved()
{
    if (m_target.isEmpty() && !showsRaw())
        return;
    ChCoord* chart = area()->cc();
    chart->setScreen(0, area()->height(), area()->width(), 0);
    chart->applyMargins();
    const PlotFrame frame = currentFrame();
    if (!frame.isValid())
        return;
    chart->setRange(frame.xRange.lo, frame.yRange.lo, frame.xRange.hi, frame.yRange.hi);
    QPointF d;
    if (area()->hasRealMousePos()) {
        d = area()->realMousePos();
    } else {
        const QPoint m = area()->mc()->pos();
        d = QPointF(chart->realX(m.x()), chart->realY(m.y()));
    }
    ui->XVal->setText(QString::number(d.x(), 'g', 6));
    ui->YVal->setText(QString::number(d.y(), 'g', 6));
}

void XafsView::update()
{
    repaintPlot();
    emit updated();
}

void XafsView::repaintPlot()
{
    area()->update();
}

QStringList XafsView::saveData(const QString& fname)
{
    const QStringList written = XafsViewFiles::save(fname, m_target, m_standard, m_extras);
    if (!written.isEmpty())
        emit spectraSaved(written);
    return written;
}

void XafsView::setNormalize(bool f)
{
    ui->Normalized->setChecked(f);
}

void XafsView::setEnergyCorrection(bool f)
{
    ui->ECorrect->setChecked(f);
}

void XafsView::showSaveDialog()
{
    if (!m_saveDialog) {
        m_saveDialog = new QFileDialog(this, tr("Save Spectra"));
        m_saveDialog->setFileMode(QFileDialog::AnyFile);
        m_saveDialog->setAcceptMode(QFileDialog::AcceptSave);
        m_saveDialog->setNameFilters({tr("Data File (*.dat)"), tr("Any Files (* *.*)")});
        connect(m_saveDialog, &QFileDialog::fileSelected, this, &XafsView::saveData);
        DialogFolder::follow(m_saveDialog, QStringLiteral("results"));
    }
    m_saveDialog->show();
}
