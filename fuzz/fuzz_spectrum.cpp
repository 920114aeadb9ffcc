// Feeds arbitrary bytes to the spectrum file readers: the bytes are written to
// a temporary file, read with format detection, normalised in both background
// forms, and read once more by the "9809" reader directly.
#include "physics/XafsSpectrum.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QtGlobal>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {

void dropMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

QString scratchPath()
{
    static const QString path =
        QDir::temp().filePath(QStringLiteral("fuzz_spectrum_%1.dat").arg(qint64(::getpid())));
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool init = [] {
        qInstallMessageHandler(dropMessages);
        scratchPath(); // constructed before the exit handler that uses it
        std::atexit([] { QFile::remove(scratchPath()); });
        return true;
    }();
    (void)init;

    const QString path = scratchPath();
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }

    XafsSpectrum s;
    s.load(path);
    s.normalize(true);
    double sink = s.e0() + s.jump() + s.doubleNormalizedPreBase(s.e0()) + s.valueAt(s.e0());
    s.normalize(false);
    sink += s.crossingEnergy(0.5, Spectrum::Either) + s.normalized().valueAt(7000.0);
    const XafsSpectrum built(s, true, 1.0);
    sink += built.jump();

    Spectrum raw;
    raw.loadFrom9809(path);
    sink += raw.valueAt(8000.0);
    volatile double keep = sink;
    (void)keep;
    return 0;
}
