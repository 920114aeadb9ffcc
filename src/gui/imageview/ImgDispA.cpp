#include "imageview/ImgDispA.h"

#include "display/ColorScale.h"
#include "display/DisplayLayer.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>

ImgDispA::ImgDispA(QWidget* parent)
    : DispA(parent)
{
    connect(this, &DispA::drawImage1, this, &ImgDispA::drawImage);
    connect(this, &DispA::mousePressed0, this, &ImgDispA::onMousePressed);
    connect(this, &DispA::mouseReleased0, this, &ImgDispA::onMouseReleased);
    connect(this, &DispA::mouseMoved0, this, &ImgDispA::onMouseMoved);
    connect(this, &DispA::wheelMoved0, this, &ImgDispA::onWheelMoved);
    setScale(ColorScale::global());
}

void ImgDispA::setImage(DisplayLayer* image)
{
    const bool changed = image != m_image;
    if (changed)
        m_renderNeeded = true;
    m_image = image;
    if (changed)
        emit shownLayerChanged();
    if (!m_image)
        return;
    if (!m_image->layerImage()) {
        m_image->renderLayer();
        m_renderNeeded = false;
    }
    if (m_view.w == 0.0)
        resetImageViewWindow();
}

void ImgDispA::setResultLayer(DisplayLayer* layer, const QString& title)
{
    const QString t = layer ? title : QString();
    if (layer == m_result && t == m_resultTitle)
        return;
    m_result = layer;
    m_resultTitle = t;
    emit shownLayerChanged();
}

void ImgDispA::setScale(ColorScale* scale)
{
    if (m_scale)
        disconnect(m_scale, nullptr, this, nullptr);
    m_scale = scale;
    if (m_scale)
        connect(m_scale, &ColorScale::limitsChanged, this, [this] { m_renderNeeded = true; });
    m_renderNeeded = true;
}

ColorScale* ImgDispA::scale() const
{
    return m_scale;
}

void ImgDispA::setViewWindow(const ViewWindow& v)
{
    m_view = v;
    syncChart();
    update();
}

QPointF ImgDispA::imagePoint(const QPoint& screen) const
{
    return shownWindow().imagePoint(screen.x(), screen.y(), width(), height());
}

QPointF ImgDispA::screenPointOf(const QPointF& imagePoint) const
{
    const ViewWindow v = shownWindow();
    if (v.isEmpty())
        return QPointF();
    return QPointF((imagePoint.x() - v.x) / v.w * width(), (imagePoint.y() - v.y) / v.h * height());
}

QImage ImgDispA::visibleImage() const
{
    const DisplayLayer* layer = shownLayer();
    const QImage* img = layer ? layer->layerImage() : nullptr;
    if (!img || img->isNull())
        return QImage();
    const QRect r = m_view.pixelRect(img->width(), img->height());
    return r.isEmpty() ? QImage() : img->copy(r);
}

const QImage* ImgDispA::preparedImage(const DisplayLayer** shown)
{
    const QImage* img = nullptr;
    const DisplayLayer* layer = nullptr;
    if (m_showOverlay) {
        if (m_result) {
            double lo = 0.0, hi = 0.0;
            if (m_scale && m_result->layerRange(lo, hi) && (lo != m_scale->dataMin() || hi != m_scale->dataMax()))
                m_scale->setDataRange(lo, hi);
            img = m_result->layerImage();
            layer = m_result;
        }
    } else if (m_image) {
        // The picture follows the colour scale: render again only when the
        // scale changed or the image is new to this view, not on every repaint.
        if (m_renderNeeded || !m_image->layerImage()) {
            m_image->renderLayer();
            m_renderNeeded = false;
        }
        img = m_image->layerImage();
        layer = m_image;
    }
    if (shown)
        *shown = layer;
    return img;
}

void ImgDispA::drawImage(QPainter* p)
{
    const DisplayLayer* layer = nullptr;
    const QImage* img = preparedImage(&layer);
    syncChart();
    if (layer && img && !img->isNull() && !m_view.isEmpty())
        drawFitted(p, *layer, *img);
    if (m_showOverlay && img && !m_resultTitle.isEmpty())
        drawTitle(p);
    if (m_selecting) {
        QPen pen(QColor(192, 192, 255));
        pen.setStyle(Qt::DashLine);
        p->setPen(pen);
        p->setBrush(Qt::NoBrush);
        const ChCoord* c = cc();
        p->drawRect(QRectF(QPointF(c->screenX(m_band.left()), c->screenY(m_band.top())),
                           QPointF(c->screenX(m_band.left() + m_band.width()),
                                   c->screenY(m_band.top() + m_band.height())))
                        .normalized());
    }
}

void ImgDispA::drawFitted(QPainter* p, const DisplayLayer& layer, const QImage& img)
{
    FittedPicture::Key key;
    key.generation = layer.pictureGeneration();
    key.picture = &img;
    // The room beside the image is grey, so the image's own edge shows.
    key.background = QColor(224, 224, 224);
    key.widgetSize = size();
    key.pixelRatio = devicePixelRatioF();
    const QRectF part = shownWindow().rect().intersected(QRectF(0, 0, img.width(), img.height()));
    if (!part.isEmpty()) {
        key.source = part;
        key.target = QRectF(screenPointOf(part.topLeft()), screenPointOf(part.bottomRight()));
    }
    m_fitted.draw(p, img, key);
}

void ImgDispA::drawTitle(QPainter* p) const
{
    // Top-left caption on a dark band, readable over any colour of the map.
    const QFontMetrics fm(font());
    const int pad = 4;
    const QRect text = fm.boundingRect(m_resultTitle);
    const QRect band(0, 0, text.width() + 2 * pad, fm.height() + 2 * pad);
    p->save();
    p->fillRect(band, QColor(0, 0, 0, 160));
    p->setPen(Qt::white);
    p->setFont(font());
    p->drawText(band, Qt::AlignCenter, m_resultTitle);
    p->restore();
}

void ImgDispA::onMousePressed()
{
    const int g = mc()->gesture();
    if (g == MouseC::Left || g == MouseC::CtrlLeft) {
        // The committed selection stays until the drag yields a real rectangle.
        m_band = QRectF(imagePoint(mc()->pressPos()), QSizeF(0, 0));
        m_selecting = true;
    } else if (g == MouseC::Right) {
        m_selection = QRectF();
        m_band = QRectF();
        m_selecting = false;
        m_hasSelection = false;
    }
    update();
}

void ImgDispA::onMouseMoved()
{
    const QPointF pt = hasRealMousePos() ? realMousePos() : imagePoint(mc()->pos());
    if (mc()->buttons() == Qt::NoButton) {
        emit mouseMoved(pt.x(), pt.y());
        return;
    }
    const int g = mc()->gesture();
    if ((g == MouseC::Left || g == MouseC::CtrlLeft) && m_selecting) {
        m_band.setWidth(pt.x() - m_band.x());
        m_band.setHeight(pt.y() - m_band.y());
    } else if (g == MouseC::ShiftLeft && shiftPanEnabled()) {
        // The window on screen moves; the one asked for moves with it.
        ViewWindow shown = shownWindow();
        shown.pan(mc()->prevPos(), mc()->pos(), width(), height());
        const ViewWindow before = shownWindow();
        m_view.x += shown.x - before.x;
        m_view.y += shown.y - before.y;
        syncChart();
    }
    emit mouseDragged(pt.x(), pt.y());
}

void ImgDispA::onMouseReleased()
{
    const int g = mc()->gesture();
    if (m_selecting && (g == MouseC::Left || g == MouseC::CtrlLeft))
        finishSelection(g == MouseC::CtrlLeft);
    m_selecting = false;
    update();
}

void ImgDispA::finishSelection(bool zoom)
{
    m_selecting = false;
    if (m_band.width() == 0.0 || m_band.height() == 0.0)
        return;
    m_selection = m_band.normalized();
    m_hasSelection = true;
    if (zoom)
        setViewWindow(ViewWindow::fromRect(m_selection));
}

void ImgDispA::onWheelMoved()
{
    if (!wheelZoomEnabled())
        return;
    m_view.scaleAbout(imagePoint(mc()->pos()), zoomFactor());
    syncChart();
    update();
}

void ImgDispA::resetImageViewWindow()
{
    if (m_image)
        setViewWindow({0.0, 0.0, double(m_image->layerWidth()), double(m_image->layerHeight())});
}

void ImgDispA::setShowOverlayer(bool f)
{
    if (f == m_showOverlay)
        return;
    m_showOverlay = f;
    emit shownLayerChanged();
}

void ImgDispA::setSelectedArea(int x1, int y1, int x2, int y2)
{
    m_selection = QRectF(x1, y1, double(x2) - x1, double(y2) - y1).normalized();
    m_hasSelection = true;
    update();
}

void ImgDispA::setViewWAsSelectedArea()
{
    // A selection without area would make a view window of no size.
    if (m_hasSelection && m_selection.width() > 0 && m_selection.height() > 0)
        setViewWindow(ViewWindow::fromRect(m_selection));
}

void ImgDispA::resizeEvent(QResizeEvent* e)
{
    DispA::resizeEvent(e);
    syncChart();
}

void ImgDispA::syncChart()
{
    const ViewWindow v = shownWindow();
    cc()->setScreen(0, 0, width(), height());
    cc()->setRange(v.x, v.y, v.x + v.w, v.y + v.h);
}
