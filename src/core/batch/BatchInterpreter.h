#pragma once

#include "batch/CmdLine.h"
#include "batch/LoopVar.h"

#include <QStringList>
#include <QVector>

// The batch language without threads or signals: walks a script one logical
// line per call, handles the directives (loops, echo, block comments, end)
// and says what to log and which line to hand to the executor. The
// dispatcher turns each Step into signals; tests and the fuzzer call it
// directly.
class BatchInterpreter
{
public:
    // A substituted argument never grows beyond this many characters: a chain
    // of loops whose values contain their own tokens would otherwise multiply
    // an argument's length with every loop.
    static constexpr int maxArgumentLength = 1 << 20;
    // A logical line (continuation lines joined) longer than this fails: a
    // script line is a command and a few file names, and a line of megabytes
    // would take seconds and gigabytes to split.
    static constexpr int maxLineLength = 1 << 16;

    // What one call of executeNextLine() did.
    struct Step {
        // Texts for the progress log, in order (no line feed is added).
        QStringList logs;
        // A line goes to the executor: `cmd` with `inRem`.
        bool sent = false;
        CmdLine cmd;
        bool inRem = false;
        // The run ended with this call: the index passed the last line, or
        // ":end" was reached. Reported once per run.
        bool ended = false;
        // The line cannot be executed (it is too long): nothing is sent, and
        // the run is to fail with this message at lastSentLineNo().
        QString failure;
    };

    // Starts a run over `lines` (one entry per physical line): running,
    // index 0, no loops. The block-comment state is kept.
    void start(const QStringList& lines);
    // Executes the next logical line (nothing unless running and the index
    // lies inside the script).
    Step executeNextLine();
    // Clears `running`. True when this ends a run that had not ended yet.
    bool stop();

    bool running() const { return m_running; }
    bool inRem() const { return m_inRem; }
    bool hasEnded() const { return m_ended; }
    int lineIndex() const { return m_lineIndex; }
    const QStringList& lines() const { return m_lines; }
    const QVector<LoopVar>& loops() const { return m_loops; }
    // 1-based script line of the last line sent to the executor (0 before).
    int lastSentLineNo() const { return m_lastSentLineNo; }

    // Replaces every occurrence of each loop's token in `args` by its current
    // value, loop after loop in order, left to right without rescanning an
    // inserted value. An empty token replaces nothing.
    static void substitute(const QVector<LoopVar>& loops, QStringList& args);
    // The value after `value` for a loop whose start is `start`: a start of
    // more than one character that begins with "0" lends its first characters
    // as a prefix up to its own length ("08" -> "09", "001" -> "010").
    static QString paddedValue(qint64 value, const QString& start);

private:
    // Joins continuation lines from m_lineIndex on; leaves the index on the
    // last physical line used.
    QString assembleLine();
    void execFor(const CmdLine& cmd, Step& step);
    void execNext(const CmdLine& cmd, Step& step);

    bool m_running = false;
    bool m_inRem = false;
    bool m_ended = false;
    QStringList m_lines;
    int m_lineIndex = 0;
    QVector<LoopVar> m_loops;
    int m_lastSentLineNo = 0;
};
