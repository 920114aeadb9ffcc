#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QtGlobal>

class QPainter;

// A view's drawing of a picture scaled into the widget, kept until the
// picture, the part shown or the widget's size changes. A mouse move then
// repaints the view by copying this drawing instead of scaling the whole
// picture again (scaling an 8-bit grey picture is several times slower than
// copying a drawing of the widget's size).
class FittedPicture
{
public:
    // What the drawing depends on: the picture's generation (see
    // DisplayLayer::pictureGeneration) and where it goes.
    struct Key
    {
        quint64 generation = 0;
        const QImage* picture = nullptr;
        QRectF source;    // part of the picture, in picture pixels
        QRectF target;    // where it goes, in widget coordinates
        QSize widgetSize;
        QColor background;
        qreal pixelRatio = 1.0;

        bool operator==(const Key& o) const;
        bool operator!=(const Key& o) const { return !(*this == o); }
    };

    // Draws `picture`'s `source` part into `target` on `background`, as one
    // drawImage() on a painter of the widget would, through the kept drawing;
    // the drawing is made again only when `key` differs from the last one.
    void draw(QPainter* p, const QImage& picture, const Key& key);

    // How often the drawing was made (for tests and benchmarks).
    int redraws() const { return m_redraws; }
    void clear();

private:
    QImage m_drawing;
    Key m_key;
    bool m_valid = false;
    int m_redraws = 0;
};
