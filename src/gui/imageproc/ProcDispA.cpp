#include "imageproc/ProcDispA.h"

#include <QImage>
#include <QPainter>

ProcDispA::ProcDispA(QWidget* parent)
    : DispA(parent)
{
    connect(this, &DispA::drawImage1, this, &ProcDispA::drawOnScreen);
    connect(this, &DispA::mousePressed0, this, &ProcDispA::onMousePressed);
    connect(this, &DispA::mouseReleased0, this, &ProcDispA::onMouseReleased);
    connect(this, &DispA::mouseMoved0, this, &ProcDispA::onMouseMoved);
    connect(this, &DispA::wheelMoved0, this, &ProcDispA::onWheelMoved);
}

void ProcDispA::setImage(const QImage* image)
{
    m_image = image;
    m_view = image ? ViewWindow{0.0, 0.0, double(image->width()), double(image->height())} : ViewWindow{};
    update();
}

QPointF ProcDispA::imagePoint(const QPoint& screen) const
{
    return shownWindow().imagePoint(screen.x(), screen.y(), width(), height());
}

void ProcDispA::drawOnScreen(QPainter* p)
{
    // Square pixels, as in the main image view: grey beside the picture.
    const ViewWindow v = shownWindow();
    cc()->setScreen(0, 0, width(), height());
    cc()->setRange(v.x, v.y, v.x + v.w, v.y + v.h);
    if (!m_image || m_image->isNull() || v.isEmpty())
        return;
    p->fillRect(rect(), QColor(224, 224, 224));
    const QRectF part = v.rect().intersected(QRectF(0, 0, m_image->width(), m_image->height()));
    if (part.isEmpty())
        return;
    const QRectF target(QPointF(cc()->screenX(part.left()), cc()->screenY(part.top())),
                        QPointF(cc()->screenX(part.right()), cc()->screenY(part.bottom())));
    p->drawImage(target, *m_image, part);
}

void ProcDispA::onMousePressed()
{
    update();
}

void ProcDispA::onMouseReleased()
{
    update();
}

void ProcDispA::onMouseMoved()
{
    const QPointF pt = hasRealMousePos() ? realMousePos() : imagePoint(mc()->pos());
    emit mouseMoved(pt.x(), pt.y());
}

void ProcDispA::onWheelMoved()
{
    if (!wheelZoomEnabled())
        return;
    m_view.scaleAbout(imagePoint(mc()->pos()), zoomFactor());
    update();
}
