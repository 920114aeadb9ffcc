#include "display/MouseC.h"

#include <climits>
#include <cmath>

MouseC::MouseC(QObject* parent)
    : QObject(parent)
{
}

int MouseC::roundHalfUp(double v)
{
    const double r = std::floor(v + 0.5);
    if (std::isnan(r))
        return 0;
    if (r >= double(INT_MAX))
        return INT_MAX;
    if (r <= double(INT_MIN))
        return INT_MIN;
    return int(r);
}

QPoint MouseC::roundHalfUp(const QPointF& p)
{
    return QPoint(roundHalfUp(p.x()), roundHalfUp(p.y()));
}

int MouseC::classify(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    int base;
    if (buttons == Qt::LeftButton)
        base = 0;
    else if (buttons == Qt::RightButton)
        base = 8;
    else
        return OtherGesture;
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool alt = modifiers & Qt::AltModifier;
    int m = 0;
    if (shift && ctrl && alt)
        m = 7;
    else if (ctrl && alt)
        m = 6;
    else if (shift && alt)
        m = 5;
    else if (shift && ctrl)
        m = 4;
    else if (alt)
        m = 3;
    else if (ctrl)
        m = 2;
    else if (shift)
        m = 1;
    return base + m;
}

void MouseC::recordMove(const QPointF& pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    m_prev = m_cur;
    m_cur = roundHalfUp(pos);
    m_buttons = buttons;
    m_mods = mods;
}

void MouseC::recordPress(const QPointF& pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    m_press = roundHalfUp(pos);
    m_prev = m_cur;
    m_cur = m_press;
    m_pressed = true;
    m_buttons = m_pressButtons = buttons;
    m_mods = m_pressMods = mods;
}

void MouseC::recordRelease(const QPointF& pos, Qt::MouseButton button, Qt::MouseButtons held,
                           Qt::KeyboardModifiers mods)
{
    m_release = roundHalfUp(pos);
    m_pressed = false;
    m_buttons = held;
    m_releaseButtons = held | button;
    m_mods = m_releaseMods = mods;
}

void MouseC::recordDoubleClick(const QPointF& pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    m_dclick = roundHalfUp(pos);
    m_dclickButtons = buttons;
    m_dclickMods = mods;
}

void MouseC::setPos(const QPoint& pos)
{
    m_prev = m_cur;
    m_cur = pos;
}
