#include "output/MapsHdf5File.h"

#include "base/AtomicFile.h"
#include "grid/Analyzed2DRes.h"
#include "io/Hdf5Handle.h"
#include "output/GridAxes.h"

#include <QFile>

namespace MapsHdf5File {

namespace {

// Variable-length UTF-8, so that h5py and other readers get text, not bytes.
bool setText(hid_t obj, const char* name, const QString& value)
{
    const QByteArray utf8 = value.toUtf8();
    const Hdf5Id type = Hdf5Id::type(H5Tcopy(H5T_C_S1));
    H5Tset_size(type.get(), H5T_VARIABLE);
    H5Tset_cset(type.get(), H5T_CSET_UTF8);
    const Hdf5Id space = Hdf5Id::space(H5Screate(H5S_SCALAR));
    const Hdf5Id attr = Hdf5Id::attribute(H5Acreate2(obj, name, type.get(), space.get(), H5P_DEFAULT, H5P_DEFAULT));
    const char* data = utf8.constData();
    return attr && H5Awrite(attr.get(), type.get(), &data) >= 0;
}

bool setNumber(hid_t obj, const char* name, double value)
{
    const Hdf5Id space = Hdf5Id::space(H5Screate(H5S_SCALAR));
    const Hdf5Id attr =
        Hdf5Id::attribute(H5Acreate2(obj, name, H5T_NATIVE_DOUBLE, space.get(), H5P_DEFAULT, H5P_DEFAULT));
    return attr && H5Awrite(attr.get(), H5T_NATIVE_DOUBLE, &value) >= 0;
}

// A dataset of `rank` dimensions written whole; returns it open (for
// attributes) or invalid on failure.
Hdf5Id writeArray(hid_t parent, const QString& name, hid_t fileType, hid_t memType, int rank, const hsize_t* dims,
                  const void* data)
{
    const Hdf5Id space = Hdf5Id::space(H5Screate_simple(rank, dims, nullptr));
    Hdf5Id set = Hdf5Id::dataset(
        H5Dcreate2(parent, name.toUtf8().constData(), fileType, space.get(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
    if (!set || H5Dwrite(set.get(), memType, H5S_ALL, H5S_ALL, H5P_DEFAULT, data) < 0)
        return Hdf5Id();
    return set;
}

bool writeGrid(hid_t file, const ScanGrid& grid)
{
    const Hdf5Id g = Hdf5Id::group(H5Gcreate2(file, "grid", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
    if (!g)
        return false;
    const GridAxes axes = GridAxes::of(grid);
    std::vector<qint32> xs(size_t(axes.columns)), ys(size_t(axes.rows));
    for (int i = 0; i < axes.columns; ++i)
        xs[size_t(i)] = axes.x(i);
    for (int j = 0; j < axes.rows; ++j)
        ys[size_t(j)] = axes.y(j);
    const hsize_t nx = xs.size(), ny = ys.size();
    bool ok = writeArray(g.get(), QStringLiteral("x_centres"), H5T_STD_I32LE, H5T_NATIVE_INT32, 1, &nx, xs.data()).isValid()
        && writeArray(g.get(), QStringLiteral("y_centres"), H5T_STD_I32LE, H5T_NATIVE_INT32, 1, &ny, ys.data()).isValid();
    const std::pair<const char*, int> attrs[] = {
        {"half_width", grid.halfWidth}, {"half_height", grid.halfHeight}, {"step_x", int(axes.stepX)},
        {"step_y", int(axes.stepY)},    {"x0", grid.x0},                  {"x1", grid.x1},
        {"y0", grid.y0},                {"y1", grid.y1},                  {"image_width", grid.imageWidth},
        {"image_height", grid.imageHeight}};
    for (const auto& [name, value] : attrs)
        ok = ok && setNumber(g.get(), name, value);
    return ok;
}

bool writeMaps(hid_t file, const MapsFileContent& content)
{
    const Hdf5Id g = Hdf5Id::group(H5Gcreate2(file, "maps", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
    if (!g)
        return false;
    for (const MapsFileContent::Map& m : content.maps) {
        const hsize_t dims[2] = {hsize_t(m.map->height()), hsize_t(m.map->width())};
        const Hdf5Id set = writeArray(g.get(), m.name, H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, 2, dims, m.map->data());
        if (!set || !setText(set.get(), "kind", m.kind) || !setText(set.get(), "reference", m.reference)
            || !setText(set.get(), "unit", m.unit) || !setText(set.get(), "title", m.map->name()))
            return false;
        if (!m.formula.isEmpty() && !setText(set.get(), "formula", m.formula))
            return false;
        if (m.map->minValue() <= m.map->maxValue()
            && (!setNumber(set.get(), "value_min", m.map->minValue())
                || !setNumber(set.get(), "value_max", m.map->maxValue())))
            return false;
    }
    return true;
}

bool writeSpectra(hid_t file, const MapsFileContent& content)
{
    if (!content.energies.empty()) {
        const hsize_t n = content.energies.size();
        const Hdf5Id set = writeArray(file, QStringLiteral("energies"), H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, 1, &n,
                                      content.energies.data());
        if (!set || !setText(set.get(), "unit", QStringLiteral("eV")))
            return false;
    }
    if (content.shift && content.shiftWidth > 0 && content.shiftHeight > 0) {
        const hsize_t dims[2] = {hsize_t(content.shiftHeight), hsize_t(content.shiftWidth)};
        const Hdf5Id set =
            writeArray(file, QStringLiteral("energy_shift"), H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, 2, dims, content.shift);
        if (!set || !setText(set.get(), "unit", QStringLiteral("eV")))
            return false;
    }
    if (content.references.isEmpty())
        return true;
    const Hdf5Id g = Hdf5Id::group(H5Gcreate2(file, "references", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
    if (!g)
        return false;
    for (const MapsFileContent::Reference& r : content.references) {
        std::vector<double> table;
        for (size_t i = 0; i < r.energies.size() && i < r.values.size(); ++i) {
            table.push_back(r.energies[i]);
            table.push_back(r.values[i]);
        }
        const hsize_t dims[2] = {hsize_t(table.size() / 2), 2};
        const Hdf5Id set = writeArray(g.get(), r.name, H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, 2, dims, table.data());
        if (!set || !setText(set.get(), "file", r.file) || !setNumber(set.get(), "dE", r.dE)
            || !setText(set.get(), "columns", QStringLiteral("energy_eV absorption")))
            return false;
    }
    return true;
}

} // namespace

QString datasetName(const QString& text)
{
    QString out;
    for (const QChar c : text)
        out += (c.isLetterOrNumber() && c.unicode() < 128) || c == QLatin1Char('_') ? c : QLatin1Char('_');
    return out.isEmpty() ? QStringLiteral("_") : out;
}

bool write(const MapsFileContent& content, const QString& path, QString* error)
{
    const MapsFileContent::Map* first = nullptr;
    for (const MapsFileContent::Map& m : content.maps) {
        if (!m.map || !m.map->data()) {
            *error = QStringLiteral("Can't write %1: the map %2 has no values").arg(path, m.name);
            return false;
        }
        if (!first)
            first = &m;
    }
    if (!first) {
        *error = QStringLiteral("Can't write %1: no result map has values").arg(path);
        return false;
    }
    TempSibling temp(path);
    if (!temp.create(error))
        return false;
    bool ok = false;
    {
        Hdf5Quiet quiet;
        const Hdf5Id file =
            Hdf5Id::file(H5Fcreate(QFile::encodeName(temp.path()).constData(), H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT));
        ok = file.isValid() && setText(file.get(), "format", QStringLiteral("Orvantelle maps 1.0"));
        for (const auto& [key, value] : Provenance::fields(content.provenance, path))
            ok = ok && setText(file.get(), key.toUtf8().constData(), value);
        ok = ok && writeMaps(file.get(), content) && writeGrid(file.get(), first->map->grid())
            && writeSpectra(file.get(), content);
        ok = ok && H5Fflush(file.get(), H5F_SCOPE_LOCAL) >= 0;
    }
    if (!ok) {
        *error = QStringLiteral("Can't write %1").arg(path);
        return false;
    }
    return temp.commit(error);
}

}
