#pragma once

#include "batch/BatchInterpreter.h"
#include "batch/CmdLine.h"

#include <QObject>
#include <QStringList>

// The batch interpreter as an object for a thread of its own: it sends one
// line at a time to the main window (execCmdSig) and waits for the
// completion (finishBatchExec) before the next. Every member is touched only
// from the dispatcher's thread.
class BatchDispatcher : public QObject
{
    Q_OBJECT
public:
    explicit BatchDispatcher(QObject* parent = nullptr);

    // The walk's state; read it only from the dispatcher's thread.
    const BatchInterpreter& interpreter() const { return m_interpreter; }
    // "Line %1: %2" of the command that failed in the last run; empty when
    // none did. Read it from the dispatcher's thread (or take runFailed).
    const QString& failure() const { return m_failure; }

signals:
    void execNextLineSig();
    void execCmdSig(CmdLine cmd, bool inRem);
    void Log(QString Log);
    // The run ended: the index passed the last line or ":end" was reached
    // (stopped false), or Stop or a failed command ended it (stopped true).
    // Once per run.
    void runEnded(bool stopped);
    // A command reported failure; `message` is "Line %1: %2".
    void runFailed(QString message);
    // The same failure as the script line number and what failed, for a
    // caller that names the script itself (a headless run).
    void runFailedAt(int lineNo, QString what);

public slots:
    void execNextLineSlot();
    void doDispatchCmds(QStringList cmdList);
    void batchStopSlot();
    void finishBatchExec();
    // The executor could not carry out the line in progress: the run ends as
    // if stopped, and the failure is logged with the script line number.
    // Nothing but a debug line when no run is active.
    void commandFailed(QString message);

private:
    void execNextLine();
    void reportFailedLine(QString message);
    void announceEnd(bool stopped);
    BatchInterpreter m_interpreter;
    QString m_failure;
};
