#pragma once

#include "analysis/AnalysisSnapshots.h"
#include "analysis/ElementAnalysis.h"
#include "physics/XafsSpectrum.h"

#include <QFrame>
#include <QVector>
#include <deque>
#include <memory>
#include <vector>

class AElemsConds;
class AnalyzeProc;
class Analyzed2DRes;
class ElemCtrl;
class JobProgressBar;
class JobRunner;
class LCFReference;
class MapsExtraPanel;
class QButtonGroup;
class QThread;
class XafsView;

namespace Ui {
class Analyzer;
}

// The analyzer window: the analysis mode, the reference rows of the fits,
// the element rows with their background values and correlation, the scales
// of the result maps and the choice of the map the main window shows. It owns
// the analysis engine and its thread and the spectrum view "Analyzing
// Spectrum". Requests reach the engine as value snapshots of the rows taken
// here on the GUI thread; the 2D runs are the main window's.
class Analyzer : public QFrame
{
    Q_OBJECT
public:
    explicit Analyzer(QWidget* parent = nullptr);
    ~Analyzer() override;

    // The result map the main window shows for the current mode and choices,
    // or null when none applies.
    Analyzed2DRes* currentImage() const;
    // What that map shows, in words for its caption on the main window
    // (reference file and amount or fraction, element and map kind, ...).
    QString currentImageTitle() const;

    // For the main window's 2D runs.
    QVector<ReferenceSnapshot> referenceSnapshots() const;  // every row, in order
    QVector<ElementSnapshot> elementSnapshots() const;
    BackgroundValues backgroundValues() const;
    // Checked id of the target group: 0 before the first rows, -1 when none is checked.
    int mainTarget() const;
    bool isMLCF() const;
    // 0 LCF / MLCF, 1 residual absorption, 2 element analysis.
    int mode() const;
    const QVector<LCFReference*>& refs() const { return m_refs; }
    const QVector<ElemCtrl*>& elems() const { return m_elems; }
    Analyzed2DRes* a2dDMut() const { return m_a2dDMut.get(); }
    Analyzed2DRes* a2dRest() const { return m_a2dRest.get(); }
    Analyzed2DRes* a2dRati() const { return m_a2dRati.get(); }
    Analyzed2DRes* corMap() const { return m_corMap.get(); }
    Analyzed2DRes* corThMap() const { return m_corThMap.get(); }
    // Fit quality and sum of the fractions of every block (filled by the runs).
    Analyzed2DRes* rFactorMap() const { return m_rFactorMap.get(); }
    Analyzed2DRes* fracSumMap() const { return m_fracSumMap.get(); }
    // The correlation last set and the threshold of the correlation maps.
    double correlation() const { return m_correlation; }
    double correlationThreshold() const { return m_corThreshold; }
    double raEnergy() const;
    double raFactor() const;
    bool dispOnTime() const;
    bool elemsDispOnTime() const;
    bool contAccess() const { return m_contAccess; }
    // Blocks whose edge jump is below maskThreshold() are left out when enabled.
    bool maskEnabled() const;
    // Fits keep the reference fractions >= 0 ("Non-negative"; live fits and runs).
    bool nonNegative() const;
    void setNonNegative(bool f);
    double maskThreshold() const;
    // Memory a whole-area run may use for its block values; 0 when the field
    // holds no positive number.
    qint64 memoryBudgetBytes() const;
    // The engine, for reading its results after the completion signals.
    // Requests go through analyzeSpectrum(): each finished() is matched, in
    // order, with the curve buffer of the request it answers.
    AnalyzeProc* engine() const { return m_engine; }
    XafsView* view() const { return m_view; }
    // Under the Analyze buttons; the main window attaches its run's runner.
    JobProgressBar* runProgress() const;
    AElemsConds* elemsConds() const;
    // The panel of the edge maps, PCA and clusters (the fourth mode).
    MapsExtraPanel* extraPanel() const { return m_extra; }
    // The raw dmut of every row in the last element answer.
    const QVector<double>& rawDmut() const { return m_rawDmut; }
    const XafsSpectrum& currentSpectrum() const { return m_current; }
    const XafsSpectrum& fitResult() const { return m_fitResult; }

    // Operations of the batch commands.
    void selectAnalysisMode(int mode);         // 0 DoMLCFA, 1 DoRAA, 2 DoElemA; others nothing
    void selectLCFImageKind(int kind);         // 0 SelDMut, 1 SelRatio; others nothing
    void selectElemImageType(int type);        // 0..8 in the order of the buttons; then changedSelection()
    void setSortByANo(bool f);
    void setElemsPrePostDE(double dE);         // every element row
    void setCorThreshold(double th);           // CorTh and the threshold, then recalcCorMap()
    // The element row whose Name is `name`, or null.
    ElemCtrl* elemByName(const QString& name) const;
    // On the row named `name`; false (and nothing changed) when there is none.
    bool setElemNoNeg(const QString& name, bool f);
    bool setElemThDMut(const QString& name, double v);
    bool setElemROI(const QString& name, double start, double end);
    bool setElemUse(const QString& name, bool f);
    bool selectElemShow(const QString& name);
    bool selectElemTarget(const QString& name);

    // Stops a correlation-map rebuild still running (it reads the element
    // rows' ratio maps and writes the correlation maps): call before changing
    // those maps. Runs that set continuous access on are covered.
    void stopCorMap();
    // Shows element results in the rows (as after one analysed spectrum).
    void showElementResult(const ElementResult& r);
    bool isCorMapRunning() const;

signals:
    void askAnalyze();
    void analyzeSpectrum0(XafsSpectrum s, QVector<ReferenceSnapshot> lcfrs0, XafsSpectrum* res, bool isMLCF);
    void finished();
    void askAnalyzeElems();
    void analyzeSpectrumElems0(XafsSpectrum s, QVector<ElementSnapshot> elems, QVector<double>* res, int mainT,
                               BackgroundValues bgv);
    void analyzeElemsFinished();
    void askRAAnalyze();
    void changedSelection();
    void setNewCorrelation(double cor);

public slots:
    void addNewRef();
    void analyzeSpectrumFinished();
    void analyzeSpectrumElemsFinished();
    void selectedNewRef(int i);
    void scalePolicyChanged(bool f);
    void scaleChanged();
    void selectedImgChanged(bool);
    void newElems();
    void setElemsStd();
    void calcCorrelation();
    void recalcCorMap();
    void newCorTh();
    void setCorrelation(double cor);
    void show();
    void setContAccess(bool f);
    void setLCFMode(int f);
    void analyzeAndShowSpectrum(const XafsSpectrum& s);
    void analyzeSpectrum(const XafsSpectrum& s);
    void reAnalyzeSpectrum();
    void setProgress(double perCent);
    void setElemsProgress(double perCent);
    // The Analyze button of mode 0 (LCF), 1 (residual) or 2 (elements)
    // reads "Stop" while its run goes and "Analyze" otherwise.
    void showRunState(int mode, bool running);
    void setLCFStd(int no, bool use, double dE, QString fname, QString isVic);
    void selectImage(int id);
    void setRaEnergy(double eng);
    void setRaFactor(double factor);
    void setFixedScale(bool f);
    void setDMutScaleMax(double max);
    void setDMutScaleMin(double min);
    void setRatioScaleMax(double max);
    void setRatioScaleMin(double min);
    void setNormalize(bool f);
    void setEnergyCorrection(bool f);
    void setTargetElements(QString elements);

private:
    void showFitResults(const QVector<int>& rows, const QVector<double>& fractions, const QVector<double>& amounts);
    void renumberImageButtons();
    void applyScales(bool setPolicy, bool fixed);
    void showEdgeMarkers();
    XafsSpectrum* takeCurveBuffer();

    std::unique_ptr<Analyzed2DRes> m_a2dDMut;
    std::unique_ptr<Analyzed2DRes> m_a2dRest;
    std::unique_ptr<Analyzed2DRes> m_a2dRati;
    std::unique_ptr<Analyzed2DRes> m_corMap;
    std::unique_ptr<Analyzed2DRes> m_corThMap;
    std::unique_ptr<Analyzed2DRes> m_rFactorMap;
    std::unique_ptr<Analyzed2DRes> m_fracSumMap;
    Ui::Analyzer* ui;
    QButtonGroup* m_modeGroup = nullptr;
    MapsExtraPanel* m_extra = nullptr;
    QButtonGroup* m_kindGroup = nullptr;
    XafsView* m_view = nullptr;
    QButtonGroup* m_imageGroup = nullptr;
    QVector<LCFReference*> m_refs;
    XafsSpectrum m_current;
    XafsSpectrum m_fitResult;
    bool m_contAccess = false;
    AnalyzeProc* m_engine = nullptr;
    QThread* m_engineThread = nullptr;
    QVector<ElemCtrl*> m_elems;
    QVector<double> m_rawDmut;
    QButtonGroup* m_targetGroup = nullptr;
    QButtonGroup* m_showGroup = nullptr;
    QButtonGroup* m_elemTypeGroup = nullptr;
    double m_correlation = 1.0;
    double m_corThreshold = 0.999;
    bool m_corAbove = false;
    bool m_inSetCorrelation = false;
    JobRunner* m_corRunner = nullptr;

    // Fitted curves: the engine writes each answer into a buffer of its own,
    // handed over to m_fitResult when its finished() arrives, so the GUI never
    // reads a spectrum the engine thread is writing. Buffers are reused and
    // freed only after the engine thread has ended.
    std::vector<std::unique_ptr<XafsSpectrum>> m_curvePool;
    std::deque<XafsSpectrum*> m_curvesInFlight;
    std::vector<XafsSpectrum*> m_freeCurves;
};
