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
};

void TestSampleSlabs::buffersAreApart_data()
{
    const int store = int(SampleSlabs::storeBytes);
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("taken");      // buffers asked for (more than count: past the run)
    QTest::addColumn<int>("perStore");
    QTest::newRow("256 x 256 16-bit, one store") << 131072 << 150 << 150 << 256;
    QTest::newRow("odd row bytes are padded to 64") << 510 * 7 << 9 << 9 << store / 3584;
    QTest::newRow("images larger than a store") << store + 40 << 2 << 2 << 1;
    QTest::newRow("several stores") << store / 4 << 6 << 6 << 4;
    QTest::newRow("more buffers than announced") << 4096 << 3 << 5 << 8192;
}

void TestSampleSlabs::buffersAreApart()
{
    QFETCH(int, bytes);
    QFETCH(int, count);
    QFETCH(int, taken);
    QFETCH(int, perStore);
    SampleSlabs slabs(std::size_t(bytes), count);
    QCOMPARE(slabs.imagesPerStore(), perStore);
    std::vector<LargeBuffer::Ptr<unsigned char>> images;
    for (int i = 0; i < taken; ++i) {
        images.push_back(slabs.take());
        QVERIFY(images.back());
        QCOMPARE(reinterpret_cast<std::uintptr_t>(images.back().get()) % 64, std::uintptr_t(0));
        std::fill_n(images.back().get(), bytes, static_cast<unsigned char>(i));
    }
    // No image wrote into another.
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

QTEST_GUILESS_MAIN(TestSampleSlabs)
#include "tst_sampleslabs.moc"
