#include "analysis/AnalyzerFields.h"
#include "analysis/ElementCorrelation.h"
#include "analysis/ElementNames.h"
#include "physics/EdgeTable.h"

#include <QtTest>

using Terms = QVector<CorrelationTerm>;
Q_DECLARE_METATYPE(CorrelationTerm)

class TestAnalyzerRules : public QObject
{
    Q_OBJECT
private slots:
    void victoreenFromText_data();
    void victoreenFromText();
    void fieldTexts_data();
    void fieldTexts();
    void parseNames_data();
    void parseNames();
    void parsedEdgeEnergies();
    void correlation_data();
    void correlation();
};

void TestAnalyzerRules::victoreenFromText_data()
{
    QTest::addColumn<QString>("isVic");
    QTest::addColumn<bool>("on");
    QTest::newRow("empty") << "" << true;
    QTest::newRow("vic") << "vic" << true;
    QTest::newRow("VIC") << "VIC" << true;
    QTest::newRow("Vic") << "Vic" << true;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("2") << "2" << true;
    QTest::newRow("-1") << "-1" << false;
    QTest::newRow("line") << "line" << false;
    QTest::newRow("2.5 is not an integer") << "2.5" << false;
}

void TestAnalyzerRules::victoreenFromText()
{
    QFETCH(QString, isVic);
    QFETCH(bool, on);
    QCOMPARE(AnalyzerFields::victoreenFromText(isVic), on);
}

void TestAnalyzerRules::fieldTexts_data()
{
    QTest::addColumn<double>("v");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("percent");
    QTest::addColumn<QString>("shortened");
    QTest::newRow("ROI 0.1234567") << 0.1234567 << "0.123457" << " 0.12" << "0.123";
    QTest::newRow("negative") << -0.1234567 << "-0.123457" << "-0.12" << "-0.12";
    QTest::newRow("large") << 12345678.0 << "1.23457e+07" << "12345678.00" << "1.234";
    QTest::newRow("one") << 1.0 << "1" << " 1.00" << "1";
    QTest::newRow("hundred") << 100.0 << "100" << "100.00" << "100";
}

void TestAnalyzerRules::fieldTexts()
{
    QFETCH(double, v);
    QFETCH(QString, number);
    QFETCH(QString, percent);
    QFETCH(QString, shortened);
    QCOMPARE(AnalyzerFields::numberText(v), number);
    QCOMPARE(AnalyzerFields::percentText(v), percent);
    QCOMPARE(AnalyzerFields::shortText(v), shortened);
    QCOMPARE(AnalyzerFields::number(number), number.toDouble());
}

void TestAnalyzerRules::parseNames_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("sort");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<int>>("zs");
    QTest::addColumn<QList<int>>("edges");
    const QStringList feCuPb{"Fe-K", "Cu-K", "Pb-LIII"};
    QTest::newRow("comma and double blank, unknown skipped")
        << "Fe, Cu-K  Pb-LIII Xx" << false << feCuPb << QList<int>{26, 29, 82} << QList<int>{0, 0, 3};
    QTest::newRow("sorted by Z") << "Pb-LIII,Xx  Cu-K, Fe" << true << feCuPb << QList<int>{26, 29, 82}
                                 << QList<int>{0, 0, 3};
    QTest::newRow("unsorted keeps the order") << "Pb-LIII Cu-K Fe" << false << QStringList{"Pb-LIII", "Cu-K", "Fe-K"}
                                              << QList<int>{82, 29, 26} << QList<int>{3, 0, 0};
    QTest::newRow("blanks only") << " , ,  " << false << QStringList{} << QList<int>{} << QList<int>{};
    QTest::newRow("symbols are case-sensitive") << "fe FE Fe" << false << QStringList{"Fe-K"} << QList<int>{26}
                                                << QList<int>{0};
    QTest::newRow("dash first is part of the symbol") << "-K Ni-L2" << false << QStringList{"Ni-L2"} << QList<int>{28}
                                                      << QList<int>{2};
    QTest::newRow("sort keeps the first of equal Z")
        << "Cu Fe-LIII Zn Fe-K" << true << QStringList{"Fe-LIII", "Fe-K", "Cu-K", "Zn-K"} << QList<int>{26, 26, 29, 30}
        << QList<int>{3, 0, 0, 0};
    // Selection sort with swaps: moving Fe to the front puts Cu-K behind
    // Cu-LIII, and the first of the equal ones met then stays.
    QTest::newRow("sort swaps equal Z") << "Cu-K Cu-LIII Fe" << true << QStringList{"Fe-K", "Cu-LIII", "Cu-K"}
                                        << QList<int>{26, 29, 29} << QList<int>{0, 3, 0};
}

void TestAnalyzerRules::parseNames()
{
    QFETCH(QString, text);
    QFETCH(bool, sort);
    QFETCH(QStringList, names);
    QFETCH(QList<int>, zs);
    QFETCH(QList<int>, edges);
    QVector<ElementName> got = ElementNames::parse(text);
    if (sort)
        ElementNames::sortByAtomicNumber(got);
    QStringList gotNames;
    QList<int> gotZ, gotEdges;
    for (const ElementName& e : got) {
        gotNames << e.name;
        gotZ << e.z;
        gotEdges << e.edge;
    }
    QCOMPARE(gotNames, names);
    QCOMPARE(gotZ, zs);
    QCOMPARE(gotEdges, edges);
}

void TestAnalyzerRules::parsedEdgeEnergies()
{
    const QVector<ElementName> got = ElementNames::parse("Fe Pb-LIII");
    QCOMPARE(got.size(), 2);
    QCOMPARE(got[0].edgeEnergy, 1000.0 * EdgeTable::global().edgeEnergy(26, EdgeTable::K));
    QCOMPARE(got[1].edgeEnergy, 1000.0 * EdgeTable::global().edgeEnergy(82, EdgeTable::LIII));
    // The Fe K edge lies near 7.11 keV in any edge table.
    QVERIFY(qAbs(got[0].edgeEnergy - 7112.0) < 5.0);
}

void TestAnalyzerRules::correlation_data()
{
    QTest::addColumn<Terms>("terms");
    QTest::addColumn<bool>("emitted");
    QTest::addColumn<double>("cor");
    QTest::newRow("all standard ratios 0") << Terms{{true, 1.0, 0.0}, {true, 0.5, 0.0}} << false << 0.0;
    QTest::newRow("all ratios 0") << Terms{{true, 0.0, 1.0}, {true, 0.0, 0.5}} << false << 0.0;
    QTest::newRow("no row in use") << Terms{{false, 1.0, 1.0}} << false << 0.0;
    QTest::newRow("parallel") << Terms{{true, 2.0, 1.0}, {true, 1.0, 0.5}} << true << 1.0;
    // (1*1 + 1*0) / sqrt(2 * 1)
    QTest::newRow("45 degrees") << Terms{{true, 1.0, 1.0}, {true, 1.0, 0.0}} << true << 1.0 / std::sqrt(2.0);
    QTest::newRow("unused row left out") << Terms{{true, 1.0, 1.0}, {false, 5.0, 0.0}} << true << 1.0;
    QTest::newRow("opposite") << Terms{{true, -1.0, 1.0}} << true << -1.0;
}

void TestAnalyzerRules::correlation()
{
    QFETCH(Terms, terms);
    QFETCH(bool, emitted);
    QFETCH(double, cor);
    double got = 42.0;
    QCOMPARE(ElementCorrelation::compute(terms, got), emitted);
    if (emitted)
        QVERIFY(qAbs(got - cor) < 1e-15);
    else
        QCOMPARE(got, 42.0);
}

QTEST_GUILESS_MAIN(TestAnalyzerRules)
#include "tst_analyzerrules.moc"
