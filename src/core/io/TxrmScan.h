#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// What loading a checked TXRM (image stack) or XRM (one image) file will
// do: the images become the I1 series with the file's energies, the
// reference image, when there is one, the I0 series as one flat used at
// every energy.
struct TxrmPlan {
    QString file;
    quint32 width = 0;
    quint32 height = 0;
    // Pixel type of the images as image records take them (1: 16-bit, 3: float).
    int pixelType = 4;
    // The stream of every image in order ("ImageData1/Image1", ...).
    QStringList imageStreams;
    // The energy of every image in eV; empty when the file records none.
    std::vector<double> energies;
    // The reference (flat) image's stream and pixel type; empty when none.
    QString flatStream;
    int flatPixelType = 4;

    int images() const { return imageStreams.size(); }
};

namespace TxrmScan {

// The file's sample type codes (ImageInfo/DataType, ReferenceData/DataType).
constexpr qint32 dataTypeU16 = 5;
constexpr qint32 dataTypeFloat = 10;

// Whether `path` is a compound document (the container of TXRM and XRM).
bool isCompoundFile(const QString& path);

// Checks the file before anything is loaded: it is a compound document; the
// header streams (ImageInfo/ImageWidth, ImageHeight, DataType, the count in
// ImagesTaken or NoOfImages) are there and sane; every image stream
// (ImageData<k>/Image<i>, found in whichever storage holds it) is there and
// holds exactly one image of the stated size and type; the energies
// (ImageInfo/Energy, float32) cover every image and are numbers; the
// reference image (ReferenceData/Image, its own ReferenceData/DataType or,
// without one, the type its size implies) has the images' size. No size is
// taken from the file before it is checked against the streams' lengths.
// False with a message naming the file and the stream at fault.
bool check(const QString& file, TxrmPlan* plan, QString* error);

// "<file>::<stream>", the name an image of the file goes by.
QString imageName(const QString& file, const QString& stream);

}
