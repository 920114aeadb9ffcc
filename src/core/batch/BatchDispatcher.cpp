#include "batch/BatchDispatcher.h"

#include "base/AnnounceOrEnd.h"
#include "base/Log.h"
#include "base/LogCategories.h"
#include "base/TextItems.h"

#include <QDebug>
#include <QThread>
#include <new>

BatchDispatcher::BatchDispatcher(QObject* parent)
    : QObject(parent)
{
    registerBatchMetaTypes();
    // Same object, same thread: a direct call.
    connect(this, &BatchDispatcher::execNextLineSig, this, &BatchDispatcher::execNextLineSlot,
            Qt::DirectConnection);
}

void BatchDispatcher::execNextLineSlot()
{
    // A line that runs out of memory fails, and the run ends with it, where
    // the run would otherwise wait for ever for a line that never ended.
    try {
        execNextLine();
    } catch (const std::bad_alloc&) {
        commandFailed(QStringLiteral("Not enough memory for the line"));
    }
}

void BatchDispatcher::execNextLine()
{
    const BatchInterpreter::Step step = m_interpreter.executeNextLine();
    if (!step.failure.isEmpty()) {
        // As the window reports a failed line, with only its start.
        const QString& line = m_interpreter.lines().value(m_interpreter.lastSentLineNo() - 1);
        emit Log(QStringLiteral("Err: %1...\n").arg(printable(line.left(60))));
        commandFailed(step.failure);
        return;
    }
    for (const QString& text : step.logs)
        emit Log(text);
    if (step.sent)
        emit execCmdSig(step.cmd, step.inRem);
    if (step.ended)
        announceEnd(false);
}

void BatchDispatcher::doDispatchCmds(QStringList cmdList)
{
    m_interpreter.start(cmdList);
    m_failure.clear();
    emit execNextLineSig();
}

void BatchDispatcher::batchStopSlot()
{
    if (m_interpreter.stop())
        announceEnd(true);
}

void BatchDispatcher::finishBatchExec()
{
    emit execNextLineSig();
}

void BatchDispatcher::commandFailed(QString message)
{
    if (!m_interpreter.running() || m_interpreter.hasEnded()) {
        qCDebug(lcBatch).noquote() << "Command failed outside a batch run:" << message;
        return;
    }
    m_interpreter.stop();
    // Reporting takes memory too: without it the run still ends, failed,
    // with a fixed text. Whatever of the report went out, the end is
    // announced, or the run would wait for ever.
    try {
        reportFailedLine(message);
    } catch (const std::bad_alloc&) {
        warnNoMemory("Not enough memory to report a failed line");
        try {
            if (m_failure.isEmpty())
                m_failure = QStringLiteral("Not enough memory");
        } catch (const std::bad_alloc&) {
        }
    }
    announceEnd(true);
}

void BatchDispatcher::reportFailedLine(QString message)
{
    // File names and words from a script may hold anything.
    message = printable(message);
    const QString text = QStringLiteral("Line %1: %2")
                             .arg(QString::number(m_interpreter.lastSentLineNo()), message);
    m_failure = text;
    qWarning().noquote() << text;
    emit Log(text + QLatin1Char('\n'));
    emit runFailed(text);
    emit runFailedAt(m_interpreter.lastSentLineNo(), message);
}

void BatchDispatcher::announceEnd(bool stopped)
{
    announceOrEnd("the end of the run", [&] { emit runEnded(stopped); });
}
