#include "base/JobRunner.h"
#include "DebugCapture.h"
#include "processing/ImageAlignment.h"
#include "processing/SeriesAlignJob.h"
#include "TestStacks.h"

#include <QSignalSpy>
#include <algorithm>
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

QTEST_GUILESS_MAIN(TestAlignment)
#include "tst_alignment.moc"
