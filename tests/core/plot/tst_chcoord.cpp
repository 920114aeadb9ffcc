#include "display/ViewWindow.h"
#include "plot/ChCoord.h"

#include <QtTest>
#include <cmath>

class TestChCoord : public QObject
{
    Q_OBJECT
private slots:
    void margins_data();
    void margins();
    void mapping_data();
    void mapping();
    void clamped();
    void nearEdge_data();
    void nearEdge();
    void ticks_data();
    void ticks();
    void ticksInvalid();
    void viewImagePoint();
    void viewZoomKeepsPointFixed_data();
    void viewZoomKeepsPointFixed();
    void viewPixelRect_data();
    void viewPixelRect();
    void viewFittedTo_data();
    void viewFittedTo();
};

void TestChCoord::margins_data()
{
    QTest::addColumn<QRectF>("screen");  // (sx0, sy0) - (sx1, sy1) as left/top/right/bottom
    QTest::addColumn<double>("ix0");
    QTest::addColumn<double>("ix1");
    QTest::addColumn<double>("iy0");
    QTest::addColumn<double>("iy1");
    // Plots put sy0 at the bottom: 10 % left and bottom, 5 % right and top.
    QTest::newRow("plot 500x300") << QRectF(QPointF(0, 300), QPointF(500, 0)) << 50.0 << 475.0 << 270.0 << 15.0;
    // Margins are truncated to whole pixels, toward zero also when negative.
    QTest::newRow("odd sizes") << QRectF(QPointF(0, 301), QPointF(333, 0)) << 33.0 << 317.0 << 271.0 << 15.0;
    QTest::newRow("offset") << QRectF(QPointF(100, 200), QPointF(300, 100)) << 120.0 << 290.0 << 190.0 << 105.0;
}

void TestChCoord::margins()
{
    QFETCH(QRectF, screen);
    ChCoord c;
    c.setScreen(screen.left(), screen.top(), screen.right(), screen.bottom());
    QCOMPARE(c.ix0(), screen.left());  // before margins the inner rectangle is the screen
    QCOMPARE(c.iy0(), screen.top());
    c.applyMargins();
    QTEST(c.ix0(), "ix0");
    QTEST(c.ix1(), "ix1");
    QTEST(c.iy0(), "iy0");
    QTEST(c.iy1(), "iy1");
    QCOMPARE(c.sx0(), screen.left());
}

void TestChCoord::mapping_data()
{
    QTest::addColumn<QRectF>("screen");
    QTest::addColumn<bool>("withMargins");
    QTest::addColumn<QRectF>("range");  // (x0, y0) - (x1, y1)
    QTest::addColumn<QPointF>("data");
    QTest::addColumn<QPointF>("screenPt");
    QTest::addColumn<QPointF>("lengthData");
    QTest::addColumn<QPointF>("lengthScreen");
    QTest::newRow("image at scale 1") << QRectF(0, 0, 100, 80) << false << QRectF(0, 0, 100, 80)
                                      << QPointF(10, 20) << QPointF(10, 20) << QPointF(5, 5) << QPointF(5, 5);
    QTest::newRow("zoomed view") << QRectF(0, 0, 100, 80) << false << QRectF(QPointF(10, 10), QPointF(50, 40))
                                 << QPointF(30, 25) << QPointF(50, 40) << QPointF(4, 3) << QPointF(10, 8);
    QTest::newRow("plot with margins") << QRectF(QPointF(0, 300), QPointF(500, 0)) << true
                                       << QRectF(QPointF(7000, 0), QPointF(7600, 1)) << QPointF(7300, 0.5)
                                       << QPointF(262.5, 142.5) << QPointF(120, 0.2) << QPointF(85, -51);
}

void TestChCoord::mapping()
{
    QFETCH(QRectF, screen);
    QFETCH(bool, withMargins);
    QFETCH(QRectF, range);
    QFETCH(QPointF, data);
    QFETCH(QPointF, screenPt);
    QFETCH(QPointF, lengthData);
    QFETCH(QPointF, lengthScreen);
    ChCoord c;
    c.setScreen(screen.left(), screen.top(), screen.right(), screen.bottom());
    if (withMargins)
        c.applyMargins();
    c.setRange(range.left(), range.top(), range.right(), range.bottom());
    QCOMPARE(c.screenX(data.x()), screenPt.x());
    QCOMPARE(c.screenY(data.y()), screenPt.y());
    QCOMPARE(c.realX(screenPt.x()), data.x());
    QCOMPARE(c.realY(screenPt.y()), data.y());
    QCOMPARE(c.screenLengthX(lengthData.x()), lengthScreen.x());
    QCOMPARE(c.screenLengthY(lengthData.y()), lengthScreen.y());
    QCOMPARE(c.realLengthX(lengthScreen.x()), lengthData.x());
    QCOMPARE(c.realLengthY(lengthScreen.y()), lengthData.y());
}

void TestChCoord::clamped()
{
    ChCoord c;
    c.setScreen(0, 0, 100, 80);
    c.setRange(10, 40, 50, 10);  // y runs backwards
    QCOMPARE(c.realXClamped(-30), 10.0);
    QCOMPARE(c.realXClamped(500), 50.0);
    QCOMPARE(c.realXClamped(50), 30.0);
    QCOMPARE(c.realYClamped(-1), 40.0);
    QCOMPARE(c.realYClamped(200), 10.0);
    QCOMPARE(c.realYClamped(40), 25.0);
}

void TestChCoord::nearEdge_data()
{
    QTest::addColumn<double>("x0");
    QTest::addColumn<double>("x1");
    QTest::addColumn<double>("x");
    QTest::addColumn<bool>("near");
    QTest::newRow("inside low band") << 0.0 << 100.0 << 5.0 << true;
    QTest::newRow("at band edge") << 0.0 << 100.0 << 10.0 << true;
    QTest::newRow("just inside") << 0.0 << 100.0 << 11.0 << false;
    QTest::newRow("middle") << 0.0 << 100.0 << 50.0 << false;
    QTest::newRow("high band") << 0.0 << 100.0 << 95.0 << true;
    QTest::newRow("below") << 0.0 << 100.0 << -1.0 << true;
    QTest::newRow("above") << 0.0 << 100.0 << 101.0 << true;
    QTest::newRow("reversed middle") << 100.0 << 0.0 << 50.0 << false;
    QTest::newRow("reversed band") << 100.0 << 0.0 << 93.0 << true;
}

void TestChCoord::nearEdge()
{
    QFETCH(double, x0);
    QFETCH(double, x1);
    QFETCH(double, x);
    QFETCH(bool, near);
    ChCoord c;
    c.setRange(x0, x0, x1, x1);
    QCOMPARE(c.nearXEdge(x), near);
    QCOMPARE(c.nearYEdge(x), near);
    c.setEdgeTolerance(0.0, 0.0);
    QCOMPARE(c.nearXEdge(50.0), false);
    QCOMPARE(c.nearXEdge(x0), true);
}

void TestChCoord::ticks_data()
{
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<double>("step");
    QTest::addColumn<double>("first");
    QTest::addColumn<double>("last");
    QTest::addColumn<int>("count");
    QTest::newRow("7000..7600") << 7000.0 << 7600.0 << 100.0 << 7000.0 << 7600.0 << 7;
    QTest::newRow("0..1") << 0.0 << 1.0 << 0.2 << 0.0 << 1.0 << 6;
    QTest::newRow("0..10") << 0.0 << 10.0 << 2.0 << 0.0 << 10.0 << 6;
    QTest::newRow("3..12") << 3.0 << 12.0 << 2.0 << 4.0 << 12.0 << 5;
    QTest::newRow("0..3") << 0.0 << 3.0 << 0.5 << 0.0 << 3.0 << 7;
    QTest::newRow("0..5") << 0.0 << 5.0 << 1.0 << 0.0 << 5.0 << 6;
    QTest::newRow("1.5..1234.5") << 1.5 << 1234.5 << 200.0 << 200.0 << 1200.0 << 6;
    QTest::newRow("negative") << -7.3 << -2.1 << 1.0 << -7.0 << -3.0 << 5;
    QTest::newRow("reversed") << 8000.0 << 7400.0 << 100.0 << 7400.0 << 8000.0 << 7;
    // Below 1 the decade is taken with floor, so the table index stays in range.
    QTest::newRow("0..0.5") << 0.0 << 0.5 << 0.1 << 0.0 << 0.5 << 6;
    QTest::newRow("0..0.3 (0.3/0.1 < 3 in binary)") << 0.0 << 0.3 << 0.05 << 0.0 << 0.3 << 7;
    QTest::newRow("just below 1") << 0.0 << 0.999999 << 0.2 << 0.0 << 0.8 << 5;
    QTest::newRow("0.0012..0.0019") << 0.0012 << 0.0019 << 0.0001 << 0.0012 << 0.0019 << 8;
}

void TestChCoord::ticks()
{
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(double, step);
    QFETCH(double, first);
    QFETCH(double, last);
    QFETCH(int, count);
    const ChTicks t = ChCoord::ticks(a, b);
    QVERIFY(t.isValid());
    QVERIFY(std::abs(t.step - step) < 1e-12 * step);
    QVERIFY2(std::abs(t.first - first) < 1e-9 * step, qPrintable(QString::number(t.first, 'g', 17)));
    QVERIFY2(std::abs(t.last - last) < 1e-9 * step, qPrintable(QString::number(t.last, 'g', 17)));
    QCOMPARE(t.count(), count);
    QCOMPARE(ChCoord::tickStep(a, b), t.step);
}

void TestChCoord::viewImagePoint()
{
    const ViewWindow v{10, 10, 40, 30};
    QCOMPARE(v.imagePoint(50, 40, 100, 80), QPointF(30, 25));
    QCOMPARE(v.imagePoint(0, 0, 100, 80), QPointF(10, 10));
    // A widget of no size must not divide by zero.
    const QPointF p = v.imagePoint(3, 3, 0, 0);
    QVERIFY(std::isfinite(p.x()) && std::isfinite(p.y()));
}

void TestChCoord::ticksInvalid()
{
    QVERIFY(!ChCoord::ticks(5, 5).isValid());
    QCOMPARE(ChCoord::ticks(5, 5).count(), 0);
    QVERIFY(!ChCoord::ticks(0, std::nan("")).isValid());
    QVERIFY(!ChCoord::ticks(0, HUGE_VAL).isValid());
}

void TestChCoord::viewZoomKeepsPointFixed_data()
{
    QTest::addColumn<double>("factor");
    QTest::addColumn<QPointF>("mouse");
    QTest::newRow("out about centre") << 1.1 << QPointF(50, 40);
    QTest::newRow("in about corner") << 1 / 1.1 << QPointF(0, 0);
    QTest::newRow("in off centre") << 1 / 1.1 << QPointF(73, 11);
    QTest::newRow("out off centre") << 1.1 << QPointF(99, 79);
}

void TestChCoord::viewZoomKeepsPointFixed()
{
    QFETCH(double, factor);
    QFETCH(QPointF, mouse);
    ViewWindow v{5, 7, 60, 45};
    const QPointF before = v.imagePoint(mouse.x(), mouse.y(), 100, 80);
    v.zoomAbout(mouse.x(), mouse.y(), 100, 80, factor);
    const QPointF after = v.imagePoint(mouse.x(), mouse.y(), 100, 80);
    QVERIFY(std::abs(before.x() - after.x()) < 1e-9);
    QVERIFY(std::abs(before.y() - after.y()) < 1e-9);
    QVERIFY(std::abs(v.w - 60 * factor) < 1e-12);
    QVERIFY(std::abs(v.h - 45 * factor) < 1e-12);
}

void TestChCoord::viewPixelRect_data()
{
    QTest::addColumn<QRectF>("view");
    QTest::addColumn<QRect>("pixels");
    // Both ends are included, so a 40 x 30 window spans 41 x 31 pixels.
    QTest::newRow("inside") << QRectF(10, 10, 40, 30) << QRect(10, 10, 41, 31);
    QTest::newRow("whole image stays the image") << QRectF(0, 0, 100, 80) << QRect(0, 0, 100, 80);
    QTest::newRow("zoomed out") << QRectF(-5, -4, 110, 88) << QRect(0, 0, 100, 80);
    QTest::newRow("fractional") << QRectF(2.7, 3.2, 10.6, 5.5) << QRect(QPoint(2, 3), QPoint(13, 8));
    QTest::newRow("negative size") << QRectF(50, 40, -40, -30) << QRect(10, 10, 41, 31);
    QTest::newRow("outside") << QRectF(200, 10, 40, 30) << QRect();
    QTest::newRow("huge") << QRectF(-1e300, -1e300, 2e300, 2e300) << QRect(0, 0, 100, 80);
    QTest::newRow("nan") << QRectF(std::nan(""), 0, 10, 10) << QRect();
}

void TestChCoord::viewPixelRect()
{
    QFETCH(QRectF, view);
    QFETCH(QRect, pixels);
    const QRect r = ViewWindow::fromRect(view).pixelRect(100, 80);
    if (pixels.isNull())
        QVERIFY(r.isEmpty());
    else
        QCOMPARE(r, pixels);
}

QTEST_GUILESS_MAIN(TestChCoord)
#include "tst_chcoord.moc"

void TestChCoord::viewFittedTo_data()
{
    QTest::addColumn<QRectF>("view");
    QTest::addColumn<QSizeF>("widget");
    QTest::addColumn<QRectF>("shown");
    QTest::newRow("same shape") << QRectF(0, 0, 100, 80) << QSizeF(200, 160) << QRectF(0, 0, 100, 80);
    // A square image in a wide view: columns are added on both sides.
    QTest::newRow("wide widget") << QRectF(0, 0, 256, 256) << QSizeF(878, 398)
                                 << QRectF(128 - 256 * 878.0 / 398 / 2, 0, 256 * 878.0 / 398, 256);
    // ... and rows above and below in a tall one.
    QTest::newRow("tall widget") << QRectF(10, 20, 40, 30) << QSizeF(100, 150) << QRectF(10, 5, 40, 60);
    QTest::newRow("no widget") << QRectF(1, 2, 3, 4) << QSizeF(0, 0) << QRectF(1, 2, 3, 4);
    QTest::newRow("empty view") << QRectF(0, 0, 0, 0) << QSizeF(100, 80) << QRectF(0, 0, 0, 0);
}

void TestChCoord::viewFittedTo()
{
    QFETCH(QRectF, view);
    QFETCH(QSizeF, widget);
    QFETCH(QRectF, shown);
    const ViewWindow v = ViewWindow::fromRect(view).fittedTo(widget.width(), widget.height());
    QVERIFY2(std::abs(v.x - shown.x()) < 1e-9 && std::abs(v.y - shown.y()) < 1e-9
                 && std::abs(v.w - shown.width()) < 1e-9 && std::abs(v.h - shown.height()) < 1e-9,
             qPrintable(QString("%1 %2 %3 %4").arg(v.x).arg(v.y).arg(v.w).arg(v.h)));
    if (!v.isEmpty() && widget.width() > 0) {
        // Square pixels: one image pixel spans as many screen pixels either way.
        QVERIFY(std::abs(widget.width() / v.w - widget.height() / v.h) < 1e-9);
        QCOMPARE(v.rect().center(), view.center());
    }
}
