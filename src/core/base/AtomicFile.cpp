#include "base/AtomicFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QSaveFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

} // namespace

namespace AtomicFile {

bool writeBytes(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, QStringLiteral("Can't open %1: %2").arg(path, file.errorString()));
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        setError(error, QStringLiteral("Can't write %1: %2").arg(path, file.errorString()));
        file.cancelWriting();
        return false;
    }
    return true;
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
    // Through a symbolic link the file it points to is replaced, not the link.
    const QFileInfo info(target);
    if (info.isSymLink())
        m_target = info.symLinkTarget();
}

TempSibling::~TempSibling()
{
    if (m_created)
        QFile::remove(m_path);
}

bool TempSibling::create(QString* error)
{
    const QFileInfo info(m_target);
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
            if (info.exists())
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
#ifdef Q_OS_WIN
    QFile::remove(m_target);
    const bool renamed = QFile::rename(m_path, m_target);
    const QString why = QStringLiteral("rename failed");
#else
    // rename() replaces the target in one step.
    const bool renamed = std::rename(QFile::encodeName(m_path).constData(),
                                     QFile::encodeName(m_target).constData()) == 0;
    const QString why = QString::fromLocal8Bit(std::strerror(errno));
#endif
    if (!renamed) {
        setError(error, QStringLiteral("Can't write %1: %2").arg(m_target, why));
        return false;
    }
    m_created = false;
    return true;
}
