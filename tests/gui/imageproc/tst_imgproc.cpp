#include "controls/JobProgressBar.h"
#include "display/ColorScale.h"
#include "imageproc/ImgProc.h"
#include "processing/SeriesAlignJob.h"
#include "TestStacks.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

// The image processor driven through its widgets and slots, with the main
// window's part (handing over the image) done by the test.
class TestImgProc : public QObject
{
    Q_OBJECT
private slots:
    void window();
};

void TestImgProc::window()
{
    TestStacks stacks;
    QVERIFY(stacks.u16(40, 40, 7000.0, [](int x, int y) {
        return (x - 18) * (x - 18) + (y - 20) * (y - 20) < 81 || (x >= 27 && x < 31 && y >= 8 && y < 26) ? 6000.0
                                                                                                        : 20000.0;
    }));
    TiffData* image = stacks.last();

    ImgProc w;
    QCOMPARE(w.windowTitle(), QStringLiteral("Image Processor"));
    auto* slider = w.findChild<QSlider*>("BinThVSlider");
    auto* th = w.findChild<QLineEdit*>("BinThV");
    auto* sx = w.findChild<QLineEdit*>("ShiftX");
    auto* score = w.findChild<QLineEdit*>("NormScolarP");
    QVERIFY(slider && th && sx && score && w.findChild<JobProgressBar*>("AlignProgress") == w.progressBar());
    QCOMPARE(slider->maximum(), 999);
    QCOMPARE(slider->pageStep(), 100);
    QCOMPARE(slider->value(), 100);
    QVERIFY(w.findChild<QCheckBox*>("Compare")->isChecked());

    // Without "Edge Detect" the image is shown as it is, with a word on what
    // Comp. needs.
    w.setSource(image);
    QVERIFY(w.aligner().value().isEmpty());
    QCOMPARE(w.picture(), *image->layerImage());
    QVERIFY(!w.compareHint().isEmpty());
    QSignalSpy ask(&w, &ImgProc::askGiveData);
    w.findChild<QCheckBox*>("EdgeDetect")->setChecked(true);
    w.findChild<QCheckBox*>("BinaryImage")->setChecked(true);
    QCOMPARE(ask.count(), 2);
    w.setSource(image);
    QCOMPARE(w.aligner().source(), image);
    QCOMPARE(w.aligner().value().width, 40);
    const double top = w.aligner().value().maximum;
    QVERIFY(top > 0.0);

    // Threshold from the slider over Max ... Min, and back.
    w.findChild<QLineEdit*>("MaxEdgeV")->setText(QString::number(top));
    w.newBinThV();
    QCOMPARE(th->text(), QString::number(0.1 * top, 'g', 6));
    slider->setValue(500);
    QCOMPARE(th->text(), QString::number(0.5 * top, 'g', 6));
    th->setText(QString::number(0.25 * top));
    w.setBinThV();
    QCOMPARE(slider->value(), 250);
    QCOMPARE(th->text(), QString::number(0.25 * top));
    const ProcImage& bin = w.aligner().binary();
    QVERIFY(bin.maximum == 1.0 && bin.at(0, 0) == 1.0 && bin.at(5, 5) == 0.0);

    // The reference compared with itself, then moved by the arrows.
    QTest::mouseClick(w.findChild<QPushButton*>("SetRef"), Qt::LeftButton);
    QCOMPARE(score->text(), QStringLiteral("1"));
    QCOMPARE(w.picture().pixel(0, 0), qRgb(255, 255, 0));
    QTest::mouseClick(w.findChild<QToolButton*>("ShiftR"), Qt::LeftButton);
    QTest::mouseClick(w.findChild<QToolButton*>("ShiftR"), Qt::LeftButton);
    QCOMPARE(sx->text(), QStringLiteral("2"));
    QCOMPARE(w.picture().pixel(1, 10), qRgb(0, 0, 255));
    QVERIFY(score->text().toDouble() < 1.0);
    QCOMPARE(score->text().size() <= 6, true);
    QTest::mouseClick(w.findChild<QToolButton*>("ShiftU"), Qt::LeftButton);
    QCOMPARE(w.shiftY(), -1);

    // The climb finds the reference again; with "A. Set Shift" it stores it.
    QSignalSpy shift(&w, &ImgProc::imgShift);
    w.findChild<QCheckBox*>("ASetShift")->setChecked(true);
    QTest::mouseClick(w.findChild<QPushButton*>("ShiftAuto"), Qt::LeftButton);
    QCOMPARE(sx->text(), QStringLiteral("0"));
    QCOMPARE(w.shiftY(), 0);
    QCOMPARE(score->text(), QStringLiteral("1"));
    QCOMPARE(shift.count(), 1);
    sx->setText("3");
    QTest::mouseClick(w.findChild<QPushButton*>("SetShift"), Qt::LeftButton);
    QCOMPARE(shift.count(), 2);
    QCOMPARE(shift.last().at(0).toInt(), 3);

    QSignalSpy clear(&w, &ImgProc::askClearAllShifts), series(&w, &ImgProc::askAlignSeries);
    QTest::mouseClick(w.findChild<QPushButton*>("ClearAllShifts"), Qt::LeftButton);
    QTest::mouseClick(w.findChild<QPushButton*>("AlignSeries"), Qt::LeftButton);
    QCOMPARE(clear.count(), 1);
    QCOMPARE(series.count(), 1);
    image->setShift(5, 5);
    auto job = w.seriesJob({image});
    QVERIFY(job);
    QCOMPARE(job->runHere(), 1);
    QCOMPARE(QPoint(image->shiftX(), image->shiftY()), QPoint(0, 0));

    // Not comparing: the binary image through the window's own scale.
    w.findChild<QCheckBox*>("Compare")->setChecked(false);
    w.drawOnImage();
    QCOMPARE(w.picture().size(), QSize(40, 40));
    QCOMPARE(w.picture().pixel(5, 5), w.colorScale()->color(0.0).rgb());
    QCOMPARE(w.picture().pixel(0, 0), w.colorScale()->color(1.0).rgb());
    QVERIFY(w.picture().pixel(5, 5) != w.picture().pixel(0, 0));

    w.setSource(nullptr);
    QVERIFY(!w.aligner().source());
}

QTEST_MAIN(TestImgProc)
#include "tst_imgproc.moc"
