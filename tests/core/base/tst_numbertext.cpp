#include "base/NumberText.h"

#include <QtTest>
#include <cmath>
#include <limits>
#include <random>

// The numbers the text files are written with against QByteArray::number,
// byte for byte: the files must not change with the faster formatting.
class TestNumberText : public QObject
{
    Q_OBJECT
private slots:
    void sixDigitsAsQByteArray_data();
    void sixDigitsAsQByteArray();
    void sixDigitsOfManyValues_data();
    void sixDigitsOfManyValues();
    void integerAsQByteArray();
};

void TestNumberText::sixDigitsAsQByteArray_data()
{
    QTest::addColumn<double>("value");
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("fraction") << 0.123456789;
    QTest::newRow("negative fraction") << -0.0203718;
    QTest::newRow("one") << 1.0;
    QTest::newRow("rounds up to the next power of ten") << 999999.5;
    QTest::newRow("rounds up below one") << 0.99999951;
    QTest::newRow("largest plain") << 123456.4;
    QTest::newRow("smallest exponent above") << 1234567.0;
    QTest::newRow("smallest plain below") << 0.0001234564;
    QTest::newRow("largest exponent below") << 0.00001234564;
    QTest::newRow("half way: 2^-9") << 0.001953125;
    QTest::newRow("half way: 65/128") << 0.5078125;
    QTest::newRow("half way: integer") << 1234565.0;
    QTest::newRow("half way, negative") << -0.5078125;
    QTest::newRow("just above half way") << std::nextafter(0.5078125, 1.0);
    QTest::newRow("just below half way") << std::nextafter(0.5078125, 0.0);
    QTest::newRow("zero") << 0.0;
    QTest::newRow("negative zero") << -0.0;
    QTest::newRow("not a number") << std::nan("");
    QTest::newRow("infinity") << inf;
    QTest::newRow("minus infinity") << -inf;
    QTest::newRow("subnormal") << 4.9e-320;
    QTest::newRow("tiny") << 1.5e-300;
    QTest::newRow("huge") << 1.7e300;
    QTest::newRow("at the in-place limit") << 1e15;
    QTest::newRow("below the in-place limit") << 999999999999999.9;
}

void TestNumberText::sixDigitsAsQByteArray()
{
    QFETCH(double, value);
    QByteArray out("x ");
    NumberText::appendSixDigits(out, value);
    QCOMPARE(out, QByteArray("x ") + QByteArray::number(value, 'g', 6));
}

void TestNumberText::sixDigitsOfManyValues_data()
{
    QTest::addColumn<double>("lowest");   // log10 of the smallest magnitude
    QTest::addColumn<double>("highest");
    QTest::addColumn<bool>("roundedInput");   // values first rounded to 6 decimals
    QTest::newRow("fractions") << -2.0 << 0.2 << false;
    QTest::newRow("fractions with 6 decimals") << -2.0 << 0.2 << true;
    QTest::newRow("every scale") << -30.0 << 30.0 << false;
    QTest::newRow("around the plain/exponent switch") << -5.5 << 6.5 << false;
}

void TestNumberText::sixDigitsOfManyValues()
{
    QFETCH(double, lowest);
    QFETCH(double, highest);
    QFETCH(bool, roundedInput);
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> exponent(lowest, highest);
    int differing = 0;
    QByteArray first;
    for (int i = 0; i < 200000; ++i) {
        double v = std::pow(10.0, exponent(random)) * (i % 3 == 0 ? -1.0 : 1.0);
        if (roundedInput)
            v = std::round(v * 1e6) / 1e6;
        QByteArray out;
        NumberText::appendSixDigits(out, v);
        const QByteArray expected = QByteArray::number(v, 'g', 6);
        if (out != expected && differing++ == 0)
            first = QByteArray::number(v, 'g', 17) + ": " + out + " != " + expected;
    }
    QVERIFY2(differing == 0, first.constData());
}

void TestNumberText::integerAsQByteArray()
{
    for (long long v : {0LL, 7LL, -7LL, 2047LL, 1000000LL, -9223372036854775807LL - 1, 9223372036854775807LL}) {
        QByteArray out;
        NumberText::appendInteger(out, v);
        QCOMPARE(out, QByteArray::number(v));
    }
}

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
