#include "display/ColorTables.h"
#include "ModelEdge.h"
#include "physics/XafsSpectrum.h"
#include "plot/ChCoord.h"
#include "plot/PlotScene.h"
#include "plot/SpectrumPlot.h"
#include "plot/XafsViewFiles.h"
#include "processing/FourierTransform.h"

#include <QDir>
#include <QtTest>
#include <cmath>
#include <complex>
#include <thread>

namespace {

// An iron K edge at 7112 + shift eV on integer energies: 4 eV steps below the
// edge region, 1 eV through it, 16 eV above, and one step of `gap` eV from
// 7488 when gap > 0.
XafsSpectrum ironEdge(double shift = 0.0, double gap = 0.0, double dE = 0.0)
{
    ModelEdge m;
    m.edge = 7112.0 + shift;
    Spectrum s;
    double e = 6900.0;
    while (e <= 8000.0) {
        s.add(e, m.mu(e));
        const double step = e < 7100.0 ? 4.0 : e < 7200.0 ? 1.0 : 16.0;
        e = (gap > 0.0 && e < 7500.0 && e + step >= 7500.0) ? e + gap : e + step;
    }
    return XafsSpectrum(s, true, dE);
}

QVector<const PlotCurve*> curvesOf(const PlotFrame& f, PlotCurve::Owner owner, int index = -1)
{
    QVector<const PlotCurve*> out;
    for (const PlotCurve& c : f.curves)
        if (c.owner == owner && (index < 0 || c.index == index))
            out.push_back(&c);
    return out;
}

const PlotCurve* curveOf(const PlotFrame& f, PlotCurve::Owner owner, PlotCurve::Part part, int index = -1)
{
    for (const PlotCurve& c : f.curves)
        if (c.owner == owner && c.part == part && (index < 0 || c.index == index))
            return &c;
    return nullptr;
}

// A plot of the target, with a standard and extras when given.
PlotInput inputOf(const XafsSpectrum* target, bool normalized = true, const XafsSpectrum* standard = nullptr,
                  const QVector<const XafsSpectrum*>& extras = {})
{
    PlotInput in;
    in.target = target;
    in.standard = standard;
    in.extras = extras;
    in.options.normalized = normalized;
    return in;
}

// Rows of a test run once normalised and once raw.
void modeRows()
{
    QTest::addColumn<bool>("normalized");
    QTest::newRow("normalised") << true;
    QTest::newRow("raw") << false;
}

// Direct evaluation of X_k = sum_j x_j exp(-2 pi i j k / n).
std::vector<std::complex<double>> directDft(const std::vector<double>& x, int n)
{
    std::vector<std::complex<double>> out(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k)
        for (int j = 0; j < n && j < int(x.size()); ++j)
            out[std::size_t(k)] += x[std::size_t(j)] * std::polar(1.0, -2.0 * M_PI * j * k / n);
    return out;
}

}

class TestSpectrumPlot : public QObject
{
    Q_OBJECT
private slots:
    void targetBreaksAtEnergyGaps_data();
    void targetBreaksAtEnergyGaps();
    void energyCorrectionMovesOnlyTarget_data();
    void energyCorrectionMovesOnlyTarget();
    void extraDrawnAtEnergiesMinusOffset_data();
    void extraDrawnAtEnergiesMinusOffset();
    void extraWithoutUseDisappears_data();
    void extraWithoutUseDisappears();
    void extraPens_data();
    void extraPens();
    void rangesPerMode();
    void fourierRanges_data();
    void fourierRanges();
    void saveNames_data();
    void saveNames();
    void nonFiniteValuesBreakCurves();
    void sceneMarkersAndLabels();
    void legendNamesDrawnSpectra_data();
    void legendNamesDrawnSpectra();
    void fftShownWithoutRaw();
    void profileScene_data();
    void profileScene();
    void fourierMatchesDirectDft_data();
    void fourierMatchesDirectDft();
    void fourierResizeAndRelease();
    void fourierPlansFromSeveralThreads();
};

void TestSpectrumPlot::targetBreaksAtEnergyGaps_data()
{
    QTest::addColumn<bool>("normalized");
    QTest::addColumn<double>("gap");
    QTest::addColumn<int>("pieces");
    QTest::newRow("normalised, gap 60") << true << 60.0 << 2;
    QTest::newRow("normalised, gap 50") << true << 50.0 << 1;
    QTest::newRow("raw, gap 60") << false << 60.0 << 2;
    QTest::newRow("raw, gap 50") << false << 50.0 << 1;
}

void TestSpectrumPlot::targetBreaksAtEnergyGaps()
{
    QFETCH(bool, normalized);
    QFETCH(double, gap);
    QFETCH(int, pieces);
    const XafsSpectrum target = ironEdge(0.0, gap);
    // The standard has the same gap but is never broken.
    const XafsSpectrum standard = ironEdge(5.0, gap);
    const PlotFrame f = SpectrumPlot::build(inputOf(&target, normalized, &standard));

    const QVector<const PlotCurve*> tc = curvesOf(f, PlotCurve::Target);
    QCOMPARE(tc.size(), normalized ? 1 : 3);
    for (const PlotCurve* c : tc) {
        QCOMPARE(c->pieces.size(), pieces);
        QCOMPARE(c->pointCount(), target.count());
        if (pieces == 2) {
            QCOMPARE(c->pieces[0].last().x(), 7488.0);
            QCOMPARE(c->pieces[1].first().x(), 7488.0 + gap);
        }
    }
    for (const PlotCurve* c : curvesOf(f, PlotCurve::Standard))
        QCOMPARE(c->pieces.size(), 1);
}

void TestSpectrumPlot::energyCorrectionMovesOnlyTarget_data()
{
    modeRows();
}

void TestSpectrumPlot::energyCorrectionMovesOnlyTarget()
{
    QFETCH(bool, normalized);
    const XafsSpectrum target = ironEdge(0.0, 0.0, 2.5);
    const XafsSpectrum standard = ironEdge(3.0, 0.0, 4.0);
    const XafsSpectrum extra = ironEdge(-3.0, 0.0, 7.0);
    PlotInput in = inputOf(&target, normalized, &standard, {&extra});
    in.options.energyCorrected = true;
    const PlotFrame on = SpectrumPlot::build(in);
    in.options.energyCorrected = false;
    const PlotFrame off = SpectrumPlot::build(in);

    QCOMPARE(on.curves.size(), off.curves.size());
    for (int i = 0; i < on.curves.size(); ++i) {
        const PlotCurve& a = on.curves[i];
        const PlotCurve& b = off.curves[i];
        QCOMPARE(a.owner, b.owner);
        const double expected = a.owner == PlotCurve::Target ? -2.5 : 0.0;
        QCOMPARE(a.pointCount(), b.pointCount());
        for (int j = 0; j < a.pieces[0].size(); ++j) {
            QCOMPARE(a.pieces[0][j].x() - b.pieces[0][j].x(), expected);
            QCOMPARE(a.pieces[0][j].y(), b.pieces[0][j].y());
        }
    }
    // The axes keep the stored energies.
    QCOMPARE(on.xRange.lo, off.xRange.lo);
}

void TestSpectrumPlot::extraDrawnAtEnergiesMinusOffset_data()
{
    QTest::addColumn<bool>("offsetOn");
    QTest::addColumn<bool>("offsetBeforeNormalizing");
    QTest::addColumn<double>("expectedShift");
    QTest::newRow("offset set, then normalised") << true << true << -5.0;
    QTest::newRow("normalised, then offset set") << true << false << -5.0;
    QTest::newRow("offset off") << false << false << 0.0;
}

void TestSpectrumPlot::extraDrawnAtEnergiesMinusOffset()
{
    QFETCH(bool, offsetOn);
    QFETCH(bool, offsetBeforeNormalizing);
    QFETCH(double, expectedShift);
    const XafsSpectrum target = ironEdge();
    XafsSpectrum extra = ironEdge(2.0);
    // Normalising after the offset is set builds the derived curves on the
    // shifted energies; before, on the stored ones. Both are drawn the same.
    extra.setOffset(5.0, offsetOn);
    if (offsetBeforeNormalizing)
        extra.normalize(true);
    for (bool normalized : {true, false}) {
        const PlotFrame f = SpectrumPlot::build(inputOf(&target, normalized, nullptr, {&extra}));
        for (PlotCurve::Part part : {PlotCurve::Main, PlotCurve::PreEdge, PlotCurve::PostEdge}) {
            const PlotCurve* c = curveOf(f, PlotCurve::Extra, part, 0);
            if (normalized && part != PlotCurve::Main) {
                QVERIFY(!c);
                continue;
            }
            QVERIFY(c);
            QCOMPARE(c->pointCount(), extra.count());
            for (int i : {0, 100, extra.count() - 1})
                QCOMPARE(c->pieces[0][i].x(), extra.x(i) + expectedShift);
        }
    }
}

void TestSpectrumPlot::extraWithoutUseDisappears_data()
{
    modeRows();
}

void TestSpectrumPlot::extraWithoutUseDisappears()
{
    QFETCH(bool, normalized);
    const XafsSpectrum target = ironEdge();
    XafsSpectrum a = ironEdge(1.0);
    XafsSpectrum b = ironEdge(2.0);
    const PlotInput in = inputOf(&target, normalized, nullptr, {&a, &b});
    QVERIFY(!curvesOf(SpectrumPlot::build(in), PlotCurve::Extra, 0).isEmpty());
    a.setUse(false);
    const PlotFrame f = SpectrumPlot::build(in);
    QVERIFY(curvesOf(f, PlotCurve::Extra, 0).isEmpty());
    // The next extra keeps its index (and so its colour).
    const QVector<const PlotCurve*> rest = curvesOf(f, PlotCurve::Extra, 1);
    QCOMPARE(rest.size(), normalized ? 1 : 3);
    QCOMPARE(rest.last()->pen.color(), ColorTables::palette(1));
}

void TestSpectrumPlot::extraPens_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("explicitAt");   // -1: no explicit pen
    QTest::addColumn<QColor>("expected");
    QTest::newRow("extra 10 without pen") << 10 << -1 << QColor(0, 255, 0);
    QTest::newRow("extra 9 without pen") << 9 << -1 << QColor(255, 0, 0);
    QTest::newRow("extra 3 without pen") << 3 << -1 << QColor(255, 200, 0);
    QTest::newRow("extra 10, pen of 2 only") << 10 << 2 << QColor(0, 255, 0);
    QTest::newRow("extra 2 with own pen") << 2 << 2 << QColor(10, 20, 30);
}

void TestSpectrumPlot::extraPens()
{
    QFETCH(int, index);
    QFETCH(int, explicitAt);
    QFETCH(QColor, expected);
    const XafsSpectrum target = ironEdge();
    const XafsSpectrum extra = ironEdge(1.0);
    PlotInput in = inputOf(&target, true, nullptr, QVector<const XafsSpectrum*>(index + 1, &extra));
    // Only some indices have an entry; the entries before it are empty.
    if (explicitAt >= 0) {
        in.extraPens.resize(explicitAt + 1);
        in.extraPens[explicitAt] = QPen(QColor(10, 20, 30), 3);
    }
    const PlotFrame f = SpectrumPlot::build(in);
    const PlotCurve* c = curveOf(f, PlotCurve::Extra, PlotCurve::Main, index);
    QVERIFY(c);
    QCOMPARE(c->pen.color(), expected);
}

void TestSpectrumPlot::rangesPerMode()
{
    const XafsSpectrum target = ironEdge();
    XafsSpectrum standard = ironEdge(3.0);
    Spectrum raw;
    for (int i = 0; i < 40; ++i)
        raw.add(7000.0 + 10.0 * i, 1000.0 + 50.0 * std::sin(i));
    PlotInput in = inputOf(&target, true, &standard);
    in.rawSeries = &raw;
    PlotFrame f = SpectrumPlot::build(in);
    const Spectrum& dn = target.doubleNormalizedPreBase();
    QCOMPARE(f.xRange.lo, dn.min().x);
    QCOMPARE(f.xRange.hi, dn.max().x);
    QCOMPARE(f.yRange.lo, dn.min().y);
    QCOMPARE(f.yRange.hi, dn.max().y);
    QCOMPARE(curveOf(f, PlotCurve::Standard, PlotCurve::Main)->pen, QPen(QColor(255, 0, 0), 1));
    QCOMPARE(curveOf(f, PlotCurve::Target, PlotCurve::Main)->pen, QPen(Qt::black, 2));

    in.options.normalized = false;
    f = SpectrumPlot::build(in);
    QCOMPARE(f.xRange.lo, target.min().x);
    QCOMPARE(f.yRange.hi, target.max().y);
    // Every spectrum on its own scale, its lines on the scale of its mu.
    for (PlotCurve::Part part : {PlotCurve::Main, PlotCurve::PreEdge, PlotCurve::PostEdge}) {
        const PlotCurve* c = curveOf(f, PlotCurve::Standard, part);
        QCOMPARE(c->yRange.lo, standard.min().y);
        QCOMPARE(c->yRange.hi, standard.max().y);
        QCOMPARE(c->pen.style() == Qt::CustomDashLine, part != PlotCurve::Main);
    }
    QCOMPARE(curveOf(f, PlotCurve::Standard, PlotCurve::PreEdge)->pen.color(), QColor(220, 192, 0));
    QCOMPARE(curveOf(f, PlotCurve::Target, PlotCurve::PostEdge)->pen.color(), QColor(0, 192, 220));
    QCOMPARE(curveOf(f, PlotCurve::Target, PlotCurve::PostEdge)->pen.dashPattern(), QVector<qreal>({6.0, 2.0}));

    in.options.showRaw = true;
    f = SpectrumPlot::build(in);
    QCOMPARE(f.curves.size(), 1);
    QCOMPARE(f.xRange.lo, 0.0);
    QCOMPARE(f.xRange.hi, 40.0);
    QCOMPARE(f.yRange.lo, raw.min().y);
    QCOMPARE(f.curves[0].pen.color(), QColor(192, 0, 0));
    // Raw points stand at their index.
    QCOMPARE(f.curves[0].pieces[0][7], QPointF(7.0, raw.y(7)));
}

void TestSpectrumPlot::fourierRanges_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("fromK");   // scale over k = fromK .. toK
    QTest::addColumn<int>("toK");
    QTest::newRow("n 9: nothing") << 9 << 0 << -1 << -1;
    QTest::newRow("n 25: both shown terms") << 25 << 2 << 0 << 1;
    QTest::newRow("n 40: zero term left out") << 40 << 4 << 1 << 2;
    QTest::newRow("n 100") << 100 << 10 << 1 << 8;
    QTest::newRow("n 305") << 305 << 30 << 1 << 28;
}

void TestSpectrumPlot::fourierRanges()
{
    QFETCH(int, n);
    QFETCH(int, shown);
    QFETCH(int, fromK);
    QFETCH(int, toK);
    // A large zero-frequency term and a slowly falling rest.
    std::vector<double> mag(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k)
        mag[std::size_t(k)] = k == 0 ? 5000.0 : 100.0 - k + 0.5 * (k % 3);
    Spectrum raw;
    for (int i = 0; i < n; ++i)
        raw.add(i, 1.0);
    PlotInput in;
    in.rawSeries = &raw;
    in.magnitudes = mag.data();
    in.magnitudeCount = n;
    in.options.showRaw = true;
    in.options.showFFT = true;
    const PlotFrame f = SpectrumPlot::build(in);
    QCOMPARE(f.mode, PlotMode::Fourier);
    if (shown == 0) {
        QVERIFY(f.curves.isEmpty());
        QVERIFY(!f.isValid());
        return;
    }
    QCOMPARE(f.xRange.lo, 0.0);
    QCOMPARE(f.xRange.hi, double(shown));
    double lo = 1e300, hi = -1e300;
    for (int k = fromK; k <= toK; ++k) {
        lo = std::min(lo, mag[std::size_t(k)]);
        hi = std::max(hi, mag[std::size_t(k)]);
    }
    QCOMPARE(f.yRange.lo, lo);
    QCOMPARE(f.yRange.hi, hi);
    QCOMPARE(f.curves.size(), 1);
    QCOMPARE(f.curves[0].pen.color(), QColor(0, 192, 0));
    QCOMPARE(f.curves[0].pointCount(), shown);
    QCOMPARE(f.curves[0].pieces[0][0], QPointF(0.0, 5000.0));
}

void TestSpectrumPlot::saveNames_data()
{
    QTest::addColumn<QString>("fname");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("expected");
    const QString cwd = QDir::currentPath();
    QTest::newRow("run.dat") << "/data/run.dat" << "T" << "/data/run-T.dat";
    QTest::newRow("run, no extension") << "/data/run" << "std" << "/data/run-std.dat";
    QTest::newRow("other extension") << "/data/run.txt" << "other3" << "/data/run-other3.txt";
    QTest::newRow("dots in the base") << "/data/a.b.c" << "T" << "/data/a.b-T.c";
    QTest::newRow("relative") << "run.dat" << "other0" << cwd + "/run-other0.dat";
}

void TestSpectrumPlot::saveNames()
{
    QFETCH(QString, fname);
    QFETCH(QString, tag);
    QTEST(XafsViewFiles::fileName(fname, tag), "expected");
}

void TestSpectrumPlot::nonFiniteValuesBreakCurves()
{
    Spectrum s;
    for (int i = 0; i < 30; ++i)
        s.add(7000.0 + i, i == 12 ? std::nan("") : (i == 20 ? HUGE_VAL : 1.0 + i * 0.01));
    const XafsSpectrum target(s, false, 0.0);
    const PlotFrame f = SpectrumPlot::build(inputOf(&target, false));
    const PlotCurve* mu = curveOf(f, PlotCurve::Target, PlotCurve::Main);
    QVERIFY(mu);
    QCOMPARE(mu->pieces.size(), 3);
    QCOMPARE(mu->pointCount(), 28);
    // The range ignores the infinite value, so the finite points stay on screen.
    QVERIFY(f.yRange.isValid());
    QCOMPARE(f.yRange.hi, 1.29);

    ChCoord chart;
    chart.setScreen(0, 300, 400, 0);
    chart.applyMargins();
    const PlotScene scene = PlotScene::layout(f, chart, {});
    int inside = 0;
    for (const PlotPolyline& l : scene.curves)
        for (const QPoint& p : l.points)
            inside += scene.inner.adjusted(-1, -1, 1, 1).contains(p) ? 1 : 0;
    QVERIFY(inside >= 28);
    // Far-off values are kept to a bounded pixel position.
    const QPoint far = PlotScene::place(chart, 1e300, -1e300, PlotRange{0.0, 1.0});
    QVERIFY(std::abs(far.x()) <= (1 << 20) && std::abs(far.y()) <= (1 << 20));
}

void TestSpectrumPlot::sceneMarkersAndLabels()
{
    const XafsSpectrum target = ironEdge();
    Spectrum raw;
    raw.add(0, 1);
    raw.add(1, 2);
    PlotInput in = inputOf(&target);
    in.rawSeries = &raw;
    in.edges = {{"Fe-K", 7112.0}, {"Ni-K", 8333.0}};
    in.energyMarker = 7150.0;
    ChCoord chart;
    chart.setScreen(0, 400, 600, 0);
    chart.applyMargins();
    const PlotScene s = PlotScene::layout(SpectrumPlot::build(in), chart, {"Energy [eV]", "Normalized mu t"});

    // Fe-K inside the range, Ni-K beyond it; the energy marker dotted.
    QCOMPARE(s.markers.size(), 2);
    const int feX = int(std::trunc(chart.screenX(7112.0)));
    QCOMPARE(s.markers[0].points.first().x(), feX);
    QCOMPARE(s.markers[0].pen.color(), QColor(255, 0, 0));
    QCOMPARE(s.markers[1].pen.style(), Qt::DotLine);
    QCOMPARE(s.markers[1].points.first().x(), int(std::trunc(chart.screenX(7150.0))));

    // Ticks labelled (more than the two ends on each axis), beside the plot,
    // apart from each other.
    QStringList texts;
    int xLabels = 0, yLabels = 0;
    for (const PlotText& t : s.texts) {
        texts << t.text;
        if (t.angle == 0.0 && t.align == int(Qt::AlignHCenter | Qt::AlignTop))
            ++xLabels;
        if (t.angle == 0.0 && t.align == int(Qt::AlignRight | Qt::AlignVCenter))
            ++yLabels;
    }
    QVERIFY2(xLabels > 2 && yLabels > 2, qPrintable(QString("%1 %2").arg(xLabels).arg(yLabels)));
    const ChTicks xt = ChCoord::ticks(chart.x0(), chart.x1());
    QVERIFY(texts.contains(QString::number(xt.first, 'g', 6)));
    QVERIFY(texts.contains("Fe-K"));
    QVERIFY(!texts.contains("Ni-K"));
    for (int i = 0; i < s.texts.size(); ++i) {
        const PlotText& a = s.texts[i];
        QVERIFY(QRectF(0, 0, 600, 400).contains(a.box));
        if (a.angle != 0.0 || a.color != Qt::black)
            continue;
        // Tick labels and the x title stay out of the plot and off each other.
        QVERIFY(!a.box.intersects(QRectF(s.inner)));
        for (int j = i + 1; j < s.texts.size(); ++j)
            if (s.texts[j].angle == 0.0)
                QVERIFY2(!a.box.intersects(s.texts[j].box), qPrintable(a.text + " / " + s.texts[j].text));
    }

    // No energy axis in the raw-series display: no markers there.
    in.options.showRaw = true;
    QVERIFY(PlotScene::layout(SpectrumPlot::build(in), chart, {}).markers.isEmpty());
}

void TestSpectrumPlot::legendNamesDrawnSpectra_data()
{
    QTest::addColumn<bool>("normalized");
    QTest::addColumn<bool>("secondInUse");
    QTest::addColumn<QStringList>("legend");
    QTest::newRow("normalised") << true << true << QStringList{"std.dat", "fit", "ref2.dat", "target"};
    QTest::newRow("raw") << false << true << QStringList{"std.dat", "fit", "ref2.dat", "target"};
    // A reference out of use is neither drawn nor named; a nameless extra has no line.
    QTest::newRow("second not in use") << true << false << QStringList{"std.dat", "fit", "target"};
}

void TestSpectrumPlot::legendNamesDrawnSpectra()
{
    QFETCH(bool, normalized);
    QFETCH(bool, secondInUse);
    QFETCH(QStringList, legend);
    const XafsSpectrum target = ironEdge();
    const XafsSpectrum standard = ironEdge(3.0);
    const XafsSpectrum fit = ironEdge(1.0);
    XafsSpectrum second = ironEdge(2.0);
    second.setUse(secondInUse);
    const XafsSpectrum nameless = ironEdge(4.0);
    PlotInput in = inputOf(&target, normalized, &standard, {&fit, &second, &nameless});
    in.targetName = "target";
    in.standardName = "std.dat";
    in.extraNames = {"fit", "ref2.dat", QString()};
    const PlotFrame f = SpectrumPlot::build(in);
    QStringList names;
    for (const PlotLegendEntry& e : f.legend)
        names << e.name;
    QCOMPARE(names, legend);
    QCOMPARE(f.legend.last().pen, QPen(Qt::black, 2));   // each line in its curve's pen
    ChCoord chart;
    chart.setScreen(0, 400, 600, 0);
    chart.applyMargins();
    const PlotScene s = PlotScene::layout(f, chart, {});
    QVERIFY(QRectF(s.inner).contains(s.legendBox));
    QCOMPARE(s.legendLines.size(), legend.size());
    // Nothing to name in the raw-series display.
    in.options.showRaw = true;
    QVERIFY(SpectrumPlot::build(in).legend.isEmpty());
}

void TestSpectrumPlot::fftShownWithoutRaw()
{
    PlotOptions o;
    o.showFFT = true;
    QCOMPARE(o.mode(), PlotMode::Fourier);   // FFT alone shows the transform
    o.showRaw = true;
    QCOMPARE(o.mode(), PlotMode::Fourier);
    o.showFFT = false;
    QCOMPARE(o.mode(), PlotMode::RawSeries);
}

void TestSpectrumPlot::profileScene_data()
{
    QTest::addColumn<int>("orientation");
    QTest::newRow("horizontal") << 0;
    QTest::newRow("vertical") << 1;
}

void TestSpectrumPlot::profileScene()
{
    QFETCH(int, orientation);
    // Value 0 at both ends, a peak of 10 at position 50.
    Spectrum p;
    for (int i = 0; i <= 100; ++i)
        p.add(i, 10.0 - std::abs(i - 50) * 0.2);
    ChCoord chart;
    const ProfileScene s = ProfileScene::layout(p, orientation, 25.0, chart, 200, 100);
    QCOMPARE(s.points.size(), 101);
    QVERIFY(s.hasCursor);
    const QPoint first = s.points.first();
    const QPoint peak = s.points[50];
    if (orientation == 0) {
        // Position along x from the left edge, larger values higher up.
        QCOMPARE(first.x(), 0);
        QCOMPARE(s.points.last().x(), 200);
        QVERIFY(peak.y() < first.y());
        QCOMPARE(s.cursor.x1(), 50);
        QCOMPARE(s.cursor.x2(), 50);
    } else {
        // Position down the rows from the top, larger values to the right.
        QCOMPARE(first.y(), 0);
        QCOMPARE(s.points.last().y(), 100);
        QVERIFY(peak.x() > first.x());
        QCOMPARE(s.cursor.y1(), 25);
        QCOMPARE(s.cursor.y2(), 25);
    }
}

void TestSpectrumPlot::fourierMatchesDirectDft_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("points");   // fewer points than n: the rest count as 0
    QTest::newRow("n 1") << 1 << 1;
    QTest::newRow("n 7") << 7 << 7;
    QTest::newRow("n 16") << 16 << 16;
    QTest::newRow("5 points in 8") << 8 << 5;
    QTest::newRow("n 30") << 30 << 30;
}

void TestSpectrumPlot::fourierMatchesDirectDft()
{
    QFETCH(int, n);
    QFETCH(int, points);
    std::vector<double> x;
    Spectrum s;
    for (int j = 0; j < points; ++j) {
        x.push_back(3.0 + std::sin(0.7 * j) + 0.25 * j);
        s.add(7000.0 + j, x.back());
    }
    const auto expected = directDft(x, n);
    FourierTransform ft;
    QVERIFY(ft.setSize(n));
    QCOMPARE(ft.size(), n);
    ft.forward(s);
    ft.magnitude();
    for (int k = 0; k < n; ++k) {
        const auto& e = expected[std::size_t(k)];
        QVERIFY2(std::abs(ft.re(k) - e.real()) < 1e-9 && std::abs(ft.im(k) - e.imag()) < 1e-9,
                 qPrintable(QString("k %1").arg(k)));
        QVERIFY(std::abs(ft.magnitudeAt(k) - std::abs(e)) < 1e-9);
    }
    // The plain-array form gives the same.
    ft.forward(x.data(), int(x.size()));
    ft.magnitude();
    QVERIFY(std::abs(ft.magnitudes()[n - 1] - std::abs(expected.back())) < 1e-9);
}

void TestSpectrumPlot::fourierResizeAndRelease()
{
    FourierTransform ft(4);
    Spectrum one;
    one.add(0, 1.0);
    ft.forward(one);
    ft.magnitude();
    // An impulse has a flat spectrum.
    for (int k = 0; k < 4; ++k)
        QCOMPARE(ft.magnitudeAt(k), 1.0);
    QVERIFY(ft.setSize(6));
    QCOMPARE(ft.size(), 6);
    Spectrum steady;
    for (int i = 0; i < 6; ++i)
        steady.add(i, 2.0);
    ft.forward(steady);
    ft.magnitude();
    QCOMPARE(ft.magnitudeAt(0), 12.0);
    QVERIFY(ft.magnitudeAt(3) < 1e-12);
    QCOMPARE(ft.magnitudeAt(6), 0.0);
    ft.release();
    QCOMPARE(ft.size(), 0);
    QVERIFY(!ft.magnitudes());
    ft.forward(steady);   // nothing to transform into
    QVERIFY(ft.setSize(0));
    QCOMPARE(ft.size(), 0);
}

void TestSpectrumPlot::fourierPlansFromSeveralThreads()
{
    // Each thread plans transforms of changing sizes, as the 2D Fourier
    // analysis does in a worker while the view plans in the GUI thread.
    std::vector<int> failures(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t, &failures] {
            for (int round = 0; round < 50; ++round) {
                const int n = 8 + (round * 7 + t * 3) % 40;
                FourierTransform ft(n);
                std::vector<double> v(std::size_t(n), 1.0);
                ft.forward(v.data(), n);
                ft.magnitude();
                if (std::abs(ft.magnitudeAt(0) - n) > 1e-9 || ft.magnitudeAt(1) > 1e-9)
                    ++failures[std::size_t(t)];
            }
        });
    for (std::thread& th : threads)
        th.join();
    QCOMPARE(failures, std::vector<int>(4, 0));
}

QTEST_GUILESS_MAIN(TestSpectrumPlot)
#include "tst_spectrumplot.moc"
