#pragma once

#include "display/ViewWindow.h"
#include "imageview/DispA.h"

class QImage;

// A plain picture view for processed images: the wheel zooms about the mouse
// and moving the mouse reports the image point under it.
class ProcDispA : public DispA
{
    Q_OBJECT
public:
    explicit ProcDispA(QWidget* parent = nullptr);

    // The picture to show (not owned; nullptr shows nothing). The view window
    // becomes the whole picture.
    void setImage(const QImage* image);
    const QImage* image() const { return m_image; }
    ViewWindow viewWindow() const { return m_view; }
    // The view window fitted to the widget (square pixels).
    ViewWindow shownWindow() const { return m_view.fittedTo(width(), height()); }
    QPointF imagePoint(const QPoint& screen) const;

public slots:
    void drawOnScreen(QPainter* p);
    void onMousePressed();
    void onMouseReleased();
    void onMouseMoved();
    void onWheelMoved();

signals:
    void mouseMoved(double x, double y);

private:
    const QImage* m_image = nullptr;
    ViewWindow m_view;
};
