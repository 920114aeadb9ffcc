#include "imageview/ColorBar.h"

#include "display/ColorScale.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

// Row of the strip at fraction f of its height measured from the bottom, or
// -1 when it falls outside the strip.
int limitRow(double f)
{
    const double r = std::trunc((1.0 - f) * ColorBar::barHeight);
    return r >= 0.0 && r < ColorBar::barHeight ? int(r) : -1;
}

}

ColorBar::ColorBar(QWidget* parent)
    : DispA(parent)
    , m_pixmap(barWidth, barHeight)
{
    connect(this, &DispA::drawImage1, this, &ColorBar::draw1);
    connect(this, &DispA::mouseMoved0, this, &ColorBar::onMouseMoved);
    connect(this, &DispA::mousePressed0, this, &ColorBar::onMousePressed);
    connect(this, &DispA::mouseReleased0, this, &ColorBar::onMouseReleased);
    setScale(ColorScale::global());
}

void ColorBar::setScale(ColorScale* scale)
{
    if (m_scale)
        disconnect(m_scale, nullptr, this, nullptr);
    m_scale = scale;
    if (m_scale) {
        connect(m_scale, &ColorScale::limitsChanged, this, &ColorBar::onScaleChanged);
        connect(m_scale, &ColorScale::dataRangeChanged, this, &ColorBar::onScaleChanged);
    }
    onScaleChanged();
}

ColorScale* ColorBar::scale() const
{
    return m_scale;
}

double ColorBar::lo() const
{
    return m_scale ? m_scale->lo() : 0.0;
}

double ColorBar::hi() const
{
    return m_scale ? m_scale->hi() : 1.0;
}

double ColorBar::dataMin() const
{
    return m_scale ? m_scale->dataMin() : 0.0;
}

double ColorBar::dataMax() const
{
    return m_scale ? m_scale->dataMax() : 1.0;
}

void ColorBar::setDataRange(double min, double max)
{
    if (m_scale)
        m_scale->setDataRange(min, max);
}

void ColorBar::setFormat(int format)
{
    if (!m_scale)
        return;
    m_scale->setFormat(format);
    onScaleChanged();
}

int ColorBar::format() const
{
    return m_scale ? m_scale->format() : int(QImage::Format_Grayscale8);
}

QColor ColorBar::colorOf(double t) const
{
    return m_scale ? m_scale->color(t) : ColorMapper().color(t);
}

QColor ColorBar::colorOfH(int h) const
{
    const int H = height() > 0 ? height() : 1;
    return colorOf(std::clamp(double(h) / H, 0.0, 1.0));
}

void ColorBar::onScaleChanged()
{
    paintCBar();
    update();
}

void ColorBar::paintCBar()
{
    const ColorMapper m = m_scale ? m_scale->mapper() : ColorMapper();
    QPainter p(&m_pixmap);
    // Row n shows fraction (599 - n) / 600, so the strip runs from the bottom
    // of the table up to its top whatever the widget height.
    for (int n = 0; n < barHeight; ++n)
        p.fillRect(0, n, barWidth, 1, m.color(double(barHeight - 1 - n) / barHeight));

    p.setPen(QColor(0, 192, 255));
    for (double f : {hi(), lo()}) {
        const int row = limitRow(f);
        if (row >= 0)
            p.drawLine(0, row, barWidth - 1, row);
    }
}

void ColorBar::setCaption(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    update();
}

void ColorBar::paintBar(QPainter* p, const QRect& area, const QColor& text) const
{
    const int stripWidth = qMin(barWidth, area.width());
    p->drawPixmap(QRect(area.left(), area.top(), stripWidth, area.height()), m_pixmap);
    const QRect column(area.left() + stripWidth + 3, area.top(), area.width() - stripWidth - 3, area.height());
    if (column.width() < 16)
        return;
    p->save();
    p->setPen(text);
    const QFontMetrics fm(p->font());
    const int lh = fm.height();
    const auto rowOf = [&](double f) { return area.top() + int((1.0 - f) * area.height()); };
    const auto valueAt = [&](double f) { return dataMin() + (dataMax() - dataMin()) * f; };
    const auto label = [&](double v, int y, int align) {
        const QString t = QString::number(v, 'g', 5);
        p->drawText(QRect(column.left(), y, column.width(), lh), align | Qt::AlignLeft,
                    fm.elidedText(t, Qt::ElideRight, column.width()));
    };
    // The ends of the data range, and the values at the limit lines where
    // those lie away from the ends.
    label(dataMax(), area.top(), Qt::AlignTop);
    label(dataMin(), area.bottom() - lh + 1, Qt::AlignBottom);
    QVector<int> taken = {area.top(), area.bottom() - lh + 1};
    for (double f : {hi(), lo()}) {
        const int y = rowOf(f) - lh / 2;
        bool free = f > 0.0 && f < 1.0;
        for (int t : qAsConst(taken))
            free = free && std::abs(t - y) >= lh;
        if (free) {
            label(valueAt(f), y, Qt::AlignVCenter);
            taken.append(y);
        }
    }
    // The caption in the middle, broken into lines as the column allows.
    if (!m_caption.isEmpty()) {
        const QRect box(column.left(), area.top() + area.height() / 2 - 2 * lh, column.width(), 4 * lh);
        p->drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, m_caption);
    }
    p->restore();
}

QImage ColorBar::labelledPicture(int height) const
{
    QImage img(120, qMax(1, height), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setFont(font());
    paintBar(&p, img.rect(), Qt::black);
    return img;
}

void ColorBar::draw1(QPainter* p)
{
    // DispA paints white first; the labels sit on the window's colour.
    p->fillRect(rect(), palette().window());
    p->setFont(font());
    paintBar(p, rect(), palette().windowText().color());
}

double ColorBar::mouseFraction() const
{
    const double H = height() > 0 ? height() : 1;
    return (H - mc()->pos().y()) / H;
}

void ColorBar::onMousePressed()
{
    const double f = mouseFraction();
    const double dLo = std::abs(lo() - f);
    const double dHi = std::abs(hi() - f);
    if (dLo < dHi) {
        m_active = Limit::Lo;
        m_dragging = true;
    } else if (dHi < dLo) {
        m_active = Limit::Hi;
        m_dragging = true;
    }
    paintCBar();
    update();
}

void ColorBar::onMouseMoved()
{
    if (mc()->buttons() == Qt::NoButton || !m_dragging || !m_scale)
        return;
    // The scale's change signal repaints the strip and the widget.
    if (m_active == Limit::Lo)
        m_scale->setLo(mouseFraction());
    else if (m_active == Limit::Hi)
        m_scale->setHi(mouseFraction());
    emit cBarUpdating();
}

void ColorBar::onMouseReleased()
{
    emit cBarUpdated();
    m_dragging = false;
    paintCBar();
    update();
}
