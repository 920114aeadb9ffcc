// The maps file, read back with the HDF5 C library directly (not through the
// program's own readers).

#include "grid/Analyzed2DRes.h"
#include "output/GridAxes.h"
#include "output/MapsHdf5File.h"

#include <hdf5.h>

#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <vector>

namespace {

std::vector<double> readAll(hid_t file, const char* path, std::vector<hsize_t>* dims = nullptr)
{
    std::vector<double> out;
    const hid_t set = H5Dopen2(file, path, H5P_DEFAULT);
    if (set < 0)
        return out;
    const hid_t space = H5Dget_space(set);
    const int rank = H5Sget_simple_extent_ndims(space);
    std::vector<hsize_t> d(size_t(qMax(rank, 0)));
    H5Sget_simple_extent_dims(space, d.data(), nullptr);
    out.resize(size_t(H5Sget_simple_extent_npoints(space)));
    H5Dread(set, H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, H5P_DEFAULT, out.data());
    H5Sclose(space);
    H5Dclose(set);
    if (dims)
        *dims = d;
    return out;
}

// Text attributes are variable-length UTF-8 strings (read as str by h5py);
// anything else reads as a marker that fails the comparison.
QString textAttribute(hid_t file, const char* object, const char* name)
{
    const hid_t attr = H5Aopen_by_name(file, object, name, H5P_DEFAULT, H5P_DEFAULT);
    if (attr < 0)
        return QString();
    const hid_t type = H5Aget_type(attr);
    QString out = QStringLiteral("<not variable-length UTF-8>");
    if (H5Tis_variable_str(type) > 0 && H5Tget_cset(type) == H5T_CSET_UTF8) {
        char* text = nullptr;
        if (H5Aread(attr, type, &text) >= 0 && text)
            out = QString::fromUtf8(text);
        H5free_memory(text);
    }
    H5Tclose(type);
    H5Aclose(attr);
    return out;
}

double numberAttribute(hid_t file, const char* object, const char* name)
{
    double v = std::nan("");
    const hid_t attr = H5Aopen_by_name(file, object, name, H5P_DEFAULT, H5P_DEFAULT);
    if (attr >= 0) {
        H5Aread(attr, H5T_NATIVE_DOUBLE, &v);
        H5Aclose(attr);
    }
    return v;
}

}

class TestMapsFile : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip();
    void refusals_data();
    void refusals();
    void datasetNames_data();
    void datasetNames();
};

void TestMapsFile::roundTrip()
{
    QTemporaryDir dir;
    ScanGrid grid;
    grid.setup(9, 7, 1, 1, QRectF(0, 0, 9, 7), -1, -1);
    Analyzed2DRes fraction(QStringLiteral("LCF Ref 2"));
    Analyzed2DRes rFactor(QStringLiteral("R factor"));
    fraction.setup(grid);
    rFactor.setup(grid);
    const GridAxes axes = GridAxes::of(grid);
    for (int j = 0; j < axes.rows; ++j)
        for (int i = 0; i < axes.columns; ++i) {
            fraction.setData(axes.x(i), axes.y(j), 1, 1, 0.1 * i + 0.01 * j);
            rFactor.setData(axes.x(i), axes.y(j), 1, 1, 1e-3 * (i + j));
        }
    std::vector<double> shift(9 * 7);
    for (size_t p = 0; p < shift.size(); ++p)
        shift[p] = 0.5 * double(p % 9) - 1.0;

    MapsFileContent c;
    c.maps.append({QStringLiteral("ref1_fraction"), QStringLiteral("LCF fraction"), QStringLiteral("/r/fe.dat"),
                   QStringLiteral("fraction"), QString(), &fraction});
    c.maps.append({QStringLiteral("r_factor"), QStringLiteral("LCF fit quality"), QString(), QString(),
                   QStringLiteral("sum (y - fit)^2 / sum y^2"), &rFactor});
    c.energies = {7100.0, 7112.5, 7150.0};
    c.shift = shift.data();
    c.shiftWidth = 9;
    c.shiftHeight = 7;
    c.references.append({QStringLiteral("ref1"), QStringLiteral("/r/fe.dat"), 1.5, {7000, 7100, 7200}, {0.1, 0.5, 1.0}});
    c.provenance.programVersion = QStringLiteral("0.1");
    c.provenance.dark = QStringLiteral("scan.h5::/img_dark, mean of 10 images, level 100.0 counts");
    const QString path = dir.filePath(QStringLiteral("maps.h5"));
    QString error;
    QVERIFY2(MapsHdf5File::write(c, path, &error), qPrintable(error));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("maps.h5")});

    const hid_t file = H5Fopen(QFile::encodeName(path).constData(), H5F_ACC_RDONLY, H5P_DEFAULT);
    QVERIFY(file >= 0);
    std::vector<hsize_t> dims;
    const std::vector<double> f = readAll(file, "/maps/ref1_fraction", &dims);
    QCOMPARE(dims, (std::vector<hsize_t>{7, 9}));
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x)
            QCOMPARE(f[size_t(y * 9 + x)], fraction.value(x, y));
    QCOMPARE(textAttribute(file, "/maps/ref1_fraction", "kind"), QStringLiteral("LCF fraction"));
    QCOMPARE(textAttribute(file, "/maps/ref1_fraction", "unit"), QStringLiteral("fraction"));
    QCOMPARE(textAttribute(file, "/maps/ref1_fraction", "reference"), QStringLiteral("/r/fe.dat"));
    QCOMPARE(numberAttribute(file, "/maps/ref1_fraction", "value_max"), fraction.maxValue());
    QCOMPARE(textAttribute(file, "/maps/r_factor", "formula"), QStringLiteral("sum (y - fit)^2 / sum y^2"));
    QCOMPARE(readAll(file, "/maps/r_factor")[size_t(4 * 9 + 4)], rFactor.value(4, 4));

    std::vector<double> xs = readAll(file, "/grid/x_centres"), ys = readAll(file, "/grid/y_centres");
    QCOMPARE(int(xs.size()), axes.columns);
    QCOMPARE(int(ys.size()), axes.rows);
    QCOMPARE(xs.back(), double(axes.x(axes.columns - 1)));
    QCOMPARE(ys.front(), double(axes.y(0)));
    QCOMPARE(numberAttribute(file, "/grid", "half_width"), 1.0);
    QCOMPARE(readAll(file, "/energies"), c.energies);
    QCOMPARE(readAll(file, "/energy_shift"), shift);
    QCOMPARE(readAll(file, "/references/ref1", &dims), (std::vector<double>{7000, 0.1, 7100, 0.5, 7200, 1.0}));
    QCOMPARE(dims, (std::vector<hsize_t>{3, 2}));
    QCOMPARE(numberAttribute(file, "/references/ref1", "dE"), 1.5);
    QCOMPARE(textAttribute(file, "/", "dark"), c.provenance.dark);
    QCOMPARE(textAttribute(file, "/", "program_version"), QStringLiteral("0.1"));
    QCOMPARE(textAttribute(file, "/", "saved_file"), QStringLiteral("maps.h5"));
    H5Fclose(file);
}

void TestMapsFile::refusals_data()
{
    QTest::addColumn<bool>("withMap");
    QTest::addColumn<bool>("badFolder");
    QTest::addColumn<QString>("message");
    QTest::newRow("no map") << false << false << "no result map has values";
    QTest::newRow("folder missing") << true << true << "Can't open";
}

void TestMapsFile::refusals()
{
    QFETCH(bool, withMap);
    QFETCH(bool, badFolder);
    QTemporaryDir dir;
    const QString path = badFolder ? dir.filePath(QStringLiteral("none/maps.h5")) : dir.filePath(QStringLiteral("maps.h5"));
    QFile old(path);
    if (!badFolder) {
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old contents");
        old.close();
    }
    ScanGrid grid;
    grid.setup(4, 4, 0, 0, QRectF(0, 0, 4, 4), -1, -1);
    Analyzed2DRes map(QStringLiteral("m"));
    map.setup(grid);
    MapsFileContent c;
    if (withMap)
        c.maps.append({QStringLiteral("m"), QStringLiteral("kind"), QString(), QString(), QString(), &map});
    QString error;
    QVERIFY(!MapsHdf5File::write(c, path, &error));
    QFETCH(QString, message);
    QVERIFY2(error.contains(message) && error.contains(path), qPrintable(error));
    if (!badFolder) {
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old contents"));
    }
}

void TestMapsFile::datasetNames_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::newRow("kept") << "ref1_fraction" << "ref1_fraction";
    QTest::newRow("blanks and slashes") << "Fe K / dmut" << "Fe_K___dmut";
    QTest::newRow("non-ASCII letters") << QString::fromUtf8("µ(E)") << "__E_";
    QTest::newRow("empty") << "" << "_";
}

void TestMapsFile::datasetNames()
{
    QFETCH(QString, text);
    QTEST(MapsHdf5File::datasetName(text), "name");
}

QTEST_GUILESS_MAIN(TestMapsFile)
#include "tst_mapsfile.moc"
