#include "base/SharedLoop.h"

#include <QtTest>
#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

class TestSharedLoop : public QObject
{
    Q_OBJECT
private slots:
    void everyItemOnce_data();
    void everyItemOnce();
    void errorReachesTheCaller();
};

void TestSharedLoop::everyItemOnce_data()
{
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("chunk");
    QTest::newRow("none") << 0 << 8;
    QTest::newRow("fewer than a chunk") << 5 << 8;
    QTest::newRow("whole chunks") << 64 << 8;
    QTest::newRow("last chunk short") << 301 << 32;
    QTest::newRow("chunk of one") << 97 << 1;
    QTest::newRow("chunk below one") << 10 << 0;
}

void TestSharedLoop::everyItemOnce()
{
    QFETCH(int, items);
    QFETCH(int, chunk);
    // Repeated, so that the helper joins some of the calls at different moments.
    for (int round = 0; round < 50; ++round) {
        std::vector<std::atomic<int>> seen(std::size_t(items > 0 ? items : 1));
        for (auto& s : seen)
            s = 0;
        std::atomic<bool> badRange{false};
        shareLoop(items, chunk, [&](int first, int end) {
            if (first < 0 || end > items || first >= end)
                badRange = true;
            for (int i = first; i < end; ++i)
                seen[std::size_t(i)].fetch_add(1);
        });
        QVERIFY(!badRange);
        for (int i = 0; i < items; ++i)
            QCOMPARE(seen[std::size_t(i)].load(), 1);
    }
}

void TestSharedLoop::errorReachesTheCaller()
{
    // Whichever thread meets the failing item, the caller hears of it, and
    // only once the other thread has let go of the caller's data.
    for (int round = 0; round < 20; ++round) {
        std::atomic<int> running{0};
        bool thrown = false;
        try {
            shareLoop(64, 4, [&](int first, int end) {
                running.fetch_add(1);
                std::this_thread::sleep_for(std::chrono::microseconds(50));
                running.fetch_sub(1);
                if (first <= 37 && 37 < end)
                    throw std::runtime_error("item 37");
            });
        } catch (const std::runtime_error& e) {
            thrown = QByteArray(e.what()) == "item 37";
        }
        QVERIFY(thrown);
        QCOMPARE(running.load(), 0);
    }
}

QTEST_GUILESS_MAIN(TestSharedLoop)
#include "tst_sharedloop.moc"
