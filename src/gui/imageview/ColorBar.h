#pragma once

#include "imageview/DispA.h"

#include <QColor>
#include <QPixmap>
#include <QPointer>

class ColorScale;

// The colour bar: shows a colour scale as a strip with its two limit lines,
// and beside it, in plain horizontal text, the data range, the values at the
// limit lines and what the values are (the caption: a kind and unit such as
// "Energy shift [eV]"); the user drags the nearer limit. The strip itself is
// kept as a 20 x 600 picture.
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
    // The painted strip alone (20 x 600).
    const QPixmap& pixmap() const { return m_pixmap; }
    // What the values are, drawn beside the strip.
    void setCaption(const QString& caption);
    const QString& caption() const { return m_caption; }
    // The bar with its labels and caption on white, `height` pixels high
    // (saved next to pictures of the image view).
    QImage labelledPicture(int height = barHeight) const;

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
    // The strip over the full height of `area` at its left, the labels and
    // the caption to its right, in `text` colour.
    void paintBar(QPainter* p, const QRect& area, const QColor& text) const;
    // Fraction of the bar height under the current mouse row, 0 at the bottom.
    double mouseFraction() const;

    QPointer<ColorScale> m_scale;
    QPixmap m_pixmap;
    QString m_caption;
    bool m_dragging = false;
    Limit m_active = Limit::None;
};
