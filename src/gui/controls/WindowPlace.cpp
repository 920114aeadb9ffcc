#include "controls/WindowPlace.h"

#include "base/Persisted.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

WindowPlace::WindowPlace(QWidget* window, QWidget* mainWindow, const QString& key, int slot)
    : QObject(window)
    , m_window(window)
    , m_main(mainWindow)
    , m_key(QStringLiteral("windows/") + key)
    , m_slot(slot)
{
}

void WindowPlace::manage(QWidget* window, QWidget* mainWindow, const QString& key, int slot)
{
    auto* placer = new WindowPlace(window, mainWindow, key, slot);
    window->installEventFilter(placer);
    if (window->isVisible())
        placer->place();
}

void WindowPlace::bringUp(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

QRect WindowPlace::besideMain(const QRect& main, const QSize& size, int slot, const QRect& screen)
{
    const int gap = 8;
    const int step = 40;
    const int w = std::min(size.width(), screen.width());
    const int h = std::min(size.height(), screen.height());
    // Edges one past the last pixel (QRect::right() is the last pixel).
    const int screenRight = screen.left() + screen.width();
    const int screenBottom = screen.top() + screen.height();
    const int mainRight = main.left() + main.width();
    int x;
    if (mainRight + gap + w <= screenRight)
        x = mainRight + gap;
    else if (main.left() - gap - w >= screen.left())
        x = main.left() - gap - w;
    else
        x = std::max(screen.left(), screenRight - w - slot * step);
    int y = main.top() + slot * step;
    y = std::max(screen.top(), std::min(y, screenBottom - h));
    return QRect(x, y, w, h);
}

void WindowPlace::place()
{
    m_placed = true;
    const QRect kept = Persisted::value(m_key).toRect();
    QScreen* screen = m_main && m_main->screen() ? m_main->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1600, 1200);
    if (kept.isValid() && area.intersects(kept)) {
        m_window->setGeometry(kept);
        return;
    }
    if (!m_main)
        return;
    const QRect main = m_main->frameGeometry();
    m_window->setGeometry(besideMain(main, m_window->size(), m_slot, area));
}

void WindowPlace::keep() const
{
    if (m_placed)
        Persisted::setValue(m_key, m_window->geometry());
}

bool WindowPlace::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window) {
        if (event->type() == QEvent::Show && !m_placed)
            place();
        else if (event->type() == QEvent::Hide || event->type() == QEvent::Close)
            keep();
    }
    return QObject::eventFilter(watched, event);
}
