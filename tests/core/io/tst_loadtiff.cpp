#include "core/io/TestImageFiles.h"
#include "io/ImageContent.h"
#include "io/ImageSource.h"
#include "io/LoadTiff.h"
#include "io/TiffData.h"
#include "MemoryLimit.h"

#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <algorithm>
#include <memory>

using namespace TestImageFiles;

namespace {

// Lives in the test's thread and receives the loader's signals queued, in
// the order they were emitted, as one line each.
class Collector : public QObject
{
    Q_OBJECT
public:
    QStringList log;
    int finishes = 0;

public slots:
    void onLoaded(TiffData* data, int fNo)
    {
        std::unique_ptr<TiffData> owned(data);
        // Each test image holds its own file index in every sample.
        log << QString("loaded %1 %2 value %3")
                   .arg(fNo)
                   .arg(QFileInfo(data->fileName()).fileName())
                   .arg(data->sample(1, 1));
    }
    void onGroup(const LoadedImages& group)
    {
        QStringList names;
        for (const LoadedImage& image : group) {
            std::unique_ptr<TiffData> owned(image.data);
            names << QString("%1:%2").arg(image.fNo).arg(image.data->sample(1, 1));
        }
        log << "group " + names.join(' ');
    }
    void onProgress(int done, int asked) { log << QString("progress %1/%2").arg(done).arg(asked); }
    void onFinish()
    {
        log << "finish";
        ++finishes;
    }
};

// Images of value i (3 x 2 pixels) but `failing`; each read takes `delayMs`,
// that of image `cancelAt` cancels the loader's requests.
struct CountingSource : public ImageSource {
    CountingSource(int n, int failing, int delayMs, int cancelAt, LoadTiff* loader)
        : m_n(n), m_failing(failing), m_delayMs(delayMs), m_cancelAt(cancelAt), m_loader(loader) {}
    int count() const override { return m_n; }
    QString imageName(int i) const override { return QString("image %1").arg(i); }
    QString lastError() const override { return {}; }
    std::unique_ptr<TiffData> read(int i, bool, const Cancelled&) override
    {
        QThread::msleep(unsigned(m_delayMs));
        if (i == m_cancelAt)
            m_loader->cancelRequestsUpTo(1);
        ImageContent c;
        if (i == m_failing || !c.allocate(3, 2, 0))
            return nullptr;
        std::fill_n(reinterpret_cast<quint16*>(c.samples.get()), 6, quint16(i));
        auto data = std::make_unique<TiffData>();
        data->adopt(c, imageName(i), false);
        return data;
    }
    int m_n, m_failing, m_delayMs, m_cancelAt;
    LoadTiff* m_loader;
};

// Sends requests the way the main window does: by a signal, queued into the
// loader's thread.
class Requester : public QObject
{
    Q_OBJECT
signals:
    void load(QStringList files, int skip, int cutFirst, int cutLast);
};

}

class TestLoadTiff : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void selection_data();
    void selection();
    void busyWhileLoading();
    void cancelWhileReading();
    void cancelQueuedRequests();
    void readersKeepListOrder_data();
    void readersKeepListOrder();
    void groupedHandOver_data();
    void groupedHandOver();

private:
    // Files <prefix>0.tif ... <prefix>(n-1).tif; file i holds the value i.
    QStringList writeSeries(const QString& prefix, int n);
    void waitForFinishes(int n);

    QTemporaryDir m_dir;
    QThread* m_thread = nullptr;
    LoadTiff* m_loader = nullptr;
    Collector* m_collector = nullptr;
    Requester* m_requester = nullptr;
};

void TestLoadTiff::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qRegisterMetaType<TiffData*>();
}

void TestLoadTiff::init()
{
    m_thread = new QThread;
    m_loader = new LoadTiff;
    m_loader->moveToThread(m_thread);
    m_collector = new Collector;
    m_requester = new Requester;
    connect(m_requester, &Requester::load, m_loader, &LoadTiff::loadTiffs);
    connect(m_loader, &LoadTiff::loaded, m_collector, &Collector::onLoaded);
    connect(m_loader, &LoadTiff::loadedGroup, m_collector, &Collector::onGroup);
    connect(m_loader, &LoadTiff::progress, m_collector, &Collector::onProgress);
    connect(m_loader, &LoadTiff::finishLoadFiles, m_collector, &Collector::onFinish);
}

void TestLoadTiff::cleanup()
{
    m_thread->quit();
    m_thread->wait();
    QCoreApplication::processEvents();   // deliver what is still queued
    delete m_loader;
    delete m_thread;
    delete m_collector;
    delete m_requester;
}

QStringList TestLoadTiff::writeSeries(const QString& prefix, int n)
{
    QStringList files;
    for (int i = 0; i < n; ++i) {
        const QString path = m_dir.filePath(QString("%1%2.tif").arg(prefix).arg(i));
        if (!writeTiff16(path, 3, 2, QVector<quint16>(6, quint16(i))))
            return {};
        files << path;
    }
    return files;
}

void TestLoadTiff::waitForFinishes(int n)
{
    QTRY_COMPARE_WITH_TIMEOUT(m_collector->finishes, n, 60000);
    QCoreApplication::processEvents();
}

void TestLoadTiff::selection_data()
{
    QTest::addColumn<int>("files");
    QTest::addColumn<int>("corrupt");   // index of a corrupt file, or -1
    QTest::addColumn<int>("skip");
    QTest::addColumn<int>("cutFirst");
    QTest::addColumn<int>("cutLast");
    QTest::addColumn<QVector<int>>("read");
    QTest::addColumn<int>("asked");

    QTest::newRow("skip 3, cut 1 and 2") << 10 << -1 << 3 << 1 << 2 << QVector<int>{1, 4, 7} << 3;
    QTest::newRow("cuts leave nothing") << 10 << -1 << 1 << 5 << 5 << QVector<int>{} << 0;
    QTest::newRow("cut first beyond the list") << 4 << -1 << 1 << 9 << 0 << QVector<int>{} << 0;
    QTest::newRow("every file") << 4 << -1 << 1 << 0 << 0 << QVector<int>{0, 1, 2, 3} << 4;
    QTest::newRow("skip 0 counts as 1") << 3 << -1 << 0 << 0 << 0 << QVector<int>{0, 1, 2} << 3;
    QTest::newRow("negative cuts count as 0") << 3 << -1 << 2 << -4 << -1 << QVector<int>{0, 2} << 2;
    QTest::newRow("skip beyond the list") << 5 << -1 << 100 << 1 << 0 << QVector<int>{1} << 1;
    QTest::newRow("empty list") << 0 << -1 << 1 << 0 << 0 << QVector<int>{} << 0;
    QTest::newRow("second file corrupt") << 5 << 1 << 1 << 0 << 0 << QVector<int>{0, 2, 3, 4} << 5;
}

void TestLoadTiff::selection()
{
    QFETCH(int, files);
    QFETCH(int, corrupt);
    QFETCH(int, skip);
    QFETCH(int, cutFirst);
    QFETCH(int, cutLast);
    QFETCH(QVector<int>, read);
    QFETCH(int, asked);

    static int series = 0;
    const QString prefix = QString("sel%1_").arg(series++);
    QStringList list = writeSeries(prefix, files);
    QCOMPARE(list.size(), files);
    static const char garbage[] = "II*\0garbage that is no TIFF directory";
    if (corrupt >= 0)
        QVERIFY(writeFile(list[corrupt], QByteArray(garbage, int(sizeof garbage) - 1)));

    m_thread->start();
    emit m_requester->load(list, skip, cutFirst, cutLast);
    waitForFinishes(1);

    QStringList loaded;
    for (int i : read)
        loaded << QString("loaded %1 %2.tif value %1").arg(i).arg(prefix + QString::number(i));
    QCOMPARE(m_collector->log.filter("loaded"), loaded);
    QStringList progress;
    for (int done = 1; done <= asked; ++done)
        progress << QString("progress %1/%2").arg(done).arg(asked);
    QCOMPARE(m_collector->log.filter("progress"), progress);
    QCOMPARE(m_collector->log.last(), QString("finish"));
    QCOMPARE(LoadTiff::filesToRead(files, skip, cutFirst, cutLast), asked);
}

void TestLoadTiff::busyWhileLoading()
{
    const QStringList files = writeSeries("busy", 2);
    QVector<bool> seen;
    // Runs in the loader's thread while the request is being served.
    connect(m_loader, &LoadTiff::loaded, m_loader, [this, &seen] { seen << m_loader->busy(); }, Qt::DirectConnection);
    QVERIFY(!m_loader->busy());
    m_thread->start();
    emit m_requester->load(files, 1, 0, 0);
    waitForFinishes(1);
    QCOMPARE(seen, QVector<bool>({true, true}));
    QVERIFY(!m_loader->busy());
}

void TestLoadTiff::cancelWhileReading()
{
    const QStringList first = writeSeries("first", 5);
    const QStringList second = writeSeries("second", 2);
    // Request 1 is cancelled from inside its first delivery, that is while
    // it is between images; request 2 must not notice.
    connect(m_loader, &LoadTiff::loaded, m_loader, [this] { m_loader->cancelRequestsUpTo(1); }, Qt::DirectConnection);
    m_thread->start();
    emit m_requester->load(first, 1, 0, 0);
    emit m_requester->load(second, 1, 0, 0);
    waitForFinishes(2);
    QCOMPARE(m_collector->log, QStringList({"loaded 0 first0.tif value 0", "progress 1/5", "finish",
                                            "loaded 0 second0.tif value 0", "progress 1/2",
                                            "loaded 1 second1.tif value 1", "progress 2/2", "finish"}));
}

void TestLoadTiff::cancelQueuedRequests()
{
    const QStringList files = writeSeries("queued", 2);
    // The thread is not running yet, so all three requests wait in its queue.
    emit m_requester->load(files, 1, 0, 0);
    emit m_requester->load(files, 1, 0, 0);
    emit m_requester->load(files, 1, 1, 0);
    m_loader->cancelRequestsUpTo(2);
    m_loader->cancelRequestsUpTo(1);   // never lowers the limit
    m_thread->start();
    waitForFinishes(3);
    QCOMPARE(m_collector->log,
             QStringList({"finish", "finish", "loaded 1 queued1.tif value 1", "progress 1/1", "finish"}));
}

void TestLoadTiff::readersKeepListOrder_data()
{
    QTest::addColumn<int>("readers");
    QTest::addColumn<int>("cancelAt");   // deliveries before the request is cancelled; -1: never
    QTest::addColumn<bool>("noThreads"); // reader threads cannot be started (address space)
    QTest::newRow("one reader") << 1 << -1 << false;
    QTest::newRow("three readers") << 3 << -1 << false;
    QTest::newRow("more readers than files") << 16 << -1 << false;
    QTest::newRow("cancel with files read ahead") << 4 << 3 << false;
    // Used to wait for ever for readers that never started.
    QTest::newRow("no reader thread can be had") << 3 << -1 << true;
}

// However many threads read, the images leave in list order, each followed
// by its progress; after a cancel nothing more leaves, read ahead or not.
void TestLoadTiff::readersKeepListOrder()
{
    QFETCH(int, readers);
    QFETCH(int, cancelAt);
    QFETCH(bool, noThreads);
    if (noThreads && !MemoryLimit::usable())
        QSKIP("the sanitizers reserve the address space a limit would bound");
    static int series = 0;
    const QString prefix = QString("order%1_").arg(series++);
    const QStringList files = writeSeries(prefix, 12);
    QCOMPARE(files.size(), 12);
    m_loader->setReaders(readers);
    int delivered = 0;
    connect(m_loader, &LoadTiff::loaded, m_loader, [this, &delivered, cancelAt] {
        if (++delivered == cancelAt)
            m_loader->cancelRequestsUpTo(1);
    }, Qt::DirectConnection);
    m_thread->start();
    {
        // Room for the small images, none for a thread's stack.
        std::unique_ptr<ParkedThreads> parked(noThreads ? new ParkedThreads : nullptr);
        std::unique_ptr<MemoryLimit> limit(noThreads ? new MemoryLimit(qint64(1) << 20) : nullptr);
        QVERIFY(!limit || limit->isSet());
        emit m_requester->load(files, 2, 1, 0);   // files 1, 3, ..., 11
        waitForFinishes(1);
    }

    const int asked = 6;
    const int expected = cancelAt < 0 ? asked : cancelAt;
    QStringList log;
    for (int k = 0; k < expected; ++k) {
        const int i = 1 + 2 * k;
        log << QString("loaded %1 %2%3.tif value %1").arg(i).arg(prefix).arg(i) << QString("progress %1/%2").arg(k + 1).arg(asked);
    }
    log << "finish";
    QCOMPARE(m_collector->log, log);
}

void TestLoadTiff::groupedHandOver_data()
{
    QTest::addColumn<int>("images");
    QTest::addColumn<int>("failing");    // image that does not read, or -1
    QTest::addColumn<int>("delayMs");    // per read
    QTest::addColumn<int>("cancelAt");   // image whose read cancels, or -1
    QTest::newRow("fast reads: first alone, the rest together") << 30 << -1 << 0 << -1;
    QTest::newRow("a failing image is left out") << 12 << 5 << 0 << -1;
    QTest::newRow("slow reads: several groups") << 8 << -1 << LoadTiff::handOverMs / 2 << -1;
    QTest::newRow("cancel drops what waits") << 20 << -1 << 0 << 10;
}

// Grouped, a source's images arrive in order, each once, progress after
// each group; a cancel drops the images read but not handed over.
void TestLoadTiff::groupedHandOver()
{
    QFETCH(int, images);
    QFETCH(int, failing);
    QFETCH(int, delayMs);
    QFETCH(int, cancelAt);
    m_loader->setGroupedHandOver(true);
    auto source = std::make_shared<CountingSource>(images, failing, delayMs, cancelAt, m_loader);
    m_thread->start();
    QMetaObject::invokeMethod(m_loader, [this, source] { m_loader->loadSource(source); }, Qt::QueuedConnection);
    waitForFinishes(1);

    const QStringList& log = m_collector->log;
    QStringList arrived;
    for (int k = 0; k + 1 < log.size(); k += 2) {
        QVERIFY(log[k].startsWith("group ") && log[k + 1].startsWith("progress "));
        arrived << log[k].mid(6).split(' ', Qt::SkipEmptyParts);
    }
    QCOMPARE(log.last(), QString("finish"));
    // The first image leaves alone, so the window shows something at once.
    QCOMPARE(log.first(), QString("group 0:0"));
    QStringList expected;
    for (int i = 0; i < images; ++i)
        if (i != failing)
            expected << QString("%1:%1").arg(i);
    if (cancelAt >= 0) {
        // Nothing from the image being read at the cancel on.
        QVERIFY(arrived.size() < cancelAt);
        expected = expected.mid(0, arrived.size());
    } else {
        QCOMPARE(log[log.size() - 2], QString("progress %1/%1").arg(images));
        const int groups = (log.size() - 1) / 2;
        QVERIFY(groups >= (delayMs > 0 ? 3 : 1) && groups <= (delayMs > 0 ? images : 2));
    }
    QCOMPARE(arrived, expected);
}

QTEST_GUILESS_MAIN(TestLoadTiff)
#include "tst_loadtiff.moc"
