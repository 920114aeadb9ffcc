#include "i18n/Translation.h"
#include "savedialog/SaveDataCfg.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTranslator>
#include <QtTest>
#include <functional>

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
    // The controls, their texts and their first state.
    SaveDataCfg dlg;
    QCOMPARE(dlg.windowTitle(), QString("Save Data Configuration"));
    const struct {
        const char *name, *text;
        bool checked;
    } buttons[] = {{"SaveAsTiff", "Save as Tiff", true},
                   {"SaveAsTextData", "Save as Text data", false},
                   {"DataCommaSeparated", "Comma Separated", true},
                   {"DataSpaceSeparated", "Space Separated", false},
                   {"DataXYVal", "X Y Val : 1point/1line", true},
                   {"DataValValVal", "Val1 Val2 Val3... : each Y line", false},
                   {"TiffFixedScale", "Fixed Scale", false},
                   {"TiffAsAnalyzed", "Save as Analyzed Area Size and Resolution", false}};
    for (const auto& e : buttons) {
        auto* b = child<QAbstractButton>(dlg, e.name);
        QVERIFY2(b, e.name);
        QCOMPARE(b->text(), QString(e.text));
        QCOMPARE(b->isChecked(), e.checked);
    }
    QVERIFY(child<QCheckBox>(dlg, "TiffFixedScale") && child<QCheckBox>(dlg, "TiffAsAnalyzed"));
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
    // Three exclusive groups that leave each other alone; the TIFF frame is on with "Save as Tiff" only.
    SaveDataCfg dlg;
    dlg.show();
    const std::pair<const char*, QStringList> clicks[] = {
        {"SaveAsTextData", {"SaveAsTextData", "DataCommaSeparated", "DataXYVal"}},
        {"DataSpaceSeparated", {"SaveAsTextData", "DataSpaceSeparated", "DataXYVal"}},
        {"DataValValVal", {"SaveAsTextData", "DataSpaceSeparated", "DataValValVal"}},
        {"SaveAsTiff", {"SaveAsTiff", "DataSpaceSeparated", "DataValValVal"}}};
    for (const auto& c : clicks) {
        click(child<QRadioButton>(dlg, c.first));
        QStringList on;
        for (const char* name : {"SaveAsTiff", "SaveAsTextData", "DataCommaSeparated", "DataSpaceSeparated",
                                 "DataXYVal", "DataValValVal"})
            if (child<QRadioButton>(dlg, name)->isChecked())
                on << name;
        QCOMPARE(on, c.second);
        QCOMPARE(child<QFrame>(dlg, "TiffCfg")->isEnabled(), c.second.contains("SaveAsTiff"));
    }
}

void TestSaveDataCfg::slotsSetTheirControl()
{
    // Each slot checks its own control; the TIFF frame follows "Save as Tiff".
    SaveDataCfg dlg;
    const std::vector<std::pair<std::function<void(SaveDataCfg&)>, const char*>> steps{
        {[](SaveDataCfg& d) { d.setSaveAsText(); }, "SaveAsTextData"},
        {[](SaveDataCfg& d) { d.setSaveAsTiff(); }, "SaveAsTiff"},
        {[](SaveDataCfg& d) { d.toggledSaveAs(false); }, "SaveAsTextData"},
        {[](SaveDataCfg& d) { d.toggledSaveAs(true); }, "SaveAsTiff"},
        {[](SaveDataCfg& d) { d.setSaveTiffScaleFixed(true); }, "TiffFixedScale"},
        {[](SaveDataCfg& d) { d.setSaveTiffAsAnalyzed(true); }, "TiffAsAnalyzed"},
        {[](SaveDataCfg& d) { d.setSaveTextAsSSV(); }, "DataSpaceSeparated"},
        {[](SaveDataCfg& d) { d.setSaveTextAsCSV(); }, "DataCommaSeparated"},
        {[](SaveDataCfg& d) { d.setSaveTextAsValValVal(); }, "DataValValVal"},
        {[](SaveDataCfg& d) { d.setSaveTextAsXYVal(); }, "DataXYVal"}};
    for (const auto& step : steps) {
        step.first(dlg);
        QVERIFY2(child<QAbstractButton>(dlg, step.second)->isChecked(), step.second);
        QCOMPARE(child<QFrame>(dlg, "TiffCfg")->isEnabled(), child<QRadioButton>(dlg, "SaveAsTiff")->isChecked());
    }
    dlg.setSaveTiffScaleMin(-0.000123456789);
    QCOMPARE(child<QLineEdit>(dlg, "TiffScaleMin")->text(), QString("-0.000123457"));
    dlg.setSaveTiffScaleMax(2500000.0);
    QCOMPARE(child<QLineEdit>(dlg, "TiffScaleMax")->text(), QString("2.5e+06"));
}

void TestSaveDataCfg::settingsReadTheForm()
{
    // settings() reads every control; a scale that is not a number reads as 0.
    const auto flags = [](const SaveDataSettings& s) {
        return QVector<bool>{s.saveAsTiff, s.commaSeparated, s.xyVal, s.tiffFixedScale, s.tiffAsAnalyzed};
    };
    SaveDataCfg dlg;
    SaveDataSettings s = dlg.settings();
    QCOMPARE(flags(s), QVector<bool>({true, true, true, false, false}));
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
    QCOMPARE(flags(s), QVector<bool>({false, false, false, true, true}));
    QCOMPARE(s.textFormat().separator(), ' ');
    QCOMPARE(s.tiffScaleMin, -1.5);
    QCOMPARE(s.tiffScaleMax, 0.0);
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
