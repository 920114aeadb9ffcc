#include "base/StartupOptions.h"
#include "calibration/CalibCtrl.h"
#include "controls/JobProgressBar.h"
#include "physics/XafsSpectrum.h"
#include "ShiftedEdgeStack.h"
#include "spectrumview/XafsFileSelect.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The calibration window driven through its widgets and slots, as the main
// window and a person use it.
class TestCalibCtrl : public QObject
{
    Q_OBJECT
private slots:
    void window();
};

void TestCalibCtrl::window()
{
    QTemporaryDir dir;
    AppPaths::setDataRoot(dir.path());
    ShiftedEdgeStack model;
    QVERIFY(model.writeStandard(dir.filePath("std.dat")));
    CalibCtrl w;
    QCOMPARE(w.windowTitle(), QStringLiteral("Calibration"));
    auto* crystal = w.findChild<QComboBox*>("SelCrystal");
    auto* edge = w.findChild<QLineEdit*>("EdgeEeV");
    auto* chooser = w.findChild<XafsFileSelect*>("SelectStd");
    QVERIFY(crystal && edge && chooser && w.findChild<JobProgressBar*>("CalibProgress") == w.progressBar());
    QCOMPARE(chooser->caption(), QStringLiteral("Select Std."));

    // The crystal list and its spacings.
    const QStringList names = {"Si(111)", "Si(311)", "Si(333)", "Ge(111)", "Ge(333)"};
    const QList<double> spacings = {3.1355316, 1.637478, 1.0451772, 3.2663822, 1.0887941};
    QCOMPARE(crystal->count(), 5);
    for (int i = 0; i < 5; ++i) {
        crystal->setCurrentIndex(i);
        QCOMPARE(crystal->currentText(), names[i]);
        QCOMPARE(w.spacing(), spacings[i]);
    }

    // A standard: normalised, its edge shown, the main window told.
    QSignalSpy loaded(&w, &CalibCtrl::newStdFileLoaded);
    QVERIFY(!w.standard());
    w.loadStd(dir.filePath("std.dat"));
    QCOMPARE(loaded.count(), 1);
    QVERIFY(w.standard() && w.standard()->count() == 2601);
    QCOMPARE(edge->text(), QString::number(w.standard()->e0(), 'g', 6));
    QCOMPARE(w.edgeEnergy(), edge->text().toDouble());
    QCOMPARE(w.stdFileName(), dir.filePath("std.dat"));
    QVERIFY(!w.standard()->victoreen());
    w.findChild<QRadioButton*>("StdBGVictreen")->setChecked(true);
    QVERIFY(w.standard()->victoreen());

    // A file that does not load: no standard, no name, nothing emitted.
    w.newFile(dir.filePath("missing.dat"));
    QVERIFY(!w.standard());
    QCOMPARE(chooser->fileName(), QString());
    QCOMPARE(loaded.count(), 1);

    w.setEdgeEV("abc");
    QCOMPARE(w.edgeEnergy(), 0.0);
    w.setEdgeEV("7112.5");
    QCOMPARE(w.edgeEnergy(), 7112.5);
    QVERIFY(!w.targetVictoreen());
    w.findChild<QRadioButton*>("TargetBGVictreen")->setChecked(true);
    QVERIFY(w.targetVictoreen());
    QCOMPARE(w.rule(), 0);
    w.findChild<QComboBox*>("CalibRule")->setCurrentIndex(1);
    QCOMPARE(w.calibrationRule(), CalibrationRule::Fit);

    // Buttons and dialogs.
    QSignalSpy exec(&w, &CalibCtrl::execCalibration), clear(&w, &CalibCtrl::clearMap);
    QSignalSpy save(&w, &CalibCtrl::saveEMap), load(&w, &CalibCtrl::loadEMap);
    QTest::mouseClick(w.findChild<QPushButton*>("ExecCalib"), Qt::LeftButton);
    QTest::mouseClick(w.findChild<QPushButton*>("ClearMap"), Qt::LeftButton);
    QCOMPARE(exec.count(), 1);
    QCOMPARE(clear.count(), 1);
    // The dialogs are made when their buttons are first pressed.
    QVERIFY(!w.findChild<QFileDialog*>());
    QTest::mouseClick(w.findChild<QPushButton*>("LoadMap"), Qt::LeftButton);
    QTest::mouseClick(w.findChild<QPushButton*>("SaveMap"), Qt::LeftButton);
    auto* open = w.findChild<QFileDialog*>("LoadMapDialog");
    auto* saveDialog = w.findChild<QFileDialog*>("SaveMapDialog");
    QVERIFY(open && saveDialog);
    const QStringList filters = {"Energy Distribution Map File (*.emp)", "Any Files (* *.*)"};
    QCOMPARE(open->nameFilters(), filters);
    QCOMPARE(saveDialog->nameFilters(), filters);
    QCOMPARE(open->directory().absolutePath(), QDir(dir.path()).absolutePath());
    QCOMPARE(open->fileMode(), QFileDialog::ExistingFile);
    QCOMPARE(saveDialog->acceptMode(), QFileDialog::AcceptSave);
    QTest::mouseClick(w.findChild<QPushButton*>("LoadMap"), Qt::LeftButton);
    QVERIFY(open->isVisible());
    emit open->fileSelected("a.emp");
    QTest::mouseClick(w.findChild<QPushButton*>("SaveMap"), Qt::LeftButton);
    QVERIFY(saveDialog->isVisible());
    emit saveDialog->fileSelected("b.emp");
    w.loadEShiftMap("c.emp");
    QCOMPARE(load.count(), 2);
    QCOMPARE(load.at(0).at(0).toString(), QStringLiteral("a.emp"));
    QCOMPARE(load.at(1).at(0).toString(), QStringLiteral("c.emp"));
    QCOMPARE(save.count(), 1);
    QCOMPARE(save.at(0).at(0).toString(), QStringLiteral("b.emp"));

    CalibrationStats s;
    s.max = 2.5;
    s.min = -1.25;
    s.mean = 1.0 / 3.0;
    s.sigma = 0.1234567;
    w.showStatistics(s);
    QCOMPARE(w.findChild<QLineEdit*>("DEMax")->text(), QStringLiteral("2.5"));
    QCOMPARE(w.findChild<QLineEdit*>("DEMin")->text(), QStringLiteral("-1.25"));
    QCOMPARE(w.findChild<QLineEdit*>("DEAvr")->text(), QStringLiteral("0.333333"));
    QCOMPARE(w.findChild<QLineEdit*>("DESigma")->text(), QStringLiteral("0.123457"));
}

QTEST_MAIN(TestCalibCtrl)
#include "tst_calibctrl.moc"
