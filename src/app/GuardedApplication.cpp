#include "GuardedApplication.h"

#include "base/Log.h"

#include <QDebug>
#include <QEvent>
#include <cstdio>
#include <new>

GuardedApplication::GuardedApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    if (!m_paintsWindows && event
        && (event->type() == QEvent::Paint || event->type() == QEvent::UpdateRequest
            || event->type() == QEvent::UpdateLater))
        return true;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
        // Nothing here may allocate much: a fixed text, the receiver's class.
        const char* className = receiver ? receiver->metaObject()->className() : "?";
        const int type = event ? int(event->type()) : -1;
        if (m_endOnOutOfMemory) {
            char what[160];
            std::snprintf(what, sizeof what, "Not enough memory for the work of %s (event %d)", className, type);
            endForWantOfMemory(what);
        }
        qWarning("Not enough memory for the work of %s (event %d); it was given up", className, type);
        return false;
    }
}
