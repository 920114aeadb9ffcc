#include "io/TxrmSource.h"

#include "base/LogCategories.h"
#include "io/TiffData.h"

#include <QDebug>
#include <QtEndian>

TxrmSource::TxrmSource(const QString& file, const QStringList& streams, quint32 width, quint32 height,
                       int pixelType, std::vector<double> energies)
    : m_file(file), m_streams(streams), m_width(width), m_height(height), m_pixelType(pixelType),
      m_energies(std::move(energies))
{
}

QString TxrmSource::imageName(int i) const
{
    return TxrmScan::imageName(m_file, m_streams.value(i));
}

namespace {

// The file's samples are little-endian.
void toHostOrder(ImageContent& c)
{
#if Q_BYTE_ORDER == Q_BIG_ENDIAN
    const size_t n = size_t(c.width) * c.height;
    if (c.bytesPerPixel == 2) {
        auto* p = reinterpret_cast<quint16*>(c.samples.get());
        qFromLittleEndian<quint16>(p, qsizetype(n), p);
    } else {
        auto* p = reinterpret_cast<quint32*>(c.samples.get());
        qFromLittleEndian<quint32>(p, qsizetype(n), p);
    }
#else
    Q_UNUSED(c);
#endif
}

}

std::unique_ptr<TiffData> TxrmSource::read(int i, bool render, const Cancelled&)
{
    m_error.clear();
    if (i < 0 || i >= count()) {
        m_error = QStringLiteral("%1: no image %2").arg(m_file).arg(i);
        return nullptr;
    }
    if (!m_ole.isOpen()) {
        if (!m_ole.open(m_file, &m_error)) {
            qCWarning(lcIo).noquote() << m_error;
            return nullptr;
        }
        const std::size_t bytes = std::size_t(m_width) * m_height * std::size_t(ImageContent::sampleSize(m_pixelType));
        m_slabs = std::make_unique<SampleSlabs>(bytes, count() - i);
    }
    const QString& stream = m_streams.at(i);
    ImageContent content;
    if (!content.allocate(m_width, m_height, m_pixelType, m_slabs.get())) {
        m_error = QStringLiteral("%1: no memory for image %2").arg(m_file, stream);
        return nullptr;
    }
    content.bytesPerPixel = quint16(ImageContent::sampleSize(m_pixelType));
    content.scanlineBytes = m_width * content.bytesPerPixel;
    const qint64 bytes = qint64(m_width) * m_height * content.bytesPerPixel;
    // The file may have changed since it was checked.
    if (m_ole.streamSize(stream) != bytes || !m_ole.read(stream, content.samples.get(), bytes)) {
        m_error = QStringLiteral("%1: can not read stream %2 (%3 bytes expected)").arg(m_file, stream).arg(bytes);
        qCWarning(lcIo).noquote() << m_error;
        m_ole.close();
        m_slabs.reset();
        return nullptr;
    }
    toHostOrder(content);
    content.updateRange();
    auto data = std::make_unique<TiffData>();
    if (!data->adopt(content, imageName(i), render)) {
        m_error = QStringLiteral("%1: no memory for image %2").arg(m_file, stream);
        return nullptr;
    }
    if (size_t(i) < m_energies.size())
        data->setFileEnergy(m_energies[size_t(i)]);
    if (i == count() - 1) {
        m_ole.close();
        m_slabs.reset();
    }
    return data;
}

TxrmSources TxrmSources::of(const TxrmPlan& plan)
{
    TxrmSources s;
    s.images = std::make_shared<TxrmSource>(plan.file, plan.imageStreams, plan.width, plan.height, plan.pixelType,
                                            plan.energies);
    if (!plan.flatStream.isEmpty()) {
        std::vector<double> first;
        if (!plan.energies.empty())
            first.push_back(plan.energies.front());
        s.flat = std::make_shared<TxrmSource>(plan.file, QStringList{plan.flatStream}, plan.width, plan.height,
                                              plan.flatPixelType, first);
    }
    return s;
}
