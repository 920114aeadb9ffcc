// Reading TXRM/XRM files: the committed fixtures in tests/core/io/txrm were
// written by build/tools/txrm-fixtures (libgsf's OLE2 writer); their samples
// follow the formulas below, which that tool states too. Broken files are
// written here from the same stream map with one stream changed.

#include "io/TiffData.h"
#include "io/TxrmScan.h"
#include "io/TxrmSource.h"

#include "DemoModel.h"
#include "DemoTxrm.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

namespace {

QString fixture(const QString& name)
{
    return QStringLiteral(TXRM_FIXTURES_DIR "/") + name;
}

double imageValue(int i, int y, int x, bool asFloat)
{
    return 1000 + 100 * i + 10 * y + x + (asFloat ? 0.25 : 0.0);
}

double flatValue(int y, int x, bool asFloat)
{
    return 5000 + 3 * y + 2 * x + (asFloat ? 0.5 : 0.0);
}

// Three 16-bit 8 x 6 images and a float flat, as stream map.
DemoTxrm::Streams goodStreams()
{
    DemoTxrm::Scan s;
    s.width = 8;
    s.height = 6;
    for (int i = 0; i < 3; ++i) {
        std::vector<quint16> v;
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x)
                v.push_back(quint16(imageValue(i, y, x, false)));
        s.images.push_back(DemoTxrm::words(v));
        s.energies.push_back(float(7100 + 10 * i));
    }
    s.flat = DemoTxrm::floats(std::vector<float>(48, 5000.5f));
    s.flatDataType = 10;
    return DemoTxrm::streams(s);
}

}

class TestTxrm : public QObject
{
    Q_OBJECT
private slots:
    void fixtures_data();
    void fixtures();
    void badFiles_data();
    void badFiles();
    void demoFillsTwoStorages();
};

void TestTxrm::fixtures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("images");
    QTest::addColumn<bool>("floatImages");
    QTest::addColumn<QString>("lastStream");
    QTest::addColumn<int>("flatType");   // 0: no flat

    QTest::newRow("3 images, one storage, float flat") << "three_8x6.txrm" << 3 << false << "ImageData1/Image3" << 3;
    QTest::newRow("5 float images, 3 to a storage, 16-bit flat by its size")
        << "two_storages.txrm" << 5 << true << "ImageData2/Image5" << 1;
    QTest::newRow("XRM: one image, no count, no flat") << "one_image.xrm" << 1 << false << "ImageData1/Image1" << 0;
}

void TestTxrm::fixtures()
{
    QFETCH(QString, file);
    QFETCH(int, images);
    QFETCH(bool, floatImages);
    QFETCH(int, flatType);
    const QString path = fixture(file);
    QVERIFY(TxrmScan::isCompoundFile(path));
    TxrmPlan plan;
    QString error;
    QVERIFY2(TxrmScan::check(path, &plan, &error), qPrintable(error));
    QCOMPARE(plan.images(), images);
    QCOMPARE(plan.width, 8u);
    QCOMPARE(plan.height, 6u);
    QTEST(plan.imageStreams.last(), "lastStream");
    QCOMPARE(plan.energies.size(), size_t(images));

    const TxrmSources sources = TxrmSources::of(plan);
    QCOMPARE(sources.images->count(), images);
    for (int i = 0; i < images; ++i) {
        const std::unique_ptr<TiffData> t = sources.images->read(i, false, {});
        QVERIFY2(t, qPrintable(sources.images->lastError()));
        QCOMPARE(t->pixelType(), floatImages ? int(TiffData::CttrFloat) : int(TiffData::ImU16));
        QCOMPARE(t->fileName(), path + "::" + plan.imageStreams.at(i));
        QVERIFY(t->hasFileEnergy());
        QCOMPARE(t->energy(), 7100.0 + 10 * i);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x)
                QCOMPARE(t->sample(x, y), imageValue(i, y, x, floatImages));
        QCOMPARE(t->maximum(), imageValue(i, 5, 7, floatImages));
    }
    QCOMPARE(bool(sources.flat), flatType != 0);
    if (!sources.flat)
        return;
    const std::unique_ptr<TiffData> flat = sources.flat->read(0, false, {});
    QVERIFY2(flat, qPrintable(sources.flat->lastError()));
    QCOMPARE(flat->pixelType(), flatType);
    QCOMPARE(flat->energy(), 7100.0);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            QCOMPARE(flat->sample(x, y), flatValue(y, x, flatType == 3));
}

void TestTxrm::badFiles_data()
{
    QTest::addColumn<QString>("stream");   // changed stream; empty: the file is `bytes` alone
    QTest::addColumn<bool>("remove");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");

    const QByteArray none;
    QTest::newRow("not a compound file") << QString() << false << QByteArray("II*\0 not a TXRM", 15)
                                         << "is not an OLE2 compound file";
    QTest::newRow("signature, then nothing") << QString() << false << QByteArray::fromHex("d0cf11e0a1b11ae1") + QByteArray(40, '\0')
                                             << "is not a readable OLE2 compound file";
    QTest::newRow("width missing") << "ImageInfo/ImageWidth" << true << none << "stream ImageInfo/ImageWidth missing";
    QTest::newRow("data type short") << "ImageInfo/DataType" << false << QByteArray(2, '\5')
                                     << "stream ImageInfo/DataType holds 2 bytes, not a 4-byte integer";
    QTest::newRow("unknown data type") << "ImageInfo/DataType" << false << DemoTxrm::int32(7)
                                       << "stream ImageInfo/DataType names data type 7";
    QTest::newRow("huge width") << "ImageInfo/ImageWidth" << false << DemoTxrm::int32(1 << 30)
                                << "give images of 1073741824 x 6 pixels";
    QTest::newRow("negative height") << "ImageInfo/ImageHeight" << false << DemoTxrm::int32(-6)
                                     << "give images of 8 x -6 pixels";
    QTest::newRow("huge count") << "ImageInfo/ImagesTaken" << false << DemoTxrm::int32(2000000000)
                                << "stream ImageInfo/ImagesTaken gives 2000000000 images";
    QTest::newRow("image stream missing") << "ImageData1/Image2" << true << none
                                          << "stream ImageData1/Image2 missing (ImageInfo/ImagesTaken says 3 images, 2 are there)";
    QTest::newRow("fewer images than energies") << "ImageInfo/ImagesTaken" << false << DemoTxrm::int32(4)
                                                << "stream ImageData1/Image4 missing";
    QTest::newRow("image short") << "ImageData1/Image3" << false << QByteArray(90, '\1')
                                 << "stream ImageData1/Image3 holds 90 bytes; one image of 8 x 6 16-bit pixels needs 96";
    QTest::newRow("float type, 16-bit streams") << "ImageInfo/DataType" << false << DemoTxrm::int32(10)
                                                << "stream ImageData1/Image1 holds 96 bytes; one image of 8 x 6 float pixels needs 192";
    QTest::newRow("too few energies") << "ImageInfo/Energy" << false << DemoTxrm::floats({7100.f, 7110.f})
                                      << "stream ImageInfo/Energy holds 2 energies for 3 images";
    QTest::newRow("energy not a number") << "ImageInfo/Energy" << false << DemoTxrm::floats({7100.f, NAN, 7120.f})
                                         << "stream ImageInfo/Energy holds an energy that is not a number";
    QTest::newRow("flat of another size") << "ReferenceData/Image" << false << QByteArray(96, '\1')
                                          << "stream ReferenceData/Image holds 96 bytes; one image of 8 x 6 float pixels needs 192";
    QTest::newRow("flat of unknown type") << "ReferenceData/DataType" << false << DemoTxrm::int32(3)
                                          << "stream ReferenceData/DataType names data type 3";
}

void TestTxrm::badFiles()
{
    QFETCH(QString, stream);
    QFETCH(bool, remove);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.txrm"));
    QString error;
    if (stream.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    } else {
        DemoTxrm::Streams s = goodStreams();
        QVERIFY(s.count(stream) == 1 || !remove);
        if (remove)
            s.erase(stream);
        else
            s[stream] = bytes;
        QVERIFY2(DemoTxrm::writeCompound(path, s, &error), qPrintable(error));
    }
    TxrmPlan plan;
    QVERIFY(!TxrmScan::check(path, &plan, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY2(error.contains(path), qPrintable(error));
    QCOMPARE(plan.images(), 0);
    QVERIFY(plan.energies.empty());
}

// The demo as TXRM: 104 energies fill ImageData1 (Image1..100) and start
// ImageData2; every image and the mean flat come back as written.
void TestTxrm::demoFillsTwoStorages()
{
    DemoConfig config;
    config.width = 12;
    config.height = 8;
    config.energies = 104;
    const DemoModel model(config);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("scan.txrm"));
    QString error;
    QVERIFY2(DemoTxrm::write(model, true, path, &error), qPrintable(error));
    TxrmPlan plan;
    QVERIFY2(TxrmScan::check(path, &plan, &error), qPrintable(error));
    QCOMPARE(plan.images(), 104);
    QCOMPARE(plan.imageStreams.at(99), QStringLiteral("ImageData1/Image100"));
    QCOMPARE(plan.imageStreams.at(100), QStringLiteral("ImageData2/Image101"));
    const TxrmSources sources = TxrmSources::of(plan);
    std::vector<quint16> i0, i1, cal;
    std::vector<double> flat(96, 0.0);
    for (int i = 0; i < 104; ++i) {
        model.images(i, true, &i0, &i1, &cal);
        for (size_t p = 0; p < flat.size(); ++p)
            flat[p] += double(i0[p]) / 104;
        const std::unique_ptr<TiffData> t = sources.images->read(i, false, {});
        QVERIFY2(t, qPrintable(sources.images->lastError()));
        QCOMPARE(t->energy(), double(float(model.energies()[size_t(i)])));
        for (int p = 0; p < 96; p += 7)
            QCOMPARE(t->sample(p % 12, p / 12), double(i1[size_t(p)]));
    }
    const std::unique_ptr<TiffData> f = sources.flat->read(0, false, {});
    QVERIFY(f);
    for (int p = 0; p < 96; p += 5)
        QCOMPARE(f->sample(p % 12, p / 12), double(float(flat[size_t(p)])));
}

QTEST_GUILESS_MAIN(TestTxrm)
#include "tst_txrm.moc"
