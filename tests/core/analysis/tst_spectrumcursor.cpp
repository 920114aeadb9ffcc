#include "analysis/SpectrumCursor.h"

#include <QtTest>
#include <cmath>
#include <cstring>
#include <algorithm>
#include <limits>
#include <random>

using Doubles = QVector<double>;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

bool sameBits(double a, double b)
{
    if (std::isnan(a) && std::isnan(b))
        return true;
    return std::memcmp(&a, &b, sizeof a) == 0;
}

Spectrum fromXs(const Doubles& xs)
{
    Spectrum s;
    for (int i = 0; i < xs.size(); ++i)
        s.add(xs[i], 0.5 * i * i - 3.0 * i + 1.0);
    return s;
}

// A random spectrum with non-decreasing energies: random steps, some of them
// zero (equal x), an offset in force on some.
Spectrum randomSorted(std::mt19937_64& rng)
{
    std::uniform_int_distribution<int> count(0, 40);
    std::uniform_real_distribution<double> step(0.0, 3.0);
    std::uniform_real_distribution<double> value(-5.0, 5.0);
    std::bernoulli_distribution equal(0.1);
    std::bernoulli_distribution offsetOn(0.3);
    Spectrum s;
    const int n = count(rng);
    double x = 7000.0 + value(rng) * 100.0;
    for (int i = 0; i < n; ++i) {
        s.add(x, value(rng));
        x += equal(rng) ? 0.0 : step(rng);
    }
    if (offsetOn(rng))
        s.setOffset(value(rng) * 3.0, true);
    return s;
}

// Energies to evaluate at: mostly rising through and beyond the points, with
// stored energies hit exactly, repeats, backward jumps and a few non-finite ones.
Doubles randomEnergies(std::mt19937_64& rng, const Spectrum& s)
{
    std::uniform_int_distribution<int> kind(0, 19);
    std::uniform_real_distribution<double> step(0.0, 2.0);
    std::uniform_int_distribution<int> pick(0, std::max(0, s.count() - 1));
    Doubles es;
    double e = (s.isEmpty() ? 7000.0 : s.E(0)) - 10.0;
    for (int i = 0; i < 120; ++i) {
        switch (kind(rng)) {
        case 0:
            e -= 15.0 * step(rng); // backward
            es.append(e);
            break;
        case 1:
            es.append(kNaN);
            break;
        case 2:
            es.append(i % 2 ? kInf : -kInf);
            break;
        case 3:
            if (!s.isEmpty()) // exactly on a point energy
                es.append(s.x(pick(rng)) - s.offsetInForce());
            break;
        case 4:
            es.append(e); // repeat
            break;
        default:
            e += step(rng);
            es.append(e);
        }
    }
    return es;
}

} // namespace

class TestSpectrumCursor : public QObject
{
    Q_OBJECT
private slots:
    void walksOnlyOverOrderedPoints_data();
    void walksOnlyOverOrderedPoints();
    void matchesValueAtOnFixedCases_data();
    void matchesValueAtOnFixedCases();
    void matchesValueAtOnRandomSpectra();
    void matchesValueAtOnUnorderedSpectra();
    void bulkMatchesValueAt();
};

void TestSpectrumCursor::walksOnlyOverOrderedPoints_data()
{
    QTest::addColumn<Doubles>("xs");
    QTest::addColumn<bool>("walks");
    QTest::newRow("empty") << Doubles{} << false;
    QTest::newRow("one point") << Doubles{1.0} << false;
    QTest::newRow("two points") << Doubles{1.0, 2.0} << true;
    QTest::newRow("equal energies") << Doubles{1.0, 2.0, 2.0, 3.0} << true;
    QTest::newRow("a step back") << Doubles{1.0, 3.0, 2.0, 4.0} << false;
    QTest::newRow("NaN energy") << Doubles{1.0, kNaN, 3.0} << false;
    QTest::newRow("infinite end") << Doubles{1.0, 2.0, kInf} << true;
}

void TestSpectrumCursor::walksOnlyOverOrderedPoints()
{
    QFETCH(Doubles, xs);
    QFETCH(bool, walks);
    const Spectrum s = fromXs(xs);
    QCOMPARE(SpectrumCursor(s).walks(), walks);
}

void TestSpectrumCursor::matchesValueAtOnFixedCases_data()
{
    QTest::addColumn<Doubles>("xs");
    QTest::addColumn<Doubles>("energies");
    const Doubles sweep{-100, 0, -0.0, 0.5, 1, 1.5, 2, 2, 2.5, 3, 3.5, 4, 100, 0.25, 3.9, kInf, -kInf, kNaN, 1};
    QTest::newRow("plain") << Doubles{0, 1, 2, 3, 4} << sweep;
    QTest::newRow("signed zeros") << Doubles{-1, -0.0, 0.0, 1} << sweep;
    QTest::newRow("starts at -0") << Doubles{-0.0, 1, 2} << sweep;
    QTest::newRow("equal first pair") << Doubles{1, 1, 2, 3} << sweep;
    QTest::newRow("equal last pair") << Doubles{0, 1, 3, 3} << sweep;
    QTest::newRow("equal inner pair") << Doubles{0, 1, 2, 2, 4} << sweep;
    QTest::newRow("all equal") << Doubles{2, 2, 2} << sweep;
    QTest::newRow("two points") << Doubles{1, 3} << sweep;
    QTest::newRow("one point") << Doubles{1} << sweep;
    QTest::newRow("none") << Doubles{} << sweep;
    QTest::newRow("unordered") << Doubles{0, 3, 1, 4, 2} << sweep;
}

void TestSpectrumCursor::matchesValueAtOnFixedCases()
{
    QFETCH(Doubles, xs);
    QFETCH(Doubles, energies);
    // Off, on with a value, and on with both signed zeros (-0.0 is not
    // skipped as "no offset": x - (-0.0) can differ from x in its sign).
    for (double offset : {kNaN, 0.3, -0.0, 0.0}) {
        Spectrum s = fromXs(xs);
        s.setOffset(std::isnan(offset) ? 0.0 : offset, !std::isnan(offset));
        SpectrumCursor cursor(s);
        for (double e : energies) {
            const double walked = cursor.valueAt(e);
            const double searched = s.valueAt(e);
            if (!sameBits(walked, searched))
                QFAIL(qPrintable(QStringLiteral("offset %1, e %2: walk %3, search %4")
                                     .arg(offset)
                                     .arg(e, 0, 'g', 17)
                                     .arg(walked, 0, 'g', 17)
                                     .arg(searched, 0, 'g', 17)));
        }
    }
}

void TestSpectrumCursor::matchesValueAtOnRandomSpectra()
{
    std::mt19937_64 rng(20240611);
    int walked = 0;
    for (int round = 0; round < 3000; ++round) {
        const Spectrum s = randomSorted(rng);
        SpectrumCursor cursor(s);
        QCOMPARE(cursor.walks(), s.count() >= 2);
        walked += cursor.walks() ? 1 : 0;
        const Doubles energies = randomEnergies(rng, s);
        for (double e : energies) {
            const double a = cursor.valueAt(e);
            const double b = s.valueAt(e);
            if (!sameBits(a, b))
                QFAIL(qPrintable(QStringLiteral("round %1, n %2, e %3: walk %4, search %5")
                                     .arg(round)
                                     .arg(s.count())
                                     .arg(e, 0, 'g', 17)
                                     .arg(a, 0, 'g', 17)
                                     .arg(b, 0, 'g', 17)));
        }
    }
    QVERIFY(walked > 2000); // the rounds mostly exercised the walk itself
}

void TestSpectrumCursor::matchesValueAtOnUnorderedSpectra()
{
    std::mt19937_64 rng(77);
    std::uniform_real_distribution<double> x(6900.0, 7100.0);
    for (int round = 0; round < 200; ++round) {
        Spectrum s;
        for (int i = 0; i < 30; ++i)
            s.add(x(rng), x(rng) - 7000.0);
        SpectrumCursor cursor(s);
        QVERIFY(!cursor.walks());
        for (double e = 6890.0; e < 7110.0; e += 0.7)
            QVERIFY(sameBits(cursor.valueAt(e), s.valueAt(e)));
    }
}

void TestSpectrumCursor::bulkMatchesValueAt()
{
    // The run form over the energies of another spectrum plus a shift, as the
    // fits use it, including a NaN count for the callers' report.
    std::mt19937_64 rng(99);
    std::uniform_real_distribution<double> shift(-3.0, 3.0);
    std::bernoulli_distribution unordered(0.1);
    for (int round = 0; round < 2000; ++round) {
        const Spectrum s = randomSorted(rng);
        Doubles xs = randomEnergies(rng, s);
        if (unordered(rng))
            std::shuffle(xs.begin(), xs.end(), rng);
        const double d = round % 7 == 0 ? 0.0 : shift(rng);
        Doubles out(xs.size());
        int nans = 0;
        SpectrumCursor cursor(s);
        cursor.valuesAt(xs.constData(), xs.size(), d, out.data(), [&nans] { ++nans; });
        int expectedNaNs = 0;
        for (int i = 0; i < xs.size(); ++i) {
            const double e = xs[i] + d;
            expectedNaNs += std::isnan(e) ? 1 : 0;
            if (!sameBits(out[i], s.valueAt(e)))
                QFAIL(qPrintable(QStringLiteral("round %1, e %2").arg(round).arg(e, 0, 'g', 17)));
        }
        QCOMPARE(nans, expectedNaNs);
        // A second run continues from where the first stopped.
        cursor.valuesAt(xs.constData(), xs.size(), d, out.data(), [] {});
        for (int i = 0; i < xs.size(); ++i)
            QVERIFY(sameBits(out[i], s.valueAt(xs[i] + d)));
    }
}

QTEST_GUILESS_MAIN(TestSpectrumCursor)
#include "tst_spectrumcursor.moc"
