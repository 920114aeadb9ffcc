#include "batch/BatchScriptFile.h"

#include "base/AtomicFile.h"
#include "base/FileCheck.h"
#include "base/FileNameCodec.h"
#include "batch/BatchInterpreter.h"

#include <QFile>
#include <QFileInfo>
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
    // Not in text mode: that drops every CR, and a CR alone ends a line.
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    QTextStream in(&file);
    // UTF-8 that keeps bytes outside it, as in file names: a script may name
    // files whose names are not UTF-8, and is saved back byte for byte.
    in.setCodec(FileNameCodec::utf8KeepingBytes());
    QString all = in.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    if (all.size() > maxBytes)
        return fail(QStringLiteral("file too large"));
    // Lines end at LF, CR LF or a CR alone (old Mac files), as in the
    // spectrum files; the editor and the interpreter see LF only.
    all.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    all.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (!all.isEmpty() && !all.endsWith(QLatin1Char('\n')))
        all += QLatin1Char('\n');
    // A line the interpreter would refuse is refused here, before the
    // editor has to lay out megabytes of one line.
    int lineNo = 1;
    for (int from = 0; from < all.size(); ++lineNo) {
        const int end = all.indexOf(QLatin1Char('\n'), from);
        if (end - from > BatchInterpreter::maxLineLength) {
            return fail(QStringLiteral("line %1 is longer than %2 characters")
                            .arg(lineNo)
                            .arg(BatchInterpreter::maxLineLength));
        }
        from = end + 1;
    }
    *text = all;
    return true;
}

bool write(const QString& fileName, const QString& text, QString* error)
{
    QString why;
    if (!AtomicFile::writeBytes(fileName, FileNameCodec::utf8KeepingBytes()->fromUnicode(text), &why)) {
        if (error)
            *error = QStringLiteral("Can not save %1 (%2)").arg(fileName, why);
        return false;
    }
    return true;
}

}
