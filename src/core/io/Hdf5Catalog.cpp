#include "io/Hdf5Catalog.h"

#include "base/FileCheck.h"
#include "io/Hdf5Handle.h"
#include "io/Hdf5Probe.h"
#include "io/Hdf5Read.h"

#include <QFile>
#include <algorithm>

QString Hdf5Dataset::shapeText() const
{
    QStringList parts;
    for (qint64 d : dims)
        parts << QString::number(d);
    return parts.isEmpty() ? QStringLiteral("scalar") : parts.join(QStringLiteral(" x "));
}

QString Hdf5Dataset::typeText() const
{
    switch (kind) {
    case Unsigned:
        return QStringLiteral("uint%1").arg(bytes * 8);
    case Signed:
        return QStringLiteral("int%1").arg(bytes * 8);
    case Float:
        return QStringLiteral("float%1").arg(bytes * 8);
    case Text:
        return QStringLiteral("string");
    case Other:
        break;
    }
    return QStringLiteral("other");
}

namespace Hdf5Catalog {

bool isHdf5(const QString& fileName)
{
    static const char signature[] = "\x89HDF\r\n\x1a\n";
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    // The superblock may follow a user block of 512, 1024, 2048, ... bytes.
    for (qint64 at = 0; at <= 8192 && at < f.size(); at = at ? at * 2 : 512) {
        if (!f.seek(at))
            return false;
        if (f.read(8) == QByteArray(signature, 8))
            return true;
    }
    return false;
}

namespace {

struct Visit {
    hid_t file;
    QVector<Hdf5Dataset>* out;
};

herr_t visitObject(hid_t, const char* name, const H5O_info_t* info, void* data)
{
    auto* v = static_cast<Visit*>(data);
    if (info->type != H5O_TYPE_DATASET)
        return 0;
    Hdf5Dataset d;
    if (Hdf5Read::describe(v->file, QLatin1Char('/') + QString::fromUtf8(name), &d))
        v->out->append(d);
    return 0;
}

}

bool listUnprobed(const QString& fileName, QVector<Hdf5Dataset>* out, QString* error)
{
    Hdf5Quiet quiet;
    const Hdf5Id file = Hdf5Read::openFile(fileName, error);
    if (!file)
        return false;
    Visit v{file.get(), out};
    if (H5Ovisit2(file.get(), H5_INDEX_NAME, H5_ITER_INC, visitObject, &v, H5O_INFO_BASIC) < 0) {
        *error = QStringLiteral("Can not list the datasets of %1").arg(fileName);
        return false;
    }
    std::sort(out->begin(), out->end(), [](const Hdf5Dataset& a, const Hdf5Dataset& b) { return a.path < b.path; });
    return true;
}

bool list(const QString& fileName, QVector<Hdf5Dataset>* out, QString* error)
{
    out->clear();
    if (refuseNonRegularFile(fileName) || !QFile::exists(fileName)) {
        *error = QStringLiteral("Can not open %1").arg(fileName);
        return false;
    }
    if (!isHdf5(fileName)) {
        *error = QStringLiteral("%1 is not an HDF5 file").arg(fileName);
        return false;
    }
    if (!Hdf5Probe::listSurvives(fileName, error))
        return false;
    return listUnprobed(fileName, out, error);
}

const Hdf5Dataset* find(const QVector<Hdf5Dataset>& sets, const QString& path)
{
    const QString key = path.startsWith(QLatin1Char('/')) ? path : QLatin1Char('/') + path;
    for (const Hdf5Dataset& d : sets)
        if (d.path == key)
            return &d;
    return nullptr;
}

}
