#include "io/ImageSource.h"

#include "base/LogCategories.h"
#include "io/ImageAverage.h"
#include "io/TiffData.h"

#include <QDebug>

QStringList ImageSource::imageNames() const
{
    QStringList names;
    for (int i = 0; i < count(); ++i)
        names << imageName(i);
    return names;
}

std::unique_ptr<TiffData> FileListSource::read(int i, bool render, const Cancelled&)
{
    auto data = std::make_unique<TiffData>();
    if (!data->read(m_files.value(i), render)) {
        m_error = QStringLiteral("Can not read the image %1").arg(m_files.value(i));
        return nullptr;
    }
    m_error.clear();
    return data;
}

AveragedSource::AveragedSource(ImageSourcePtr frames, const QString& name, const double* energy)
    : m_frames(std::move(frames)), m_name(name), m_hasEnergy(energy != nullptr), m_energy(energy ? *energy : 0.0)
{
}

std::unique_ptr<TiffData> AveragedSource::read(int i, bool render, const Cancelled& cancelled)
{
    m_error.clear();
    if (i != 0 || !m_frames || m_frames->count() < 1) {
        m_error = QStringLiteral("%1: no image to average").arg(m_name);
        return nullptr;
    }
    ImageAverage average;
    for (int k = 0; k < m_frames->count(); ++k) {
        if (cancelled && cancelled())
            return nullptr;
        const std::unique_ptr<TiffData> frame = m_frames->read(k, false, cancelled);
        if (!frame) {
            m_error = m_frames->lastError();
            return nullptr;
        }
        if (!average.add(*frame, &m_error)) {
            qCWarning(lcIo).noquote() << m_error;
            return nullptr;
        }
    }
    ImageContent mean = average.meanContent();
    auto data = std::make_unique<TiffData>();
    if (!data->adopt(mean, m_name, render)) {
        m_error = QStringLiteral("%1: no memory for the mean image").arg(m_name);
        return nullptr;
    }
    if (m_hasEnergy)
        data->setFileEnergy(m_energy);
    return data;
}
