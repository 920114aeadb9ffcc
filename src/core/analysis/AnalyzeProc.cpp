#include "analysis/AnalyzeProc.h"

#include <QMutexLocker>

AnalyzeProc::AnalyzeProc(QObject* parent) : QObject(parent)
{
    registerAnalysisMetaTypes();
}

QVector<double> AnalyzeProc::fractions() const
{
    QMutexLocker lock(&m_lock);
    return m_fractions;
}

QVector<double> AnalyzeProc::amounts() const
{
    QMutexLocker lock(&m_lock);
    return m_amounts;
}

ElementResult AnalyzeProc::elementResult() const
{
    QMutexLocker lock(&m_lock);
    return m_published;
}

QVector<double> AnalyzeProc::dmut() const
{
    QMutexLocker lock(&m_lock);
    return m_published.dmut;
}

QVector<double> AnalyzeProc::dmutRatio() const
{
    QMutexLocker lock(&m_lock);
    return m_published.dmutRatio;
}

QVector<double> AnalyzeProc::muPlus() const
{
    QMutexLocker lock(&m_lock);
    return m_published.muPlus;
}

QVector<double> AnalyzeProc::muMinus() const
{
    QMutexLocker lock(&m_lock);
    return m_published.muMinus;
}

QVector<double> AnalyzeProc::edgeShift() const
{
    QMutexLocker lock(&m_lock);
    return m_published.edgeShift;
}

QVector<double> AnalyzeProc::roi() const
{
    QMutexLocker lock(&m_lock);
    return m_published.roi;
}

QVector<double> AnalyzeProc::nroi() const
{
    QMutexLocker lock(&m_lock);
    return m_published.nroi;
}

void AnalyzeProc::analyzeSpectrum0(const XafsSpectrum& s, const QVector<ReferenceSnapshot>& lcfrs0,
                                   XafsSpectrum* res, bool isMLCF)
{
    runFit(isMLCF ? LinearCombinationFitter::MLCF : LinearCombinationFitter::LCF, s, lcfrs0, res);
}

void AnalyzeProc::analyzeSpectrumByLCF(const XafsSpectrum& s, const QVector<ReferenceSnapshot>& lcfrs0,
                                       XafsSpectrum* res)
{
    runFit(LinearCombinationFitter::LCF, s, lcfrs0, res);
}

void AnalyzeProc::analyzeSpectrumByMLCF(const XafsSpectrum& s, const QVector<ReferenceSnapshot>& lcfrs0,
                                        XafsSpectrum* res)
{
    runFit(LinearCombinationFitter::MLCF, s, lcfrs0, res);
}

void AnalyzeProc::runFit(LinearCombinationFitter::Method method, const XafsSpectrum& s,
                         const QVector<ReferenceSnapshot>& refs, XafsSpectrum* res)
{
    // Read once so the row display and the curve agree on it.
    const bool cont = m_contAccess.load();
    FitOptions options;
    options.curve = res != nullptr;
    options.freshCoefficients = !cont;
    options.nonNegative = m_nonNegative.load();
    if (!m_fitter.fit(method, s, refs, options, m_fit))
        return;
    {
        QMutexLocker lock(&m_lock);
        m_fractions = m_fit.fractions;
        m_amounts = m_fit.amounts;
    }
    if (!cont) {
        emit showFitResults(m_fit.usedRows, m_fit.fractions, m_fit.amounts);
        emit showFitQuality(m_fit.rFactor);
    }
    if (res)
        *res = m_fit.curve;
    emit finished();
}

void AnalyzeProc::analyzeSpectrumElems0(const XafsSpectrum& s, const QVector<ElementSnapshot>& elems,
                                        QVector<double>* res0, int mainT, const BackgroundValues& bgv)
{
    analyzeElements(s, elems, mainT, bgv, m_elems);
    {
        QMutexLocker lock(&m_lock);
        m_published = m_elems;
    }
    if (res0)
        *res0 = m_elems.rawDmut;
    emit finishedAElems();
}
