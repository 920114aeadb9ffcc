#include "analysis/ElementRunJob.h"
#include "analysis/LcfRunJob.h"
#include "analyzer/Analyzer.h"
#include "analyzer/ElemCtrl.h"
#include "analyzer/LCFReference.h"
#include "analyzer/MapsExtraPanel.h"
#include "base/WorkerThread.h"
#include "Body.h"
#include "BodyScript.h"
#include "calibration/CalibCtrl.h"
#include "controls/JobProgressBar.h"
#include "DemoMeasurement.h"
#include "fileselect/SelectDataFiles.h"
#include "grid/Analyzed2DRes.h"
#include "imageview/ImgDispA.h"
#include "io/Hdf5Catalog.h"
#include "output/SaveProvenance.h"
#include "processing/EnergyMapFile.h"
#include "spectrumview/CurveSetView.h"
#include "spectrumview/PcaSpectraWindow.h"
#include "spectrumview/XafsFileSelect.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QApplication>
#include <QComboBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QSignalSpy>
#include <QtTest>

using namespace DemoMeasurement;

// The main window's 2D runs and calibration on a small demo measurement:
// what the window records equals the point-by-point runs on the same images.
class TestBodyRuns : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void lcfAndElementRunsEqualPointByPoint();
    void calibrationMapSavesAndLoadsBack();
    void extraMapsChainToAReferenceByScript();
    void extraMapsFromTheAnalyzerWindow();
    void scriptsEndWithoutWorkerThreads_data();
    void scriptsEndWithoutWorkerThreads();

private:
    // Loads a stack of the demo through the panels (energies from the names).
    void load(Body& body, const QString& i1Dir);
    AreaRunInput inputOf(const Body& body, int half) const;

    Demo m_demo;
};

void TestBodyRuns::initTestCase()
{
    QVERIFY(m_demo.make(true, 22, 18, 40));
}

void TestBodyRuns::load(Body& body, const QString& i1Dir)
{
    for (SelectDataFiles* panel : {body.i1Panel(), body.i0Panel()}) {
        panel->setEngByName(true);
        panel->setEngByNameRegExp("\\d\\d\\d\\d\\.\\d\\deV");
        panel->setEngByNameFactor(1.0);
    }
    const QDir dir(m_demo.dir.path());
    auto files = [&](const QString& sub) {
        QStringList out;
        for (const QString& n : QDir(dir.filePath(sub)).entryList({"*.tif"}, QDir::Files, QDir::Name))
            out << dir.filePath(sub + "/" + n);
        return out;
    };
    QSignalSpy finished(&body, &Body::finishBatchExec);
    body.readI1Files(files(i1Dir), true);
    body.readI0Files(files("i0"), true);
    QTRY_COMPARE(finished.count(), 2);
}

AreaRunInput TestBodyRuns::inputOf(const Body& body, int half) const
{
    AreaRunInput in;
    in.i1 = body.i1Series().constImages();
    in.i0 = body.i0Series().constImages();
    in.grid.setup(body.imageWidth(), body.imageHeight(), half, half,
                  QRectF(0, 0, body.imageWidth(), body.imageHeight()), -1, -1);
    in.shift = ShiftMapView::of(&body.shiftMap());
    return in;
}

void TestBodyRuns::lcfAndElementRunsEqualPointByPoint()
{
    Body body;
    load(body, "i1");
    Analyzer* analyzer = body.analyzer();
    for (int k = 0; k < 3; ++k)
        analyzer->setLCFStd(k, true, 0.0, QDir(m_demo.dir.path()).filePath(QString("refs/%1.dat").arg(compounds[k])),
                            "0");
    body.findChild<QLineEdit*>("HWidth")->setText("1");
    body.findChild<QLineEdit*>("VWidth")->setText("1");

    // LCF: the Analyze button runs it; the run's end tells the batch.
    QSignalSpy finished(&body, &Body::finishBatchExec);
    analyzer->findChild<QPushButton*>("AskAnalyze")->click();
    QVERIFY(body.isRunning2D());
    QTRY_COMPARE(finished.count(), 1);
    QVERIFY(!body.isRunning2D());
    QCOMPARE(analyzer->findChild<QLabel*>("Progress")->text(), QString("100.00"));

    // Rows the run did not use hold no maps until asked; then zeros on its grid, drawn.
    QVERIFY(!analyzer->refs()[3]->keptMap(LCFReference::Fraction)->data() && !analyzer->refs()[0]->mapsOwed());
    const Analyzed2DRes* owed = analyzer->refs()[3]->map(LCFReference::Fraction);
    QVERIFY(!analyzer->refs()[3]->mapsOwed() && owed->data() && owed->hasImage());
    QCOMPARE(QSize(owed->width(), owed->height()), QSize(body.imageWidth(), body.imageHeight()));

    LcfRunSetup setup;
    setup.references = analyzer->referenceSnapshots();
    const int n = setup.references.size();
    const AreaRunInput in = inputOf(body, 1);
    Maps expected(in.grid, 2 * n);
    setup.maps.rows = expected.list;
    QVERIFY(LcfRunJob::runPointByPoint(in, setup));
    Maps shown(in.grid, 0);
    for (int k = 0; k < 2; ++k)
        for (int j = 0; j < n; ++j)
            shown.list.append(analyzer->refs()[j]->map(k));
    QCOMPARE(firstDifference(shown, expected), QString());
    QVERIFY(nonZeroValues(*analyzer->refs()[0]->map(1)) > 0);
    QCOMPARE(nonZeroValues(*analyzer->refs()[3]->map(1)), 0);   // the row not in use
    QVERIFY(analyzer->refs()[0]->map(1)->hasImage());

    // The map on show says which reference and kind it is.
    const ImgDispA* view = body.findChild<ImgDispA*>("dispA");
    analyzer->findChild<QRadioButton*>("SelRatio")->setChecked(true);
    analyzer->refs()[0]->showButton()->click();
    body.findChild<QRadioButton*>("ShowResAnalysis")->setChecked(true);
    QCOMPARE(view->resultLayer(), static_cast<DisplayLayer*>(analyzer->refs()[0]->map(LCFReference::Fraction)));
    QCOMPARE(view->resultTitle(), QString("LCF %1: fraction").arg(compounds[0]));

    // Pressing Analyze again during a run stops it: no completion follows.
    analyzer->findChild<QPushButton*>("AskAnalyze")->click();
    analyzer->findChild<QPushButton*>("AskAnalyze")->click();
    QVERIFY(!body.isRunning2D());
    QTest::qWait(50);
    QCOMPARE(finished.count(), 1);

    // Element run over the same area.
    analyzer->setTargetElements("Fe");
    analyzer->selectAnalysisMode(2);
    analyzer->findChild<QPushButton*>("AskAnalyzeElems")->click();
    QTRY_COMPARE(finished.count(), 2);
    ElementRunSetup es;
    es.rows = analyzer->elementSnapshots();
    es.mainT = analyzer->mainTarget();
    es.background = analyzer->backgroundValues();
    for (const ElemCtrl* row : analyzer->elems()) {
        es.useInCorrelation.append(row->isUsed());
        es.standardRatios.append(row->stdRatio());
    }
    es.correlation = 1.0;
    es.correlationThreshold = analyzer->correlationThreshold();
    Maps elements(in.grid, 7 * es.rows.size() + 2);
    es.maps = elements.list;
    ElementRunJob::runPointByPoint(in, es);
    Maps elementShown(in.grid, 0);
    for (int k = 0; k < 7; ++k)
        for (ElemCtrl* row : analyzer->elems())
            elementShown.list.append(row->map(k));
    elementShown.list << analyzer->corMap() << analyzer->corThMap();
    QCOMPARE(firstDifference(elementShown, elements), QString());
}

void TestBodyRuns::calibrationMapSavesAndLoadsBack()
{
    Body body;
    load(body, "calib");
    QSignalSpy stdLoaded(body.calibCtrl(), &CalibCtrl::newStdFileLoaded);
    body.calibCtrl()->loadStd(QDir(m_demo.dir.path()).filePath("std/fe_foil.dat"));
    QCOMPARE(stdLoaded.count(), 1);
    body.findChild<QLineEdit*>("HWidth")->setText("1");
    body.findChild<QLineEdit*>("VWidth")->setText("1");
    QSignalSpy finished(&body, &Body::finishBatchExec);
    body.execCalibration();
    QTRY_COMPARE(finished.count(), 1);
    const Analyzed2DRes& map = body.shiftMap();
    QCOMPARE(map.width(), m_demo.width);
    body.findChild<QRadioButton*>("ShowShiftMap")->setChecked(true);
    QCOMPARE(body.findChild<ImgDispA*>("dispA")->resultTitle(), QString("Energy shift [eV]"));
    // The calibrated shifts follow the demo's true shift map.
    double worst = 0.0;
    for (int y = 1; y < m_demo.height - 1; y += 3)
        for (int x = 1; x < m_demo.width - 1; x += 3)
            worst = qMax(worst, qAbs(map.value(x, y) - m_demo.shift[std::size_t(y) * m_demo.width + x]));
    QVERIFY2(worst < 0.6, qPrintable(QString::number(worst)));

    QTemporaryDir tmp;
    body.saveEMap(tmp.filePath("shift"));
    QVERIFY(QFile::exists(tmp.filePath("shift.emp")));
    std::vector<double> saved(map.data(), map.data() + std::size_t(map.width()) * map.height());
    body.clearShiftMap();
    QCOMPARE(body.shiftMap().value(4, 4), 0.0);
    body.loadEMap(tmp.filePath("shift.emp"));
    for (int y = 0; y < m_demo.height; ++y)
        for (int x = 0; x < m_demo.width; ++x)
            QVERIFY(qAbs(body.shiftMap().value(x, y) - saved[std::size_t(y) * m_demo.width + x]) < 1e-3);
    // The read-out shows the map value under the mouse.
    body.showXafsSpectrum(4, 4);
    QCOMPARE(body.findChild<QLabel*>("EShiftOnTbl")->text(), QString::asprintf("%5.2f", body.shiftMap().value(4, 4)));
}


void TestBodyRuns::extraMapsChainToAReferenceByScript()
{
    Body body;
    load(body, "i1");
    body.findChild<QLineEdit*>("HWidth")->setText("0");
    body.findChild<QLineEdit*>("VWidth")->setText("0");
    QTemporaryDir out;
    const QString base = out.filePath("m");
    const QString ref = out.filePath("cluster0.dat");
    const BodyScript::Outcome o = BodyScript::run(body, QString("edge_maps 30 %1\npca_run 2 %1\nkmeans_run 3 7 %1\n"
                                                                "cluster_as_reference 0 3 %2\nanalyzer_nonneg 1\n")
                                                            .arg(base, ref));
    QVERIFY(o.ended);
    QCOMPARE(o.failure, QString());
    for (const char* name : {"_e0.tif", "_e0.txt", "_white_line_energy.tif", "_pca_score2.txt", "_pca.txt",
                             "_clusters.tif"})
        QVERIFY2(QFile::exists(base + name), name);
    QFile sidecar(Provenance::sidecarPath(base + "_e0.tif"));
    QVERIFY(sidecar.open(QIODevice::ReadOnly));
    QVERIFY(sidecar.readAll().contains("within [E0, E0 + 30 eV]"));
    // The cluster's mean spectrum is reference row 3, ready for a fit.
    const LCFReference* row = body.analyzer()->refs()[3];
    QVERIFY(row->fileSelect()->isFileChosen());
    QCOMPARE(row->fileSelect()->fileName(), ref);
    QVERIFY(body.analyzer()->referenceSnapshots()[3].isUsed());
    QVERIFY(body.analyzer()->nonNegative());

    // Clusters without a PCA and a cluster that does not exist fail with a message.
    Body fresh;
    load(fresh, "i1");
    QVERIFY(BodyScript::run(fresh, "kmeans_run 3").failure.contains("PCA"));
    QVERIFY(BodyScript::run(body, QString("cluster_as_reference 9 3 %1").arg(ref)).failure.contains("no cluster 9"));
}

void TestBodyRuns::extraMapsFromTheAnalyzerWindow()
{
    Body body;
    load(body, "i1");
    body.findChild<QLineEdit*>("HWidth")->setText("0");
    body.findChild<QLineEdit*>("VWidth")->setText("0");
    MapsExtraPanel* panel = body.analyzer()->extraPanel();
    const ImgDispA* view = body.findChild<ImgDispA*>("dispA");
    auto press = [&](const char* name) {
        panel->findChild<QPushButton*>(name)->click();
        QTRY_VERIFY(!body.isRunning2D());
    };
    // Each run offers its maps and puts its first one on show, captioned.
    panel->findChild<QSpinBox*>("PcaComponents")->setValue(2);
    press("RunPca");
    QCOMPARE(panel->mapCount(), 2);
    QCOMPARE(view->resultTitle(), QString("PCA score 1"));
    QCOMPARE(view->resultLayer(), static_cast<DisplayLayer*>(panel->chosenMap()));
    panel->findChild<QSpinBox*>("KMeansK")->setValue(3);
    panel->findChild<QSpinBox*>("KMeansSeed")->setValue(7);
    press("RunKMeans");
    QCOMPARE(panel->mapCount(), 3);
    QCOMPARE(view->resultTitle(), QString("Clusters (k = 3, seed 7)"));
    const Analyzed2DRes* clusters = panel->chosenMap();
    int inCluster[3] = {0, 0, 0};
    for (int y = 0; y < m_demo.height; ++y)
        for (int x = 0; x < m_demo.width; ++x) {
            const double v = clusters->value(x, y);
            if (std::isfinite(v) && v >= 0 && v < 3)
                ++inCluster[int(v)];
        }
    QVERIFY(inCluster[0] >= inCluster[1] && inCluster[1] >= inCluster[2] && inCluster[2] > 0);
    // A block outside the sample (no cluster) is drawn apart from cluster 0.
    QPoint outside(-1, -1), first(-1, -1);
    for (int y = 0; y < m_demo.height; ++y)
        for (int x = 0; x < m_demo.width; ++x) {
            const double v = clusters->value(x, y);
            if (std::isnan(v))
                outside = QPoint(x, y);
            else if (v == 0)
                first = QPoint(x, y);
        }
    QVERIFY(outside.x() >= 0 && first.x() >= 0);
    QVERIFY(clusters->img()->pixel(outside) != clusters->img()->pixel(first));
    press("RunEdgeMaps");
    QCOMPARE(panel->mapCount(), 7);
    // Only the panel's bar followed its runs; the LCF section's saw none.
    QVERIFY2(panel->progress()->statusText().startsWith("Done"), qPrintable(panel->progress()->statusText()));
    QVERIFY2(body.analyzer()->runProgress()->statusText().isEmpty(),
             qPrintable(body.analyzer()->runProgress()->statusText()));
    QCOMPARE(view->resultTitle(), QString("E0 (eV)"));

    // The scree shows both components, the spectra the three cluster means.
    PcaSpectraWindow* spectra = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* s = qobject_cast<PcaSpectraWindow*>(w))
            spectra = s;
    QVERIFY(spectra);
    QCOMPARE(spectra->screeView()->frame().curves.size(), 1);
    QCOMPARE(spectra->screeView()->frame().xRange.hi, 2.0);
    QVERIFY(spectra->showsClusterMeans());
    QCOMPARE(spectra->spectraView()->frame().legend.size(), 3);

    // "Use as reference" twice: two free rows, two files, none replaced.
    QSpinBox* cluster = panel->findChild<QSpinBox*>("ReferenceCluster");
    QCOMPARE(cluster->maximum(), 2);
    for (int c : {0, 1}) {
        cluster->setValue(c);
        panel->findChild<QPushButton*>("UseClusterAsReference")->click();
        const LCFReference* row = body.analyzer()->refs()[c];
        QVERIFY(row->fileSelect()->isFileChosen());
        QVERIFY(QFile::exists(row->fileSelect()->fileName()));
        QVERIFY(body.analyzer()->referenceSnapshots()[c].isUsed());
    }
    QVERIFY(body.analyzer()->refs()[0]->fileSelect()->fileName() != body.analyzer()->refs()[1]->fileSelect()->fileName());

    // The all-maps file holds the new maps.
    QTemporaryDir out;
    const QString file = out.filePath("all.h5");
    QVERIFY(BodyScript::run(body, "save_all_maps_hdf5 " + file).failure.isEmpty());
    QVector<Hdf5Dataset> sets;
    QString error;
    QVERIFY2(Hdf5Catalog::list(file, &sets, &error), qPrintable(error));
    for (const char* path : {"/maps/e0", "/maps/white_line_height", "/maps/pca_score2", "/maps/clusters"})
        QVERIFY2(Hdf5Catalog::find(sets, QLatin1String(path)), path);
    // The map on show (E0) saves with the rule of its run in the provenance.
    QVERIFY(BodyScript::run(body, "save_data_as_tiff " + out.filePath("shown")).failure.isEmpty());
    QFile sidecar(Provenance::sidecarPath(out.filePath("shown-0.tif")));
    QVERIFY(sidecar.open(QIODevice::ReadOnly));
    QVERIFY(sidecar.readAll().contains("E0 (eV); E0 = mean midline crossing of the spectrum smoothed over 3 points"));
}

// No thread to be had (memory or a process limit): the batch walk, the
// loaders, the analysis engine and every job runner share the window's
// thread. Each script still ends, and with the maps of a run with threads.
void TestBodyRuns::scriptsEndWithoutWorkerThreads_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("map");   // -1: the shift map; k: the fraction map of reference row k
    const QString load = "eng_by_name_i0\neng_by_name_reg_exp_i0 \\d\\d\\d\\d\\.\\d\\deV\n"
                         "eng_by_name_i1\neng_by_name_reg_exp_i1 \\d\\d\\d\\d\\.\\d\\deV\n"
                         "load_I0_files_of_pattern NEW %D/i0/ i0_*eV.tif\n";
    QTest::newRow("load, calibrate") << load + "load_I1_files_of_pattern NEW %D/calib/ cal_*eV.tif\n"
                                               "calib_load_std %D/std/fe_foil.dat\nset_band_w 1\nset_band_h 1\n"
                                               "calib_exec\n"
                                     << -1;
    QTest::newRow("load, align, fit") << load + "load_I1_files_of_pattern NEW %D/i1/ i1_*eV.tif\n"
                                                "align_series 0 0.4\nset_band_w 0\nset_band_h 0\n"
                                                "analyzer_set_LCF_std 0 1 0 %D/refs/fe_metal.dat 0\n"
                                                "analyzer_set_LCF_std 1 1 0 %D/refs/fe2.dat 0\n"
                                                "analyzer_select_analysis_mode 0\nanalyzer_exec_LCF\n"
                                      << 1;
}

void TestBodyRuns::scriptsEndWithoutWorkerThreads()
{
    QFETCH(QString, script);
    QFETCH(int, map);
    script.replace("%D", m_demo.dir.path());
    std::vector<double> values[2];   // with threads, without
    QString failure[2];
    for (int alone : {0, 1}) {
        refuseWorkerThreads(alone);
        Body body;
        const BodyScript::Outcome out = BodyScript::run(body, script, 30000);
        failure[alone] = out.ended ? out.failure : QStringLiteral("the run did not end");
        const Analyzed2DRes* m = map < 0 ? &body.shiftMap() : body.analyzer()->refs().at(map)->map(LCFReference::Fraction);
        values[alone].assign(m->data(), m->data() + std::size_t(m->width()) * m->height());
    }
    refuseWorkerThreads(false);
    QVERIFY2(failure[0].isEmpty() && failure[1].isEmpty(), qPrintable(failure[0] + failure[1]));
    QVERIFY(!values[0].empty());
    QVERIFY(values[1] == values[0]);
}

QTEST_MAIN(TestBodyRuns)
#include "tst_bodyruns.moc"
