#pragma once

#include <QObject>
#include <QRect>
#include <QString>

class QWidget;

// Places the secondary windows: the first time a window is shown it takes
// the place it had when the program last ended (when settings are kept),
// else a place beside the main window, each window a step further down so
// that they do not pile up in one corner or cover the main window. Its place
// is kept whenever it is hidden or the program ends.
class WindowPlace : public QObject
{
    Q_OBJECT
public:
    // `window` is placed relative to `mainWindow`; `slot` (0, 1, ...) tells
    // the windows beside it apart; `key` names its kept place.
    static void manage(QWidget* window, QWidget* mainWindow, const QString& key, int slot);
    // Shows `window` and brings it to the front (the Show buttons).
    static void bringUp(QWidget* window);

    // The place beside `main` for a window of `size` in slot `slot`, inside
    // `screen`: right of the main window when it fits, else left of it,
    // else over its right part; a step further down per slot.
    static QRect besideMain(const QRect& main, const QSize& size, int slot, const QRect& screen);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowPlace(QWidget* window, QWidget* mainWindow, const QString& key, int slot);
    void place();
    void keep() const;

    QWidget* m_window;
    QWidget* m_main;
    QString m_key;
    int m_slot;
    bool m_placed = false;
};
