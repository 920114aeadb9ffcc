#include "controls/WindowPlace.h"

#include <QtTest>

// Secondary windows open beside the main window, never on top of it when
// there is room, and always on the screen.
class TestWindowPlace : public QObject
{
    Q_OBJECT
private slots:
    void besideMain_data()
    {
        QTest::addColumn<QRect>("main");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("room on the right") << QRect(0, 0, 900, 700) << 0 << QRect(908, 0, 600, 400);
        QTest::newRow("next slot a step down") << QRect(0, 0, 900, 700) << 2 << QRect(908, 80, 600, 400);
        QTest::newRow("room on the left only") << QRect(1000, 100, 900, 700) << 0 << QRect(392, 100, 600, 400);
        QTest::newRow("no room: over the right part") << QRect(0, 0, 1500, 900) << 1
                                                      << QRect(1920 - 600 - 40, 40, 600, 400);
        QTest::newRow("kept on screen at the bottom") << QRect(0, 900, 900, 100) << 3 << QRect(908, 680, 600, 400);
    }
    void besideMain()
    {
        QFETCH(QRect, main);
        QFETCH(int, slot);
        QFETCH(QRect, expected);
        const QRect screen(0, 0, 1920, 1080);
        const QRect placed = WindowPlace::besideMain(main, QSize(600, 400), slot, screen);
        QCOMPARE(placed, expected);
        QVERIFY(screen.contains(placed));
    }
};

QTEST_GUILESS_MAIN(TestWindowPlace)
#include "tst_windowplace.moc"
