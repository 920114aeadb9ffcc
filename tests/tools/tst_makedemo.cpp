#include "batch/CmdLine.h"
#include "DemoCompound.h"
#include "DemoEnergies.h"
#include "DemoModel.h"
#include "DemoOptions.h"
#include "DemoRandom.h"
#include "DemoWriter.h"
#include "physics/PhysConst.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtEndian>
#include <QtTest>
#include <cmath>
#include <memory>
#include <tiffio.h>
#include <vector>

namespace {

struct Image {
    int width = 0, height = 0, bits = 0;
    std::vector<quint16> pixels;
};

Image readTiff(const QString& path)
{
    Image im;
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (!tif)
        return im;
    uint32_t w = 0, h = 0;
    uint16_t bits = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    im.width = int(w);
    im.height = int(h);
    im.bits = bits;
    if (bits == 16 && TIFFScanlineSize(tif) == tmsize_t(w * 2)) {
        im.pixels.resize(size_t(w) * h);
        for (uint32_t y = 0; y < h; ++y)
            TIFFReadScanline(tif, im.pixels.data() + size_t(y) * w, y);
    }
    TIFFClose(tif);
    return im;
}

std::vector<float> readFloats(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray b = f.readAll();
    std::vector<float> out(size_t(b.size()) / 4);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = qFromLittleEndian<float>(b.constData() + 4 * i);
    return out;
}

QStringList dataLines(const QString& path)
{
    QFile f(path);
    QStringList out;
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return out;
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (!line.startsWith(QLatin1Char('#')))
            out << line;
    }
    return out;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every file below `dir`, relative path -> contents.
QMap<QString, QByteArray> allFiles(const QString& dir)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        out.insert(QDir(dir).relativeFilePath(path), fileBytes(path));
    }
    return out;
}

constexpr int W = 16, H = 16, N = 40;

} // namespace

class TestMakeDemo : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void poisson_data();
    void poisson();
    void poissonDegenerate();
    void energies_data();
    void energies();
    void options_data();
    void options();
    void compoundsHaveTheirEdges();
    void sharpEdgeOption();
    void filesAndNames();
    void tiffSizes();
    void fractionsAndMaps();
    void seedDecidesEverything();
    void noiselessMatchesModel();
    void noisyCountsFollowTheModel();
    void spectrumFiles();
    void extraImageFormats();
    void oldImagesRemoved();
    void invalidGridFails();

private:
    QString run(const QString& name, quint64 seed, bool noise);
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_noisy, m_same, m_other, m_clean;
    std::vector<double> m_energies;
};

QString TestMakeDemo::run(const QString& name, quint64 seed, bool noise)
{
    DemoConfig c;
    c.outDir = m_tmp->filePath(name);
    c.width = W;
    c.height = H;
    c.energies = N;
    c.seed = seed;
    c.noise = noise;
    c.threads = 2;
    const DemoModel model(c);
    QString error;
    if (!DemoWriter::write(model, c, &error))
        qWarning("%s", qPrintable(error));
    return c.outDir;
}

void TestMakeDemo::initTestCase()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    m_noisy = run(QStringLiteral("noisy"), 7, true);
    m_same = run(QStringLiteral("same"), 7, true);
    m_other = run(QStringLiteral("other"), 8, true);
    m_clean = run(QStringLiteral("clean"), 7, false);
    m_energies = demoEnergies(N);
    QCOMPARE(int(m_energies.size()), N);
}

void TestMakeDemo::poisson_data()
{
    QTest::addColumn<double>("mean");
    QTest::newRow("0.5") << 0.5;
    QTest::newRow("5") << 5.0;
    QTest::newRow("29.9 (inversion)") << 29.9;
    QTest::newRow("30 (rejection)") << 30.0;
    QTest::newRow("400") << 400.0;
    QTest::newRow("20000") << 20000.0;
}

void TestMakeDemo::poisson()
{
    QFETCH(double, mean);
    DemoRandom rng(DemoRandom::streamSeed(42, quint64(mean * 10)));
    const int n = 40000;
    double sum = 0.0, sum2 = 0.0;
    for (int i = 0; i < n; ++i) {
        const double k = double(rng.poisson(mean));
        QVERIFY(k >= 0.0);
        sum += k;
        sum2 += k * k;
    }
    const double m = sum / n;
    const double var = sum2 / n - m * m;
    // Mean within 5 standard errors, variance (= mean) within 5 %.
    QVERIFY2(std::fabs(m - mean) < 5.0 * std::sqrt(mean / n), qPrintable(QString::number(m)));
    QVERIFY2(std::fabs(var / mean - 1.0) < 0.05, qPrintable(QString::number(var)));
}

void TestMakeDemo::poissonDegenerate()
{
    DemoRandom rng(1);
    QCOMPARE(rng.poisson(0.0), std::int64_t(0));
    QCOMPARE(rng.poisson(-3.0), std::int64_t(0));
    QCOMPARE(rng.poisson(std::nan("")), std::int64_t(0));
    QCOMPARE(rng.poisson(HUGE_VAL), std::int64_t(0));
}

void TestMakeDemo::energies_data()
{
    QTest::addColumn<int>("n");
    QTest::newRow("4") << 4;
    QTest::newRow("12") << 12;
    QTest::newRow("150") << 150;
    QTest::newRow("2000") << 2000;
}

void TestMakeDemo::energies()
{
    QFETCH(int, n);
    const std::vector<double> e = demoEnergies(n);
    QCOMPARE(int(e.size()), n);
    QCOMPARE(e.front(), demoE0 - 150.0);
    QCOMPARE(e.back(), demoE0 + 400.0);
    QStringList names;
    for (size_t i = 0; i < e.size(); ++i) {
        if (i > 0)
            QVERIFY(e[i] > e[i - 1]);
        // The file name's two decimals give the energy exactly.
        QCOMPARE(demoEnergyText(e[i]).toDouble(), e[i]);
        names << demoEnergyText(e[i]);
    }
    QCOMPARE(names.removeDuplicates(), 0);
    if (n >= 12) {
        // Denser near the edge than at either end of the scan.
        double edgeStep = 1e9;
        for (size_t i = 1; i < e.size(); ++i)
            if (e[i] > 7105.0 && e[i] < 7135.0)
                edgeStep = std::min(edgeStep, e[i] - e[i - 1]);
        QVERIFY(edgeStep * 4.0 < e[1] - e[0]);
        QVERIFY(edgeStep * 4.0 < e[size_t(n) - 1] - e[size_t(n) - 2]);
    }
    QVERIFY(demoEnergies(1).empty());
    QVERIFY(demoEnergies(100000).empty());
}

void TestMakeDemo::options_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("energies");
    QTest::addColumn<quint64>("seed");
    const int run = int(DemoOptions::Result::Run), err = int(DemoOptions::Result::Error),
              help = int(DemoOptions::Result::Help);
    auto l = [](const char* s) { return QString::fromLatin1(s).split(QLatin1Char(' '), Qt::SkipEmptyParts); };
    QTest::newRow("defaults") << l("--out d") << run << 256 << 256 << 150 << quint64(1);
    QTest::newRow("size") << l("--out d --size 512 --energies 60 --seed 99") << run << 512 << 512 << 60 << quint64(99);
    QTest::newRow("width height") << l("--width 300 --height 200 --out d") << run << 300 << 200 << 150 << quint64(1);
    QTest::newRow("largest") << l("--out d --size 2048") << run << 2048 << 2048 << 150 << quint64(1);
    QTest::newRow("big seed") << l("--out d --seed 18446744073709551615") << run << 256 << 256 << 150
                              << quint64(18446744073709551615ULL);
    QTest::newRow("help") << l("--out d --help") << help << 0 << 0 << 0 << quint64(0);
    QTest::newRow("no out") << l("--size 64") << err << 0 << 0 << 0 << quint64(0);
    QTest::newRow("too big") << l("--out d --size 4096") << err << 0 << 0 << 0 << quint64(0);
    QTest::newRow("too small") << l("--out d --width 2") << err << 0 << 0 << 0 << quint64(0);
    QTest::newRow("not a number") << l("--out d --size abc") << err << 0 << 0 << 0 << quint64(0);
    QTest::newRow("size and width") << l("--out d --size 64 --width 32") << err << 0 << 0 << 0 << quint64(0);
    QTest::newRow("missing value") << l("--out d --seed") << err << 0 << 0 << 0 << quint64(0);
    QTest::newRow("negative seed") << l("--out d --seed -4") << err << 0 << 0 << 0 << quint64(0);
    QTest::newRow("energies range") << l("--out d --energies 3") << err << 0 << 0 << 0 << quint64(0);
    QTest::newRow("unknown") << l("--out d --colour red") << err << 0 << 0 << 0 << quint64(0);
}

void TestMakeDemo::options()
{
    QFETCH(QStringList, args);
    QFETCH(int, result);
    DemoConfig c;
    QString error;
    const DemoOptions::Result r = DemoOptions::parse(args, &c, &error);
    QCOMPARE(int(r), result);
    if (r == DemoOptions::Result::Error)
        QVERIFY(!error.isEmpty());
    if (r != DemoOptions::Result::Run)
        return;
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, energies);
    QFETCH(quint64, seed);
    QCOMPARE(c.outDir, QStringLiteral("d"));
    QCOMPARE(c.width, width);
    QCOMPARE(c.height, height);
    QCOMPARE(c.energies, energies);
    QCOMPARE(c.seed, seed);
}

void TestMakeDemo::compoundsHaveTheirEdges()
{
    // The half-height crossing of each model lies near its nominal edge, and
    // the three are told apart by several eV; the sharp set keeps the edges.
    for (bool sharp : {false, true}) {
    const std::vector<DemoCompound> set = DemoCompound::ironSet(sharp);
    QCOMPARE(int(set.size()), 3);
    const double expected[] = {7112.0, 7119.0, 7123.0};
    double previous = 0.0;
    for (int k = 0; k < 3; ++k) {
        const DemoCompound& c = set[size_t(k)];
        const double below = c.mu(7050.0), above = c.mu(7200.0);
        QVERIFY(above - below > 0.8);
        const double half = below + 0.5 * (above - below);
        double crossing = 0.0;
        for (double e = 7050.0; e < 7200.0; e += 0.01)
            if (c.mu(e) < half && c.mu(e + 0.01) >= half) {
                crossing = e;
                break;
            }
        QVERIFY2(std::fabs(crossing - expected[k]) < 2.0, qPrintable(QString::number(crossing)));
        QVERIFY(crossing > previous + 3.0);
        previous = crossing;
        // A falling pre-edge, as the absorption of the other shells falls.
        QVERIFY(c.mu(6960.0) > c.mu(7080.0));
    }
    }
}

// --sharp-edge gives every compound a steeper edge and a narrower white line.
void TestMakeDemo::sharpEdgeOption()
{
    DemoConfig c;
    QString error;
    QCOMPARE(DemoOptions::parse({"--out", "d"}, &c, &error), DemoOptions::Result::Run);
    QVERIFY(!c.sharpEdge);
    QCOMPARE(DemoOptions::parse({"--out", "d", "--sharp-edge"}, &c, &error), DemoOptions::Result::Run);
    QVERIFY(c.sharpEdge);
    const std::vector<DemoCompound> plain = DemoCompound::ironSet(), sharp = DemoCompound::ironSet(true);
    auto steepest = [](const DemoCompound& d) {
        double s = 0.0;
        for (double e = 7100.0; e < 7140.0; e += 0.05)
            s = std::max(s, (d.mu(e + 0.05) - d.mu(e)) / 0.05);
        return s;
    };
    for (int k = 0; k < 3; ++k) {
        QCOMPARE(sharp[size_t(k)].edge, plain[size_t(k)].edge);
        QVERIFY(steepest(sharp[size_t(k)]) > 1.5 * steepest(plain[size_t(k)]));
        QVERIFY(sharp[size_t(k)].whiteLineWidth < plain[size_t(k)].whiteLineWidth);
    }
}

void TestMakeDemo::filesAndNames()
{
    for (double e : m_energies) {
        const QString t = demoEnergyText(e);
        for (const QString& name : {QStringLiteral("i0/i0_%1eV.tif"), QStringLiteral("i1/i1_%1eV.tif"),
                                    QStringLiteral("calib/cal_%1eV.tif")})
            QVERIFY2(QFile::exists(m_noisy + QLatin1Char('/') + name.arg(t)), qPrintable(name.arg(t)));
    }
    QCOMPARE(DemoWriter::i1Name(7112.5), QStringLiteral("i1/i1_7112.50eV.tif"));
    for (const char* sub : {"i0", "i1", "calib"})
        QCOMPARE(QDir(m_noisy + QLatin1Char('/') + QLatin1String(sub)).entryList(QDir::Files).size(), N);
    for (const char* f : {"refs/fe_metal.dat", "refs/fe2.dat", "refs/fe3.dat", "refs/fe3_9809.dat", "std/fe_foil.dat",
                          "truth/fraction_fe_metal.f32", "truth/fraction_fe2.f32", "truth/fraction_fe3.f32",
                          "truth/thickness.f32", "truth/shift.f32", "truth/beam.f32", "truth/e0.f32", "truth/drift.txt",
                          "energies.txt", "angles.txt", "params.txt", "analysis.bat"})
        QVERIFY2(QFile::exists(m_noisy + QLatin1Char('/') + QLatin1String(f)), f);

    // The energy list names the same energies, in order.
    const QStringList lines = dataLines(m_noisy + QStringLiteral("/energies.txt"));
    QCOMPARE(lines.size(), N);
    for (int i = 0; i < N; ++i) {
        const QStringList f = lines[i].split(QLatin1Char(' '));
        QCOMPARE(f[0].toInt(), i);
        QCOMPARE(f[1], demoEnergyText(m_energies[size_t(i)]));
    }
    // The analysis script: every line is a comment or a word of the batch
    // language, every file it names is there, and it ends with quit.
    const QString script = QString::fromUtf8(fileBytes(m_noisy + QStringLiteral("/analysis.bat")));
    QStringList words;
    for (const QString& line : script.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const CmdLine cmd(line);
        if (cmd.text.trimmed().isEmpty())
            continue;
        QVERIFY2(cmd.isCommand() || cmd.isExtraCommand(), qPrintable(line));
        words << cmd.cmd;
        if (cmd.cmd == QLatin1String("calib_load_std") || cmd.cmd == QLatin1String("analyzer_set_LCF_std"))
            QVERIFY2(QFile::exists(m_noisy + QLatin1Char('/') + cmd.args.value(cmd.cmd == QLatin1String("calib_load_std") ? 0 : 3)),
                     qPrintable(line));
    }
    QCOMPARE(words.last(), QStringLiteral("quit"));
    QCOMPARE(words.count(QStringLiteral("analyzer_set_LCF_std")), 3);
    QCOMPARE(words.count(QStringLiteral("save_data")), 6);
    QVERIFY(words.indexOf(QStringLiteral("calib_exec")) < words.indexOf(QStringLiteral("align_series")));
    QVERIFY(words.indexOf(QStringLiteral("align_series")) < words.indexOf(QStringLiteral("analyzer_exec_LCF")));
    QVERIFY(QFileInfo(m_noisy + QStringLiteral("/results")).isDir());
}

void TestMakeDemo::tiffSizes()
{
    QDirIterator it(m_noisy, {QStringLiteral("*.tif")}, QDir::Files, QDirIterator::Subdirectories);
    int count = 0;
    while (it.hasNext()) {
        const Image im = readTiff(it.next());
        QCOMPARE(im.width, W);
        QCOMPARE(im.height, H);
        QCOMPARE(im.bits, 16);
        QCOMPARE(int(im.pixels.size()), W * H);
        ++count;
    }
    QCOMPARE(count, 3 * N);
}

void TestMakeDemo::fractionsAndMaps()
{
    const QString t = m_noisy + QStringLiteral("/truth/");
    const std::vector<float> f0 = readFloats(t + QStringLiteral("fraction_fe_metal.f32"));
    const std::vector<float> f1 = readFloats(t + QStringLiteral("fraction_fe2.f32"));
    const std::vector<float> f2 = readFloats(t + QStringLiteral("fraction_fe3.f32"));
    const std::vector<float> th = readFloats(t + QStringLiteral("thickness.f32"));
    const std::vector<float> sh = readFloats(t + QStringLiteral("shift.f32"));
    for (const auto* m : {&f0, &f1, &f2, &th, &sh})
        QCOMPARE(int(m->size()), W * H);
    int inside = 0;
    for (int i = 0; i < W * H; ++i) {
        if (th[size_t(i)] > 0.0f) {
            ++inside;
            QVERIFY(std::fabs(double(f0[size_t(i)]) + f1[size_t(i)] + f2[size_t(i)] - 1.0) < 1e-6);
            for (const auto* f : {&f0, &f1, &f2})
                QVERIFY((*f)[size_t(i)] >= 0.0f && (*f)[size_t(i)] <= 1.0f);
        } else {
            QCOMPARE(f0[size_t(i)] + f1[size_t(i)] + f2[size_t(i)], 0.0f);
        }
    }
    // A sample with an empty margin around it.
    QVERIFY(inside > W * H / 5);
    QVERIFY(inside < W * H * 4 / 5);
    for (int x = 0; x < W; ++x)
        QCOMPARE(th[size_t(x)], 0.0f);
    // The energy shift: a few eV, not constant.
    const auto [lo, hi] = std::minmax_element(sh.begin(), sh.end());
    QVERIFY(*lo >= -3.0f && *hi <= 3.0f);
    QVERIFY(*hi - *lo > 0.5f);

    // Drift: whole pixels within +-3, none for the first energy, some later.
    const QStringList drift = dataLines(t + QStringLiteral("drift.txt"));
    QCOMPARE(drift.size(), N);
    bool moved = false;
    for (int i = 0; i < N; ++i) {
        const QStringList f = drift[i].split(QLatin1Char(' '));
        QCOMPARE(f.size(), 4);
        const int dx = f[2].toInt(), dy = f[3].toInt();
        QVERIFY(std::abs(dx) <= 3 && std::abs(dy) <= 3);
        if (i == 0)
            QVERIFY(dx == 0 && dy == 0);
        moved = moved || dx != 0 || dy != 0;
    }
    QVERIFY(moved);
}

void TestMakeDemo::seedDecidesEverything()
{
    const QMap<QString, QByteArray> a = allFiles(m_noisy);
    const QMap<QString, QByteArray> b = allFiles(m_same);
    QCOMPARE(a.keys(), b.keys());
    for (auto it = a.begin(); it != a.end(); ++it)
        QVERIFY2(it.value() == b.value(it.key()), qPrintable(it.key()));

    const QMap<QString, QByteArray> c = allFiles(m_other);
    QCOMPARE(a.keys(), c.keys());
    const QString e = demoEnergyText(m_energies[20]);
    for (const QString& name : {QStringLiteral("i0/i0_%1eV.tif").arg(e), QStringLiteral("i1/i1_%1eV.tif").arg(e),
                                QStringLiteral("calib/cal_%1eV.tif").arg(e),
                                QStringLiteral("truth/fraction_fe2.f32"), QStringLiteral("truth/shift.f32")})
        QVERIFY2(a.value(name) != c.value(name), qPrintable(name));
    // The model spectra do not depend on the seed.
    QCOMPARE(a.value(QStringLiteral("refs/fe3.dat")), c.value(QStringLiteral("refs/fe3.dat")));
}

void TestMakeDemo::noiselessMatchesModel()
{
    // Rebuild the model from the written truth only and compare with
    // ln(I0 / I1) of the expected counts: the same physics, independently.
    const QString t = m_clean + QStringLiteral("/truth/");
    const std::vector<float> f[3] = {readFloats(t + QStringLiteral("fraction_fe_metal.f32")),
                                     readFloats(t + QStringLiteral("fraction_fe2.f32")),
                                     readFloats(t + QStringLiteral("fraction_fe3.f32"))};
    const std::vector<float> th = readFloats(t + QStringLiteral("thickness.f32"));
    const std::vector<float> sh = readFloats(t + QStringLiteral("shift.f32"));
    const QStringList drift = dataLines(t + QStringLiteral("drift.txt"));
    const std::vector<DemoCompound> compounds = DemoCompound::ironSet();
    QCOMPARE(drift.size(), N);

    double worst = 0.0, worstFoil = 0.0;
    for (int n = 0; n < N; ++n) {
        const double e = m_energies[size_t(n)];
        const QString et = demoEnergyText(e);
        const Image i0 = readTiff(m_clean + QStringLiteral("/i0/i0_%1eV.tif").arg(et));
        const Image i1 = readTiff(m_clean + QStringLiteral("/i1/i1_%1eV.tif").arg(et));
        const Image cal = readTiff(m_clean + QStringLiteral("/calib/cal_%1eV.tif").arg(et));
        QCOMPARE(int(i1.pixels.size()), W * H);
        const QStringList d = drift[n].split(QLatin1Char(' '));
        const int dx = d[2].toInt(), dy = d[3].toInt();
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const size_t i = size_t(y) * W + x;
                const double shifted = e - sh[i];
                double mu = 0.05 * std::pow(demoE0 / e, 3.0);
                const int sx = x - dx, sy = y - dy;
                if (sx >= 0 && sy >= 0 && sx < W && sy < H) {
                    const size_t s = size_t(sy) * W + sx;
                    for (int k = 0; k < 3; ++k)
                        mu += double(th[s]) * f[k][s] * compounds[size_t(k)].mu(shifted);
                }
                const double a = i0.pixels[i], b = i1.pixels[i], c = cal.pixels[i];
                QVERIFY(a > 1000.0 && b > 100.0 && c > 100.0);
                // Rounding to whole counts allows 0.5 / count in the logarithm.
                const double tol = 0.5 / a + 0.5 / b + 1e-4;
                const double err = std::fabs(std::log(a / b) - mu);
                const double errFoil = std::fabs(std::log(a / c) - compounds[0].mu(shifted));
                if (err > tol || errFoil > 0.5 / a + 0.5 / c + 1e-4)
                    QFAIL(qPrintable(QStringLiteral("energy %1, pixel (%2, %3): ln(I0/I1) %4, model %5; foil %6")
                                         .arg(et).arg(x).arg(y).arg(std::log(a / b)).arg(mu).arg(errFoil)));
                worst = std::max(worst, err);
                worstFoil = std::max(worstFoil, errFoil);
            }
    }
    QVERIFY(worst < 0.01);
    QVERIFY(worstFoil < 0.01);
}

void TestMakeDemo::noisyCountsFollowTheModel()
{
    // With noise the counts scatter around the expected ones by Poisson
    // statistics: the mean over all pixels agrees, and stays within 16 bits.
    for (int n : {0, N / 2, N - 1}) {
        const QString et = demoEnergyText(m_energies[size_t(n)]);
        const Image noisy = readTiff(m_noisy + QStringLiteral("/i1/i1_%1eV.tif").arg(et));
        const Image clean = readTiff(m_clean + QStringLiteral("/i1/i1_%1eV.tif").arg(et));
        const Image i0 = readTiff(m_noisy + QStringLiteral("/i0/i0_%1eV.tif").arg(et));
        double sumN = 0.0, sumC = 0.0, chi2 = 0.0;
        for (size_t i = 0; i < noisy.pixels.size(); ++i) {
            sumN += noisy.pixels[i];
            sumC += clean.pixels[i];
            const double dv = double(noisy.pixels[i]) - clean.pixels[i];
            chi2 += dv * dv / std::max(1.0, double(clean.pixels[i]));
            QVERIFY(i0.pixels[i] > 5000 && i0.pixels[i] < 30000);
        }
        QVERIFY(std::fabs(sumN - sumC) < 5.0 * std::sqrt(sumC));
        // Variance equal to the mean: chi^2 per pixel about 1.
        const double perPixel = chi2 / double(noisy.pixels.size());
        QVERIFY2(perPixel > 0.75 && perPixel < 1.3, qPrintable(QString::number(perPixel)));
    }
}

void TestMakeDemo::spectrumFiles()
{
    // The 9809 file, read as the program reads it ("D=", "Offset", angle in
    // field 1, I0 and I in fields 3 and 4), gives the plain reference.
    QFile f(m_noisy + QStringLiteral("/refs/fe3_9809.dat"));
    QVERIFY(f.open(QIODevice::ReadOnly | QIODevice::Text));
    QTextStream in(&f);
    QVERIFY(in.readLine().simplified().startsWith(QStringLiteral("9809")));
    double d = 0.0;
    bool data = false;
    std::vector<std::pair<double, double>> points;
    while (!in.atEnd()) {
        const QStringList fields = in.readLine().simplified().split(QLatin1Char(' '));
        if (!data) {
            for (int i = 0; i + 1 < fields.size(); ++i)
                if (fields[i] == QLatin1String("D="))
                    d = fields[i + 1].toDouble();
            data = fields[0] == QLatin1String("Offset");
            continue;
        }
        QVERIFY(fields.size() > 4);
        const double theta = fields[1].toDouble();
        const double e = PhysConst::hc / (2.0 * d * std::sin(theta * PhysConst::anglePi / 180.0));
        points.emplace_back(e, std::log(fields[3].toDouble() / fields[4].toDouble()));
    }
    QCOMPARE(d, 3.13553);
    const QStringList plain = dataLines(m_noisy + QStringLiteral("/refs/fe3.dat"));
    QCOMPARE(int(points.size()), plain.size());
    for (size_t i = 0; i < points.size(); ++i) {
        const QStringList p = plain[int(i)].split(QLatin1Char(' '));
        QVERIFY(std::fabs(points[i].first - p[0].toDouble()) < 1e-4);
        QVERIFY(std::fabs(points[i].second - p[1].toDouble()) < 1e-5);
    }
    // The plain files: energy and value, the standard equal to the metal model.
    const QStringList metal = dataLines(m_noisy + QStringLiteral("/refs/fe_metal.dat"));
    const QStringList foil = dataLines(m_noisy + QStringLiteral("/std/fe_foil.dat"));
    QCOMPARE(foil.size(), metal.size());
    const DemoCompound metalModel = DemoCompound::ironSet()[0];
    for (int i = 0; i < foil.size(); i += 97) {
        const QStringList p = foil[i].split(QLatin1Char(' '));
        QCOMPARE(p.size(), 2);
        QVERIFY(std::fabs(p[1].toDouble() - DemoModel::foilThickness * metalModel.mu(p[0].toDouble())) < 1e-6);
    }
    // angles.txt: a first line, then one angle per image that converts back to its energy.
    QStringList angles = QString::fromUtf8(fileBytes(m_noisy + QStringLiteral("/angles.txt")))
                             .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    angles.removeFirst();
    QCOMPARE(angles.size(), N);
    for (int i = 0; i < N; ++i) {
        const double e = PhysConst::hc
            / (2.0 * 3.13553 * std::sin(angles[i].toDouble() * PhysConst::anglePi / 180.0));
        QVERIFY(std::fabs(e - m_energies[size_t(i)]) < 1e-4);
    }
}

void TestMakeDemo::extraImageFormats()
{
    const std::vector<int> idx = DemoWriter::formatIndices(m_energies);
    QCOMPARE(int(idx.size()), 3);
    for (int n : idx)
        for (const char* kind : {"i0", "i1"}) {
            const QString et = demoEnergyText(m_energies[size_t(n)]);
            const Image tif = readTiff(m_noisy + QStringLiteral("/%1/%1_%2eV.tif").arg(QLatin1String(kind), et));
            const QString stem = m_noisy + QStringLiteral("/formats/%1_%2eV").arg(QLatin1String(kind), et);

            // IM: "IM", comment length, width, height at 0, 2, 4, 6; pixels at 64 + n.
            const QByteArray im = fileBytes(stem + QStringLiteral(".img"));
            QVERIFY(im.startsWith("IM"));
            const int len = qFromLittleEndian<quint16>(im.constData() + 2);
            QCOMPARE(int(qFromLittleEndian<quint16>(im.constData() + 4)), W);
            QCOMPARE(int(qFromLittleEndian<quint16>(im.constData() + 6)), H);
            QCOMPARE(im.size(), 64 + len + W * H * 2);
            const QString comment = QString::fromLatin1(im.mid(64, len));
            QVERIFY(comment.contains(QStringLiteral("BytesPerPixel=2,")));
            for (int i = 0; i < W * H; ++i)
                QCOMPARE(qFromLittleEndian<quint16>(im.constData() + 64 + len + 2 * i), tif.pixels[size_t(i)]);

            // CTTR: header items "# KEY = value", then "x y value" with value * 500 = count.
            const QStringList lines = QString::fromUtf8(fileBytes(stem + QStringLiteral(".dat")))
                                          .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            QVERIFY(lines[0].startsWith(QStringLiteral("#CTTR-CTImg")));
            QMap<QString, int> range;
            int first = 0;
            while (lines[first].startsWith(QLatin1Char('#'))) {
                const QStringList items = lines[first].simplified().split(QLatin1Char(' '));
                if (items.size() >= 4)
                    range[items[1].toUpper()] = int(items[3].toDouble());
                ++first;
            }
            QCOMPARE(range.value(QStringLiteral("RANGE_X1")) - range.value(QStringLiteral("RANGE_X0")), W);
            QCOMPARE(range.value(QStringLiteral("RANGE_Y1")) - range.value(QStringLiteral("RANGE_Y0")), H);
            QCOMPARE(lines.size() - first, W * H);
            for (int i = 0; i < W * H; ++i) {
                const QStringList items = lines[first + i].split(QLatin1Char(' '));
                QCOMPARE(items.size(), 3);
                QCOMPARE(float(items[2].toDouble() * 500.0), float(tif.pixels[size_t(i)]));
            }
        }
}

void TestMakeDemo::oldImagesRemoved()
{
    // A stale image of an earlier scan in the folder would join the series.
    const QString dir = m_tmp->filePath(QStringLiteral("rerun"));
    QVERIFY(QDir().mkpath(dir + QStringLiteral("/i1")));
    const QString stale = dir + QStringLiteral("/i1/i1_9999.99eV.tif");
    const QString mine = dir + QStringLiteral("/i1/notes.txt");
    for (const QString& p : {stale, mine}) {
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
    run(QStringLiteral("rerun"), 3, true);
    QVERIFY(!QFile::exists(stale));
    QVERIFY(QFile::exists(mine));
    QCOMPARE(QDir(dir + QStringLiteral("/i1")).entryList({QStringLiteral("*.tif")}, QDir::Files).size(), N);
}

void TestMakeDemo::invalidGridFails()
{
    DemoConfig c;
    c.outDir = m_tmp->filePath(QStringLiteral("invalid"));
    c.width = c.height = 16;
    c.energies = 1;
    const DemoModel model(c);
    QVERIFY(!model.isValid());
    QString error;
    QVERIFY(!DemoWriter::write(model, c, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(c.outDir + QStringLiteral("/params.txt")));
}

QTEST_APPLESS_MAIN(TestMakeDemo)
#include "tst_makedemo.moc"
