#include "controls/VLabel.h"
#include "controls/VPushButton.h"
#include "display/DrawText.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QtTest>
#include <cmath>

namespace {

// Bounding box of the pixels that are not white.
QRect inkBox(const QImage& img)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) != QColor(Qt::white))
                box |= QRect(x, y, 1, 1);
    return box;
}

QImage whiteImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

}

class TestDrawText : public QObject
{
    Q_OBJECT
private slots:
    void fitSize_data();
    void fitSize();
    void fitSizeScalesWithBox();
    void fitSizeRequested();
    void putTextRestoresFont();
    void putTextFits();
    void putTextFitsAsAFreshOne_data();
    void putTextFitsAsAFreshOne();
    void rotatedText_data();
    void rotatedText();
    void verticalSizeHints();
    void verticalPainting();
};

void TestDrawText::fitSize_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QSizeF>("box");
    QTest::newRow("short in tall box") << "7000" << QSizeF(200, 100);
    QTest::newRow("long in flat box") << "12345.6 eV" << QSizeF(300, 12);
    QTest::newRow("long in narrow box") << "12345.6 eV" << QSizeF(40, 300);
    QTest::newRow("negative box") << "abc" << QSizeF(-60, -30);
}

void TestDrawText::fitSize()
{
    QFETCH(QString, text);
    QFETCH(QSizeF, box);
    const QFont font;
    const double size = DrawText::fitSize(text, box, 0.0, font);
    QVERIFY(size > 0);
    // Measured at the size found, the text fills the box in one direction
    // and stays inside it in the other (fonts scale only nearly linearly).
    QFont f(font);
    f.setPointSizeF(size);
    const QFontMetricsF fm(f);
    const double rw = fm.horizontalAdvance(text) / std::abs(box.width());
    const double rh = fm.height() / std::abs(box.height());
    QVERIFY2(std::max(rw, rh) > 0.85 && std::max(rw, rh) < 1.15,
             qPrintable(QString("size %1: %2 %3").arg(size).arg(rw).arg(rh)));
}

void TestDrawText::fitSizeScalesWithBox()
{
    const QFont font;
    const double a = DrawText::fitSize("Energy", QSizeF(100, 40), 0.0, font);
    const double b = DrawText::fitSize("Energy", QSizeF(200, 80), 0.0, font);
    QVERIFY(std::abs(b - 2 * a) < 1e-9);
    // Only the tighter dimension counts.
    const double c = DrawText::fitSize("Energy", QSizeF(100, 4000), 0.0, font);
    const double d = DrawText::fitSize("Energy", QSizeF(5000, 40), 0.0, font);
    QVERIFY(std::abs(std::min(c, d) - a) < 1e-9);
}

void TestDrawText::fitSizeRequested()
{
    const QFont font;
    const double fitted = DrawText::fitSize("Energy", QSizeF(100, 40), 0.0, font);
    QCOMPARE(DrawText::fitSize("Energy", QSizeF(100, 40), fitted / 2, font), fitted / 2);
    QCOMPARE(DrawText::fitSize("Energy", QSizeF(100, 40), fitted * 2, font), fitted);
    QCOMPARE(DrawText::fitSize("Energy", QSizeF(100, 40), -3.0, font), fitted);
    // Nothing to measure: the requested size, else 10.
    QCOMPARE(DrawText::fitSize("", QSizeF(100, 40), 7.0, font), 7.0);
    QCOMPARE(DrawText::fitSize("", QSizeF(100, 40), 0.0, font), 10.0);
    QCOMPARE(DrawText::fitSize("x", QSizeF(0, 0), 0.0, font), 0.0);
}

void TestDrawText::putTextRestoresFont()
{
    QImage img = whiteImage(100, 50);
    QPainter p(&img);
    QFont mine("DejaVu Serif", 31);
    p.setFont(mine);
    const QFont before = p.font();
    DrawText dt;
    dt.putText(&p, "Hi", QRectF(0, 0, 100, 50), Qt::AlignCenter, 0.0, true);
    dt.putRotatedText(&p, "Hi", QRectF(0, 0, 100, 50), 90, Qt::AlignCenter, 12.0);
    QCOMPARE(p.font(), before);
    QVERIFY(p.worldTransform().isIdentity());
    // A box of no size draws nothing and does not disturb the painter.
    dt.putText(&p, "Hi", QRectF(10, 10, 0, 0), Qt::AlignCenter, 0.0, true);
    QCOMPARE(p.font(), before);
}

void TestDrawText::putTextFits()
{
    QImage img = whiteImage(200, 100);
    {
        QPainter p(&img);
        p.setPen(Qt::black);
        DrawText dt;
        // Rectangle given by its corners in reverse order.
        dt.putText(&p, "WWWWWWWW", QRectF(QPointF(150, 70), QPointF(50, 30)), Qt::AlignCenter, 0.0, true);
    }
    const QRect ink = inkBox(img);
    QVERIFY(!ink.isEmpty());
    QVERIFY2(QRect(48, 28, 104, 44).contains(ink), qPrintable(QString("%1 %2 %3 %4")
             .arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height())));
    QVERIFY(ink.width() > 70);  // it was fitted to the width, not left at 10 points
}

// A DrawText that has drawn before (and remembers fitted sizes) draws as a
// new one with the same font does. Long, low text: the width sets the size.
void TestDrawText::putTextFitsAsAFreshOne_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("fontAfter");
    QTest::newRow("same text again") << "WWWWWWWW" << "";
    QTest::newRow("other text before") << "iii" << "";
    QTest::newRow("font changed between") << "WWWWWWWW" << "DejaVu Sans Mono";
}

void TestDrawText::putTextFitsAsAFreshOne()
{
    QFETCH(QString, before);
    QFETCH(QString, fontAfter);
    DrawText used, fresh;
    used.setFont(QFont("DejaVu Sans", 9));
    auto drawn = [](const DrawText& dt, const QString& text) {
        QImage img = whiteImage(200, 100);
        QPainter p(&img);
        dt.putText(&p, text, QRectF(10, 10, 150, 60), Qt::AlignCenter, 0.0, true);
        return img;
    };
    drawn(used, before);
    const QFont after = fontAfter.isEmpty() ? used.font() : QFont(fontAfter, 14);
    used.setFont(after);
    fresh.setFont(after);
    QVERIFY(!inkBox(drawn(fresh, "WWWWWWWW")).isEmpty());
    QCOMPARE(drawn(used, "WWWWWWWW"), drawn(fresh, "WWWWWWWW"));
}

void TestDrawText::rotatedText_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<QRectF>("rect");
    QTest::addColumn<bool>("upright");
    QTest::newRow("90 in a tall band") << 90.0 << QRectF(40, 10, 20, 180) << true;
    QTest::newRow("-90 in a tall band") << -90.0 << QRectF(140, 10, 20, 180) << true;
    QTest::newRow("0 in a wide band") << 0.0 << QRectF(10, 80, 180, 30) << false;
    QTest::newRow("180 in a wide band") << 180.0 << QRectF(10, 80, 180, 30) << false;
}

void TestDrawText::rotatedText()
{
    QFETCH(double, angle);
    QFETCH(QRectF, rect);
    QFETCH(bool, upright);
    QImage img = whiteImage(200, 200);
    {
        QPainter p(&img);
        p.setPen(Qt::black);
        DrawText dt;
        dt.putRotatedText(&p, "Rotated label", rect, angle, Qt::AlignCenter, 0.0, true, QColor(255, 255, 0));
    }
    // The background fills exactly the band, centred where the band is.
    QCOMPARE(img.pixelColor(rect.toRect().topLeft() + QPoint(1, 1)), QColor(255, 255, 0));
    QCOMPARE(img.pixelColor(rect.toRect().bottomRight() - QPoint(1, 1)), QColor(255, 255, 0));
    QCOMPARE(inkBox(img), rect.toRect());
    // Black text runs along the band.
    QRect text;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 100)
                text |= QRect(x, y, 1, 1);
    QVERIFY(!text.isEmpty());
    QCOMPARE(text.height() > text.width(), upright);
    QVERIFY(rect.toRect().contains(text));
}

void TestDrawText::verticalSizeHints()
{
    VPushButton vb("Set All");
    QPushButton b("Set All");
    QCOMPARE(vb.sizeHint(), b.sizeHint().transposed());
    QCOMPARE(vb.minimumSizeHint(), b.minimumSizeHint().transposed());
    QVERIFY(vb.sizeHint().height() > vb.sizeHint().width());
    VLabel vl("Img. Select :");
    QLabel l("Img. Select :");
    QCOMPARE(vl.sizeHint(), l.sizeHint().transposed());
    QCOMPARE(vl.minimumSizeHint(), l.minimumSizeHint().transposed());
}

void TestDrawText::verticalPainting()
{
    VLabel vl("Vertical text");
    vl.resize(vl.sizeHint());
    vl.setAutoFillBackground(true);
    vl.setStyleSheet("background: white");
    QImage shot = vl.grab().toImage();
    QRect ink;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (qGray(shot.pixel(x, y)) < 100)
                ink |= QRect(x, y, 1, 1);
    QVERIFY(!ink.isEmpty());
    QVERIFY(ink.height() > 2 * ink.width());

    VPushButton vb("Vertical text");
    vb.resize(vb.sizeHint());
    const QImage bshot = vb.grab().toImage();
    QRect bink;
    for (int y = 0; y < bshot.height(); ++y)
        for (int x = 0; x < bshot.width(); ++x)
            if (qGray(bshot.pixel(x, y)) < 60)
                bink |= QRect(x, y, 1, 1);
    QVERIFY(!bink.isEmpty());
    QVERIFY(bink.height() > bink.width());
}

QTEST_MAIN(TestDrawText)
#include "tst_drawtext.moc"
