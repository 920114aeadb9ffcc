#include "analyzer/MapsExtraPanel.h"
#include "grid/Analyzed2DRes.h"

#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

// Which of the panel's buttons can be pressed in which state, and which map
// stays chosen when the list of maps changes.
class TestMapsExtraPanel : public QObject
{
    Q_OBJECT
private slots:
    void buttons_data();
    void buttons();
    void choiceFollowsTheMaps();
};

void TestMapsExtraPanel::buttons_data()
{
    QTest::addColumn<int>("running");     // run going, -1 none
    QTest::addColumn<bool>("pcaReady");
    QTest::addColumn<int>("clusters");
    QTest::addColumn<QString>("enabled"); // edge, PCA, k-means, use as reference: 1 or 0
    QTest::addColumn<QString>("stopButton");

    QTest::newRow("idle, nothing yet") << -1 << false << 0 << "1100" << "";
    QTest::newRow("idle after a PCA") << -1 << true << 0 << "1110" << "";
    QTest::newRow("idle with clusters") << -1 << true << 3 << "1111" << "";
    QTest::newRow("PCA going") << int(MapsExtraPanel::PcaRun) << false << 0 << "0100" << "RunPca";
    QTest::newRow("clusters going, old clusters wait") << int(MapsExtraPanel::ClusterRun) << true << 3 << "0010"
                                                       << "RunKMeans";
    QTest::newRow("edge maps going") << int(MapsExtraPanel::EdgeRun) << true << 2 << "1000" << "RunEdgeMaps";
}

void TestMapsExtraPanel::buttons()
{
    QFETCH(int, running);
    QFETCH(bool, pcaReady);
    QFETCH(int, clusters);
    QFETCH(QString, enabled);
    QFETCH(QString, stopButton);
    MapsExtraPanel panel;
    panel.setPcaReady(pcaReady);
    panel.setClusterCount(clusters);
    panel.showRunState(running, running >= 0);
    const char* names[] = {"RunEdgeMaps", "RunPca", "RunKMeans", "UseClusterAsReference"};
    for (int i = 0; i < 4; ++i) {
        const QPushButton* b = panel.findChild<QPushButton*>(names[i]);
        QVERIFY2(b->isEnabled() == (enabled[i] == '1'), names[i]);
        QCOMPARE(b->text() == "Stop", stopButton == names[i]);
    }
    QSignalSpy asked(&panel, &MapsExtraPanel::useAsReferenceAsked);
    panel.findChild<QPushButton*>("UseClusterAsReference")->click();
    QCOMPARE(asked.count(), enabled[3] == '1' ? 1 : 0);
}

void TestMapsExtraPanel::choiceFollowsTheMaps()
{
    Analyzed2DRes a("a"), b("b"), c("c");
    MapsExtraPanel panel;
    QVERIFY(!panel.chosenMap());
    QVERIFY(panel.chosenCaption().isEmpty());
    panel.setMaps({&a, &b}, {"A", "B"});
    panel.chooseMap(1);
    QVERIFY(panel.modeButton()->isChecked());
    // A longer list keeps the map on show; a preferred one replaces it.
    panel.setMaps({&a, &b, &c}, {"A", "B", "C"});
    QCOMPARE(panel.chosenMap(), &b);
    panel.setMaps({&a, &b, &c}, {"A", "B", "C"}, 2);
    QCOMPARE(panel.chosenCaption(), QString("C"));
    // The map on show gone: the first one.
    panel.setMaps({&a}, {"A"});
    QCOMPARE(panel.chosenMap(), &a);
    panel.setMaps({}, {});
    QVERIFY(!panel.chosenMap());
}

QTEST_MAIN(TestMapsExtraPanel)
#include "tst_mapsextrapanel.moc"
