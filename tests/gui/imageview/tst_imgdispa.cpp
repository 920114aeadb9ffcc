#include "display/ColorScale.h"
#include "display/DisplayLayer.h"
#include "imageproc/ProcDispA.h"
#include "imageview/DispA.h"
#include "imageview/ImgDispA.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QtTest>
#include <cmath>
#include <memory>

namespace {

// A picture whose pixel (x, y) is (2x, 3y, number of renders) and that
// counts how often it was rendered.
class TestLayer : public DisplayLayer
{
public:
    TestLayer(int w, int h) : m_w(w), m_h(h) {}
    int layerWidth() const override { return m_w; }
    int layerHeight() const override { return m_h; }
    const QImage* layerImage() const override { return m_img.isNull() ? nullptr : &m_img; }
    void renderLayer() override
    {
        ++renders;
        m_img = QImage(m_w, m_h, QImage::Format_RGB888);
        for (int y = 0; y < m_h; ++y)
            for (int x = 0; x < m_w; ++x)
                m_img.setPixelColor(x, y, QColor((2 * x) % 256, (3 * y) % 256, renders % 256));
        pictureChanged();
    }
    bool layerRange(double& lo, double& hi) const override
    {
        if (!hasRange)
            return false;
        lo = rangeLo;
        hi = rangeHi;
        return true;
    }

    int renders = 0;
    bool hasRange = false;
    double rangeLo = 0.0;
    double rangeHi = 0.0;

private:
    int m_w, m_h;
    QImage m_img;
};

bool near(double a, double b)
{
    return std::abs(a - b) < 1e-9;
}

void sendWheel(QWidget* w, QPoint pos, int delta)
{
    QWheelEvent e(QPointF(pos), QPointF(w->mapToGlobal(pos)), QPoint(), QPoint(0, delta), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

void sendMove(QWidget* w, QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    QMouseEvent e(QEvent::MouseMove, QPointF(pos), QPointF(w->mapToGlobal(pos)), Qt::NoButton, buttons, mods);
    QApplication::sendEvent(w, &e);
}

}

class TestImgDispA : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void paintOrder();
    void wheelFactor();
    void doubleClickAndPressState();
    void setImageRendersAndSetsView();
    void leftDragSelects_data();
    void leftDragSelects();
    void rightClickClears();
    void clickWithoutMovementKeepsSelection();
    void wheelZoomsAboutMouse_data();
    void wheelZoomsAboutMouse();
    void wheelZoomDisabled();
    void shiftDragPans();
    void shiftPanDisabled();
    void altIgnoresMoves();
    void moveReportsImagePoint();
    void realMousePosIsExact();
    void selectedAreaAndZoomIn();
    void visibleImage();
    void paintsViewWindow();
    void overlaySetsDataRange();
    void rendersOnlyWhenScaleChanges();
    void procDispA();
    void squarePixels();

private:
    // A shown top-level view of `size` with a 100 x 80 image in it.
    void showView(QSize size = QSize(100, 80));
    QWindow* win() { return m_view->windowHandle(); }

    std::unique_ptr<ImgDispA> m_view;
    std::unique_ptr<TestLayer> m_layer;
    std::unique_ptr<ColorScale> m_scale;
};

void TestImgDispA::init()
{
    m_layer = std::make_unique<TestLayer>(100, 80);
    m_scale = std::make_unique<ColorScale>();
    m_view = std::make_unique<ImgDispA>();
    m_view->setScale(m_scale.get());
}

void TestImgDispA::cleanup()
{
    m_view.reset();
    m_layer.reset();
    m_scale.reset();
}

void TestImgDispA::showView(QSize size)
{
    m_view->setImage(m_layer.get());
    m_view->resize(size);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    QCOMPARE(m_view->size(), size);
}

void TestImgDispA::paintOrder()
{
    DispA d;
    QStringList order;
    QPainter* first = nullptr;
    QPainter* second = nullptr;
    connect(&d, &DispA::drawImage1, this, [&](QPainter* p) {
        order << "1";
        first = p;
    });
    connect(&d, &DispA::drawImage2, this, [&](QPainter* p) {
        order << "2";
        second = p;
    });
    d.resize(40, 30);
    const QImage img = d.grab().toImage();
    QCOMPARE(order.mid(0, 2), QStringList({"1", "2"}));
    QVERIFY(first && first == second);
    QCOMPARE(img.pixelColor(20, 15), QColor(Qt::white));
    QVERIFY(d.hasMouseTracking());
    QCOMPARE(d.frameShape(), QFrame::StyledPanel);
    QVERIFY(d.wheelZoomEnabled());
    QVERIFY(d.shiftPanEnabled());
}

void TestImgDispA::wheelFactor()
{
    DispA d;
    d.resize(50, 50);
    QSignalSpy spy(&d, &DispA::wheelMoved0);
    QCOMPARE(d.zoomFactor(), 1.0);
    sendWheel(&d, QPoint(10, 10), -120);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(d.zoomFactor(), 1.1);
    sendWheel(&d, QPoint(10, 10), 240);
    QCOMPARE(d.zoomFactor(), 1 / 1.1);
    sendWheel(&d, QPoint(10, 10), -15);  // part of a notch still says which way
    QCOMPARE(d.zoomFactor(), 1.1);
    sendWheel(&d, QPoint(10, 10), 0);  // no vertical turn: no zoom
    QCOMPARE(spy.count(), 3);
    QCOMPARE(d.zoomFactor(), 1.1);
}

void TestImgDispA::doubleClickAndPressState()
{
    DispA d;
    d.resize(60, 60);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QSignalSpy pressed(&d, &DispA::mousePressed0);
    QSignalSpy released(&d, &DispA::mouseReleased0);
    QSignalSpy dbl(&d, &DispA::mouseDoubleClicked0);
    QTest::mousePress(d.windowHandle(), Qt::RightButton, Qt::ShiftModifier, QPoint(12, 13));
    QCOMPARE(pressed.count(), 1);
    QVERIFY(d.mc()->isPressed());
    QCOMPARE(d.mc()->pressPos(), QPoint(12, 13));
    QCOMPARE(d.mc()->gesture(), 9);
    QTest::mouseRelease(d.windowHandle(), Qt::RightButton, Qt::ShiftModifier, QPoint(14, 15));
    QCOMPARE(released.count(), 1);
    QVERIFY(!d.mc()->isPressed());
    QCOMPARE(d.mc()->releasePos(), QPoint(14, 15));
    QTest::mouseDClick(d.windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 21));
    QCOMPARE(dbl.count(), 1);
    QCOMPARE(d.mc()->doubleClickPos(), QPoint(20, 21));
}

void TestImgDispA::setImageRendersAndSetsView()
{
    ImgDispA v;
    QCOMPARE(v.viewWindow().w, 0.0);
    v.setImage(m_layer.get());
    QCOMPARE(m_layer->renders, 1);
    QCOMPARE(v.viewWindow().rect(), QRectF(0, 0, 100, 80));
    // A second image keeps the view window; one with a picture is not rendered now.
    TestLayer other(300, 200);
    other.renderLayer();
    v.setViewWindow({5, 6, 7, 8});
    v.setImage(&other);
    QCOMPARE(other.renders, 1);
    QCOMPARE(v.viewWindow().rect(), QRectF(5, 6, 7, 8));
    v.resetImageViewWindow();
    QCOMPARE(v.viewWindow().rect(), QRectF(0, 0, 300, 200));
    v.setImage(nullptr);
    QVERIFY(!v.image());
    QVERIFY(v.visibleImage().isNull());
}

void TestImgDispA::leftDragSelects_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("mods");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QRectF>("selection");
    QTest::addColumn<QRectF>("view");
    const QRectF whole(0, 0, 100, 80);
    QTest::newRow("ctrl drag zooms at scale 1") << QSize(100, 80) << int(Qt::ControlModifier) << QPoint(10, 10)
                                                << QPoint(50, 40) << QRectF(10, 10, 40, 30) << QRectF(10, 10, 40, 30);
    QTest::newRow("ctrl drag backwards") << QSize(100, 80) << int(Qt::ControlModifier) << QPoint(50, 40)
                                         << QPoint(10, 10) << QRectF(10, 10, 40, 30) << QRectF(10, 10, 40, 30);
    QTest::newRow("ctrl drag at scale 2") << QSize(200, 160) << int(Qt::ControlModifier) << QPoint(20, 20)
                                          << QPoint(100, 80) << QRectF(10, 10, 40, 30) << QRectF(10, 10, 40, 30);
    QTest::newRow("plain drag selects only") << QSize(100, 80) << 0 << QPoint(10, 10) << QPoint(50, 40)
                                             << QRectF(10, 10, 40, 30) << whole;
}

void TestImgDispA::leftDragSelects()
{
    QFETCH(QSize, size);
    QFETCH(int, mods);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QRectF, selection);
    QFETCH(QRectF, view);
    showView(size);
    QSignalSpy dragged(m_view.get(), &ImgDispA::mouseDragged);
    const auto m = Qt::KeyboardModifiers(mods);
    QTest::mousePress(win(), Qt::LeftButton, m, from);
    QVERIFY(m_view->isSelecting());
    QTest::mouseMove(win(), (from + to) / 2);
    QTest::mouseMove(win(), to);
    QVERIFY(m_view->isSelecting());
    QVERIFY(!m_view->hasSelection());
    QTest::mouseRelease(win(), Qt::LeftButton, m, to);
    QVERIFY(!m_view->isSelecting());
    QVERIFY(m_view->hasSelection());
    QCOMPARE(m_view->selectedArea(), selection);
    QCOMPARE(m_view->viewWindow().rect(), view);
    QVERIFY(dragged.count() >= 2);
}

void TestImgDispA::rightClickClears()
{
    showView();
    m_view->setSelectedArea(10, 10, 30, 30);
    QVERIFY(m_view->hasSelection());
    QTest::mouseClick(win(), Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
    QVERIFY(!m_view->hasSelection());
    QVERIFY(!m_view->isSelecting());
    // The view window is not touched.
    QCOMPARE(m_view->viewWindow().rect(), QRectF(0, 0, 100, 80));
}

void TestImgDispA::clickWithoutMovementKeepsSelection()
{
    showView();
    QTest::mouseClick(win(), Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    QVERIFY(!m_view->hasSelection());
    m_view->setSelectedArea(5, 6, 25, 36);
    QTest::mouseClick(win(), Qt::LeftButton, Qt::NoModifier, QPoint(70, 70));
    QVERIFY(m_view->hasSelection());
    QCOMPARE(m_view->selectedArea(), QRectF(5, 6, 20, 30));
    // A Ctrl click does not zoom to nothing either.
    QTest::mouseClick(win(), Qt::LeftButton, Qt::ControlModifier, QPoint(70, 70));
    QCOMPARE(m_view->viewWindow().rect(), QRectF(0, 0, 100, 80));
    QCOMPARE(m_view->selectedArea(), QRectF(5, 6, 20, 30));
    // A drag along a line has no area and keeps the old selection too.
    QTest::mousePress(win(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 50));
    QTest::mouseMove(win(), QPoint(60, 50));
    QTest::mouseRelease(win(), Qt::LeftButton, Qt::NoModifier, QPoint(60, 50));
    QCOMPARE(m_view->selectedArea(), QRectF(5, 6, 20, 30));
}

void TestImgDispA::wheelZoomsAboutMouse_data()
{
    QTest::addColumn<int>("delta");
    QTest::addColumn<QPoint>("mouse");
    QTest::addColumn<QRectF>("view");
    // Toward the user (negative delta): 10 % larger about the mouse point.
    QTest::newRow("toward user") << -120 << QPoint(30, 20) << QRectF(-3, -2, 110, 88);
    QTest::newRow("toward user, centre") << -120 << QPoint(50, 40) << QRectF(-5, -4, 110, 88);
    // Away: 1/1.1 of the size.
    QTest::newRow("away") << 120 << QPoint(30, 20)
                          << QRectF(30 - 30 / 1.1, 20 - 20 / 1.1, 100 / 1.1, 80 / 1.1);
    QTest::newRow("away, corner") << 120 << QPoint(0, 0) << QRectF(0, 0, 100 / 1.1, 80 / 1.1);
}

void TestImgDispA::wheelZoomsAboutMouse()
{
    QFETCH(int, delta);
    QFETCH(QPoint, mouse);
    QFETCH(QRectF, view);
    showView();
    QTest::mouseMove(win(), mouse);
    const QPointF before = m_view->imagePoint(mouse);
    sendWheel(m_view.get(), mouse, delta);
    const ViewWindow v = m_view->viewWindow();
    QVERIFY2(near(v.x, view.x()) && near(v.y, view.y()) && near(v.w, view.width()) && near(v.h, view.height()),
             qPrintable(QString("%1 %2 %3 %4").arg(v.x).arg(v.y).arg(v.w).arg(v.h)));
    const QPointF after = m_view->imagePoint(mouse);
    QVERIFY(near(before.x(), after.x()) && near(before.y(), after.y()));
    // The chart follows the view window, so overlays land on the right pixels.
    QVERIFY(near(m_view->cc()->x0(), v.x));
    QVERIFY(near(m_view->cc()->x1(), v.x + v.w));
}

void TestImgDispA::wheelZoomDisabled()
{
    showView();
    m_view->setWheelZoomEnabled(false);
    sendWheel(m_view.get(), QPoint(30, 20), -120);
    QCOMPARE(m_view->viewWindow().rect(), QRectF(0, 0, 100, 80));
}

void TestImgDispA::shiftDragPans()
{
    showView();
    QSignalSpy moved(m_view.get(), &ImgDispA::mouseMoved);
    QTest::mousePress(win(), Qt::LeftButton, Qt::ShiftModifier, QPoint(50, 40));
    moved.clear();
    QTest::mouseMove(win(), QPoint(55, 42));
    QTest::mouseMove(win(), QPoint(60, 45));
    QTest::mouseRelease(win(), Qt::LeftButton, Qt::ShiftModifier, QPoint(60, 45));
    // The image moves with the mouse: 10 pixels right and 5 down.
    QCOMPARE(m_view->viewWindow().rect(), QRectF(-10, -5, 100, 80));
    QVERIFY(!m_view->hasSelection());
    QCOMPARE(moved.count(), 0);  // dragging is not hovering

    // Zoomed in twofold, a screen pixel is half an image pixel.
    m_view->setViewWindow({0, 0, 50, 40});
    QTest::mousePress(win(), Qt::LeftButton, Qt::ShiftModifier, QPoint(50, 40));
    QTest::mouseMove(win(), QPoint(40, 30));
    QTest::mouseRelease(win(), Qt::LeftButton, Qt::ShiftModifier, QPoint(40, 30));
    QCOMPARE(m_view->viewWindow().rect(), QRectF(5, 5, 50, 40));
}

void TestImgDispA::shiftPanDisabled()
{
    showView();
    m_view->setShiftPanEnabled(false);
    QTest::mousePress(win(), Qt::LeftButton, Qt::ShiftModifier, QPoint(50, 40));
    QTest::mouseMove(win(), QPoint(60, 45));
    QTest::mouseRelease(win(), Qt::LeftButton, Qt::ShiftModifier, QPoint(60, 45));
    QCOMPARE(m_view->viewWindow().rect(), QRectF(0, 0, 100, 80));
}

void TestImgDispA::altIgnoresMoves()
{
    showView();
    QTest::mouseMove(win(), QPoint(20, 20));
    QSignalSpy moved0(m_view.get(), &DispA::mouseMoved0);
    QSignalSpy moved(m_view.get(), &ImgDispA::mouseMoved);
    sendMove(m_view.get(), QPoint(70, 60), Qt::NoButton, Qt::AltModifier);
    QCOMPARE(moved0.count(), 0);
    QCOMPARE(moved.count(), 0);
    QCOMPARE(m_view->mc()->pos(), QPoint(20, 20));
    // Alt with a button held: no rubber band either.
    m_view->setViewWindow({0, 0, 100, 80});
    QTest::mousePress(win(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    sendMove(m_view.get(), QPoint(70, 60), Qt::LeftButton, Qt::AltModifier);
    QCOMPARE(m_view->rubberBand().size(), QSizeF(0, 0));
    QTest::mouseRelease(win(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QVERIFY(!m_view->hasSelection());
    moved0.clear();
    sendMove(m_view.get(), QPoint(70, 60), Qt::NoButton, Qt::NoModifier);
    QCOMPARE(moved0.count(), 1);
    QCOMPARE(moved.count(), 1);
}

void TestImgDispA::moveReportsImagePoint()
{
    showView();
    m_view->setViewWindow({10, 10, 40, 30});
    QSignalSpy moved(m_view.get(), &ImgDispA::mouseMoved);
    QTest::mouseMove(win(), QPoint(50, 40));
    QVERIFY(moved.count() >= 1);
    QCOMPARE(moved.last().at(0).toDouble(), 30.0);
    QCOMPARE(moved.last().at(1).toDouble(), 25.0);
}

void TestImgDispA::realMousePosIsExact()
{
    showView();
    // 100 screen pixels over 70 image pixels: screen positions cannot hit
    // every image pixel, yet the point given is reported as it is.
    m_view->setViewWindow({0, 0, 70, 56});
    QSignalSpy moved(m_view.get(), &ImgDispA::mouseMoved);
    m_view->setRealMousePos(3, 17);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.last().at(0).toDouble(), 3.0);
    QCOMPARE(moved.last().at(1).toDouble(), 17.0);
    QCOMPARE(m_view->mc()->pos(), QPoint(4, 24));  // 3 x 100/70 = 4.29, 17 x 80/56 = 24.29
    // A real move afterwards reports the point under the mouse again.
    QTest::mouseMove(win(), QPoint(60, 40));
    QCOMPARE(moved.last().at(0).toDouble(), 42.0);
    QCOMPARE(moved.last().at(1).toDouble(), 28.0);
    m_view->setScreenMousePos(10, 20);
    QCOMPARE(m_view->mc()->pos(), QPoint(10, 20));
    QCOMPARE(moved.last().at(0).toDouble(), 7.0);
    QCOMPARE(moved.last().at(1).toDouble(), 14.0);
}

void TestImgDispA::selectedAreaAndZoomIn()
{
    showView();
    m_view->setViewWAsSelectedArea();  // nothing selected: nothing happens
    QCOMPARE(m_view->viewWindow().rect(), QRectF(0, 0, 100, 80));
    m_view->setSelectedArea(40, 30, 10, 20);  // corners in either order
    QVERIFY(m_view->hasSelection());
    QCOMPARE(m_view->selectedArea(), QRectF(10, 20, 30, 10));
    m_view->setViewWAsSelectedArea();
    QCOMPARE(m_view->viewWindow().rect(), QRectF(10, 20, 30, 10));
    m_view->resetImageViewWindow();
    QCOMPARE(m_view->viewWindow().rect(), QRectF(0, 0, 100, 80));
    m_view->setSelectedArea(5, 5, 5, 30);  // no width
    m_view->setViewWAsSelectedArea();
    QCOMPARE(m_view->viewWindow().rect(), QRectF(0, 0, 100, 80));
}

void TestImgDispA::visibleImage()
{
    showView();
    QCOMPARE(m_view->visibleImage().size(), QSize(100, 80));
    m_view->setViewWindow({10, 10, 40, 30});
    const QImage part = m_view->visibleImage();
    QCOMPARE(part.size(), QSize(41, 31));
    QCOMPARE(part.pixelColor(0, 0), m_layer->layerImage()->pixelColor(10, 10));
    QCOMPARE(part.pixelColor(40, 30), m_layer->layerImage()->pixelColor(50, 40));
    // With the overlay the result layer is what is shown and saved.
    TestLayer result(100, 80);
    result.renderLayer();
    result.renderLayer();
    m_view->setResultLayer(&result);
    m_view->setShowOverlayer(true);
    QCOMPARE(m_view->visibleImage().pixelColor(0, 0).blue(), 2);
    m_view->setResultLayer(nullptr);
    QVERIFY(m_view->visibleImage().isNull());
}

void TestImgDispA::paintsViewWindow()
{
    showView();
    m_view->setViewWindow({10, 10, 40, 30});
    const QImage shot = m_view->grab().toImage();
    // Screen (50, 40) shows image pixel (30, 25).
    const QColor c = shot.pixelColor(50, 40);
    QCOMPARE(c.red(), 60);
    QCOMPARE(c.green(), 75);
    m_view->setImage(nullptr);
    QCOMPARE(m_view->grab().toImage().pixelColor(50, 40), QColor(Qt::white));
}

void TestImgDispA::overlaySetsDataRange()
{
    showView();
    TestLayer result(100, 80);
    result.renderLayer();
    result.hasRange = true;
    result.rangeLo = 3.0;
    result.rangeHi = 7.5;
    m_view->setResultLayer(&result);
    QSignalSpy range(m_scale.get(), &ColorScale::dataRangeChanged);
    m_view->grab();
    QCOMPARE(range.count(), 0);  // overlay off: the image is shown
    m_view->setShowOverlayer(true);
    QVERIFY(m_view->showOverlayer());
    m_view->grab();
    QCOMPARE(m_scale->dataMin(), 3.0);
    QCOMPARE(m_scale->dataMax(), 7.5);
    QCOMPARE(range.count(), 1);
    m_view->grab();
    QCOMPARE(range.count(), 1);  // unchanged range: no new signal
    QCOMPARE(m_view->grab().toImage().pixelColor(50, 40).blue(), 1);
    // The global scale is the default one.
    ImgDispA plain;
    QCOMPARE(plain.scale(), ColorScale::global());
}

void TestImgDispA::rendersOnlyWhenScaleChanges()
{
    showView();
    m_view->grab();
    const int n = m_layer->renders;
    m_view->grab();
    m_view->grab();
    QCOMPARE(m_layer->renders, n);
    m_scale->setLo(0.3);
    m_view->grab();
    QCOMPARE(m_layer->renders, n + 1);
    // The picture rendered again in place (same QImage object) shows at once,
    // not the view's kept drawing of the old one.
    QCOMPARE(m_view->grab().toImage().pixelColor(50, 40).blue(), (n + 1) % 256);
    m_layer->renderLayer();
    QCOMPARE(m_view->grab().toImage().pixelColor(50, 40).blue(), (n + 2) % 256);
    m_view->grab();
    QCOMPARE(m_layer->renders, n + 2);
    // Another image is rendered when first drawn, through the current scale.
    TestLayer other(100, 80);
    other.renderLayer();
    m_view->setImage(&other);
    m_view->grab();
    QCOMPARE(other.renders, 2);
}

void TestImgDispA::procDispA()
{
    ProcDispA d;
    d.resize(100, 80);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QImage img(50, 40, QImage::Format_RGB888);
    img.fill(QColor(10, 20, 30));
    d.setImage(&img);
    QCOMPARE(d.viewWindow().rect(), QRectF(0, 0, 50, 40));
    QSignalSpy moved(&d, &ProcDispA::mouseMoved);
    QTest::mouseMove(d.windowHandle(), QPoint(20, 40));
    QVERIFY(moved.count() >= 1);
    QCOMPARE(moved.last().at(0).toDouble(), 10.0);
    QCOMPARE(moved.last().at(1).toDouble(), 20.0);
    sendWheel(&d, QPoint(20, 40), -120);
    const ViewWindow v = d.viewWindow();
    QVERIFY(near(v.w, 55) && near(v.h, 44) && near(v.x, -1) && near(v.y, -2));
    QCOMPARE(d.grab().toImage().pixelColor(50, 40), QColor(10, 20, 30));
    d.setImage(nullptr);
    QCOMPARE(d.grab().toImage().pixelColor(50, 40), QColor(Qt::white));
}

void TestImgDispA::squarePixels()
{
    // A 100 x 80 image in a 300 x 80 view: 100 grey columns each side.
    showView(QSize(300, 80));
    const QImage shot = m_view->grab().toImage();
    QCOMPARE(shot.pixelColor(50, 40), QColor(224, 224, 224));
    QCOMPARE(shot.pixelColor(250, 40), QColor(224, 224, 224));
    QCOMPARE(shot.pixelColor(100 + 30, 25), m_layer->layerImage()->pixelColor(30, 25));
    // The mouse reads the pixel it is on, and outside the image past its edge.
    QSignalSpy moved(m_view.get(), &ImgDispA::mouseMoved);
    QTest::mouseMove(win(), QPoint(130, 25));
    QCOMPARE(moved.last().at(0).toDouble(), 30.0);
    QCOMPARE(moved.last().at(1).toDouble(), 25.0);
    QCOMPARE(m_view->screenPointOf(QPointF(30, 25)), QPointF(130, 25));
    // The work area stays the image itself; zooming keeps the pixels square.
    QCOMPARE(m_view->viewWindow().rect(), QRectF(0, 0, 100, 80));
    sendWheel(m_view.get(), QPoint(130, 25), 120);
    const ViewWindow s = m_view->shownWindow();
    QVERIFY(near(300.0 / s.w, 80.0 / s.h));
    QVERIFY(near(m_view->imagePoint(QPoint(130, 25)).x(), 30.0));
}

QTEST_MAIN(TestImgDispA)
#include "tst_imgdispa.moc"
