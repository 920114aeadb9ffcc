// The whole-area driver refuses what it cannot honour: a thread count that is
// not a positive whole number, a stack whose images differ in size, and a
// --save folder it cannot write all end with their message and a non-zero
// exit status.

#include "DemoConfig.h"
#include "DemoModel.h"
#include "DemoWriter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

class TestRun2d : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void refused_data();
    void refused();

private:
    // Runs run2d with the arguments; returns the exit status, *err its stderr.
    int run2d(const QStringList& args, QString* err);

    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_demo;
    QString m_mixed;
};

int TestRun2d::run2d(const QStringList& args, QString* err)
{
    QProcess p;
    p.start(QStringLiteral(RUN2D_PATH), args);
    if (!p.waitForFinished(240000))
        return -1;
    *err = QString::fromLocal8Bit(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
}

void TestRun2d::initTestCase()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    // A small demo, and the same with one I1 image 12 pixels wide.
    DemoConfig c;
    c.width = c.height = 16;
    c.energies = 40;
    c.threads = 2;
    QString error;
    for (const char* name : {"demo", "mixed", "narrow"}) {
        c.outDir = m_tmp->filePath(name);
        c.width = name[0] == 'n' ? 12 : 16;
        QVERIFY2(DemoWriter::write(DemoModel(c), c, &error), qPrintable(error));
    }
    m_demo = m_tmp->filePath("demo");
    m_mixed = m_tmp->filePath("mixed");
    const QString odd = QDir(m_mixed + "/i1").entryList({"*.tif"}, QDir::Files, QDir::Name).value(10);
    QVERIFY(QFile::remove(m_mixed + "/i1/" + odd));
    QVERIFY(QFile::copy(m_tmp->filePath("narrow/i1/") + odd, m_mixed + "/i1/" + odd));
}

void TestRun2d::refused_data()
{
    QTest::addColumn<QStringList>("args");   // "DEMO", "MIXED" and "FILE" are replaced
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("threads 0") << QStringList{"DEMO", "--threads", "0"} << 2 << "--threads needs a positive whole number, not \"0\"";
    QTest::newRow("threads -3") << QStringList{"DEMO", "--threads", "-3"} << 2 << "not \"-3\"";
    QTest::newRow("threads abc") << QStringList{"DEMO", "--threads", "abc"} << 2 << "not \"abc\"";
    QTest::newRow("threads 1.5") << QStringList{"DEMO", "--threads", "1.5"} << 2 << "not \"1.5\"";
    QTest::newRow("images of two sizes") << QStringList{"MIXED"} << 1 << "eV.tif is 12 x 16, not 16 x 16 as";   // the odd file by name
    QTest::newRow("save cannot write") << QStringList{"DEMO", "--threads", "2", "--save", "FILE/maps"} << 4
                                       << "cannot save the fraction maps to";
    QTest::newRow("save writes") << QStringList{"DEMO", "--save", "OUT"} << 0 << "fraction maps (with the shift map) saved";
}

void TestRun2d::refused()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, message);
    const QString file = m_tmp->filePath("a file");
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    for (QString& a : args) {
        a.replace("DEMO", m_demo).replace("MIXED", m_mixed).replace("FILE", file);
        a.replace("OUT", m_tmp->filePath("out"));
    }
    QString err;
    QCOMPARE(run2d(args, &err), status);
    QVERIFY2(err.contains(message), qPrintable(err));
    if (status == 0)
        QVERIFY(QFile::exists(m_tmp->filePath("out/fraction_fe2.tif")));
}

QTEST_GUILESS_MAIN(TestRun2d)
#include "tst_run2d.moc"
