#include "imageview/FittedPicture.h"

#include <QPainter>
#include <QtMath>

bool FittedPicture::Key::operator==(const Key& o) const
{
    return generation == o.generation && picture == o.picture && source == o.source && target == o.target
        && widgetSize == o.widgetSize && background == o.background && pixelRatio == o.pixelRatio;
}

void FittedPicture::draw(QPainter* p, const QImage& picture, const Key& key)
{
    if (!p || key.widgetSize.isEmpty() || !(key.pixelRatio > 0.0))
        return;
    if (!m_valid || key != m_key) {
        const QSize pixels(qCeil(key.widgetSize.width() * key.pixelRatio),
                           qCeil(key.widgetSize.height() * key.pixelRatio));
        if (m_drawing.size() != pixels)
            m_drawing = QImage(pixels, QImage::Format_RGB32);
        // Without the memory for the drawing, draw straight onto the widget.
        if (m_drawing.isNull()) {
            m_valid = false;
            p->fillRect(QRect(QPoint(0, 0), key.widgetSize), key.background);
            p->drawImage(key.target, picture, key.source);
            return;
        }
        m_drawing.setDevicePixelRatio(key.pixelRatio);
        QPainter d(&m_drawing);
        d.fillRect(QRect(QPoint(0, 0), key.widgetSize), key.background);
        if (!key.source.isEmpty())
            d.drawImage(key.target, picture, key.source);
        d.end();
        m_key = key;
        m_valid = true;
        ++m_redraws;
    }
    p->drawImage(QPointF(0, 0), m_drawing);
}

void FittedPicture::clear()
{
    m_drawing = QImage();
    m_valid = false;
}
