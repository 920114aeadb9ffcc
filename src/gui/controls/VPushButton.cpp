#include "controls/VPushButton.h"

#include "display/DrawText.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

VPushButton::VPushButton(QWidget* parent)
    : QPushButton(parent)
{
}

VPushButton::VPushButton(const QString& text, QWidget* parent)
    : QPushButton(text, parent)
{
}

QSize VPushButton::sizeHint() const
{
    return QPushButton::sizeHint().transposed();
}

QSize VPushButton::minimumSizeHint() const
{
    // A push button's minimum size hint is its size hint, which QPushButton
    // fetches through the virtual sizeHint(); ask for the unturned one directly.
    return QPushButton::sizeHint().transposed();
}

void VPushButton::paintEvent(QPaintEvent* e)
{
    Q_UNUSED(e);
    QStylePainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    // The frame as the style draws it, the text ourselves, turned on its side.
    option.text.clear();
    option.icon = QIcon();
    p.drawControl(QStyle::CE_PushButton, option);
    p.setPen(Qt::black);
    DrawText dt;
    dt.setFont(font());
    dt.putRotatedText(&p, text(), QRectF(rect()), 90, Qt::AlignCenter);
}
