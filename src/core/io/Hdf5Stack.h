#pragma once

#include "io/ImageContent.h"

#include <QString>
#include <cstddef>
#include <memory>

struct Hdf5OpenFile;

// The images of one dataset of an HDF5 file, read one at a time into image
// contents: a 3-D dataset (images x height x width) or a 2-D one (a single
// image). Chunked and compressed datasets are read through a chunk cache
// large enough for the chunks one image touches, so that each chunk is
// decompressed once however many images it spans; only one image is in
// memory at a time besides that cache.
//
// Where the dataset allows (see Hdf5DirectRead.h), the images are read
// straight from the file instead, without the library, which lets one call
// in at a time in the whole process: stacks read side by side then read at
// the same time. Both routes give the same samples.
class Hdf5Stack
{
public:
    enum Route { Library, Direct };

    Hdf5Stack();
    ~Hdf5Stack();
    Hdf5Stack(const Hdf5Stack&) = delete;
    Hdf5Stack& operator=(const Hdf5Stack&) = delete;

    // Opens `dataset` of `file`. False, with a message naming both, when
    // the file is no HDF5 file, the dataset is missing, has another rank,
    // holds no numbers, has images of no pixels or larger than any reader
    // takes, or needs a filter this program cannot apply.
    // `allowed` Library keeps every read in the library. With `opened`, the
    // same file held open already, the dataset is opened through it.
    bool open(const QString& file, const QString& dataset, QString* error, Route allowed = Direct,
              const Hdf5OpenFile* opened = nullptr);
    void close();
    bool isOpen() const;
    // The route the images of the open dataset take.
    Route route() const;

    int count() const;
    quint32 width() const;
    quint32 height() const;
    // Pixel type of the contents read (16-bit, 32-bit unsigned or float).
    int pixelType() const;

    // Reads image i (0 <= i < count()) into `out`, with its value range,
    // its samples cut from `slabs` when given. False, with a message naming
    // the file, the dataset and the image.
    bool read(int i, ImageContent& out, QString* error, SampleSlabs* slabs = nullptr);

    // "<file>::<dataset>[i]", the name an image of the stack goes by.
    static QString imageName(const QString& file, const QString& dataset, int i);
    // Direct reads take uncompressed images in pieces of about this many
    // bytes (256 KB), taking each piece's range while it is in the cache;
    // tests make pieces small.
    static void setDirectPieceBytes(std::size_t bytes);

private:
    bool openDirect();

    struct Impl;
    std::unique_ptr<Impl> d;
};
