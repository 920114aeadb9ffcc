#include "base/JobRunner.h"
#include "CorpusRows.h"
#include "grid/ScanGrid.h"
#include "output/SaveFileNames.h"
#include "output/TextMapReader.h"
#include "output/TextMapWriter.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <vector>

// File names of the saving functions, the text layouts of a result map and
// reading them back.
class TestTextMap : public QObject
{
    Q_OBJECT
private slots:
    void names_data();
    void names();
    void layouts_data();
    void layouts();
    void gridOrderIsTheWalk();
    void readBack_data();
    void readBack();
    void malformed_data();
    void malformed();
    void jobWritesTheSameFile();
    void fuzzCorpus_data();
    void fuzzCorpus();

private:
    // A 10 x 10 map, half sizes 1: centres x = 1, 4, 7 on lines y = 1, 4, 7,
    // with awkward values to format.
    static ScanGrid smallGrid();
    static std::vector<double> smallMap();
};

void TestTextMap::names_data()
{
    QTest::addColumn<QString>("made");
    QTest::addColumn<QString>("expected");
    using namespace SaveFileNames;
    QTest::newRow("colour bar of a picture") << withNumber("a.png", "cBar") << "a-cBar.png";
    QTest::newRow("dots in the base name") << withNumber("dir/a.b.png", "cBar") << "dir/a.b-cBar.png";
    QTest::newRow("number without suffix") << withNumber("out/a", "7") << "out/a-7";
    QTest::newRow("row and map") << withNumber("a.png", "2-0") << "a-2-0.png";
    QTest::newRow("map tif ext 0") << numbered("map.tif", 0, "tif") << "map-0.tif";
    QTest::newRow("map bar ext 0") << withNumber(withNumber("map.tif", "0"), "-cBar") << "map-0--cBar.tif";
    QTest::newRow("map bar ext 1") << withNumber(withNumber("m.tif", "1"), "-cBar") << "m-1--cBar.tif";
    QTest::newRow("text drops own suffix") << numbered("out/map.png", 2, "dat") << "out/map-2.dat";
    QTest::newRow("absolute") << numbered("/abs/x", 1, "tif") << "/abs/x-1.tif";
    QTest::newRow("spectra without suffix") << withDefaultSuffix("spectra", "dat") << "spectra.dat";
    QTest::newRow("spectra other suffix") << withDefaultSuffix("s.txt", "dat") << "s.txt";
    QTest::newRow("dotted directory") << withDefaultSuffix("dir.v2/s", "dat") << "dir.v2/s.dat";
    QTest::newRow("relative directory kept") << numbered("./m.tif", 3, "tif") << "./m-3.tif";
    // A new file never replaces one that is there.
    const QStringList there{"d/c.dat", "d/c-2.dat", "e/c-2.dat"};
    auto taken = [there](const QString& f) { return there.contains(f); };
    QTest::newRow("free name kept") << unused("e/c.dat", taken) << "e/c.dat";
    QTest::newRow("first free number") << unused("d/c.dat", taken) << "d/c-3.dat";
    QTest::newRow("all taken") << unused("x.dat", [](const QString&) { return true; }) << QString();
}

void TestTextMap::names()
{
    QFETCH(QString, made);
    QFETCH(QString, expected);
    QCOMPARE(made, expected);
}

ScanGrid TestTextMap::smallGrid()
{
    ScanGrid g;
    g.setup(10, 10, 1, 1, QRectF(0, 0, 10, 10), -1, -1);
    return g;
}

std::vector<double> TestTextMap::smallMap()
{
    std::vector<double> m(100, 99.0);
    const double centre[3][3] = {{1.5, -2, 1234567}, {0.1, -1.2345678e-05, 0}, {100, 1e-300, 3}};
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i)
            m[std::size_t((1 + 3 * j) * 10 + 1 + 3 * i)] = centre[j][i];
    return m;
}

void TestTextMap::layouts_data()
{
    QTest::addColumn<bool>("comma");
    QTest::addColumn<bool>("xyVal");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("X Y Val, comma") << true << true
                                    << QByteArray("1,1,1.5\n4,1,-2\n7,1,1.23457e+06\n1,4,0.1\n4,4,-1.23457e-05\n"
                                                  "7,4,0\n1,7,100\n4,7,1e-300\n7,7,3\n");
    QTest::newRow("X Y Val, space") << false << true
                                    << QByteArray("1 1 1.5\n4 1 -2\n7 1 1.23457e+06\n1 4 0.1\n4 4 -1.23457e-05\n"
                                                  "7 4 0\n1 7 100\n4 7 1e-300\n7 7 3\n");
    QTest::newRow("rows, comma") << true << false
                                 << QByteArray("1.5,-2,1.23457e+06\n0.1,-1.23457e-05,0\n100,1e-300,3\n");
    QTest::newRow("rows, space") << false << false
                                 << QByteArray("1.5 -2 1.23457e+06\n0.1 -1.23457e-05 0\n100 1e-300 3\n");
}

void TestTextMap::layouts()
{
    QFETCH(bool, comma);
    QFETCH(bool, xyVal);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath("map-0.dat");
    const std::vector<double> map = smallMap();
    QString error;
    QVERIFY2(TextMapWriter::write(path, map.data(), 10, 10, smallGrid(), {comma, xyVal}, &error),
             qPrintable(error));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), expected);
}

void TestTextMap::gridOrderIsTheWalk()
{
    // The writer's rows and columns visit exactly the centres a walk of the
    // grid visits, including the first centre of a line past its end and
    // areas given backwards.
    const QList<QRectF> areas{QRectF(0, 0, 10, 10), QRectF(3, 2, 17, 9), QRectF(20, 20, -13, -4),
                              QRectF(5, 5, 1, 1), QRectF(0, 0, 0, 0)};
    for (int half : {0, 1, 3}) {
        for (const QRectF& area : areas) {
            ScanGrid g;
            g.setup(30, 30, half, half + 1, area, -1, -1);
            std::vector<double> map(900);
            for (int i = 0; i < 900; ++i)
                map[std::size_t(i)] = i;
            QByteArray walk;
            ScanGrid w = g;
            w.restart();
            bool newLine = false;
            do {
                walk += QByteArray::number(w.x) + ' ' + QByteArray::number(w.y) + ' '
                    + QByteArray::number(mapValueAt(map.data(), 30, 30, w.x, w.y), 'g', 6) + '\n';
            } while (w.next(newLine));
            const GridAxes axes = GridAxes::of(g);
            const QByteArray text = TextMapWriter::rowsText(TextMapWriter::gridValues(map.data(), 30, 30, g),
                                                            axes, {false, true}, 0, axes.rows);
            QCOMPARE(text, walk);
        }
    }
}

void TestTextMap::readBack_data()
{
    QTest::addColumn<bool>("comma");
    QTest::addColumn<bool>("xyVal");
    QTest::newRow("X Y Val, comma") << true << true;
    QTest::newRow("X Y Val, space") << false << true;
    QTest::newRow("rows, comma") << true << false;
    QTest::newRow("rows, space") << false << false;
}

void TestTextMap::readBack()
{
    QFETCH(bool, comma);
    QFETCH(bool, xyVal);
    QTemporaryDir dir;
    const QString path = dir.filePath("m.dat");
    const std::vector<double> map = smallMap();
    QVERIFY(TextMapWriter::write(path, map.data(), 10, 10, smallGrid(), {comma, xyVal}, nullptr));
    TextMapReader::Map back;
    QString error;
    QVERIFY2(TextMapReader::read(path, {comma, xyVal}, &back, &error), qPrintable(error));
    if (xyVal) {
        QCOMPARE(back.points.size(), 9);
        QVERIFY(back.rows.isEmpty());
        for (const TextMapReader::Point& p : back.points) {
            const double v = map[std::size_t(p.y * 10 + p.x)];
            QVERIFY2(qAbs(p.value - v) <= 5e-6 * qAbs(v), qPrintable(QString("%1 %2").arg(p.x).arg(p.y)));
        }
    } else {
        QCOMPARE(back.rows.size(), 3);
        for (int j = 0; j < 3; ++j) {
            QCOMPARE(back.rows.at(j).size(), 3);
            for (int i = 0; i < 3; ++i) {
                const double v = map[std::size_t((1 + 3 * j) * 10 + 1 + 3 * i)];
                QVERIFY(qAbs(back.rows.at(j).at(i) - v) <= 5e-6 * qAbs(v));
            }
        }
    }
}

void TestTextMap::malformed_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("comma");
    QTest::addColumn<bool>("xyVal");
    QTest::addColumn<QString>("error");   // empty: reads
    QTest::newRow("two fields") << QByteArray("1,2\n") << true << true << "line 1: expected X, Y and a value";
    QTest::newRow("four fields") << QByteArray("1,1,2\n1,2,3,4\n") << true << true
                                 << "line 2: expected X, Y and a value";
    QTest::newRow("X not integer") << QByteArray("1.5,1,2\n") << true << true << "line 1: X and Y must be integers";
    QTest::newRow("value not number") << QByteArray("1 1 x\n") << false << true << "line 1: not a number";
    QTest::newRow("empty line inside") << QByteArray("1,2\n\n3,4\n") << true << false << "line 2: empty line";
    QTest::newRow("row with a gap") << QByteArray("1,,2\n") << true << false << "line 1: not a number";
    QTest::newRow("crlf") << QByteArray("1,1,2\r\n2,1,3\r\n") << true << true << "";
    QTest::newRow("no final line feed") << QByteArray("1 2 3") << false << false << "";
    QTest::newRow("runs of blanks") << QByteArray("  1   2 3 \n") << false << false << "";
    QTest::newRow("nan and inf") << QByteArray("nan,inf,-inf\n") << true << false << "";
    QTest::newRow("empty file") << QByteArray() << true << true << "";
    QTest::newRow("binary") << QByteArray("\x01\x02,\xff,3\n", 7) << true << true << "line 1: X and Y must be integers";
}

void TestTextMap::malformed()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, comma);
    QFETCH(bool, xyVal);
    QFETCH(QString, error);
    TextMapReader::Map map;
    QString why;
    const bool ok = TextMapReader::parse(bytes, {comma, xyVal}, &map, &why);
    QCOMPARE(ok, error.isEmpty());
    QCOMPARE(why, error);
}

void TestTextMap::jobWritesTheSameFile()
{
    // 1000 columns: 65 rows per slice, so the 200 rows take four slices.
    const int w = 1000, h = 200;
    std::vector<double> map(std::size_t(w) * h);
    for (std::size_t i = 0; i < map.size(); ++i)
        map[i] = std::sin(double(i)) * 1e3;
    ScanGrid g;
    g.setup(w, h, 0, 0, QRectF(0, 0, w, h), -1, -1);
    QTemporaryDir dir;
    const QString once = dir.filePath("once.dat");
    const QString sliced = dir.filePath("sliced.dat");
    QVERIFY(TextMapWriter::write(once, map.data(), w, h, g, {false, false}, nullptr));

    auto job = std::make_shared<TextMapJob>(sliced, map.data(), w, h, g, TextMapFormat{false, false});
    QCOMPARE(job->sliceCount(), 4);
    // The job holds its own copy: changing the map now changes nothing.
    std::fill(map.begin(), map.end(), 0.0);
    SaveFileJob::Result result;
    job->setDone([&result](const SaveFileJob::Result& r) { result = r; });
    JobRunner runner;
    QSignalSpy finished(&runner, &JobRunner::finished);
    QVERIFY(runner.start(job));
    QVERIFY(finished.wait(60000));
    QVERIFY2(result.ok, qPrintable(result.message));
    QFile a(once), b(sliced);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QCOMPARE(b.readAll(), a.readAll());
}

// Every input the text-map fuzzer keeps, read from its file in all four
// layouts: a refusal says why, and a map that reads holds what its layout
// promises.
void TestTextMap::fuzzCorpus_data()
{
    addCorpusRows(QStringLiteral(TEXTMAP_CORPUS_DIR), 4);
}

void TestTextMap::fuzzCorpus()
{
    QFETCH(QString, file);
    for (int layout = 0; layout < 4; ++layout) {
        const TextMapFormat format{(layout & 1) != 0, (layout & 2) != 0};
        TextMapReader::Map map;
        QString why;
        if (!TextMapReader::read(file, format, &map, &why)) {
            QVERIFY(!why.isEmpty());
            continue;
        }
        if (format.xyVal)
            QVERIFY(map.rows.isEmpty());
        else
            QVERIFY(map.points.isEmpty());
    }
}

QTEST_GUILESS_MAIN(TestTextMap)
#include "tst_textmap.moc"
