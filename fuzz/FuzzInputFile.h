#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>
#include <cstddef>
#include <cstdint>

// For harnesses of readers that take a path: the input written to `name` in a
// temporary folder kept for the whole run, with Qt's messages silenced (the
// readers warn on nearly every input). Empty when the file cannot be written.
inline QString writeFuzzInput(const char* name, const uint8_t* data, size_t size)
{
    static QTemporaryDir dir = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        return QTemporaryDir();
    }();
    const QString file = dir.filePath(QString::fromLatin1(name));
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    f.write(reinterpret_cast<const char*>(data), qint64(size));
    return file;
}
