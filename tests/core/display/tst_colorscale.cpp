#include "display/ColorScale.h"
#include "display/ColorTables.h"

#include <QSignalSpy>
#include <QtTest>
#include <cmath>
#include <limits>

class TestColorScale : public QObject
{
    Q_OBJECT
private slots:
    void tables();
    void palette();
    void rgbMapping_data();
    void rgbMapping();
    void greyMapping_data();
    void greyMapping();
    void limitsClamp();
    void bufferLayout_data();
    void bufferLayout();
    void colorOfValue();
    void signals_();
};

void TestColorScale::tables()
{
    const auto& t = ColorTables::colorTable();
    QCOMPARE(int(t.size()), 767);
    auto eq = [](ColorTables::Rgb c, int r, int g, int b) { return c.r == r && c.g == g && c.b == b; };
    QVERIFY(eq(t[0], 0, 0, 0));
    QVERIFY(eq(t[255], 255, 0, 0));
    QVERIFY(eq(t[256], 255, 1, 0));
    QVERIFY(eq(t[510], 255, 255, 0));
    QVERIFY(eq(t[511], 255, 255, 1));
    QVERIFY(eq(t[765], 255, 255, 255));
    QVERIFY(eq(t[766], 255, 255, 255));
    for (int i = 0; i < 256; ++i)
        QCOMPARE(int(ColorTables::greyTable()[i]), i);
}

void TestColorScale::palette()
{
    QCOMPARE(ColorTables::palette(0), QColor(255, 0, 0));
    QCOMPARE(ColorTables::palette(3), QColor(255, 200, 0));
    QCOMPARE(ColorTables::palette(8), QColor(0, 200, 255));
    QCOMPARE(ColorTables::palette(9), QColor(255, 0, 0));
}

void TestColorScale::rgbMapping_data()
{
    QTest::addColumn<double>("t");
    QTest::addColumn<int>("index");
    QTest::newRow("0") << 0.0 << 0;
    QTest::newRow("half") << 0.5 << 383;
    QTest::newRow("1") << 1.0 << 766;
    QTest::newRow("below") << -0.2 << 0;
    QTest::newRow("above") << 7.0 << 766;
    QTest::newRow("nan") << std::nan("") << 0;
    QTest::newRow("+inf") << std::numeric_limits<double>::infinity() << 766;
    QTest::newRow("-inf") << -std::numeric_limits<double>::infinity() << 0;
}

void TestColorScale::rgbMapping()
{
    QFETCH(double, t);
    QFETCH(int, index);
    const ColorMapper m{0.0, 1.0, QImage::Format_RGB888};
    QCOMPARE(m.colorIndex(t), index);
    uint8_t px[3];
    m.write(t, px);
    const auto c = ColorTables::colorTable()[index];
    QCOMPARE(int(px[0]), int(c.r));
    QCOMPARE(int(px[1]), int(c.g));
    QCOMPARE(int(px[2]), int(c.b));
}

void TestColorScale::greyMapping_data()
{
    QTest::addColumn<double>("t");
    QTest::addColumn<int>("grey");
    QTest::newRow("0") << 0.0 << 0;
    QTest::newRow("half") << 0.5 << 128;
    QTest::newRow("1") << 1.0 << 255;
    QTest::newRow("just below 1") << 0.999 << 255;
    QTest::newRow("below") << -3.0 << 0;
    QTest::newRow("nan") << std::nan("") << 0;
}

void TestColorScale::greyMapping()
{
    QFETCH(double, t);
    QFETCH(int, grey);
    const ColorMapper m{0.0, 1.0, QImage::Format_Grayscale8};
    QCOMPARE(int(m.grey(t)), grey);
    uint8_t px = 77;
    m.write(t, &px);
    QCOMPARE(int(px), grey);
}

void TestColorScale::limitsClamp()
{
    ColorScale scale;
    scale.setLimits(0.2, 0.8);
    const ColorMapper m = scale.mapper();
    QCOMPARE(int(m.grey(0.1)), 0);
    QCOMPARE(int(m.grey(0.2)), 0);
    QCOMPARE(int(m.grey(0.79)), 251);
    QCOMPARE(int(m.grey(0.85)), 255);
    // Limits may cross: the scale then runs backwards.
    scale.setLimits(0.8, 0.2);
    QCOMPARE(int(scale.mapper().grey(0.1)), 255);
    QCOMPARE(int(scale.mapper().grey(0.9)), 0);
}

void TestColorScale::bufferLayout_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("bpl");
    QTest::newRow("grey 5") << 5 << int(QImage::Format_Grayscale8) << 8;
    QTest::newRow("grey 8") << 8 << int(QImage::Format_Grayscale8) << 8;
    QTest::newRow("rgb 5") << 5 << int(QImage::Format_RGB888) << 16;
    QTest::newRow("rgb 4") << 4 << int(QImage::Format_RGB888) << 12;
    QTest::newRow("argb is not a generated format") << 4 << int(QImage::Format_ARGB32) << 0;
}

void TestColorScale::bufferLayout()
{
    QFETCH(int, width);
    QFETCH(int, format);
    QFETCH(int, bpl);
    QCOMPARE(ColorTables::bytesPerLine(width, format), bpl);
    QVector<uchar> buf(bpl * 3 + 1);
    const QImage img = ColorTables::imageOver(buf.data(), width, 3, format);
    QCOMPARE(img.isNull(), bpl == 0);
    if (!img.isNull())
        QCOMPARE(img.bytesPerLine(), bpl);
}

void TestColorScale::colorOfValue()
{
    const ColorMapper rgb{0.0, 1.0, QImage::Format_RGB888};
    const QColor c = rgb.color(0.5);
    QCOMPARE(c.rgba64().red(), quint16(255 * 257));
    QCOMPARE(c.rgba64().green(), quint16(128 * 257));
    QCOMPARE(c.rgba64().blue(), quint16(0));
    QCOMPARE(c.alpha(), 255);
    const ColorMapper grey{0.0, 1.0, QImage::Format_Grayscale8};
    QCOMPARE(grey.color(1.0), QColor(255, 255, 255));
}

void TestColorScale::signals_()
{
    ColorScale scale;
    QSignalSpy limits(&scale, &ColorScale::limitsChanged);
    QSignalSpy range(&scale, &ColorScale::dataRangeChanged);
    scale.setLo(0.1);
    scale.setHi(0.9);
    scale.setDataRange(5, 10);
    QCOMPARE(limits.count(), 2);
    QCOMPARE(range.count(), 1);
    QCOMPARE(scale.dataMax(), 10.0);
    scale.setFormat(12345);  // not an image format: ignored
    QCOMPARE(scale.format(), int(QImage::Format_Grayscale8));
    QVERIFY(ColorScale::global() == ColorScale::global());
}

QTEST_GUILESS_MAIN(TestColorScale)
#include "tst_colorscale.moc"
