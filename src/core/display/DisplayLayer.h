#pragma once

#include <QImage>
#include <QtGlobal>
#include <atomic>
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

    // Changes whenever the picture does (rendered again, dropped, replaced),
    // so that a view may keep a drawn copy and redraw it only when this moved.
    // Values come from one counter for all layers: no two pictures, even of
    // layers that reuse a freed layer's address, ever share one.
    quint64 pictureGeneration() const { return m_generation.load(std::memory_order_acquire); }

protected:
    DisplayLayer() = default;
    DisplayLayer(const DisplayLayer&) : m_generation(nextGeneration()) {}
    DisplayLayer& operator=(const DisplayLayer&)
    {
        pictureChanged();
        return *this;
    }
    // Every place that writes the picture calls this afterwards.
    void pictureChanged() { m_generation.store(nextGeneration(), std::memory_order_release); }
    // Calls pictureChanged() on leaving the scope, whichever way a render ends.
    class PictureChange
    {
    public:
        explicit PictureChange(DisplayLayer* layer) : m_layer(layer) {}
        ~PictureChange() { m_layer->pictureChanged(); }
        PictureChange(const PictureChange&) = delete;
        PictureChange& operator=(const PictureChange&) = delete;

    private:
        DisplayLayer* m_layer;
    };

private:
    static quint64 nextGeneration()
    {
        static std::atomic<quint64> counter{0};
        return counter.fetch_add(1, std::memory_order_relaxed) + 1;
    }

    std::atomic<quint64> m_generation{nextGeneration()};
};
