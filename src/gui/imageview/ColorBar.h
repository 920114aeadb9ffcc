#pragma once

#include "display/DrawText.h"
#include "imageview/DispA.h"

#include <QColor>
#include <QPixmap>
#include <QPointer>

class ColorScale;

// The colour bar: shows a colour scale as a 20 x 600 strip with its two limit
// lines and the data range as labels, and lets the user drag the nearer limit.
class ColorBar : public DispA
{
    Q_OBJECT
public:
    static constexpr int barWidth = 20;
    static constexpr int barHeight = 600;

    explicit ColorBar(QWidget* parent = nullptr);

    // The scale shown and edited (not owned; default ColorScale::global()).
    // A window with its own colour bar gives it its own scale.
    void setScale(ColorScale* scale);
    ColorScale* scale() const;

    double lo() const;
    double hi() const;
    double dataMin() const;
    double dataMax() const;
    void setDataRange(double min, double max);
    void setFormat(int format);
    int format() const;
    // Colour of a normalised value t through the scale.
    QColor colorOf(double t) const;

    bool isDragging() const { return m_dragging; }
    // The painted strip (saved next to pictures of the image view).
    const QPixmap& pixmap() const { return m_pixmap; }

public slots:
    void paintCBar();
    void draw1(QPainter* p);
    void onMouseMoved();
    void onMousePressed();
    void onMouseReleased();
    // Colour at h / (widget height), clamped to [0, 1].
    QColor colorOfH(int h) const;

signals:
    void cBarUpdated();
    void cBarUpdating();

private:
    enum class Limit { None, Lo, Hi };

    void onScaleChanged();
    // Fraction of the bar height under the current mouse row, 0 at the bottom.
    double mouseFraction() const;

    QPointer<ColorScale> m_scale;
    DrawText m_dt;
    QPixmap m_pixmap;
    bool m_dragging = false;
    Limit m_active = Limit::None;
};
