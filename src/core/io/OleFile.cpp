#include "io/OleFile.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>

#include <QFile>
#include <algorithm>
#include <mutex>

namespace {

// Drops the reference a gsf call handed over.
struct Unref {
    void operator()(gpointer p) const
    {
        if (p)
            g_object_unref(p);
    }
};
using InputPtr = std::unique_ptr<GsfInput, Unref>;

// gsf gives streams and storages of a compound file the same class; only a
// storage has children (a stream answers -1).
bool isStorage(GsfInput* entry)
{
    return GSF_IS_INFILE(entry) && gsf_infile_num_children(GSF_INFILE(entry)) >= 0;
}

void initLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

}

struct OleFile::Impl {
    std::unique_ptr<GsfInfile, Unref> root;

    // The entry at `path` (a new reference), null when there is none.
    InputPtr entry(const QString& path) const
    {
        if (!root)
            return nullptr;
        InputPtr at(GSF_INPUT(g_object_ref(root.get())));
        for (const QString& name : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
            if (!isStorage(at.get()))
                return nullptr;
            at.reset(gsf_infile_child_by_name(GSF_INFILE(at.get()), name.toUtf8().constData()));
            if (!at)
                return nullptr;
        }
        return at;
    }
};

OleFile::OleFile()
    : d(new Impl)
{
}

OleFile::~OleFile() = default;

bool OleFile::hasSignature(const QString& path)
{
    static const char signature[8] = {'\xd0', '\xcf', '\x11', '\xe0', '\xa1', '\xb1', '\x1a', '\xe1'};
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    return f.read(8) == QByteArray(signature, 8);
}

bool OleFile::open(const QString& path, QString* error)
{
    close();
    initLibrary();
    GError* err = nullptr;
    InputPtr input(gsf_input_stdio_new(QFile::encodeName(path).constData(), &err));
    if (!input) {
        *error = QStringLiteral("Can not open %1").arg(path);
        if (err)
            g_error_free(err);
        return false;
    }
    d->root.reset(gsf_infile_msole_new(input.get(), &err));
    if (!d->root) {
        *error = QStringLiteral("%1 is not a readable OLE2 compound file%2")
                     .arg(path, err && err->message ? QStringLiteral(" (%1)").arg(QString::fromUtf8(err->message))
                                                    : QString());
        if (err)
            g_error_free(err);
        return false;
    }
    return true;
}

void OleFile::close()
{
    d->root.reset();
}

bool OleFile::isOpen() const
{
    return bool(d->root);
}

qint64 OleFile::streamSize(const QString& path) const
{
    const InputPtr at = d->entry(path);
    if (!at || isStorage(at.get()))
        return -1;
    return qint64(gsf_input_size(at.get()));
}

QStringList OleFile::children(const QString& path) const
{
    QStringList names;
    const InputPtr at = d->entry(path);
    if (!at || !isStorage(at.get()))
        return names;
    GsfInfile* storage = GSF_INFILE(at.get());
    const int n = gsf_infile_num_children(storage);
    for (int i = 0; i < n; ++i)
        if (const char* name = gsf_infile_name_by_index(storage, i))
            names << QString::fromUtf8(name);
    return names;
}

bool OleFile::read(const QString& path, void* out, qint64 bytes) const
{
    const InputPtr at = d->entry(path);
    if (!at || isStorage(at.get()) || bytes < 0 || qint64(gsf_input_size(at.get())) < bytes)
        return false;
    // In pieces: gsf takes a size_t per call, and a piece fits any cache.
    auto* to = static_cast<guint8*>(out);
    constexpr qint64 piece = qint64(1) << 24;
    for (qint64 done = 0; done < bytes; done += piece) {
        const size_t n = size_t(std::min(piece, bytes - done));
        if (!gsf_input_read(at.get(), n, to + done))
            return false;
    }
    return true;
}
