#include "io/DarkField.h"
#include "io/ImageAverage.h"
#include "io/TiffData.h"

#include <QtTest>
#include <cstring>

// A dark made from the sums of its frames is the very dark made from their
// mean: every block sum bit for bit, and the level.
class TestDarkField : public QObject
{
    Q_OBJECT
private slots:
    void fromSumsMatchesFromMean_data();
    void fromSumsMatchesFromMean();
};

void TestDarkField::fromSumsMatchesFromMean_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("pixelType");   // 1: 16-bit, 3: float
    QTest::newRow("one pixel, one frame") << 1 << 1 << 1 << 1;
    QTest::newRow("three frames, 16-bit") << 17 << 11 << 3 << 1;
    QTest::newRow("seven frames, float") << 9 << 13 << 7 << 3;
    QTest::newRow("a huge page of sums") << 600 << 500 << 2 << 1;
}

void TestDarkField::fromSumsMatchesFromMean()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, frames);
    QFETCH(int, pixelType);
    ImageAverage average;
    QString error;
    for (int k = 0; k < frames; ++k) {
        ImageContent c;
        QVERIFY(c.allocate(quint32(width), quint32(height), pixelType));
        c.bytesPerPixel = quint16(ImageContent::sampleSize(pixelType));
        c.scanlineBytes = quint32(width) * c.bytesPerPixel;
        // Means that are no whole numbers, sums that round.
        for (int i = 0; i < width * height; ++i) {
            const int v = int((qint64(i) * 7919 + qint64(k) * 104729) % 4093) + 100;
            if (pixelType == 3)
                reinterpret_cast<float*>(c.samples.get())[i] = float(v) / 3.0f;
            else
                reinterpret_cast<quint16*>(c.samples.get())[i] = quint16(v);
        }
        TiffData frame;
        QVERIFY(frame.adopt(c, QStringLiteral("frame"), false));
        QVERIFY2(average.add(frame, &error), qPrintable(error));
    }
    const DarkField fromMean(quint32(width), quint32(height), average.mean(), frames, QStringLiteral("dark"));
    const DarkField fromSums(average, QStringLiteral("dark"));
    QCOMPARE(fromSums.frames(), frames);
    const auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    QVERIFY(same(fromSums.level(), fromMean.level()));
    for (int r0 = 0; r0 < height; r0 += std::max(1, height / 5))
        for (int c0 = 0; c0 < width; c0 += std::max(1, width / 5))
            for (const int size : {0, 2, 9}) {
                const qint64 c1 = std::min(c0 + size, width - 1), r1 = std::min(r0 + size, height - 1);
                QVERIFY(same(fromSums.sum(c0, c1, r0, r1), fromMean.sum(c0, c1, r0, r1)));
            }
}

QTEST_GUILESS_MAIN(TestDarkField)
#include "tst_darkfield.moc"
