#include "io/Hdf5StackSource.h"

#include "base/LogCategories.h"
#include "io/TiffData.h"

#include <QDebug>
#include <algorithm>

Hdf5StackSource::Hdf5StackSource(const QString& file, const QString& dataset, int count, std::vector<double> energies,
                                 std::shared_ptr<Hdf5OpenFile> opened)
    : m_file(file), m_dataset(dataset), m_count(count), m_energies(std::move(energies)), m_opened(std::move(opened))
{
}

QString Hdf5StackSource::imageName(int i) const
{
    return Hdf5Stack::imageName(m_file, m_dataset, i);
}

std::unique_ptr<TiffData> Hdf5StackSource::read(int i, bool render, const Cancelled&)
{
    m_error.clear();
    if (!m_stack.isOpen()) {
        const bool ok = m_stack.open(m_file, m_dataset, &m_error, Hdf5Stack::Direct, m_opened.get());
        m_opened.reset();
        if (!ok) {
            qCWarning(lcIo).noquote() << m_error;
            return nullptr;
        }
        // The file changed since the scan was checked.
        if (m_stack.count() != m_count) {
            m_error = QStringLiteral("%1: dataset %2 now holds %3 images, not %4")
                          .arg(m_file, m_dataset)
                          .arg(m_stack.count())
                          .arg(m_count);
            qCWarning(lcIo).noquote() << m_error;
            m_stack.close();
            return nullptr;
        }
        const std::size_t bytes = std::size_t(m_stack.width()) * m_stack.height()
            * std::size_t(ImageContent::sampleSize(m_stack.pixelType()));
        // Direct reads take no lock: they fault their pages as they write.
        const SampleSlabs::Faulting faulting = m_framesDropped ? SampleSlabs::Recycle
            : m_stack.route() == Hdf5Stack::Direct           ? SampleSlabs::FaultOnWrite
                                                              : SampleSlabs::FaultAhead;
        m_slabs = std::make_unique<SampleSlabs>(bytes, m_framesDropped ? 1 : m_count - std::max(i, 0), faulting);
    }
    ImageContent content;
    if (!m_stack.read(i, content, &m_error, m_slabs.get())) {
        qCWarning(lcIo).noquote() << m_error;
        return nullptr;
    }
    auto data = std::make_unique<TiffData>();
    if (!data->adopt(content, imageName(i), render))
        return nullptr;
    if (i >= 0 && size_t(i) < m_energies.size())
        data->setFileEnergy(m_energies[size_t(i)]);
    if (i == m_count - 1) {
        m_stack.close();
        m_slabs.reset();
    }
    return data;
}

Hdf5ScanSources Hdf5ScanSources::of(const Hdf5Scan& scan, const Hdf5ScanPlan& plan)
{
    Hdf5ScanSources s;
    const auto& opened = plan.openFile;
    s.images = std::make_shared<Hdf5StackSource>(scan.file, scan.images, plan.images, plan.energies, opened);
    if (plan.flats == Hdf5ScanPlan::FlatPerImage) {
        s.flats = std::make_shared<Hdf5StackSource>(scan.file, scan.flats, plan.flatCount, plan.energies, opened);
    } else if (plan.flats == Hdf5ScanPlan::AveragedFlat) {
        auto frames = std::make_shared<Hdf5StackSource>(scan.file, scan.flats, plan.flatCount, std::vector<double>(),
                                                        opened);
        frames->setFramesDropped(true);
        const QString name = QStringLiteral("%1::%2 (mean of %3)").arg(scan.file, scan.flats).arg(plan.flatCount);
        s.flats = std::make_shared<AveragedSource>(frames, name, plan.energies.empty() ? nullptr : &plan.energies[0]);
    }
    if (plan.darkCount > 0) {
        auto darks = std::make_shared<Hdf5StackSource>(scan.file, scan.darks, plan.darkCount, std::vector<double>(), opened);
        darks->setFramesDropped(true);
        s.darks = darks;
        s.darkOrigin = QStringLiteral("%1::%2").arg(scan.file, scan.darks);
    }
    return s;
}
