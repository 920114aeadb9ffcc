// Reading spectrum files from hostile or unusual input: every failure says why
// and names the file, non-finite points are left out and counted, all three
// line-end conventions separate lines, and the fast reader gives exactly the
// numbers of a straightforward QTextStream reader on valid files.

#include "base/NaturalLog.h"
#include "DebugCapture.h"
#include "physics/SpectrumFiles.h"
#include "physics/XafsSpectrum.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>
#include <cmath>
#include <cstring>
#include <random>

namespace {

const double hc = 12398.424360387684;

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content)
{
    QFile f(dir.filePath(name));
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size() ? f.fileName()
                                                                                                   : QString();
}

using Points = std::vector<SpectrumPoint>;

bool sameBits(const Points& a, const Points& b)
{
    return a.size() == b.size()
        && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(SpectrumPoint)) == 0);
}

// The readers as they were written first (a text-mode QFile, a QTextStream,
// simplified().split(' '), QString::toDouble): the reference the fast reader
// must match on valid files, finite points only.
Points oldReader(const QString& path, bool scan9809)
{
    Points out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return out;
    QTextStream in(&f);
    const auto num = [](const QString& field) { bool ok = false; const double v = field.toDouble(&ok); return ok ? v : 0.0; };
    double d = 3.13553;
    bool header = scan9809;
    QString line;
    while (in.readLineInto(&line)) {
        const QStringList items = line.simplified().split(' ', Qt::SkipEmptyParts);
        if (header) {
            for (int i = 0; i + 1 < items.size(); ++i)
                d = items.at(i) == "D=" ? num(items.at(i + 1)) : d;
            header = items.isEmpty() || items.at(0) != "Offset";
        } else if (!scan9809 && items.size() >= 2 && !items.at(0).startsWith('#')) {
            out.push_back({num(items.at(0)), num(items.at(1))});
        } else if (scan9809 && items.size() > 4) {
            const double i0 = num(items.at(3)), i1 = num(items.at(4));
            out.push_back({hc / (2.0 * d * std::sin(num(items.at(1)) * 3.1415926535 / 180.0)),
                           (i0 * i1 > 0.0) ? NaturalLog::of(i0 / i1) : 1.0});
        }
    }
    Points finite;
    for (const SpectrumPoint& p : out)
        if (std::isfinite(p.x) && std::isfinite(p.y))
            finite.push_back(p);
    return finite;
}

// A line of a data file as people and programs write them, numbers in every
// notation mixed with things that are not numbers at all.
QByteArray randomLine(std::mt19937& rng)
{
    static const char* const odd[] = {"1e400", "-1e-400", "+5.25", ".5", "5.", "-0", "007.50", "0x1A", "1,5", "1e",
                                      "--1", "inf", "NaN", "1.5.2", "7000\xC2\xB5", "1e+05",
                                      "123456789012345678901234567890", "4.9e-324", "2.2250738585072011e-308"};
    static const char* const seps[] = {" ", "\t", "  ", " \t ", "\v", "\f", "\xC2\xA0" /* no-break space */};
    const auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    if (pick(20) == 0)
        return "# a comment, \xC3\xA9t\xC3\xA9";
    QByteArray line;
    for (int i = 0, n = pick(8); i < n; ++i) {
        char buf[64];
        const double v = std::uniform_real_distribution<double>(-1e4, 1e4)(rng);
        const double scale[] = {1.0, 1e-250, 1e300, 1e-310};
        const int kind = pick(6);
        if (kind == 5)
            std::snprintf(buf, sizeof buf, "%s", odd[pick(19)]);
        else if (kind == 4)
            std::snprintf(buf, sizeof buf, "%c", "7\0"[pick(2)]);
        else
            std::snprintf(buf, sizeof buf, kind == 0 ? "%.*f" : "%.*g", pick(18), v * scale[kind]);
        line += (i ? QByteArray(seps[pick(7)]) : QByteArray()) + QByteArray(buf, int(std::strlen(buf)) + (buf[0] ? 0 : 1));
    }
    return line;
}

} // namespace

class TestSpectrumFiles : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void loadFailures_data();
    void loadFailures();
    void nonFinitePointsLeftOut_data();
    void nonFinitePointsLeftOut();
    void lineEnds_data();
    void lineEnds();
    void fastReaderMatchesOldReader_data();
    void fastReaderMatchesOldReader();
    void largeFileInChunks();

private:
    QTemporaryDir m_dir;
};

void TestSpectrumFiles::loadFailures_data()
{
    QTest::addColumn<QByteArray>("content");   // "<missing>" and "<directory>" stand for no file
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("missing") << QByteArray("<missing>") << QStringList{"Can not open spectrum file"};
    QTest::newRow("directory") << QByteArray("<directory>") << QStringList{"Not a regular file (a directory)"};
    QTest::newRow("empty") << QByteArray() << QStringList{"Empty spectrum file"};
    QTest::newRow("comments only") << QByteArray("# a\n#b c\n\n") << QStringList{"No data lines in spectrum file"};
    QTest::newRow("one field per line") << QByteArray("7000\n7001\n") << QStringList{"No data lines in spectrum file"};
    QTest::newRow("9809 without Offset")
        << QByteArray("9809\nD= 3.0\n0 14.3 1 100 50\n") << QStringList{"No Offset line in 9809 file"};
    QTest::newRow("9809 D= 0") << QByteArray("9809 D= 0\nOffset\n0 14.3 1 100 50\n")
                               << QStringList{"Unusable lattice spacing D= 0 in 9809 file"};
    QTest::newRow("9809 negative D=") << QByteArray("9809\nx D= -3.1 A\nOffset\n0 14.3 1 100 50\n")
                                      << QStringList{"Unusable lattice spacing D= -3.1 in 9809 file"};
    QTest::newRow("9809 D= not a number") << QByteArray("9809\nD= abc x\nOffset\n0 14.3 1 100 50\n")
                                          << QStringList{"Unusable lattice spacing D= abc in 9809 file"};
    QTest::newRow("9809 D= inf") << QByteArray("9809\nD= inf x\nOffset\n0 14.3 1 100 50\n")
                                 << QStringList{"Unusable lattice spacing D= inf in 9809 file"};
    QTest::newRow("9809 no data after Offset")
        << QByteArray("9809\nOffset\n1 2 3\n") << QStringList{"No data lines after the Offset line in 9809 file"};
    // A spectrum to be used must be one (these used to be read as "ok" and
    // normalise to NaN or a wrong e0).
    QTest::newRow("decimal commas") << QByteArray("7112,5 0,125\n7113,0 0,250\n7114,0 0,5\n7115,0 0,75\n")
                                    << QStringList{"No numeric data lines (line 1: \"7112,5\" is not a number; "
                                                   "decimal commas are not read) in spectrum file"};
    QTest::newRow("title lines only") << QByteArray("energy mu\nE absorption\n")
                                      << QStringList{"No numeric data lines (line 1: \"energy\" is not a number) in "
                                                     "spectrum file"};
    QTest::newRow("words after the data") << QByteArray("E mu\n7000 1\n7001 2\n7002 3\nEND of data\n7003 4\n")
                                          << QStringList{"Not a number at line 5: \"END\" in spectrum file"};
    QTest::newRow("value beyond the double range") << QByteArray("7000 1\n7001 1e400\n7002 3\n7003 4\n")
                                                   << QStringList{"Not a number at line 2: \"1e400\" in spectrum file"};
    QTest::newRow("binary junk") << QByteArray("\x01\x02\x03 \xff\xfe\n7000 1\n\x7f\x45\x4c\x46 \x02\x01\n", 22)
                                 << QStringList{"Not a number at line 3: \"\x7f" "ELF\" in spectrum file"};
    QTest::newRow("one point") << QByteArray("7000 1\n")
                               << QStringList{"Only 1 points in spectrum file; a spectrum needs at least 4"};
    QTest::newRow("two points") << QByteArray("7000 1\n7001 2\n")
                                << QStringList{"Only 2 points in spectrum file; a spectrum needs at least 4"};
    QTest::newRow("one repeated energy") << QByteArray("7000 1\n7000 2\n7000 3\n7000 4\n7000 5\n")
                                         << QStringList{"All 5 points at one energy (7000 eV) in spectrum file"};
    QTest::newRow("shuffled energies") << QByteArray("7000 1\n7002 2\n7001 3\n7003 4\n")
                                       << QStringList{"Energies out of order (point 3 at 7001 eV follows 7002 eV) in "
                                                      "spectrum file"};
    QTest::newRow("falling, then rising") << QByteArray("7003 1\n7002 2\n7001 3\n7004 4\n")
                                          << QStringList{"Energies out of order (point 4 at 7004 eV follows 7001 eV) in "
                                                         "spectrum file"};
    QTest::newRow("nothing finite") << QByteArray("inf 1\n7000 nan\n")
                                    << QStringList{"Left out 2 points with a non-finite energy or value",
                                                   "No finite data points in spectrum file"};
}

void TestSpectrumFiles::loadFailures()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, messages);
    const QString path = content == "<missing>" ? m_dir.filePath("no such spectrum.dat")
        : content == "<directory>"              ? m_dir.path()
                                                : writeFile(m_dir, "failing.dat", content);

    XafsSpectrum s(Spectrum(), true, 0.0);
    s.add(1.0, 2.0);   // a previous spectrum: cleared by the failed read
    DebugCapture capture;
    QString why;
    QVERIFY(!s.load(path, &why));
    QCOMPARE(s.count(), 0);
    QStringList expected;
    for (const QString& m : messages)
        expected << m + " : " + path;
    QCOMPARE(DebugCapture::lines(), expected);
    // The caller gets the reason (the last line) to show.
    QCOMPARE(why + " : " + path, expected.last());
}

void TestSpectrumFiles::nonFinitePointsLeftOut_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("kept");
    QTest::addColumn<int>("leftOut");

    // An edge step at 7112 eV, 5 eV apart, with bad points among the good.
    QByteArray plain;
    QByteArray scan = "9809 scan\n D= 3.13553 A\nOffset 0 0\n";
    int good = 0;
    for (double e = 6900.0; e <= 7600.0; e += 5.0, ++good) {
        const double mu = 0.2 + (e > 7112.0 ? 1.0 : 0.0) - 1e-5 * (e - 6900.0);
        plain += QByteArray::number(e, 'f', 2) + " " + QByteArray::number(mu, 'g', 10) + "\n";
        const double theta = std::asin(hc / (2.0 * 3.13553 * e)) * 180.0 / 3.1415926535;
        scan += "0 " + QByteArray::number(theta, 'g', 15) + " 1 " + QByteArray::number(1e5, 'g', 10) + " "
            + QByteArray::number(1e5 / std::exp(mu), 'g', 15) + "\n";
        if (good == 30) {
            plain += "inf 0.5\n7050 nan\nnan nan\n-inf -inf\n1e5 INF\n";
            // angle 0: infinite energy; I0 / I beyond the double range: infinite mu
            scan += "0 0 1 100 50\n0 14.3 1 1e300 1e-300\n0 nan 1 100 50\n";
        }
    }
    QTest::newRow("plain") << plain << good << 5;
    QTest::newRow("9809") << scan << good << 3;
}

void TestSpectrumFiles::nonFinitePointsLeftOut()
{
    QFETCH(QByteArray, content);
    QFETCH(int, kept);
    QFETCH(int, leftOut);
    const QString path = writeFile(m_dir, "bad points.dat", content);
    XafsSpectrum s;
    DebugCapture capture;
    QVERIFY(s.load(path));
    QCOMPARE(s.count(), kept);
    QCOMPARE(DebugCapture::lines(),
             QStringList{QString("Left out %1 points with a non-finite energy or value : %2").arg(leftOut).arg(path)});
    // One bad point used to make every normalised value NaN.
    for (bool victoreen : {false, true}) {
        s.normalize(victoreen);
        QVERIFY(std::isfinite(s.e0()) && std::fabs(s.e0() - 7112.0) < 5.0);
        QVERIFY(std::isfinite(s.jump()));
        for (int i = 0; i < s.count(); ++i)
            QVERIFY2(std::isfinite(s.normalized().y(i)), qPrintable(QString::number(s.E(i))));
    }
}

void TestSpectrumFiles::lineEnds_data()
{
    QTest::addColumn<QByteArray>("lf");
    QTest::addColumn<QByteArray>("content");
    const QByteArray plain = "# E mu\n7000 0.5\n7001.5\t0.625\n\n7003 0.75 9\n7004 0.8\n";
    const QByteArray scan = "9809 x\nD= 1.92017\nOffset\n0 30 1 200000 80000\n0 29.99 1 210000 70000\n"
                            "0 29.98 1 220000 60000\n0 29.97 1 230000 50000\n";
    const auto ends = [](QByteArray text, const char* end) { return text.replace("\n", end); };
    for (const QByteArray& text : {plain, scan}) {
        const QString wide = QString::fromLatin1(ends(text, "\r\n"));
        const QByteArray utf16 = "\xFF\xFE" + QByteArray(reinterpret_cast<const char*>(wide.utf16()), wide.size() * 2);
        const QString kind = text == scan ? "9809, " : "plain, ";
        QTest::newRow(qPrintable(kind + "CR LF")) << text << ends(text, "\r\n");
        QTest::newRow(qPrintable(kind + "CR (old Mac), no end on the last line")) << text << ends(text, "\r").chopped(1);
        QTest::newRow(qPrintable(kind + "UTF-8 with BOM")) << text << "\xEF\xBB\xBF" + text;
        QTest::newRow(qPrintable(kind + "UTF-16 with BOM, CR LF")) << text << utf16;
    }
}

void TestSpectrumFiles::lineEnds()
{
    QFETCH(QByteArray, lf);
    QFETCH(QByteArray, content);
    const QString path = writeFile(m_dir, "ends.dat", content);
    QCOMPARE(SpectrumFiles::is9809(path), lf.startsWith("9809"));
    XafsSpectrum want, got;
    QVERIFY(want.load(writeFile(m_dir, "lf.dat", lf)));
    QVERIFY(got.load(path));
    QVERIFY(sameBits(got.points(), want.points()));
    QCOMPARE(got.count(), 4);
}

void TestSpectrumFiles::fastReaderMatchesOldReader_data()
{
    QTest::addColumn<bool>("scan9809");
    QTest::addColumn<bool>("crlf");
    QTest::newRow("plain, LF") << false << false;
    QTest::newRow("plain, CR LF") << false << true;
    QTest::newRow("9809, LF") << true << false;
    QTest::newRow("9809, CR LF") << true << true;
}

void TestSpectrumFiles::fastReaderMatchesOldReader()
{
    QFETCH(bool, scan9809);
    QFETCH(bool, crlf);
    std::mt19937 rng(scan9809 * 2 + crlf + 11);
    const QByteArray end = crlf ? "\r\n" : "\n";
    int compared = 0;
    for (int file = 0; file < 60; ++file) {
        QByteArray text;
        if (scan9809) {
            text = "9809  random scan" + end + " Mono D= " + QByteArray::number(1.0 + file * 0.1) + " A" + end
                + "Offset 1 2" + end;
        }
        const int lines = std::uniform_int_distribution<int>(1, 400)(rng);
        for (int i = 0; i < lines; ++i)
            text += randomLine(rng) + end;
        if (!scan9809 && text.startsWith("9809"))
            text.prepend("# ");
        const QString path = writeFile(m_dir, QString("random%1.dat").arg(file), text);
        Spectrum s;
        const bool ok = scan9809 ? s.loadFrom9809(path) : s.loadFromText(path);
        const Points want = oldReader(path, scan9809);
        QCOMPARE(ok, !want.empty());
        QCOMPARE(s.count(), int(want.size()));
        for (std::size_t i = 0; i < want.size(); ++i) {
            const SpectrumPoint& p = s.points()[i];
            QVERIFY2(std::memcmp(&p, &want[i], sizeof p) == 0,
                     qPrintable(QString("file %1 point %2: %3 %4 instead of %5 %6")
                                    .arg(file).arg(i).arg(p.x, 0, 'g', 17).arg(p.y, 0, 'g', 17)
                                    .arg(want[i].x, 0, 'g', 17).arg(want[i].y, 0, 'g', 17)));
        }
        compared += int(want.size());
    }
    QVERIFY(compared > 1000);
}

void TestSpectrumFiles::largeFileInChunks()
{
    // Several buffers' worth: a comment line longer than a buffer, then lines
    // whose CR LF ends fall on every possible buffer boundary somewhere.
    QByteArray text = "# " + QByteArray(3 << 19, 'c') + "\r\n";
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> v(0.0, 2.0);
    for (int i = 0; i < 120000; ++i)
        text += QByteArray::number(7000.0 + i * 0.01, 'f', 2) + "\t" + QByteArray::number(v(rng), 'g', 12) + "\r\n";
    const QString path = writeFile(m_dir, "large.dat", text);
    Spectrum s;
    QVERIFY(s.loadFromText(path));
    const Points want = oldReader(path, false);
    QCOMPARE(s.count(), 120000);
    QVERIFY(sameBits(s.points(), want));
    // The same with old Mac line ends.
    Spectrum mac;
    QVERIFY(mac.loadFromText(writeFile(m_dir, "large-cr.dat", text.replace("\r\n", "\r"))));
    QVERIFY(sameBits(mac.points(), want));
}

QTEST_GUILESS_MAIN(TestSpectrumFiles)
#include "tst_spectrumfiles.moc"
