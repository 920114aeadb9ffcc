#pragma once

#include "analysis/AnalysisSnapshots.h"
#include "analysis/ElementAnalysis.h"
#include "analysis/LinearCombinationFitter.h"
#include "physics/XafsSpectrum.h"

#include <QMutex>
#include <QObject>
#include <QVector>
#include <atomic>

// The analysis engine: lives in a thread of its own, takes one spectrum per
// request with value snapshots of the rows it needs, runs the LCF/MLCF fit or
// the element analysis and signals completion.
//
// Requests arrive as queued signals and are handled one at a time. The result
// vectors are published under a lock when a request ends and read through the
// accessors (copies) after the completion signal. The fitted curve and the raw
// dmut vector are written through the caller's pointers before the signal; the
// caller reads them after it and before its next request.
class AnalyzeProc : public QObject
{
    Q_OBJECT
public:
    explicit AnalyzeProc(QObject* parent = nullptr);

    // Continuous access: on during 2D runs; while on, no row display is sent
    // and the fitted curve uses the coefficients the rows showed last.
    bool contAccess() const { return m_contAccess.load(); }

    // Fit results: one entry per used reference row, in row order.
    QVector<double> fractions() const;
    QVector<double> amounts() const;
    // Element results: one entry per element row.
    QVector<double> dmut() const;
    QVector<double> dmutRatio() const;
    QVector<double> muPlus() const;
    QVector<double> muMinus() const;
    QVector<double> edgeShift() const;
    QVector<double> roi() const;
    QVector<double> nroi() const;
    // All element vectors of the last element request at once.
    ElementResult elementResult() const;

public slots:
    // Safe to call directly from any thread as well as by a queued signal.
    void setContAccess(bool f) { m_contAccess.store(f); }
    // Fits keep the reference coefficients >= 0 from the next request on.
    void setNonNegative(bool f) { m_nonNegative.store(f); }
    // The request slots take their values by const reference: a queued call
    // hands them the copies held by its event, so nothing is copied again.
    //
    // MLCF when isMLCF, else LCF.
    void analyzeSpectrum0(const XafsSpectrum& s, const QVector<ReferenceSnapshot>& lcfrs0, XafsSpectrum* res,
                          bool isMLCF);
    // Fits s by the used rows of lcfrs0; with `res` the fitted curve is built
    // and assigned to *res, a null `res` skips it. Emits showFitResults()
    // (unless contAccess) and finished(); nothing when the request has no
    // result (no sample points, fewer than two rows).
    void analyzeSpectrumByLCF(const XafsSpectrum& s, const QVector<ReferenceSnapshot>& lcfrs0, XafsSpectrum* res);
    void analyzeSpectrumByMLCF(const XafsSpectrum& s, const QVector<ReferenceSnapshot>& lcfrs0, XafsSpectrum* res);
    // Element analysis of s for every row; `res0` (may be null) receives the
    // raw edge step of every row; mainT is the target row of the ratios.
    // Emits finishedAElems().
    void analyzeSpectrumElems0(const XafsSpectrum& s, const QVector<ElementSnapshot>& elems, QVector<double>* res0,
                               int mainT, const BackgroundValues& bgv);

signals:
    void finished();
    void finishedAElems();
    // The row display of a fit: rows[k] (index into the reference rows of the
    // request) shows fractions[k] and amounts[k] and keeps fractions[k] as its
    // current coefficient. Sent before finished(), never while contAccess is on.
    void showFitResults(QVector<int> rows, QVector<double> fractions, QVector<double> amounts);
    // The fit's quality (FitResult::rFactor), with every showFitResults().
    void showFitQuality(double rFactor);

private:
    void runFit(LinearCombinationFitter::Method method, const XafsSpectrum& s,
                const QVector<ReferenceSnapshot>& refs, XafsSpectrum* res);

    std::atomic<bool> m_contAccess{false};
    std::atomic<bool> m_nonNegative{false};

    // Engine-thread working storage, reused between requests.
    LinearCombinationFitter m_fitter;
    FitResult m_fit;
    ElementResult m_elems;

    // Published results, guarded by m_lock.
    mutable QMutex m_lock;
    QVector<double> m_fractions;
    QVector<double> m_amounts;
    ElementResult m_published;
};
