#include "base/Log.h"
#include "base/LogCategories.h"

#include <QDateTime>
#include <QDebug>
#include <cstdio>
#include <exception>
#include <new>
#include <pthread.h>
#include <unistd.h>

void logWithTime(const QString& message)
{
    qCDebug(lcTime).noquote() << message
                       << QDateTime::currentDateTime().toString(QStringLiteral("yyMMdd hh:mm:ss.zzz"));
}

namespace {

QtMessageHandler guardedHandler = nullptr;

// Writes what it can of `message` with a fixed buffer: ASCII characters as
// they are, others as '?'; long messages are cut at the buffer's end.
template <class Text>
void writeWithoutMemory(const Text& message)
{
    char line[1024];
    int n = 0;
    const int room = int(sizeof line) - 1;
    for (int i = 0; i < message.size() && n < room; ++i) {
        const ushort c = QChar(message.at(i)).unicode();
        line[n++] = c >= 0x20 && c < 0x7f ? char(c) : '?';
    }
    line[n++] = '\n';
    const ssize_t written = ::write(STDERR_FILENO, line, size_t(n));
    (void)written;
}

void guardedMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    try {
        if (guardedHandler)
            guardedHandler(type, context, message);
        else
            writeWithoutMemory(message);
    } catch (const std::bad_alloc&) {
        writeWithoutMemory(message);
    }
}

} // namespace

void guardMessageOutput()
{
    if (guardedHandler)
        return;
    guardedHandler = qInstallMessageHandler(guardedMessage);
}

void warnNoMemory(const char* text) noexcept
{
    try {
        qWarning("%s", text);
    } catch (...) {
        writeWithoutMemory(QLatin1String(text));
    }
}

void endForWantOfMemory(const char* what) noexcept
{
    char line[512];
    std::snprintf(line, sizeof line, "%s; the program ends", what);
    writeWithoutMemory(QLatin1String(line));
    std::fflush(stdout);
    // No exit handlers: they could wait for the very locks left held.
    ::_exit(1);
}

namespace {

std::terminate_handler terminateBelow = nullptr;

void endUncaughtOutOfMemory()
{
    bool outOfMemory = false;
    if (const std::exception_ptr pending = std::current_exception()) {
        try {
            std::rethrow_exception(pending);
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
        } catch (...) {
        }
    }
    if (outOfMemory) {
        char thread[16] = "?";
        pthread_getname_np(pthread_self(), thread, sizeof thread);
        char what[96];
        std::snprintf(what, sizeof what, "Not enough memory in the thread \"%s\" (nothing there could go on)", thread);
        endForWantOfMemory(what);
    }
    if (terminateBelow)
        terminateBelow();
    std::abort();
}

} // namespace

void endOnUncaughtOutOfMemory()
{
    if (std::get_terminate() != endUncaughtOutOfMemory)
        terminateBelow = std::set_terminate(endUncaughtOutOfMemory);
}
