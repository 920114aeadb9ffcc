#include "analysis/AnalyzeProc.h"
#include "analysis/AnalyzerFields.h"
#include "analysis/LinearCombinationFitter.h"
#include "analyzer/AElemsConds.h"
#include "analyzer/Analyzer.h"
#include "analyzer/ElemCtrl.h"
#include "analyzer/LCFReference.h"
#include "grid/Analyzed2DRes.h"
#include "MixtureSpectra.h"
#include "physics/EdgeTable.h"
#include "plot/SpectrumPlot.h"
#include "spectrumview/XafsFileSelect.h"
#include "spectrumview/XafsView.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

using namespace MixtureSpectra;
using AnalyzerFields::numberText;
using AnalyzerFields::percentText;

namespace {

template <class T>
T* child(const QObject* parent, const char* name)
{
    T* w = parent->findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("no widget %s", name);
    return w;
}

QString text(const QObject* parent, const char* name)
{
    if (auto* e = parent->findChild<QLineEdit*>(QLatin1String(name)))
        return e->text();
    return child<QLabel>(parent, name)->text();
}

// A plain two-column spectrum file, as the reference choosers read them.
QString writeSpectrum(const QTemporaryDir& dir, const QString& name, const Spectrum& s)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text))
        qFatal("cannot write %s", qPrintable(path));
    QTextStream out(&f);
    for (int i = 0; i < s.count(); ++i)
        out << QString::number(s.x(i), 'g', 17) << ' ' << QString::number(s.y(i), 'g', 17) << '\n';
    return path;
}

Spectrum shapeOf(const Knots& knots, double scale = 1.0)
{
    return sampled([knots, scale](double e) { return scale * piecewise(knots, e); });
}

// A Fe K edge ramp on points E0 + k, 0.25 below and 1.25 above.
XafsSpectrum feEdge()
{
    const double e0 = 1000.0 * EdgeTable::global().edgeEnergy(26, EdgeTable::K);
    Spectrum s;
    for (int k = -60; k <= 60; ++k)
        s.add(e0 + k, 0.25 + std::min(1.0, std::max(0.0, (k + 3.7) / 8.0)));
    return XafsSpectrum(s, false, 0.0);
}

// Gives the three residual maps an image of a small grid.
void giveResidualImages(Analyzer& a)
{
    ScanGrid g;
    g.setup(4, 4, 0, 0, QRectF(0, 0, 4, 4), -1, -1);
    for (Analyzed2DRes* map : {a.a2dDMut(), a.a2dRest(), a.a2dRati()}) {
        map->setup(g);
        map->genImg();
    }
}

} // namespace

class TestAnalyzer : public QObject
{
    Q_OBJECT
private slots:
    void startUpAndMixtureFit();
    void setLCFStd_data();
    void setLCFStd();
    void unreadableReferenceKeepsTheRow();
    void newElemsRows_data();
    void newElemsRows();
    void fifthRowKeepsResidualIds();
    void currentImage_data();
    void currentImage();
    void elementResultsShown();
    void roiShownCutToFiveCharacters();
    void correlationWithZeroStandardRatios();
    void correlationStyle_data();
    void correlationStyle();
    void correlationMapThroughRunner();
};

void TestAnalyzer::startUpAndMixtureFit()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString paths[3] = {writeSpectrum(dir, "ramp.dat", shapeOf(ramp())),
                              writeSpectrum(dir, "white.dat", shapeOf(whiteLine())),
                              writeSpectrum(dir, "shoulder.dat", shapeOf(shoulder()))};
    const double mix[3] = {0.3, 0.5, 0.2};

    auto* a = new Analyzer;
    // The window at start.
    QCOMPARE(a->refs().size(), 4);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(a->refs()[i]->fileSelect()->caption(), QString("Select Ref%1").arg(i + 1));
        QCOMPARE(a->refs()[i]->fileSelect()->isUsed(), i < 2);
        QCOMPARE(a->refs()[i]->useState(), i < 2);
        QCOMPARE(a->refs()[i]->showButton()->isChecked(), i == 0);
        QCOMPARE(a->refs()[i]->spectrum().offsetOn(), true);
    }
    QCOMPARE(text(a, "CorTh"), QString("0.999"));
    QCOMPARE(a->correlationThreshold(), 0.999);
    QCOMPARE(a->mode(), 0);
    QVERIFY(child<QRadioButton>(a, "DoMLCFA")->isChecked());
    QVERIFY(child<QRadioButton>(a, "SelDMut")->isChecked());
    QVERIFY(child<QRadioButton>(a, "ShowElemsDMut0")->isChecked());
    // The start-up rebuild of the correlation maps ran to its end.
    QCOMPARE(text(a, "ElemsProgress"), QString("100.00"));
    QCOMPARE(a->memoryBudgetBytes(), qint64(1024) * 1024 * 1024);
    QVERIFY(!a->maskEnabled());
    QCOMPARE(a->maskThreshold(), 0.05);

    // Three references chosen through the rows' choosers; the third row is
    // put in use by its box.
    child<QCheckBox>(a->refs()[2]->fileSelect(), "Use")->click();
    QVERIFY(a->refs()[2]->useState());
    for (int k = 0; k < 3; ++k) {
        a->refs()[k]->fileSelect()->fileSelected(paths[k]);
        QVERIFY(a->refs()[k]->isUsed());
        QCOMPARE(text(a->refs()[k], "DMut"), numberText(a->refs()[k]->spectrum().jump()));
        QVERIFY(std::abs(a->refs()[k]->spectrum().jump() - 1.0) < 1e-6);
    }
    QVERIFY(!a->refs()[3]->isUsed());

    const XafsSpectrum sample(sampled([&](double e) {
        return 1.7 * (mix[0] * piecewise(ramp(), e) + mix[1] * piecewise(whiteLine(), e)
                      + mix[2] * piecewise(shoulder(), e));
    }), true, 0.0);
    const std::optional<FitResult> expected = fitLCF(sample, a->referenceSnapshots());
    QVERIFY(expected);
    QCOMPARE(expected->fractions.size(), 3);

    QSignalSpy done(a, &Analyzer::finished);
    a->analyzeAndShowSpectrum(sample);
    QVERIFY(done.wait(30000));
    QCOMPARE(a->view()->target().count(), sample.count());
    QCOMPARE(a->engine()->fractions(), expected->fractions);
    QCOMPARE(a->engine()->amounts(), expected->amounts);
    for (int k = 0; k < 3; ++k) {
        QVERIFY2(std::abs(expected->fractions[k] - mix[k]) < 1e-6, qPrintable(QString::number(k)));
        QCOMPARE(text(a->refs()[k], "R"), percentText(expected->fractions[k] * 100.0));
        QCOMPARE(text(a->refs()[k], "T"), numberText(expected->amounts[k]));
        QCOMPARE(a->refs()[k]->coefficient(), expected->fractions[k]);
    }
    QCOMPARE(text(a->refs()[3], "R"), QString());
    QCOMPARE(a->fitResult().count(), expected->curve.count());
    // The view draws the fit (width 2) and every row's reference.
    QCOMPARE(a->view()->extraCount(), 5);
    QCOMPARE(a->view()->extraPen(0).width(), 2);
    int drawnExtras = 0;
    for (const PlotCurve& c : a->view()->currentFrame().curves)
        drawnExtras += c.owner == PlotCurve::Extra && c.pointCount() > 0;
    QCOMPARE(drawnExtras, 4);
    for (int i = 0; i < a->fitResult().count(); i += 50)
        QCOMPARE(a->fitResult().y(i), expected->curve.y(i));

    // Requests still in flight when the window goes: the engine thread ends
    // before the rows and buffers it writes to.
    for (int i = 0; i < 5; ++i)
        a->analyzeSpectrum(sample);
    delete a;
}

void TestAnalyzer::setLCFStd_data()
{
    QTest::addColumn<int>("no");
    QTest::addColumn<bool>("use");
    QTest::addColumn<QString>("isVic");
    QTest::addColumn<bool>("victoreen");
    QTest::newRow("empty") << 0 << true << "" << true;
    QTest::newRow("vic") << 1 << false << "vic" << true;
    QTest::newRow("VIC") << 2 << true << "VIC" << true;
    QTest::newRow("0") << 3 << true << "0" << false;
    QTest::newRow("2") << 3 << false << "2" << true;
}

void TestAnalyzer::setLCFStd()
{
    QFETCH(int, no);
    QFETCH(bool, use);
    QFETCH(QString, isVic);
    QFETCH(bool, victoreen);
    QTemporaryDir dir;
    const QString path = writeSpectrum(dir, "ref.dat", shapeOf(ramp(), 2.0));
    Analyzer a;
    LCFReference* row = a.refs()[no];
    // Start from the opposite box state so the call has to set it.
    child<QCheckBox>(row, "IsVictreen")->setChecked(!victoreen);
    a.setLCFStd(no, use, 1.23456789, path, isVic);
    QCOMPARE(child<QCheckBox>(row, "IsVictreen")->isChecked(), victoreen);
    QCOMPARE(row->spectrum().victoreen(), victoreen);
    QCOMPARE(row->fileSelect()->fileName(), path);
    QCOMPARE(row->fileSelect()->isUsed(), use);
    QCOMPARE(row->useState(), use);
    QCOMPARE(row->isUsed(), use);
    QCOMPARE(text(row, "DeltaE"), QString("1.23457"));
    QCOMPARE(row->spectrum().offset(), 1.23456789);
    QVERIFY(row->spectrum().offsetOn());
    QCOMPARE(row->spectrum().dE(), 1.23456789);
    QVERIFY(std::abs(row->spectrum().jump() - 2.0) < 1e-6);
    QCOMPARE(text(row, "DMut"), numberText(row->spectrum().jump()));

    // Row numbers outside the rows change nothing.
    a.setLCFStd(4, true, 3.0, path, "");
    a.setLCFStd(-1, true, 3.0, path, "");
    for (int i = 0; i < a.refs().size(); ++i)
        QVERIFY(i == no || !a.refs()[i]->fileSelect()->isFileChosen());
    QCOMPARE(a.refs().size(), 4);
}

void TestAnalyzer::unreadableReferenceKeepsTheRow()
{
    QTemporaryDir dir;
    const QString good = writeSpectrum(dir, "good.dat", shapeOf(whiteLine()));
    const QString missing = dir.filePath("missing.dat");
    Analyzer a;
    LCFReference* row = a.refs()[0];
    row->fileSelect()->fileSelected(good);
    const int points = row->spectrum().count();
    QVERIFY(points > 100);
    const QString jump = text(row, "DMut");

    // A file that cannot be read: the row goes back to the file it had.
    row->fileSelect()->fileSelected(missing);
    QCOMPARE(row->fileSelect()->fileName(), good);
    QVERIFY(row->isUsed());
    QCOMPARE(row->spectrum().count(), points);
    QCOMPARE(text(row, "DMut"), jump);

    // A row without a file before: no file, not used.
    LCFReference* other = a.refs()[1];
    other->fileSelect()->fileSelected(missing);
    QVERIFY(!other->fileSelect()->isFileChosen());
    QVERIFY(!other->isUsed());
    QCOMPARE(other->spectrum().count(), 0);
    QVERIFY(other->spectrum().offsetOn());
}

void TestAnalyzer::newElemsRows_data()
{
    QTest::addColumn<QString>("names");
    QTest::addColumn<bool>("sort");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("numbers");
    QTest::newRow("as written") << "Pb-LIII, Cu-K  Fe Xx" << false << QStringList{"Pb-LIII", "Cu-K", "Fe-K"}
                                << QStringList{"82", "29", "26"};
    QTest::newRow("by Z") << "Pb-LIII, Cu-K  Fe Xx" << true << QStringList{"Fe-K", "Cu-K", "Pb-LIII"}
                          << QStringList{"26", "29", "82"};
    QTest::newRow("nothing known") << "Xx, Yy" << true << QStringList{} << QStringList{};
}

void TestAnalyzer::newElemsRows()
{
    QFETCH(QString, names);
    QFETCH(bool, sort);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, numbers);
    Analyzer a;
    a.setSortByANo(sort);
    a.setTargetElements("Zn Ni");
    QCOMPARE(a.elems().size(), 2);
    a.setTargetElements(names);
    QCOMPARE(a.elems().size(), rows.size());
    QCOMPARE(a.elementSnapshots().size(), rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        const ElemCtrl* row = a.elems()[i];
        QCOMPARE(row->name(), rows[i]);
        QCOMPARE(text(row, "No"), numbers[i]);
        QCOMPARE(text(row, "Eng"), numberText(1000.0 * EdgeTable::global().edgeEnergy(row->z(), row->edge())));
        QCOMPARE(row->map(ElemCtrl::Roi)->name(), rows[i] + " Elem Ctrl ROI");
        QCOMPARE(row->map(ElemCtrl::DMut0)->name(), rows[i] + " Elem Ctrl 0");
        QCOMPARE(row->mainTargetButton()->isChecked(), i == 0);
        QCOMPARE(row->showButton()->isChecked(), i == 0);
        QCOMPARE(a.elementSnapshots()[i].z, numbers[i].toInt());
    }
    // The spectrum view marks the edge of every row.
    a.view()->setTarget(feEdge());
    const PlotFrame frame = a.view()->currentFrame();
    QCOMPARE(frame.edges.size(), rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(frame.edges[i].name, rows[i]);
        QCOMPARE(frame.edges[i].energy, a.elems()[i]->edgeEnergy());
    }
    QCOMPARE(a.mainTarget(), 0);
    if (rows.isEmpty())
        return;
    // After sorting, a click on a row's Target makes it the target.
    QTest::mouseClick(a.elems()[2]->mainTargetButton(), Qt::LeftButton);
    QCOMPARE(a.mainTarget(), 2);
    QVERIFY(!a.elems()[0]->mainTargetButton()->isChecked());
    // Show and Target of one row are independent.
    QVERIFY(a.elems()[0]->showButton()->isChecked());
    QVERIFY(a.selectElemTarget("Cu-K"));
    QCOMPARE(a.mainTarget(), 1);
    QVERIFY(!a.selectElemTarget("Cu"));
    QCOMPARE(a.mainTarget(), 1);
    // The row operations of the scripts find rows by their exact name.
    QVERIFY(a.setElemROI("Cu-K", 8990, 9010.5));
    QCOMPARE(a.elementSnapshots()[1].roiStart, 8990.0);
    QCOMPARE(a.elementSnapshots()[1].roiEnd, 9010.5);
    a.setElemsPrePostDE(12.5);
    for (const ElementSnapshot& s : a.elementSnapshots())
        QCOMPARE(s.dE, 12.5);
}

void TestAnalyzer::fifthRowKeepsResidualIds()
{
    Analyzer a;
    a.addNewRef();
    QCOMPARE(a.refs().size(), 5);
    LCFReference* fifth = a.refs()[4];
    QCOMPARE(fifth->fileSelect()->caption(), QString("Select Ref5"));
    QVERIFY(!fifth->fileSelect()->isUsed());
    QVERIFY(!fifth->useState());
    giveResidualImages(a);

    a.selectAnalysisMode(1);
    QSignalSpy changed(&a, &Analyzer::changedSelection);
    const struct {
        const char* button;
        int id;
        Analyzed2DRes* map;
    } residual[] = {{"ShowDMuT", 5, a.a2dDMut()}, {"ShowRest", 6, a.a2dRest()}, {"ShowRatio", 7, a.a2dRati()}};
    for (const auto& r : residual) {
        QTest::mouseClick(child<QRadioButton>(&a, r.button), Qt::LeftButton);
        QCOMPARE(a.currentImage(), r.map);
        a.selectImage(0);
        QCOMPARE(a.currentImage(), nullptr);
        a.selectImage(r.id);
        QVERIFY(child<QRadioButton>(&a, r.button)->isChecked());
        QCOMPARE(a.currentImage(), r.map);
    }
    QCOMPARE(changed.count(), 9);
    a.selectAnalysisMode(0);
    a.selectImage(4);
    QVERIFY(fifth->showButton()->isChecked());
    QCOMPARE(a.currentImage(), fifth->map(0));
    a.selectImage(8);
    QVERIFY(child<QRadioButton>(&a, "ShowRFactor")->isChecked());
    QCOMPARE(a.currentImage(), a.rFactorMap());
    a.selectImage(9);
    QCOMPARE(a.currentImage(), a.fracSumMap());
    // An id without a button changes nothing.
    a.selectImage(10);
    QCOMPARE(a.currentImage(), a.fracSumMap());
}

void TestAnalyzer::currentImage_data()
{
    QTest::addColumn<QString>("elements");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("imageId");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("elemType");
    QTest::addColumn<bool>("images");
    QTest::addColumn<QString>("expected");
    // Four reference rows: ids 0-3 rows, 4 dmut, 5 rest, 6 ratio, 7 R-factor, 8 sum.
    QTest::newRow("LCF amounts of row 1") << "" << 0 << 1 << 0 << 0 << false << "ref1.0";
    QTest::newRow("LCF fractions of row 1") << "" << 0 << 1 << 1 << 0 << false << "ref1.1";
    QTest::newRow("LCF fractions of row 3") << "" << 0 << 3 << 1 << 0 << false << "ref3.1";
    QTest::newRow("LCF R-factor") << "" << 0 << 7 << 1 << 0 << false << "rfactor";
    QTest::newRow("LCF sum of fractions") << "" << 0 << 8 << 0 << 0 << false << "fracsum";
    QTest::newRow("LCF with a residual button") << "" << 0 << 5 << 0 << 0 << true << "none";
    QTest::newRow("residual dmut without image") << "" << 1 << 4 << 0 << 0 << false << "none";
    QTest::newRow("residual dmut") << "" << 1 << 4 << 0 << 0 << true << "dmut";
    QTest::newRow("residual rest") << "" << 1 << 5 << 0 << 0 << true << "rest";
    QTest::newRow("residual ratio") << "" << 1 << 6 << 1 << 0 << true << "rati";
    QTest::newRow("residual with a row button") << "" << 1 << 1 << 0 << 0 << true << "none";
    QTest::newRow("residual with the R-factor button") << "" << 1 << 7 << 0 << 0 << true << "none";
    const char* types[] = {"elem.0", "elem.1", "cor", "corTh", "elem.2", "elem.3", "elem.4", "elem.5", "elem.6"};
    for (int t = 0; t < 9; ++t)
        QTest::addRow("elements type %d", t) << "Fe Cu Zn" << 2 << 0 << 0 << t << false << types[t];
    QTest::newRow("elements without rows") << "" << 2 << 0 << 0 << 0 << false << "none";
    QTest::newRow("correlation without rows") << "" << 2 << 0 << 0 << 2 << false << "cor";
}

void TestAnalyzer::currentImage()
{
    QFETCH(QString, elements);
    QFETCH(int, mode);
    QFETCH(int, imageId);
    QFETCH(int, kind);
    QFETCH(int, elemType);
    QFETCH(bool, images);
    QFETCH(QString, expected);
    Analyzer a;
    if (!elements.isEmpty())
        a.setTargetElements(elements);
    if (images)
        giveResidualImages(a);
    a.selectAnalysisMode(mode);
    a.selectImage(imageId);
    a.selectLCFImageKind(kind);
    a.selectElemImageType(elemType);
    if (!elements.isEmpty())
        QVERIFY(a.selectElemShow("Cu-K"));
    QCOMPARE(a.mode(), mode);

    // "refN.K" is map K of reference row N, "elem.K" map K of the Cu-K row; "none" is no map.
    const QHash<QString, Analyzed2DRes*> named{{"rfactor", a.rFactorMap()}, {"fracsum", a.fracSumMap()},
                                               {"dmut", a.a2dDMut()},       {"rest", a.a2dRest()},
                                               {"rati", a.a2dRati()},       {"cor", a.corMap()},
                                               {"corTh", a.corThMap()}};
    Analyzed2DRes* want = named.value(expected);
    if (expected.startsWith("ref"))
        want = a.refs()[expected.mid(3, 1).toInt()]->map(expected.mid(5).toInt());
    else if (expected.startsWith("elem."))
        want = a.elems()[1]->map(expected.mid(5).toInt());
    QCOMPARE(a.currentImage(), want);
}

void TestAnalyzer::elementResultsShown()
{
    Analyzer a;
    a.selectAnalysisMode(2);
    a.setTargetElements("Fe Cu");
    const double e0 = 1000.0 * EdgeTable::global().edgeEnergy(26, EdgeTable::K);
    a.setElemROI("Fe-K", e0 + 20, e0 + 30);
    a.setElemThDMut("Cu-K", 0.5);
    a.elemsConds()->setDMut(-2.0);
    QSignalSpy done(&a, &Analyzer::analyzeElemsFinished);
    a.analyzeSpectrum(feEdge());
    QVERIFY(done.wait(30000));
    const ElementResult r = a.engine()->elementResult();
    QCOMPARE(r.dmut.size(), 2);
    // Fe is above its threshold, Cu below it takes the background value.
    QVERIFY(r.dmut[0] > 0.5);
    QCOMPARE(r.dmut[1], -2.0);
    QCOMPARE(a.rawDmut(), r.rawDmut);
    for (int i = 0; i < 2; ++i) {
        const ElemCtrl* row = a.elems()[i];
        QCOMPARE(text(row, "DMuT"), numberText(r.dmut[i]));
        QCOMPARE(text(row, "Ratio"), numberText(r.dmutRatio[i]));
        QCOMPARE(text(row, "DE"), numberText(r.edgeShift[i]));
        QCOMPARE(text(row, "ROI"), numberText(r.roi[i]).left(5));
        QCOMPARE(text(row, "NROI"), numberText(r.nroi[i]).left(5));
        QCOMPARE(row->lastRatio(), r.dmutRatio[i]);
        QCOMPARE(row->lastMuPlus(), r.muPlus[i]);
    }
    // The correlation of the answer: standard ratios 1, ratios 1 and dmut(Cu) / dmut(Fe).
    const double x = r.dmutRatio[0] + r.dmutRatio[1];
    const double y = r.dmutRatio[0] * r.dmutRatio[0] + r.dmutRatio[1] * r.dmutRatio[1];
    QVERIFY(std::abs(a.correlation() - x / std::sqrt(2.0 * y)) < 1e-12);
    QCOMPARE(text(&a, "ElemsCorrelation"), numberText(a.correlation()));
}

void TestAnalyzer::roiShownCutToFiveCharacters()
{
    Analyzer a;
    a.setTargetElements("Fe");
    ElemCtrl* row = a.elems()[0];
    row->showResult(0.5, 1.0, 1.2, 0.7, 1.25, 0.1234567, 12.345678);
    QCOMPARE(text(row, "ROI"), QString("0.123"));
    QCOMPARE(text(row, "NROI"), QString("12.34"));
    QCOMPARE(text(row, "DE"), QString("1.25"));
    QCOMPARE(text(row, "DMuT"), QString("0.5"));
}

void TestAnalyzer::correlationWithZeroStandardRatios()
{
    Analyzer a;
    a.setTargetElements("Fe Cu Zn");
    for (ElemCtrl* row : a.elems()) {
        row->showResult(0.5, 0.8, 1.0, 0.5, 0.0, 0.1, 0.2);
        child<QLineEdit>(row, "StdRatio")->setText("0");
        emit child<QLineEdit>(row, "StdRatio")->editingFinished();
        QCOMPARE(row->stdRatio(), 0.0);
    }
    QSignalSpy emitted(&a, &Analyzer::setNewCorrelation);
    a.calcCorrelation();
    QCOMPARE(emitted.count(), 0);
    QCOMPARE(text(&a, "ElemsCorrelation"), QString("1.0"));
    // Set STD takes the last ratios: now there is a correlation.
    QTest::mouseClick(child<QPushButton>(&a, "SetSTD"), Qt::LeftButton);
    QCOMPARE(text(a.elems()[0], "StdRatio"), QString("0.8"));
    a.calcCorrelation();
    QCOMPARE(emitted.count(), 1);
    QVERIFY(std::abs(emitted.first().first().toDouble() - 1.0) < 1e-15);
}

void TestAnalyzer::correlationStyle_data()
{
    QTest::addColumn<QList<double>>("cors");
    QTest::addColumn<QStringList>("styles");
    const QString above = "background-color: rgb(211, 255, 241);";
    const QString below = "background-color: rgb(176, 192, 192);";
    QTest::newRow("below at start keeps the style") << QList<double>{0.5} << QStringList{""};
    QTest::newRow("threshold itself is not above") << QList<double>{0.999} << QStringList{""};
    QTest::newRow("above, then below") << QList<double>{0.9995, 0.2} << QStringList{above, below};
    QTest::newRow("above twice") << QList<double>{0.9995, 1.0} << QStringList{above, above};
}

void TestAnalyzer::correlationStyle()
{
    QFETCH(QList<double>, cors);
    QFETCH(QStringList, styles);
    Analyzer a;
    QLineEdit* shown = child<QLineEdit>(&a, "ElemsCorrelation");
    for (int i = 0; i < cors.size(); ++i) {
        a.setCorrelation(cors[i]);
        QCOMPARE(a.correlation(), cors[i]);
        QCOMPARE(shown->text(), numberText(cors[i]));
        QCOMPARE(shown->styleSheet(), styles[i]);
    }
}

void TestAnalyzer::correlationMapThroughRunner()
{
    Analyzer a;
    a.setTargetElements("Fe Cu");
    a.elems()[1]->setStdRatio(0.5);
    // Large enough for the job runner: one value per pixel of 600 x 600.
    ScanGrid g;
    g.setup(600, 600, 0, 0, QRectF(0, 0, 600, 600), -1, -1);
    Analyzed2DRes* fe = a.elems()[0]->map(ElemCtrl::DMutN);
    Analyzed2DRes* cu = a.elems()[1]->map(ElemCtrl::DMutN);
    for (Analyzed2DRes* m : {fe, cu, a.corMap(), a.corThMap()})
        m->setup(g);
    const auto feAt = [](int x, int) { return 1.0 + 0.001 * x; };
    const auto cuAt = [](int, int y) { return 0.002 * (y - 300); };
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 600; ++x) {
            fe->setData(x, y, 0, 0, feAt(x, y));
            cu->setData(x, y, 0, 0, cuAt(x, y));
        }
    }
    a.setCorThreshold(0.95);
    QCOMPARE(text(&a, "CorTh"), QString("0.95"));
    QVERIFY(a.isCorMapRunning());
    QSignalSpy changed(&a, &Analyzer::changedSelection);
    QVERIFY(changed.wait(60000));
    QVERIFY(!a.isCorMapRunning());
    QCOMPARE(text(&a, "ElemsProgress"), QString("100.00"));
    QVERIFY(a.corMap()->hasImage());
    int above = 0;
    for (int y = 0; y < 600; y += 7) {
        for (int x = 0; x < 600; x += 5) {
            const double v1 = feAt(x, y);
            const double v2 = cuAt(x, y);
            const double c = (1.0 * v1 + 0.5 * v2) / std::sqrt((1.0 + 0.25) * (v1 * v1 + v2 * v2));
            QCOMPARE(a.corMap()->value(x, y), c);
            QCOMPARE(a.corThMap()->value(x, y), c < 0.95 ? 0.0 : c);
            above += c >= 0.95;
        }
    }
    QVERIFY(above > 0);

    // Rebuilding the rows stops a rebuild that reads them.
    a.recalcCorMap();
    QVERIFY(a.isCorMapRunning());
    a.setTargetElements("Zn");
    QVERIFY(!a.isCorMapRunning());
}

QTEST_MAIN(TestAnalyzer)
#include "tst_analyzer.moc"
