#pragma once

#include "display/ViewWindow.h"
#include "imageview/DispA.h"
#include "imageview/FittedPicture.h"

#include <QImage>
#include <QPointer>
#include <QRectF>
#include <QString>

class ColorScale;
class DisplayLayer;

// The image view: shows a layer (a detector image) or, with the overlay flag,
// a result layer, through a view window that the wheel zooms and Shift+drag
// pans; a left drag selects a rectangle, Ctrl+drag zooms to it, a right
// click clears it. Image pixels stay square: the view window is fitted to the
// widget's shape and the room beside the image stays empty.
class ImgDispA : public DispA
{
    Q_OBJECT
public:
    explicit ImgDispA(QWidget* parent = nullptr);

    // The shown image (not owned; nullptr forgets it). Renders it when it has
    // no picture yet; an empty view window becomes the whole image.
    void setImage(DisplayLayer* image);
    DisplayLayer* image() const { return m_image; }
    // The result layer shown instead of the image while the overlay flag is set
    // (not owned; nullptr forgets it).
    // The result layer shown with the overlay flag, and the caption drawn
    // over it so that a map on screen always says what it is.
    void setResultLayer(DisplayLayer* layer, const QString& title = QString());
    const QString& resultTitle() const { return m_resultTitle; }
    DisplayLayer* resultLayer() const { return m_result; }
    bool showOverlayer() const { return m_showOverlay; }
    // The layer drawn now: the result layer with the overlay flag, else the image.
    DisplayLayer* shownLayer() const { return m_showOverlay ? m_result : m_image; }

    // The colour scale whose data range follows the result layer (default the global one).
    void setScale(ColorScale* scale);
    ColorScale* scale() const;

    // The window asked for (the whole image, a zoomed part); the work area of
    // the runs when nothing is selected.
    ViewWindow viewWindow() const { return m_view; }
    void setViewWindow(const ViewWindow& v);
    // The window on screen: the view window fitted to the widget.
    ViewWindow shownWindow() const { return m_view.fittedTo(width(), height()); }
    // The committed selection (x, y, w, h in image pixels, w and h positive).
    QRectF selectedArea() const { return m_selection; }
    bool hasSelection() const { return m_hasSelection; }
    // The rubber band of a drag in progress (w and h may be negative).
    bool isSelecting() const { return m_selecting; }
    QRectF rubberBand() const { return m_band; }

    // Image point under a screen position of this widget, and back.
    QPointF imagePoint(const QPoint& screen) const;
    QPointF screenPointOf(const QPointF& imagePoint) const;
    // Copy of the shown picture from (x, y) to (x + w, y + h) of the view
    // window, ends included, limited to the picture; null when there is none.
    QImage visibleImage() const;
    // Brings the shown picture, and the colour scale's range over a result
    // layer, up to date as a repaint does, and returns the picture: a save
    // must not depend on whether the window was painted (headless runs paint
    // nothing). `shown`, when given, receives the layer the picture is of.
    const QImage* preparedImage(const DisplayLayer** shown = nullptr);

public slots:
    void drawImage(QPainter* p);
    void onMousePressed();
    void onMouseReleased();
    void onMouseMoved();
    void onWheelMoved();
    void resetImageViewWindow();
    void setShowOverlayer(bool f);
    void setSelectedArea(int x1, int y1, int x2, int y2);
    void setViewWAsSelectedArea();

signals:
    void mouseMoved(double x, double y);
    void mouseDragged(double x, double y);
    // The layer on show, or what it is, changed (another image, another
    // map, the overlay switched on or off).
    void shownLayerChanged();

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void syncChart();
    // The shown window's part of `layer`'s picture `img` at its place, grey around it.
    void drawFitted(QPainter* p, const DisplayLayer& layer, const QImage& img);
    void drawTitle(QPainter* p) const;
    void finishSelection(bool zoom);

    DisplayLayer* m_image = nullptr;
    DisplayLayer* m_result = nullptr;
    QString m_resultTitle;
    bool m_showOverlay = false;
    QPointer<ColorScale> m_scale;
    // Set when the scale changed or another image came since the last render.
    bool m_renderNeeded = false;
    ViewWindow m_view;
    QRectF m_selection;
    QRectF m_band;
    bool m_selecting = false;
    bool m_hasSelection = false;
    // The picture as last drawn: mouse moves repaint from it.
    FittedPicture m_fitted;
};
