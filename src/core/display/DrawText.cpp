#include "display/DrawText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QtMath>
#include <cmath>

DrawText::DrawText(QObject* parent)
    : QObject(parent)
    , m_colors{QColor(0, 220, 220), QColor(170, 255, 170), QColor(140, 180, 140), QColor(0, 0, 0)}
{
}

double DrawText::fitSize(const QString& text, const QSizeF& size, double requested, const QFont& base)
{
    QFont f(base);
    f.setPointSizeF(10.0);
    const QFontMetricsF fm(f);
    const double tw = text.isEmpty() ? 0.0 : fm.horizontalAdvance(text);
    const double th = text.isEmpty() ? 0.0 : fm.height();
    const double bw = std::abs(size.width());
    const double bh = std::abs(size.height());
    double scale = -1.0;
    if (tw > 0.0)
        scale = bw / tw;
    if (th > 0.0 && (scale < 0.0 || bh / th < scale))
        scale = bh / th;
    if (scale < 0.0)
        return requested > 0.0 ? requested : 10.0;
    const double fitted = 10.0 * scale;
    if (requested > 0.0 && requested < fitted)
        return requested;
    return fitted;
}

double DrawText::fittedSize(const QString& text, const QSizeF& size, double requested) const
{
    const FitKey key{text, size.width(), size.height(), requested};
    const auto known = m_fitted.constFind(key);
    if (known != m_fitted.constEnd())
        return known.value();
    // Labels that change all the time (read-outs) must not make it grow for ever.
    if (m_fitted.size() >= 512)
        m_fitted.clear();
    const double fitted = fitSize(text, size, requested, m_font);
    m_fitted.insert(key, fitted);
    return fitted;
}

void DrawText::putText(QPainter* p, const QString& text, const QRectF& rect, int align,
                       double pointSize, bool fit) const
{
    if (!p)
        return;
    const QRectF r = rect.normalized();
    const double size = fit ? fittedSize(text, r.size(), pointSize) : pointSize;
    // A box of no size has no fitting font (QFont refuses sizes that are not positive).
    if (fit && !(size > 0.0))
        return;
    QFont f(m_font);
    if (size > 0.0)
        f.setPointSizeF(size);
    const QFont saved = p->font();
    p->setFont(f);
    p->drawText(r, align, text);
    p->setFont(saved);
}

void DrawText::putRotatedText(QPainter* p, const QString& text, const QRectF& rect, double angle,
                              int align, double pointSize, bool fit, const QColor& background) const
{
    if (!p)
        return;
    const QRectF r = rect.normalized();
    const double a = qDegreesToRadians(angle);
    // Which way the text runs decides whether the box is lying or standing.
    const bool upright = std::abs(std::cos(a)) < std::abs(std::sin(a));
    const QSizeF boxSize = upright ? r.size().transposed() : r.size();
    // The centre of `rect` expressed in the rotated frame.
    const QPointF c = r.center();
    const QPointF cr(c.x() * std::cos(a) + c.y() * std::sin(a), -c.x() * std::sin(a) + c.y() * std::cos(a));
    const QRectF box(cr.x() - boxSize.width() / 2, cr.y() - boxSize.height() / 2, boxSize.width(),
                     boxSize.height());
    const QTransform saved = p->worldTransform();
    p->rotate(angle);
    if (background.isValid())
        p->fillRect(box, background);
    putText(p, text, box, align, pointSize, fit);
    p->setWorldTransform(saved);
}

QColor DrawText::color(int i) const
{
    return i >= 0 && i < colorCount ? m_colors[i] : QColor(0, 0, 0);
}

void DrawText::setColor(int i, const QColor& c)
{
    if (i >= 0 && i < colorCount)
        m_colors[i] = c;
}
