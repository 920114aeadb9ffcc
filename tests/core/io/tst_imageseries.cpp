#include "io/ImageSeries.h"
#include "io/TiffData.h"

#include "TestStacks.h"

#include <QTest>

class TestImageSeries : public QObject
{
    Q_OBJECT
private slots:
    void i1OfAnotherSizeIsRefused();
    void i0SizeWarningOncePerSeries();
    void staleImagesOfACancelledLoad();
};

void TestImageSeries::i1OfAnotherSizeIsRefused()
{
    TestStacks stacks;
    ImageSeries i1;
    auto* a = new TiffData;
    auto* b = new TiffData;
    QVERIFY(stacks.u16(8, 4, 1, [](int, int) { return 1; }));
    QVERIFY(a->read(stacks.last()->fileName()));
    QVERIFY(stacks.u16(4, 8, 1, [](int, int) { return 1; }));
    QVERIFY(b->read(stacks.last()->fileName()));
    QString message;
    QVERIFY(SeriesSizeCheck::acceptI1(i1, *a, &message));
    i1.append(a);
    QVERIFY(SeriesSizeCheck::acceptI1(i1, *a, &message));
    QVERIFY(!SeriesSizeCheck::acceptI1(i1, *b, &message));
    QVERIFY(message.contains(b->fileName()));
    QVERIFY(message.contains("4 x 8"));
    QVERIFY(message.contains("8 x 4"));
    delete b;
}

void TestImageSeries::i0SizeWarningOncePerSeries()
{
    TestStacks stacks;
    ImageSeries i1, i0;
    auto* big = new TiffData;
    auto* small1 = new TiffData;
    auto* small2 = new TiffData;
    QVERIFY(stacks.u16(8, 8, 1, [](int, int) { return 1; }));
    QVERIFY(big->read(stacks.last()->fileName()));
    QVERIFY(stacks.u16(4, 4, 1, [](int, int) { return 1; }));
    QVERIFY(small1->read(stacks.last()->fileName()));
    QVERIFY(small2->read(stacks.last()->fileName()));
    i1.append(big);
    bool warned = false;
    const QString w = SeriesSizeCheck::i0Warning(i1, i0, *small1, &warned);
    QVERIFY(w.contains(small1->fileName()) && w.contains("4 x 4") && w.contains("8 x 8"));
    QVERIFY(warned);
    i0.append(small1);
    QVERIFY(SeriesSizeCheck::i0Warning(i1, i0, *small2, &warned).isEmpty());
    delete small2;
}

void TestImageSeries::staleImagesOfACancelledLoad()
{
    SeriesLoadBook book;
    QCOMPARE(book.startRequest(), 1);
    QVERIFY(!book.isStale());
    // Cleared during the load, then a new load is asked for.
    QCOMPARE(book.cancelAll(), 1);
    QCOMPARE(book.startRequest(), 2);
    QVERIFY(book.isStale());      // images still queued from request 1
    book.finish();                // request 1 ends
    QVERIFY(!book.isStale());     // images of request 2 are kept
    QVERIFY(book.isLoading());
    book.finish();
    QVERIFY(!book.isLoading());
    book.finish();                // a surplus finish never runs ahead
    QCOMPARE(book.finished, 2);
}

QTEST_GUILESS_MAIN(TestImageSeries)
#include "tst_imageseries.moc"
