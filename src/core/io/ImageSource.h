#pragma once

#include <QMetaType>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class TiffData;

// Where the images of a series load come from when they are not one file
// each: the images of an HDF5 stack, or one image averaged from several. A
// loader asks for image 0, 1, ... count() - 1 in its thread and hands each
// record on as it does with files; the source is not touched from two
// threads at once.
class ImageSource
{
public:
    // Tells a long read that its request was cancelled.
    using Cancelled = std::function<bool()>;

    virtual ~ImageSource() = default;
    virtual int count() const = 0;
    // The name image i's record gets ("scan.h5::/img_xanes[3]").
    virtual QString imageName(int i) const = 0;
    // Image i as a new record (display picture rendered when `render`), or
    // null when it cannot be read; the source has then written why.
    virtual std::unique_ptr<TiffData> read(int i, bool render, const Cancelled& cancelled) = 0;
    // Why the last read failed (empty after a successful one).
    virtual QString lastError() const = 0;

    QStringList imageNames() const;
};

using ImageSourcePtr = std::shared_ptr<ImageSource>;
Q_DECLARE_METATYPE(ImageSourcePtr)

// Image files (TIFF, IM or CTTR), one image each.
class FileListSource : public ImageSource
{
public:
    explicit FileListSource(const QStringList& files) : m_files(files) {}
    int count() const override { return m_files.size(); }
    QString imageName(int i) const override { return m_files.value(i); }
    std::unique_ptr<TiffData> read(int i, bool render, const Cancelled& cancelled) override;
    QString lastError() const override { return m_error; }

private:
    QStringList m_files;
    QString m_error;
};

// One image: the pixel mean of every image of another source (a flat-field
// stack whose count differs from the images', a dark stack). Its energy is
// `energy` when given as a file energy, else none.
class AveragedSource : public ImageSource
{
public:
    AveragedSource(ImageSourcePtr frames, const QString& name, const double* energy = nullptr);
    int count() const override { return 1; }
    QString imageName(int) const override { return m_name; }
    std::unique_ptr<TiffData> read(int i, bool render, const Cancelled& cancelled) override;
    QString lastError() const override { return m_error; }

private:
    ImageSourcePtr m_frames;
    QString m_name;
    bool m_hasEnergy = false;
    double m_energy = 0.0;
    QString m_error;
};
