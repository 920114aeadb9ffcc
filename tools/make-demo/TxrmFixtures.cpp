// txrm-fixtures DIR: writes the small TXRM/XRM files the reader's tests use.
// Their samples follow simple formulas that the tests repeat:
//   image i (0-based), pixel (x, y): 1000 + 100 i + 10 y + x (+ 0.25 in float)
//   flat: 5000 + 3 y + 2 x (+ 0.5 in float); energy of image i: 7100 + 10 i eV
#include "DemoTxrm.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

namespace {

constexpr int width = 8;
constexpr int height = 6;

QByteArray image(int i, bool asFloat)
{
    std::vector<quint16> w;
    std::vector<float> f;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            w.push_back(quint16(1000 + 100 * i + 10 * y + x));
            f.push_back(float(w.back()) + 0.25f);
        }
    return asFloat ? DemoTxrm::floats(f) : DemoTxrm::words(w);
}

QByteArray flat(bool asFloat)
{
    std::vector<quint16> w;
    std::vector<float> f;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            w.push_back(quint16(5000 + 3 * y + 2 * x));
            f.push_back(float(w.back()) + 0.5f);
        }
    return asFloat ? DemoTxrm::floats(f) : DemoTxrm::words(w);
}

DemoTxrm::Scan scan(int images, bool asFloat)
{
    DemoTxrm::Scan s;
    s.width = width;
    s.height = height;
    s.dataType = asFloat ? 10 : 5;
    for (int i = 0; i < images; ++i) {
        s.images.push_back(image(i, asFloat));
        s.energies.push_back(float(7100 + 10 * i));
    }
    return s;
}

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 2) {
        std::fputs("Usage: txrm-fixtures DIR\n", stderr);
        return 2;
    }
    const QDir dir(app.arguments().at(1));
    QString error;
    // Three 16-bit images in one storage, a float flat with its own type.
    DemoTxrm::Scan three = scan(3, false);
    three.flat = flat(true);
    three.flatDataType = 10;
    // Five float images, three to a storage, a 16-bit flat without a type
    // stream of its own.
    DemoTxrm::Scan five = scan(5, true);
    five.imagesPerStorage = 3;
    five.flat = flat(false);
    // One image, no flat, no count streams: an XRM.
    DemoTxrm::Streams one = DemoTxrm::streams(scan(1, false));
    one.erase(QStringLiteral("ImageInfo/ImagesTaken"));
    one.erase(QStringLiteral("ImageInfo/NoOfImages"));

    const bool ok = DemoTxrm::writeCompound(dir.filePath(QStringLiteral("three_8x6.txrm")), DemoTxrm::streams(three), &error)
        && DemoTxrm::writeCompound(dir.filePath(QStringLiteral("two_storages.txrm")), DemoTxrm::streams(five), &error)
        && DemoTxrm::writeCompound(dir.filePath(QStringLiteral("one_image.xrm")), one, &error);
    if (!ok)
        std::fprintf(stderr, "txrm-fixtures: %s\n", qPrintable(error));
    return ok ? 0 : 1;
}
