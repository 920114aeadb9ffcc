#pragma once

#include "DemoModel.h"

#include <QByteArray>
#include <QString>
#include <map>
#include <vector>

// Compound documents in the microscope's TXRM/XRM layout, written with
// libgsf's OLE2 writer:
//   ImageInfo/ImageWidth, ImageHeight, DataType (5: uint16, 10: float32),
//             ImagesTaken, NoOfImages (int32), Energy (float32 per image, eV)
//   ImageData<k>/Image<i>  the samples of image i (1-based), row after row,
//             imagesPerStorage images to a storage (ImageData1 holds the first)
//   ReferenceData/Image, DataType  the flat and its own sample type
// All numbers little-endian. The tests build broken files by editing the
// stream map before writing it.
namespace DemoTxrm {

// Stream path ("ImageInfo/Energy", at most one storage deep) -> contents.
using Streams = std::map<QString, QByteArray>;

QByteArray int32(qint32 v);
QByteArray floats(const std::vector<float>& v);
QByteArray words(const std::vector<quint16>& v);

struct Scan {
    qint32 width = 0;
    qint32 height = 0;
    qint32 dataType = 5;
    std::vector<float> energies;      // eV, one per image
    std::vector<QByteArray> images;   // samples of each image
    QByteArray flat;                  // empty: no reference image
    qint32 flatDataType = 0;          // 0: no ReferenceData/DataType stream
    int imagesPerStorage = 100;
};

Streams streams(const Scan& scan);

// Writes the streams as a compound document. False with a reason.
bool writeCompound(const QString& path, const Streams& streams, QString* error);

// The demo measurement as one TXRM file: the I1 counts as 16-bit images with
// the scan's energies (more than 100 images fill several storages) and, as
// the reference image, the mean of the I0 counts over the energies in float.
bool write(const DemoModel& model, bool noise, const QString& path, QString* error);

}
