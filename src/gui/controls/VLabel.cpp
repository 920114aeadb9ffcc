#include "controls/VLabel.h"

#include "display/DrawText.h"

#include <QPainter>

VLabel::VLabel(QWidget* parent)
    : QLabel(parent)
{
}

VLabel::VLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
}

QSize VLabel::sizeHint() const
{
    return QLabel::sizeHint().transposed();
}

QSize VLabel::minimumSizeHint() const
{
    return QLabel::minimumSizeHint().transposed();
}

void VLabel::paintEvent(QPaintEvent* e)
{
    Q_UNUSED(e);
    QPainter p(this);
    p.setPen(Qt::black);
    DrawText dt;
    dt.setFont(font());
    dt.putRotatedText(&p, text(), QRectF(rect()), 90, Qt::AlignCenter);
}
