// Replays every input the fuzzers keep (the committed corpora and the inputs
// that once crashed or hung a reader) through the image and spectrum readers:
// none may crash or hang, a successful read must give a usable result, and
// every refusal must say why on the debug output, naming the file.

#include "DebugCapture.h"
#include "io/TiffData.h"
#include "physics/XafsSpectrum.h"
#include "widgets/ColorScale.h"

#include <QDir>
#include <QDirIterator>
#include <QtTest>
#include <cmath>

namespace {

QStringList filesUnder(const QStringList& dirs)
{
    QStringList files;
    for (const QString& dir : dirs) {
        QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            if (!file.endsWith(QLatin1String(".md")))
                files << file;
        }
    }
    files.sort();
    return files;
}

bool namesFile(const QStringList& lines, const QString& file)
{
    for (const QString& line : lines)
        if (line.contains(file))
            return true;
    return false;
}

} // namespace

class TestFuzzReplay : public QObject
{
    Q_OBJECT
private slots:
    void images();
    void spectra();
};

void TestFuzzReplay::images()
{
    const QStringList files = filesUnder({QStringLiteral(FUZZ_CORPUS_DIR "/image"), QStringLiteral(REGRESSIONS_DIR "/image")});
    QVERIFY(files.size() >= 6);
    ColorScale::global();
    int read = 0;
    for (const QString& file : files) {
        DebugCapture capture;
        TiffData image;
        if (image.read(file)) {
            ++read;
            QVERIFY2(image.width() > 0 && image.height() > 0, qPrintable(file));
            QVERIFY2(std::isfinite(image.minimum()) && std::isfinite(image.maximum()), qPrintable(file));
            QVERIFY2(image.minimum() <= image.maximum(), qPrintable(file));
            QVERIFY2(image.displayImage(), qPrintable(file));
            image.setShift(1, -1);
            image.genImage();
        } else {
            QCOMPARE(image.pixelType(), int(TiffData::NoPixels));
            QVERIFY2(namesFile(DebugCapture::lines(), file), qPrintable(file + ": " + DebugCapture::lines().join(" | ")));
        }
    }
    QVERIFY(read > 0);
}

void TestFuzzReplay::spectra()
{
    const QStringList files =
        filesUnder({QStringLiteral(FUZZ_CORPUS_DIR "/spectrum"), QStringLiteral(REGRESSIONS_DIR "/spectrum")});
    QVERIFY(!files.isEmpty());
    for (const QString& file : files) {
        DebugCapture capture;
        XafsSpectrum s;
        const bool ok = s.load(file);
        QCOMPARE(ok, s.count() > 0);
        if (!ok)
            QVERIFY2(namesFile(DebugCapture::lines(), file), qPrintable(file + ": " + DebugCapture::lines().join(" | ")));
        for (int i = 0; i < s.count(); ++i)
            QVERIFY2(std::isfinite(s.x(i)) && std::isfinite(s.y(i)), qPrintable(file));
        s.normalize(true);
        s.normalize(false);
        QCOMPARE(s.normalized().count(), s.count());
        Spectrum raw;
        const bool scanOk = raw.loadFrom9809(file);
        QCOMPARE(scanOk, raw.count() > 0);
    }
}

QTEST_GUILESS_MAIN(TestFuzzReplay)
#include "tst_fuzzreplay.moc"
