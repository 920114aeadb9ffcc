#include "io/DarkField.h"
#include "io/ImageAverage.h"
#include "io/TiffData.h"

#include <QtTest>
#include <cstring>
#include <memory>
#include <vector>

// A dark made from the sums of its frames is the very dark made from their
// mean: every block sum bit for bit, and the level.
class TestDarkField : public QObject
{
    Q_OBJECT
private slots:
    void fromSumsMatchesFromMean_data();
    void fromSumsMatchesFromMean();
};

namespace {

std::unique_ptr<TiffData> frame(int width, int height, int k, bool floats)
{
    ImageContent c;
    if (!c.allocate(quint32(width), quint32(height), floats ? 3 : 1))
        return nullptr;
    c.bytesPerPixel = floats ? 4 : 2;
    c.scanlineBytes = quint32(width) * c.bytesPerPixel;
    for (int i = 0; i < width * height; ++i) {
        // Means that are no whole numbers and sums that round.
        const int v = (i * 7919 + k * 104729) % 4093 + 100;
        if (floats)
            reinterpret_cast<float*>(c.samples.get())[i] = float(v) / 3.0f;
        else
            reinterpret_cast<quint16*>(c.samples.get())[i] = quint16(v);
    }
    c.updateRange();
    auto t = std::make_unique<TiffData>();
    return t->adopt(c, QStringLiteral("frame %1").arg(k), false) ? std::move(t) : nullptr;
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

void TestDarkField::fromSumsMatchesFromMean_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("frames");
    QTest::addColumn<bool>("floats");
    QTest::newRow("one pixel, one frame") << 1 << 1 << 1 << false;
    QTest::newRow("three frames, 16-bit") << 17 << 11 << 3 << false;
    QTest::newRow("seven frames, float") << 9 << 13 << 7 << true;
    QTest::newRow("a huge page of sums") << 600 << 500 << 2 << false;
}

void TestDarkField::fromSumsMatchesFromMean()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, frames);
    QFETCH(bool, floats);
    ImageAverage average;
    QString error;
    for (int k = 0; k < frames; ++k) {
        const std::unique_ptr<TiffData> f = frame(width, height, k, floats);
        QVERIFY(f);
        QVERIFY2(average.add(*f, &error), qPrintable(error));
    }
    const DarkField fromMean(quint32(width), quint32(height), average.mean(), frames, QStringLiteral("dark"));
    const DarkField fromSums(average, QStringLiteral("dark"));
    QCOMPARE(fromSums.frames(), frames);
    QCOMPARE(int(fromSums.width()), width);
    QCOMPARE(int(fromSums.height()), height);
    QVERIFY(sameBits(fromSums.level(), fromMean.level()));
    for (int r0 = 0; r0 < height; r0 += std::max(1, height / 5))
        for (int c0 = 0; c0 < width; c0 += std::max(1, width / 5))
            for (const int size : {0, 2, 9}) {
                const qint64 c1 = std::min(c0 + size, width - 1), r1 = std::min(r0 + size, height - 1);
                QVERIFY(sameBits(fromSums.sum(c0, c1, r0, r1), fromMean.sum(c0, c1, r0, r1)));
            }
}

QTEST_GUILESS_MAIN(TestDarkField)
#include "tst_darkfield.moc"
