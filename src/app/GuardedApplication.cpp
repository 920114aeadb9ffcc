#include "GuardedApplication.h"

#include <QDebug>
#include <QEvent>
#include <new>

GuardedApplication::GuardedApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
        // Nothing here may allocate much: a fixed text, the receiver's class.
        qWarning("Not enough memory for the work of %s (event %d); it was given up",
                 receiver ? receiver->metaObject()->className() : "?", event ? int(event->type()) : -1);
        return false;
    }
}
