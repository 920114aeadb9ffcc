// Decoding bitshuffle/LZ4 chunks. The chunks here are built by the test from
// the format's definition: bit planes taken bit by bit, and LZ4 blocks of
// literals only (valid LZ4, written without an LZ4 encoder). Chunks written by
// the HDF5 filter itself are compared in tst_hdf5stack.

#include "io/BitshuffleLz4.h"

#include <QtTest>
#include <cstdint>
#include <vector>

using Bytes = std::vector<unsigned char>;
Q_DECLARE_METATYPE(Bytes)

namespace {

Bytes pseudoRandom(std::size_t n, std::uint32_t seed)
{
    Bytes out(n);
    for (unsigned char& b : out) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<unsigned char>(seed >> 24);
    }
    return out;
}

// Plane j * 8 + k: bit k of byte j of each of `count` elements, element e at
// bit e % 8 of byte e / 8.
Bytes planesOf(const unsigned char* elements, std::size_t count, std::size_t elementBytes)
{
    Bytes planes(count * elementBytes, 0);
    const std::size_t row = count / 8;
    for (std::size_t e = 0; e < count; ++e)
        for (std::size_t j = 0; j < elementBytes; ++j)
            for (std::size_t k = 0; k < 8; ++k)
                if ((elements[e * elementBytes + j] >> k) & 1u)
                    planes[(j * 8 + k) * row + e / 8] |= static_cast<unsigned char>(1u << (e % 8));
    return planes;
}

void putBigEndian(Bytes* out, std::uint64_t v, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out->push_back(static_cast<unsigned char>(v >> (8 * i)));
}

// One LZ4 block holding `data` as literals.
Bytes literalBlock(const Bytes& data)
{
    Bytes out;
    std::size_t n = data.size();
    out.push_back(static_cast<unsigned char>(std::min<std::size_t>(n, 15) << 4));
    if (n >= 15) {
        for (n -= 15; n >= 255; n -= 255)
            out.push_back(255);
        out.push_back(static_cast<unsigned char>(n));
    }
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

// A chunk as the filter writes it, blocks of blockElements elements.
Bytes encode(const Bytes& data, std::size_t elementBytes, std::size_t blockElements)
{
    Bytes out;
    putBigEndian(&out, data.size(), 8);
    putBigEndian(&out, blockElements * elementBytes, 4);
    const std::size_t count = data.size() / elementBytes;
    std::size_t done = 0;
    while (count - done >= 8) {
        const std::size_t left = count - done;
        const std::size_t n = std::min(blockElements, left - left % 8);
        const Bytes block = literalBlock(planesOf(data.data() + done * elementBytes, n, elementBytes));
        putBigEndian(&out, block.size(), 4);
        out.insert(out.end(), block.begin(), block.end());
        done += n;
    }
    out.insert(out.end(), data.begin() + std::ptrdiff_t(done * elementBytes), data.end());
    return out;
}

}

class TestBitshuffleLz4 : public QObject
{
    Q_OBJECT
private slots:
    void decodesWhatWasEncoded_data();
    void decodesWhatWasEncoded();
    void refusesBrokenChunks_data();
    void refusesBrokenChunks();
};

void TestBitshuffleLz4::decodesWhatWasEncoded_data()
{
    QTest::addColumn<int>("elementBytes");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("blockElements");

    QTest::newRow("bytes, one block") << 1 << 64 << 64;
    // 128 elements (16 bytes of each plane) and more go 128 at a time.
    QTest::newRow("bytes, 128 at a time") << 1 << 256 << 256;
    QTest::newRow("32-bit, 128 at a time and 8 more") << 4 << 408 << 136;
    QTest::newRow("16-bit, short last block and 2 left over") << 2 << 42 << 16;
    QTest::newRow("32-bit, 4 left over") << 4 << 84 << 16;
    QTest::newRow("16-bit, the default block and a short one") << 2 << 4480 << 4096;
    QTest::newRow("64-bit, blocks of 8") << 8 << 24 << 8;
    QTest::newRow("fewer than 8 elements: all left over") << 2 << 7 << 8;
    QTest::newRow("nothing") << 2 << 0 << 8;
}

void TestBitshuffleLz4::decodesWhatWasEncoded()
{
    QFETCH(int, elementBytes);
    QFETCH(int, count);
    QFETCH(int, blockElements);
    const Bytes data = pseudoRandom(std::size_t(count * elementBytes), std::uint32_t(count + elementBytes));
    const Bytes chunk = encode(data, std::size_t(elementBytes), std::size_t(blockElements));
    Bytes out(data.size() + 1, 0xAB);
    QVERIFY(BitshuffleLz4::decode(chunk.data(), chunk.size(), std::size_t(elementBytes), out.data(), data.size()));
    QVERIFY(std::equal(data.begin(), data.end(), out.begin()));
    QCOMPARE(int(out.back()), 0xAB);   // nothing written past the end
}

void TestBitshuffleLz4::refusesBrokenChunks_data()
{
    QTest::addColumn<Bytes>("chunk");
    QTest::addColumn<int>("outBytes");

    // 42 16-bit elements in blocks of 16: two blocks, one of 8, 2 left over.
    const Bytes good = encode(pseudoRandom(84, 7), 2, 16);
    const auto changed = [&](std::size_t at, unsigned char v) {
        Bytes c = good;
        c[at] = v;
        return c;
    };
    const auto cut = [&](std::size_t n) { return Bytes(good.begin(), good.begin() + std::ptrdiff_t(n)); };
    const std::size_t firstBlock = 12 + 4 + good[15];

    QTest::newRow("another size than the image") << good << 82;
    QTest::newRow("size not whole elements") << good << 83;
    QTest::newRow("header size differs") << changed(7, 86) << 84;
    QTest::newRow("block of no bytes") << changed(11, 0) << 84;
    QTest::newRow("block not whole elements") << changed(11, 33) << 84;
    QTest::newRow("block not 8 elements") << changed(11, 24) << 84;
    QTest::newRow("only a header") << cut(12) << 84;
    QTest::newRow("shorter than its header") << cut(7) << 84;
    QTest::newRow("ends in a block's size") << cut(14) << 84;
    QTest::newRow("ends in a block") << cut(40) << 84;
    QTest::newRow("block size past the end") << changed(12, 1) << 84;
    QTest::newRow("block one byte short") << changed(15, static_cast<unsigned char>(good[15] - 1)) << 84;
    QTest::newRow("literals past the block") << changed(17, 200) << 84;
    QTest::newRow("samples left over missing") << cut(good.size() - 1) << 84;
    QTest::newRow("second block cut") << cut(firstBlock + 6) << 84;
}

void TestBitshuffleLz4::refusesBrokenChunks()
{
    QFETCH(Bytes, chunk);
    QFETCH(int, outBytes);
    Bytes out(std::size_t(outBytes), 0);
    QVERIFY(!BitshuffleLz4::decode(chunk.data(), chunk.size(), 2, out.data(), out.size()));
}

QTEST_GUILESS_MAIN(TestBitshuffleLz4)
#include "tst_bitshufflelz4.moc"
