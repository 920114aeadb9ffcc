#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>

// The part of an image (x, y, w, h in image pixels) that an image view
// shows, with the zoom and pan arithmetic of the views. A view draws the
// window fitted to its widget (fittedTo), so image pixels stay square: the
// window grows about its centre along the side the widget has room for.
struct ViewWindow {
    double x = 0.0;
    double y = 0.0;
    double w = 0.0;
    double h = 0.0;

    static ViewWindow fromRect(const QRectF& r) { return {r.x(), r.y(), r.width(), r.height()}; }
    QRectF rect() const { return QRectF(x, y, w, h); }
    bool isEmpty() const { return !(w > 0.0 && h > 0.0); }

    // Image point under screen position (sx, sy) of a W x H widget:
    // (sx / W x w + x, sy / H x h + y). A widget side of 0 counts as 1.
    QPointF imagePoint(double sx, double sy, double W, double H) const;
    // Scales the window by f about screen position (sx, sy), so the image
    // point under it stays where it is.
    void zoomAbout(double sx, double sy, double W, double H, double f);
    // Moves the window so the image point under the mouse follows it from
    // screen position `from` to `to`.
    void pan(const QPointF& from, const QPointF& to, double W, double H);

    // The window a W x H widget shows so that image pixels are square: this
    // one widened or heightened about its centre to the widget's aspect
    // ratio (unchanged when it is empty or the widget has no size).
    ViewWindow fittedTo(double W, double H) const;
    // Scales the window by f about image point p (p stays where it is).
    void scaleAbout(const QPointF& p, double f);

    // Same rectangle with non-negative width and height.
    ViewWindow normalized() const;
    // Whole pixels from (x, y) to (x + w, y + h), both ends included, limited
    // to an image of the given size; empty when nothing of it lies inside.
    QRect pixelRect(int imageWidth, int imageHeight) const;
};
