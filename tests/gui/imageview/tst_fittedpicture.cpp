#include "imageview/FittedPicture.h"

#include <QPainter>
#include <QtTest>

namespace {

// A picture with a different colour at every pixel, in the 8-bit grey format
// the detector images use.
QImage greyPicture(int w, int h)
{
    QImage img(w, h, QImage::Format_Grayscale8);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.scanLine(y)[x] = uchar((7 * x + 13 * y) % 256);
    return img;
}

FittedPicture::Key keyFor(const QImage& picture, QRectF source, QRectF target, QSize widget)
{
    FittedPicture::Key k;
    k.generation = 1;
    k.picture = &picture;
    k.source = source;
    k.target = target;
    k.widgetSize = widget;
    k.background = QColor(224, 224, 224);
    return k;
}

// What the view drew before the drawing was kept: fill, then one scaled drawImage.
QImage drawnDirectly(const QImage& picture, const FittedPicture::Key& k)
{
    QImage out(k.widgetSize, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.fillRect(QRect(QPoint(0, 0), k.widgetSize), k.background);
    if (!k.source.isEmpty())
        p.drawImage(k.target, picture, k.source);
    return out;
}

QImage drawnThrough(FittedPicture& f, const QImage& picture, const FittedPicture::Key& k)
{
    QImage out(k.widgetSize, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    f.draw(&p, picture, k);
    return out;
}

}

class TestFittedPicture : public QObject
{
    Q_OBJECT
private slots:
    void samePixelsAsDirectDrawing_data();
    void samePixelsAsDirectDrawing();
    void redrawsOnlyWhenKeyChanges_data();
    void redrawsOnlyWhenKeyChanges();
};

void TestFittedPicture::samePixelsAsDirectDrawing_data()
{
    QTest::addColumn<QSize>("pictureSize");
    QTest::addColumn<QRectF>("source");
    QTest::addColumn<QRectF>("target");
    QTest::addColumn<QSize>("widget");
    QTest::newRow("shrunk, grey beside") << QSize(300, 300) << QRectF(0, 0, 300, 300)
                                         << QRectF(60.5, 0, 117, 117) << QSize(240, 117);
    QTest::newRow("zoomed part, fractional") << QSize(100, 80) << QRectF(10.25, 7.5, 33.5, 21)
                                             << QRectF(0, 0.4, 200.3, 125.6) << QSize(201, 127);
    QTest::newRow("one to one") << QSize(64, 48) << QRectF(0, 0, 64, 48) << QRectF(0, 0, 64, 48) << QSize(64, 48);
    QTest::newRow("nothing of the picture in view") << QSize(64, 48) << QRectF() << QRectF() << QSize(50, 40);
}

void TestFittedPicture::samePixelsAsDirectDrawing()
{
    QFETCH(QSize, pictureSize);
    QFETCH(QRectF, source);
    QFETCH(QRectF, target);
    QFETCH(QSize, widget);
    const QImage picture = greyPicture(pictureSize.width(), pictureSize.height());
    const FittedPicture::Key k = keyFor(picture, source, target, widget);
    FittedPicture f;
    const QImage expected = drawnDirectly(picture, k);
    QCOMPARE(drawnThrough(f, picture, k), expected);
    // Drawn again from the kept drawing: still the same pixels.
    QCOMPARE(drawnThrough(f, picture, k), expected);
    QCOMPARE(f.redraws(), 1);
}

void TestFittedPicture::redrawsOnlyWhenKeyChanges_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<bool>("redrawn");
    QTest::newRow("nothing") << 0 << false;
    QTest::newRow("picture rendered again") << 1 << true;
    QTest::newRow("another part shown") << 2 << true;
    QTest::newRow("another place") << 3 << true;
    QTest::newRow("widget resized") << 4 << true;
    QTest::newRow("another background") << 5 << true;
    QTest::newRow("another picture") << 6 << true;
}

void TestFittedPicture::redrawsOnlyWhenKeyChanges()
{
    QFETCH(int, change);
    QFETCH(bool, redrawn);
    QImage picture = greyPicture(40, 30);
    const QImage other = greyPicture(40, 30);
    FittedPicture::Key k = keyFor(picture, QRectF(0, 0, 40, 30), QRectF(0, 0, 80, 60), QSize(90, 60));
    FittedPicture f;
    drawnThrough(f, picture, k);
    QCOMPARE(f.redraws(), 1);
    const QImage* shown = &picture;
    switch (change) {
    case 1:
        // Rendered in place: the same picture object with new pixels.
        picture.fill(uchar(200));
        ++k.generation;
        break;
    case 2: k.source = QRectF(5, 5, 20, 15); break;
    case 3: k.target = QRectF(5, 0, 80, 60); break;
    case 4: k.widgetSize = QSize(100, 60); break;
    case 5: k.background = Qt::black; break;
    case 6:
        shown = &other;
        k.picture = &other;
        break;
    default: break;
    }
    const QImage out = drawnThrough(f, *shown, k);
    QCOMPARE(f.redraws(), redrawn ? 2 : 1);
    // What shows is always what a direct drawing gives now.
    QCOMPARE(out, drawnDirectly(*shown, k));
}

QTEST_MAIN(TestFittedPicture)
#include "tst_fittedpicture.moc"
