#include "base/FileCheck.h"
#include "base/LogCategories.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#endif

namespace FileCheck {

Kind kindOf(const QString& path)
{
    if (path.isEmpty())
        return Kind::Missing;
#if defined(Q_OS_UNIX)
    // stat() follows symbolic links and, unlike an open, never blocks.
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return Kind::Missing;
    if (S_ISREG(st.st_mode))
        return Kind::Regular;
    if (S_ISDIR(st.st_mode))
        return Kind::Directory;
    if (S_ISFIFO(st.st_mode))
        return Kind::NamedPipe;
    if (S_ISCHR(st.st_mode))
        return Kind::CharacterDevice;
    if (S_ISBLK(st.st_mode))
        return Kind::BlockDevice;
    if (S_ISSOCK(st.st_mode))
        return Kind::Socket;
    return Kind::Other;
#else
    const QFileInfo info(path);
    if (!info.exists())
        return Kind::Missing;
    if (info.isDir())
        return Kind::Directory;
    return info.isFile() ? Kind::Regular : Kind::Other;
#endif
}

QString describe(Kind kind)
{
    switch (kind) {
    case Kind::Regular: return QStringLiteral("a regular file");
    case Kind::Missing: return QStringLiteral("nothing there");
    case Kind::Directory: return QStringLiteral("a directory");
    case Kind::NamedPipe: return QStringLiteral("a named pipe");
    case Kind::CharacterDevice: return QStringLiteral("a character device");
    case Kind::BlockDevice: return QStringLiteral("a block device");
    case Kind::Socket: return QStringLiteral("a socket");
    case Kind::Other: break;
    }
    return QStringLiteral("a special file");
}

} // namespace FileCheck

namespace {

QString notRegular(FileCheck::Kind kind, const QString& path)
{
    return QStringLiteral("Not a regular file (%1) : ").arg(FileCheck::describe(kind)) + path;
}

} // namespace

bool checkReadableFile(const QString& path, QString* reason)
{
    const FileCheck::Kind kind = FileCheck::kindOf(path);
    if (kind == FileCheck::Kind::Regular)
        return true;
    if (reason)
        *reason = kind == FileCheck::Kind::Missing ? QStringLiteral("No such file : ") + path : notRegular(kind, path);
    return false;
}

bool refuseNonRegularFile(const QString& path)
{
    const FileCheck::Kind kind = FileCheck::kindOf(path);
    if (kind == FileCheck::Kind::Regular || kind == FileCheck::Kind::Missing)
        return false;
    qCDebug(lcBase).noquote() << notRegular(kind, path);
    return true;
}
