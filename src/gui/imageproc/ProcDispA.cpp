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
    return m_view.imagePoint(screen.x(), screen.y(), width(), height());
}

void ProcDispA::drawOnScreen(QPainter* p)
{
    if (m_image && !m_image->isNull() && !m_view.isEmpty())
        p->drawImage(QRectF(0, 0, width(), height()), *m_image, m_view.rect());
    cc()->setScreen(0, 0, width(), height());
    cc()->setRange(m_view.x, m_view.y, m_view.x + m_view.w, m_view.y + m_view.h);
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
    m_view.zoomAbout(mc()->pos().x(), mc()->pos().y(), width(), height(), zoomFactor());
    update();
}
