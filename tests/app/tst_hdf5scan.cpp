// HDF5 scans, the dark and the maps file through a real main window driven
// by batch lines, on the h5py-written fixtures of tests/core/io/hdf5; TXRM/XRM
// files on those of tests/core/io/txrm.

#include "BodyScript.h"

#include "fileselect/SelectDataFiles.h"
#include "io/DarkField.h"
#include "io/Hdf5Catalog.h"
#include "io/TiffData.h"

#include <QLabel>
#include <QTemporaryDir>

namespace {

QString fixture(const char* name)
{
    return QStringLiteral(HDF5_FIXTURES_DIR "/") + QLatin1String(name);
}

QString txrm(const char* name)
{
    return QStringLiteral(TXRM_FIXTURES_DIR "/") + QLatin1String(name);
}

QString darkState(const Body& body)
{
    return body.findChild<QLabel*>(QStringLiteral("DarkState"))->text();
}

}

class TestHdf5Scan : public QObject
{
    Q_OBJECT
private slots:
    void scans_data();
    void scans();
    void badScanKeepsSeries();
    void darkWords();
    void mapsFile();
};

void TestHdf5Scan::scans_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("i1");
    QTest::addColumn<int>("i0");
    QTest::addColumn<double>("lastEnergy");
    QTest::addColumn<bool>("dark");

    QTest::newRow("full-field XANES layout") << "load_hdf5_scan " + fixture("xanes_layout.h5") << 4 << 4 << 7130.0
                                             << true;
    QTest::newRow("Data Exchange, averaged flat") << "load_hdf5_scan " + fixture("exchange_layout.h5") << 3 << 1
                                                  << 7120.0 << true;
    QTest::newRow("bitshuffle/LZ4, no flats, no dark")
        << "load_hdf5_scan " + fixture("bitshuffle_lz4.h5") + " /img_xanes - -" << 5 << 0 << 7140.0 << false;
    QTest::newRow("energies given in eV are taken as eV")
        << "load_hdf5_scan " + fixture("xanes_layout.h5") + " /img_xanes /img_bkg - /X_eng eV" << 4 << 4 << 7.13
        << false;
    QTest::newRow("TXRM, one flat") << "load_txrm " + txrm("three_8x6.txrm") << 3 << 1 << 7120.0 << false;
    QTest::newRow("TXRM of two storages") << "load_txrm " + txrm("two_storages.txrm") << 5 << 1 << 7140.0 << false;
    QTest::newRow("XRM, no flat") << "load_txrm " + txrm("one_image.xrm") << 1 << 0 << 7100.0 << false;
}

void TestHdf5Scan::scans()
{
    QFETCH(QString, line);
    Body body;
    const BodyScript::Outcome out = BodyScript::run(body, line);
    QVERIFY2(out.failure.isEmpty(), qPrintable(out.failure));
    QCOMPARE(out.completions, 1);
    QTEST(body.i1Series().size(), "i1");
    QTEST(body.i0Series().size(), "i0");
    QFETCH(double, lastEnergy);
    QVERIFY(qAbs(body.i1Series().last()->energy() - lastEnergy) < 1e-9);
    // The panel lists the file's energies, not those of its energy rule.
    QVERIFY(qAbs(body.i1Panel()->energyAt(body.i1Panel()->count() - 1) - lastEnergy) < 1e-9);
    QCOMPARE(body.imageWidth(), int(body.i1Series().first()->width()));
    QFETCH(bool, dark);
    QCOMPARE(body.i1Series().first()->dark() != nullptr, dark);
    if (!body.i0Series().isEmpty())
        QCOMPARE(body.i0Series().first()->dark() != nullptr, dark);
    QCOMPARE(darkState(body).startsWith(QLatin1String("Dark:")), dark);
}

void TestHdf5Scan::badScanKeepsSeries()
{
    Body body;
    QVERIFY(BodyScript::run(body, "load_hdf5_scan " + fixture("xanes_layout.h5")).failure.isEmpty());
    const BodyScript::Outcome out = BodyScript::run(body, "load_hdf5_scan " + fixture("energy_count.h5"));
    QVERIFY2(out.failure.contains(QLatin1String("/X_eng holds 3 energies for 4 images")), qPrintable(out.failure));
    QVERIFY(out.failure.contains(QLatin1String("energy_count.h5")));
    QCOMPARE(body.i1Series().size(), 4);
    QVERIFY(body.i1Series().first()->fileName().contains(QLatin1String("xanes_layout.h5")));
    // A scan file that is no compound document loads nothing either.
    const BodyScript::Outcome txrmOut = BodyScript::run(body, "load_txrm " + fixture("energy_count.h5"));
    QVERIFY2(txrmOut.failure.contains(QLatin1String("energy_count.h5 is not an OLE2 compound file")),
             qPrintable(txrmOut.failure));
    QCOMPARE(body.i1Series().size(), 4);
}

void TestHdf5Scan::darkWords()
{
    Body body;
    const QString scan = fixture("xanes_layout.h5");
    BodyScript::Outcome out = BodyScript::run(body, "load_hdf5_scan " + scan + " /img_xanes /img_bkg -\n"
                                                    "load_dark " + scan + " /img_dark");
    QVERIFY2(out.failure.isEmpty(), qPrintable(out.failure));
    const DarkField* dark = body.i1Series().first()->dark();
    QVERIFY(dark);
    QCOMPARE(dark->frames(), 3);
    QCOMPARE(body.i0Series().last()->dark(), dark);

    out = BodyScript::run(body, "clear_dark");
    QVERIFY(out.failure.isEmpty());
    QVERIFY(!body.i1Series().first()->dark());
    QCOMPARE(darkState(body), QStringLiteral("No dark"));

    // A dark of another size is refused by the images, and said so.
    out = BodyScript::run(body, "load_dark " + fixture("bitshuffle_lz4.h5") + " /img_xanes");
    QVERIFY2(out.failure.contains(QLatin1String("not subtracted")), qPrintable(out.failure));
    QVERIFY(!body.i1Series().first()->dark());

    out = BodyScript::run(body, "load_dark " + fixture("exchange_layout.h5") + " /exchange/nothing");
    QVERIFY2(out.failure.contains(QLatin1String("no dataset /exchange/nothing")), qPrintable(out.failure));
}

void TestHdf5Scan::mapsFile()
{
    QTemporaryDir dir;
    QVERIFY(BodyScript::writeSpectrum(dir.filePath("ref.dat"), 7105.0));
    QVERIFY(BodyScript::writeSpectrum(dir.filePath("ref2.dat"), 7125.0));
    Body body;
    const QString maps = dir.filePath("maps.h5");
    const BodyScript::Outcome out = BodyScript::run(
        body, "load_hdf5_scan " + fixture("xanes_layout.h5") + "\nanalyzer_set_LCF_std 0 1 0 " + dir.filePath("ref.dat")
                  + " 0\nanalyzer_set_LCF_std 1 1 0 " + dir.filePath("ref2.dat")
                  + " 0\nselect_region 0 0 5 6\nanalyzer_exec_LCF\nsave_all_maps_hdf5 " + maps);
    QVERIFY2(out.failure.isEmpty(), qPrintable(out.failure));
    QVector<Hdf5Dataset> sets;
    QString error;
    QVERIFY2(Hdf5Catalog::list(maps, &sets, &error), qPrintable(error));
    for (const char* path : {"/maps/ref1_fraction", "/maps/ref2_amount", "/maps/r_factor", "/grid/x_centres",
                             "/energies", "/references/ref1", "/references/ref2"})
        QVERIFY2(Hdf5Catalog::find(sets, QLatin1String(path)), path);
    QCOMPARE(Hdf5Catalog::find(sets, "/maps/ref1_fraction")->dims, (QVector<qint64>{6, 5}));
    QCOMPARE(Hdf5Catalog::find(sets, "/energies")->dims, QVector<qint64>{4});
    QVERIFY(!Hdf5Catalog::find(sets, "/energy_shift"));
    QVERIFY(!Hdf5Catalog::find(sets, "/maps/ref3_amount"));

    // Without a map with values nothing is written.
    Body empty;
    const BodyScript::Outcome none = BodyScript::run(empty, "save_all_maps_hdf5 " + dir.filePath("none.h5"));
    QVERIFY(none.failure.contains(QLatin1String("no result map has values")));
    QVERIFY(!QFile::exists(dir.filePath("none.h5")));
}

QTEST_MAIN(TestHdf5Scan)
#include "tst_hdf5scan.moc"
