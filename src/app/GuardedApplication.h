#pragma once

#include <QApplication>

// The application object of the program: memory that runs out in the
// handling of an event (a click, a repaint, a queued result) fails that
// event with a warning, "Not enough memory for ...", and the program goes on,
// where an uncaught std::bad_alloc would abort it. The program's own large
// allocations fail cleanly where they are made; this catches the rest.
class GuardedApplication : public QApplication
{
public:
    GuardedApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};
