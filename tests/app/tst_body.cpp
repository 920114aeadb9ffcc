#include "Body.h"
#include "BodyScript.h"
#include "fileselect/SelectDataFiles.h"
#include "i18n/Translation.h"
#include "imageview/CrossSView.h"
#include "imageview/ImgDispA.h"
#include "io/TiffData.h"
#include "output/TiffWriter.h"
#include "processing/AbsorptionSpectrum.h"
#include "processing/CrossSection.h"
#include "spectrumview/XafsView.h"

#include <QLabel>
#include <QRadioButton>
#include <QLineEdit>
#include <QSlider>
#include <QTemporaryDir>
#include <cmath>

#include <QApplication>
#include <QFileDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTranslator>
#include <QtTest>

class TestBody : public QObject
{
    Q_OBJECT
private slots:
    void shell();
    void closeEmitsFinishing();
    void japaneseCatalogue();
    void loadBrowseAndSpectrumUnderMouse();
    void clearDuringLoadDropsLateImages();
    void i1ImageOfAnotherSizeIsRefused();

private:
    static void energiesFromNames(SelectDataFiles* panel);
};

void TestBody::energiesFromNames(SelectDataFiles* panel)
{
    panel->setEngByName(true);
    panel->setEngByNameRegExp("\\d\\d\\d\\d\\.\\d\\deV");
    panel->setEngByNameFactor(1.0);
}

void TestBody::shell()
{
    Body body;
    QCOMPARE(body.windowTitle(), QString("Orvantelle Desk"));
    QCOMPARE(body.size(), QSize(937, 944));
    // File dialogs (each with a thread of Qt's own) are made when first wanted.
    QVERIFY(body.findChildren<QFileDialog*>().isEmpty());
    for (const char* name : {"HWidth", "VWidth", "SeekBar", "ShowData", "ShowI0", "ShowShiftMap",
                             "ShowResAnalysis", "SaveAsTiff", "DeGlitch", "NormalizeEShift", "ExecFourierA"}) {
        if (QString(name) == "SaveAsTiff")
            continue;  // lives in the save configuration window
        QVERIFY2(body.findChild<QWidget*>(name), name);
    }
}

void TestBody::closeEmitsFinishing()
{
    Body body;
    body.show();
    QSignalSpy spy(&body, &Body::finishing);
    body.close();
    QCOMPARE(spy.count(), 1);
}

void TestBody::japaneseCatalogue()
{
    QTranslator translator;
    QVERIFY(installJapanese(*qApp, translator));
    {
        Body body;
        QCOMPARE(body.windowTitle(), QString::fromUtf8("Orvantelle デスク"));
        QCOMPARE(body.findChild<QPushButton*>("ShowAnalyzer")->text(), QString::fromUtf8("解析ウィンドウ"));
        QCOMPARE(qApp->translate("General", "Stop"), QString::fromUtf8("停止"));
    }
    qApp->removeTranslator(&translator);
    Body english;
    QCOMPARE(english.windowTitle(), QString("Orvantelle Desk"));
}

void TestBody::loadBrowseAndSpectrumUnderMouse()
{
    QTemporaryDir dir;
    const QStringList i1Files = BodyScript::writeStack(dir.path(), "i1", 12, 20, 14, 20000.0);
    const QStringList i0Files = BodyScript::writeStack(dir.path(), "i0", 12, 20, 14, 30000.0);
    QCOMPARE(i1Files.size(), 12);
    Body body;
    body.show();
    energiesFromNames(body.i1Panel());
    energiesFromNames(body.i0Panel());
    QSignalSpy finished(&body, &Body::finishBatchExec);
    emit body.i1Panel()->filesSelected(i1Files, true);
    emit body.i0Panel()->filesSelected(i0Files, true);
    QTRY_COMPARE(finished.count(), 2);
    QCOMPARE(body.i1Series().size(), 12);
    QCOMPARE(body.i0Series().size(), 12);
    QCOMPARE(body.i1Series().at(3)->energy(), 7095.0);
    QCOMPARE(body.i1Panel()->count(), 12);
    QCOMPARE(body.imageWidth(), 20);
    QCOMPARE(body.findChild<QSlider*>("SeekBar")->maximum(), 11);
    // The last image is shown.
    QCOMPARE(body.imageView()->image(), static_cast<DisplayLayer*>(body.i1Series().at(11)));

    // The mouse on pixel (7, 5) with a 3 x 5 block.
    body.findChild<QLineEdit*>("HWidth")->setText("1");
    body.findChild<QLineEdit*>("VWidth")->setText("-2");
    body.imageView()->setRealMousePos(7.4, 5.6);
    QCOMPARE(body.mouseX(), 7);
    QCOMPARE(body.mouseY(), 5);
    const AbsorptionSpectrum core(body.i1Series().constImages(), body.i0Series().constImages(), 1, 2, false);
    const XafsSpectrum expected = core.xafs(7, 5, false, 0.0);
    const XafsSpectrum& shown = body.xafsView()->target();
    QCOMPARE(shown.count(), 12);
    for (int i = 0; i < shown.count(); ++i) {
        QCOMPARE(shown.x(i), expected.x(i));
        QCOMPARE(shown.y(i), expected.y(i));
    }
    QCOMPARE(shown.e0(), expected.e0());
    QCOMPARE(body.currentSpectrum().jump(), expected.jump());
    QCOMPARE(body.findChild<QLabel*>("Position")->text(), QString("(   7,    5)"));
    QCOMPARE(body.findChild<QLabel*>("EShiftOnTbl")->text(), QString(" 0.00"));
    // Value read-out and the profiles of the shown image.
    const TiffData* last = body.i1Series().at(11);
    QCOMPARE(body.findChild<QLineEdit*>("Value")->text(), groupedValueText(last->sample(7, 5)));
    QCOMPARE(body.findChild<CrossSView*>("HCross")->cursorPos(), 7.0);
    QCOMPARE(body.findChild<CrossSView*>("VCross")->cursorPos(), 5.0);

    // Browsing: previous image, slider and the energy marker.
    body.prev();
    QCOMPARE(body.imageView()->image(), static_cast<DisplayLayer*>(body.i1Series().at(10)));
    body.sliderMoved(2);
    QCOMPARE(body.imageView()->image(), static_cast<DisplayLayer*>(body.i1Series().at(2)));
    QCOMPARE(body.xafsView()->energyMarker(), 7090.0);
    // Selecting I0 shows the I0 image at the I0 panel's index.
    body.findChild<QRadioButton*>("ShowI0")->setChecked(true);
    QCOMPARE(body.imageView()->image(),
             static_cast<DisplayLayer*>(body.i0Series().at(body.i0Panel()->currentIndex())));
    body.i0Panel()->select(4);
    QCOMPARE(body.imageView()->image(), static_cast<DisplayLayer*>(body.i0Series().at(4)));

    // "Add Files" appends to the series.
    body.readI1Files(i1Files.mid(0, 2), false);
    QTRY_COMPARE(finished.count(), 3);
    QCOMPARE(body.i1Series().size(), 14);
}

void TestBody::clearDuringLoadDropsLateImages()
{
    QTemporaryDir dir;
    const QStringList files = BodyScript::writeStack(dir.path(), "i1", 40, 64, 64, 20000.0);
    Body body;
    energiesFromNames(body.i1Panel());
    QSignalSpy finished(&body, &Body::finishBatchExec);
    emit body.i1Panel()->filesSelected(files, true);
    body.clearI1Files();
    QTRY_COMPARE(finished.count(), 1);
    QTest::qWait(20);
    QCOMPARE(body.i1Series().size(), 0);
    QCOMPARE(body.i1Panel()->count(), 0);
    // A new load after the clear arrives whole.
    body.readI1Files(files.mid(0, 3), true);
    QTRY_COMPARE(finished.count(), 2);
    QCOMPARE(body.i1Series().size(), 3);
}

void TestBody::i1ImageOfAnotherSizeIsRefused()
{
    QTemporaryDir dir;
    QStringList files = BodyScript::writeStack(dir.path(), "i1", 2, 16, 16, 20000.0);
    QDir(dir.path()).mkdir("odd");
    files.insert(1, BodyScript::writeStack(dir.path() + "/odd", "i1", 1, 8, 16, 20000.0).first());
    Body body;
    QSignalSpy finished(&body, &Body::finishBatchExec);
    body.readI1Files(files, true);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(body.i1Series().size(), 2);
    QCOMPARE(body.i1Panel()->count(), 2);
    QCOMPARE(body.imageWidth(), 16);
}

QTEST_MAIN(TestBody)
#include "tst_body.moc"
