#pragma once

#include "BatchWait.h"
#include "BodyContext.h"
#include "CommandTable.h"

#include <QObject>
#include <QStringList>

class BatchDispatcher;

// The executor of the batch lines: the batch window and its dispatcher, the
// command table every controller fills, and the line in progress. A line
// completes when what it started has ended; a line that fails (a file that
// cannot be read or written, a run that cannot start, an unknown word, a word
// without a row in the table) ends the run with a message naming it.
class BatchExecutor : public QObject
{
    Q_OBJECT
public:
    explicit BatchExecutor(BodyContext& c);
    ~BatchExecutor() override;

    BatchDispatcher* dispatcher() const { return m_dispatcher; }
    CommandTable& table() { return m_table; }
    const CommandTable& table() const { return m_table; }

    // Executes one line (Body::execCmdSlot).
    void execute(const CmdLine& cmd, bool inRem);
    // Called on every finishBatchExec(): closes the line in progress once
    // the work it waits for has ended.
    void closeLineIfDone();

    // Writes `message` as a warning and into the status bar; a batch line in
    // progress fails with it.
    void reportFailure(const QString& message);
    // The last failure reported, empty when none.
    const QString& lastFailure() const { return m_lastFailure; }
    BatchWait::Work waitsFor() const { return m_wait.work; }
    // The line waits for `work` when `started`, else fails with `refusal`;
    // returns whether the line is done now.
    bool waitFor(BatchWait::Work work, bool started, const QString& refusal);
    // The line waits for the load of a series with the request number `request`.
    void waitForLoad(bool i1, int request);
    // The line waits for an HDF5 scan: the two loads (i0Request 0: none)
    // and the dark.
    void waitForScan(int i1Request, int i0Request);

signals:
    // The line is done now; relayed as Body::finishBatchExec().
    void workEnded();
    // Exactly one per line, when what it started has ended.
    void lineFinished();
    void commandFailed(QString message);
    // "quit": the program ends.
    void quitRequested();

private:
    bool executeCommand(const CmdLine& cmd);
    bool workDone() const;
    // Missing or malformed arguments of the line, as warnings and in the log.
    void logArgumentNotes(const QStringList& notes);

    BodyContext& m_c;
    BatchDispatcher* m_dispatcher = nullptr;
    CommandTable m_table;
    BatchWait m_wait;
    bool m_lineOpen = false;
    CmdLine m_cmd;
    QStringList m_failures;
    QString m_lastFailure;
};
