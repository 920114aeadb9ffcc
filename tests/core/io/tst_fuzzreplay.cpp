// Replays every input the fuzzers keep (the committed corpora and the inputs
// that once crashed or hung a reader) through the image and spectrum readers:
// none may crash or hang, a read must give a usable result, and every refusal
// must say why on the debug output, naming the file.

#include "DebugCapture.h"
#include "display/ColorScale.h"
#include "io/TiffData.h"
#include "physics/XafsSpectrum.h"

#include <QDirIterator>
#include <QtTest>
#include <cmath>

class TestFuzzReplay : public QObject
{
    Q_OBJECT
private slots:
    void replay_data();
    void replay();
};

void TestFuzzReplay::replay_data()
{
    QTest::addColumn<QString>("file");
    // The other corpora (scripts, text maps, energy maps) replay through
    // their own readers in their subsystems' tests.
    for (const QString& dir : {QStringLiteral(FUZZ_CORPUS_DIR "/image"), QStringLiteral(FUZZ_CORPUS_DIR "/spectrum"),
                               QStringLiteral(REGRESSIONS_DIR)}) {
        QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            if (!file.endsWith(QLatin1String(".md")))
                QTest::newRow(qPrintable(QDir(dir).dirName() + QLatin1Char('/') + file.mid(dir.size() + 1))) << file;
        }
    }
}

void TestFuzzReplay::replay()
{
    QFETCH(QString, file);
    DebugCapture capture;
    if (file.contains(QLatin1String("/image/"))) {
        ColorScale::global();
        TiffData image;
        if (image.read(file)) {
            QVERIFY(image.width() > 0 && image.height() > 0 && image.displayImage());
            QVERIFY(std::isfinite(image.minimum()) && std::isfinite(image.maximum()));
            QVERIFY(image.minimum() <= image.maximum());
            image.setShift(1, -1);
            image.genImage();
        } else {
            QCOMPARE(image.pixelType(), int(TiffData::NoPixels));
            QVERIFY2(DebugCapture::lines().join('\n').contains(file), qPrintable(DebugCapture::lines().join(" | ")));
        }
        return;
    }
    XafsSpectrum s;
    const bool ok = s.load(file);
    QCOMPARE(ok, s.count() > 0);
    QVERIFY2(ok || DebugCapture::lines().join('\n').contains(file), qPrintable(DebugCapture::lines().join(" | ")));
    for (int i = 0; i < s.count(); ++i)
        QVERIFY(std::isfinite(s.x(i)) && std::isfinite(s.y(i)));
    s.normalize(true);
    s.normalize(false);
    QCOMPARE(s.normalized().count(), s.count());
    Spectrum raw;
    const bool scanOk = raw.loadFrom9809(file);
    QCOMPARE(scanOk, raw.count() > 0);
}

QTEST_GUILESS_MAIN(TestFuzzReplay)
#include "tst_fuzzreplay.moc"
