#pragma once

#include "display/MouseC.h"
#include "plot/ChCoord.h"

#include <QFrame>
#include <QPointF>

class QPainter;

// A drawing area that paints through its owner (drawImage1/drawImage2 on a
// white background) and reports mouse and wheel activity as signals, keeping
// the mouse state and a chart mapping for whoever draws on it.
class DispA : public QFrame
{
    Q_OBJECT
public:
    explicit DispA(QWidget* parent = nullptr);

    ChCoord* cc() { return &m_cc; }
    const ChCoord* cc() const { return &m_cc; }
    MouseC* mc() { return &m_mc; }
    const MouseC* mc() const { return &m_mc; }

    // Factor of the last wheel notch: 1.1 toward the user, 1/1.1 away; 1 before any.
    double zoomFactor() const { return m_zoomFactor; }
    bool wheelZoomEnabled() const { return m_wheelZoom; }
    void setWheelZoomEnabled(bool f) { m_wheelZoom = f; }
    bool shiftPanEnabled() const { return m_shiftPan; }
    void setShiftPanEnabled(bool f) { m_shiftPan = f; }

    // The data point given to setRealMousePos(), as long as the mouse has not
    // moved since. Views report it instead of the rounded screen position.
    bool hasRealMousePos() const { return m_realPosValid; }
    QPointF realMousePos() const { return m_realPos; }

public slots:
    void setScreenMousePos(int x, int y);
    void setRealMousePos(double x, double y);

signals:
    void drawImage1(QPainter* p);
    void drawImage2(QPainter* p);
    void mouseMoved0();
    void mousePressed0();
    void mouseReleased0();
    void mouseDoubleClicked0();
    void wheelMoved0();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    ChCoord m_cc;
    MouseC m_mc;
    double m_zoomFactor = 1.0;
    bool m_wheelZoom = true;
    bool m_shiftPan = true;
    bool m_realPosValid = false;
    QPointF m_realPos;
};
