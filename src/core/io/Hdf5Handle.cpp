#include "io/Hdf5Handle.h"

#include "io/Hdf5Library.h"

#include <vector>

Hdf5Quiet::Hdf5Quiet()
{
    Hdf5Library::ensurePluginPath();
    H5Eget_auto2(H5E_DEFAULT, &m_func, &m_data);
    H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
}

Hdf5Quiet::~Hdf5Quiet()
{
    H5Eset_auto2(H5E_DEFAULT, m_func, m_data);
}

Hdf5OpenFile::~Hdf5OpenFile()
{
    Hdf5Quiet quiet;
    id.reset();
}

namespace Hdf5Text {

QString stringAttribute(hid_t obj, const char* name)
{
    if (H5Aexists(obj, name) <= 0)
        return QString();
    const Hdf5Id attr = Hdf5Id::attribute(H5Aopen(obj, name, H5P_DEFAULT));
    if (!attr)
        return QString();
    const Hdf5Id type = Hdf5Id::type(H5Aget_type(attr.get()));
    const Hdf5Id space = Hdf5Id::space(H5Aget_space(attr.get()));
    if (!type || !space || H5Tget_class(type.get()) != H5T_STRING || H5Sget_simple_extent_npoints(space.get()) != 1)
        return QString();
    if (H5Tis_variable_str(type.get()) > 0) {
        const Hdf5Id mem = Hdf5Id::type(H5Tcopy(H5T_C_S1));
        H5Tset_size(mem.get(), H5T_VARIABLE);
        H5Tset_cset(mem.get(), H5Tget_cset(type.get()));
        char* text = nullptr;
        if (H5Aread(attr.get(), mem.get(), &text) < 0 || !text)
            return QString();
        const QString out = QString::fromUtf8(text);
        H5free_memory(text);
        return out;
    }
    const size_t size = H5Tget_size(type.get());
    if (size == 0 || size > 4096)
        return QString();
    std::vector<char> text(size + 1, '\0');
    const Hdf5Id mem = Hdf5Id::type(H5Tcopy(H5T_C_S1));
    H5Tset_size(mem.get(), size + 1);
    H5Tset_cset(mem.get(), H5Tget_cset(type.get()));
    if (H5Aread(attr.get(), mem.get(), text.data()) < 0)
        return QString();
    return QString::fromUtf8(text.data()).trimmed();
}

QString lastError()
{
    QString message;
    H5Ewalk2(
        H5E_DEFAULT, H5E_WALK_UPWARD,
        [](unsigned n, const H5E_error2_t* e, void* data) -> herr_t {
            if (n == 0 && e && e->desc)
                *static_cast<QString*>(data) = QString::fromUtf8(e->desc);
            return 0;
        },
        &message);
    return message;
}

}
