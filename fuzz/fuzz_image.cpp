// Reads arbitrary bytes as an image file through TiffData::read and renders
// whatever was read.

#include "io/TiffData.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <tiffio.h>

namespace {

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}
void quietTiff(const char*, const char*, va_list) {}

struct Setup {
    Setup()
    {
        qInstallMessageHandler(quiet);
        TIFFSetErrorHandler(quietTiff);
        TIFFSetWarningHandler(quietTiff);
    }
    QTemporaryDir dir;
};

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Setup setup;
    const QString file = setup.dir.filePath(QStringLiteral("input"));
    {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    TiffData image;
    if (image.read(file)) {
        image.setShift(1, -1);
        image.genImage();
        volatile double v = image.sample(0, 0) + image.sample(int(image.width()), 1);
        (void)v;
    }
    return 0;
}
