#include "grid/ScanGrid.h"

#include <QPoint>
#include <QtTest>
#include <cmath>
#include <limits>

using Points = QVector<QPoint>;
Q_DECLARE_METATYPE(Points)

namespace {

// Every centre a walk from restart() visits, in order.
Points walkAll(ScanGrid g, QVector<bool>* newLines = nullptr)
{
    Points pts;
    g.restart();
    bool newLine = false;
    do {
        pts.append(QPoint(g.x, g.y));
        if (newLines)
            newLines->append(newLine);
        if (pts.size() > 100000)
            break;   // a runaway walk fails the comparison instead of hanging
    } while (g.next(newLine));
    return pts;
}

Points lattice(int xs, int xe, int dx, int ys, int ye, int dy)
{
    Points pts;
    for (int y = ys; y <= ye; y += dy)
        for (int x = xs; x <= xe; x += dx)
            pts.append(QPoint(x, y));
    return pts;
}

}

class TestScanGrid : public QObject
{
    Q_OBJECT
private slots:
    void creation();
    void walk_data();
    void walk();
    void counts_data();
    void counts();
    void countsMatchWalk();
    void newLineFlags();
    void restart();
    void absurdAreas();
    void blockFillClipsAtCorners_data();
    void blockFillClipsAtCorners();
    void readOutside();
};

void TestScanGrid::creation()
{
    const ScanGrid g;
    QCOMPARE(g.imageWidth, 0);
    QCOMPARE(g.imageHeight, 0);
    QCOMPARE(g.halfWidth, 0);
    QCOMPARE(g.halfHeight, 0);
    QCOMPARE(g.x0, 0);
    QCOMPARE(g.x1, 0);
    QCOMPARE(g.stepX, 1);
    QCOMPARE(g.y0, 0);
    QCOMPARE(g.y1, 0);
    QCOMPARE(g.stepY, 1);
    QCOMPARE(g.x, 0);
    QCOMPARE(g.y, 0);
}

void TestScanGrid::walk_data()
{
    QTest::addColumn<int>("hw");
    QTest::addColumn<int>("hh");
    QTest::addColumn<QRectF>("area");
    QTest::addColumn<int>("stepX");
    QTest::addColumn<int>("stepY");
    QTest::addColumn<Points>("expected");

    QTest::newRow("10x10 blocks of 3") << 1 << 1 << QRectF(0, 0, 10, 10) << -1 << -1
                                      << lattice(1, 7, 3, 1, 7, 3);
    QTest::newRow("single pixels") << 0 << 0 << QRectF(2, 5, 3, 2) << -1 << -1
                                   << lattice(2, 4, 1, 5, 6, 1);
    QTest::newRow("negative width and height swapped")
        << 1 << 1 << QRectF(10, 10, -10, -10) << -1 << -1 << lattice(1, 7, 3, 1, 7, 3);
    QTest::newRow("fractions truncated") << 1 << 1 << QRectF(0.7, 0.2, 9.9, 9.9) << -1 << -1
                                         << lattice(1, 7, 3, 1, 7, 3);
    QTest::newRow("negative ends truncated toward zero")
        << 0 << 0 << QRectF(-1.5, -1.5, 3.0, 3.0) << -1 << -1 << lattice(-1, 0, 1, -1, 0, 1);
    QTest::newRow("first centre visited past the area")
        << 2 << 2 << QRectF(0, 0, 2, 2) << -1 << -1 << Points{QPoint(2, 2)};
    QTest::newRow("first centre of each line reaches past x1")
        << 2 << 0 << QRectF(0, 0, 3, 2) << -1 << -1 << Points{QPoint(2, 0), QPoint(2, 1)};
    QTest::newRow("explicit steps") << 0 << 1 << QRectF(0, 0, 10, 10) << 4 << 5
                                    << lattice(0, 8, 4, 1, 6, 5);
    QTest::newRow("zero step is the block size") << 1 << 1 << QRectF(0, 0, 10, 10) << 0 << 0
                                                 << lattice(1, 7, 3, 1, 7, 3);
    QTest::newRow("negative half size is no half size")
        << -3 << -2 << QRectF(0, 0, 2, 2) << -1 << -1 << lattice(0, 1, 1, 0, 1, 1);
    QTest::newRow("unequal halves") << 2 << 1 << QRectF(3, 4, 12, 7) << -1 << -1
                                    << lattice(5, 10, 5, 5, 8, 3);
}

void TestScanGrid::walk()
{
    QFETCH(int, hw);
    QFETCH(int, hh);
    QFETCH(QRectF, area);
    QFETCH(int, stepX);
    QFETCH(int, stepY);
    QFETCH(Points, expected);

    ScanGrid g;
    g.setup(10, 10, hw, hh, area, stepX, stepY);
    QCOMPARE(g.imageWidth, 10);
    QCOMPARE(g.imageHeight, 10);
    QCOMPARE(QPoint(g.x, g.y), expected.first());
    QCOMPARE(walkAll(g), expected);
}

void TestScanGrid::counts_data()
{
    QTest::addColumn<int>("hw");
    QTest::addColumn<int>("hh");
    QTest::addColumn<QRectF>("area");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");

    QTest::newRow("halves 10, 100 x 50") << 10 << 10 << QRectF(0, 0, 100, 50) << 5 << 2;
    QTest::newRow("10 x 10, blocks of 3") << 1 << 1 << QRectF(0, 0, 10, 10) << 3 << 3;
    QTest::newRow("pixels") << 0 << 0 << QRectF(3, 3, 7, 4) << 7 << 4;
    QTest::newRow("empty area") << 0 << 0 << QRectF(5, 5, 0, 0) << 0 << 0;
    QTest::newRow("area narrower than a half block") << 3 << 3 << QRectF(0, 0, 2, 2) << 1 << 1;
}

void TestScanGrid::counts()
{
    QFETCH(int, hw);
    QFETCH(int, hh);
    QFETCH(QRectF, area);
    QFETCH(int, columns);
    QFETCH(int, rows);

    ScanGrid g;
    g.setup(200, 200, hw, hh, area, -1, -1);
    QCOMPARE(g.columns(), columns);
    QCOMPARE(g.rows(), rows);
    QCOMPARE(g.x, int(area.x()) + hw);
    QCOMPARE(g.y, int(area.y()) + hh);
}

// The as-analysed export sizes its array from pointCount(), so it must agree
// with the walk for every shape of area, step and half size.
void TestScanGrid::countsMatchWalk()
{
    for (int hw = 0; hw <= 3; ++hw)
        for (int step = -1; step <= 4; ++step)
            for (int aw = 0; aw <= 13; ++aw)
                for (int ah : {0, 1, 5, 9}) {
                    ScanGrid g;
                    g.setup(20, 20, hw, hw / 2, QRectF(1, 2, aw, ah), step, step);
                    const Points pts = walkAll(g);
                    QCOMPARE(qint64(pts.size()), g.pointCount());
                    int cols = 0;
                    while (cols < pts.size() && pts[cols].y() == pts[0].y())
                        ++cols;
                    QCOMPARE(qMax(1, g.columns()), cols);
                    QCOMPARE(qMax(1, g.rows()), int(pts.size() / cols));
                }
}

void TestScanGrid::newLineFlags()
{
    ScanGrid g;
    g.setup(10, 10, 1, 1, QRectF(0, 0, 10, 10), -1, -1);
    QVector<bool> flags;
    const Points pts = walkAll(g, &flags);
    for (int i = 1; i < pts.size(); ++i)
        QCOMPARE(flags[i], pts[i].y() != pts[i - 1].y());
    // The step that ends the walk is a new line too, past the area.
    g = ScanGrid();
    g.setup(10, 10, 1, 1, QRectF(0, 0, 10, 10), -1, -1);
    bool newLine = false;
    int steps = 0;
    while (g.next(newLine))
        ++steps;
    QCOMPARE(steps, 8);
    QVERIFY(newLine);
    QCOMPARE(g.x, 1);
    QCOMPARE(g.y, 10);
}

void TestScanGrid::restart()
{
    ScanGrid g;
    g.setup(50, 40, 2, 3, QRectF(4, 6, 20, 20), -1, -1);
    bool newLine;
    for (int i = 0; i < 7; ++i)
        g.next(newLine);
    QVERIFY(g.x != 6 || g.y != 9);
    g.restart();
    QCOMPARE(g.x, 6);
    QCOMPARE(g.y, 9);
}

// Areas that are not numbers or lie far outside int must neither overflow nor
// walk forever.
void TestScanGrid::absurdAreas()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    ScanGrid g;
    g.setup(10, 10, 0, 0, QRectF(nan, nan, nan, nan), -1, -1);
    QCOMPARE(g.x0, 0);
    QCOMPARE(g.x1, 0);
    QCOMPARE(walkAll(g).size(), 1);

    g.setup(10, 10, 1, 1, QRectF(-1e20, -1e20, 2e20, 2e20), -1, -1);
    QVERIFY(g.x0 < 0 && g.x1 > 0);
    QVERIFY(g.columns() > 0);
    QVERIFY(g.pointCount() > g.columns());

    g.setup(10, 10, 0, 0, QRectF(0, 0, 1e20, 1e20), std::numeric_limits<int>::max(),
            std::numeric_limits<int>::max());
    g.x = g.x1 - 1;
    g.y = g.y1 - 1;
    bool newLine;
    QVERIFY(!g.next(newLine));   // a huge step ends the walk instead of overflowing
    QVERIFY(newLine);
    QCOMPARE(g.x, g.x0);
    QVERIFY(g.y >= g.y1);

    g.setup(-5, -7, 0, 0, QRectF(0, 0, 1, 1), -1, -1);
    QCOMPARE(g.imageWidth, 0);
    QCOMPARE(g.imageHeight, 0);
}

void TestScanGrid::blockFillClipsAtCorners_data()
{
    QTest::addColumn<int>("cx");
    QTest::addColumn<int>("cy");
    QTest::addColumn<int>("written");

    QTest::newRow("top left corner") << 0 << 0 << 4;
    QTest::newRow("bottom right corner") << 4 << 3 << 4;
    QTest::newRow("inside") << 2 << 2 << 9;
    QTest::newRow("left edge") << 0 << 2 << 6;
    QTest::newRow("just outside") << -1 << -1 << 1;
    QTest::newRow("far outside") << 100 << -50 << 0;
}

void TestScanGrid::blockFillClipsAtCorners()
{
    QFETCH(int, cx);
    QFETCH(int, cy);
    QFETCH(int, written);

    const int w = 5, h = 4;
    QVector<double> map(w * h, 0.0);
    fillMapBlock(map.data(), w, h, cx, cy, 1, 1, 7.0);
    int n = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool inBlock = std::abs(x - cx) <= 1 && std::abs(y - cy) <= 1;
            QCOMPARE(map[y * w + x], inBlock ? 7.0 : 0.0);
            n += inBlock;
        }
    QCOMPARE(n, written);
}

void TestScanGrid::readOutside()
{
    const double map[6] = {1, 2, 3, 4, 5, 6};
    QCOMPARE(mapValueAt(map, 3, 2, 2, 1), 6.0);
    QCOMPARE(mapValueAt(map, 3, 2, 0, 0), 1.0);
    QCOMPARE(mapValueAt(map, 3, 2, 3, 0), 0.0);
    QCOMPARE(mapValueAt(map, 3, 2, 0, 2), 0.0);
    QCOMPARE(mapValueAt(map, 3, 2, -1, 0), 0.0);
    QCOMPARE(mapValueAt(nullptr, 3, 2, 0, 0), 0.0);
}

QTEST_GUILESS_MAIN(TestScanGrid)
#include "tst_scangrid.moc"
