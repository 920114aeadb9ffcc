#pragma once

#include <QApplication>

// The application object of the program: memory that runs out in the
// handling of an event (a click, a repaint, a queued result) fails that
// event with a warning, "Not enough memory for ...", and the program goes on,
// where an uncaught std::bad_alloc would abort it. The program's own large
// allocations fail cleanly where they are made; this catches the rest.
//
// A run without a window (headless) ends instead, with status 1: the
// exception may have passed through Qt's own code, which then keeps locks
// held, and the next repaint would wait for them for ever. Nobody is there
// to save work first, and a hung cluster job is worse than a failed one.
class GuardedApplication : public QApplication
{
public:
    GuardedApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    void setEndOnOutOfMemory(bool end) { m_endOnOutOfMemory = end; }
    // Windows nobody sees (a headless run that takes no pictures) are not
    // painted: painting is wasted work there, and Qt's text drawing, short of
    // memory for its glyph cache, writes through a null picture and crashes
    // the run instead of failing it.
    void setPaintsWindows(bool paints) { m_paintsWindows = paints; }

private:
    bool m_endOnOutOfMemory = false;
    bool m_paintsWindows = true;
};
