#pragma once

#include "display/DrawText.h"
#include "physics/XafsSpectrum.h"
#include "plot/PlotScene.h"
#include "plot/SpectrumPlot.h"
#include "processing/FourierTransform.h"

#include <QFrame>
#include <QPen>
#include <QVector>
#include <optional>

class QFileDialog;
class QPainter;
class DispA;

namespace Ui {
class XafsView;
}

// The spectrum plot beside the images: the spectrum of the current point
// (target), a standard and extra spectra owned by other windows, normalised
// or raw with their background lines and the marked absorption edges; or the
// raw intensity series of the point and its Fourier magnitudes. Reports the
// mouse position in data coordinates and saves its spectra as text files.
class XafsView : public QFrame
{
    Q_OBJECT
public:
    using EdgeMarker = PlotEdgeMarker;   // { QString name; double energy; } in eV

    explicit XafsView(QWidget* parent = nullptr);
    ~XafsView() override;

    // Copies the spectrum, repaints and emits updated(). Returns the target's
    // half-height energy (crossing 0.5, rising) minus the standard's; 0 while
    // either has no points.
    double setTarget(const XafsSpectrum& s);
    const XafsSpectrum& target() const { return m_target; }
    // Drawn in red and saved with the tag "std".
    void setStandard(const XafsSpectrum& s);
    void clearStandard();
    const XafsSpectrum& standard() const { return m_standard; }

    // Extra spectra are not owned: the owner keeps s alive until it removes
    // it (or clears the extras). Each is drawn only while s->use() is set,
    // with its own pen or, for a default-constructed pen, palette colour of
    // its index (mod 9).
    void addExtra(const XafsSpectrum* s, const QPen& pen = QPen(), const QString& name = QString());
    // The legend names of the curves (empty: no legend line).
    void setExtraName(const XafsSpectrum* s, const QString& name);
    void setTargetName(const QString& name);
    void setStandardName(const QString& name);
    void removeExtra(const XafsSpectrum* s);
    void clearExtras();
    void setExtraPen(int i, const QPen& pen);
    int extraCount() const { return m_extras.size(); }
    QPen extraPen(int i) const { return SpectrumPlot::extraPen(i, m_pens); }

    // Raw intensity series of the current point (shown with "Raw").
    void setRawSeries(const Spectrum& raw);
    // Energy of the image on show, drawn as a thin dotted line; < 0 hides it.
    void setEnergyMarker(double eV);
    double energyMarker() const { return m_energyMarker; }
    // Whether the points' x values are energies; without, the axis says it
    // shows image numbers.
    void setEnergiesKnown(bool known);
    bool energiesKnown() const { return m_energiesKnown; }
    // Absorption edges to mark: a red line and the name at each energy.
    void setEdgeMarkers(const QVector<EdgeMarker>& markers);

    bool isNormalized() const;
    bool isEnergyCorrected() const;
    bool showsRaw() const;
    bool showsFFT() const;

    // What the plot shows now, in data coordinates (runs the Fourier
    // transform in Fourier mode).
    PlotFrame currentFrame();

    using QFrame::update;

public slots:
    void draw(QPainter* p);
    void onMouseMoved();
    // Repaints the drawing area and emits updated().
    void update();
    // Returns the files written (none when nothing could be saved).
    QStringList saveData(const QString& fname);
    void setNormalize(bool f);
    void setEnergyCorrection(bool f);

signals:
    void updated();
    // Spectra were written to `files` (their provenance goes beside them).
    void spectraSaved(QStringList files);

private:
    void showSaveDialog();
    void repaintPlot();
    PlotTitles titles(PlotMode mode) const;
    DispA* area() const;

    Ui::XafsView* ui;
    DrawText m_text;
    XafsSpectrum m_target;
    XafsSpectrum m_standard;
    QVector<const XafsSpectrum*> m_extras;
    QVector<std::optional<QPen>> m_pens;
    QVector<QString> m_names;
    QString m_targetName;
    QString m_standardName;
    Spectrum m_raw;
    FourierTransform m_fft;
    QVector<EdgeMarker> m_edges;
    double m_energyMarker = -1.0;
    bool m_energiesKnown = true;
    QFileDialog* m_saveDialog = nullptr;
};
