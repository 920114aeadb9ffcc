// Replays the energy-map fuzzer's corpus through the reader: no input may
// crash it, a map that is read holds as many values as its header says and
// applies to a result map of that size, and a refusal names the file.

#include "CorpusRows.h"
#include "DebugCapture.h"
#include "grid/Analyzed2DRes.h"
#include "processing/EnergyMapFile.h"

#include <QDir>
#include <QtTest>
#include <cmath>

class TestEmpReplay : public QObject
{
    Q_OBJECT
private slots:
    void replay_data();
    void replay();
};

void TestEmpReplay::replay_data()
{
    addCorpusRows(QStringLiteral(EMP_CORPUS_DIR), 7);
}

void TestEmpReplay::replay()
{
    QFETCH(QString, file);
    for (const int size : {-1, 8}) {
        DebugCapture capture;
        int width = size, height = size;
        EnergyMapFile::Content content;
        if (!EnergyMapFile::read(file, &width, &height, 0.0, &content)) {
            QVERIFY2(DebugCapture::lines().join('\n').contains(file), qPrintable(DebugCapture::lines().join(" | ")));
            continue;
        }
        QCOMPARE(qint64(content.shifts.size()), qint64(content.header.width) * content.header.height);
        QCOMPARE(width, content.header.width);
        // Without an image size the header's size must fit the file's bytes.
        if (size < 0)
            QVERIFY(qint64(content.shifts.size()) <= QFileInfo(file).size() / 2);
        Analyzed2DRes map;
        EnergyMapFile::apply(content, &map);
        QCOMPARE(map.width(), content.header.width);
        QCOMPARE(map.height(), content.header.height);
    }
}

QTEST_GUILESS_MAIN(TestEmpReplay)
#include "tst_empreplay.moc"
