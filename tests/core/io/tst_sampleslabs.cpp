#include "base/LargeBuffer.h"
#include "io/ImageContent.h"
#include "io/SampleSlabs.h"

#include <QtTest>
#include <algorithm>
#include <cstdint>
#include <vector>

// Image buffers cut from shared stores: each its own, aligned, in stores of
// the expected size, and every store freed with its last image.
class TestSampleSlabs : public QObject
{
    Q_OBJECT
private slots:
    void buffersAreApart_data();
    void buffersAreApart();
    void storeGoesWithItsLastImage();
    void contentTakesItsSize();
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
    for (int i = 0; i < taken; ++i) {
        const unsigned char* p = images[std::size_t(i)].get();
        QVERIFY(std::all_of(p, p + bytes, [i](unsigned char v) { return v == static_cast<unsigned char>(i); }));
    }
    // Within a store the images follow each other a padded size apart.
    const std::ptrdiff_t stride = (bytes + 63) / 64 * 64;
    for (int i = 1; i < std::min(taken, count); ++i)
        if (i % perStore != 0)
            QCOMPARE(images[std::size_t(i)].get() - images[std::size_t(i - 1)].get(), stride);
}

void TestSampleSlabs::storeGoesWithItsLastImage()
{
    // Stores of at least a huge page wait as spares once freed: the freeing
    // is seen there.
    const std::size_t bytes = std::size_t(1) << 20;
    LargeBuffer::releaseSpares();
    std::vector<LargeBuffer::Ptr<unsigned char>> images;
    {
        SampleSlabs slabs(bytes, 4);
        for (int i = 0; i < 4; ++i)
            images.push_back(slabs.take());
    }
    for (int i = 0; i < 3; ++i) {
        images[std::size_t(i)].reset();
        QCOMPARE(LargeBuffer::spareBytes(), std::size_t(0));
    }
    images.back().reset();
    QCOMPARE(LargeBuffer::spareBytes(), 4 * bytes);
    LargeBuffer::releaseSpares();
}

void TestSampleSlabs::contentTakesItsSize()
{
    // Contents of the run's size come from the store, others not.
    SampleSlabs slabs(5 * 4 * 2, 2);
    ImageContent a, b, other;
    QVERIFY(a.allocate(5, 4, 0, &slabs));
    QVERIFY(b.allocate(5, 4, 1, &slabs));
    QCOMPARE(b.samples.get() - a.samples.get(), std::ptrdiff_t(64));
    QVERIFY(other.allocate(5, 4, 3, &slabs));   // float: twice the bytes
    QVERIFY(other.samples.get() - a.samples.get() != std::ptrdiff_t(128));
    QVERIFY(!other.samples.get_deleter().store);
    QVERIFY(a.samples.get_deleter().store);
}

QTEST_GUILESS_MAIN(TestSampleSlabs)
#include "tst_sampleslabs.moc"
