#include "physics/BackgroundLine.h"
#include "physics/Spectrum.h"
#include "physics/SpectrumFiles.h"
#include "physics/XafsSpectrum.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <cmath>
#include <functional>
#include <limits>
#include <random>

namespace {

const double hc = 12398.424360387684;

using Points = QVector<QPointF>;

Spectrum makeSpectrum(const Points& pts)
{
    Spectrum s;
    for (const QPointF& p : pts)
        s.add(p.x(), p.y());
    return s;
}

// Victoreen form evaluated the long way, independent of BackgroundLine.
double victoreenAt(double a0, double c3, double c4, double e)
{
    const double l = hc / e;
    return a0 + c3 * std::pow(l, 3) + c4 * std::pow(l, 4);
}

// An ideal absorption step: below e0 the pre-edge curve, above it the
// post-edge curve, and at e0 itself the point halfway between them.
Spectrum idealStep(const std::function<double(double)>& pre, const std::function<double(double)>& post,
                   double e0, double from, double to, double step)
{
    Spectrum s;
    for (double e = from; e <= to + 1e-9; e += step) {
        double y;
        if (e < e0 - 1e-9)
            y = pre(e);
        else if (e > e0 + 1e-9)
            y = post(e);
        else
            y = (pre(e) + post(e)) / 2.0;
        s.add(e, y);
    }
    return s;
}

bool near(double a, double b, double tol)
{
    return std::fabs(a - b) <= tol;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write(content);
    return path;
}

QStringList fileLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromLatin1(f.readAll()).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

// Receives spectra in a worker thread and reports what arrived.
class SpectrumReceiver : public QObject
{
    Q_OBJECT
public:
    XafsSpectrum got;
    XafsSpectrum* gotPointer = nullptr;
    QThread* thread = nullptr;
public slots:
    void take(XafsSpectrum s, XafsSpectrum* p)
    {
        got = s;
        gotPointer = p;
        thread = QThread::currentThread();
        emit taken();
    }
signals:
    void taken();
};

class SpectrumSender : public QObject
{
    Q_OBJECT
signals:
    void send(XafsSpectrum s, XafsSpectrum* p);
    void arrived();
};

class TestSpectrum : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void tracking();
    void indexOutside();
    void valueAt_data();
    void valueAt();
    void valueAtWithOffset();
    void crossingEnergy_data();
    void crossingEnergy();

    void straightLineRecovered();
    void victoreenLineRecovered();
    void fitWindow_data();
    void fitWindow();
    void tooFewPointsLeaveLine_data();
    void tooFewPointsLeaveLine();
    void victoreenWindowTooSmall_data();
    void victoreenWindowTooSmall();

    void defaults();
    void normaliseFlatStep_data();
    void normaliseFlatStep();
    void normaliseVictoreenStep();
    void noCrossingNearEdge();
    void constructFromOffsetSpectrum();
    void copiesAreIndependent();
    void doubleNormalizedPreBaseNan();

    void read9809();
    void read9809Cases_data();
    void read9809Cases();
    void readPlainText();
    void formatDetection_data();
    void formatDetection();
    void readersKeepOffset();
    void missingFile();
    void saveLayout();
    void saveLoadRoundTrip();
    void malformedInput_data();
    void malformedInput();

    void queuedAcrossThreads();

private:
    QTemporaryDir m_dir;
};

void TestSpectrum::initTestCase()
{
    QVERIFY(m_dir.isValid());
    registerSpectrumMetaTypes();
}

void TestSpectrum::tracking()
{
    Spectrum s;
    QCOMPARE(s.min().x, 1e300);
    QCOMPARE(s.min().y, 1e300);
    QCOMPARE(s.max().x, -1e300);
    QCOMPARE(s.max().y, -1e300);
    s.add(5, 2);
    s.add(3, 7);
    s.add(9, -1);
    s.add(4, 7);
    QCOMPARE(s.count(), 4);
    QCOMPARE(s.min().x, 3.0);
    QCOMPARE(s.max().x, 9.0);
    QCOMPARE(s.min().y, -1.0);
    QCOMPARE(s.max().y, 7.0);
    QCOMPARE(s.minYIndex(), 2);
    QCOMPARE(s.maxYIndex(), 1); // an equal later maximum does not move it
    QVERIFY(s.use());

    s.setOffset(2.5, true);
    s.clear();
    QCOMPARE(s.count(), 0);
    QCOMPARE(s.min().y, 1e300);
    QCOMPARE(s.max().x, -1e300);
    QCOMPARE(s.offset(), 2.5);
    QVERIFY(s.offsetOn());
    s.add(1, 1);
    QCOMPARE(s.min().x, 1.0);
    QCOMPARE(s.max().y, 1.0);
    QCOMPARE(s.minYIndex(), 0);
}

void TestSpectrum::indexOutside()
{
    Spectrum s = makeSpectrum({{10, 1}, {20, 2}});
    s.setOffset(4, true);
    QCOMPARE(s.x(1), 20.0);
    QCOMPARE(s.E(1), 16.0);
    QCOMPARE(s.y(1), 2.0);
    for (int i : {-1, 2, 1000}) {
        QCOMPARE(s.x(i), 0.0);
        QCOMPARE(s.E(i), 0.0);
        QCOMPARE(s.y(i), 0.0);
    }
}

void TestSpectrum::valueAt_data()
{
    QTest::addColumn<Points>("pts");
    QTest::addColumn<double>("e");
    QTest::addColumn<double>("value");
    const Points line{{0, 0}, {1, 10}, {2, 20}};
    QTest::newRow("extrapolate above") << line << 3.0 << 30.0;
    QTest::newRow("extrapolate below") << line << -1.0 << -10.0;
    QTest::newRow("first point") << line << 0.0 << 0.0;
    QTest::newRow("last point") << line << 2.0 << 20.0;
    QTest::newRow("middle point") << line << 1.0 << 10.0;
    QTest::newRow("between") << line << 1.25 << 12.5;
    QTest::newRow("no points") << Points{} << 5.0 << 0.0;
    QTest::newRow("one point") << Points{{3, 4}} << -100.0 << 4.0;
    QTest::newRow("two points with equal x") << Points{{1, 2}, {1, 6}} << 1.0 << 4.0;
    QTest::newRow("two points with equal x, outside") << Points{{1, 2}, {1, 6}} << -3.0 << 4.0;
    QTest::newRow("equal x at the end") << Points{{0, 0}, {1, 2}, {1, 6}} << 5.0 << 4.0;
    // Inside, the search stops at the last point at or below e, so the pair
    // with equal x is never interpolated between.
    QTest::newRow("equal x inside") << Points{{0, 0}, {1, 2}, {1, 6}, {2, 7}} << 1.0 << 6.0;
    QTest::newRow("uneven grid") << Points{{0, 1}, {1, 2}, {5, 4}, {6, 0}, {10, 8}} << 8.0 << 4.0;
    QTest::newRow("uneven grid 2") << Points{{0, 1}, {1, 2}, {5, 4}, {6, 0}, {10, 8}} << 3.0 << 3.0;
}

void TestSpectrum::valueAt()
{
    QFETCH(Points, pts);
    QFETCH(double, e);
    QFETCH(double, value);
    QCOMPARE(makeSpectrum(pts).valueAt(e), value);
}

void TestSpectrum::valueAtWithOffset()
{
    Spectrum s = makeSpectrum({{100, 0}, {110, 10}, {120, 20}});
    s.setOffset(100, true);
    QCOMPARE(s.valueAt(15), 15.0);
    QCOMPARE(s.valueAt(-5), -5.0);
    s.setOffset(100, false);
    QCOMPARE(s.valueAt(115), 15.0);
}

void TestSpectrum::crossingEnergy_data()
{
    QTest::addColumn<Points>("pts");
    QTest::addColumn<double>("fraction");
    QTest::addColumn<int>("direction");
    QTest::addColumn<double>("energy");
    const Points peak{{10, 0}, {20, 4}, {30, 10}, {40, 2}, {50, 0}};
    QTest::newRow("rising half") << peak << 0.5 << int(Spectrum::Rising) << 20.0 + 10.0 / 6.0;
    QTest::newRow("falling half") << peak << 0.5 << int(Spectrum::Falling) << 30.0 + 10.0 * 5.0 / 8.0;
    QTest::newRow("either takes first") << peak << 0.5 << int(Spectrum::Either) << 20.0 + 10.0 / 6.0;
    QTest::newRow("level on a point, rising") << peak << 0.4 << int(Spectrum::Rising) << 20.0;
    QTest::newRow("level on a point, falling") << peak << 0.2 << int(Spectrum::Falling) << 40.0;
    QTest::newRow("never rises") << Points{{1, 5}, {2, 3}, {3, 1}} << 0.5 << int(Spectrum::Rising) << 1.0;
    QTest::newRow("flat pair on the level")
        << Points{{1, 5}, {2, 5}, {3, 10}, {4, 0}} << 0.5 << int(Spectrum::Either) << 1.5;
    QTest::newRow("one point") << Points{{7, 1}} << 0.5 << int(Spectrum::Either) << 7.0;
    QTest::newRow("no points") << Points{} << 0.5 << int(Spectrum::Rising) << 0.0;
}

void TestSpectrum::crossingEnergy()
{
    QFETCH(Points, pts);
    QFETCH(double, fraction);
    QFETCH(int, direction);
    QFETCH(double, energy);
    const double got = makeSpectrum(pts).crossingEnergy(fraction, Spectrum::Direction(direction));
    QVERIFY2(near(got, energy, 1e-12), qPrintable(QString::number(got, 'g', 17)));
}

void TestSpectrum::straightLineRecovered()
{
    // y = 0.37 - 2.5e-5 E with points from 6000 to 8000 eV; the window takes
    // 6500 <= E < 7000 and points outside it lie far off the line.
    Spectrum s;
    for (double e = 6000; e <= 8000; e += 7)
        s.add(e, (e >= 6500 && e < 7000) ? 0.37 - 2.5e-5 * e : 50.0 + e);
    BackgroundLine line;
    line.fit(s, 6500, 7000, false);
    QVERIFY(!line.victoreen());
    QVERIFY(near(line.slope(), -2.5e-5, 1e-15));
    QVERIFY(near(line.a0(), 0.37, 1e-11));
    QCOMPARE(line.count(), s.count());
    for (int i = 0; i < s.count(); ++i) {
        QCOMPARE(line.x(i), s.x(i));
        QVERIFY(near(line.y(i), 0.37 - 2.5e-5 * s.x(i), 1e-11));
    }
}

void TestSpectrum::victoreenLineRecovered()
{
    // Pre-edge-like window of 120 eV and post-edge-like window of 900 eV.
    struct Case {
        double a0, c3, c4, from, to;
    };
    for (const Case& c : {Case{0.21, 0.052, -0.0041, 6950, 7070}, Case{1.48, -0.018, 0.0011, 7130, 8030}}) {
        Spectrum s;
        for (double e = c.from - 200; e <= c.to + 200; e += 3)
            s.add(e, (e >= c.from && e < c.to) ? victoreenAt(c.a0, c.c3, c.c4, e) : -3.0);
        BackgroundLine line;
        line.fit(s, c.from, c.to, true);
        QVERIFY(line.victoreen());
        QVERIFY2(near(line.a0(), c.a0, 1e-6 * std::fabs(c.a0)), qPrintable(QString::number(line.a0(), 'g', 17)));
        QVERIFY2(near(line.c3(), c.c3, 1e-5 * std::fabs(c.c3)), qPrintable(QString::number(line.c3(), 'g', 17)));
        QVERIFY2(near(line.c4(), c.c4, 1e-5 * std::fabs(c.c4)), qPrintable(QString::number(line.c4(), 'g', 17)));
        QCOMPARE(line.count(), s.count());
        for (int i = 0; i < s.count(); ++i) {
            QCOMPARE(line.x(i), s.x(i));
            QVERIFY(near(line.y(i), victoreenAt(c.a0, c.c3, c.c4, s.x(i)), 1e-9));
        }
    }
}

void TestSpectrum::fitWindow_data()
{
    QTest::addColumn<Points>("pts");
    QTest::addColumn<double>("eMin");
    QTest::addColumn<double>("eMax");
    QTest::addColumn<double>("slope");
    QTest::addColumn<double>("a0");
    const Points pts{{1, 3}, {2, 5}, {3, 7}, {10, 100}, {4, -50}, {5, 11}};
    // Start included, end excluded: exactly one point in the window.
    QTest::newRow("single point") << pts << 2.0 << 3.0 << 0.0 << 5.0;
    QTest::newRow("empty window") << pts << 2.2 << 2.8 << 0.0 << 0.0;
    // The walk stops at the first point at or above the end, so the later
    // point at 4 eV is not used although it lies inside.
    QTest::newRow("stops at first point past the end") << pts << 0.0 << 4.5 << 2.0 << 1.0;
    QTest::newRow("all points before the end") << pts << 1.0 << 3.5 << 2.0 << 1.0;
}

void TestSpectrum::fitWindow()
{
    QFETCH(Points, pts);
    QFETCH(double, eMin);
    QFETCH(double, eMax);
    QFETCH(double, slope);
    QFETCH(double, a0);
    BackgroundLine line;
    line.fit(makeSpectrum(pts), eMin, eMax, false);
    QVERIFY(near(line.slope(), slope, 1e-12));
    QVERIFY(near(line.a0(), a0, 1e-12));
    QCOMPARE(line.count(), pts.size());
    QVERIFY(near(line.y(5), a0 + slope * 5, 1e-12));
}

void TestSpectrum::tooFewPointsLeaveLine_data()
{
    QTest::addColumn<bool>("victoreen");
    QTest::addColumn<Points>("pts");
    QTest::newRow("victoreen, 3 points") << true << Points{{7000, 1}, {7010, 2}, {7020, 3}};
    QTest::newRow("straight, 2 points") << false << Points{{7000, 1}, {7010, 2}};
    QTest::newRow("straight, no points") << false << Points{};
}

void TestSpectrum::tooFewPointsLeaveLine()
{
    QFETCH(bool, victoreen);
    QFETCH(Points, pts);
    Spectrum first;
    for (double e = 6900; e < 7100; e += 10)
        first.add(e, 0.5 + 1e-3 * (e - 6900));
    BackgroundLine line;
    line.fit(first, 6900, 7100, !victoreen);
    const BackgroundLine before = line;
    line.fit(makeSpectrum(pts), 0, 1e9, victoreen);
    QCOMPARE(line.victoreen(), before.victoreen());
    QCOMPARE(line.a0(), before.a0());
    QCOMPARE(line.c3(), before.c3());
    QCOMPARE(line.c4(), before.c4());
    QCOMPARE(line.slope(), before.slope());
    QCOMPARE(line.count(), before.count());
    for (int i = 0; i < line.count(); ++i)
        QCOMPARE(line.y(i), before.y(i));
}

void TestSpectrum::victoreenWindowTooSmall_data()
{
    QTest::addColumn<double>("eMax");
    QTest::newRow("no point in the window") << 6990.0;
    QTest::newRow("one point in the window") << 7005.0;
}

void TestSpectrum::victoreenWindowTooSmall()
{
    // Enough points in the spectrum, too few inside the window: the system
    // is singular and the coefficients come out non-finite, without a crash.
    QFETCH(double, eMax);
    const Spectrum s = makeSpectrum({{7000, 1}, {7010, 2}, {7020, 3}, {7030, 4}, {7040, 5}});
    BackgroundLine line;
    line.fit(s, 6000, eMax, true);
    QVERIFY(line.victoreen());
    QVERIFY(!std::isfinite(line.a0()) || !std::isfinite(line.c3()) || !std::isfinite(line.c4()));
    QCOMPARE(line.count(), 5);
}

void TestSpectrum::defaults()
{
    const XafsSpectrum s;
    QCOMPARE(s.count(), 0);
    QVERIFY(s.victoreen());
    QCOMPARE(s.preStart(), -100.0);
    QCOMPARE(s.preEnd(), -10.0);
    QCOMPARE(s.postStart(), 10.0);
    QCOMPARE(s.postEnd(), 1000.0);
    QCOMPARE(s.e0(), 0.0);
    QCOMPARE(s.jump(), 0.0);
    QCOMPARE(s.dE(), 0.0);
    QVERIFY(!s.offsetOn());
    QVERIFY(s.preEdge().victoreen());
    QCOMPARE(s.normalized().count(), 0);

    XafsSpectrum built(Spectrum(), false, 1.5);
    QCOMPARE(built.count(), 0);
    QVERIFY(!built.victoreen());
    QCOMPARE(built.dE(), 1.5);
    QCOMPARE(built.doubleNormalizedPreBase().count(), 0);
    built.normalize(true); // nothing to do, nothing to crash
    QCOMPARE(built.e0(), 0.0);
}

void TestSpectrum::normaliseFlatStep_data()
{
    QTest::addColumn<bool>("victoreen");
    QTest::newRow("victoreen") << true;
    QTest::newRow("straight") << false;
}

void TestSpectrum::normaliseFlatStep()
{
    QFETCH(bool, victoreen);
    const double a = 0.3, b = 1.55, e0 = 7112;
    const Spectrum mu = idealStep([=](double) { return a; }, [=](double) { return b; }, e0, 6900, 8200, 4);
    QVERIFY(near(mu.crossingEnergy(0.5, Spectrum::Rising), e0, 1e-9));
    const XafsSpectrum s(mu, victoreen, 0.0);
    QCOMPARE(s.victoreen(), victoreen);
    QCOMPARE(s.preEdge().victoreen(), victoreen);
    QCOMPARE(s.postEdge().victoreen(), victoreen);
    QVERIFY2(near(s.e0(), e0, 1e-6), qPrintable(QString::number(s.e0(), 'g', 17)));
    QVERIFY2(near(s.jump(), b - a, 1e-8), qPrintable(QString::number(s.jump(), 'g', 17)));
    const int n = s.count();
    QCOMPARE(s.normalized().count(), n);
    QCOMPARE(s.doubleNormalizedPreBase().count(), n);
    QCOMPARE(s.normalizedPostBase().count(), n);
    QCOMPARE(s.doubleNormalizedPostBase().count(), n);
    for (int i = 0; i < n; ++i) {
        const double e = s.E(i);
        QCOMPARE(s.normalized().x(i), e);
        QCOMPARE(s.doubleNormalizedPostBase().x(i), e);
        if (e == e0)
            continue;
        const bool post = e > e0;
        QVERIFY(near(s.normalized().y(i), post ? 1.0 : 0.0, 1e-8));
        QVERIFY(near(s.doubleNormalizedPreBase().y(i), post ? 1.0 : 0.0, 1e-8));
        QVERIFY(near(s.normalizedPostBase().y(i), post ? 0.0 : -1.0, 1e-8));
        QVERIFY(near(s.doubleNormalizedPostBase().y(i), post ? 0.0 : -1.0, 1e-8));
    }
}

void TestSpectrum::normaliseVictoreenStep()
{
    // Curved background lines on both sides of the edge.
    const auto pre = [](double e) { return victoreenAt(0.21, 0.052, -0.0041, e); };
    const auto post = [](double e) { return victoreenAt(1.48, -0.018, 0.0011, e); };
    const double e0 = 7112, step = 2;
    const XafsSpectrum s(idealStep(pre, post, e0, 6950, 8300, step), true, 0.0);
    const double eh = s.crossingEnergy(0.5, Spectrum::Rising);
    QVERIFY(near(eh, e0, step));

    // Both lines are the curves the step was made of, at every energy.
    for (int i = 0; i < s.count(); ++i) {
        QVERIFY(near(s.preEdge().y(i), pre(s.E(i)), 1e-8));
        QVERIFY(near(s.postEdge().y(i), post(s.E(i)), 1e-8));
    }
    QVERIFY(near(s.e0(), e0, step / 2));
    QVERIFY(near(s.jump(), post(s.e0()) - pre(s.e0()), 1e-6));

    // The normalised spectrum is 1 all along the post-edge side and
    // 1 - (post - pre) / jump on the pre-edge side.
    for (int i = 0; i < s.count(); ++i) {
        const double e = s.E(i);
        if (e > e0) {
            QVERIFY(near(s.normalized().y(i), 1.0, 1e-8));
            QVERIFY(near(s.doubleNormalizedPreBase().y(i), 1.0, 1e-8));
        } else if (e < e0) {
            QVERIFY(near(s.normalized().y(i), 1.0 - (post(e) - pre(e)) / s.jump(), 1e-7));
            QVERIFY(near(s.doubleNormalizedPreBase().y(i), 0.0, 1e-8));
            QVERIFY(near(s.doubleNormalizedPostBase().y(i), -1.0, 1e-8));
        }
    }
    QVERIFY(near(s.doubleNormalizedPreBase(e0 + 37.3), 1.0, 1e-8));
    QVERIFY(near(s.doubleNormalizedPreBase(e0 - 37.3), 0.0, 1e-8));
}

void TestSpectrum::noCrossingNearEdge()
{
    // 25 eV steps and the half height halfway between two points: no point
    // lies within 10 eV of it, so no crossing is found, e0 is 0 and the jump
    // is taken at 0 eV by extrapolating both lines.
    const auto pre = [](double e) { return 0.1 + 1e-4 * e; };
    const auto post = [](double e) { return 2.0 - 5e-5 * e; };
    Spectrum mu;
    for (double e = 6000; e <= 8500; e += 25)
        mu.add(e, e < 7110 ? pre(e) : post(e));
    const XafsSpectrum s(mu, false, 0.0);
    QVERIFY(near(s.preEdge().slope(), 1e-4, 1e-12));
    QVERIFY(near(s.postEdge().slope(), -5e-5, 1e-12));
    QCOMPARE(s.e0(), 0.0);
    QVERIFY2(near(s.jump(), 2.0 - 0.1, 1e-6), qPrintable(QString::number(s.jump(), 'g', 17)));
}

void TestSpectrum::constructFromOffsetSpectrum()
{
    const auto pre = [](double) { return 0.5; };
    const auto post = [](double) { return 1.5; };
    Spectrum mu = idealStep(pre, post, 7112, 6900, 8000, 4);
    mu.setOffset(12.0, true);
    mu.setUse(false);

    const XafsSpectrum s(mu, true, 3.25);
    QCOMPARE(s.count(), mu.count());
    QVERIFY(!s.offsetOn());
    QCOMPARE(s.offset(), 12.0);
    QVERIFY(s.use());
    QCOMPARE(s.dE(), 3.25);
    QVERIFY(s.victoreen());
    for (int i = 0; i < s.count(); ++i) {
        QCOMPARE(s.x(i), mu.x(i));
        QCOMPARE(s.E(i), mu.x(i)); // stored x unchanged, offset no longer in force
        QCOMPARE(s.y(i), mu.y(i));
    }
    QCOMPARE(s.min().x, 6900.0 - 12.0);
    QCOMPARE(s.max().x, 8000.0 - 12.0);
    QCOMPARE(s.min().y, 0.5);
    QCOMPARE(s.max().y, 1.5);
    QCOMPARE(s.maxYIndex(), mu.maxYIndex());
    QVERIFY(near(s.e0(), 7112, 1e-6));
    QVERIFY(near(s.jump(), 1.0, 1e-8));

    mu.setOffset(7.0, false);
    const XafsSpectrum t(mu, false, 0.0);
    QCOMPARE(t.offset(), 0.0);
    QCOMPARE(t.min().x, 6900.0);
}

void TestSpectrum::copiesAreIndependent()
{
    const auto pre = [](double e) { return 0.1 + 1e-5 * e; };
    const auto post = [](double e) { return 1.9 - 2e-5 * e; };
    XafsSpectrum a(idealStep(pre, post, 7112, 6900, 8000, 4), true, 0.0);
    const double e0 = a.e0();
    const double y5 = a.normalized().y(5);
    const double pre5 = a.preEdge().y(5);

    XafsSpectrum b = a;
    QCOMPARE(b.count(), a.count());
    QCOMPARE(b.e0(), e0);
    QCOMPARE(b.normalized().y(5), y5);
    b.setOffset(30.0, true);
    b.setPreWindow(-200, -50);
    b.normalize(false);
    QVERIFY(b.e0() != e0);
    QVERIFY(!b.preEdge().victoreen());
    QCOMPARE(b.normalized().x(0), a.x(0) - 30.0);

    QCOMPARE(a.e0(), e0);
    QVERIFY(a.preEdge().victoreen());
    QCOMPARE(a.normalized().y(5), y5);
    QCOMPARE(a.preEdge().y(5), pre5);
    QCOMPARE(a.normalized().x(0), a.x(0));
    QCOMPARE(a.preStart(), -100.0);
}

void TestSpectrum::doubleNormalizedPreBaseNan()
{
    const auto pre = [](double) { return 0.5; };
    const auto post = [](double) { return 1.5; };
    const XafsSpectrum s(idealStep(pre, post, 7112, 6900, 8000, 4), false, 0.0);
    NanEnergies::endRun();
    // Once per run, however often it happens; the run's end gives the count.
    QTest::ignoreMessage(QtDebugMsg, "nan EeV in XafsSpectrum::doubleNormalizedPreBase");
    const double v = s.doubleNormalizedPreBase(std::numeric_limits<double>::quiet_NaN());
    s.doubleNormalizedPreBase(std::numeric_limits<double>::quiet_NaN());
    QVERIFY(std::isnan(v));
    QTest::ignoreMessage(QtDebugMsg, "nan EeV in XafsSpectrum::doubleNormalizedPreBase : 2 evaluations in this run");
    QCOMPARE(NanEnergies::endRun(), qint64(2));
    QVERIFY(near(s.doubleNormalizedPreBase(7500.0), 1.0, 1e-9));
}

void TestSpectrum::read9809()
{
    // Header with a lattice spacing, an "Offset" line, then data lines: angle
    // (commanded), angle (degrees), time, I0, I.
    const double d = 1.92017;
    const QByteArray content = "9809     Sample beamline scan\n"
                               "  Mono : Si(220)   D= 1.92017   A    Initial Angle= 30.0 deg\n"
                               "Mode      1 ...\n"
                               "Offset   111.0  105.5  0  0\n"
                               " 30.000  30.00000  1.00   200000   80000\n"
                               " 29.990  29.99000  1.00   210000   0\n"
                               " 29.980  29.98000  1.00   0   70000\n"
                               " short   line   1  2\n"
                               " 29.970  29.97000  1.00   -5   70000  extra\n"
                               " 29.960  29.96000  1.00   220000   60000\n";
    const QString path = writeFile(m_dir, "a.dat", content);
    Spectrum s;
    QVERIFY(s.loadFrom9809(path));
    QCOMPARE(s.count(), 5);
    const double theta[] = {30.0, 29.99, 29.98, 29.97, 29.96};
    const double mu[] = {std::log(200000.0 / 80000.0), 1.0, 1.0, 1.0, std::log(220000.0 / 60000.0)};
    for (int i = 0; i < 5; ++i) {
        const double e = hc / (2.0 * d * std::sin(theta[i] * 3.1415926535 / 180.0));
        QCOMPARE(s.x(i), e);
        QCOMPARE(s.y(i), mu[i]);
    }
    // Si(220) at 30 degrees: about 6456.94 eV.
    QVERIFY(near(s.x(0), 6456.94, 0.01));
}

void TestSpectrum::read9809Cases_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("points");
    QTest::addColumn<double>("lastE");
    QTest::newRow("default d, 8 keV") << QByteArray("9809\nOffset\n0 14.30808 1 100 50\n") << 1 << 8000.0;
    QTest::newRow("no Offset line") << QByteArray("9809\nD= 3.0\n0 14.30808 1 100 50\n0 14.3 1 100 50\n") << 0 << 0.0;
    QTest::newRow("D= as last field ignored") << QByteArray("9809  D=\n3.0\nOffset\n0 14.30808 1 100 50\n") << 1 << 8000.0;
    QTest::newRow("D= read only in the header")
        << QByteArray("9809\nOffset\nD= 1.0 x x x\n0 14.30808 1 100 50\n") << 2 << 8000.0;
    QTest::newRow("later Offset is data") << QByteArray("9809\nOffset\nOffset 14.30808 1 100 50\n") << 1 << 8000.0;
}

void TestSpectrum::read9809Cases()
{
    QFETCH(QByteArray, content);
    QFETCH(int, points);
    QFETCH(double, lastE);
    Spectrum s;
    QCOMPARE(s.loadFrom9809(writeFile(m_dir, "cases.dat", content)), points > 0);
    QCOMPARE(s.count(), points);
    if (points > 0)
        QVERIFY2(near(s.x(points - 1), lastE, 0.05), qPrintable(QString::number(s.x(points - 1), 'g', 10)));
}

void TestSpectrum::readPlainText()
{
    const QByteArray content = "# energy mu\n"
                               "Energy Absorption\n"
                               "7000 0.5\n"
                               "  7001.5\t\t0.625   99\n"
                               "\n"
                               "7003\r\n"
                               "#7004 1\n"
                               "7005 abc\n"
                               "1e999 2\n"
                               "-7.5e2 1.25e-3\n";
    const QString path = writeFile(m_dir, "plain.txt", content);
    Spectrum s;
    QVERIFY(s.loadFromText(path));
    const Points want{{0, 0}, {7000, 0.5}, {7001.5, 0.625}, {7005, 0}, {0, 2}, {-750, 1.25e-3}};
    QCOMPARE(s.count(), want.size());
    for (int i = 0; i < want.size(); ++i) {
        QCOMPARE(s.x(i), want[i].x());
        QCOMPARE(s.y(i), want[i].y());
    }

    // Only comments: nothing read.
    QVERIFY(!s.loadFromText(writeFile(m_dir, "comments.txt", "# a\n#b c\n\n")));
    QCOMPARE(s.count(), 0);
}

void TestSpectrum::formatDetection_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("scan");
    // The same data lines read as 9809 give energies from the angles (field
    // 1), read as text the first two fields; the header lines are titles then.
    const QByteArray data = "1 14.3 1 100 50\n2 14.2 1 100 50\n3 14.1 1 100 40\n4 14.0 1 100 30\n";
    QTest::newRow("9809") << "9809 scan\nOffset 0\n" + data << true;
    QTest::newRow("9809 after blanks") << "   9809\t scan\nOffset 0\n" + data << true;
    QTest::newRow("98090 still 9809") << "98090\nOffset 0\n" + data << true;
    QTest::newRow("980 is text") << "980 scan\nOffset 0\n" + data << false;
    QTest::newRow("9809 on the second line") << "\n9809 x\nOffset 0\n" + data << false;
}

void TestSpectrum::formatDetection()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, scan);
    const QString path = writeFile(m_dir, "detect.dat", content);
    QCOMPARE(SpectrumFiles::is9809(path), scan);
    XafsSpectrum s;
    QVERIFY(s.load(path));
    QCOMPARE(s.count(), 4);
    QCOMPARE(s.x(0) > 8000.0, scan);
}

void TestSpectrum::readersKeepOffset()
{
    Spectrum s;
    s.setOffset(3.5, true);
    QVERIFY(s.loadFromText(writeFile(m_dir, "off.txt", "100 1\n200 2\n")));
    QVERIFY(s.offsetOn());
    QCOMPARE(s.offset(), 3.5);
    QCOMPARE(s.E(1), 196.5);
    QVERIFY(s.loadFrom9809(writeFile(m_dir, "off.dat", "9809\nOffset\n0 14.3 1 100 50\n")));
    QVERIFY(s.offsetOn());
    QCOMPARE(s.offset(), 3.5);
}

void TestSpectrum::missingFile()
{
    const QString path = m_dir.filePath("does-not-exist.txt");
    Spectrum s = makeSpectrum({{1, 1}});
    QVERIFY(!s.loadFromText(path));
    QCOMPARE(s.count(), 0);
    QVERIFY(!s.loadFrom9809(path));
    XafsSpectrum x(makeSpectrum({{1, 1}, {2, 2}}), false, 0);
    QVERIFY(!x.load(path));
    QVERIFY(!x.load(m_dir.path())); // a directory
    QVERIFY(!x.save(m_dir.filePath("no-such-dir/out.txt"), false));
}

void TestSpectrum::saveLayout()
{
    const auto pre = [](double) { return 0.25; };
    const auto post = [](double) { return 1.25; };
    const XafsSpectrum s(idealStep(pre, post, 7112.5, 7000.5, 7300.5, 0.5), false, 2.5);
    const QString plain = m_dir.filePath("saved.txt");
    const QString corrected = m_dir.filePath("saved-corrected.txt");
    QVERIFY(s.save(plain, false));
    QVERIFY(s.save(corrected, true));

    for (bool energyCorrected : {false, true}) {
        const QStringList lines = fileLines(energyCorrected ? corrected : plain);
        QCOMPARE(lines.size(), s.count() + 2);
        QCOMPARE(lines[0], QString("###Orvantelle::XafsSpectrum"));
        QCOMPARE(lines[1], QString("# x  double-normalized-pre-base y pre post"));
        for (int i = 0; i < s.count(); ++i) {
            const QStringList f = lines[i + 2].split('\t');
            QCOMPARE(f.size(), 5);
            const double x = s.E(i) - (energyCorrected ? 2.5 : 0.0);
            QCOMPARE(f[0], QString::number(x, 'g', 6));
            QCOMPARE(f[1], QString::number(s.doubleNormalizedPreBase().y(i), 'g', 6));
            QCOMPARE(f[2], QString::number(s.y(i), 'g', 6));
            QCOMPARE(f[3], QString::number(s.preEdge().y(i), 'g', 6));
            QCOMPARE(f[4], QString::number(s.postEdge().y(i), 'g', 6));
        }
    }
    // Six significant digits: 7112.5 - 2.5 is written as 7110, the first
    // point 7000.5 as 7000.5.
    QVERIFY(fileLines(corrected).contains(QString("7110\t0.5\t0.75\t0.25\t1.25")));
    QVERIFY(fileLines(plain)[2].startsWith("7000.5\t"));

    // Saving truncates an existing longer file.
    const XafsSpectrum small(makeSpectrum({{1, 1}, {2, 2}}), false, 0.0);
    QVERIFY(small.save(plain, false));
    QCOMPARE(fileLines(plain).size(), 4);
}

void TestSpectrum::saveLoadRoundTrip()
{
    const auto pre = [](double e) { return victoreenAt(0.21, 0.052, -0.0041, e); };
    const auto post = [](double e) { return victoreenAt(1.48, -0.018, 0.0011, e); };
    const XafsSpectrum s(idealStep(pre, post, 7112, 6950, 8000, 5), true, -1.75);
    for (bool energyCorrected : {false, true}) {
        const QString path = m_dir.filePath("roundtrip.txt");
        QVERIFY(s.save(path, energyCorrected));
        XafsSpectrum back;
        QVERIFY(back.load(path));
        QCOMPARE(back.count(), s.count());
        for (int i = 0; i < s.count(); ++i) {
            const double x = s.E(i) - (energyCorrected ? -1.75 : 0.0);
            QCOMPARE(back.x(i), QString::number(x, 'g', 6).toDouble());
            QCOMPARE(back.y(i), QString::number(s.doubleNormalizedPreBase().y(i), 'g', 6).toDouble());
        }
        // load alone leaves the normalisation untouched
        QCOMPARE(back.e0(), 0.0);
        QCOMPARE(back.normalized().count(), 0);
    }
}

void TestSpectrum::malformedInput_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("points");
    // A spectrum to be used is refused when it cannot be one: values beyond
    // the double range, fewer than 4 points, all at one energy.
    QTest::newRow("empty file") << QByteArray() << 0;
    QTest::newRow("huge numbers") << QByteArray("-1e308 1e308\n1 1e308\n2 1e308\n3 3\n") << 4;
    QTest::newRow("beyond the double range") << QByteArray("1e308 1e308\n-1e308 1e308\n1e999 -1e999\n2 3\n") << 0;
    QTest::newRow("nan and inf left out") << QByteArray("nan nan\ninf -inf\n1 nan\nnan 1\n5 5\n6 6\n7 7\n8 8\n") << 4;
    QTest::newRow("three points left") << QByteArray("nan nan\ninf -inf\n5 5\n6 6\n7 7\n") << 0;
    QTest::newRow("all equal") << QByteArray(QByteArray("7000 1\n").repeated(50)) << 0;
    QTest::newRow("decreasing energy") << QByteArray("8000 2\n7500 1.5\n7000 0.5\n6500 0.4\n6000 0.3\n") << 5;
    QTest::newRow("9809 huge values")
        << QByteArray("9809\nD= 1e308\nOffset\n0 1e308 0 1e308 1e-308\n0 0 0 1 1\n0 nan 0 nan 1\n") << 0;
    QTest::newRow("9809 zero d") << QByteArray("9809 D= 0\nOffset\n0 10 0 5 1\n0 11 0 5 2\n0 12 0 5 3\n0 13 0 5 4\n")
                                 << 0;
    QTest::newRow("9809 header only") << QByteArray("9809") << 0;
    QTest::newRow("no newline at end") << QByteArray("1 2\n3 4\n5 6\n7 8") << 4;
    QByteArray junk(4096, '\0');
    std::mt19937 rng(7);
    for (char& c : junk)
        c = char(rng() & 0xff);
    QTest::newRow("binary junk") << junk << 0;
    QTest::newRow("9809 then junk") << QByteArray("9809\nOffset\n") + junk << 0;
}

void TestSpectrum::malformedInput()
{
    QFETCH(QByteArray, content);
    QFETCH(int, points);
    XafsSpectrum s;
    const bool ok = s.load(writeFile(m_dir, "bad.dat", content));
    if (points >= 0)
        QCOMPARE(s.count(), points);
    QCOMPARE(ok, s.count() > 0);
    // Energies come out in increasing order, turned round when they fell.
    for (int i = 1; i < s.count(); ++i)
        QVERIFY(s.x(i) > s.x(i - 1));
    s.normalize(true);
    QCOMPARE(s.normalized().count(), s.count());
    s.normalize(false);
    QCOMPARE(s.doubleNormalizedPostBase().count(), s.count());
    const XafsSpectrum copy(s, true, 1.0);
    QCOMPARE(copy.count(), s.count());
    QVERIFY(copy.save(m_dir.filePath("bad-out.txt"), true));
}

void TestSpectrum::queuedAcrossThreads()
{
    QThread worker;
    SpectrumReceiver receiver;
    receiver.moveToThread(&worker);
    SpectrumSender sender;
    connect(&sender, &SpectrumSender::send, &receiver, &SpectrumReceiver::take, Qt::QueuedConnection);
    connect(&receiver, &SpectrumReceiver::taken, &sender, &SpectrumSender::arrived);
    QSignalSpy taken(&sender, &SpectrumSender::arrived);
    worker.start();

    const auto pre = [](double) { return 0.5; };
    const auto post = [](double) { return 1.5; };
    XafsSpectrum s(idealStep(pre, post, 7112, 6900, 8000, 4), true, 1.25);
    const int n = s.count();
    const double e0 = s.e0();
    XafsSpectrum result;
    emit sender.send(s, &result);
    // The sender's copy changes at once; the receiver must still get the
    // spectrum as it was when sent.
    s = XafsSpectrum();

    QVERIFY(taken.wait(5000));
    worker.quit();
    QVERIFY(worker.wait(5000));
    QCOMPARE(receiver.thread, &worker);
    QCOMPARE(receiver.gotPointer, &result);
    QCOMPARE(receiver.got.count(), n);
    QCOMPARE(receiver.got.e0(), e0);
    QCOMPARE(receiver.got.dE(), 1.25);
    QCOMPARE(receiver.got.normalized().count(), n);
    QCOMPARE(receiver.got.preEdge().count(), n);
    QVERIFY(QMetaType::type("XafsSpectrum") != QMetaType::UnknownType);
    QVERIFY(QMetaType::type("XafsSpectrum*") != QMetaType::UnknownType);
}

QTEST_GUILESS_MAIN(TestSpectrum)
#include "tst_spectrum.moc"
