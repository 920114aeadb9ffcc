#pragma once

#include "io/ImageContent.h"

#include <QString>

// The three image-file readers and the recognition of a file's format by its
// first bytes. Each reader fills `out` and returns true only when the whole
// image was read; failures write their fixed message to the debug output.
namespace ImageReaders {

enum class Format { Unknown, Tiff, Im, Cttr };

// Bytes needed to recognise a format.
constexpr int headSize = 15;

// "II"/"MM": TIFF, "IM": IM, text starting with "#CTTR-CTImg": CTTR.
Format recognise(const char* head, int size);

// What an unrecognised file seems to be ("a PNG image", "UTF-16 text", ...),
// or empty when nothing is recognisable; for the rejection message.
QString unknownContent(const char* head, int size);

// "Image has no pixels. (h,w) = <h> <w> <file>": a width or height below 1.
void reportNoPixels(qint64 height, qint64 width, const QString& fileName);
// "Image of <h> x <w> pixels is larger than the 268435456 pixels an image may
// have : <file>".
void reportTooLarge(qint64 height, qint64 width, const QString& fileName);
// "Not enough memory for an image of <h> x <w> pixels : <file>".
void reportNoMemory(qint64 height, qint64 width, const QString& fileName);

// Baseline TIFF, single-sample 16-bit unsigned only (pixel type 0).
bool readTiff(const QString& fileName, ImageContent& out);
// Binary IM image with a text comment (pixel type 1 or 2).
bool readIm(const QString& fileName, ImageContent& out);
// "#CTTR-CTImg" text image (pixel type 3).
bool readCttr(const QString& fileName, ImageContent& out);

}
