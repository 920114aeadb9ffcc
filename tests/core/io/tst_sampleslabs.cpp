#include "base/LargeBuffer.h"
#include "io/SampleSlabs.h"

#include <QtTest>
#include <algorithm>
#include <cstdint>
#include <vector>

// Image buffers cut from shared stores: each its own and aligned, and every
// store freed with its last image.
class TestSampleSlabs : public QObject
{
    Q_OBJECT
private slots:
    void buffersAreApart_data();
    void buffersAreApart();
    void storeGoesWithItsLastImage_data();
    void storeGoesWithItsLastImage();
    void recycledStoreServesTheNextFrame_data();
    void recycledStoreServesTheNextFrame();
};

void TestSampleSlabs::buffersAreApart_data()
{
    const int store = int(SampleSlabs::storeBytes);
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("taken");      // buffers asked for (more than count: past the run)
    QTest::addColumn<int>("perStore");
    QTest::addColumn<int>("faulting");
    for (const int f : {int(SampleSlabs::FaultAhead), int(SampleSlabs::FaultOnWrite)}) {
        const char* how = f == SampleSlabs::FaultAhead ? "faulted ahead" : "faulted on write";
        QTest::addRow("256 x 256 16-bit, one store, %s", how) << 131072 << 150 << 150 << 256 << f;
        QTest::addRow("odd row bytes are padded to 64, %s", how) << 510 * 7 << 9 << 9 << store / 3584 << f;
        QTest::addRow("images larger than a store, %s", how) << store + 40 << 2 << 2 << 1 << f;
        QTest::addRow("several stores, %s", how) << store / 4 << 6 << 6 << 4 << f;
        QTest::addRow("more buffers than announced, %s", how) << 4096 << 3 << 5 << 8192 << f;
        // The store is three huge pages, the last one's tail handed back.
        QTest::addRow("store tail past the images, %s", how) << 1500000 << 3 << 3 << 22 << f;
        QTest::addRow("a load cut short, %s", how) << 1500000 << 9 << 2 << 22 << f;
    }
}

void TestSampleSlabs::buffersAreApart()
{
    QFETCH(int, bytes);
    QFETCH(int, count);
    QFETCH(int, taken);
    QFETCH(int, perStore);
    QFETCH(int, faulting);
    std::vector<LargeBuffer::Ptr<unsigned char>> images;
    {
        SampleSlabs slabs(std::size_t(bytes), count, SampleSlabs::Faulting(faulting));
        QCOMPARE(slabs.imagesPerStore(), perStore);
        for (int i = 0; i < taken; ++i) {
            images.push_back(slabs.take());
            QVERIFY(images.back());
            QCOMPARE(reinterpret_cast<std::uintptr_t>(images.back().get()) % 64, std::uintptr_t(0));
            std::fill_n(images.back().get(), bytes, static_cast<unsigned char>(i));
        }
    }
    // No image wrote into another, and handing back the stores' tails as
    // the slabs went took nothing of an image.
    for (int i = 0; i < taken; ++i)
        QVERIFY(std::all_of(images[std::size_t(i)].get(), images[std::size_t(i)].get() + bytes,
                            [i](unsigned char v) { return v == static_cast<unsigned char>(i); }));
}

void TestSampleSlabs::storeGoesWithItsLastImage_data()
{
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("spareBytes");   // the freed store, waiting as a spare
    const int mb = 1 << 20;
    QTest::newRow("whole huge pages") << mb << 4 << 4 * mb;
    QTest::newRow("rounded up to whole huge pages") << 3 * mb / 2 << 3 << 6 * mb;
    QTest::newRow("150 images of 256 x 256 16-bit") << 131072 << 150 << 20 * mb;
    QTest::newRow("below a huge page: no spare") << mb / 2 << 3 << 0;
}

void TestSampleSlabs::storeGoesWithItsLastImage()
{
    // A store of a huge page or more waits as a spare once freed.
    QFETCH(int, bytes);
    QFETCH(int, count);
    LargeBuffer::releaseSpares();
    std::vector<LargeBuffer::Ptr<unsigned char>> images;
    {
        SampleSlabs slabs(std::size_t(bytes), count);
        for (int i = 0; i < count; ++i)
            images.push_back(slabs.take());
    }
    for (auto& image : images) {
        QCOMPARE(LargeBuffer::spareBytes(), std::size_t(0));
        image.reset();
    }
    QTEST(int(LargeBuffer::spareBytes()), "spareBytes");
    LargeBuffer::releaseSpares();
}

void TestSampleSlabs::recycledStoreServesTheNextFrame_data()
{
    QTest::addColumn<int>("bytes");
    QTest::addColumn<bool>("dropped");   // the frame is gone before the next is taken
    QTest::newRow("small frame, dropped") << 131072 << true;
    QTest::newRow("small frame, still held") << 131072 << false;
    QTest::newRow("huge-page frame, dropped") << (2 << 20) << true;
    QTest::newRow("huge-page frame, still held") << (2 << 20) << false;
}

void TestSampleSlabs::recycledStoreServesTheNextFrame()
{
    QFETCH(int, bytes);
    QFETCH(bool, dropped);
    LargeBuffer::releaseSpares();
    SampleSlabs slabs(std::size_t(bytes), 1, SampleSlabs::Recycle);
    LargeBuffer::Ptr<unsigned char> first = slabs.take();
    QVERIFY(first);
    std::fill_n(first.get(), bytes, static_cast<unsigned char>(7));
    const unsigned char* at = first.get();
    if (dropped)
        first.reset();
    LargeBuffer::Ptr<unsigned char> second = slabs.take();
    QCOMPARE(second.get() == at, dropped);
    std::fill_n(second.get(), bytes, static_cast<unsigned char>(9));
    QVERIFY(dropped || std::all_of(first.get(), first.get() + bytes, [](unsigned char v) { return v == 7; }));
    // A recycled store is for passing use: it never waits as a spare.
    first.reset();
    second.reset();
    slabs.release();
    QCOMPARE(LargeBuffer::spareBytes(), std::size_t(0));
}

QTEST_GUILESS_MAIN(TestSampleSlabs)
#include "tst_sampleslabs.moc"
