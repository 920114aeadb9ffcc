#include "io/LoadTiff.h"

#include "io/TiffData.h"

#include <algorithm>
#include <memory>

LoadTiff::LoadTiff(QObject* parent)
    : QObject(parent)
{
}

void LoadTiff::cancelRequestsUpTo(int n)
{
    int current = m_cancelledUpTo.load();
    while (n > current && !m_cancelledUpTo.compare_exchange_weak(current, n)) {
    }
}

int LoadTiff::filesToRead(int fileCount, int skip, int cutFirst, int cutLast)
{
    const qint64 step = std::max(skip, 1);
    const qint64 first = std::max(cutFirst, 0);
    const qint64 end = qint64(fileCount) - std::max(cutLast, 0);
    if (end <= first)
        return 0;
    return int((end - first + step - 1) / step);
}

void LoadTiff::loadTiffs(QStringList files, int skip, int cutFirst, int cutLast)
{
    const int request = ++m_lastRequest;
    m_busy = true;

    const int asked = filesToRead(files.size(), skip, cutFirst, cutLast);
    const qint64 step = std::max(skip, 1);
    qint64 i = std::max(cutFirst, 0);
    for (int done = 0; done < asked && !isCancelled(request); ++done, i += step) {
        auto data = std::make_unique<TiffData>();
        const bool ok = data->read(files[int(i)], m_renderOnLoad.load());
        if (isCancelled(request))
            break;
        if (ok)
            emit loaded(data.release(), int(i));
        emit progress(done + 1, asked);
    }

    m_busy = false;
    emit finishLoadFiles();
}

void LoadTiff::loadSource(ImageSourcePtr source)
{
    const int request = ++m_lastRequest;
    m_busy = true;
    const int asked = source ? source->count() : 0;
    const auto cancelled = [this, request] { return isCancelled(request); };
    for (int i = 0; i < asked && !isCancelled(request); ++i) {
        std::unique_ptr<TiffData> data = source->read(i, m_renderOnLoad.load(), cancelled);
        if (isCancelled(request))
            break;
        if (data)
            emit loaded(data.release(), i);
        emit progress(i + 1, asked);
    }
    m_busy = false;
    emit finishLoadFiles();
}
