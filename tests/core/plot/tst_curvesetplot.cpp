#include "plot/CurveSetPlot.h"

#include <QtTest>
#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(QVector<NamedCurve>)

namespace {

const double missing = std::numeric_limits<double>::quiet_NaN();

NamedCurve curve(const QString& name, const QVector<double>& x, const QVector<double>& y)
{
    NamedCurve c;
    c.name = name;
    c.x = x;
    c.y = y;
    return c;
}

} // namespace

// Plain x-y plots: one scale over every finite point, curves broken where a
// value is missing, legend lines only for named curves.
class TestCurveSetPlot : public QObject
{
    Q_OBJECT
private slots:
    void frames_data();
    void frames();
    void screeIsPercentPerComponent();
};

void TestCurveSetPlot::frames_data()
{
    QTest::addColumn<QVector<NamedCurve>>("curves");
    QTest::addColumn<double>("xLo");
    QTest::addColumn<double>("xHi");
    QTest::addColumn<double>("yLo");
    QTest::addColumn<double>("yHi");
    QTest::addColumn<QVector<int>>("pieces");   // per drawn curve
    QTest::addColumn<int>("legend");

    QTest::newRow("two curves share one scale")
        << QVector<NamedCurve>{curve("a", {1, 2, 3}, {0, 1, 2}), curve("b", {2, 5}, {-1, 0.5})} << 1.0 << 5.0
        << -1.0 << 2.0 << QVector<int>{1, 1} << 2;
    QTest::newRow("missing value breaks the curve")
        << QVector<NamedCurve>{curve("a", {1, 2, 3, 4, 5}, {1, 2, missing, 4, 5})} << 1.0 << 5.0 << 1.0 << 5.0
        << QVector<int>{2} << 1;
    QTest::newRow("missing x breaks the curve too")
        << QVector<NamedCurve>{curve("a", {1, missing, 3, 4}, {1, 2, 3, 4})} << 1.0 << 4.0 << 1.0 << 4.0
        << QVector<int>{2} << 1;
    QTest::newRow("unnamed curve has no legend line")
        << QVector<NamedCurve>{curve("", {0, 1}, {3, 4}), curve("b", {0, 1}, {1, 2})} << 0.0 << 1.0 << 1.0
        << 4.0 << QVector<int>{1, 1} << 1;
    QTest::newRow("curve without a finite point is left out")
        << QVector<NamedCurve>{curve("a", {0, 1}, {missing, missing}), curve("b", {0, 2}, {1, 3})} << 0.0 << 2.0 << 1.0
        << 3.0 << QVector<int>{1} << 1;
    QTest::newRow("flat values are widened")
        << QVector<NamedCurve>{curve("a", {0, 1}, {2, 2})} << 0.0 << 1.0 << 1.9 << 2.1 << QVector<int>{1} << 1;
    QTest::newRow("y longer than x uses the common points")
        << QVector<NamedCurve>{curve("a", {0, 1}, {1, 2, 100})} << 0.0 << 1.0 << 1.0 << 2.0 << QVector<int>{1}
        << 1;
}

void TestCurveSetPlot::frames()
{
    QFETCH(QVector<NamedCurve>, curves);
    QFETCH(double, xLo);
    QFETCH(double, xHi);
    QFETCH(double, yLo);
    QFETCH(double, yHi);
    QFETCH(QVector<int>, pieces);
    QFETCH(int, legend);
    const PlotFrame f = CurveSetPlot::build(curves);
    QVERIFY(f.isValid());
    QCOMPARE(f.xRange.lo, xLo);
    QCOMPARE(f.xRange.hi, xHi);
    QVERIFY(qAbs(f.yRange.lo - yLo) < 1e-12);
    QVERIFY(qAbs(f.yRange.hi - yHi) < 1e-12);
    QCOMPARE(f.curves.size(), pieces.size());
    for (int i = 0; i < pieces.size(); ++i) {
        QCOMPARE(f.curves[i].pieces.size(), pieces[i]);
        QCOMPARE(f.curves[i].yRange.lo, f.yRange.lo);
    }
    QCOMPARE(f.legend.size(), legend);
    // Different curves get different colours.
    if (f.curves.size() == 2)
        QVERIFY(f.curves[0].pen.color() != f.curves[1].pen.color());
}

void TestCurveSetPlot::screeIsPercentPerComponent()
{
    const NamedCurve s = CurveSetPlot::scree({0.7, 0.2, 0.05}, "v");
    QCOMPARE(s.x, (QVector<double>{1, 2, 3}));
    QCOMPARE(s.y.size(), 3);
    QVERIFY(qAbs(s.y[0] - 70.0) < 1e-12 && qAbs(s.y[2] - 5.0) < 1e-12);
    QVERIFY(!CurveSetPlot::build({}).isValid());
}

QTEST_MAIN(TestCurveSetPlot)
#include "tst_curvesetplot.moc"
