#include "io/DarkFieldJob.h"

#include "base/LargeBuffer.h"
#include "io/DarkField.h"
#include "io/TiffData.h"

DarkFieldJob::DarkFieldJob(ImageSourcePtr frames, const QString& origin, Done done)
    : m_frames(std::move(frames)), m_origin(origin), m_done(std::move(done))
{
    if (sliceCount() == 0)
        m_error = QStringLiteral("No dark image in %1").arg(origin);
}

qint64 DarkFieldJob::runSlice(int index, const std::atomic<bool>& stop)
{
    if (!m_error.isEmpty() || stop)
        return 1;
    const std::unique_ptr<TiffData> frame = m_frames->read(index, false, [&stop] { return stop.load(); });
    if (!frame) {
        m_error = m_frames->lastError();
        if (m_error.isEmpty())
            m_error = QStringLiteral("Can not read dark image %1 of %2").arg(index).arg(m_origin);
        return 1;
    }
    if (!m_average.add(*frame, &m_error))
        return 1;
    if (index == sliceCount() - 1) {
        m_dark = std::make_shared<const DarkField>(m_average, m_origin);
        // Only the dark stays: the sums and what the frames' reading left
        // free go back.
        m_average = ImageAverage();
        LargeBuffer::trimHeaps();
    }
    return 1;
}

void DarkFieldJob::finish(bool stopped)
{
    if (!m_done)
        return;
    if (stopped)
        m_done(nullptr, QString());
    else if (!m_error.isEmpty() || !m_dark)
        m_done(nullptr, m_error.isEmpty() ? QStringLiteral("No dark image in %1").arg(m_origin) : m_error);
    else
        m_done(m_dark, QString());
}

std::shared_ptr<const DarkField> DarkFieldJob::runHere(QString* error)
{
    const std::atomic<bool> stop{false};
    for (int i = 0; i < sliceCount(); ++i)
        runSlice(i, stop);
    if (error)
        *error = m_error.isEmpty() && !m_dark ? QStringLiteral("No dark image in %1").arg(m_origin) : m_error;
    return m_error.isEmpty() ? m_dark : nullptr;
}
