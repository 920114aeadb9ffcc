#include "base/AtomicFile.h"
#include "batch/BatchScriptFile.h"
#include "display/ViewWindow.h"
#include "grid/Analyzed2DRes.h"
#include "io/TiffData.h"
#include "output/MapSaving.h"
#include "output/SaveProvenance.h"
#include "output/TextMapWriter.h"
#include "output/TiffWriter.h"
#include "physics/SpectrumFiles.h"
#include "physics/XafsSpectrum.h"
#include "processing/EnergyMapFile.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

// Saving never leaves a half-written file in place of a good one, and the
// small saving steps of the main window.
//
// A full disk is simulated with a file size limit (RLIMIT_FSIZE): writes past
// it fail with EFBIG as they would with ENOSPC, and the limit binds root as
// well, which a read-only directory does not.
class TestAtomicSave : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();
    void readOnlyDirectory();
    void missingDirectoryNamesTheFile();
    void savesReplaceLinks_data();
    void savesReplaceLinks();
    void tiffKeepsPermissions();
    void imageSuffixWithoutWriter();
    void cropToView_data();
    void cropToView();
    void mapAsTiff();
    void flatDark();
    void provenance();

private:
    // Lowers the file size limit for the life of the object.
    struct SizeLimit {
        rlimit old{};
        explicit SizeLimit(rlim_t bytes)
        {
            getrlimit(RLIMIT_FSIZE, &old);
            rlimit lower = old;
            lower.rlim_cur = bytes;
            setrlimit(RLIMIT_FSIZE, &lower);
        }
        ~SizeLimit() { setrlimit(RLIMIT_FSIZE, &old); }
    };
};

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QStringList filesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

void TestAtomicSave::initTestCase()
{
    // Past the limit the kernel would otherwise end the process.
    std::signal(SIGXFSZ, SIG_IGN);
}

namespace {

// Everything the writers below write, large enough to pass a 64 KiB limit.
struct Payload {
    static constexpr int side = 512;   // 512 KB of TIFF, 1.5 MB of text, a noisy PNG
    std::vector<quint16> pixels = std::vector<quint16>(std::size_t(side) * side);
    std::vector<double> map = std::vector<double>(pixels.size());
    QImage picture = QImage(side, side, QImage::Format_RGB32);
    ScanGrid grid;
    XafsSpectrum spectrum;

    Payload()
    {
        for (int i = 0; i < side * side; ++i) {
            // A scrambled hash: noise that no compression makes small.
            quint32 v = quint32(i) * 2654435761u;
            v ^= v >> 13;
            v *= 0x5bd1e995u;
            v ^= v >> 15;
            pixels[std::size_t(i)] = quint16(v >> 16);
            map[std::size_t(i)] = std::sin(i * 0.37) * 1e-2;
            picture.setPixel(i % side, i / side, v);
        }
        grid.setup(side, side, 0, 0, QRectF(0, 0, side, side), -1, -1);
        for (int i = 0; i < 4000; ++i)
            spectrum.add(6900.0 + 0.25 * i, i < 800 ? 0.1 : 1.1);
        spectrum.normalize(false);
    }

    // Writes with the writer named `writer` to `path`.
    bool write(const QString& writer, const QString& path, QString* error) const
    {
        if (writer == "bytes")
            return AtomicFile::writeBytes(path, QByteArray(1 << 20, 'x'), error);
        if (writer == "tiff")
            return writeTiff16(path, pixels.data(), side, side, error);
        if (writer == "text")
            return TextMapWriter::write(path, map.data(), side, side, grid, {true, true}, error);
        if (writer == "png")
            return AtomicFile::saveImage(picture, path, error);
        if (writer == "spectrum")
            return SpectrumFiles::writeXafsSpectrum(path, spectrum, false, error);
        if (writer == "script")
            return BatchScriptFile::write(path, QString(1 << 20, 'b'), error);
        EnergyMapFile::Source emp;
        emp.map = map.data();
        emp.mapWidth = emp.mapHeight = side;
        emp.grid = grid;
        emp.eStd = 7112.0;
        emp.spacing = 3.1355316;
        return EnergyMapFile::write(path, emp, error);
    }
};

void addWriterRows()
{
    QTest::addColumn<QString>("writer");
    QTest::newRow("bytes") << "bytes";
    QTest::newRow("tiff") << "tiff";
    QTest::newRow("text map") << "text";
    QTest::newRow("picture") << "png";
    // The spectrum view's files used to be truncated and written in place.
    QTest::newRow("spectrum file") << "spectrum";
    QTest::newRow("energy map") << "emp";
    QTest::newRow("batch script") << "script";
}

QString targetName(const QString& writer)
{
    return "target." + QString(writer == "png" ? "png" : writer == "emp" ? "emp" : "dat");
}

} // namespace

void TestAtomicSave::failedWriteKeepsTheOldFile_data()
{
    addWriterRows();
}

void TestAtomicSave::failedWriteKeepsTheOldFile()
{
    QFETCH(QString, writer);
    QTemporaryDir dir;
    const QString path = dir.filePath(targetName(writer));
    const QByteArray old("the good old contents\n");
    writeFile(path, old);
    const Payload payload;

    bool ok = true;
    QString error;
    {
        SizeLimit limit(64 * 1024);
        ok = payload.write(writer, path, &error);
    }
    QVERIFY(!ok);
    QVERIFY2(error.contains(path), qPrintable(error));
    QCOMPARE(bytesOf(path), old);
    QCOMPARE(filesIn(dir.path()), QStringList{QFileInfo(path).fileName()});

    // Without the limit the same write replaces the file.
    QVERIFY2(payload.write(writer, path, &error), qPrintable(error));
    QVERIFY(bytesOf(path) != old);
    QCOMPARE(filesIn(dir.path()), QStringList{QFileInfo(path).fileName()});
    if (writer == "tiff") {
        TiffData t;
        QVERIFY(t.read(path));
        QCOMPARE(t.sample16(5, 7), payload.pixels[7 * Payload::side + 5]);
    }
}

// A save through a symbolic link replaces the link with the new file and
// leaves the file it pointed to alone: a data folder from elsewhere cannot
// make a save overwrite a file outside it.
void TestAtomicSave::savesReplaceLinks_data()
{
    addWriterRows();
}

void TestAtomicSave::savesReplaceLinks()
{
    QFETCH(QString, writer);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("elsewhere"));
    const QString real = dir.filePath("elsewhere/precious.txt");
    writeFile(real, "precious\n");
    const QString link = dir.filePath(targetName(writer));
    QVERIFY(QFile::link(real, link));
    QString error;
    QVERIFY2(Payload().write(writer, link, &error), qPrintable(error));
    QCOMPARE(bytesOf(real), QByteArray("precious\n"));
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(QFileInfo(link).isFile());
    QVERIFY(bytesOf(link).size() > 1000);
    // A dangling link is replaced as well, and nothing appears where it pointed.
    const QString dangling = dir.filePath("dangling." + QFileInfo(link).suffix());
    QVERIFY(QFile::link(dir.filePath("elsewhere/new.txt"), dangling));
    QVERIFY2(Payload().write(writer, dangling, &error), qPrintable(error));
    QVERIFY(!QFileInfo(dangling).isSymLink());
    QVERIFY(!QFileInfo::exists(dir.filePath("elsewhere/new.txt")));
}

void TestAtomicSave::readOnlyDirectory()
{
    if (::geteuid() == 0)
        QSKIP("root writes into read-only directories; the file size limit covers failed writes");
    QTemporaryDir dir;
    const QString path = dir.filePath("m.tif");
    writeFile(path, "old");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const quint16 pixels[4] = {1, 2, 3, 4};
    QString error;
    const bool ok = writeTiff16(path, pixels, 2, 2, &error);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!ok);
    QCOMPARE(bytesOf(path), QByteArray("old"));
}

void TestAtomicSave::missingDirectoryNamesTheFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("no/such/map.tif");
    const quint16 pixels[4] = {1, 2, 3, 4};
    QString error;
    QVERIFY(!writeTiff16(path, pixels, 2, 2, &error));
    QVERIFY2(error.startsWith("Can't open " + path), qPrintable(error));
    QVERIFY(!AtomicFile::writeBytes(path, "x", &error));
    QVERIFY2(error.startsWith("Can't open " + path), qPrintable(error));
}

void TestAtomicSave::tiffKeepsPermissions()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("real.tif");
    writeFile(path, "old");
    const QFile::Permissions perms = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(path, perms));
    const quint16 pixels[6] = {1, 2, 3, 4, 5, 6};
    QVERIFY(writeTiff16(path, pixels, 3, 2));
    // Owner, group and other bits (the "user" bits mirror the owner's).
    QCOMPARE(QFile::permissions(path) & 0x7077, perms);
    TiffData t;
    QVERIFY(t.read(path));
    QCOMPARE(t.width(), 3u);
    QCOMPARE(t.sample16(2, 1), quint16(6));
}

void TestAtomicSave::imageSuffixWithoutWriter()
{
    QTemporaryDir dir;
    QImage img(4, 4, QImage::Format_RGB32);
    img.fill(Qt::red);
    QString error;
    QVERIFY(!AtomicFile::saveImage(img, dir.filePath("a.nosuchformat"), &error));
    QVERIFY2(error.contains("no image writer for \"nosuchformat\""), qPrintable(error));
    QVERIFY(filesIn(dir.path()).isEmpty());
    QVERIFY2(AtomicFile::saveImage(img, dir.filePath("a.png"), &error), qPrintable(error));
    QCOMPARE(QImage(dir.filePath("a.png")).pixel(1, 1), img.pixel(1, 1));
}

void TestAtomicSave::cropToView_data()
{
    QTest::addColumn<QRectF>("view");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("inside, ends included") << QRectF(2, 1, 3, 4) << QRect(QPoint(2, 1), QPoint(5, 5));
    QTest::newRow("whole picture") << QRectF(0, 0, 10, 8) << QRect(0, 0, 10, 8);
    QTest::newRow("beyond the right edge") << QRectF(7, 6, 9, 9) << QRect(QPoint(7, 6), QPoint(9, 7));
    QTest::newRow("fractional edges") << QRectF(1.5, 2.9, 2.2, 1.0) << QRect(QPoint(1, 2), QPoint(3, 3));
    QTest::newRow("outside") << QRectF(20, 20, 3, 3) << QRect();
}

void TestAtomicSave::cropToView()
{
    QFETCH(QRectF, view);
    QFETCH(QRect, expected);
    QImage picture(10, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            picture.setPixel(x, y, qRgb(x * 20, y * 30, 7));
    const QImage crop = MapSaving::cropToView(picture, ViewWindow::fromRect(view));
    QCOMPARE(crop.size(), expected.size());
    if (!expected.isEmpty()) {
        QCOMPARE(crop.pixel(0, 0), picture.pixel(expected.topLeft()));
        QCOMPARE(crop.pixel(crop.width() - 1, crop.height() - 1), picture.pixel(expected.bottomRight()));
    }
}

void TestAtomicSave::mapAsTiff()
{
    QTemporaryDir dir;
    Analyzed2DRes map("LCF Ref 1");
    ScanGrid grid;
    grid.setup(10, 10, 1, 1, QRectF(0, 0, 10, 10), -1, -1);
    QString error;
    QVERIFY(!MapSaving::saveMapAsTiff(map, dir.filePath("none.tif"), SaveDataSettings(), &error));
    QVERIFY(error.contains("no values"));
    QVERIFY(!MapSaving::saveMapAsText(map, dir.filePath("none.dat"), SaveDataSettings(), &error));
    QVERIFY(filesIn(dir.path()).isEmpty());

    map.setup(grid);
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i)
            map.setData(1 + 3 * i, 1 + 3 * j, 1, 1, 0.1 * (i + 3 * j));
    SaveDataSettings s;
    s.tiffFixedScale = true;
    s.tiffScaleMin = 0.0;
    s.tiffScaleMax = 0.8;
    s.tiffAsAnalyzed = true;
    QVERIFY2(MapSaving::saveMapAsTiff(map, dir.filePath("a.tif"), s, &error), qPrintable(error));
    TiffData analysed;
    QVERIFY(analysed.read(dir.filePath("a.tif")));
    QCOMPARE(analysed.width(), 3u);
    QCOMPARE(analysed.height(), 3u);
    QCOMPARE(analysed.sample16(2, 2), quint16(65535));   // 0.8 at the top of the scale
    QCOMPARE(analysed.sample16(0, 0), quint16(0));

    s.tiffAsAnalyzed = false;
    QVERIFY(MapSaving::saveMapAsTiff(map, dir.filePath("full.tif"), s, &error));
    TiffData full;
    QVERIFY(full.read(dir.filePath("full.tif")));
    QCOMPARE(full.width(), 10u);
    QCOMPARE(full.height(), 10u);
    QCOMPARE(full.sample16(9, 9), quint16(0));   // pixels 9 stay 0
    QCOMPARE(full.sample16(8, 8), quint16(65535));

    s.xyVal = false;
    QVERIFY(MapSaving::saveMapAsText(map, dir.filePath("m.dat"), s, &error));
    QCOMPARE(bytesOf(dir.filePath("m.dat")), QByteArray("0,0.1,0.2\n0.3,0.4,0.5\n0.6,0.7,0.8\n"));
}

void TestAtomicSave::flatDark()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY(!MapSaving::saveFlatDark(0, 5, dir.path(), &error));
    QVERIFY(filesIn(dir.path()).isEmpty());
    QVERIFY2(MapSaving::saveFlatDark(6, 14, dir.path(), &error), qPrintable(error));
    QCOMPARE(filesIn(dir.path()), QStringList({"dark.dat", "flat.dat"}));
    TiffData flat, dark;
    QVERIFY(flat.read(dir.filePath("flat.dat")));
    QVERIFY(dark.read(dir.filePath("dark.dat")));
    QCOMPARE(flat.width(), 6u);
    QCOMPARE(flat.height(), 14u);
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 6; ++x) {
            QCOMPARE(flat.sample16(x, y), quint16(1));
            QCOMPARE(dark.sample16(x, y), quint16(0));
        }
}

void TestAtomicSave::provenance()
{
    QTemporaryDir dir;
    SaveProvenance p;
    p.programVersion = "0.1";
    p.i1 = {"/d/i1_7100.tif", "/d/i1_7300.tif", 41};
    p.energyRule = "from the file names";
    p.halfWidth = 2;
    p.halfHeight = 3;
    p.references = {{"/r/fe.dat", 1.5}, {"/r/fe2o3.dat", -0.25}};
    p.shiftMap = SaveProvenance::LoadedShiftMap;
    p.shiftMapFile = "/c/shift.emp";
    p.date = QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9), Qt::UTC);
    const QString saved = dir.filePath("map-0.tif");
    QString error;
    QVERIFY2(Provenance::write(p, saved, &error), qPrintable(error));
    QCOMPARE(Provenance::sidecarPath(saved), saved + ".provenance.txt");
    const QString text = QString::fromUtf8(bytesOf(saved + ".provenance.txt"));
    const QStringList expected{
        "# Orvantelle provenance 1.0",
        "Saved file       : map-0.tif",
        "Program version  : 0.1",
        "I1 series        : 41 files, first \"/d/i1_7100.tif\", last \"/d/i1_7300.tif\"",
        "I0 series        : none",
        "Energy rule      : from the file names",
        "Bin half width, height : 2 3",
        "Reference 1      : \"/r/fe.dat\" dE 1.5",
        "Reference 2      : \"/r/fe2o3.dat\" dE -0.25",
        "Shift map        : loaded \"/c/shift.emp\"",
        "Dark             : none",
        "Date             : 2024-05-06T07:08:09Z",
        ""};
    QCOMPARE(text.split('\n'), expected);
}

QTEST_MAIN(TestAtomicSave)
#include "tst_atomicsave.moc"
