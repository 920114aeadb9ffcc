// The program's one logarithm: within one ulp of the C library's, right at
// the special values, and the same bits on every instruction set the
// processor offers, for one value as for whole arrays.

#include "base/NaturalLog.h"
#include "base/SimdTargets.h"

#include <QtTest>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

std::uint64_t bitsOf(double v)
{
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// Values spread over every binade, with mantissas near the places where the
// algorithm changes form (sqrt(2) and the band around it), and 1 +- a few ulp.
std::vector<double> spread(int count)
{
    std::vector<double> v;
    std::uint64_t state = 88172645463325252ull;
    for (int i = 0; i < count; ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        const int exponent = int(state % 2046) + 1 - 1023;
        const double mantissa = 1.0 + double(state >> 12) / 4503599627370496.0;
        v.push_back(std::ldexp(mantissa, exponent));
    }
    for (double m : {1.4142135623730951, 1.41421, 1.38, 1.42, 0.69, 0.71, 1.0})
        for (int k = -3; k <= 3; ++k)
            v.push_back(m * (1.0 + k * DBL_EPSILON));
    for (double s : {4.9406564584124654e-324, 1e-310, 2.2250738585072009e-308})
        v.push_back(s);
    return v;
}

} // namespace

class TestNaturalLog : public QObject
{
    Q_OBJECT
private slots:
    void withinOneUlp_data();
    void withinOneUlp();
    void specialValues_data();
    void specialValues();
    void spreadWithinOneUlp();
    void sameOnEveryInstructionSet();
    void cleanupTestCase() { SimdTargets::force(0); }
};

void TestNaturalLog::withinOneUlp_data()
{
    QTest::addColumn<double>("x");
    QTest::newRow("one") << 1.0;
    QTest::newRow("two") << 2.0;
    QTest::newRow("just above one") << std::nextafter(1.0, 2.0);
    QTest::newRow("just below one") << std::nextafter(1.0, 0.0);
    QTest::newRow("sqrt 2") << 1.4142135623730951;
    QTest::newRow("below the sqrt 2 switch") << 1.41420;
    QTest::newRow("above the sqrt 2 switch") << 1.41422;
    QTest::newRow("band, low end") << 1.3806;
    QTest::newRow("band, high end") << 1.4200;
    QTest::newRow("a ratio of sums") << 60000.0 / 22000.0;
    QTest::newRow("smallest normal") << DBL_MIN;
    QTest::newRow("largest subnormal") << std::nextafter(DBL_MIN, 0.0);
    QTest::newRow("smallest subnormal") << 4.9406564584124654e-324;
    QTest::newRow("largest") << DBL_MAX;
    QTest::newRow("1 / 50") << 1.0 / 50.0;
}

void TestNaturalLog::withinOneUlp()
{
    QFETCH(double, x);
    const double got = NaturalLog::of(x);
    const double want = std::log(x);
    QVERIFY2(got == want || got == std::nextafter(want, HUGE_VAL) || got == std::nextafter(want, -HUGE_VAL),
             qPrintable(QString("log(%1): %2, not %3").arg(x, 0, 'g', 17).arg(got, 0, 'g', 17).arg(want, 0, 'g', 17)));
}

void TestNaturalLog::specialValues_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("want");
    QTest::newRow("+inf") << double(HUGE_VAL) << double(HUGE_VAL);
    QTest::newRow("+0") << 0.0 << -double(HUGE_VAL);
    QTest::newRow("-0") << -0.0 << -double(HUGE_VAL);
    QTest::newRow("-1") << -1.0 << double(NAN);
    QTest::newRow("-inf") << -double(HUGE_VAL) << double(NAN);
    QTest::newRow("NaN") << double(NAN) << double(NAN);
    QTest::newRow("1 is +0") << 1.0 << 0.0;
}

void TestNaturalLog::specialValues()
{
    QFETCH(double, x);
    QFETCH(double, want);
    const double got = NaturalLog::of(x);
    if (std::isnan(want))
        QVERIFY(std::isnan(got));
    else
        QCOMPARE(bitsOf(got), bitsOf(want));
}

void TestNaturalLog::spreadWithinOneUlp()
{
    const std::vector<double> x = spread(20000);
    std::vector<double> y(x.size());
    NaturalLog::ofArray(x.data(), y.data(), qint64(x.size()));
    int exact = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double want = std::log(x[i]);
        QVERIFY2(std::fabs(y[i] - want) <= std::fabs(std::nextafter(want, HUGE_VAL) - want),
                 qPrintable(QString("log(%1)").arg(x[i], 0, 'g', 17)));
        exact += y[i] == want;
    }
    // Nearly always the correctly rounded value.
    QVERIFY2(exact > int(x.size()) * 9 / 10, qPrintable(QString::number(exact)));
}

void TestNaturalLog::sameOnEveryInstructionSet()
{
    const std::vector<SimdTargets::Target> targets = SimdTargets::available();
    QVERIFY(!targets.empty());
    // Lengths that leave every possible tail after whole vectors.
    const std::vector<double> x = spread(1003);
    std::vector<std::uint64_t> first;
    for (const SimdTargets::Target& t : targets) {
        SimdTargets::force(t.bits);
        QCOMPARE(SimdTargets::current(), t.name);
        std::vector<double> y(x.size());
        NaturalLog::ofArray(x.data(), y.data(), qint64(x.size()));
        std::vector<std::uint64_t> bits;
        for (std::size_t i = 0; i < x.size(); ++i) {
            bits.push_back(bitsOf(y[i]));
            QVERIFY2(bitsOf(NaturalLog::of(x[i])) == bits.back(),
                     qPrintable(QString("%1: one value at %2").arg(t.name).arg(i)));
        }
        if (first.empty())
            first = bits;
        for (std::size_t i = 0; i < x.size(); ++i)
            QVERIFY2(bits[i] == first[i], qPrintable(QString("%1 vs %2 at log(%3)")
                                                         .arg(t.name, targets.front().name)
                                                         .arg(x[i], 0, 'g', 17)));
    }
    SimdTargets::force(0);
    qInfo("instruction sets compared: %d", int(targets.size()));
}

QTEST_GUILESS_MAIN(TestNaturalLog)
#include "tst_naturallog.moc"
