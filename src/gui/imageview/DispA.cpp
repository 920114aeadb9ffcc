#include "imageview/DispA.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

DispA::DispA(QWidget* parent)
    : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    setMouseTracking(true);
}

void DispA::setScreenMousePos(int x, int y)
{
    m_realPosValid = false;
    m_mc.setPos(QPoint(x, y));
    emit mouseMoved0();
    update();
}

void DispA::setRealMousePos(double x, double y)
{
    m_mc.setPos(MouseC::roundHalfUp(QPointF(m_cc.screenX(x), m_cc.screenY(y))));
    m_realPos = QPointF(x, y);
    m_realPosValid = true;
    emit mouseMoved0();
    update();
}

void DispA::paintEvent(QPaintEvent* e)
{
    Q_UNUSED(e);
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    emit drawImage1(&p);
    emit drawImage2(&p);
}

void DispA::mouseMoveEvent(QMouseEvent* e)
{
    if (e->modifiers() & Qt::AltModifier)
        return;
    m_realPosValid = false;
    m_mc.recordMove(e->localPos(), e->buttons(), e->modifiers());
    emit mouseMoved0();
    update();
}

void DispA::mousePressEvent(QMouseEvent* e)
{
    m_realPosValid = false;
    m_mc.recordPress(e->localPos(), e->buttons(), e->modifiers());
    emit mousePressed0();
}

void DispA::mouseReleaseEvent(QMouseEvent* e)
{
    m_mc.recordRelease(e->localPos(), e->button(), e->buttons(), e->modifiers());
    emit mouseReleased0();
}

void DispA::mouseDoubleClickEvent(QMouseEvent* e)
{
    m_mc.recordDoubleClick(e->localPos(), e->buttons(), e->modifiers());
    emit mouseDoubleClicked0();
}

void DispA::wheelEvent(QWheelEvent* e)
{
    // A notch is 120 units of angle delta (15 degrees in eighths of a degree).
    const int delta = e->angleDelta().y();
    if (delta == 0) {
        // Sideways scrolling and the start/end events of touch pads carry no
        // vertical turn; they must not zoom.
        e->ignore();
        return;
    }
    const double steps = delta * 0.125 / 15.0;
    m_zoomFactor = steps < 0 ? 1.1 : 1.0 / 1.1;
    m_realPosValid = false;
    m_mc.recordMove(e->position(), e->buttons(), e->modifiers());
    emit wheelMoved0();
    e->accept();
}
