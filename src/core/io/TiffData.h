#pragma once

#include "display/DisplayLayer.h"
#include "io/ImageContent.h"

#include <QImage>
#include <QMetaType>
#include <QString>
#include <memory>

class ColorScale;
class DarkField;

// One detector image: its samples (16-bit, 32-bit or float, one contiguous
// buffer), value range, energy, alignment shift and the 8-bit display image
// rendered through the colour scale.
class TiffData : public DisplayLayer
{
public:
    enum PixelType { TiffU16 = 0, ImU16 = 1, ImU32 = 2, CttrFloat = 3, NoPixels = 4 };

    TiffData() = default;
    ~TiffData() override;
    TiffData(const TiffData&) = delete;
    TiffData& operator=(const TiffData&) = delete;

    // Recognises the format by the first bytes (TIFF, IM or CTTR text) and
    // reads the file. On failure the record is left as it was, except when
    // the memory for the picture is missing after the samples were taken:
    // it then holds no pixels.
    // With render false the display image is left to the first genImage()
    // (an image view renders an image when it is first shown), so images
    // that are never shown hold no picture.
    bool read(const QString& fileName, bool render = true);

    // Takes over image content read elsewhere (an image of an HDF5 stack, an
    // average) under the name `fileName`; false, with the reader's "no
    // pixels" message, when it has none (the record is then left as it was).
    bool adopt(ImageContent& content, const QString& fileName, bool render = true);

    // Renders the display image through the colour scale. False, with no
    // picture and a debug line, when there is no memory for it.
    bool genImage();

    int displayFormat() const { return m_displayFormat; }
    const QString& fileName() const { return m_fileName; }
    quint16 bytesPerPixel() const { return m_bytesPerPixel; }
    quint32 width() const { return m_width; }
    quint32 height() const { return m_height; }
    quint32 scanlineBytes() const { return m_scanlineBytes; }
    double minimum() const { return m_minimum; }
    double maximum() const { return m_maximum; }
    int pixelType() const { return m_pixelType; }
    bool is16Bit() const { return m_pixelType == TiffU16 || m_pixelType == ImU16; }

    double energy() const { return m_energy; }
    void setEnergy(double e) { m_energy = e; }
    // An energy the file itself records for the image (an HDF5 scan's
    // energy list): the series panel takes it instead of its energy rule.
    bool hasFileEnergy() const { return m_hasFileEnergy; }
    void setFileEnergy(double e)
    {
        m_energy = e;
        m_hasFileEnergy = true;
    }

    // The detector's dark image, subtracted from every block sum of this
    // image (null: none). Only a dark of the image's size is taken; setDark
    // returns whether it was (a null dark always is).
    const DarkField* dark() const { return m_dark.get(); }
    bool setDark(std::shared_ptr<const DarkField> dark);

    int shiftX() const { return m_shiftX; }
    int shiftY() const { return m_shiftY; }
    void setShift(int x, int y)
    {
        m_shiftX = x;
        m_shiftY = y;
    }

    // The scale the display image is rendered through; null means the
    // process-wide one.
    ColorScale* colorScale() const { return m_colorScale; }
    void setColorScale(ColorScale* scale) { m_colorScale = scale; }

    const uchar* displayBuffer() const { return m_displayBuffer.get(); }
    const QImage* displayImage() const { return m_displayImage.get(); }

    // Value of image pixel (x, y): the source sample at column x - shift x,
    // row y - shift y, or 0 when that lies outside the image.
    double sample(int x, int y) const
    {
        const quint32 c = quint32(x) - quint32(m_shiftX);
        const quint32 r = quint32(y) - quint32(m_shiftY);
        if (c >= m_width || r >= m_height)
            return 0.0;
        return sourceValue(size_t(r) * m_width + c);
    }
    // The same for a 16-bit image without the conversion; 0 for other types.
    quint16 sample16(int x, int y) const
    {
        const quint32 c = quint32(x) - quint32(m_shiftX);
        const quint32 r = quint32(y) - quint32(m_shiftY);
        if (!m_u16 || c >= m_width || r >= m_height)
            return 0;
        return m_u16[size_t(r) * m_width + c];
    }
    // Source sample at (column, row), no shift; 0 outside.
    double sourceSample(quint32 column, quint32 row) const
    {
        if (column >= m_width || row >= m_height)
            return 0.0;
        return sourceValue(size_t(row) * m_width + column);
    }

    // Source rows (no shift) of the typed buffer, or null when the image has
    // another sample type or the row is outside.
    const quint16* row16(quint32 row) const { return row < m_height && m_u16 ? m_u16 + size_t(row) * m_width : nullptr; }
    const quint32* row32(quint32 row) const { return row < m_height && m_u32 ? m_u32 + size_t(row) * m_width : nullptr; }
    const float* rowFloat(quint32 row) const { return row < m_height && m_f32 ? m_f32 + size_t(row) * m_width : nullptr; }

    // Calls f(const T* samples) with the whole buffer, T being quint16,
    // quint32 or float; returns false (and does not call f) without samples.
    template <class F>
    bool withSamples(F&& f) const
    {
        if (m_u16)
            f(m_u16);
        else if (m_u32)
            f(m_u32);
        else if (m_f32)
            f(m_f32);
        else
            return false;
        return true;
    }

    // DisplayLayer
    int layerWidth() const override { return int(m_width); }
    int layerHeight() const override { return int(m_height); }
    const QImage* layerImage() const override { return m_displayImage.get(); }
    void renderLayer() override { genImage(); }
    bool layerRange(double& lo, double& hi) const override;

private:
    double sourceValue(size_t i) const
    {
        if (m_u16)
            return m_u16[i];
        if (m_u32)
            return m_u32[i];
        return m_f32[i];
    }
    bool readFile(const QString& fileName, bool render);
    void take(ImageContent& content, const QString& fileName);
    // Back to a record without pixels (a read that found no memory for the
    // picture after it took the samples).
    void clearPixels();

    int m_displayFormat = QImage::Format_Grayscale8;
    QString m_fileName;
    quint16 m_bytesPerPixel = 2;
    quint32 m_width = 0;
    quint32 m_height = 0;
    quint32 m_scanlineBytes = 0;
    double m_minimum = std::numeric_limits<double>::max();
    double m_maximum = std::numeric_limits<double>::min();
    LargeBuffer::Ptr<unsigned char> m_samples;
    double m_energy = 0.0;
    ColorScale* m_colorScale = nullptr;
    std::unique_ptr<uchar[]> m_displayBuffer;
    std::unique_ptr<QImage> m_displayImage;
    int m_shiftX = 0;
    int m_shiftY = 0;
    int m_pixelType = NoPixels;
    bool m_hasFileEnergy = false;
    std::shared_ptr<const DarkField> m_dark;

    // Typed views of m_samples; exactly one is set when there are samples.
    const quint16* m_u16 = nullptr;
    const quint32* m_u32 = nullptr;
    const float* m_f32 = nullptr;
};

Q_DECLARE_METATYPE(TiffData*)
