#pragma once

#include "base/SlicedJob.h"
#include "io/ImageAverage.h"
#include "io/ImageSource.h"

#include <QString>
#include <functional>
#include <memory>

class DarkField;

// Reads the dark frames of a source (image files or an HDF5 stack) one slice
// each and averages them into the dark image; the last slice also builds its
// table of block sums, so the GUI thread only takes the result.
class DarkFieldJob : public SlicedJob
{
public:
    // GUI thread, once: the dark, or null with the reason (empty when the
    // job was stopped).
    using Done = std::function<void(std::shared_ptr<const DarkField> dark, const QString& error)>;

    DarkFieldJob(ImageSourcePtr frames, const QString& origin, Done done);

    int sliceCount() const override { return m_frames ? m_frames->count() : 0; }
    qint64 totalItems() const override { return sliceCount(); }
    qint64 runSlice(int index, const std::atomic<bool>& stop) override;
    void finish(bool stopped) override;

    // Every slice here, then the result (for drivers and tests).
    std::shared_ptr<const DarkField> runHere(QString* error);

private:
    ImageSourcePtr m_frames;
    QString m_origin;
    Done m_done;
    ImageAverage m_average;
    QString m_error;
    std::shared_ptr<const DarkField> m_dark;
};
