#include "base/JobRunner.h"
#include "DebugCapture.h"
#include "grid/Analyzed2DRes.h"
#include "physics/XafsSpectrum.h"
#include "processing/CalibrationJob.h"
#include "processing/EdgeCalibration.h"
#include "processing/EnergyMapFile.h"
#include "ShiftedEdgeStack.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

namespace {

// The labels of the energy-map header, written out here as the file format
// lays them down (26 characters each).
const char* const headerLabels[] = {
    "Record Date             : ", "Std Edge Energy [eV]    : ", "Spacing [nm]            : ",
    "Width [pix]             : ", "Height [pix]            : ", "Bin Half Width [pix]    : ",
    "Bin Half Height [pix]   : ", "Area X0                 : ", "Area X1                 : ",
    "Area Y0                 : ", "Area Y1                 : ", "Std File Name           : ",
    "Shift Map Height        : ",
};

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

QString writeText(const QString& path, const QString& text)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text))
        return QString();
    f.write(text.toUtf8());
    return path;
}

// A 2 x 2 map file with the given body, magic and area lines.
QString empText(const QString& body = "0 0 \n0 0 \n", const QString& magic = "###ORVT", bool areaLines = true)
{
    QString t = magic + "\n";
    t += "Record Date             : 24/01/02 03:04:05.678\n";
    t += "Std Edge Energy [eV]    : 7112\nSpacing [nm]            : 3.13553\n";
    t += "Width [pix]             : 2\nHeight [pix]            : 2\n";
    t += "Bin Half Width [pix]    : 0\nBin Half Height [pix]   : 0\n";
    if (areaLines)
        t += "Area X0                 : 0\nArea X1                 : 2\nArea Y0                 : 0\n"
             "Area Y1                 : 2\n";
    t += "Std File Name           : std.dat\nShift Map Height        : 2\n";
    t += "Shift Map Width         : 0 2\nShift Map Width         : 1 2\n##-----------------\n";
    return t + body;
}

// A 1 x 1 map with a standard, all a file needs.
EnergyMapFile::Source smallMap()
{
    static const double value = 0.25;
    EnergyMapFile::Source s;
    s.map = &value;
    s.mapWidth = s.mapHeight = 1;
    s.grid.setup(1, 1, 0, 0, QRectF(0, 0, 1, 1), -1, -1);
    s.eStd = 7112.0;
    s.spacing = 3.1355316;
    return s;
}

} // namespace

class TestCalibration : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        registerEMPHeaderMetaType();
        QVERIFY(QMetaType::type("EMPHeader") != QMetaType::UnknownType);
    }
    void bragg_data();
    void bragg();
    void halfHeight_data();
    void halfHeight();
    void calibrateSaveAndReload_data();
    void calibrateSaveAndReload();
    void stopRecordsNothingMore();
    void empReader_data();
    void empReader();
    void empWriterRefuses_data();
    void empWriterRefuses();
    void completeName_data();
    void completeName();
    void failedSaveKeepsOldFile();
    void bandsKeepPixelOrder_data();
    void bandsKeepPixelOrder();
};

void TestCalibration::bragg_data()
{
    QTest::addColumn<double>("energy");
    QTest::addColumn<double>("d");
    QTest::addColumn<double>("angle");
    QTest::newRow("8 keV, Si(111) default") << 8000.0 << 3.13553 << 14.308;
    QTest::newRow("Fe K, Si(111)") << 7112.0 << 3.1355316 << 16.14045;
    QTest::newRow("Fe K, Si(311)") << 7112.0 << 1.637478 << 32.16205;
    QTest::newRow("below the crystal's range") << 1000.0 << 3.1355316 << -1.0;
}

void TestCalibration::bragg()
{
    QFETCH(double, energy);
    QFETCH(double, d);
    QFETCH(double, angle);
    const double a = EdgeCalibration::braggAngle(energy, d);
    QVERIFY2(std::fabs(a - angle) < 1e-3, qPrintable(QString::number(a, 'g', 10)));
    if (angle > 0)
        QVERIFY(std::fabs(EdgeCalibration::braggEnergy(a, d) - energy) < 1e-8);
}

void TestCalibration::halfHeight_data()
{
    QTest::addColumn<QVector<double>>("e");
    QTest::addColumn<QVector<double>>("mu");
    QTest::addColumn<double>("position");
    // Level 0 + 0.5 * 2.5 = 1.25 (the peak decides), reached 0.75 / 2 of the way from 10 to 20 eV.
    QTest::newRow("rising step") << QVector<double>{0, 10, 20, 30} << QVector<double>{0, 0.5, 2.5, 2} << 13.75;
    // The level is reached exactly at a point: c <= mu[k + 1] takes that pair.
    QTest::newRow("level on a point") << QVector<double>{0, 1, 2} << QVector<double>{0, 1, 2} << 1.0;
    QTest::newRow("falling only: first energy") << QVector<double>{5, 6, 7} << QVector<double>{3, 2, 1} << 5.0;
    QTest::newRow("flat: first energy") << QVector<double>{5, 6} << QVector<double>{1, 1} << 5.0;
    QTest::newRow("no points") << QVector<double>{} << QVector<double>{} << 0.0;
}

void TestCalibration::halfHeight()
{
    QFETCH(QVector<double>, e);
    QFETCH(QVector<double>, mu);
    QFETCH(double, position);
    QCOMPARE(EdgeCalibration::halfHeightEdge(e.constData(), mu.constData(), e.size()), position);
    Spectrum s;
    for (int i = 0; i < e.size(); ++i)
        s.add(e[i], mu[i]);
    QCOMPARE(EdgeCalibration::halfHeightEdge(s), position);
}

void TestCalibration::calibrateSaveAndReload_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<double>("tolerance");
    QTest::newRow("half height") << int(CalibrationRule::HalfHeight) << 0.25;
    QTest::newRow("fit") << int(CalibrationRule::Fit) << 0.05;
}

// Calibrates a stack with a known shift through a runner, checks the map
// against the block-by-block walk and the shift put in, then saves it as an
// energy-map file and reads it back.
void TestCalibration::calibrateSaveAndReload()
{
    QFETCH(int, rule);
    QFETCH(double, tolerance);
    ShiftedEdgeStack stack;
    QVERIFY(stack.make());
    QTemporaryDir dir;
    XafsSpectrum standard;
    QVERIFY(stack.writeStandard(dir.filePath("std.dat")) && standard.load(dir.filePath("std.dat")));
    standard.setVictoreen(false);
    standard.normalize(false);

    CalibrationSetup setup;
    setup.i1 = stack.i1;
    setup.i0 = stack.i0;
    setup.grid.setup(stack.width, stack.height, 1, 1, QRectF(0, 0, stack.width, stack.height), -1, -1);
    setup.method = CalibrationMethod::of(CalibrationRule(rule), &standard, false);
    setup.threads = 2;
    setup.memoryBudget = 1;   // one grid row per slice

    Analyzed2DRes map(QStringLiteral("a2d esm"));
    CalibrationStats finished;
    QStringList lines;
    {
        DebugCapture capture;
        JobRunner runner;
        auto job = std::make_shared<CalibrationJob>(setup, &map);
        job->setOnFinished([&finished](const CalibrationStats& s, bool) { finished = s; });
        QCOMPARE(job->sliceCount(), 6);
        QSignalSpy done(&runner, &JobRunner::finished);
        QVERIFY(runner.start(job));
        QVERIFY(done.wait(60000));
        QCOMPARE(done.first().at(0).toBool(), false);
        lines = capture.lines();
    }
    QVERIFY(lines.first().startsWith("Start Calibration "));
    QVERIFY(lines.last().startsWith("End Calibration    "));
    QCOMPARE(lines.filter(QRegularExpression("^progress ")).size(), 6);
    QCOMPARE(lines.at(1), QStringLiteral("progress 5.55556"));   // centre row 1 of 0 ... 18

    // Value for value what the block-by-block walk gives.
    Analyzed2DRes reference;
    const AbsorptionSpectrum source(stack.i1, stack.i0, 1, 1, false);
    const CalibrationStats expected = CalibrationJob::runPointByPoint(source, setup.grid, setup.method, &reference);
    QCOMPARE(finished.count, qint64(8 * 6));
    QVERIFY(sameBits(finished.min, expected.min) && sameBits(finished.max, expected.max));
    QVERIFY(sameBits(finished.mean, expected.mean) && sameBits(finished.sigma, expected.sigma));
    QVERIFY(sameBits(map.minValue(), reference.minValue()) && sameBits(map.maxValue(), reference.maxValue()));
    for (int y = 0; y < stack.height; ++y)
        for (int x = 0; x < stack.width; ++x)
            QVERIFY2(sameBits(map.value(x, y), reference.value(x, y)), qPrintable(QString("%1 %2").arg(x).arg(y)));

    // Close to the shift put in, at every block centre.
    double worst = 0.0;
    for (int y = 1; y < stack.height; y += 3)
        for (int x = 1; x < stack.width; x += 3)
            worst = qMax(worst, std::fabs(map.value(x, y) - ShiftedEdgeStack::shift(x, y)));
    QVERIFY2(worst < tolerance, qPrintable(QString::number(worst)));
    QVERIFY(map.hasImage());

    // Saved without extension, read back at the standard's own edge.
    const double eStd = setup.method.eStd;
    QVERIFY(EnergyMapFile::write(dir.filePath("shift"), EnergyMapFile::sourceOf(map, eStd, 3.1355316, "std.dat")));
    const QString path = dir.filePath("shift.emp");
    QVERIFY(QFileInfo::exists(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QTextStream in(&file);
    QCOMPARE(in.readLine(), QStringLiteral("###Orvantelle::ORVT"));
    for (const char* label : headerLabels)
        QCOMPARE(in.readLine().left(26), QString::fromLatin1(label));
    file.close();

    int w = stack.width, h = stack.height;
    EnergyMapFile::Content content;
    QVERIFY(EnergyMapFile::read(path, &w, &h, 0.0, &content));
    const EMPHeader& hd = content.header;
    QVERIFY(hd.valid);
    QCOMPARE(hd.width, 24);
    QCOMPARE(hd.height, 18);
    QCOMPARE(hd.binHalfWidth, 1);
    QCOMPARE(hd.binHalfHeight, 1);
    QCOMPARE(hd.areaX0, 0);
    QCOMPARE(hd.areaX1, 24);
    QCOMPARE(hd.areaY1, 18);
    QCOMPARE(hd.spacing, 3.13553);
    QVERIFY(std::fabs(hd.stdEdgeEnergy - eStd) < 0.01);
    QCOMPARE(content.edgeEnergy, hd.stdEdgeEnergy);
    Analyzed2DRes back;
    QVERIFY(EnergyMapFile::load(path, &w, &h, 0.0, &back));
    for (int y = 0; y < stack.height; ++y)
        for (int x = 0; x < stack.width; ++x)
            QVERIFY(std::fabs(back.value(x, y) - map.value(x, y)) < 1e-4);
    QCOMPARE(back.grid().halfWidth, 1);

    // At another edge energy the same angle offsets mean larger shifts.
    Analyzed2DRes higher;
    QVERIFY(EnergyMapFile::load(path, &w, &h, 9000.0, &higher));
    QVERIFY(std::fabs(higher.value(22, 16)) > std::fabs(map.value(22, 16)));
}

// Stopped at once: the job finishes as stopped, nothing is recorded, and the
// map stays set up and empty.
void TestCalibration::stopRecordsNothingMore()
{
    ShiftedEdgeStack stack;
    QVERIFY(stack.make());
    CalibrationSetup setup;
    setup.i1 = stack.i1;
    setup.i0 = stack.i0;
    setup.grid.setup(stack.width, stack.height, 1, 1, QRectF(0, 0, stack.width, stack.height), -1, -1);
    Analyzed2DRes map;
    auto job = std::make_shared<CalibrationJob>(setup, &map);
    bool stopped = false;
    qint64 count = -1;
    job->setOnFinished([&](const CalibrationStats& s, bool f) {
        stopped = f;
        count = s.count;
    });
    JobRunner runner;
    QVERIFY(runner.start(job));
    const QStringList lines = debugLinesOf([&] { runner.stop(); });
    runner.stopAndWait();
    QVERIFY(stopped);
    QCOMPARE(count, qint64(0));
    QCOMPARE(lines.filter("progress").size(), 0);
    QCOMPARE(map.width(), stack.width);
    QCOMPARE(map.maxValue(), Analyzed2DRes::emptyMax);
}

void TestCalibration::empReader_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");          // current image size
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("message");    // a debug line that must appear
    QTest::addColumn<int>("failLine");       // line named with the file (0: none)

    const QString body = "0 0 \n0 0 \n";
    const auto header = [](const char* from, const char* to) { return empText().replace(from, to); };
    const char* const edge = "Std Edge Energy [eV]    : 7112";
    const char* const spacing = "Spacing [nm]            : 3.13553";
    QTest::newRow("own magic") << empText(body, "###Orvantelle::ORVT") << 2 << true << "" << 0;
    QTest::newRow("short magic") << empText() << 2 << true << "" << 0;
    QTest::newRow("no area lines") << empText(body, "###ORVT", false) << 2 << true << "" << 0;
    QTest::newRow("size taken while unknown") << empText() << -1 << true << "" << 0;
    QTest::newRow("blank lines after the body") << empText(body + "\n  \n") << 2 << true << "" << 0;
    QTest::newRow("no magic") << empText(body, "#ORVT") << 2 << false << "Not a emp file." << 1;
    QTest::newRow("empty file") << QString() << 2 << false << "Not a emp file." << 1;
    QTest::newRow("no spacing line") << empText().remove(QRegularExpression("Spacing[^\n]*\n")) << 2 << false << ""
                                     << 16;
    QTest::newRow("size mismatch") << empText() << 3 << false
                                   << "Loading Energy Map size : 2 x 2 : is not matched to the current image size : 3 x 2"
                                   << 17;
    // Unknown image size: a header size the file cannot hold is refused
    // before anything is allocated (a few bytes claiming 5000 x 5000).
    QTest::newRow("size beyond the file while unknown")
        << empText("0 ").replace("Width [pix]             : 2\nHeight [pix]            : 2",
                                 "Width [pix]             : 5000\nHeight [pix]            : 5000")
        << -1 << false << "Energy map size 5000 x 5000 does not fit the file (495 bytes)" << 17;
    QTest::newRow("not a number") << empText("0 0 \n0 x1 \n") << 2 << false << "Not a number : \"x1\"" << 19;
    // A truncated map used to load with zeros for what was missing.
    QTest::newRow("short last row") << empText("0 0 \n0 ") << 2 << false << "Row 1 holds 1 values instead of 2" << 19;
    QTest::newRow("rows missing") << empText("0 0 \n") << 2 << false << "The map ends after 1 of 2 rows" << 19;
    QTest::newRow("rows missing while unknown") << empText("0 0 \n") << -1 << false << "The map ends after 1 of 2 rows"
                                                << 19;
    // Rows of the wrong length used to be read as one stream, shifting the map.
    QTest::newRow("long first row") << empText("0 0 0\n0\n") << 2 << false << "Row 0 holds more than 2 values" << 18;
    QTest::newRow("one row too many") << empText(body + "0 0 \n") << 2 << false << "More than 2 rows in the map" << 20;
    QTest::newRow("nan value") << empText("0 nan \n0 0 \n") << 2 << false
                               << "The angle offset nan in row 0, column 1 gives no energy" << 18;
    QTest::newRow("inf value") << empText("0 0 \n-inf 0 \n") << 2 << false
                               << "The angle offset -inf in row 1, column 0 gives no energy" << 19;
    QTest::newRow("angle beyond 180 degrees") << empText("0 0 \n0 200 \n") << 2 << false
                                              << "The angle offset 200 in row 1, column 1 gives no energy" << 19;
    // The offsets mean nothing without an edge energy and a crystal spacing.
    QTest::newRow("edge energy nan") << header(edge, "Std Edge Energy [eV]    : nan") << 2 << false
                                     << "Standard edge energy nan eV is not an energy the crystal (d = 3.13553) reflects"
                                     << 17;
    QTest::newRow("edge energy 0") << header(edge, "Std Edge Energy [eV]    : 0") << 2 << false
                                   << "Standard edge energy 0 eV is not an energy the crystal (d = 3.13553) reflects"
                                   << 17;
    QTest::newRow("edge energy negative") << header(edge, "Std Edge Energy [eV]    : -7112") << 2 << false
                                          << "Standard edge energy -7112 eV is not an energy the crystal (d = 3.13553) "
                                             "reflects"
                                          << 17;
    QTest::newRow("edge energy below the crystal's range") << header(edge, "Std Edge Energy [eV]    : 1000") << 2
                                                           << false
                                                           << "Standard edge energy 1000 eV is not an energy the crystal "
                                                              "(d = 3.13553) reflects"
                                                           << 17;
    QTest::newRow("spacing 0") << header(spacing, "Spacing [nm]            : 0") << 2 << false
                               << "Crystal spacing 0 is not a length" << 17;
    QTest::newRow("spacing nan") << header(spacing, "Spacing [nm]            : nan") << 2 << false
                                 << "Crystal spacing nan is not a length" << 17;
    QTest::newRow("spacing inf") << header(spacing, "Spacing [nm]            : inf") << 2 << false
                                 << "Crystal spacing inf is not a length" << 17;
}

void TestCalibration::empReader()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(bool, ok);
    QFETCH(QString, message);
    QFETCH(int, failLine);
    QTemporaryDir dir;
    const QString path = writeText(dir.filePath("map.emp"), text);
    int w = width, h = width < 0 ? -1 : 2;
    Analyzed2DRes map;
    ScanGrid old;
    old.setup(5, 1, 0, 0, QRectF(0, 0, 5, 1), -1, -1);
    map.setup(old);
    map.setData(0, 0, 0, 0, 42.0);
    bool loaded = false;
    QString error;
    const QStringList lines =
        debugLinesOf([&] { loaded = EnergyMapFile::load(path, &w, &h, 0.0, &map, nullptr, &error); });
    QCOMPARE(loaded, ok);
    if (!message.isEmpty())
        QVERIFY2(lines.contains(message), qPrintable(lines.join('|')));
    QCOMPARE(lines.count("run out!"), 0);
    if (failLine > 0) {
        QVERIFY2(lines.contains(QStringLiteral("  in %1, line %2").arg(path).arg(failLine)), qPrintable(lines.join('|')));
        // The caller gets it as one message naming the file and the line.
        QVERIFY2(error.startsWith(QStringLiteral("%1, line %2: ").arg(path).arg(failLine)), qPrintable(error));
    }
    if (!ok) {
        // A refused file leaves the map and an unknown image size as they were.
        QCOMPARE(map.width(), 5);
        QCOMPARE(map.value(0, 0), 42.0);
        QCOMPARE(w, width);
        if (message.isEmpty() || message == "Not a emp file.")
            QVERIFY(lines.contains("Invalid Energy Map Data File : " + path));
        return;
    }
    QCOMPARE(w, 2);
    QCOMPARE(h, 2);
    QCOMPARE(map.width(), 2);
    // Zero offsets are zero shifts.
    QVERIFY(std::fabs(map.value(1, 1)) < 1e-9);
    QVERIFY(std::fabs(map.value(0, 0)) < 1e-9);
}

// A map is never written without what it needs: a name, values, an edge
// energy the crystal reflects (a map saved at edge energy 0 held nothing but
// -1 degree offsets), and shifts that stay within the crystal's range.
void TestCalibration::empWriterRefuses_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<double>("eStd");
    QTest::addColumn<double>("shift");
    QTest::addColumn<QString>("message");
    QTest::newRow("written") << "m.emp" << 2 << 7112.0 << 1.5 << "";
    QTest::newRow("no name") << "" << 2 << 7112.0 << 1.5 << "no file name given";
    QTest::newRow("blank name") << " " << 2 << 7112.0 << 1.5 << "no file name given";
    QTest::newRow("no map yet") << "m.emp" << 0 << 7112.0 << 1.5 << "there is no energy-shift map";
    QTest::newRow("no standard edge") << "m.emp" << 2 << 0.0 << 1.5 << "no usable standard edge energy (0 eV)";
    QTest::newRow("nan standard edge") << "m.emp" << 2 << qQNaN() << 1.5 << "no usable standard edge energy (nan eV)";
    QTest::newRow("shift beyond the crystal") << "m.emp" << 2 << 7112.0 << 7000.0 << "the shift 7000 eV at pixel (1, 1)";
    QTest::newRow("nan shift") << "m.emp" << 2 << 7112.0 << qQNaN() << "the shift nan eV at pixel (1, 1)";
}

void TestCalibration::empWriterRefuses()
{
    QFETCH(QString, name);
    QFETCH(int, size);
    QFETCH(double, eStd);
    QFETCH(double, shift);
    QFETCH(QString, message);
    QTemporaryDir dir;
    // An empty name used to land in the working folder as "./.emp".
    struct Back {
        QString dir = QDir::currentPath();
        ~Back() { QDir::setCurrent(dir); }
    } back;
    QVERIFY(QDir::setCurrent(dir.path()));
    const double values[4] = {0.0, 0.5, -0.5, shift};
    EnergyMapFile::Source source;
    source.map = size > 0 ? values : nullptr;
    source.mapWidth = source.mapHeight = size;
    source.grid.setup(size, size, 0, 0, QRectF(0, 0, size, size), -1, -1);
    source.eStd = eStd;
    source.spacing = 3.1355316;
    QString error;
    const bool written = EnergyMapFile::write(name, source, &error);
    QCOMPARE(written, message.isEmpty());
    QVERIFY2(error.contains(message), qPrintable(error));
    // Nothing at all lands in the folder (no hidden "./.emp" either).
    const QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(files, written ? QStringList{"m.emp"} : QStringList());
    if (written) {
        int w = -1, h = -1;
        EnergyMapFile::Content content;
        QVERIFY(EnergyMapFile::read(dir.filePath(name), &w, &h, 0.0, &content));
        QVERIFY(std::fabs(content.shifts[3] - shift) < 1e-3);
    }
}

void TestCalibration::completeName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("no extension") << "shift" << "shift.emp";
    QTest::newRow("other extension kept") << "shift.txt" << "shift.txt";
    QTest::newRow("own extension") << "shift.emp" << "shift.emp";
}

void TestCalibration::completeName()
{
    QFETCH(QString, name);
    QFETCH(QString, fileName);
    QTemporaryDir dir;
    const QString full = EnergyMapFile::completeName(dir.filePath(name));
    QCOMPARE(full, QDir(dir.path()).absoluteFilePath(fileName));
    QVERIFY(QFileInfo(EnergyMapFile::completeName(name)).isAbsolute());
    QVERIFY(EnergyMapFile::write(dir.filePath(name), smallMap()));
    QVERIFY(QFileInfo::exists(full));
}

// The file is written under a temporary name next to it and renamed when
// complete; when that cannot happen the earlier file stays as it was.
void TestCalibration::failedSaveKeepsOldFile()
{
    QTemporaryDir dir;
    // A name so long that the temporary name beside it cannot be made.
    const QString path = dir.filePath(QString(250, QLatin1Char('m')) + ".emp");
    QVERIFY(!writeText(path, "earlier map\n").isEmpty());
    bool written = true;
    const QStringList lines = debugLinesOf([&] { written = EnergyMapFile::write(path, smallMap()); });
    QVERIFY(!written);
    // Reported by name, whether the temporary file or the renaming failed.
    QVERIFY2(lines.filter(QRegularExpression("^Can not (open|write) ")).filter(path).size() == 1,
             qPrintable(lines.join('|')));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("earlier map\n"));
}

void TestCalibration::bandsKeepPixelOrder_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("one band") << 30 << 20;
    QTest::newRow("bands of many rows and a short last one") << 600 << 1000;
    QTest::newRow("rows wider than a band") << 300000 << 3;
}

// The body is written in bands whose rows are formatted on several workers:
// every pixel's shift reads back where it was.
void TestCalibration::bandsKeepPixelOrder()
{
    QFETCH(int, width);
    QFETCH(int, height);
    std::vector<double> shifts(std::size_t(width) * height);
    for (std::size_t p = 0; p < shifts.size(); ++p)
        shifts[p] = double(p % 997) * 0.01 - 5.0;
    EnergyMapFile::Source s = smallMap();
    s.map = shifts.data();
    s.mapWidth = width;
    s.mapHeight = height;
    s.grid.setup(width, height, 0, 0, QRectF(0, 0, width, height), -1, -1);
    QTemporaryDir dir;
    const QString path = dir.filePath("bands.emp");
    QVERIFY(EnergyMapFile::write(path, s));
    int w = -1, h = -1;
    EnergyMapFile::Content content;
    QVERIFY(EnergyMapFile::read(path, &w, &h, 0.0, &content));
    QCOMPARE(w, width);
    QCOMPARE(h, height);
    QCOMPARE(content.shifts.size(), shifts.size());
    for (std::size_t p = 0; p < shifts.size(); ++p)
        if (std::fabs(content.shifts[p] - shifts[p]) > 2e-3)
            QFAIL(qPrintable(QStringLiteral("pixel %1: %2 read back as %3").arg(p).arg(shifts[p]).arg(content.shifts[p])));
}

QTEST_GUILESS_MAIN(TestCalibration)
#include "tst_calibration.moc"
