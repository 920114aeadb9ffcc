#include "output/SaveFileJob.h"

#include "base/AtomicFile.h"
#include "base/LogCategories.h"

#include <QDebug>

SaveFileJob::SaveFileJob(const QString& path)
    : m_file(std::make_unique<AtomicWriter>(path))
{
    m_result.path = path;
    QString error;
    if (!m_file->open(&error)) {
        qCDebug(lcOutput).noquote() << "Can't open" << path;
        fail(error);
        m_file.reset();
    }
}

SaveFileJob::~SaveFileJob()
{
    if (m_file)
        m_file->cancel();
}

bool SaveFileJob::isOpen() const
{
    return bool(m_file);
}

void SaveFileJob::fail(const QString& message)
{
    if (!m_failed.exchange(true))
        m_result.message = message;
}

void SaveFileJob::refuse(const QString& message)
{
    fail(message);
    if (m_file) {
        m_file->cancel();
        m_file.reset();
    }
    m_slices.clear();
}

void SaveFileJob::setSliceCount(int count)
{
    // A file that could not be opened has nothing to compute.
    m_slices.assign(std::size_t(m_file ? qMax(0, count) : 0), QByteArray());
}

void SaveFileJob::writeNow(const QByteArray& bytes)
{
    if (!m_file || m_failed.load())
        return;
    if (!m_file->write(bytes))
        fail(m_file->writeError());
}

void SaveFileJob::deliverSlice(int index)
{
    beforeDelivery(index);
    QByteArray bytes;
    std::swap(bytes, m_slices[std::size_t(index)]);
    writeNow(bytes);
}

void SaveFileJob::finish(bool stopped)
{
    if (m_finished)
        return;
    m_finished = true;
    m_result.stopped = stopped;
    if (m_file) {
        QString error;
        if (stopped || m_failed.load())
            m_file->cancel();
        else if (!m_file->commit(&error))
            fail(error);
        m_file.reset();
    }
    m_result.ok = !stopped && !m_failed.load();
    if (stopped && m_result.message.isEmpty())
        m_result.message = QStringLiteral("Stopped; %1 not written").arg(m_result.path);
    if (m_result.ok && m_provenance) {
        QString error;
        if (!Provenance::write(*m_provenance, m_result.path, &error)) {
            m_result.ok = false;
            m_result.message = error;
        }
    }
    if (!m_result.ok)
        qCDebug(lcOutput).noquote() << m_result.message;
    if (m_done)
        m_done(m_result);
}

bool SaveFileJob::runHere()
{
    const std::atomic<bool> stop{false};
    for (int i = 0; i < sliceCount() && !m_failed.load(); ++i) {
        runSlice(i, stop);
        deliverSlice(i);
    }
    finish(false);
    return m_result.ok;
}
