#include "display/MouseC.h"

#include <QtTest>
#include <climits>
#include <cmath>

class TestMouseC : public QObject
{
    Q_OBJECT
private slots:
    void rounding_data();
    void rounding();
    void gestures_data();
    void gestures();
    void recording();
};

void TestMouseC::rounding_data()
{
    QTest::addColumn<double>("v");
    QTest::addColumn<int>("rounded");
    QTest::newRow("2.5 up") << 2.5 << 3;
    QTest::newRow("2.49 down") << 2.49 << 2;
    QTest::newRow("0.5 up") << 0.5 << 1;
    QTest::newRow("-0.5 up to 0") << -0.5 << 0;
    QTest::newRow("-2.5 up to -2") << -2.5 << -2;
    QTest::newRow("-2.51 down to -3") << -2.51 << -3;
    QTest::newRow("-2.49") << -2.49 << -2;
    QTest::newRow("integer") << 7.0 << 7;
    QTest::newRow("huge") << 1e20 << INT_MAX;
    QTest::newRow("huge negative") << -1e20 << INT_MIN;
    QTest::newRow("nan") << std::nan("") << 0;
}

void TestMouseC::rounding()
{
    QFETCH(double, v);
    QFETCH(int, rounded);
    QCOMPARE(MouseC::roundHalfUp(v), rounded);
}

void TestMouseC::gestures_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("mods");
    QTest::addColumn<int>("gesture");
    const int L = Qt::LeftButton, R = Qt::RightButton;
    const int S = Qt::ShiftModifier, C = Qt::ControlModifier, A = Qt::AltModifier;
    QTest::newRow("left") << L << 0 << 0;
    QTest::newRow("shift left") << L << S << 1;
    QTest::newRow("ctrl left") << L << C << 2;
    QTest::newRow("alt left") << L << A << 3;
    QTest::newRow("shift ctrl left") << L << (S | C) << 4;
    QTest::newRow("shift alt left") << L << (S | A) << 5;
    QTest::newRow("ctrl alt left") << L << (C | A) << 6;
    QTest::newRow("all left") << L << (S | C | A) << 7;
    QTest::newRow("right") << R << 0 << 8;
    QTest::newRow("shift right") << R << S << 9;
    QTest::newRow("ctrl right") << R << C << 10;
    QTest::newRow("alt right") << R << A << 11;
    QTest::newRow("shift ctrl right") << R << (S | C) << 12;
    QTest::newRow("shift alt right") << R << (S | A) << 13;
    QTest::newRow("ctrl alt right") << R << (C | A) << 14;
    QTest::newRow("all right") << R << (S | C | A) << 15;
    QTest::newRow("middle") << int(Qt::MiddleButton) << 0 << 16;
    QTest::newRow("left and right") << (L | R) << 0 << 16;
    QTest::newRow("no button") << 0 << 0 << 16;
    QTest::newRow("keypad ignored") << L << int(Qt::KeypadModifier) << 0;
    QTest::newRow("meta ignored") << R << (int(Qt::MetaModifier) | C) << 10;
}

void TestMouseC::gestures()
{
    QFETCH(int, buttons);
    QFETCH(int, mods);
    QFETCH(int, gesture);
    QCOMPARE(MouseC::classify(Qt::MouseButtons(buttons), Qt::KeyboardModifiers(mods)), gesture);
    MouseC m;
    m.recordPress(QPointF(1, 1), Qt::MouseButtons(buttons), Qt::KeyboardModifiers(mods));
    QCOMPARE(m.gesture(), gesture);
}

void TestMouseC::recording()
{
    MouseC m;
    m.recordMove(QPointF(10.5, -3.5), Qt::NoButton, Qt::NoModifier);
    QCOMPARE(m.pos(), QPoint(11, -3));
    m.recordMove(QPointF(20.2, 5.7), Qt::NoButton, Qt::ShiftModifier);
    QCOMPARE(m.prevPos(), QPoint(11, -3));
    QCOMPARE(m.pos(), QPoint(20, 6));
    QCOMPARE(m.modifiers(), Qt::KeyboardModifiers(Qt::ShiftModifier));

    // A press moves the current position to the press point.
    m.recordPress(QPointF(30, 40), Qt::LeftButton, Qt::ControlModifier);
    QVERIFY(m.isPressed());
    QCOMPARE(m.pressPos(), QPoint(30, 40));
    QCOMPARE(m.pos(), QPoint(30, 40));
    QCOMPARE(m.prevPos(), QPoint(20, 6));
    QCOMPARE(m.gesture(), 2);

    // The gesture stays that of the press while other things happen.
    m.recordMove(QPointF(35, 45), Qt::LeftButton, Qt::NoModifier);
    QCOMPARE(m.gesture(), 2);
    QCOMPARE(m.buttons(), Qt::MouseButtons(Qt::LeftButton));

    m.recordRelease(QPointF(36, 46), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QVERIFY(!m.isPressed());
    QCOMPARE(m.releasePos(), QPoint(36, 46));
    QCOMPARE(m.releaseButtons(), Qt::MouseButtons(Qt::LeftButton));
    QCOMPARE(m.buttons(), Qt::MouseButtons(Qt::NoButton));
    QCOMPARE(m.pressButtons(), Qt::MouseButtons(Qt::LeftButton));
    QCOMPARE(m.pressModifiers(), Qt::KeyboardModifiers(Qt::ControlModifier));
    QCOMPARE(m.gesture(), 2);

    m.recordDoubleClick(QPointF(-0.5, 2.5), Qt::RightButton, Qt::AltModifier);
    QCOMPARE(m.doubleClickPos(), QPoint(0, 3));
    QCOMPARE(m.doubleClickButtons(), Qt::MouseButtons(Qt::RightButton));
    QCOMPARE(m.doubleClickModifiers(), Qt::KeyboardModifiers(Qt::AltModifier));

    m.setPos(QPoint(-7, 8));
    QCOMPARE(m.pos(), QPoint(-7, 8));
    QCOMPARE(m.prevPos(), QPoint(35, 45));
}

QTEST_GUILESS_MAIN(TestMouseC)
#include "tst_mousec.moc"
