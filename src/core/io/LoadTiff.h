#pragma once

#include "io/ImageSource.h"

#include <QMetaType>
#include <QObject>
#include <QStringList>
#include <QVector>
#include <atomic>

class TiffData;

// An image a request read and the index of its file in the list (of its
// image in the source).
struct LoadedImage {
    TiffData* data = nullptr;
    int fNo = 0;
};
using LoadedImages = QVector<LoadedImage>;
Q_DECLARE_METATYPE(LoadedImages)

// Reads the images of one series in its own thread and hands each finished
// image back by pointer as soon as it is read, so the display can follow the
// loading. Created without a parent and moved to its thread; requests arrive
// by queued calls of loadTiffs() and are served one after the other.
//
// Cancelling: every call of loadTiffs() gets the next request number, 1, 2,
// 3, ..., in the order the calls start. cancelRequestsUpTo(n), callable from
// any thread, cancels every request numbered n or lower, also those still
// waiting in the queue: a running one stops after the image it is reading
// (that image is dropped and no further loaded() or progress() comes from
// it), a waiting one reads nothing. A cancelled request still emits
// finishLoadFiles(), so a caller that counts its requests and their finishes
// knows when images of an old request can no longer arrive. Requests with a
// number above n are not affected. Raising the limit never lowers it.
//
// Reading: a request reads its files on a few threads of its own (decoding
// and the first writes into fresh memory are most of the time, and the
// operating system keeps the files in its cache), a few files ahead of the
// one the loader hands out next; the images still leave in list order, each
// followed by its progress, from the loader's thread.
class LoadTiff : public QObject
{
    Q_OBJECT
public:
    explicit LoadTiff(QObject* parent = nullptr);

    // True while loadTiffs() runs; safe to read from any thread.
    bool busy() const { return m_busy.load(); }

    // Thread-safe; see the class comment.
    void cancelRequestsUpTo(int n);
    // Whether each image renders its display picture as it is read (the
    // default) or when it is first shown; thread-safe.
    void setRenderOnLoad(bool f) { m_renderOnLoad = f; }
    // Threads that read the files of a request (<= 0, the default: one per
    // processor); thread-safe, taken at the start of each request.
    void setReaders(int n) { m_readers = n; }
    // Whether a source request hands its images over in groups, one
    // loadedGroup() and one progress() per group, instead of one loaded()
    // and one progress() per image (the default). The first image leaves
    // alone, the next ones together every handOverMs at most: a queued call
    // and a refresh of the window per image take longer than reading an
    // image of a few hundred KB. Thread-safe, taken at the start of each
    // request.
    void setGroupedHandOver(bool f) { m_grouped = f; }
    static constexpr int handOverMs = 40;

    // Number of files loadTiffs() reads from a list of `fileCount` files:
    // indices cutFirst, cutFirst + skip, ... below fileCount - cutLast.
    static int filesToRead(int fileCount, int skip, int cutFirst, int cutLast);

signals:
    // One image has been read; fNo is the index of its file in the list.
    // The receiver owns `data`.
    void loaded(TiffData* data, int fNo);
    // Images of a source request, in order, when hand-over is grouped. The
    // receiver owns every image.
    void loadedGroup(LoadedImages images);
    // The whole list has been processed (or the request was cancelled).
    void finishLoadFiles();
    // After each file the request looked at: `done` of `asked` files, the
    // ones that failed to read included.
    void progress(int done, int asked);

public slots:
    // Leaves out cutFirst files at the start and cutLast at the end and of
    // the rest reads every skip-th file, starting with the first. A skip
    // below 1 counts as 1 and negative cuts as 0. Files that fail to read are
    // skipped (the reader has said why).
    void loadTiffs(QStringList files, int skip, int cutFirst, int cutLast);
    // The same request for the images of a source (an HDF5 stack) instead
    // of files: image i of its count() with fNo = i, numbered, cancelled,
    // reported and finished like a file list. Images read but not yet handed
    // over when the request is cancelled are dropped with the image being
    // read.
    void loadSource(ImageSourcePtr source);

private:
    void announceFinish();
    bool isCancelled(int request) const { return request <= m_cancelledUpTo.load(); }

    std::atomic<bool> m_busy{false};
    std::atomic<int> m_cancelledUpTo{0};
    std::atomic<bool> m_renderOnLoad{true};
    std::atomic<int> m_readers{0};
    std::atomic<bool> m_grouped{false};
    int m_lastRequest = 0;   // touched only by the loader's thread
};
