#include "DebugCapture.h"
#include "io/EnergyOfFiles.h"

#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

Q_DECLARE_METATYPE(EnergyOfFiles)

namespace {

constexpr double hc = 12398.424360387684;
constexpr double d0 = 3.13553;

// E = hc / (2 d sin(theta)), worked out here with radians throughout.
double energyOfRadians(double theta, double d = d0)
{
    return hc / (2.0 * d * std::sin(theta));
}
double braggRadians(double eV, double d = d0)
{
    return std::asin(hc / (2.0 * d * eV));
}
double energyOfDegrees(double deg, double d = d0)
{
    return energyOfRadians(deg * M_PI / 180.0, d);
}

EnergyOfFiles calc(int unit, bool evenInEnergy, double start, double end, double delta, int n)
{
    EnergyOfFiles e;
    e.source = EnergyOfFiles::ByCalculation;
    e.unit = unit;
    e.evenInEnergy = evenInEnergy;
    e.start = start;
    e.end = end;
    e.delta = delta;
    e.numOfPoints = n;
    return e;
}
EnergyOfFiles byName(const QString& pattern, double factor)
{
    EnergyOfFiles e;
    e.pattern = pattern;
    e.factor = factor;
    return e;
}
EnergyOfFiles byRef(const QVector<double>& list)
{
    EnergyOfFiles e;
    e.source = EnergyOfFiles::ByRefFile;
    e.refEnergies = list;
    return e;
}

}

class TestEnergyOfFiles : public QObject
{
    Q_OBJECT
private slots:
    void energyOf_data();
    void energyOf();
    void defaultsSpaceEvenlyInAngle();
    void factorOfPattern_data();
    void factorOfPattern();
    void rangeBookkeeping();
    void readRefFile_data();
    void readRefFile();
    void refFileRefused_data();
    void refFileRefused();
    void unreadableRefFileKeepsList_data();
    void unreadableRefFileKeepsList();
    void refFileCorpusReplays_data();
    void refFileCorpusReplays();
};

void TestEnergyOfFiles::energyOf_data()
{
    QTest::addColumn<EnergyOfFiles>("rules");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("fileNo");
    QTest::addColumn<double>("expected");

    const EnergyOfFiles defaults = calc(EnergyOfFiles::UnitEV, false, 8000, 9000, 1, 1000);
    const double mid = (braggRadians(8000) + braggRadians(9000)) / 2;
    QTest::newRow("defaults, file 0") << defaults << "a.tif" << 0 << 8000.0;
    QTest::newRow("defaults, file 1000") << defaults << "a.tif" << 1000 << 9000.0;
    QTest::newRow("defaults, file 500") << defaults << "a.tif" << 500 << energyOfRadians(mid);
    QTest::newRow("eV even in energy") << calc(0, true, 8000, 0, 1.5, 0) << "" << 10 << 8015.0;
    QTest::newRow("keV even in energy") << calc(1, true, 7.1, 0, 0.001, 0) << "" << 12 << 7112.0;
    QTest::newRow("keV even in angle, first") << calc(1, false, 8, 9, 0, 100) << "" << 0 << 8000.0;
    QTest::newRow("keV even in angle, last") << calc(1, false, 8, 9, 0, 100) << "" << 100 << 9000.0;
    QTest::newRow("deg") << calc(2, false, 14, 0, 0.01, 0) << "" << 50 << energyOfDegrees(14.5);
    QTest::newRow("deg whatever the spacing") << calc(2, true, 14, 0, 0.01, 0) << "" << 50 << energyOfDegrees(14.5);
    QTest::newRow("other unit index") << calc(7, false, 100, 0, 2, 0) << "" << 3 << 106.0;
    // hc / (2 d 1000 eV) is above 1: the start angle counts as -1 degree.
    QTest::newRow("angle outside the domain") << calc(0, false, 1000, 9000, 0, 10) << "" << 0 << energyOfDegrees(-1);
    QTest::newRow("negative file number, energy spacing") << calc(0, true, 8000, 0, 2, 0) << "" << -5 << 7990.0;

    QTest::newRow("name _7112_50eV") << byName("\\d\\d\\d\\d_\\d\\deV", 1) << "/data/Fe/scan_7112_50eV.tif" << 3 << 7112.5;
    QTest::newRow("name 07_112000KeV") << byName("\\d\\d_\\d\\d\\d\\d\\d\\dKeV", 1000) << "x07_112000KeV.img" << 3 << 7112.0;
    QTest::newRow("name 7112.35") << byName("\\d\\d\\d\\d\\.\\d\\d", 1) << "scan_7112.35.tif" << 3 << 7112.35;
    QTest::newRow("name lower-case ev") << byName("\\d\\d\\d\\d_\\d\\dev", 1) << "i_7112_25ev.tif" << 3 << 7112.25;
    // A byte outside UTF-8 in the name, kept as the lone surrogate U+DCE9.
    QTest::newRow("name with a kept byte") << byName("\\d\\d\\d\\d\\.\\d\\deV", 1)
                                           << QString("i1_") + QChar(0xDCE9) + "7112.35eV.tif" << 3 << 7112.35;
    QTest::newRow("name in a directory") << byName("\\d\\d\\d\\d_\\d\\d", 1) << "/d/7001_50/img.tif" << 3 << 7001.5;
    QTest::newRow("no match: file number") << byName("\\d\\d\\d\\d\\.\\d\\d", 1) << "scan.tif" << 17 << 17.0;
    QTest::newRow("no match, factor 1000") << byName("\\d\\d\\d\\d\\.\\d\\d", 1000) << "scan.tif" << 17 << 17000.0;
    QTest::newRow("factor 0 not applied") << byName("\\d\\d\\d\\d_\\d\\d", 0) << "a_7112_50.tif" << 1 << 7112.5;
    QTest::newRow("negative factor not applied") << byName("\\d\\d\\d\\d_\\d\\d", -2) << "a_7112_50.tif" << 1 << 7112.5;
    QTest::newRow("broken pattern: file number") << byName("(\\d", 1) << "a_7112_50.tif" << 4 << 4.0;

    const QVector<double> list{7000.5, 7100.5, 7200.5};
    QTest::newRow("ref, empty list") << byRef({}) << "" << 5 << 8005.0;
    QTest::newRow("ref, empty list, negative") << byRef({}) << "" << -3 << 7997.0;
    QTest::newRow("ref, entry 1") << byRef(list) << "" << 1 << list[1];
    QTest::newRow("ref, last entry") << byRef(list) << "" << 2 << list[2];
    QTest::newRow("ref, i < 0") << byRef(list) << "" << -1 << list[0];
    QTest::newRow("ref, beyond the end") << byRef(list) << "" << 3 << list[2];
    QTest::newRow("ref ignores the name") << byRef(list) << "a_7112_5000.tif" << 0 << list[0];
}

void TestEnergyOfFiles::energyOf()
{
    QFETCH(EnergyOfFiles, rules);
    QFETCH(QString, path);
    QFETCH(int, fileNo);
    QFETCH(double, expected);
    const double e = rules.energyOf(path, fileNo);
    QVERIFY2(std::fabs(e - expected) <= 1e-9 * std::fabs(expected),
             qPrintable(QString("%1 instead of %2").arg(e, 0, 'g', 17).arg(expected, 0, 'g', 17)));
}

void TestEnergyOfFiles::defaultsSpaceEvenlyInAngle()
{
    const EnergyOfFiles e;
    QCOMPARE(e.source, EnergyOfFiles::ByFileName);
    EnergyOfFiles c = e;
    c.source = EnergyOfFiles::ByCalculation;
    // Even steps in angle are uneven in energy, so the middle file is not
    // half way between start and end.
    QVERIFY(std::fabs(c.energyOf("", 500) - 8500.0) > 1.0);
    QVERIFY(c.energyOf("", 499) < c.energyOf("", 500));
}

void TestEnergyOfFiles::factorOfPattern_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<double>("factor");
    QTest::newRow("keV") << "\\d\\d_\\d\\d\\d\\d\\d\\dKeV" << 1000.0;
    QTest::newRow("kev any case") << "x_kEv" << 1000.0;
    QTest::newRow("eV") << "\\d\\d\\d\\d_\\d\\deV" << 1.0;
    QTest::newRow("no unit") << "\\d\\d\\d\\d_\\d\\d" << 1.0;
    QTest::newRow("K and EV apart") << "K_EV" << 1.0;
}

void TestEnergyOfFiles::factorOfPattern()
{
    QFETCH(QString, pattern);
    QFETCH(double, factor);
    QCOMPARE(EnergyOfFiles::factorOfPattern(pattern), factor);
}

void TestEnergyOfFiles::rangeBookkeeping()
{
    QCOMPARE(EnergyOfFiles::deltaOf(8000, 9500, 1000), 1.5);
    QCOMPARE(EnergyOfFiles::endOf(8000, 1.5, 1000), 9500.0);
    QCOMPARE(EnergyOfFiles::formatted(EnergyOfFiles::deltaOf(0, 1, 3)), QString("0.333333"));
    QCOMPARE(EnergyOfFiles::formatted(1234567.0), QString("1.23457e+06"));
    QCOMPARE(EnergyOfFiles::readNumber("7.5e3"), 7500.0);
    QCOMPARE(EnergyOfFiles::readNumber("abc"), 0.0);
    QCOMPARE(EnergyOfFiles::readInteger("12x"), 0);
}

void TestEnergyOfFiles::readRefFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<double>("d");
    QTest::addColumn<QVector<double>>("angles");

    QTest::newRow("plain, first line is a title")
        << QByteArray("angles\n14.0\n# note\n13.5\n\n  13.0  extra\nword\n") << d0 << QVector<double>{14.0, 13.5, 13.0};
    QTest::newRow("plain, other d") << QByteArray("t\n20\n19.5\n") << 2.0 << QVector<double>{20.0, 19.5};
    QTest::newRow("9809")
        << QByteArray("9809  Fe K  D= 3.1355\nsample\n Offset  1 2\n1 14.25 3\n#c\n2 13.75 3\n3\n")
        << d0 << QVector<double>{14.25, 13.75};
}

void TestEnergyOfFiles::readRefFile()
{
    QFETCH(QByteArray, content);
    QFETCH(double, d);
    QFETCH(QVector<double>, angles);
    QTemporaryDir dir;
    const QString path = dir.filePath("ref.dat");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();

    QVector<double> energies{1.0, 2.0};
    DebugCapture capture;
    QVERIFY(EnergyOfFiles::readRefFile(path, d, energies));
    QCOMPARE(DebugCapture::lines(), QStringList{"reading simple"});
    QCOMPARE(energies.size(), angles.size());
    for (int i = 0; i < angles.size(); ++i)
        QVERIFY(std::fabs(energies[i] / energyOfDegrees(angles[i], d) - 1.0) < 1e-9);
}

// Lists that give no usable energies used to be accepted and made every map
// NaN (an empty list made the energies 8000 + file number).
void TestEnergyOfFiles::refFileRefused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("why");
    QTest::newRow("empty file") << QByteArray() << "0 angles; a series needs at least 2";
    QTest::newRow("title only") << QByteArray("Bragg angles\n") << "0 angles; a series needs at least 2";
    QTest::newRow("one entry") << QByteArray("angles\n14.25\n") << "1 angles; a series needs at least 2";
    QTest::newRow("9809 without Offset line") << QByteArray("9809\n1 14.25 3\n2 14.2 3\n")
                                              << "no Offset line in the 9809 file";
    QTest::newRow("decimal commas") << QByteArray("angles\n14,25\n14,20\n14,15\n")
                                    << "3 of 3 lines hold no angle, the first at line 2: \"14,25\" "
                                       "(decimal commas are not read)";
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR\n\x7f\x01 2\n3.5\n", 26)
                            << "3 of 4 lines hold no angle, the first at line 2: \"\x1a\"";
    QTest::newRow("angle 0") << QByteArray("angles\n14.25\n0\n") << "the angle 0 at line 3 gives no energy";
    QTest::newRow("negative angle") << QByteArray("angles\n-14.25\n14\n") << "the angle -14.25 at line 2 gives no energy";
}

void TestEnergyOfFiles::refFileRefused()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, why);
    QTemporaryDir dir;
    const QString path = dir.filePath("ref.dat");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    const QVector<double> before{7000.0, 7001.0};
    QVector<double> energies = before;
    QString error;
    DebugCapture capture;
    QVERIFY(!EnergyOfFiles::readRefFile(path, d0, energies, &error));
    QCOMPARE(error, why);
    QVERIFY(DebugCapture::lines().contains(QStringLiteral("Can't use ref file %1 : %2").arg(path, why)));
    QCOMPARE(energies, before);
}

void TestEnergyOfFiles::unreadableRefFileKeepsList_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing") << "missing.dat";
    QTest::newRow("directory") << "";
}

void TestEnergyOfFiles::unreadableRefFileKeepsList()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    const QString path = name.isEmpty() ? dir.path() : dir.filePath(name);
    const QVector<double> before{7000.0, 7001.0};
    QVector<double> energies = before;
    DebugCapture capture;
    QVERIFY(!EnergyOfFiles::readRefFile(path, d0, energies));
    // A directory is refused by name before anything opens it.
    const QStringList expected = name.isEmpty()
        ? QStringList{"Not a regular file (a directory) : " + path, "Can't open ref file " + path}
        : QStringList{"Can't open ref file " + path};
    QCOMPARE(DebugCapture::lines(), expected);
    QCOMPARE(energies, before);
}

// Every list the fuzzer keeps: read into finite positive energies, or
// refused with a reason naming the file and the list left as it was.
void TestEnergyOfFiles::refFileCorpusReplays_data()
{
    QTest::addColumn<QString>("path");
    const QDir corpus(QStringLiteral(REFANGLES_CORPUS_DIR));
    for (const QString& name : corpus.entryList(QDir::Files))
        QTest::newRow(qPrintable(name)) << corpus.filePath(name);
}

void TestEnergyOfFiles::refFileCorpusReplays()
{
    QFETCH(QString, path);
    const QVector<double> before{7000.0, 7001.0};
    QVector<double> energies = before;
    QString error;
    DebugCapture capture;
    if (EnergyOfFiles::readRefFile(path, d0, energies, &error)) {
        QVERIFY(energies.size() >= 2);
        for (const double e : energies)
            QVERIFY(std::isfinite(e) && e > 0.0);
        return;
    }
    QVERIFY(!error.isEmpty());
    QVERIFY2(DebugCapture::lines().join('\n').contains(path), qPrintable(DebugCapture::lines().join(" | ")));
    QCOMPARE(energies, before);
}

QTEST_GUILESS_MAIN(TestEnergyOfFiles)
#include "tst_energyoffiles.moc"
