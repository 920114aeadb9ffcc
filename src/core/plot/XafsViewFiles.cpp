#include "plot/XafsViewFiles.h"

#include "physics/XafsSpectrum.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

namespace {

void saveOne(QStringList& written, const XafsSpectrum& s, const QString& path, bool energyCorrected)
{
    if (s.isEmpty())
        return;
    if (s.save(path, energyCorrected))
        written << path;
    else
        qWarning().noquote() << "Can not write spectrum file" << path;
}

}

QString XafsViewFiles::fileName(const QString& fname, const QString& tag)
{
    const QFileInfo fi(fname);
    const QString ext = fi.suffix().isEmpty() ? QStringLiteral("dat") : fi.suffix();
    return QDir(fi.absolutePath()).filePath(fi.completeBaseName() + "-" + tag + "." + ext);
}

QStringList XafsViewFiles::save(const QString& fname, const XafsSpectrum& target, const XafsSpectrum& standard,
                                const QVector<const XafsSpectrum*>& extras)
{
    QStringList written;
    if (fname.isEmpty())
        return written;
    saveOne(written, target, fileName(fname, QStringLiteral("T")), true);
    saveOne(written, standard, fileName(fname, QStringLiteral("std")), false);
    for (int i = 0; i < extras.size(); ++i)
        if (extras[i])
            saveOne(written, *extras[i], fileName(fname, QStringLiteral("other%1").arg(i)), false);
    return written;
}
