// The batch executor's command table: every word of the language has exactly
// one row in the main window's table, and an id without a row fails the line
// with a message naming the word instead of being ignored.

#include "batch/BatchKeywords.h"
#include "Body.h"
#include "CommandTable.h"

#include <QSet>
#include <QtTest>
#include <memory>

class TestCommandTable : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        BatchKeywords::init();
        m_body = std::make_unique<Body>();
    }
    void cleanupTestCase() { m_body.reset(); }

    // The 112 command words and the extra words each reach a row.
    void everyWordHasARow_data()
    {
        QTest::addColumn<int>("id");
        for (const auto* words : {&BatchKeywords::commandTable(), &BatchKeywords::extraCommandTable()})
            for (const BatchKeywords::Keyword& k : *words)
                QTest::newRow(k.word) << k.id;
    }
    void everyWordHasARow()
    {
        QFETCH(int, id);
        QVERIFY(m_body->commandTable().has(id));
    }

    // No row answers an id that no word has.
    void noRowWithoutAWord()
    {
        QSet<int> ids;
        for (const auto* words : {&BatchKeywords::commandTable(), &BatchKeywords::extraCommandTable()})
            for (const BatchKeywords::Keyword& k : *words)
                ids.insert(k.id);
        QCOMPARE(m_body->commandTable().size(), ids.size());
        QVERIFY(!m_body->commandTable().has(BatchKeywords::NoCommand));
        QVERIFY(!m_body->commandTable().has(BatchKeywords::NoExtraCommand));
    }

    // A row runs with the line's arguments and says whether the line is done;
    // an id without a row fails through the failure hook and the line is done.
    void runDispatchesOrFails_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("done");
        QTest::addColumn<QString>("failure");
        QTest::newRow("action") << 1 << true << QString();
        QTest::newRow("long work") << 2 << false << QString();
        QTest::newRow("long work ended at once") << 3 << true << QString();
        QTest::newRow("no row") << 4 << true << QString("No handler for command \"some_word\" (id 4)");
    }
    void runDispatchesOrFails()
    {
        QFETCH(int, id);
        QFETCH(bool, done);
        QFETCH(QString, failure);
        CommandTable table;
        QList<int> ran;
        table.add(1, [&ran](const CmdLine&, BatchArgReader& a) { ran << 1 << a.n(0); });
        table.addLong(2, [&ran](const CmdLine&, BatchArgReader& a) {
            ran << 2 << a.n(0);
            return false;
        });
        table.addLong(3, [&ran](const CmdLine&, BatchArgReader& a) {
            ran << 3 << a.n(0);
            return true;
        });
        const CmdLine cmd(QStringLiteral("some_word 7"));
        BatchArgReader args(cmd);
        QStringList failures;
        QCOMPARE(table.run(id, cmd, args, [&failures](const QString& m) { failures << m; }), done);
        QCOMPARE(failures, failure.isEmpty() ? QStringList() : QStringList{failure});
        const QList<int> expected = failure.isEmpty() ? QList<int>({id, 7}) : QList<int>();
        QCOMPARE(ran, expected);
    }

private:
    std::unique_ptr<Body> m_body;
};

QTEST_MAIN(TestCommandTable)
#include "tst_commandtable.moc"
