#include "imageview/FittedPicture.h"

#include <QPainter>
#include <QtTest>

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
        QTest::newRow("nothing of the picture in view") << 2 << true;
        QTest::newRow("widget resized") << 3 << true;
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
        // Through the kept drawing, or filled and scaled straight on, as the view used to.
        auto drawn = [&](bool kept) {
            QImage out(k.widgetSize, QImage::Format_RGB32);
            QPainter p(&out);
            kept ? f.draw(&p, picture, k) : p.fillRect(out.rect(), k.background);
            if (!kept && !k.source.isEmpty())
                p.drawImage(k.target, picture, k.source);
            return out;
        };
        QCOMPARE(drawn(true), drawn(false));
        if (change == 1) {
            picture.fill(uchar(200));
            ++k.generation;
        }
        if (change == 2)
            k.source = k.target = QRectF();
        if (change == 3)
            k.widgetSize = QSize(90, 50);
        QCOMPARE(drawn(true), drawn(false));
        QCOMPARE(f.redraws(), redrawn ? 2 : 1);
    }
};

QTEST_MAIN(TestFittedPicture)
#include "tst_fittedpicture.moc"
