#pragma once

#include <QString>
#include <QStringList>
#include <memory>

// A compound document (OLE2 structured storage) open for reading. Streams
// are named by their storage path ("ImageInfo/Energy"); their sizes come
// from the file's directory, so a caller can check them before allocating.
// One object is used by one thread at a time; each reader opens its own.
class OleFile
{
public:
    OleFile();
    ~OleFile();
    OleFile(const OleFile&) = delete;
    OleFile& operator=(const OleFile&) = delete;

    // Whether the file starts with the compound document signature.
    static bool hasSignature(const QString& path);

    // False, with a message naming the file, when it cannot be opened or is
    // no compound document.
    bool open(const QString& path, QString* error);
    void close();
    bool isOpen() const;

    // Size in bytes of stream `path`, -1 when there is no such stream (a
    // storage is no stream).
    qint64 streamSize(const QString& path) const;
    // Names of the entries of storage `path` ("" is the root); empty when
    // there is no such storage.
    QStringList children(const QString& path) const;
    // The first `bytes` bytes of stream `path` into `out`; false when the
    // stream is missing, shorter or cannot be read.
    bool read(const QString& path, void* out, qint64 bytes) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
