#include "base/JobRunner.h"
#include "DebugCapture.h"
#include "processing/ImageAlignment.h"
#include "processing/ImageAlignmentBits.h"
#include "processing/SeriesAlignJob.h"
#include "TestStacks.h"

#include <QSignalSpy>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <QtTest>

namespace {

using namespace ImageAlignment;

// A binary picture: a filled rectangle and a smaller square off to one side,
// so no shift but the right one lays it onto itself, moved by (dx, dy).
ProcImage shape(int w, int h, int dx, int dy, bool empty = false)
{
    ProcImage p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int u = x - dx, v = y - dy;
            const bool inside = (u >= 8 && u < 22 && v >= 10 && v < 20) || (u >= 26 && u < 30 && v >= 4 && v < 8);
            p.at(x, y) = !empty && inside ? 1.0 : 0.0;
        }
    p.computeRange();
    return p;
}

// Sample counts of a demo-like image: a dark disc and a bar on a bright beam,
// the sample drifted by (dx, dy).
double sample(int x, int y, int dx, int dy)
{
    const int u = x - dx, v = y - dy;
    const bool disc = (u - 18) * (u - 18) + (v - 20) * (v - 20) < 81;
    const bool bar = u >= 27 && u < 31 && v >= 8 && v < 26;
    return disc || bar ? 6000.0 : 20000.0;
}

// A binary image with about `density` of its pixels set at random.
ProcImage randomBinary(int w, int h, double density, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    ProcImage p(w, h);
    for (double& v : p.samples)
        v = u(random) < density ? 1.0 : 0.0;
    p.computeRange();
    return p;
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Noisy counts of a drifting sample like sample(), brighter where seeds fall.
double noisySample(int x, int y, int dx, int dy, unsigned seed)
{
    const unsigned h = (unsigned(x) * 73856093u) ^ (unsigned(y) * 19349663u) ^ (seed * 83492791u);
    return sample(x, y, dx, dy) + double(h % 1500u);
}

} // namespace

class TestAlignment : public QObject
{
    Q_OBJECT
private slots:
    void edgeImage();
    void sliderAndThreshold_data();
    void sliderAndThreshold();
    void search_data();
    void search();
    void overlayColours();
    void seriesFindsTheDrift();
    void integerEdgesFollowTheDefinition_data();
    void integerEdgesFollowTheDefinition();
    void packedScoreEqualsDouble_data();
    void packedScoreEqualsDouble();
    void packedEdgesEqualBinarisedEdges_data();
    void packedEdgesEqualBinarisedEdges();
    void seriesEqualsDoubleClimb_data();
    void seriesEqualsDoubleClimb();
};

// Unweighted 3 x 3 differences, the larger magnitude, 0 outside the image.
void TestAlignment::edgeImage()
{
    TestStacks stacks;
    const TiffData* step = stacks.u16(10, 6, 7000.0, [](int x, int) { return x >= 5 ? 100.0 : 0.0; });
    QVERIFY(step);
    const ProcImage e = ImageAlignment::edgeImage(*step);
    QCOMPARE(e.width, 10);
    QCOMPARE(e.at(4, 3), 300.0);  // Gx = 3 x 100
    QCOMPARE(e.at(5, 3), 300.0);
    QCOMPARE(e.at(2, 3), 0.0);
    QCOMPARE(e.at(4, 0), 200.0);  // the row above is outside: two rows only
    QCOMPARE(e.at(7, 0), 300.0);  // |Gy| = 300 against the zeros above, Gx = 0
    QCOMPARE(e.at(4, 1), 300.0);  // max(300, 0), not a root sum of squares
    QCOMPARE(e.at(5, 0), 200.0);  // Gx = Gy = 200: the larger, not sqrt(2) x 200
    QCOMPARE(e.maximum, 300.0);
    QCOMPARE(e.minimum, 0.0);
    // The image's alignment shift moves what the edge image sees.
    TiffData* moved = stacks.last();
    moved->setShift(2, 0);
    QCOMPARE(ImageAlignment::edgeImage(*moved).at(6, 3), 300.0);
    QCOMPARE(ImageAlignment::edgeImage(*moved, false).at(6, 3), 0.0);
}

void TestAlignment::sliderAndThreshold_data()
{
    QTest::addColumn<int>("slider");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("threshold");
    QTest::newRow("start position") << 100 << 1.0 << 0.0 << 0.1;
    QTest::newRow("range 200 ... 1200") << 500 << 1200.0 << 200.0 << 700.0;
    QTest::newRow("top") << 999 << 1000.0 << 0.0 << 999.0;
}

void TestAlignment::sliderAndThreshold()
{
    QFETCH(int, slider);
    QFETCH(double, max);
    QFETCH(double, min);
    QFETCH(double, threshold);
    QCOMPARE(thresholdOfSlider(slider, max, min), threshold);
    QVERIFY(qAbs(sliderOfThreshold(threshold, max, min) - slider) <= 1);
    // Max equal to Min: no number, so the slider goes to 0 rather than to
    // whatever converting infinity gives.
    QCOMPARE(sliderOfThreshold(threshold, min, min), 0);
}

void TestAlignment::search_data()
{
    QTest::addColumn<int>("refDx");
    QTest::addColumn<int>("refDy");
    QTest::addColumn<bool>("empty");
    QTest::addColumn<int>("startX");
    QTest::addColumn<int>("startY");
    QTest::addColumn<int>("foundX");
    QTest::addColumn<int>("foundY");
    QTest::addColumn<double>("score");
    QTest::newRow("self") << 0 << 0 << false << 0 << 0 << 0 << 0 << 1.0;
    QTest::newRow("self from (2, 1)") << 0 << 0 << false << 2 << 1 << 0 << 0 << 1.0;
    QTest::newRow("reference moved by (3, -2)") << 3 << -2 << false << 0 << 0 << 3 << -2 << 1.0;
    QTest::newRow("all zero stops at once") << 0 << 0 << true << 1 << -1 << 1 << -1 << 0.0;
}

void TestAlignment::search()
{
    QFETCH(int, refDx);
    QFETCH(int, refDy);
    QFETCH(bool, empty);
    QFETCH(int, startX);
    QFETCH(int, startY);
    QFETCH(int, foundX);
    QFETCH(int, foundY);
    QFETCH(double, score);
    const ProcImage bin = shape(40, 30, 0, 0, empty);
    const ProcImage ref = shape(40, 30, refDx, refDy, empty);
    QVERIFY(comparable(bin, ref));
    const SearchResult r = searchShift(bin, ref, startX, startY, ImageAlignment::score(bin, ref, startX, startY));
    QCOMPARE(r.sx, foundX);
    QCOMPARE(r.sy, foundY);
    QCOMPARE(r.score, score);
    QCOMPARE(ImageAlignment::score(bin, ref, foundX, foundY), score);
    if (empty)
        QCOMPARE(r.steps, 0);
    // A threshold at the largest value leaves nothing set.
    const ProcImage none = binarize(bin, bin.maximum);
    QVERIFY(std::all_of(none.samples.begin(), none.samples.end(), [](double v) { return v == 0.0; }));
    QCOMPARE(binarize(bin, 0.5).samples, bin.samples);
}

void TestAlignment::overlayColours()
{
    const ProcImage bin = shape(40, 30, 0, 0);
    QImage img = overlay(bin, bin, 0, 0, 40, 30);
    QCOMPARE(img.pixel(10, 12), qRgb(255, 255, 0));   // both set: yellow
    QCOMPARE(img.pixel(0, 0), qRgb(0, 0, 0));
    img = overlay(bin, bin, 2, 0, 40, 30);
    QCOMPARE(img.pixel(1, 5), qRgb(0, 0, 255));       // outside the moved binary image
    QCOMPARE(img.pixel(9, 12), qRgb(255, 0, 0));      // reference only
    QCOMPARE(img.pixel(22, 12), qRgb(0, 255, 0));     // binary only, moved right
    QStringList lines = debugLinesOf([&] { QVERIFY(!comparable(ProcImage(), bin)); });
    QCOMPARE(lines, QStringList{"no bin image"});
    lines = debugLinesOf([&] { QVERIFY(!comparable(bin, ProcImage())); });
    QCOMPARE(lines, QStringList{"no ref bin image"});
    lines = debugLinesOf([&] { QVERIFY(!comparable(bin, shape(41, 30, 0, 0))); });
    QCOMPARE(lines, QStringList{"size mis-match"});
}

// A drifting series: every image gets the shift that undoes its drift, found
// from the previous image's, and keeps its samples.
void TestAlignment::seriesFindsTheDrift()
{
    const QVector<QPoint> drift = {{0, 0}, {1, 0}, {2, -1}, {3, -2}, {2, -2}, {1, -1}, {-1, 0}, {-2, 2}};
    TestStacks stacks;
    std::vector<TiffData*> images;
    for (const QPoint& d : drift) {
        QVERIFY(stacks.u16(40, 40, 7000.0 + images.size(), [d](int x, int y) { return sample(x, y, d.x(), d.y()); }));
        images.push_back(stacks.last());
    }
    images.push_back(nullptr);   // a missing image is passed over
    const ProcImage first = ImageAlignment::edgeImage(*images.front());
    const double threshold = 0.3 * first.maximum;
    auto job = std::make_shared<SeriesAlignJob>(images, binarize(first, threshold), threshold);
    JobRunner runner;
    QSignalSpy done(&runner, &JobRunner::finished);
    QVERIFY(runner.start(job));
    QVERIFY(done.wait(60000));
    QCOMPARE(job->aligned(), drift.size());
    for (int k = 0; k < drift.size(); ++k) {
        QCOMPARE(QPoint(images[k]->shiftX(), images[k]->shiftY()), -drift[k]);
        QCOMPARE(job->score(k), 1.0);
        QCOMPARE(images[k]->sourceSample(18 + drift[k].x(), 20 + drift[k].y()), 6000.0);
        // Through the shift, the sample sits where it is in the first image.
        QCOMPARE(images[k]->sample(18, 20), 6000.0);
        QCOMPARE(images[k]->sample(29, 9), 6000.0);
    }
}

void TestAlignment::integerEdgesFollowTheDefinition_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QPoint>("shift");
    QTest::addColumn<bool>("applyShift");
    QTest::newRow("no shift") << 37 << 21 << QPoint(0, 0) << true;
    QTest::newRow("shifted") << 37 << 21 << QPoint(3, -2) << true;
    QTest::newRow("shift left unapplied") << 37 << 21 << QPoint(3, -2) << false;
    QTest::newRow("shifted out of the image") << 20 << 9 << QPoint(-25, 4) << true;
    QTest::newRow("largest shifts") << 9 << 9 << QPoint(INT_MAX, INT_MIN) << true;
    QTest::newRow("one pixel") << 1 << 1 << QPoint(0, 0) << true;
    QTest::newRow("one row") << 30 << 1 << QPoint(1, 0) << true;
}

// The 16-bit edge image from integer rows against the operator written out
// with the image's own sample reads.
void TestAlignment::integerEdgesFollowTheDefinition()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QPoint, shift);
    QFETCH(bool, applyShift);
    TestStacks stacks;
    QVERIFY(stacks.u16(width, height, 7000.0, [](int x, int y) { return double((x * 7919 + y * 104729) % 65536); }));
    TiffData* image = stacks.last();
    image->setShift(shift.x(), shift.y());
    const ProcImage e = ImageAlignment::edgeImage(*image, applyShift);
    QCOMPARE(e.width, width);
    QCOMPARE(e.height, height);
    auto p = [&](int u, int v) { return applyShift ? image->sample(u, v) : image->sourceSample(quint32(u), quint32(v)); };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double gx = (p(x + 1, y - 1) + p(x + 1, y) + p(x + 1, y + 1)) - (p(x - 1, y - 1) + p(x - 1, y) + p(x - 1, y + 1));
            const double gy = (p(x - 1, y + 1) + p(x, y + 1) + p(x + 1, y + 1)) - (p(x - 1, y - 1) + p(x, y - 1) + p(x + 1, y - 1));
            QVERIFY2(sameBits(e.at(x, y), qMax(std::fabs(gx), std::fabs(gy))), qPrintable(QString("at %1 %2").arg(x).arg(y)));
        }
}

void TestAlignment::packedScoreEqualsDouble_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("density");
    QTest::newRow("one pixel") << 1 << 1 << 1.0;
    QTest::newRow("below a word") << 63 << 5 << 0.5;
    QTest::newRow("one word") << 64 << 64 << 0.3;
    QTest::newRow("a word and a bit") << 65 << 9 << 0.5;
    QTest::newRow("three words, sparse") << 130 << 40 << 0.05;
    QTest::newRow("wide and low") << 200 << 3 << 0.7;
    QTest::newRow("all zero") << 70 << 7 << 0.0;
}

// Scores and climbs of packed images against the sums of doubles, bit for
// bit, over shifts that cross word boundaries and leave the image.
void TestAlignment::packedScoreEqualsDouble()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(double, density);
    const ProcImage bin = randomBinary(width, height, density, 11);
    const ProcImage ref = randomBinary(width, height, density, 12);
    PackedBinary b, r;
    QVERIFY(b.pack(bin));
    QVERIFY(r.pack(ref));
    const QVector<QPoint> shifts = {{0, 0}, {1, 1}, {-1, 2}, {63, 0}, {-63, 1}, {64, -1}, {-64, 0}, {65, 2},
                                    {-65, -2}, {width - 1, 0}, {width, 0}, {0, height}, {1 - width, 1 - height},
                                    {100000, 1}, {INT_MIN, 0}};
    for (const QPoint& s : shifts) {
        const double packed = PackedBinary::score(b, r, s.x(), s.y());
        const double plain = ImageAlignment::score(bin, ref, s.x(), s.y());
        QVERIFY2(sameBits(packed, plain), qPrintable(QString("shift %1 %2: %3 != %4").arg(s.x()).arg(s.y()).arg(packed).arg(plain)));
    }
    const double start = ImageAlignment::score(bin, ref, 2, -1);
    const SearchResult expected = climb(width, height, 2, -1, start,
                                        [&](int x, int y) { return ImageAlignment::score(bin, ref, x, y); });
    const SearchResult found = PackedBinary::searchShift(b, r, 2, -1, start);
    QCOMPARE(QPoint(found.sx, found.sy), QPoint(expected.sx, expected.sy));
    QVERIFY(sameBits(found.score, expected.score));
    QCOMPARE(found.steps, expected.steps);
    // Not binary: refused, so callers keep the sums of doubles.
    ProcImage grey = bin;
    grey.samples[0] = 0.5;
    QVERIFY(!b.pack(grey));
    QVERIFY(b.isEmpty());
}

void TestAlignment::packedEdgesEqualBinarisedEdges_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("threshold");
    for (const char* t : {"nan", "-inf", "-0.5", "-0", "0", "half", "max", "max-0.5", "inf"}) {
        QTest::addRow("70 x 9, threshold %s", t) << 70 << 9 << QString(t);
        QTest::addRow("2 x 2, threshold %s", t) << 2 << 2 << QString(t);
    }
    QTest::newRow("128 x 3, threshold half") << 128 << 3 << QString("half");
    QTest::newRow("1 x 1, threshold -inf") << 1 << 1 << QString("-inf");
}

void TestAlignment::packedEdgesEqualBinarisedEdges()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QString, threshold);
    TestStacks stacks;
    QVERIFY(stacks.u16(width, height, 7000.0, [](int x, int y) { return noisySample(x, y, 0, 0, 3); }));
    TiffData* image = stacks.last();
    image->setShift(4, 1);   // the series reads unshifted samples
    const ProcImage edges = ImageAlignment::edgeImage(*image, false);
    const QMap<QString, double> named = {{"nan", std::nan("")}, {"-inf", -std::numeric_limits<double>::infinity()},
                                         {"-0.5", -0.5}, {"-0", -0.0}, {"0", 0.0}, {"half", 0.5 * edges.maximum},
                                         {"max", edges.maximum}, {"max-0.5", edges.maximum - 0.5},
                                         {"inf", std::numeric_limits<double>::infinity()}};
    const double t = named.value(threshold);
    ProcImage binary = ImageAlignment::binarize(edges, t);
    ImageAlignment::clearBorder(&binary);
    PackedBinary expected;
    QVERIFY(expected.pack(binary));
    QVERIFY(PackedBinary::ofEdges(*image, t) == expected);
}

void TestAlignment::seriesEqualsDoubleClimb_data()
{
    QTest::addColumn<int>("threads");
    QTest::addColumn<double>("share");
    QTest::newRow("one thread") << 1 << 0.3;
    QTest::newRow("three threads") << 3 << 0.3;
    QTest::newRow("high threshold") << 2 << 0.7;
}

// The series job against the climb over double images written out image by
// image: the same shifts and scores, value for value, on noisy images.
void TestAlignment::seriesEqualsDoubleClimb()
{
    QFETCH(int, threads);
    QFETCH(double, share);
    const QVector<QPoint> drift = {{0, 0}, {1, 0}, {3, -1}, {2, -3}, {-1, -2}, {-3, 1}, {0, 2}, {2, 2},
                                   {1, 1}, {-2, 0}, {0, -1}, {3, 3}};
    TestStacks stacks;
    std::vector<TiffData*> images;
    for (const QPoint& d : drift) {
        const unsigned seed = unsigned(images.size());
        QVERIFY(stacks.u16(67, 45, 7000.0 + images.size(), [d, seed](int x, int y) { return noisySample(x, y, d.x(), d.y(), seed); }));
        images.push_back(stacks.last());
    }
    ProcImage first = ImageAlignment::edgeImage(*images.front(), false);
    ImageAlignment::clearBorder(&first);
    const double threshold = share * first.maximum;
    ProcImage reference = binarize(first, threshold);

    QVector<QPoint> expected;
    QVector<double> expectedScores;
    QPoint last;
    for (const TiffData* image : images) {
        ProcImage binary = binarize(ImageAlignment::edgeImage(*image, false), threshold);
        ImageAlignment::clearBorder(&binary);
        const auto plainScore = [&](int x, int y) { return ImageAlignment::score(binary, reference, x, y); };
        const SearchResult r = climb(binary.width, binary.height, last.x(), last.y(), plainScore(last.x(), last.y()), plainScore);
        last = QPoint(r.sx, r.sy);
        expected << last;
        expectedScores << r.score;
    }

    SeriesAlignJob job(images, reference, threshold);
    job.setThreads(threads);
    QCOMPARE(job.runHere(), drift.size());
    for (int k = 0; k < drift.size(); ++k) {
        QCOMPARE(QPoint(images[k]->shiftX(), images[k]->shiftY()), expected[k]);
        QVERIFY(sameBits(job.score(k), expectedScores[k]));
    }
}

QTEST_GUILESS_MAIN(TestAlignment)
#include "tst_alignment.moc"
