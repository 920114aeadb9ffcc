#include "base/AtomicFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString systemReason(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

namespace AtomicFile {

bool writeBytes(const QString& path, const QByteArray& bytes, QString* error)
{
    AtomicWriter writer(path);
    if (!writer.open(error))
        return false;
    if (!writer.write(bytes)) {
        setError(error, writer.writeError());
        return false;
    }
    return writer.commit(error);
}

bool saveImage(const QImage& image, const QString& path, QString* error)
{
    const QByteArray format = QFileInfo(path).suffix().toLower().toLatin1();
    if (format.isEmpty() || !QImageWriter::supportedImageFormats().contains(format)) {
        setError(error, QStringLiteral("Can't save %1: no image writer for \"%2\"")
                            .arg(path, QString::fromLatin1(format)));
        return false;
    }
    if (image.isNull()) {
        setError(error, QStringLiteral("Can't save %1: no picture").arg(path));
        return false;
    }
    // Encoded in memory first: the encoder never meets a failing disk, and
    // the file is written in one piece.
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image)) {
        setError(error, QStringLiteral("Can't write %1: %2").arg(path, writer.errorString()));
        return false;
    }
    return writeBytes(path, encoded, error);
}

}

TempSibling::TempSibling(const QString& target)
    : m_target(target)
{
}

TempSibling::~TempSibling()
{
    discard();
}

void TempSibling::discard()
{
    if (m_created)
        QFile::remove(m_path);
    m_created = false;
}

bool TempSibling::create(QString* error)
{
    const QFileInfo info(m_target);
    if (info.fileName().isEmpty()) {
        setError(error, QStringLiteral("Can't open %1: no file name").arg(m_target));
        return false;
    }
    if (info.isDir() && !info.isSymLink()) {
        setError(error, QStringLiteral("Can't open %1: it is a folder").arg(m_target));
        return false;
    }
    const QString stem = info.absolutePath() + QStringLiteral("/.") + info.fileName();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = stem
            + QStringLiteral(".%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        QFile file(candidate);
        // NewOnly never opens an existing file; the mode is that of a new file.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            file.close();
            m_path = candidate;
            m_created = true;
            // A regular file keeps its mode; a link's target is no model.
            if (info.exists() && !info.isSymLink())
                QFile::setPermissions(m_path, QFile::permissions(m_target));
            return true;
        }
        // Only a name already taken is worth another try.
        if (!QFileInfo::exists(candidate)) {
            setError(error, QStringLiteral("Can't open %1: %2").arg(m_target, file.errorString()));
            return false;
        }
    }
    setError(error, QStringLiteral("Can't open %1: no free temporary name").arg(m_target));
    return false;
}

bool TempSibling::commit(QString* error)
{
    if (!m_created) {
        setError(error, QStringLiteral("Can't write %1: nothing written").arg(m_target));
        return false;
    }
#ifdef Q_OS_UNIX
    // The data must be on the disk before the rename makes it the file, or a
    // crash of the machine could leave an empty file under the old name.
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    const int syncError = errno;
    if (fd >= 0)
        ::close(fd);
    if (!synced) {
        setError(error, QStringLiteral("Can't write %1: %2").arg(m_target, systemReason(syncError)));
        discard();
        return false;
    }
#endif
#ifdef Q_OS_WIN
    QFile::remove(m_target);
    const bool renamed = QFile::rename(m_path, m_target);
    const QString why = QStringLiteral("rename failed");
#else
    // rename() replaces the target in one step; a symbolic link there is
    // replaced itself, never the file it points to.
    const bool renamed = std::rename(QFile::encodeName(m_path).constData(),
                                     QFile::encodeName(m_target).constData()) == 0;
    const QString why = systemReason(errno);
#endif
    if (!renamed) {
        setError(error, QStringLiteral("Can't write %1: %2").arg(m_target, why));
        return false;
    }
    m_created = false;
    return true;
}

AtomicWriter::AtomicWriter(const QString& target)
    : m_temp(target)
{
}

bool AtomicWriter::open(QString* error)
{
    if (!m_temp.create(error))
        return false;
    m_file.setFileName(m_temp.path());
    if (!m_file.open(QIODevice::WriteOnly)) {
        setError(error, QStringLiteral("Can't open %1: %2").arg(m_temp.target(), m_file.errorString()));
        m_temp.discard();
        return false;
    }
    return true;
}

bool AtomicWriter::write(const QByteArray& bytes)
{
    if (m_failed || !m_file.isOpen())
        return false;
    if (m_file.write(bytes) != bytes.size()) {
        m_failed = true;
        m_reason = m_file.errorString();
    }
    return !m_failed;
}

QString AtomicWriter::writeError() const
{
    return QStringLiteral("Can't write %1: %2").arg(m_temp.target(), m_reason);
}

bool AtomicWriter::commit(QString* error)
{
    if (!m_file.isOpen()) {
        setError(error, QStringLiteral("Can't write %1: not open").arg(m_temp.target()));
        return false;
    }
    // Buffered bytes may meet a full disk only now.
    if (!m_failed && !m_file.flush()) {
        m_failed = true;
        m_reason = m_file.errorString();
    }
    m_file.close();
    if (!m_failed && m_file.error() != QFileDevice::NoError) {
        m_failed = true;
        m_reason = m_file.errorString();
    }
    if (m_failed) {
        setError(error, writeError());
        m_temp.discard();
        return false;
    }
    return m_temp.commit(error);
}

void AtomicWriter::cancel()
{
    m_file.close();
    m_temp.discard();
}
