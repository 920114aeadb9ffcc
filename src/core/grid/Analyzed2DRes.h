#pragma once

#include "display/ColorScale.h"
#include "display/DisplayLayer.h"
#include "grid/DisplayRange.h"
#include "grid/ScanGrid.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVector>
#include <memory>
#include <vector>


// A 2D result map: one value per pixel, filled block by block along a scan
// grid, with a processed (deglitched) layer, an image rendered through the
// colour scale and a 16-bit export for TIFF saving.
class Analyzed2DRes : public QObject, public DisplayLayer
{
    Q_OBJECT
public:
    // Range markers of a map that has nothing written yet.
    static constexpr double emptyMin = 1e300;
    static constexpr double emptyMax = -1e300;
    // Largest map (in pixels) that gets arrays; a larger grid leaves the map empty.
    static constexpr qint64 maxPixels = qint64(1) << 26;

    explicit Analyzed2DRes(const QString& name = QString(), QObject* parent = nullptr);
    ~Analyzed2DRes() override;

    // Takes the grid, resets the ranges, drops the image and allocates zeroed
    // value and processed arrays of the grid's image size (none when empty).
    void setup(const ScanGrid& grid);

    const QString& name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    const ScanGrid& grid() const { return m_grid; }
    int width() const { return m_grid.imageWidth; }
    int height() const { return m_grid.imageHeight; }

    bool hasImage() const { return m_hasImage; }
    const uchar* pixels() const { return m_pixels.get(); }

    // Value arrays, row-major width x height; null when the map has none.
    const double* data() const { return m_data.empty() ? nullptr : m_data.data(); }
    const double* procData() const { return m_procData.empty() ? nullptr : m_procData.data(); }
    // Values at (x, y); 0 outside the map or when it has no arrays.
    double value(int x, int y) const { return mapValueAt(data(), width(), height(), x, y); }
    double procValue(int x, int y) const
    {
        return mapValueAt(procData(), width(), height(), x, y);
    }

    double minValue() const { return m_minValue; }
    double maxValue() const { return m_maxValue; }
    double scaleMin() const { return m_scaleMin; }
    double scaleMax() const { return m_scaleMax; }
    bool fixedScale() const { return m_fixedScale; }
    double procMin() const { return m_procMin; }
    double procMax() const { return m_procMax; }
    bool showProc() const { return m_showProc; }
    double deglitchFactor() const { return m_deglitchFactor; }
    double deglitchRatio() const { return m_deglitchRatio; }
    int savedCount() const { return m_savedCount; }

    // QImage::Format_Grayscale8 (24, the default) or Format_RGB888 (13);
    // any other format is refused.
    int imageFormat() const { return m_imageFormat; }
    bool setImageFormat(int format);

    // The colour scale images render through (the process-wide one unless set).
    ColorScale* colorScale() const;
    void setColorScale(ColorScale* scale) { m_scale = scale; }

    // The range images and the colour bar use: the fixed scale when fixed;
    // else, by the range rule, the 1st to 99th percentile of the shown
    // layer's finite values (Robust, the default) or its min/max (the
    // processed range when the processed layer is shown, else the value range).
    void effectiveRange(double& lo, double& hi) const;
    DisplayRange::Rule rangeRule() const { return m_rangeRule; }
    // Renders the image again when the rule changes and the map has one.
    void setRangeRule(DisplayRange::Rule rule);
    // The robust range of a map of a masked sample's spectra taken from the
    // values at least `pixels` inside the finite region only
    // (DisplayRange::innerPercentiles); 0, the default, takes every value.
    void setRangeInset(int pixels)
    {
        m_rangeInset = qMax(0, pixels);
        m_robustKnown = false;
    }

    int layerWidth() const override { return width(); }
    int layerHeight() const override { return height(); }
    const QImage* layerImage() const override { return m_image.get(); }
    void renderLayer() override { genImg(); }
    bool layerRange(double& lo, double& hi) const override;
    // The shown layer's value (processed or not); NaN outside the map.
    double layerValue(int x, int y) const override;

public slots:
    // Back to the state of a new map (empty grid, no arrays, no image); the
    // scale, format, deglitch conditions and showProc stay.
    void clear();
    void setNo(int no) { m_no = no; }
    int no() const { return m_no; }
    // Records t in the value range, then writes it into the block
    // (ix +- xw, iy +- yw) clipped to the map.
    void setData(int ix, int iy, int xw, int yw, double t);
    // Renders the shown layer through the colour scale into a new image.
    void genImg();
    // The last rendered image, or null.
    QImage* img() const { return m_image.get(); }
    // The shown layer as 16-bit values, row order or one value per grid point
    // (asAnalyzed); empty when the layer has no array. Sets savedCount.
    QVector<quint16> tiffDataForSave(bool fixedScale, double scaleMin, double scaleMax,
                                     bool asAnalyzed);
    // Replaces sharp spikes near the ends of the value range by the mean of
    // their four neighbours, into the processed layer.
    void deglitch();
    void setDeglitchConds(double f, double r);
    void selectProcImg(bool f);
    // Replaces blocks further than limit from the typical value by the mean of
    // their plausible neighbours, into the processed layer.
    void deglitch2(double limit);
    // The processed layer becomes the values.
    void copyProc2Data();
    void setFixedScale(bool f);
    void setScale(double min, double max);

private:
    const double* shownLayer() const { return m_showProc ? procData() : data(); }
    void dropImage();
    // Both arrays exist and the grid has a sane number of points.
    bool canDeglitch() const;
    void updateColorScale();
    // The shown layer changed: the robust range is computed again when needed.
    void layerChanged() { m_robustKnown = false; }

    int m_no = 0;
    QString m_name;
    ScanGrid m_grid;
    bool m_hasImage = false;
    std::unique_ptr<QImage> m_image;
    std::unique_ptr<uchar[]> m_pixels;
    std::vector<double> m_data;
    double m_minValue = emptyMin;
    double m_maxValue = emptyMax;
    double m_scaleMin = 1e300;
    double m_scaleMax = -1e300;
    bool m_fixedScale = false;
    int m_imageFormat = QImage::Format_Grayscale8;
    int m_savedCount = 0;
    double m_procMin = 0.0;
    double m_procMax = 1.0;
    std::vector<double> m_procData;
    double m_deglitchFactor = 2.0;
    double m_deglitchRatio = 0.9;
    bool m_showProc = false;
    QPointer<ColorScale> m_scale;
    DisplayRange::Rule m_rangeRule = DisplayRange::Robust;
    int m_rangeInset = 0;
    mutable bool m_robustKnown = false;
    mutable DisplayRange::Range m_robust;
};
