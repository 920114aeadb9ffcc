// The program run headless on a generated measurement, as a facility's
// scheduler runs it: `orvantelle -e -b analysis.bat -x` offscreen. The saved
// fraction maps are compared with the measurement's truth, the provenance
// sidecars are checked, and failing scripts end the program with a non-zero
// status and a message naming the script line.

#include "DemoConfig.h"
#include "DemoModel.h"
#include "DemoWriter.h"
#include "output/TextMapReader.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

namespace {

struct Run {
    int status = -1;
    QString err;
};

Run runProgram(const QString& dir, const QString& script, const QProcessEnvironment& extra = {})
{
    QProcess p;
    p.setWorkingDirectory(dir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    for (const QString& k : extra.keys())
        env.insert(k, extra.value(k));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ORV_PROGRAM), {"-e", "-b", script, "-x"});
    Run r;
    if (!p.waitForStarted(30000) || !p.waitForFinished(240000))
        return r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

void writeText(const QString& path, const QString& text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Text));
    f.write(text.toUtf8());
}

} // namespace

class TestHeadless : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void analysisScriptMatchesTheTruth();
    void failingLinesNameTheScriptLine_data();
    void failingLinesNameTheScriptLine();
    void scriptWithoutQuitEndsAfterItsLastLine();
    void unreadableScript();

private:
    QTemporaryDir m_tmp;
    QString m_dir;
    std::unique_ptr<DemoModel> m_model;
};

void TestHeadless::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    DemoConfig c;
    c.outDir = m_dir = m_tmp.filePath("demo");
    c.width = 48;
    c.height = 48;
    c.energies = 60;
    c.seed = 3;
    c.threads = 2;
    m_model = std::make_unique<DemoModel>(c);
    QString error;
    QVERIFY2(DemoWriter::write(*m_model, c, &error), qPrintable(error));
}

void TestHeadless::analysisScriptMatchesTheTruth()
{
    const Run run = runProgram(m_dir, "analysis.bat");
    QVERIFY2(run.status == 0, qPrintable(run.err));
    const QStringList compounds = {"fe_metal", "fe2", "fe3"};
    const std::vector<float>& thickness = m_model->thickness();
    for (int k = 0; k < compounds.size(); ++k) {
        const QString stem = m_dir + QString("/results/fraction_%1-%2").arg(compounds[k]).arg(k);
        QVERIFY2(QFile::exists(stem + ".tif"), qPrintable(stem));
        TextMapReader::Map map;
        QString error;
        QVERIFY2(TextMapReader::read(stem + ".dat", TextMapFormat{false, true}, &map, &error), qPrintable(error));
        QCOMPARE(map.points.size(), 48 * 48);
        // Mean error over the sample against each compound's truth: the map
        // is close to its own (single noisy pixels of 60 energies) and
        // clearly closer to it than to the others.
        double meanError[3] = {0.0, 0.0, 0.0};
        int n = 0;
        for (const TextMapReader::Point& p : map.points) {
            const std::size_t i = std::size_t(p.y) * 48 + std::size_t(p.x);
            if (!(thickness[i] > 0.0f))
                continue;
            for (int t = 0; t < 3; ++t)
                meanError[t] += std::fabs(p.value - m_model->fraction(t)[i]);
            ++n;
        }
        QVERIFY(n > 200);
        for (double& e : meanError)
            e /= n;
        QVERIFY2(meanError[k] < 0.1, qPrintable(QString("%1: mean error %2").arg(compounds[k]).arg(meanError[k])));
        for (int t = 0; t < 3; ++t)
            if (t != k)
                QVERIFY2(meanError[k] < 0.5 * meanError[t], qPrintable(QString("%1 against %2").arg(k).arg(t)));

        QFile side(stem + ".dat.provenance.txt");
        QVERIFY(side.open(QIODevice::ReadOnly));
        const QString p = QString::fromUtf8(side.readAll());
        // Paths in full: the script's relative names read against its folder.
        const QString root = QFileInfo(m_dir).absoluteFilePath();
        QVERIFY2(p.contains("I1 series        : 60 files, first \"" + root + "/i1/i1_"), qPrintable(p));
        QVERIFY(p.contains("I0 series        : 60 files"));
        QVERIFY(p.contains("Reference 3      : \"" + root + "/refs/fe3.dat\" dE 0"));
        QVERIFY(p.contains("Shift map        : calibrated"));
        QVERIFY(p.contains("Bin half width, height : 0 0"));
        QVERIFY(QFile::exists(stem + ".tif.provenance.txt"));
    }
    QVERIFY(QFile::exists(m_dir + "/results/shift.emp"));
}

void TestHeadless::failingLinesNameTheScriptLine_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing file") << "set_band_w 1\nload_I1_files NEW i1/none.tif\nquit\n"
                                  << "bad.bat:2: 1 of 1 images could not be loaded: %D/i1/none.tif";
    QTest::newRow("unknown word") << "# a comment\n\nset_band_x 1\nquit\n" << "bad.bat:3: unknown command \"set_band_x\"";
    QTest::newRow("cannot write") << "load_I1_files NEW i1/i1_6962.00eV.tif\nsave_image no/such/dir/p.png\nquit\n"
                                  << "bad.bat:2: Can't open %D/no/such/dir/p.png";
    QTest::newRow("run cannot start") << "analyzer_exec_LCF\nquit\n"
                                      << "bad.bat:1: The LCF run can't start: no I1 images are loaded";
}

void TestHeadless::failingLinesNameTheScriptLine()
{
    QFETCH(QString, script);
    QFETCH(QString, message);
    message.replace("%D", QFileInfo(m_dir).absoluteFilePath());
    writeText(m_dir + "/bad.bat", script);
    const Run run = runProgram(m_dir, "bad.bat");
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
}

void TestHeadless::scriptWithoutQuitEndsAfterItsLastLine()
{
    // The "look" of scripts/demo: the program ends after the last line, and
    // ORV_SCREENSHOT_DIR gets pictures of the two windows.
    writeText(m_dir + "/look.bat",
              "eng_by_name_i1\nload_I0_files_of_pattern NEW i0/ *.tif\nload_I1_files_of_pattern NEW i1/ *.tif\n"
              "move_position 24 24");
    QProcessEnvironment env;
    env.insert("ORV_SCREENSHOT_DIR", m_tmp.filePath("shots"));
    const Run run = runProgram(m_dir, "look.bat", env);
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QVERIFY(!QImage(m_tmp.filePath("shots/main-window.png")).isNull());
    QVERIFY(!QImage(m_tmp.filePath("shots/spectrum-window.png")).isNull());
}

void TestHeadless::unreadableScript()
{
    const Run run = runProgram(m_dir, "no-such-script.bat");
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains("no-such-script.bat"), qPrintable(run.err));
}

QTEST_MAIN(TestHeadless)
#include "tst_headless.moc"
