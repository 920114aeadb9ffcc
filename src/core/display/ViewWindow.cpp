#include "display/ViewWindow.h"

#include <cmath>

namespace {

double side(double s)
{
    return s > 0.0 ? s : 1.0;
}

int floorToInt(double v, int lo, int hi)
{
    const double f = std::floor(v);
    if (!(f > lo))
        return lo;
    return f < hi ? int(f) : hi;
}

}

QPointF ViewWindow::imagePoint(double sx, double sy, double W, double H) const
{
    return QPointF(sx / side(W) * w + x, sy / side(H) * h + y);
}

void ViewWindow::zoomAbout(double sx, double sy, double W, double H, double f)
{
    const double gx = sx / side(W);
    const double gy = sy / side(H);
    x = x + gx * w - gx * w * f;
    y = y + gy * h - gy * h * f;
    w *= f;
    h *= f;
}

void ViewWindow::pan(const QPointF& from, const QPointF& to, double W, double H)
{
    x += (from.x() - to.x()) / side(W) * w;
    y += (from.y() - to.y()) / side(H) * h;
}

ViewWindow ViewWindow::fittedTo(double W, double H) const
{
    if (isEmpty() || !(W > 0.0) || !(H > 0.0))
        return *this;
    ViewWindow v = *this;
    const double widget = W / H;
    if (w / h < widget) {
        v.w = h * widget;
        v.x = x + (w - v.w) / 2.0;
    } else {
        v.h = w / widget;
        v.y = y + (h - v.h) / 2.0;
    }
    return v;
}

void ViewWindow::scaleAbout(const QPointF& p, double f)
{
    x = p.x() - (p.x() - x) * f;
    y = p.y() - (p.y() - y) * f;
    w *= f;
    h *= f;
}

ViewWindow ViewWindow::normalized() const
{
    ViewWindow v = *this;
    if (v.w < 0) {
        v.x += v.w;
        v.w = -v.w;
    }
    if (v.h < 0) {
        v.y += v.h;
        v.h = -v.h;
    }
    return v;
}

QRect ViewWindow::pixelRect(int imageWidth, int imageHeight) const
{
    if (imageWidth <= 0 || imageHeight <= 0)
        return QRect();
    const ViewWindow v = normalized();
    // One pixel beyond the image on each side is enough to tell "outside".
    const int x0 = floorToInt(v.x, -1, imageWidth);
    const int y0 = floorToInt(v.y, -1, imageHeight);
    const int x1 = floorToInt(v.x + v.w, -1, imageWidth);
    const int y1 = floorToInt(v.y + v.h, -1, imageHeight);
    return QRect(QPoint(x0, y0), QPoint(x1, y1)).intersected(QRect(0, 0, imageWidth, imageHeight));
}
