#include "io/Hdf5Read.h"

#include <QFile>

namespace Hdf5Read {

Hdf5Id openFile(const QString& fileName, QString* error)
{
    if (H5Fis_hdf5(QFile::encodeName(fileName).constData()) <= 0) {
        *error = QStringLiteral("%1 is not an HDF5 file").arg(fileName);
        return Hdf5Id();
    }
    Hdf5Id file = Hdf5Id::file(H5Fopen(QFile::encodeName(fileName).constData(), H5F_ACC_RDONLY, H5P_DEFAULT));
    if (!file)
        *error = QStringLiteral("Can not open the HDF5 file %1").arg(fileName);
    return file;
}

Hdf5Id openDataset(hid_t file, const QString& path)
{
    const QByteArray name = path.toUtf8();
    // H5Lexists fails on a missing intermediate group: walk the path.
    QByteArray prefix;
    for (const QByteArray& part : name.split('/')) {
        if (part.isEmpty())
            continue;
        prefix += '/' + part;
        if (H5Lexists(file, prefix.constData(), H5P_DEFAULT) <= 0)
            return Hdf5Id();
    }
    if (prefix.isEmpty())
        return Hdf5Id();
    H5O_info_t info;
    if (H5Oget_info_by_name2(file, prefix.constData(), &info, H5O_INFO_BASIC, H5P_DEFAULT) < 0
        || info.type != H5O_TYPE_DATASET)
        return Hdf5Id();
    return Hdf5Id::dataset(H5Dopen2(file, prefix.constData(), H5P_DEFAULT));
}

QStringList missingFilters(hid_t dcpl, QVector<int>* ids)
{
    QStringList missing;
    const int n = H5Pget_nfilters(dcpl);
    for (int i = 0; i < n; ++i) {
        unsigned flags = 0;
        size_t values = 0;
        char name[64] = {0};
        unsigned config = 0;
        const H5Z_filter_t id = H5Pget_filter2(dcpl, unsigned(i), &flags, &values, nullptr, sizeof name, name, &config);
        if (id < 0)
            continue;
        if (ids)
            ids->append(int(id));
        // Asking for a filter loads its plugin when there is one.
        if (H5Zfilter_avail(id) <= 0)
            missing << (name[0] ? QStringLiteral("%1 (%2)").arg(id).arg(QString::fromUtf8(name).left(40))
                                : QString::number(id));
    }
    return missing;
}

bool describe(hid_t file, const QString& path, Hdf5Dataset* out)
{
    const Hdf5Id set = openDataset(file, path);
    if (!set)
        return false;
    *out = Hdf5Dataset();
    out->path = path;
    const Hdf5Id space = Hdf5Id::space(H5Dget_space(set.get()));
    const int rank = space ? H5Sget_simple_extent_ndims(space.get()) : -1;
    if (rank > 0 && rank <= 32) {
        hsize_t dims[32];
        H5Sget_simple_extent_dims(space.get(), dims, nullptr);
        for (int i = 0; i < rank; ++i)
            out->dims.append(qint64(dims[i]));
    }
    const Hdf5Id type = Hdf5Id::type(H5Dget_type(set.get()));
    if (type) {
        out->bytes = int(H5Tget_size(type.get()));
        switch (H5Tget_class(type.get())) {
        case H5T_INTEGER:
            out->kind = H5Tget_sign(type.get()) == H5T_SGN_NONE ? Hdf5Dataset::Unsigned : Hdf5Dataset::Signed;
            break;
        case H5T_FLOAT:
            out->kind = Hdf5Dataset::Float;
            break;
        case H5T_STRING:
            out->kind = Hdf5Dataset::Text;
            break;
        default:
            out->kind = Hdf5Dataset::Other;
            break;
        }
    }
    out->units = Hdf5Text::stringAttribute(set.get(), "units");
    if (out->units.isEmpty())
        out->units = Hdf5Text::stringAttribute(set.get(), "unit");
    const Hdf5Id dcpl = Hdf5Id::plist(H5Dget_create_plist(set.get()));
    if (dcpl)
        out->missingFilters = missingFilters(dcpl.get(), &out->filters);
    return true;
}

int pixelTypeFor(Hdf5Dataset::Kind kind, int bytes)
{
    if (kind == Hdf5Dataset::Unsigned && bytes <= 2)
        return 1;
    if (kind == Hdf5Dataset::Unsigned && bytes == 4)
        return 2;
    return 3;
}

hid_t memoryType(int pixelType)
{
    switch (pixelType) {
    case 0:
    case 1:
        return H5T_NATIVE_UINT16;
    case 2:
        return H5T_NATIVE_UINT32;
    default:
        return H5T_NATIVE_FLOAT;
    }
}

bool readDoubles(hid_t file, const QString& fileName, const QString& path, std::vector<double>* out, QString* error)
{
    out->clear();
    Hdf5Dataset d;
    const Hdf5Id set = openDataset(file, path);
    if (!set || !describe(file, path, &d)) {
        *error = QStringLiteral("%1: no dataset %2").arg(fileName, path);
        return false;
    }
    if (!d.isNumeric()) {
        *error = QStringLiteral("%1: dataset %2 holds %3 values, not numbers").arg(fileName, path, d.typeText());
        return false;
    }
    if (!d.missingFilters.isEmpty()) {
        *error = QStringLiteral("%1: dataset %2 needs a filter this program cannot apply: %3")
                     .arg(fileName, path, d.missingFilters.join(QStringLiteral(", ")));
        return false;
    }
    qint64 n = 1;
    for (qint64 v : d.dims)
        n *= v;
    // Energy lists are short; anything huge is not one.
    if (n > (qint64(1) << 24)) {
        *error = QStringLiteral("%1: dataset %2 is too large for a list of values").arg(fileName, path);
        return false;
    }
    out->resize(size_t(n));
    if (n > 0 && H5Dread(set.get(), H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, H5P_DEFAULT, out->data()) < 0) {
        *error = QStringLiteral("%1: can not read dataset %2").arg(fileName, path);
        out->clear();
        return false;
    }
    return true;
}

}
