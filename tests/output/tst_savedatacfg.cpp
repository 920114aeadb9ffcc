#include "app/Translation.h"
#include "output/SaveDataCfg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTranslator>
#include <QtTest>

class TestSaveDataCfg : public QObject
{
    Q_OBJECT
private slots:
    void controls();
    void exclusiveGroupsAndTiffFrame();
    void slotsSetTheirControl();
    void settingsReadTheForm();
    void japanese();
};

namespace {

template <class T>
T* child(QWidget& w, const char* name)
{
    T* c = w.findChild<T*>(name);
    if (!c)
        qWarning("missing %s", name);
    return c;
}

// Clicks a button on its indicator, which a radio button always takes.
void click(QAbstractButton* b)
{
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(6, b->height() / 2));
}

} // namespace

void TestSaveDataCfg::controls()
{
    SaveDataCfg dlg;
    QCOMPARE(dlg.windowTitle(), QString("Save Data Configuration"));
    struct Expect {
        const char* name;
        const char* text;
        bool checked;
    };
    const Expect buttons[] = {{"SaveAsTiff", "Save as Tiff", true},
                              {"SaveAsTextData", "Save as Text data", false},
                              {"DataCommaSeparated", "Comma Separated", true},
                              {"DataSpaceSeparated", "Space Separated", false},
                              {"DataXYVal", "X Y Val : 1point/1line", true},
                              {"DataValValVal", "Val1 Val2 Val3... : each Y line", false},
                              {"TiffFixedScale", "Fixed Scale", false},
                              {"TiffAsAnalyzed", "Save as Analyzed Area Size and Resolution", false}};
    for (const Expect& e : buttons) {
        auto* b = child<QAbstractButton>(dlg, e.name);
        QVERIFY2(b, e.name);
        QCOMPARE(b->text(), QString(e.text));
        QCOMPARE(b->isChecked(), e.checked);
    }
    QVERIFY(child<QLineEdit>(dlg, "TiffScaleMin"));
    QVERIFY(child<QLineEdit>(dlg, "TiffScaleMax"));
    QStringList labels;
    for (const QLabel* l : dlg.findChildren<QLabel*>())
        labels << l->text();
    QVERIFY(labels.contains("Min"));
    QVERIFY(labels.contains("Max"));
    QVERIFY(child<QFrame>(dlg, "TiffCfg")->isEnabled());
}

void TestSaveDataCfg::exclusiveGroupsAndTiffFrame()
{
    SaveDataCfg dlg;
    dlg.show();
    auto* tiff = child<QRadioButton>(dlg, "SaveAsTiff");
    auto* text = child<QRadioButton>(dlg, "SaveAsTextData");
    auto* frame = child<QFrame>(dlg, "TiffCfg");
    click(text);
    QVERIFY(text->isChecked());
    QVERIFY(!tiff->isChecked());
    QVERIFY(!frame->isEnabled());
    // Choosing a separator or layout does not touch the other groups.
    click(child<QRadioButton>(dlg, "DataSpaceSeparated"));
    QVERIFY(!child<QRadioButton>(dlg, "DataCommaSeparated")->isChecked());
    QVERIFY(child<QRadioButton>(dlg, "DataXYVal")->isChecked());
    QVERIFY(text->isChecked());
    click(child<QRadioButton>(dlg, "DataValValVal"));
    QVERIFY(!child<QRadioButton>(dlg, "DataXYVal")->isChecked());
    QVERIFY(child<QRadioButton>(dlg, "DataSpaceSeparated")->isChecked());
    click(tiff);
    QVERIFY(frame->isEnabled());
    QVERIFY(!text->isChecked());
}

void TestSaveDataCfg::slotsSetTheirControl()
{
    SaveDataCfg dlg;
    dlg.setSaveAsText();
    QVERIFY(child<QRadioButton>(dlg, "SaveAsTextData")->isChecked());
    QVERIFY(!child<QFrame>(dlg, "TiffCfg")->isEnabled());
    dlg.setSaveAsTiff();
    QVERIFY(child<QRadioButton>(dlg, "SaveAsTiff")->isChecked());
    QVERIFY(child<QFrame>(dlg, "TiffCfg")->isEnabled());
    dlg.toggledSaveAs(false);
    QVERIFY(child<QRadioButton>(dlg, "SaveAsTextData")->isChecked());
    QVERIFY(!child<QFrame>(dlg, "TiffCfg")->isEnabled());
    dlg.toggledSaveAs(true);
    QVERIFY(child<QRadioButton>(dlg, "SaveAsTiff")->isChecked());
    dlg.setSaveTiffScaleFixed(true);
    QVERIFY(child<QCheckBox>(dlg, "TiffFixedScale")->isChecked());
    dlg.setSaveTiffScaleMin(-0.000123456789);
    QCOMPARE(child<QLineEdit>(dlg, "TiffScaleMin")->text(), QString("-0.000123457"));
    dlg.setSaveTiffScaleMax(2500000.0);
    QCOMPARE(child<QLineEdit>(dlg, "TiffScaleMax")->text(), QString("2.5e+06"));
    dlg.setSaveTiffAsAnalyzed(true);
    QVERIFY(child<QCheckBox>(dlg, "TiffAsAnalyzed")->isChecked());
    dlg.setSaveTextAsSSV();
    QVERIFY(child<QRadioButton>(dlg, "DataSpaceSeparated")->isChecked());
    dlg.setSaveTextAsCSV();
    QVERIFY(child<QRadioButton>(dlg, "DataCommaSeparated")->isChecked());
    dlg.setSaveTextAsValValVal();
    QVERIFY(child<QRadioButton>(dlg, "DataValValVal")->isChecked());
    dlg.setSaveTextAsXYVal();
    QVERIFY(child<QRadioButton>(dlg, "DataXYVal")->isChecked());
}

void TestSaveDataCfg::settingsReadTheForm()
{
    SaveDataCfg dlg;
    SaveDataSettings s = dlg.settings();
    QVERIFY(s.saveAsTiff);
    QVERIFY(s.commaSeparated);
    QVERIFY(s.xyVal);
    QVERIFY(!s.tiffFixedScale);
    QVERIFY(!s.tiffAsAnalyzed);
    QCOMPARE(s.tiffScaleMin, 0.0);
    QCOMPARE(s.tiffScaleMax, 1.0);

    dlg.setSaveAsText();
    dlg.setSaveTextAsSSV();
    dlg.setSaveTextAsValValVal();
    dlg.setSaveTiffScaleFixed(true);
    dlg.setSaveTiffAsAnalyzed(true);
    child<QLineEdit>(dlg, "TiffScaleMin")->setText("-1.5");
    child<QLineEdit>(dlg, "TiffScaleMax")->setText("abc");
    s = dlg.settings();
    QVERIFY(!s.saveAsTiff);
    QVERIFY(!s.commaSeparated);
    QCOMPARE(s.textFormat().separator(), ' ');
    QVERIFY(!s.xyVal);
    QVERIFY(s.tiffFixedScale);
    QVERIFY(s.tiffAsAnalyzed);
    QCOMPARE(s.tiffScaleMin, -1.5);
    QCOMPARE(s.tiffScaleMax, 0.0);   // not a number reads as 0
}

void TestSaveDataCfg::japanese()
{
    QTranslator translator;
    QVERIFY(installJapanese(*qApp, translator));
    {
        SaveDataCfg dlg;
        QCOMPARE(dlg.windowTitle(), QString::fromUtf8("データ保存設定"));
        QCOMPARE(child<QRadioButton>(dlg, "DataCommaSeparated")->text(), QString::fromUtf8("カンマ区切り"));
    }
    qApp->removeTranslator(&translator);
}

QTEST_MAIN(TestSaveDataCfg)
#include "tst_savedatacfg.moc"
