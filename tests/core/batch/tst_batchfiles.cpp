#include "base/FileNameCodec.h"
#include "batch/BatchFiles.h"
#include "io/LoadTiff.h"
#include "MemoryLimit.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdlib>
#include <optional>
#include <fcntl.h>
#include <unistd.h>

class TestBatchFiles : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void filesOfPattern_data();
    void filesOfPattern();
    void namesOutsideEncoding_data();
    void namesOutsideEncoding();
    void listingProblem_data();
    void listingProblem();
    void namesOutsideEncodingWithTheCodec_data();
    void namesOutsideEncodingWithTheCodec();
    void filesToReadFollowsTheLoader_data();
    void filesToReadFollowsTheLoader();
    void loadShortfall_data();
    void loadShortfall();

private:
    QTemporaryDir m_dir;
};

void TestBatchFiles::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Created out of name order: the listing must not depend on it.
    for (const char* name : {"b_7001.tif", "a_7003.tif", "a_7002.tif", "c.img", "notes.txt"}) {
        QFile f(m_dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(m_dir.path()).mkdir("d.tif"));
}

void TestBatchFiles::filesOfPattern_data()
{
    QTest::addColumn<QString>("dirSuffix");
    QTest::addColumn<QStringList>("patterns");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("tif, sorted, no directories") << "/" << QStringList{"*.tif"}
                                                 << QStringList{"a_7002.tif", "a_7003.tif", "b_7001.tif"};
    QTest::newRow("without the separator") << "" << QStringList{"a_*"} << QStringList{"a_7002.tif", "a_7003.tif"};
    QTest::newRow("two patterns") << "/" << QStringList{"*.img", "b_*"} << QStringList{"b_7001.tif", "c.img"};
    QTest::newRow("nothing matches") << "/" << QStringList{"*.dat"} << QStringList();
    QTest::newRow("any case, sets, one character") << "/" << QStringList{"A_700[!2].TIF", "?.img"}
                                                   << QStringList{"a_7003.tif", "c.img"};
    QTest::newRow("no pattern") << "/" << QStringList() << QStringList();
}

void TestBatchFiles::filesOfPattern()
{
    QFETCH(QString, dirSuffix);
    QFETCH(QStringList, patterns);
    QFETCH(QStringList, names);
    QStringList expected;
    for (const QString& n : names)
        expected << m_dir.path() + "/" + n;
    QCOMPARE(BatchFiles::filesOfPattern(m_dir.path() + dirSuffix, patterns), expected);
}

void TestBatchFiles::namesOutsideEncoding_data()
{
    QTest::addColumn<QStringList>("patterns");
    QTest::addColumn<int>("outside");
    QTest::addColumn<int>("listed");
    QTest::newRow("all tif") << QStringList{"*.tif"} << 2 << 1;
    QTest::newRow("one of the two") << QStringList{"a*.tif"} << 1 << 0;
    QTest::newRow("any case, as the listing") << QStringList{"*.TIF"} << 2 << 1;
    QTest::newRow("none match") << QStringList{"*.dat"} << 0 << 0;
}

// Names with bytes outside UTF-8 used to make a pattern load say "no file
// matches" with the files there; they are counted so the load can say why.
void TestBatchFiles::namesOutsideEncoding()
{
    QFETCH(QStringList, patterns);
    QFETCH(int, outside);
    QFETCH(int, listed);
    if (QFile::encodeName(QFile::decodeName("\xff")) == "\xff")
        QSKIP("the file-name encoding of this locale holds every byte");
    const QByteArray dir = QFile::encodeName(m_dir.filePath("latin1"));
    QDir().mkpath(QFile::decodeName(dir));
    for (const QByteArray& name : {QByteArray("a\xff.tif"), QByteArray("b\xe9t\xe9.tif"), QByteArray("ok.tif")}) {
        const int fd = ::open((dir + '/' + name).constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
    }
    const QString path = QFile::decodeName(dir);
    QCOMPARE(BatchFiles::namesOutsideEncoding(path, patterns), outside);
    QCOMPARE(BatchFiles::filesOfPattern(path, patterns).size(), listed);
}

void TestBatchFiles::listingProblem_data()
{
    QTest::addColumn<QString>("sub");
    QTest::addColumn<int>("shortage");   // 0 none, 1 memory, 2 file handles
    QTest::addColumn<QString>("start");  // of the answer; empty: none
    QTest::newRow("listable") << "" << 0 << "";
    QTest::newRow("missing folder") << "/none" << 0 << "";
    QTest::newRow("memory ran out") << "" << 1 << "Not enough memory to list the folder";
    QTest::newRow("no file handle left") << "" << 2 << "Too many open files to list the folder";
}

// A listing short of memory or file handles comes back empty, as if nothing
// matched: a pattern load must say what ran out instead.
void TestBatchFiles::listingProblem()
{
    QFETCH(QString, sub);
    QFETCH(int, shortage);
    QFETCH(QString, start);
    if (shortage == 1 && !MemoryLimit::usable())
        QSKIP("no memory limit under the sanitizers");
    std::vector<void*> heap;
    heap.reserve(1 << 20);
    rlimit files{};
    QVERIFY(getrlimit(RLIMIT_NOFILE, &files) == 0);
    const rlimit few{3, files.rlim_max};
    const QString dir = m_dir.path() + sub;
    QString problem;
    {
        // Every arena filled up (a failed allocation tries the others),
        // then room left for small allocations but not for a folder's read
        // buffer (32 KB).
        std::optional<MemoryLimit> limit;
        if (shortage == 1)
            limit.emplace(1 << 20);
        for (std::size_t size : {65536, 32768, 4096})
            for (void* p; limit && heap.size() < heap.capacity() && (p = std::malloc(size));)
                heap.push_back(p);
        for (int i = 0; i < 2 && !heap.empty(); ++i, heap.pop_back())
            std::free(heap.back());
        QVERIFY(shortage != 2 || setrlimit(RLIMIT_NOFILE, &few) == 0);
        problem = BatchFiles::listingProblem(dir);
        setrlimit(RLIMIT_NOFILE, &files);
        for (void* p : heap)
            std::free(p);
    }
    QVERIFY2(start.isEmpty() ? problem.isEmpty() : problem.startsWith(start) && problem.contains(dir),
             qPrintable(problem));
}

void TestBatchFiles::namesOutsideEncodingWithTheCodec_data()
{
    QTest::addColumn<QStringList>("patterns");
    QTest::addColumn<int>("listed");
    QTest::newRow("all tif") << QStringList{"*.tif"} << 3;
    QTest::newRow("one of the two") << QStringList{"a*.tif"} << 1;
    QTest::newRow("escaped byte in the pattern") << QStringList{QString("b") + QChar(0xDCE9) + "*"} << 1;
}

// With the program's file-name codec the same names are listed and opened.
void TestBatchFiles::namesOutsideEncodingWithTheCodec()
{
    QFETCH(QStringList, patterns);
    QFETCH(int, listed);
    if (!FileNameCodec::installForUtf8Locale() && QFile::encodeName(QFile::decodeName("\xff")) != "\xff")
        QSKIP("this locale's file-name encoding is neither UTF-8 nor one holding every byte");
    const QByteArray dir = QFile::encodeName(m_dir.filePath("latin1-read"));
    QDir().mkpath(QFile::decodeName(dir));
    for (const QByteArray& name : {QByteArray("a\xff.tif"), QByteArray("b\xe9t\xe9.tif"), QByteArray("ok.tif")}) {
        QFile f(QFile::decodeName(dir + '/' + name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(name);
    }
    const QString path = QFile::decodeName(dir);
    QCOMPARE(BatchFiles::namesOutsideEncoding(path, patterns), 0);
    const QStringList files = BatchFiles::filesOfPattern(path, patterns);
    QCOMPARE(files.size(), listed);
    for (const QString& file : files) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(dir + '/' + f.readAll(), QFile::encodeName(file));
    }
}

void TestBatchFiles::filesToReadFollowsTheLoader_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("skip");
    QTest::addColumn<int>("cutFirst");
    QTest::addColumn<int>("cutLast");
    QTest::newRow("all") << 10 << 1 << 0 << 0;
    QTest::newRow("skip 3") << 10 << 3 << 0 << 0;
    QTest::newRow("cuts") << 10 << 2 << 1 << 2;
    QTest::newRow("skip 0 and negative cuts") << 7 << 0 << -3 << -1;
    QTest::newRow("cut everything") << 5 << 1 << 3 << 3;
    QTest::newRow("empty") << 0 << 1 << 0 << 0;
}

void TestBatchFiles::filesToReadFollowsTheLoader()
{
    QFETCH(int, count);
    QFETCH(int, skip);
    QFETCH(int, cutFirst);
    QFETCH(int, cutLast);
    QStringList files;
    for (int i = 0; i < count; ++i)
        files << QString("f%1").arg(i);
    const QStringList read = BatchFiles::filesToRead(files, skip, cutFirst, cutLast);
    QCOMPARE(read.size(), LoadTiff::filesToRead(count, skip, cutFirst, cutLast));
    if (!read.isEmpty()) {
        QCOMPARE(read.first(), files.at(qMax(cutFirst, 0)));
        if (read.size() > 1)
            QCOMPARE(files.indexOf(read.at(1)) - files.indexOf(read.at(0)), qMax(skip, 1));
    }
}

void TestBatchFiles::loadShortfall_data()
{
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("arrived");
    QTest::addColumn<QString>("message");
    QTest::newRow("all arrived") << QStringList{"a", "b"} << QStringList{"b", "a"} << "";
    QTest::newRow("one missing") << QStringList{"a", "b", "c"} << QStringList{"a", "c"}
                                 << "1 of 3 images could not be loaded: b";
    QTest::newRow("many missing") << QStringList{"a", "b", "c", "d", "e"} << QStringList{"c"}
                                  << "4 of 5 images could not be loaded: a, b, d and 1 more";
    QTest::newRow("none arrived") << QStringList{"a"} << QStringList() << "1 of 1 images could not be loaded: a";
}

void TestBatchFiles::loadShortfall()
{
    QFETCH(QStringList, expected);
    QFETCH(QStringList, arrived);
    QFETCH(QString, message);
    QCOMPARE(BatchFiles::loadShortfall(expected, arrived), message);
}

QTEST_MAIN(TestBatchFiles)
#include "tst_batchfiles.moc"
