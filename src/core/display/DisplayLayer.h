#pragma once

#include <QImage>
#include <limits>

// Something an image view can show: a picture rendered through the colour
// scale that can render itself again when the scale changes. Detector images
// and result maps are layers; the views know nothing else about them.
class DisplayLayer
{
public:
    virtual ~DisplayLayer() = default;

    virtual int layerWidth() const = 0;
    virtual int layerHeight() const = 0;
    // The last rendered picture, or null when there is none.
    virtual const QImage* layerImage() const = 0;
    // Render the picture again through the colour scale.
    virtual void renderLayer() = 0;
    // The data range the colour bar should label while this layer is shown;
    // false when the layer has none of its own.
    virtual bool layerRange(double& lo, double& hi) const
    {
        Q_UNUSED(lo);
        Q_UNUSED(hi);
        return false;
    }
    // The value shown at pixel (x, y), for the read-outs; NaN where the layer
    // has none (outside it, or a layer that keeps no values of its own).
    virtual double layerValue(int x, int y) const
    {
        Q_UNUSED(x);
        Q_UNUSED(y);
        return std::numeric_limits<double>::quiet_NaN();
    }
};
