// Reading HDF5 scans: the committed fixtures in tests/core/io/hdf5 were
// written by h5py (see make-fixtures.py there for how, and for the formulas
// their samples follow, which the tests repeat).

#include "io/DarkField.h"
#include "io/DarkFieldJob.h"
#include "io/Hdf5Catalog.h"
#include "io/Hdf5Probe.h"
#include "io/Hdf5Scan.h"
#include "io/Hdf5Stack.h"
#include "io/Hdf5StackSource.h"
#include "io/LoadTiff.h"
#include "io/TiffData.h"

#include <QThread>
#include <QtTest>
#include <cstring>
#include <memory>

namespace {

QString fixture(const char* name)
{
    return QStringLiteral(HDF5_FIXTURES_DIR "/") + QLatin1String(name);
}

double imageValue(int i, int y, int x)
{
    return 1000 + 100 * i + 10 * y + x;
}

double flatValue(int i, int y, int x)
{
    return 5000 + 50 * i + 3 * y + 2 * x;
}

double darkValue(int i, int y)
{
    return 90 + 4 * i + y;
}

}

class TestHdf5Stack : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void recogniseLayouts_data();
    void recogniseLayouts();
    void readImages_data();
    void readImages();
    void routesAgree_data();
    void routesAgree();
    void checkGoodScans_data();
    void checkGoodScans();
    void badScans_data();
    void badScans();
    void damagedFileRefused_data();
    void damagedFileRefused();
    void loadThroughLoader();
    void averagedFlat();
    void darkFromStack();
    void darkBlockSums();
};

void TestHdf5Stack::initTestCase()
{
    qRegisterMetaType<TiffData*>();
    qRegisterMetaType<ImageSourcePtr>();
}

void TestHdf5Stack::recogniseLayouts_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("images");
    QTest::addColumn<QString>("flats");
    QTest::addColumn<QString>("darks");
    QTest::addColumn<QString>("energies");
    QTest::addColumn<int>("unit");

    QTest::newRow("full-field XANES") << fixture("xanes_layout.h5") << "/img_xanes"
                                      << "/img_bkg"
                                      << "/img_dark"
                                      << "/X_eng" << int(Hdf5Scan::KiloElectronVolt);
    QTest::newRow("Data Exchange") << fixture("exchange_layout.h5") << "/exchange/data"
                                   << "/exchange/data_white"
                                   << "/exchange/data_dark"
                                   << "/exchange/energy" << int(Hdf5Scan::ElectronVolt);
    QTest::newRow("images and energies only") << fixture("energy_count.h5") << "/img_xanes" << QString() << QString()
                                              << "/X_eng" << int(Hdf5Scan::KiloElectronVolt);
}

void TestHdf5Stack::recogniseLayouts()
{
    QFETCH(QString, file);
    QVector<Hdf5Dataset> sets;
    QString error;
    QVERIFY2(Hdf5Catalog::list(file, &sets, &error), qPrintable(error));
    Hdf5Scan scan;
    QVERIFY(Hdf5Layouts::recognise(sets, &scan));
    QTEST(scan.images, "images");
    QTEST(scan.flats, "flats");
    QTEST(scan.darks, "darks");
    QTEST(scan.energies, "energies");
    QTEST(int(scan.unit), "unit");
    QVERIFY(!scan.layout.isEmpty());
}

void TestHdf5Stack::readImages_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("dataset");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("pixelType");

    QTest::newRow("uint16 stack") << fixture("xanes_layout.h5") << "/img_xanes" << 4 << 6 << 5 << 1;
    QTest::newRow("float32 stack in a group") << fixture("exchange_layout.h5") << "exchange/data" << 3 << 4 << 5 << 3;
    QTest::newRow("bitshuffle/LZ4, two images a chunk") << fixture("bitshuffle_lz4.h5") << "/img_xanes" << 5 << 8 << 8
                                                        << 1;
}

void TestHdf5Stack::readImages()
{
    QFETCH(QString, file);
    QFETCH(QString, dataset);
    QFETCH(int, count);
    QFETCH(int, height);
    QFETCH(int, width);
    Hdf5Stack stack;
    QString error;
    QVERIFY2(stack.open(file, dataset, &error), qPrintable(error));
    QCOMPARE(stack.count(), count);
    QCOMPARE(int(stack.width()), width);
    QCOMPARE(int(stack.height()), height);
    QTEST(stack.pixelType(), "pixelType");
    // Last image first: a chunk cache must not depend on the order.
    for (int i = count - 1; i >= 0; --i) {
        ImageContent c;
        QVERIFY2(stack.read(i, c, &error), qPrintable(error));
        TiffData t;
        QVERIFY(t.adopt(c, Hdf5Stack::imageName(file, dataset, i), false));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                QCOMPARE(t.sample(x, y), imageValue(i, y, x));
        QCOMPARE(t.minimum(), imageValue(i, 0, 0));
        QCOMPARE(t.maximum(), imageValue(i, height - 1, width - 1));
    }
    ImageContent c;
    QVERIFY(!stack.read(count, c, &error));
    QVERIFY(error.contains(QStringLiteral("no image %1").arg(count)));
}

void TestHdf5Stack::routesAgree_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("dataset");
    QTest::addColumn<int>("route");

    const int direct = Hdf5Stack::Direct, library = Hdf5Stack::Library;
    QTest::newRow("scan images") << fixture("xanes_layout.h5") << "/img_xanes" << direct;
    QTest::newRow("float images") << fixture("exchange_layout.h5") << "/exchange/data" << direct;
    QTest::newRow("bitshuffle/LZ4 scan") << fixture("bitshuffle_lz4.h5") << "/img_xanes" << direct;
    QTest::newRow("B-tree chunks, two images each") << fixture("storage_earliest.h5") << "/chunks_two_images" << direct;
    QTest::newRow("B-tree chunks, bitshuffle/LZ4") << fixture("storage_earliest.h5") << "/bslz4_small_blocks" << direct;
    const struct {
        const char* name;
        int route;
    } latest[] = {
        {"contiguous_u16be", direct}, {"contiguous_u32", direct}, {"contiguous_u8", direct},
        {"contiguous_i8", direct}, {"contiguous_f32", direct}, {"one_image", direct},
        {"chunks_one_image", direct}, {"chunks_two_images", direct}, {"chunks_i16be", direct},
        {"chunks_f32be", direct}, {"bslz4_one_image", direct}, {"bslz4_small_blocks", direct},
        {"bslz4_u8", direct}, {"bslz4_noisy", direct}, {"contiguous_f64", library},
        {"contiguous_i32", library}, {"chunks_cut_rows", library}, {"lz4_plugin", library},
        {"never_written", library}, {"half_written", library},
    };
    for (const auto& row : latest)
        QTest::newRow(row.name) << fixture("storage_latest.h5") << QString::fromLatin1(row.name) << row.route;
}

void TestHdf5Stack::routesAgree()
{
    // Read straight from the file or through the library, every image has
    // the same samples and range.
    QFETCH(QString, file);
    QFETCH(QString, dataset);
    Hdf5Stack library, fastest;
    QString error;
    QVERIFY2(library.open(file, dataset, &error, Hdf5Stack::Library), qPrintable(error));
    QVERIFY2(fastest.open(file, dataset, &error), qPrintable(error));
    QCOMPARE(library.route(), Hdf5Stack::Library);
    QTEST(int(fastest.route()), "route");
    QCOMPARE(fastest.count(), library.count());
    QCOMPARE(fastest.pixelType(), library.pixelType());
    const std::size_t bytes =
        std::size_t(library.width()) * library.height() * std::size_t(ImageContent::sampleSize(library.pixelType()));
    // Back and forth, so that chunks of several images are left and taken up
    // again.
    QVector<int> order;
    for (int i = library.count() - 1; i >= 0; --i)
        order << i;
    for (int i = 0; i < library.count(); i += 2)
        order << i;
    // Direct reads take uncompressed images in pieces, the range piece by
    // piece: also with pieces of a few samples (10 bytes: a 32-bit sample
    // never fits twice) the images and their ranges are the same.
    for (const std::size_t piece : {std::size_t(256) << 10, std::size_t(10)}) {
        Hdf5Stack::setDirectPieceBytes(piece);
        for (int i : order) {
            ImageContent a, b;
            QVERIFY2(library.read(i, a, &error), qPrintable(error));
            QVERIFY2(fastest.read(i, b, &error), qPrintable(error));
            QCOMPARE(b.width, a.width);
            QCOMPARE(b.height, a.height);
            QVERIFY2(std::memcmp(a.samples.get(), b.samples.get(), bytes) == 0, qPrintable(QString::number(i)));
            QCOMPARE(b.minimum, a.minimum);
            QCOMPARE(b.maximum, a.maximum);
        }
    }
    Hdf5Stack::setDirectPieceBytes(std::size_t(256) << 10);
}

void TestHdf5Stack::checkGoodScans_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("images");
    QTest::addColumn<int>("flats");
    QTest::addColumn<int>("darkCount");
    QTest::addColumn<QVector<double>>("energies");

    QTest::newRow("one flat per image, keV") << fixture("xanes_layout.h5") << 4 << int(Hdf5ScanPlan::FlatPerImage) << 3
                                             << QVector<double>{7100, 7110, 7120, 7130};
    QTest::newRow("two flats for three images, eV") << fixture("exchange_layout.h5") << 3
                                                    << int(Hdf5ScanPlan::AveragedFlat) << 2
                                                    << QVector<double>{7100, 7110, 7120};
}

void TestHdf5Stack::checkGoodScans()
{
    QFETCH(QString, file);
    QFETCH(QVector<double>, energies);
    QVector<Hdf5Dataset> sets;
    QString error;
    QVERIFY(Hdf5Catalog::list(file, &sets, &error));
    Hdf5Scan scan;
    QVERIFY(Hdf5Layouts::recognise(sets, &scan));
    scan.file = file;
    Hdf5ScanPlan plan;
    QVERIFY2(Hdf5ScanCheck::check(scan, &plan, &error), qPrintable(error));
    QTEST(plan.images, "images");
    QTEST(int(plan.flats), "flats");
    QTEST(plan.darkCount, "darkCount");
    QCOMPARE(int(plan.energies.size()), energies.size());
    for (int i = 0; i < energies.size(); ++i)
        QVERIFY(qAbs(plan.energies[size_t(i)] - energies[i]) < 1e-6);
}

void TestHdf5Stack::badScans_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("images");
    QTest::addColumn<QString>("flats");
    QTest::addColumn<QString>("energies");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("stackRefuses");   // the image dataset alone is at fault

    const QString x = QStringLiteral("/img_xanes"), e = QStringLiteral("/X_eng");
    QTest::newRow("not HDF5") << fixture("not_hdf5.h5") << x << QString() << e << "is not an HDF5 file" << true;
    QTest::newRow("missing file") << fixture("no_such_file.h5") << x << QString() << e << "Can not open" << true;
    QTest::newRow("dataset missing") << fixture("xanes_layout.h5") << "/img_sample" << QString() << e
                                     << "no dataset /img_sample" << true;
    QTest::newRow("flat dataset missing") << fixture("energy_count.h5") << x << "/img_bkg" << QString()
                                          << "no dataset /img_bkg" << false;
    QTest::newRow("images of rank 2") << fixture("wrong_rank.h5") << x << QString() << e
                                      << "dataset /img_xanes has 2 dimensions" << false;
    QTest::newRow("energies of rank 3") << fixture("xanes_layout.h5") << x << QString() << "/img_bkg"
                                        << "dataset /img_bkg has 3 dimensions; energies need 1" << false;
    QTest::newRow("flats of another size") << fixture("size_mismatch.h5") << x << "/img_bkg" << e
                                           << "the images of /img_bkg are 5 x 5 pixels, those of /img_xanes 5 x 6" << false;
    QTest::newRow("energy count differs") << fixture("energy_count.h5") << x << QString() << e
                                          << "/X_eng holds 3 energies for 4 images in /img_xanes" << false;
    QTest::newRow("strings, not numbers") << fixture("text_images.h5") << x << QString() << e
                                          << "dataset /img_xanes holds string values, not numbers" << true;
    QTest::newRow("unknown filter") << fixture("unknown_filter.h5") << x << QString() << e
                                    << "dataset /img_xanes is compressed with a filter this program cannot apply: 32001"
                                    << true;
}

void TestHdf5Stack::badScans()
{
    QFETCH(QString, message);
    Hdf5Scan scan;
    QFETCH(QString, file);
    scan.file = file;
    QFETCH(QString, images);
    scan.images = images;
    QFETCH(QString, flats);
    scan.flats = flats;
    QFETCH(QString, energies);
    scan.energies = energies;
    Hdf5ScanPlan plan;
    QString error;
    QVERIFY(!Hdf5ScanCheck::check(scan, &plan, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY2(error.contains(file), qPrintable(error));
    // An image dataset at fault does not open for reading either (one of
    // rank 2 does: a single image).
    QFETCH(bool, stackRefuses);
    Hdf5Stack stack;
    QString stackError;
    QCOMPARE(!stack.open(file, images, &stackError), stackRefuses);
    if (stackRefuses)
        QVERIFY2(stackError.contains(file), qPrintable(stackError));
}

// Files on which the HDF5 library itself crashes or loops (found by
// fuzzing: a broken link table, a broken global heap) are refused with a
// message, and this process lives on.
void TestHdf5Stack::damagedFileRefused_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("checkRefuses");   // the scan's own datasets are at fault too
    QTest::newRow("library crashes") << fixture("damaged_links.h5") << "is damaged: the HDF5 library fails" << true;
    // The loop is in an attribute of another dataset: the scan checks.
    QTest::newRow("library loops") << fixture("looping_heap.h5") << "did not finish reading it in 1 s" << false;
}

void TestHdf5Stack::damagedFileRefused()
{
    QFETCH(QString, file);
    QFETCH(QString, message);
    Hdf5Probe::setTimeLimit(1000);
    QVector<Hdf5Dataset> sets;
    QString error;
    QVERIFY(!Hdf5Catalog::list(file, &sets, &error));
    QVERIFY2(error.contains(file) && error.contains(message), qPrintable(error));
    Hdf5Scan scan;
    scan.file = file;
    scan.images = QStringLiteral("/img_xanes");
    Hdf5ScanPlan plan;
    error.clear();
    QFETCH(bool, checkRefuses);
    QCOMPARE(!Hdf5ScanCheck::check(scan, &plan, &error), checkRefuses);
    QVERIFY2(!checkRefuses || error.contains(file), qPrintable(error));
    Hdf5Probe::setTimeLimit(60000);
}

void TestHdf5Stack::loadThroughLoader()
{
    const QString file = fixture("bitshuffle_lz4.h5");
    QVector<Hdf5Dataset> sets;
    QString error;
    QVERIFY(Hdf5Catalog::list(file, &sets, &error));
    Hdf5Scan scan;
    QVERIFY(Hdf5Layouts::recognise(sets, &scan));
    scan.file = file;
    Hdf5ScanPlan plan;
    QVERIFY2(Hdf5ScanCheck::check(scan, &plan, &error), qPrintable(error));
    const Hdf5ScanSources sources = Hdf5ScanSources::of(scan, plan);

    QThread thread;
    LoadTiff loader;
    loader.moveToThread(&thread);
    QStringList log;
    std::vector<std::unique_ptr<TiffData>> images;
    connect(&loader, &LoadTiff::loaded, this, [&](TiffData* t, int fNo) {
        images.emplace_back(t);
        log << QStringLiteral("%1 %2").arg(fNo).arg(t->fileName());
    });
    connect(&loader, &LoadTiff::progress, this, [&](int done, int asked) { log << QStringLiteral("%1/%2").arg(done).arg(asked); });
    bool finished = false;
    connect(&loader, &LoadTiff::finishLoadFiles, this, [&] { finished = true; });
    thread.start();
    QMetaObject::invokeMethod(&loader, "loadSource", Qt::QueuedConnection, Q_ARG(ImageSourcePtr, sources.images));
    QTRY_VERIFY_WITH_TIMEOUT(finished, 30000);
    thread.quit();
    thread.wait();

    QStringList expected;
    for (int i = 0; i < plan.images; ++i)
        expected << QStringLiteral("%1 %2").arg(i).arg(sources.images->imageName(i))
                 << QStringLiteral("%1/%2").arg(i + 1).arg(plan.images);
    QCOMPARE(log, expected);
    for (int i = 0; i < plan.images; ++i) {
        QVERIFY(images[size_t(i)]->hasFileEnergy());
        QVERIFY(qAbs(images[size_t(i)]->energy() - (7100.0 + 10.0 * i)) < 1e-6);
        QCOMPARE(images[size_t(i)]->sample(7, 7), imageValue(i, 7, 7));
    }
}

void TestHdf5Stack::averagedFlat()
{
    const QString file = fixture("exchange_layout.h5");
    Hdf5Scan scan;
    scan.file = file;
    scan.images = QStringLiteral("/exchange/data");
    scan.flats = QStringLiteral("/exchange/data_white");
    Hdf5ScanPlan plan;
    QString error;
    QVERIFY2(Hdf5ScanCheck::check(scan, &plan, &error), qPrintable(error));
    const Hdf5ScanSources sources = Hdf5ScanSources::of(scan, plan);
    QCOMPARE(sources.flats->count(), 1);
    const std::unique_ptr<TiffData> flat = sources.flats->read(0, false, {});
    QVERIFY(flat);
    QVERIFY(!flat->hasFileEnergy());
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            QCOMPARE(flat->sample(x, y), (flatValue(0, y, x) + flatValue(1, y, x)) / 2);
}

void TestHdf5Stack::darkFromStack()
{
    const QString file = fixture("xanes_layout.h5");
    auto frames = std::make_shared<Hdf5StackSource>(file, QStringLiteral("/img_dark"), 3);
    DarkFieldJob job(frames, QStringLiteral("xanes dark"), {});
    QString error;
    const std::shared_ptr<const DarkField> dark = job.runHere(&error);
    QVERIFY2(dark, qPrintable(error));
    QCOMPARE(dark->frames(), 3);
    QCOMPARE(int(dark->width()), 5);
    for (int y = 0; y < 6; ++y)
        QCOMPARE(dark->value(2, quint32(y)), (darkValue(0, y) + darkValue(1, y) + darkValue(2, y)) / 3);
    QVERIFY(dark->description().contains(QLatin1String("mean of 3 images")));

    // A dark of another size is refused by an image; of its size taken.
    TiffData image;
    ImageContent c;
    QVERIFY(c.allocate(5, 6, 1));
    QVERIFY(image.adopt(c, QStringLiteral("image"), false));
    QVERIFY(image.setDark(dark));
    QCOMPARE(image.dark(), dark.get());
    TiffData other;
    ImageContent o;
    QVERIFY(o.allocate(6, 5, 1));
    QVERIFY(other.adopt(o, QStringLiteral("other"), false));
    QVERIFY(!other.setDark(dark));
    QVERIFY(!other.dark());

    // A frame that cannot be read fails the dark, naming the file.
    QStringList files{fixture("not_hdf5.h5")};
    DarkFieldJob bad(std::make_shared<FileListSource>(files), QStringLiteral("text"), {});
    QVERIFY(!bad.runHere(&error));
    QVERIFY(error.contains(QLatin1String("not_hdf5.h5")));
}

void TestHdf5Stack::darkBlockSums()
{
    // Sums from the table agree with sums taken pixel by pixel.
    const quint32 w = 7, h = 5;
    std::vector<double> mean(w * h);
    for (size_t i = 0; i < mean.size(); ++i)
        mean[i] = 0.25 * double((i * 37) % 11);
    const DarkField dark(w, h, mean, 1, QStringLiteral("pattern"));
    for (qint64 c0 = 0; c0 < w; ++c0)
        for (qint64 c1 = c0; c1 < w; ++c1)
            for (qint64 r0 = 0; r0 < h; ++r0)
                for (qint64 r1 = r0; r1 < h; ++r1) {
                    double direct = 0.0;
                    for (qint64 r = r0; r <= r1; ++r)
                        for (qint64 c = c0; c <= c1; ++c)
                            direct += mean[size_t(r * w + c)];
                    QVERIFY(qAbs(dark.sum(c0, c1, r0, r1) - direct) < 1e-9);
                }
}

QTEST_GUILESS_MAIN(TestHdf5Stack)
#include "tst_hdf5stack.moc"
