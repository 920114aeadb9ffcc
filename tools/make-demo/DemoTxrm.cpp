#include "DemoTxrm.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>

#include <QFile>
#include <QtEndian>

namespace DemoTxrm {

namespace {

template <class T>
QByteArray littleEndian(const std::vector<T>& v)
{
    QByteArray out(int(v.size() * sizeof(T)), Qt::Uninitialized);
    for (size_t i = 0; i < v.size(); ++i)
        qToLittleEndian<T>(v[i], out.data() + i * sizeof(T));
    return out;
}

bool writeStream(GsfOutfile* storage, const QString& name, const QByteArray& bytes)
{
    GsfOutput* child = gsf_outfile_new_child(storage, name.toUtf8().constData(), FALSE);
    if (!child)
        return false;
    const bool ok = (bytes.isEmpty() || gsf_output_write(child, size_t(bytes.size()), reinterpret_cast<const guint8*>(bytes.constData())))
        && gsf_output_close(child);
    g_object_unref(child);
    return ok;
}

}

QByteArray int32(qint32 v)
{
    return littleEndian(std::vector<qint32>{v});
}

QByteArray floats(const std::vector<float>& v)
{
    return littleEndian(v);
}

QByteArray words(const std::vector<quint16>& v)
{
    return littleEndian(v);
}

Streams streams(const Scan& scan)
{
    const qint32 n = qint32(scan.images.size());
    Streams s;
    s[QStringLiteral("ImageInfo/ImageWidth")] = int32(scan.width);
    s[QStringLiteral("ImageInfo/ImageHeight")] = int32(scan.height);
    s[QStringLiteral("ImageInfo/DataType")] = int32(scan.dataType);
    s[QStringLiteral("ImageInfo/ImagesTaken")] = int32(n);
    s[QStringLiteral("ImageInfo/NoOfImages")] = int32(n);
    if (!scan.energies.empty())
        s[QStringLiteral("ImageInfo/Energy")] = floats(scan.energies);
    const int per = std::max(1, scan.imagesPerStorage);
    for (qint32 i = 0; i < n; ++i)
        s[QStringLiteral("ImageData%1/Image%2").arg(i / per + 1).arg(i + 1)] = scan.images[size_t(i)];
    if (!scan.flat.isEmpty())
        s[QStringLiteral("ReferenceData/Image")] = scan.flat;
    if (scan.flatDataType != 0)
        s[QStringLiteral("ReferenceData/DataType")] = int32(scan.flatDataType);
    return s;
}

bool writeCompound(const QString& path, const Streams& streams, QString* error)
{
    gsf_init();
    GError* err = nullptr;
    GsfOutput* sink = gsf_output_stdio_new(QFile::encodeName(path).constData(), &err);
    if (!sink) {
        *error = QStringLiteral("can not create %1").arg(path);
        if (err)
            g_error_free(err);
        return false;
    }
    GsfOutfile* root = gsf_outfile_msole_new(sink);
    g_object_unref(sink);
    bool ok = root != nullptr;
    // Streams sorted by path: those of one storage come together.
    GsfOutfile* storage = nullptr;
    QString storageName;
    auto closeStorage = [&] {
        if (storage) {
            ok = gsf_output_close(GSF_OUTPUT(storage)) && ok;
            g_object_unref(storage);
            storage = nullptr;
        }
    };
    for (auto it = streams.begin(); ok && it != streams.end(); ++it) {
        const int slash = it->first.indexOf(QLatin1Char('/'));
        const QString dir = slash < 0 ? QString() : it->first.left(slash);
        if (dir != storageName) {
            closeStorage();
            storageName = dir;
            if (!dir.isEmpty())
                storage = GSF_OUTFILE(gsf_outfile_new_child(root, dir.toUtf8().constData(), TRUE));
            ok = dir.isEmpty() || storage;
        }
        if (ok)
            ok = writeStream(storage ? storage : root, it->first.mid(slash + 1), it->second);
    }
    closeStorage();
    if (root) {
        ok = gsf_output_close(GSF_OUTPUT(root)) && ok;
        g_object_unref(root);
    }
    if (!ok)
        *error = QStringLiteral("can not write %1").arg(path);
    return ok;
}

bool write(const DemoModel& model, bool noise, const QString& path, QString* error)
{
    const int n = int(model.energies().size());
    Scan scan;
    scan.width = model.width();
    scan.height = model.height();
    scan.dataType = 5;
    std::vector<double> flat(size_t(scan.width) * size_t(scan.height), 0.0);
    std::vector<quint16> i0, i1, cal;
    for (int i = 0; i < n; ++i) {
        model.images(i, noise, &i0, &i1, &cal);
        scan.images.push_back(words(i1));
        scan.energies.push_back(float(model.energies()[size_t(i)]));
        for (size_t p = 0; p < flat.size(); ++p)
            flat[p] += double(i0[p]) / n;
    }
    scan.flat = floats(std::vector<float>(flat.begin(), flat.end()));
    scan.flatDataType = 10;
    return writeCompound(path, streams(scan), error);
}

}
