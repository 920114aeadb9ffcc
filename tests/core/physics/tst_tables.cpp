#include "physics/EdgeTable.h"
#include "physics/ElementTable.h"
#include "physics/PhysConst.h"
#include "physics/Units.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

#include <cmath>
#include <limits>
#include <thread>
#include <vector>

// Element, unit and edge tables and the energy/angle conversion.
class TstTables : public QObject
{
    Q_OBJECT

private:
    QString writeFile(const QString &name, const QByteArray &text)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return QString();
        f.write(text);
        return path;
    }

    QTemporaryDir m_dir;

private slots:
    void symbolLookup_data();
    void symbolLookup();
    void everyRowIndexedByAtomicNumber();
    void weights_data();
    void weights();
    void unitTable_data();
    void unitTable();
    void edgeIndex_data();
    void edgeIndex();
    void embeddedTable();
    void embeddedTellingRows_data();
    void embeddedTellingRows();
    void lightAndHeavyRows();
    void clampsAndMissingValues();
    void rowsBeyondCapacityIgnored();
    void missingFileGivesEmptyTable();
    void reloadStartsEmpty();
    void globalTableSharedAcrossThreads();
    void lineTableResource();
    void braggAngle_data();
    void braggAngle();
    void angleOutsideDomain_data();
    void angleOutsideDomain();
    void setDIsSlot();
    void wavelength();
};

void TstTables::symbolLookup_data()
{
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<int>("z");
    QTest::newRow("Fe") << "Fe" << 26;
    QTest::newRow("lower case fe") << "fe" << -1;
    QTest::newRow("upper case FE") << "FE" << -1;
    QTest::newRow("deuterium") << "D" << 110;
    QTest::newRow("blank placeholder") << " " << 0;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("H") << "H" << 1;
    QTest::newRow("U") << "U" << 92;
    QTest::newRow("Mt") << "Mt" << 109;
    QTest::newRow("trailing blank") << "Fe " << -1;
    QTest::newRow("unknown") << "Xx" << -1;
}

void TstTables::symbolLookup()
{
    QFETCH(QString, symbol);
    QFETCH(int, z);
    QCOMPARE(ElementTable::atomicNumber(symbol), z);
}

void TstTables::everyRowIndexedByAtomicNumber()
{
    QCOMPARE(ElementTable::Rows, 111);
    for (int z = 0; z < ElementTable::Rows; ++z) {
        const ElementRow *r = ElementTable::row(z);
        QVERIFY(r);
        QCOMPARE(r->z, z);
        // Symbols are unique, so looking a row's symbol up leads back to the row.
        QCOMPARE(ElementTable::atomicNumber(ElementTable::symbol(z)), z);
        QVERIFY(r->weight >= 0.0);
    }
    QVERIFY(!ElementTable::row(-1));
    QVERIFY(!ElementTable::row(ElementTable::Rows));
    QCOMPARE(ElementTable::weight(ElementTable::Rows), 0.0);
    QVERIFY(ElementTable::symbol(-1).isEmpty());
    // Weights grow with the atomic number among the stable elements, except for the
    // well-known inversions (Ar/K, Co/Ni, Te/I).
    int inversions = 0;
    for (int z = 2; z <= 92; ++z)
        inversions += ElementTable::weight(z) < ElementTable::weight(z - 1);
    QVERIFY2(inversions <= 4, qPrintable(QString::number(inversions)));
}

void TstTables::weights_data()
{
    QTest::addColumn<int>("z");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<double>("weight");
    QTest::newRow("0") << 0 << " " << 0.0;
    QTest::newRow("H") << 1 << "H" << 1.0079;
    QTest::newRow("He") << 2 << "He" << 4.0026;
    QTest::newRow("Fe") << 26 << "Fe" << 55.847;
    QTest::newRow("Ni") << 28 << "Ni" << 58.96;
    QTest::newRow("Cu") << 29 << "Cu" << 63.546;
    QTest::newRow("Au") << 79 << "Au" << 196.9665;
    QTest::newRow("U") << 92 << "U" << 238.051;
    QTest::newRow("Bk") << 97 << "Bk" << 247.07;
    QTest::newRow("Cm") << 96 << "Cm" << 247.07;
    QTest::newRow("Fm") << 100 << "Fm" << 257.095;
    const char *late[] = {"Md", "No", "Lr", "Rf", "Db", "Sg", "Bh", "Hs", "Mt"};
    for (int i = 0; i < 9; ++i)
        QTest::newRow(late[i]) << 101 + i << late[i] << 0.0;
    QTest::newRow("D") << 110 << "D" << 2.01355321;
}

void TstTables::weights()
{
    QFETCH(int, z);
    QFETCH(QString, symbol);
    QFETCH(double, weight);
    QCOMPARE(ElementTable::symbol(z), symbol);
    QCOMPARE(ElementTable::weight(z), weight);
}

void TstTables::unitTable_data()
{
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("format");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown");
    QTest::newRow("eV") << 0 << "eV" << "% 8.2f" << 7112.456 << " 7112.46";
    QTest::newRow("keV") << 1 << "keV" << "% 8.5f" << 7.1124567 << " 7.11246";
    QTest::newRow("A") << 2 << "A" << "% 8.5f" << 1.5 << " 1.50000";
    QTest::newRow("deg") << 3 << "deg" << "% 8.5f" << -14.3 << "-14.30000";
    QTest::newRow("below") << -1 << "" << "" << 1.0 << "";
    QTest::newRow("beyond") << 4 << "" << "" << 1.0 << "";
}

void TstTables::unitTable()
{
    QFETCH(int, unit);
    QFETCH(QString, name);
    QFETCH(QString, format);
    QFETCH(double, value);
    QFETCH(QString, shown);
    QCOMPARE(UnitTable::Count, 4);
    QCOMPARE(UnitTable::name(unit), name);
    QCOMPARE(UnitTable::format(unit), format);
    QCOMPARE(UnitTable::formatValue(unit, value), shown);
}

void TstTables::edgeIndex_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::newRow("K") << "K" << 0;
    QTest::newRow("k") << "k" << 0;
    QTest::newRow("LI") << "LI" << 1;
    QTest::newRow("l1") << "l1" << 1;
    QTest::newRow("L2") << "L2" << 2;
    QTest::newRow("Lii") << "Lii" << 2;
    QTest::newRow("L3") << "L3" << 3;
    QTest::newRow("l3") << "l3" << 3;
    QTest::newRow("liii") << "liii" << 3;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("M1") << "M1" << 0;
    QTest::newRow("L4") << "L4" << 0;
    QTest::newRow("padded") << " L3" << 0;
}

void TstTables::edgeIndex()
{
    QFETCH(QString, name);
    QFETCH(int, index);
    QCOMPARE(EdgeTable::edgeIndex(name), index);
}

void TstTables::embeddedTable()
{
    EdgeTable t;
    QVERIFY(t.load());
    // Title line plus hydrogen to uranium.
    QCOMPARE(t.rowCount(), 93);
    const EdgeRow *title = t.row(0);
    QVERIFY(title);
    QCOMPARE(title->z, 0);
    for (int k = 0; k < EdgeRow::Slots; ++k) {
        QCOMPARE(title->edge[k], 0.0);
        QCOMPARE(title->c[k], 0.0);
        QCOMPARE(title->d[k], 0.0);
    }
    for (int z = 1; z <= 92; ++z)
        QCOMPARE(t.row(z)->z, z);
    // K edges rise with the atomic number from lithium on, and the L edges keep their order.
    for (int z = 4; z <= 92; ++z)
        QVERIFY2(t.edgeEnergy(z, EdgeTable::K) > t.edgeEnergy(z - 1, EdgeTable::K),
                 qPrintable(QString::number(z)));
    for (int z = 15; z <= 92; ++z) {
        QVERIFY(t.edgeEnergy(z, EdgeTable::LI) > t.edgeEnergy(z, EdgeTable::LII));
        QVERIFY(t.edgeEnergy(z, EdgeTable::LII) >= t.edgeEnergy(z, EdgeTable::LIII));
        QVERIFY(t.edgeEnergy(z, EdgeTable::K) > t.edgeEnergy(z, EdgeTable::LI));
    }
    // Lookups outside the table read 0.
    QCOMPARE(t.edgeEnergy(-1, 0), 0.0);
    QCOMPARE(t.edgeEnergy(93, 0), 0.0);
    QCOMPARE(t.edgeEnergy(26, -1), 0.0);
    QCOMPARE(t.edgeEnergy(26, EdgeRow::Slots), 0.0);
    QCOMPARE(t.c(26, EdgeRow::Slots), 0.0);
    QVERIFY(!t.row(93));
}

void TstTables::embeddedTellingRows_data()
{
    QTest::addColumn<int>("z");
    QTest::addColumn<int>("slot");
    QTest::addColumn<double>("edge");
    QTest::addColumn<double>("c");
    QTest::addColumn<double>("d");
    // A negative c or d means "not given for this row".
    QTest::newRow("Fe K") << 26 << 0 << 7.11326288 << 126.0 << 27.2;
    QTest::newRow("Fe LI") << 26 << 1 << 0.849 << 9.95 << 0.433;
    QTest::newRow("Fe LII") << 26 << 2 << 0.722 << -1.0 << -1.0;
    QTest::newRow("Fe LIII") << 26 << 3 << 0.709 << -1.0 << -1.0;
    QTest::newRow("Cu K") << 29 << 0 << 8.98436029 << -1.0 << -1.0;
    QTest::newRow("Cu LI") << 29 << 1 << 1.1 << -1.0 << -1.0;
    QTest::newRow("Cu LII") << 29 << 2 << 0.954 << -1.0 << -1.0;
    QTest::newRow("Cu LIII") << 29 << 3 << 0.935 << -1.0 << -1.0;
    QTest::newRow("Pb K") << 82 << 0 << 88.054 << -1.0 << -1.0;
    QTest::newRow("Pb LI") << 82 << 1 << 15.864 << -1.0 << -1.0;
    QTest::newRow("Pb LII") << 82 << 2 << 15.203 << -1.0 << -1.0;
    QTest::newRow("Pb LIII") << 82 << 3 << 13.03 << -1.0 << -1.0;
    QTest::newRow("Pb M1") << 82 << 4 << 3.226 << 94.1 << 20.0;
}

void TstTables::embeddedTellingRows()
{
    QFETCH(int, z);
    QFETCH(int, slot);
    QFETCH(double, edge);
    QFETCH(double, c);
    QFETCH(double, d);
    EdgeTable t;
    QVERIFY(t.load());
    QCOMPARE(t.edgeEnergy(z, slot), edge);
    if (c >= 0)
        QCOMPARE(t.c(z, slot), c);
    else
        QVERIFY(t.c(z, slot) > 0);
    if (d >= 0)
        QCOMPARE(t.d(z, slot), d);
}

void TstTables::lightAndHeavyRows()
{
    EdgeTable t;
    QVERIFY(t.load());
    for (int z : {1, 2}) {
        QCOMPARE(t.edgeEnergy(z, EdgeTable::K), 0.0);
        QCOMPARE(t.c(z, EdgeTable::K), 0.0);
    }
    for (int z = 1; z <= 6; ++z) {
        for (int k = EdgeTable::LI; k <= EdgeTable::LIII; ++k) {
            QCOMPARE(t.edgeEnergy(z, k), 0.0);
            QCOMPARE(t.c(z, k), 0.0);
            QCOMPARE(t.d(z, k), 0.0);
        }
    }
    for (int z = 88; z <= 92; ++z) {
        QVERIFY(t.edgeEnergy(z, EdgeTable::K) > 100.0);
        QCOMPARE(t.c(z, EdgeTable::K), 0.0);
        QCOMPARE(t.d(z, EdgeTable::K), 0.0);
        QVERIFY(t.c(z, EdgeTable::LIII) > 0.0);
    }
}

void TstTables::clampsAndMissingValues()
{
    const QByteArray text =
        "= title line with words only\n"
        "# comment lines are not rows\n"
        "Aa 1 -2.5 9 = -5 3.5 9 -1 abc 7 9 0.25 0.5 1e2 9 nan inf 4.5 6 7\n"
        "   #indented comment\n"
        "Bb x 1.5 9 2\n"
        "\r\n"
        "Cc 3 1 9 2 3 4 9 5 6 7 9 8 9 10 9 11 12 13 14 15 16 17 18\n";
    const QString path = writeFile("clamp.txt", text);
    EdgeTable t;
    QVERIFY(t.load(path));
    // Title, Aa, Bb, the blank line and Cc.
    QCOMPARE(t.rowCount(), 5);
    const EdgeRow *a = t.row(1);
    QCOMPARE(a->z, 1);
    QCOMPARE(a->edge[0], -2.5);    // the K edge keeps its sign
    QCOMPARE(a->c[0], 0.0);        // "="
    QCOMPARE(a->d[0], 0.0);        // -5 clamped
    QCOMPARE(a->edge[1], 3.5);
    QCOMPARE(a->c[1], 0.0);        // -1
    QCOMPARE(a->d[1], 0.0);        // text
    QCOMPARE(a->edge[2], 7.0);
    QCOMPARE(a->c[2], 0.25);
    QCOMPARE(a->d[2], 0.5);
    QCOMPARE(a->edge[3], 100.0);
    QCOMPARE(a->c[3], 0.0);        // nan
    QCOMPARE(a->d[3], 0.0);        // inf
    QCOMPARE(a->edge[4], 4.5);
    QCOMPARE(a->c[4], 6.0);
    QCOMPARE(a->d[4], 7.0);

    const EdgeRow *b = t.row(2);   // unreadable atomic number, fields missing
    QCOMPARE(b->z, 0);
    QCOMPARE(b->edge[0], 1.5);
    QCOMPARE(b->c[0], 2.0);
    QCOMPARE(b->d[0], 0.0);
    QCOMPARE(b->edge[4], 0.0);

    QCOMPARE(t.row(3)->z, 0);      // a blank line is a row of zeros
    QCOMPARE(t.row(3)->edge[0], 0.0);

    const EdgeRow *c = t.row(4);   // extra fields are ignored
    QCOMPARE(c->z, 3);
    QCOMPARE(c->edge[3], 10.0);
    QCOMPARE(c->c[3], 11.0);
    QCOMPARE(c->d[3], 12.0);
    QCOMPARE(c->edge[4], 13.0);
    QCOMPARE(c->d[4], 15.0);
}

void TstTables::rowsBeyondCapacityIgnored()
{
    QByteArray text = "= title\n";
    for (int z = 1; z <= 150; ++z)
        text += "X " + QByteArray::number(z) + " " + QByteArray::number(z * 0.5) + "\n";
    // An over-long line (far beyond any real one) must neither crash nor split into rows.
    QByteArray big = "Y 7 " + QByteArray(100000, '9') + "\n";
    text.insert(text.indexOf("X 3 "), big);
    EdgeTable t;
    QVERIFY(t.load(writeFile("many.txt", text)));
    QCOMPARE(t.rowCount(), EdgeTable::MaxRows);
    QCOMPARE(t.row(3)->z, 7);
    QCOMPARE(t.row(4)->z, 3);
    QCOMPARE(t.row(EdgeTable::MaxRows - 1)->z, EdgeTable::MaxRows - 2);
    QVERIFY(!t.row(EdgeTable::MaxRows));
    QCOMPARE(t.edgeEnergy(EdgeTable::MaxRows, 0), 0.0);
}

void TstTables::missingFileGivesEmptyTable()
{
    EdgeTable t;
    QTest::ignoreMessage(QtDebugMsg, "Cannot open [Victoreen1.txt]\n");
    QVERIFY(!t.load(m_dir.filePath("no-such-file.txt")));
    QCOMPARE(t.rowCount(), 0);
    QCOMPARE(t.edgeEnergy(26, 0), 0.0);
    QCOMPARE(t.c(26, 0), 0.0);
    QVERIFY(!t.row(0));
}

void TstTables::reloadStartsEmpty()
{
    EdgeTable t;
    QVERIFY(t.load());
    QVERIFY(t.edgeEnergy(92, EdgeTable::K) > 0.0);
    QVERIFY(t.load(writeFile("short.txt", "= t\nH 1 0.01\n")));
    QCOMPARE(t.rowCount(), 2);
    QCOMPARE(t.edgeEnergy(92, EdgeTable::K), 0.0);
    QTest::ignoreMessage(QtDebugMsg, "Cannot open [Victoreen1.txt]\n");
    QVERIFY(!t.load(m_dir.filePath("gone.txt")));
    QCOMPARE(t.edgeEnergy(1, EdgeTable::K), 0.0);
}

void TstTables::globalTableSharedAcrossThreads()
{
    std::vector<const EdgeTable *> seen(4, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&seen, i] { seen[i] = &EdgeTable::global(); });
    for (auto &th : threads)
        th.join();
    loadEdgeTable();
    for (const EdgeTable *p : seen)
        QCOMPARE(p, &EdgeTable::global());
    QCOMPARE(EdgeTable::global().rowCount(), 93);
    QCOMPARE(EdgeTable::global().edgeEnergy(26, EdgeTable::K), 7.11326288);
}

void TstTables::lineTableResource()
{
    QFile f(":xray-KLIII.txt");
    QVERIFY(f.open(QIODevice::ReadOnly | QIODevice::Text));
    QTextStream in(&f);
    const QStringList title = in.readLine().simplified().split(' ');
    QCOMPARE(title.join(' '), QString("# Ka2 Ka1 Kb La2 La1 Lb1 Lb2 K LIII LII LI"));
    int expectedZ = 3;
    QStringList iron;
    while (!in.atEnd()) {
        const QStringList fields = in.readLine().simplified().split(' ');
        QCOMPARE(fields.size(), 13);
        QCOMPARE(fields.at(0), ElementTable::symbol(expectedZ));
        QCOMPARE(fields.at(1).toInt(), expectedZ);
        if (expectedZ == 26)
            iron = fields;
        ++expectedZ;
    }
    QCOMPARE(expectedZ, 93);
    QCOMPARE(iron.at(2).toDouble(), 6390.8);
    QCOMPARE(iron.at(3).toDouble(), 6403.8);
    QCOMPARE(iron.at(4).toDouble(), 7058.0);
    QCOMPARE(iron.at(9).toDouble(), 7113.0);
    QCOMPARE(iron.at(10).toDouble(), 709.0);
    QCOMPARE(iron.at(11).toDouble(), 722.0);
    QCOMPARE(iron.at(12).toDouble(), 849.0);
}

void TstTables::braggAngle_data()
{
    QTest::addColumn<double>("d");
    QTest::addColumn<double>("energy");
    QTest::addColumn<double>("degrees");
    QTest::newRow("8000 eV Si(111)") << 3.13553 << 8000.0 << 14.308;
    // hc / (2 d) = E sin(theta): with d = hc / 2 the energy is 1 / sin(theta).
    QTest::newRow("30 deg") << PhysConst::hc / 2.0 << 2.0 << 30.0;
    QTest::newRow("90 deg") << PhysConst::hc / 2.0 << 1.0 << 90.0;
}

void TstTables::braggAngle()
{
    QFETCH(double, d);
    QFETCH(double, energy);
    QFETCH(double, degrees);
    Units u;
    QCOMPARE(u.d(), 3.13553);
    u.setD(d);
    QCOMPARE(u.d(), d);
    const double theta = u.angleOfEnergy(energy);
    QVERIFY2(std::fabs(theta - degrees) < 1e-3 * std::max(1.0, degrees / 10.0),
             qPrintable(QString::number(theta, 'g', 12)));
    // Both directions use the same pi, so the round trip is exact to rounding; near 90
    // degrees sin is flat and the way back loses digits.
    const double back = u.energyOfAngle(theta);
    QVERIFY2(std::fabs(back - energy) <= (degrees < 89 ? 1e-9 : 1e-4) * energy,
             qPrintable(QString::number(back, 'g', 17)));
    QCOMPARE(Units::angleOfEnergy(energy, d), theta);
}

void TstTables::angleOutsideDomain_data()
{
    QTest::addColumn<double>("energy");
    QTest::newRow("below the lowest energy") << 1000.0;
    QTest::newRow("zero") << 0.0;
    QTest::newRow("negative below") << -1000.0;
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN();
}

void TstTables::angleOutsideDomain()
{
    QFETCH(double, energy);
    Units u;
    QCOMPARE(u.angleOfEnergy(energy), -1.0);
    // Just above the limit hc / (2 d) the angle exists and is close to 90 degrees.
    const double limit = PhysConst::hc / (2.0 * u.d());
    QVERIFY(u.angleOfEnergy(limit * 1.0001) > 88.0);
}

void TstTables::setDIsSlot()
{
    Units u;
    QVERIFY(QMetaObject::invokeMethod(&u, "setD", Q_ARG(double, 1.92015)));
    QCOMPARE(u.d(), 1.92015);
    const double e = u.energyOfAngle(20.0);
    Units other;
    QVERIFY(std::fabs(other.energyOfAngle(20.0) / e - 1.92015 / 3.13553) < 1e-12);
}

void TstTables::wavelength()
{
    QCOMPARE(Units::wavelength(PhysConst::hc), 1.0);
    QVERIFY(std::fabs(Units::wavelength(8000.0) - 1.5498030450484605) < 1e-12);
    // The Fe K edge of the table sits at the wavelength the generator wrote beside it.
    QVERIFY(std::fabs(Units::wavelength(EdgeTable::global().edgeEnergy(26, 0) * 1000.0) - 1.743)
            < 5e-4);
}

QTEST_GUILESS_MAIN(TstTables)
#include "tst_tables.moc"
