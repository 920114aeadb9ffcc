#include "app/Body.h"
#include "app/Translation.h"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTranslator>
#include <QtTest>

class TestBody : public QObject
{
    Q_OBJECT
private slots:
    void shell();
    void closeEmitsFinishing();
    void japaneseCatalogue();
};

void TestBody::shell()
{
    Body body;
    QCOMPARE(body.windowTitle(), QString("Orvantelle Desk"));
    QCOMPARE(body.size(), QSize(937, 944));
    for (const char* name : {"HWidth", "VWidth", "SeekBar", "ShowData", "ShowI0", "ShowShiftMap",
                             "ShowResAnalysis", "SaveAsTiff", "DeGlitch", "NormalizeEShift", "ExecFourierA"}) {
        if (QString(name) == "SaveAsTiff")
            continue;  // lives in the save configuration window
        QVERIFY2(body.findChild<QWidget*>(name), name);
    }
}

void TestBody::closeEmitsFinishing()
{
    Body body;
    body.show();
    QSignalSpy spy(&body, &Body::finishing);
    body.close();
    QCOMPARE(spy.count(), 1);
}

void TestBody::japaneseCatalogue()
{
    QTranslator translator;
    QVERIFY(installJapanese(*qApp, translator));
    {
        Body body;
        QCOMPARE(body.windowTitle(), QString::fromUtf8("Orvantelle デスク"));
        QCOMPARE(body.findChild<QPushButton*>("ShowAnalyzer")->text(), QString::fromUtf8("解析ウィンドウ"));
        QCOMPARE(qApp->translate("General", "Stop"), QString::fromUtf8("停止"));
    }
    qApp->removeTranslator(&translator);
    Body english;
    QCOMPARE(english.windowTitle(), QString("Orvantelle Desk"));
}

QTEST_MAIN(TestBody)
#include "tst_body.moc"
