#pragma once

#include "batch/BatchDispatcher.h"
#include "batch/CmdLine.h"

#include <QMetaObject>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

// Stands in for the main window's executor: records every line the
// dispatcher sends, reports unknown words as the batch window would
// ("Err: %1\n"), and answers each line with a queued completion, as the
// main window does from its own thread. Lines whose command word is in
// `hold` are left unanswered; after `stopAfter` lines it presses Stop; at the
// line numbered `failAt` it reports a failure instead of completing.
class FakeExecutor : public QObject
{
    Q_OBJECT
public:
    explicit FakeExecutor(BatchDispatcher* dispatcher, QObject* parent = nullptr)
        : QObject(parent), m_dispatcher(dispatcher)
    {
    }

    // Connects the dispatcher's signals to this object (queued when the
    // dispatcher lives in another thread).
    void attach()
    {
        connect(m_dispatcher, &BatchDispatcher::execCmdSig, this, &FakeExecutor::execCmdSlot);
        connect(m_dispatcher, &BatchDispatcher::Log, this, &FakeExecutor::appendLog);
        connect(m_dispatcher, &BatchDispatcher::runEnded, this, &FakeExecutor::onRunEnded);
        connect(m_dispatcher, &BatchDispatcher::runFailed, this, &FakeExecutor::onRunFailed);
    }

    QStringList sent;
    QString log;
    QList<bool> ends;
    QStringList failures;
    QStringList hold;
    // Where unknown words are reported; the log of this object when unset.
    std::function<void(const CmdLine&)> reportError;
    int stopAfter = 0;
    int failAt = 0;

    // One sent line as the golden files write it: line number, inRem, then
    // the command word and every argument in brackets.
    static QString describe(const CmdLine& cmd, bool inRem)
    {
        QString s = QStringLiteral("%1 %2 [%3]").arg(cmd.lineNo).arg(inRem ? 1 : 0).arg(cmd.cmd);
        for (const QString& a : cmd.args)
            s += QStringLiteral(" [%1]").arg(a);
        return s;
    }

signals:
    void lineReceived();
    void ended();

public slots:
    void appendLog(const QString& text) { log += text; }
    void onRunEnded(bool stopped)
    {
        ends << stopped;
        emit ended();
    }
    void onRunFailed(const QString& message) { failures << message; }

    void execCmdSlot(CmdLine cmd, bool inRem)
    {
        sent << describe(cmd, inRem);
        emit lineReceived();
        if (!inRem && !cmd.isCommand() && !cmd.isExtraCommand() && !cmd.isDirective()) {
            if (reportError)
                reportError(cmd);
            else
                log += QStringLiteral("Err: %1\n").arg(cmd.text);
        }
        if (stopAfter > 0 && sent.size() == stopAfter)
            QMetaObject::invokeMethod(m_dispatcher, &BatchDispatcher::batchStopSlot, Qt::QueuedConnection);
        if (failAt > 0 && cmd.lineNo == failAt) {
            const QString message = QStringLiteral("%1 failed").arg(cmd.cmd);
            QMetaObject::invokeMethod(m_dispatcher, [d = m_dispatcher, message] { d->commandFailed(message); },
                                      Qt::QueuedConnection);
            return;
        }
        if (!inRem && hold.contains(cmd.cmd))
            return;
        QMetaObject::invokeMethod(m_dispatcher, &BatchDispatcher::finishBatchExec, Qt::QueuedConnection);
    }

private:
    BatchDispatcher* m_dispatcher;
};
