#include "analysis/AnalyzeProc.h"
#include "MixtureSpectra.h"
#include "physics/EdgeTable.h"

#include <QThread>
#include <QtTest>
#include <cmath>

using namespace MixtureSpectra;
using Doubles = QVector<double>;
using Refs = QVector<ReferenceSnapshot>;
using Rows = QVector<ElementSnapshot>;

// Stands for the analyzer window: its signals reach the engine queued.
class Requester : public QObject
{
    Q_OBJECT
signals:
    void analyzeSpectrum0(XafsSpectrum s, QVector<ReferenceSnapshot> refs, XafsSpectrum* res, bool isMLCF);
    void analyzeSpectrumByLCF(XafsSpectrum s, QVector<ReferenceSnapshot> refs, XafsSpectrum* res);
    void analyzeSpectrumElems0(XafsSpectrum s, QVector<ElementSnapshot> elems, QVector<double>* res0, int mainT,
                               BackgroundValues bgv);
    void setContAccess(bool f);
};

namespace {

// A Fe K edge ramp on points E0 + k, 0.25 below, 1.25 above.
XafsSpectrum feEdge()
{
    const double e0 = 1000.0 * EdgeTable::global().edgeEnergy(26, EdgeTable::K);
    Spectrum s;
    for (int k = -60; k <= 60; ++k)
        s.add(e0 + k, 0.25 + std::min(1.0, std::max(0.0, (k + 3.7) / 8.0)));
    return XafsSpectrum(s, false, 0.0);
}

ElementSnapshot feRow(double dE, double threshold)
{
    const double e0 = 1000.0 * EdgeTable::global().edgeEnergy(26, EdgeTable::K);
    ElementSnapshot r;
    r.z = 26;
    r.edge = EdgeTable::K;
    r.dE = dE;
    r.roiStart = e0 + 20;
    r.roiEnd = e0 + 30;
    r.threshold = threshold;
    return r;
}

} // namespace

class TestAnalyzeProc : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void lcfRunsInTheEngineThread();
    void mlcfThroughAnalyzeSpectrum0();
    void contAccessKeepsRowsAndShownCoefficients();
    void noSignalWithoutResult();
    void elementsInTheEngineThread();
    void requestsAreAnsweredInOrder();

private:
    QThread* m_thread = nullptr;
    AnalyzeProc* m_proc = nullptr;
    Requester* m_req = nullptr;
};

void TestAnalyzeProc::init()
{
    registerAnalysisMetaTypes();
    m_thread = new QThread;
    m_proc = new AnalyzeProc;
    m_proc->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_proc, &QObject::deleteLater);
    m_req = new Requester;
    connect(m_req, &Requester::analyzeSpectrum0, m_proc, &AnalyzeProc::analyzeSpectrum0);
    connect(m_req, &Requester::analyzeSpectrumByLCF, m_proc, &AnalyzeProc::analyzeSpectrumByLCF);
    connect(m_req, &Requester::analyzeSpectrumElems0, m_proc, &AnalyzeProc::analyzeSpectrumElems0);
    connect(m_req, &Requester::setContAccess, m_proc, &AnalyzeProc::setContAccess);
    m_thread->start();
}

void TestAnalyzeProc::cleanup()
{
    m_thread->quit();
    m_thread->wait();
    delete m_thread; // the engine was deleted by the thread's finished()
    delete m_req;
    m_thread = nullptr;
    m_proc = nullptr;
    m_req = nullptr;
}

void TestAnalyzeProc::lcfRunsInTheEngineThread()
{
    QThread* ranIn = nullptr;
    connect(m_proc, &AnalyzeProc::finished, m_proc, [&ranIn] { ranIn = QThread::currentThread(); },
            Qt::DirectConnection);
    QVector<int> shownRows;
    Doubles shownFractions;
    Doubles shownAmounts;
    QThread* shownIn = nullptr;
    QStringList arrivals; // in the GUI thread, in delivery order
    int finished = 0; // counted in the GUI thread
    connect(m_proc, &AnalyzeProc::finished, this, [&finished] { ++finished; });
    connect(m_proc, &AnalyzeProc::finished, this, [&arrivals] { arrivals << "finished"; });
    connect(m_proc, &AnalyzeProc::showFitResults, this,
            [&](QVector<int> rows, Doubles fractions, Doubles amounts) {
                shownRows = rows;
                shownFractions = fractions;
                shownAmounts = amounts;
                shownIn = QThread::currentThread();
                arrivals << "rows";
            });

    const XafsSpectrum sample = flatMixture(ramp(), 0.3, whiteLine(), 0.7, 2.0);
    const Refs refs{reference(flatShape(ramp())), reference(flatShape(shoulder()), 0.0, false),
                    reference(flatShape(whiteLine()))};
    XafsSpectrum curve;
    emit m_req->analyzeSpectrum0(sample, refs, &curve, false);
    QTRY_COMPARE(finished, 1);
    QTRY_COMPARE(arrivals.size(), 2);

    QCOMPARE(ranIn, m_thread);
    QCOMPARE(shownIn, QThread::currentThread());
    QCOMPARE(arrivals, QStringList({"rows", "finished"}));
    const Doubles fractions = m_proc->fractions();
    QCOMPARE(fractions.size(), 2);
    QVERIFY(std::fabs(fractions[0] - 0.3) < 1e-9);
    QVERIFY(std::fabs(fractions[1] - 0.7) < 1e-9);
    QCOMPARE(m_proc->amounts(), Doubles({fractions[0] * sample.jump(), fractions[1] * sample.jump()}));
    QCOMPARE(shownRows, QVector<int>({0, 2}));
    QCOMPARE(shownFractions, fractions);
    QCOMPARE(shownAmounts, m_proc->amounts());
    QCOMPARE(curve.count(), sample.count());
    for (int i = 0; i < curve.count(); ++i)
        QVERIFY(std::fabs(curve.y(i) - sample.doubleNormalizedPreBase().y(i)) < 1e-9);
}

void TestAnalyzeProc::mlcfThroughAnalyzeSpectrum0()
{
    // MLCF of a sample that is 0.4 * ramp + 0.6 * white line on the same
    // grid: mu = 0.4 w1 + 0.6 w2 + 1 (the post-base spectra are mu - 1 here).
    const XafsSpectrum sample = flatMixture(ramp(), 0.4, whiteLine(), 0.6, 1.0);
    const Refs refs{reference(flatShape(ramp())), reference(flatShape(whiteLine()))};
    int finished = 0; // counted in the GUI thread
    connect(m_proc, &AnalyzeProc::finished, this, [&finished] { ++finished; });
    emit m_req->analyzeSpectrum0(sample, refs, nullptr, true);
    QTRY_COMPARE(finished, 1);
    const Doubles fractions = m_proc->fractions();
    QCOMPARE(fractions.size(), 2);
    QVERIFY(std::fabs(fractions[0] - 0.4) < 1e-7);
    QVERIFY(std::fabs(fractions[1] - 0.6) < 1e-7);
    QVERIFY(std::fabs(m_proc->amounts()[0] - 0.4) < 1e-7);
}

void TestAnalyzeProc::contAccessKeepsRowsAndShownCoefficients()
{
    int shown = 0;
    connect(m_proc, &AnalyzeProc::showFitResults, this, [&shown] { ++shown; });
    int finished = 0; // counted in the GUI thread
    connect(m_proc, &AnalyzeProc::finished, this, [&finished] { ++finished; });
    const XafsSpectrum sample = flatMixture(ramp(), 0.3, whiteLine(), 0.7, 1.0);
    const XafsSpectrum r1 = flatShape(ramp());
    const XafsSpectrum r2 = flatShape(whiteLine());
    const Refs refs{reference(r1, 0.0, true, true, 0.2), reference(r2, 0.0, true, true, 0.9)};

    emit m_req->setContAccess(true);
    XafsSpectrum curve;
    emit m_req->analyzeSpectrumByLCF(sample, refs, &curve);
    QTRY_COMPARE(finished, 1);
    QVERIFY(m_proc->contAccess());
    QVERIFY(std::fabs(m_proc->fractions()[0] - 0.3) < 1e-9);
    // The curve is drawn with the coefficients the rows showed last.
    for (int i = 0; i < curve.count(); ++i)
        QCOMPARE(curve.y(i), 0.0 + 0.2 * r1.y(i) + 0.9 * r2.y(i));

    emit m_req->setContAccess(false);
    emit m_req->analyzeSpectrumByLCF(sample, refs, &curve);
    QTRY_COMPARE(finished, 2);
    QTRY_COMPARE(shown, 1);
    QVERIFY(std::fabs(curve.y(sample.count() - 1) - 1.0) < 1e-9); // fresh 0.3 + 0.7
}

void TestAnalyzeProc::noSignalWithoutResult()
{
    int finished = 0; // counted in the GUI thread
    connect(m_proc, &AnalyzeProc::finished, this, [&finished] { ++finished; });
    int shown = 0;
    connect(m_proc, &AnalyzeProc::showFitResults, this, [&shown] { ++shown; });
    const XafsSpectrum sample = flatMixture(ramp(), 0.3, whiteLine(), 0.7, 1.0);
    const Refs one{reference(flatShape(ramp()))};
    const Refs two{reference(flatShape(ramp())), reference(flatShape(whiteLine()))};

    emit m_req->analyzeSpectrum0(sample, one, nullptr, false);
    emit m_req->analyzeSpectrum0(XafsSpectrum(), two, nullptr, true);
    emit m_req->analyzeSpectrum0(sample, two, nullptr, false);
    // Requests are handled in order: once the third has answered, the first
    // two have ended, silently.
    QTRY_COMPARE(finished, 1);
    QTRY_COMPARE(shown, 1);
    QCOMPARE(finished, 1);
    QCOMPARE(m_proc->fractions().size(), 2);
}

void TestAnalyzeProc::elementsInTheEngineThread()
{
    int done = 0;
    connect(m_proc, &AnalyzeProc::finishedAElems, this, [&done] { ++done; });
    BackgroundValues bg;
    bg.dmut = -2.0;
    QVector<double> raw{99.0};
    emit m_req->analyzeSpectrumElems0(feEdge(), Rows{feRow(10.0, 0.5), feRow(2.0, 0.0), feRow(10.0, 5.0)}, &raw, 1,
                                      bg);
    QTRY_COMPARE(done, 1);
    QCOMPARE(raw, Doubles({1.0, 0.5, 1.0}));
    QCOMPARE(m_proc->dmut(), Doubles({1.0, 0.5, -2.0}));
    QCOMPARE(m_proc->dmutRatio(), Doubles({2.0, 1.0, -4.0}));
    QCOMPARE(m_proc->muPlus(), Doubles({1.25, 0.9625, -2.0}));
    QCOMPARE(m_proc->muMinus(), Doubles({0.25, 0.4625, -2.0}));
    QCOMPARE(m_proc->edgeShift().size(), 3);
    QCOMPARE(m_proc->roi()[0], 1.0);
    QCOMPARE(m_proc->nroi()[2], -1.0);
    const ElementResult all = m_proc->elementResult();
    QCOMPARE(all.dmut, m_proc->dmut());
    QCOMPARE(all.rawDmut, raw);
}

void TestAnalyzeProc::requestsAreAnsweredInOrder()
{
    int done = 0;
    connect(m_proc, &AnalyzeProc::finishedAElems, this, [&done] { ++done; });
    const Rows rows{feRow(10.0, 0.0), feRow(2.0, 0.0)};
    QVector<double> raw;
    for (int target : {0, 1, 0, 1})
        emit m_req->analyzeSpectrumElems0(feEdge(), rows, &raw, target, BackgroundValues());
    QTRY_COMPARE(done, 4);
    QCOMPARE(m_proc->dmutRatio(), Doubles({2.0, 1.0})); // the last request's target
}

QTEST_GUILESS_MAIN(TestAnalyzeProc)
#include "tst_analyzeproc.moc"
