#include "batch/BatchScriptFile.h"

#include "base/FileCheck.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace BatchScriptFile {

bool read(const QString& fileName, QString* text, QString* error)
{
    const auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("Can not load %1: %2").arg(fileName, why);
        return false;
    };
    // A named pipe would block the read: only regular files are opened.
    QString reason;
    if (!checkReadableFile(fileName, &reason)) {
        if (error)
            *error = QStringLiteral("Can not load script: ") + reason;
        return false;
    }
    if (QFileInfo(fileName).size() > maxBytes)
        return fail(QStringLiteral("file too large"));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return fail(file.errorString());
    QTextStream in(&file);
    in.setCodec("UTF-8");
    QString all;
    QString line;
    while (in.readLineInto(&line)) {
        all += line;
        all += QLatin1Char('\n');
        if (all.size() > maxBytes)
            return fail(QStringLiteral("file too large"));
    }
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    *text = all;
    return true;
}

bool write(const QString& fileName, const QString& text, QString* error)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (error)
            *error = QStringLiteral("Can not save %1: %2").arg(fileName, file.errorString());
        return false;
    }
    file.write(text.toUtf8());
    if (!file.commit()) {
        if (error)
            *error = QStringLiteral("Can not save %1: %2").arg(fileName, file.errorString());
        return false;
    }
    return true;
}

}
