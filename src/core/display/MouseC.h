#pragma once

#include <QObject>
#include <QPoint>
#include <QPointF>

// The mouse state of a drawing area: the positions of the last move, press,
// release and double click, with the buttons and keyboard modifiers of each,
// and the gesture class of the last press.
class MouseC : public QObject
{
    Q_OBJECT
public:
    // Gesture classes of a press: left button alone 0, with Shift 1, Ctrl 2,
    // Alt 3, Shift+Ctrl 4, Shift+Alt 5, Ctrl+Alt 6, all three 7; the right
    // button the same plus 8; any other button combination 16.
    enum Gesture {
        Left = 0, ShiftLeft = 1, CtrlLeft = 2, AltLeft = 3,
        Right = 8, ShiftRight = 9,
        OtherGesture = 16
    };

    explicit MouseC(QObject* parent = nullptr);

    // Nearest integer with halves rounded up, also for negative values
    // (-2.5 gives -2); values beyond the int range are clamped, NaN gives 0.
    static int roundHalfUp(double v);
    static QPoint roundHalfUp(const QPointF& p);
    // Only Shift, Ctrl and Alt take part; other modifiers (keypad, meta) are ignored.
    static int classify(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

    // A move: previous := current, then the new position, buttons and modifiers.
    void recordMove(const QPointF& pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
    // A press also moves the current position to the press point, so a drag
    // measures its first step from where the button went down.
    void recordPress(const QPointF& pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
    // `button` is the one let go, `held` those still down afterwards; the
    // buttons at release are both together.
    void recordRelease(const QPointF& pos, Qt::MouseButton button, Qt::MouseButtons held,
                       Qt::KeyboardModifiers mods);
    void recordDoubleClick(const QPointF& pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
    // Sets the current position (previous := current).
    void setPos(const QPoint& pos);

    QPoint prevPos() const { return m_prev; }
    QPoint pos() const { return m_cur; }
    QPoint pressPos() const { return m_press; }
    QPoint releasePos() const { return m_release; }
    QPoint doubleClickPos() const { return m_dclick; }
    bool isPressed() const { return m_pressed; }

    Qt::MouseButtons buttons() const { return m_buttons; }
    Qt::MouseButtons pressButtons() const { return m_pressButtons; }
    Qt::MouseButtons releaseButtons() const { return m_releaseButtons; }
    Qt::MouseButtons doubleClickButtons() const { return m_dclickButtons; }
    Qt::KeyboardModifiers modifiers() const { return m_mods; }
    Qt::KeyboardModifiers pressModifiers() const { return m_pressMods; }
    Qt::KeyboardModifiers releaseModifiers() const { return m_releaseMods; }
    Qt::KeyboardModifiers doubleClickModifiers() const { return m_dclickMods; }

    // Gesture class of the buttons and modifiers recorded at the last press.
    int gesture() const { return classify(m_pressButtons, m_pressMods); }

private:
    QPoint m_prev, m_cur, m_press, m_release, m_dclick;
    bool m_pressed = false;
    Qt::MouseButtons m_buttons, m_pressButtons, m_releaseButtons, m_dclickButtons;
    Qt::KeyboardModifiers m_mods, m_pressMods, m_releaseMods, m_dclickMods;
};
