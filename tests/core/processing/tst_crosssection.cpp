#include "processing/BlockSum.h"
#include "processing/CrossSection.h"
#include "processing/I0Series.h"

#include "TestStacks.h"

#include <QTest>
#include <cmath>

class TestCrossSection : public QObject
{
    Q_OBJECT
private slots:
    void groupedValue_data();
    void groupedValue();
    void profilesOfI1AndI0();
};

void TestCrossSection::groupedValue_data()
{
    QTest::addColumn<double>("v");
    QTest::addColumn<QString>("text");
    QTest::newRow("small") << 12.5 << "12.5";
    QTest::newRow("thousand") << 1234.0 << "1,234";
    QTest::newRow("six digits") << 123456.0 << "123,456";
    QTest::newRow("seven digits") << 1234567.0 << "1.23457e+06";
    QTest::newRow("negative") << -123456.0 << "-123,456";
    QTest::newRow("fraction") << 4567.25 << "4,567.25";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("tiny") << 1.5e-7 << "1.5e-07";
}

void TestCrossSection::groupedValue()
{
    QFETCH(double, v);
    QFETCH(QString, text);
    QCOMPARE(groupedValueText(v), text);
}

void TestCrossSection::profilesOfI1AndI0()
{
    TestStacks stacks;
    const TiffData* i1 = stacks.u16(6, 5, 7100.0, [](int x, int y) { return 10 + x + 10 * y; });
    const TiffData* i0a = stacks.u16(6, 5, 7000.0, [](int, int) { return 200; });
    const TiffData* i0b = stacks.u16(6, 5, 7200.0, [](int, int) { return 400; });
    QVERIFY(i1 && i0a && i0b);
    const I0Series i0({i0a, i0b});

    const Spectrum h = CrossSection::horizontal(*i1, &i0, 6, 2, 1);
    QCOMPARE(h.count(), 6);
    for (int i = 0; i < 6; ++i) {
        const double s1 = BlockSum::of(*i1, i, 2, 1, 1);
        const double s0 = i0.blockSumAt(7100.0, i, 2, 1, 1);
        QCOMPARE(h.x(i), double(i));
        QCOMPARE(h.y(i), std::log(s0 / s1));
    }
    const Spectrum v = CrossSection::vertical(*i0a, nullptr, 5, 3, 2);
    QCOMPARE(v.count(), 5);
    for (int j = 0; j < 5; ++j)
        QCOMPARE(v.y(j), BlockSum::of(*i0a, 3, j, 2, 1));
    // A block without samples has S1 = 0: the profile reads 1, not infinity.
    const TiffData* dark = stacks.u16(6, 5, 7100.0, [](int, int) { return 0; });
    QCOMPARE(CrossSection::horizontal(*dark, &i0, 6, 0, 0).y(0), 1.0);
}

QTEST_GUILESS_MAIN(TestCrossSection)
#include "tst_crosssection.moc"
