// Every reader refuses what is not a regular file before it opens it: a named
// pipe with no writer would otherwise block the reading thread for ever, and
// a device like /dev/zero would never end. A test that hangs here has found a
// reader that opens first.

#include "base/FileCheck.h"
#include "base/OptionTable.h"
#include "base/StartupOptions.h"
#include "DebugCapture.h"
#include "io/TiffData.h"
#include "physics/Spectrum.h"
#include "physics/SpectrumFiles.h"
#include "physics/XafsSpectrum.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <map>
#include <sys/stat.h>

using Kind = FileCheck::Kind;
Q_DECLARE_METATYPE(FileCheck::Kind)

class TestFileCheck : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void kinds_data();
    void kinds();
    void readersRefuse_data();
    void readersRefuse();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestFileCheck::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QFile regular(path("regular.dat"));
    QVERIFY(regular.open(QIODevice::WriteOnly) && regular.write("7000 1\n") == 7);
    regular.close();
    QCOMPARE(::mkfifo(QFile::encodeName(path("pipe")).constData(), 0600), 0);
    QVERIFY(QFile::link(path("regular.dat"), path("link to regular")));
    QVERIFY(QFile::link(path("pipe"), path("link to pipe")));
    QVERIFY(QFile::link(path("gone"), path("dangling link")));
}

void TestFileCheck::kinds_data()
{
    QTest::addColumn<QString>("name");   // relative to the test folder unless absolute
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("regular") << "regular.dat" << Kind::Regular << QString();
    QTest::newRow("link to a regular file") << "link to regular" << Kind::Regular << QString();
    QTest::newRow("missing") << "gone" << Kind::Missing << "No such file";
    QTest::newRow("dangling link") << "dangling link" << Kind::Missing << "No such file";
    QTest::newRow("directory") << "." << Kind::Directory << "Not a regular file (a directory)";
    QTest::newRow("named pipe") << "pipe" << Kind::NamedPipe << "Not a regular file (a named pipe)";
    QTest::newRow("link to a named pipe") << "link to pipe" << Kind::NamedPipe << "Not a regular file (a named pipe)";
    QTest::newRow("/dev/zero") << "/dev/zero" << Kind::CharacterDevice << "Not a regular file (a character device)";
}

void TestFileCheck::kinds()
{
    QFETCH(QString, name);
    QFETCH(Kind, kind);
    QFETCH(QString, reason);
    const QString p = name.startsWith('/') ? name : path(name);
    QCOMPARE(FileCheck::kindOf(p), kind);
    QString why;
    QCOMPARE(checkReadableFile(p, &why), kind == Kind::Regular);
    QCOMPARE(why, reason.isEmpty() ? QString() : reason + " : " + p);
    // Readers with their own message for a missing file refuse only the rest.
    DebugCapture capture;
    const bool refused = refuseNonRegularFile(p);
    QCOMPARE(refused, kind != Kind::Regular && kind != Kind::Missing);
    QCOMPARE(DebugCapture::lines(), refused ? QStringList{reason + " : " + p} : QStringList());
}

void TestFileCheck::readersRefuse_data()
{
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("what");
    const QStringList readers{"image", "spectrum", "plain text", "9809", "9809 test", "config"};
    for (const QString& reader : readers) {
        QTest::newRow(qPrintable(reader + ", named pipe")) << reader << "pipe" << "a named pipe";
        QTest::newRow(qPrintable(reader + ", link to a pipe")) << reader << "link to pipe" << "a named pipe";
        QTest::newRow(qPrintable(reader + ", /dev/zero")) << reader << "/dev/zero" << "a character device";
        QTest::newRow(qPrintable(reader + ", directory")) << reader << "." << "a directory";
    }
}

void TestFileCheck::readersRefuse()
{
    QFETCH(QString, reader);
    QFETCH(QString, name);
    QFETCH(QString, what);
    const QString p = name.startsWith('/') ? name : path(name);
    TiffData image;
    Spectrum spectrum;
    XafsSpectrum xafs;
    OptionTable table;
    const std::map<QString, std::function<bool()>> read{
        {"image", [&] { return image.read(p); }},           {"spectrum", [&] { return xafs.load(p); }},
        {"plain text", [&] { return spectrum.loadFromText(p); }}, {"9809", [&] { return spectrum.loadFrom9809(p); }},
        {"9809 test", [&] { return SpectrumFiles::is9809(p); }}, {"config", [&] { return readConfigFile(p, table); }}};
    DebugCapture capture;
    QVERIFY(!read.at(reader)());
    QCOMPARE(image.pixelType(), int(TiffData::NoPixels));
    QVERIFY(table.entries().isEmpty());
    // The format test is a question, not a read: it refuses without a word.
    const QStringList said = reader == "9809 test" ? QStringList() : QStringList{"Not a regular file (" + what + ") : " + p};
    QCOMPARE(DebugCapture::lines(), said);
}

QTEST_GUILESS_MAIN(TestFileCheck)
#include "tst_filecheck.moc"
