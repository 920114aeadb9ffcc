#include "imageview/FittedPicture.h"

#include <QPainter>
#include <QtTest>

// Draws through `f` (or, without one, fills and scales straight onto the
// widget, as the view used to) into an image of the widget's size.
static QImage drawn(FittedPicture* f, const QImage& picture, const FittedPicture::Key& k)
{
    QImage out(k.widgetSize, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    if (f) {
        f->draw(&p, picture, k);
    } else {
        p.fillRect(QRect(QPoint(0, 0), k.widgetSize), k.background);
        if (!k.source.isEmpty())
            p.drawImage(k.target, picture, k.source);
    }
    return out;
}

class TestFittedPicture : public QObject
{
    Q_OBJECT
private slots:
    void redrawsOnlyWhenKeyChanges_data()
    {
        QTest::addColumn<int>("change");
        QTest::addColumn<bool>("redrawn");
        QTest::newRow("nothing") << 0 << false;
        QTest::newRow("picture rendered again in place") << 1 << true;
        QTest::newRow("another part, nothing of it in view") << 2 << true;
        QTest::newRow("another place") << 3 << true;
        QTest::newRow("widget resized") << 4 << true;
        QTest::newRow("another background") << 5 << true;
    }
    void redrawsOnlyWhenKeyChanges()
    {
        QFETCH(int, change);
        QFETCH(bool, redrawn);
        // An 8-bit grey picture, every pixel different, shrunk at fractional places.
        QImage picture(100, 80, QImage::Format_Grayscale8);
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 100; ++x)
                picture.scanLine(y)[x] = uchar((7 * x + 13 * y) % 256);
        FittedPicture::Key k{1, &picture, QRectF(10.25, 7.5, 83.5, 61), QRectF(20.5, 0.4, 60.3, 45.6),
                             QSize(101, 47), QColor(224, 224, 224), 1.0};
        FittedPicture f;
        QCOMPARE(drawn(&f, picture, k), drawn(nullptr, picture, k));
        switch (change) {
        case 1: picture.fill(uchar(200)); ++k.generation; break;
        case 2: k.source = k.target = QRectF(); break;
        case 3: k.target.translate(3, 0); break;
        case 4: k.widgetSize = QSize(90, 50); break;
        case 5: k.background = Qt::black; break;
        default: break;
        }
        // Always the pixels a direct drawing gives now, made again only when needed.
        QCOMPARE(drawn(&f, picture, k), drawn(nullptr, picture, k));
        QCOMPARE(f.redraws(), redrawn ? 2 : 1);
    }
};

QTEST_MAIN(TestFittedPicture)
#include "tst_fittedpicture.moc"
