#include "base/LargeBuffer.h"

#include <QtTest>
#include <cstring>

// Freed huge stores come back for the next store of their size, and only then.
class TestLargeBuffer : public QObject
{
    Q_OBJECT
private slots:
    void spareStores_data();
    void spareStores();
};

void TestLargeBuffer::spareStores_data()
{
    constexpr int mb = 1 << 20;
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<bool>("kept");     // the first store waits as a spare once freed
    QTest::addColumn<bool>("reused");   // the second store is the first one
    QTest::newRow("below a huge page") << mb << mb << false << false;
    QTest::newRow("one huge page, same size") << 2 * mb << 2 * mb << true << true;
    QTest::newRow("image of 2048 x 2048, same size") << 8 * mb << 8 * mb << true << true;
    QTest::newRow("another size lets it go") << 8 * mb << 6 * mb << true << false;
    QTest::newRow("a small store leaves it waiting") << 8 * mb << 1000 << true << false;
}

void TestLargeBuffer::spareStores()
{
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(bool, kept);
    QFETCH(bool, reused);
    LargeBuffer::releaseSpares();
    const void* old = nullptr;
    {
        LargeBuffer::Ptr<char> a = LargeBuffer::make<char>(std::size_t(first));
        QVERIFY(a);
        std::memset(a.get(), 1, std::size_t(first));
        old = a.get();
    }
    QCOMPARE(LargeBuffer::spareBytes(), kept ? std::size_t(first) : std::size_t(0));
    LargeBuffer::Ptr<char> b = LargeBuffer::make<char>(std::size_t(second));
    QVERIFY(b);
    if (reused)
        QCOMPARE(static_cast<const void*>(b.get()), old);
    // A huge store of any size takes or lets go of every spare; a small one
    // leaves them.
    const bool small = second < (2 << 20);
    QCOMPARE(LargeBuffer::spareBytes(), small && kept ? std::size_t(first) : std::size_t(0));
    std::memset(b.get(), 2, std::size_t(second));
    b.reset();
    LargeBuffer::releaseSpares();
    QCOMPARE(LargeBuffer::spareBytes(), std::size_t(0));
}

QTEST_GUILESS_MAIN(TestLargeBuffer)
#include "tst_largebuffer.moc"
