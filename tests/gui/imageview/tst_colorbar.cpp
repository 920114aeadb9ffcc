#include "display/ColorScale.h"
#include "imageview/ColorBar.h"

#include <QSignalSpy>
#include <QtTest>
#include <memory>

class TestColorBar : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void defaults();
    void dragMovesNearerLimit_data();
    void dragMovesNearerLimit();
    void limitsMayCross();
    void stripRows_data();
    void stripRows();
    void limitLines();
    void colorOfH_data();
    void colorOfH();
    void followsScale();

private:
    void showBar(QSize size);
    QWindow* win() { return m_bar->windowHandle(); }

    std::unique_ptr<ColorScale> m_scale;
    std::unique_ptr<ColorBar> m_bar;
};

void TestColorBar::init()
{
    m_scale = std::make_unique<ColorScale>();
    m_bar = std::make_unique<ColorBar>();
    m_bar->setScale(m_scale.get());
}

void TestColorBar::cleanup()
{
    m_bar.reset();
    m_scale.reset();
}

void TestColorBar::showBar(QSize size)
{
    m_bar->resize(size);
    m_bar->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_bar.get()));
    QCOMPARE(m_bar->size(), size);
}

void TestColorBar::defaults()
{
    ColorBar bar;
    QCOMPARE(bar.scale(), ColorScale::global());
    QCOMPARE(bar.pixmap().size(), QSize(20, 600));
    QVERIFY(!bar.isDragging());
    QCOMPARE(bar.format(), int(QImage::Format_Grayscale8));
}

void TestColorBar::dragMovesNearerLimit_data()
{
    QTest::addColumn<int>("pressY");
    QTest::addColumn<int>("moveY");
    QTest::addColumn<double>("lo");
    QTest::addColumn<double>("hi");
    QTest::addColumn<int>("updating");
    // Height 300, lo 0.25, hi 0.75; the fraction of row y is (300 - y) / 300.
    QTest::newRow("near hi") << 75 << 30 << 0.25 << 0.9 << 1;
    QTest::newRow("near lo") << 255 << 270 << 0.1 << 0.75 << 1;
    QTest::newRow("far above hi") << 0 << 150 << 0.25 << 0.5 << 1;
    QTest::newRow("tie: nothing moves") << 150 << 30 << 0.25 << 0.75 << 0;
}

void TestColorBar::dragMovesNearerLimit()
{
    QFETCH(int, pressY);
    QFETCH(int, moveY);
    QFETCH(double, lo);
    QFETCH(double, hi);
    QFETCH(int, updating);
    showBar(QSize(30, 300));
    m_scale->setLimits(0.25, 0.75);
    QSignalSpy updatingSpy(m_bar.get(), &ColorBar::cBarUpdating);
    QSignalSpy updatedSpy(m_bar.get(), &ColorBar::cBarUpdated);
    QTest::mousePress(win(), Qt::LeftButton, Qt::NoModifier, QPoint(15, pressY));
    QCOMPARE(m_bar->isDragging(), updating > 0);
    QTest::mouseMove(win(), QPoint(15, moveY));
    QCOMPARE(updatingSpy.count(), updating);
    QCOMPARE(updatedSpy.count(), 0);
    QTest::mouseRelease(win(), Qt::LeftButton, Qt::NoModifier, QPoint(15, moveY));
    QCOMPARE(updatedSpy.count(), 1);
    QVERIFY(!m_bar->isDragging());
    QCOMPARE(m_scale->lo(), lo);
    QCOMPARE(m_scale->hi(), hi);
    QCOMPARE(m_bar->lo(), lo);
    // Moving without a button changes nothing.
    QTest::mouseMove(win(), QPoint(15, 10));
    QCOMPARE(m_scale->hi(), hi);
    QCOMPARE(updatingSpy.count(), updating);
}

void TestColorBar::limitsMayCross()
{
    showBar(QSize(30, 300));
    m_scale->setLimits(0.2, 0.8);
    QTest::mousePress(win(), Qt::LeftButton, Qt::NoModifier, QPoint(15, 240));  // 0.2: lo
    QTest::mouseMove(win(), QPoint(15, 120));
    QTest::mouseMove(win(), QPoint(15, 15));  // 0.95, beyond hi
    QTest::mouseRelease(win(), Qt::LeftButton, Qt::NoModifier, QPoint(15, 15));
    QCOMPARE(m_scale->lo(), 0.95);
    QCOMPARE(m_scale->hi(), 0.8);
}

void TestColorBar::stripRows_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("row");
    QTest::addColumn<QColor>("color");
    // Row n shows fraction (599 - n) / 600.
    const int grey = QImage::Format_Grayscale8;
    QTest::newRow("grey row 100") << grey << 100 << QColor(212, 212, 212);
    QTest::newRow("grey row 500") << grey << 500 << QColor(42, 42, 42);
    QTest::newRow("grey row 200") << grey << 200 << QColor(170, 170, 170);
    QTest::newRow("rgb row 300") << int(QImage::Format_RGB888) << 300 << QColor(255, 126, 0);
    QTest::newRow("rgb row 100") << int(QImage::Format_RGB888) << 100 << QColor(255, 255, 127);
    QTest::newRow("rgb row 540") << int(QImage::Format_RGB888) << 540 << QColor(75, 0, 0);
}

void TestColorBar::stripRows()
{
    QFETCH(int, format);
    QFETCH(int, row);
    QFETCH(QColor, color);
    m_bar->setFormat(format);
    QCOMPARE(m_bar->format(), format);
    const QImage strip = m_bar->pixmap().toImage();
    QCOMPARE(strip.pixelColor(2, row), color);
    QCOMPARE(strip.pixelColor(17, row), color);
}

void TestColorBar::limitLines()
{
    m_scale->setLimits(0.25, 0.75);
    const QImage strip = m_bar->pixmap().toImage();
    const QColor line(0, 192, 255);
    QCOMPARE(strip.pixelColor(10, 150), line);  // trunc((1 - 0.75) x 600)
    QCOMPARE(strip.pixelColor(10, 450), line);  // trunc((1 - 0.25) x 600)
    QVERIFY(strip.pixelColor(10, 151) != line);
    QVERIFY(strip.pixelColor(10, 300) != line);
    // Values below lo are black and above hi white.
    QCOMPARE(strip.pixelColor(10, 500), QColor(0, 0, 0));
    QCOMPARE(strip.pixelColor(10, 100), QColor(255, 255, 255));
    // Limits far outside the bar draw no line and do not break the painting.
    m_scale->setLimits(-1e300, 1e300);
    QCOMPARE(m_bar->pixmap().toImage().pixelColor(10, 300).red(), 128);
}

void TestColorBar::colorOfH_data()
{
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("grey");
    QTest::newRow("middle") << 150 << 128;
    QTest::newRow("top") << 300 << 255;
    QTest::newRow("below") << -5 << 0;
    QTest::newRow("above") << 1000 << 255;
}

void TestColorBar::colorOfH()
{
    QFETCH(int, h);
    QFETCH(int, grey);
    m_bar->resize(30, 300);
    QCOMPARE(m_bar->colorOfH(h), QColor(grey, grey, grey));
}

void TestColorBar::followsScale()
{
    showBar(QSize(30, 600));
    const QImage before = m_bar->pixmap().toImage();
    m_bar->setDataRange(12345, 67890);
    QCOMPARE(m_scale->dataMin(), 12345.0);
    QCOMPARE(m_scale->dataMax(), 67890.0);
    // The strip stays; the labels beside it (plain, horizontal) follow.
    const QImage after = m_bar->pixmap().toImage();
    QCOMPARE(before, after);
    m_bar->setCaption(QStringLiteral("Energy shift [eV]"));
    const QImage labelled = m_bar->labelledPicture();
    QCOMPARE(labelled.height(), 600);
    QVERIFY(labelled.width() > 20);
    QCOMPARE(labelled.pixelColor(10, 300), after.pixelColor(10, 300));
    int dark = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 24; x < labelled.width(); ++x)
            dark += labelled.pixelColor(x, y).value() < 128 ? 1 : 0;
    QVERIFY2(dark > 100, qPrintable(QString::number(dark)));   // numbers and caption in black
    m_bar->setDataRange(1, 2);
    QVERIFY(m_bar->labelledPicture() != labelled);
    // Limits set elsewhere show up on the bar.
    m_scale->setLimits(0.5, 0.875);
    QCOMPARE(m_bar->pixmap().toImage().pixelColor(10, 75), QColor(0, 192, 255));
    // The painted widget is the strip stretched over it.
    const QImage shot = m_bar->grab().toImage();
    QCOMPARE(shot.pixelColor(15, 400), m_bar->pixmap().toImage().pixelColor(10, 400));
    // A bar given another scale leaves the first one alone.
    ColorScale other;
    m_bar->setScale(&other);
    m_scale->setLimits(0.1, 0.2);
    QCOMPARE(m_bar->lo(), 0.0);
}

QTEST_MAIN(TestColorBar)
#include "tst_colorbar.moc"
