#include "base/Log.h"
#include "base/LogCategories.h"

#include <QDateTime>
#include <QDebug>
#include <new>
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
