#include "base/ProbeServer.h"

#include <QtTest>
#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace {

// The helper's side: what each request asks it to do.
int handled = 0;

void act(const QByteArray& request)
{
    ++handled;
    if (request == "segv")
        std::raise(SIGSEGV);
    else if (request == "abort")
        std::abort();
    else if (request == "exit")
        ::_exit(3);
    else if (request == "hang")
        for (;;)
            ::pause();
    else if (request == "second" && handled != 2)
        std::abort();   // a request is served by the helper that served the one before
}

}

// Requests that crash, end or hang the helper are told apart from those it
// answers, none of it reaches this process, and a helper lost is made again.
class TestProbeServer : public QObject
{
    Q_OBJECT
private slots:
    void outcomes_data();
    void outcomes();
    void helperKeptAndRemade();
};

void TestProbeServer::outcomes_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("limitMs");

    QTest::newRow("answered") << QByteArray("ok") << int(ProbeServer::Outcome::Survived) << 10000;
    QTest::newRow("empty request") << QByteArray() << int(ProbeServer::Outcome::Survived) << 10000;
    QTest::newRow("segmentation fault") << QByteArray("segv") << int(ProbeServer::Outcome::Crashed) << 10000;
    QTest::newRow("abort") << QByteArray("abort") << int(ProbeServer::Outcome::Crashed) << 10000;
    QTest::newRow("ends during the request") << QByteArray("exit") << int(ProbeServer::Outcome::Crashed) << 10000;
    QTest::newRow("hangs") << QByteArray("hang") << int(ProbeServer::Outcome::TimedOut) << 300;
}

void TestProbeServer::outcomes()
{
    QFETCH(QByteArray, request);
    QFETCH(int, expected);
    QFETCH(int, limitMs);
    ProbeServer server(act);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(int(server.run(request, limitMs)), expected);
    if (expected == int(ProbeServer::Outcome::TimedOut))
        QVERIFY(clock.elapsed() >= limitMs);
    // The work ran in the helper, never here.
    QCOMPARE(handled, 0);
    // Whatever became of the helper, the next request is answered.
    QCOMPARE(int(server.run("ok", 10000)), int(ProbeServer::Outcome::Survived));
}

void TestProbeServer::helperKeptAndRemade()
{
    ProbeServer server(act);
    server.start();
    QCOMPARE(int(server.run("first", 10000)), int(ProbeServer::Outcome::Survived));
    QCOMPARE(int(server.run("second", 10000)), int(ProbeServer::Outcome::Survived));
    QCOMPARE(int(server.run("segv", 10000)), int(ProbeServer::Outcome::Crashed));
    // A fresh helper: it has served none before this one.
    QCOMPARE(int(server.run("second", 10000)), int(ProbeServer::Outcome::Crashed));
}

QTEST_GUILESS_MAIN(TestProbeServer)
#include "tst_probeserver.moc"
