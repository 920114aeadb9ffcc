#include "batch/BatchInterpreter.h"

#include "base/LogCategories.h"
#include "base/TextItems.h"
#include "batch/BatchArgs.h"
#include "batch/BatchKeywords.h"

#include <QDebug>

namespace {

// Position of a continuation mark (a backslash that is the last non-blank
// character of the text), or -1.
int continuationMark(const QString& text)
{
    int i = text.size() - 1;
    while (i >= 0 && text.at(i).isSpace())
        --i;
    return i >= 0 && text.at(i) == QLatin1Char('\\') ? i : -1;
}

} // namespace

void BatchInterpreter::start(const QStringList& lines)
{
    m_running = true;
    m_ended = false;
    m_lines = lines;
    m_lineIndex = 0;
    m_loops.clear();
    m_lastSentLineNo = 0;
}

bool BatchInterpreter::stop()
{
    const bool active = m_running && !m_ended;
    m_running = false;
    m_ended = true;
    return active;
}

QString BatchInterpreter::assembleLine()
{
    QString text = m_lines.at(m_lineIndex);
    for (int mark = continuationMark(text); mark >= 0; mark = continuationMark(text)) {
        text.truncate(mark);
        if (m_lineIndex + 1 >= m_lines.size())
            break;   // a backslash on the last line is simply dropped
        ++m_lineIndex;
        text += m_lines.at(m_lineIndex);
        if (text.size() > maxLineLength)
            break;   // refused by the caller; no need to join the rest
    }
    return text;
}

BatchInterpreter::Step BatchInterpreter::executeNextLine()
{
    Step step;
    if (!m_running)
        return step;
    if (m_lineIndex < 0 || m_lineIndex >= m_lines.size()) {
        if (!m_ended && m_lineIndex >= m_lines.size()) {
            m_ended = true;
            step.ended = true;
        }
        return step;
    }

    const int firstLine = m_lineIndex;
    const QString text = assembleLine();
    if (text.size() > maxLineLength) {
        step.failure = QStringLiteral("the line is longer than %1 characters").arg(maxLineLength);
        m_lastSentLineNo = firstLine + 1;
        m_lineIndex = int(m_lines.size());
        return step;
    }
    step.cmd.parse(text);
    step.cmd.lineNo = firstLine + 1;
    CmdLine& cmd = step.cmd;

    if (cmd.text.isEmpty()) {
        step.inRem = true;
    } else {
        const int id = cmd.directiveId();
        if (id == BatchKeywords::End) {
            // The index stays on this line and nothing is sent: the run ends here.
            if (!m_ended) {
                m_ended = true;
                step.ended = true;
            }
            return step;
        }
        if (id == BatchKeywords::RemEnd)
            m_inRem = false;
        if (id == BatchKeywords::RemStart) {
            m_inRem = true;
            step.inRem = true;
        } else if (m_inRem) {
            step.inRem = true;
        } else {
            if (id == BatchKeywords::For) {
                execFor(cmd, step);
            } else if (id == BatchKeywords::Next) {
                execNext(cmd, step);
            } else if (id == BatchKeywords::Echo) {
                substitute(m_loops, cmd.args);
                const QString echo = QStringLiteral("echo %1").arg(cmd.arg(0));
                qCDebug(lcResults).noquote() << echo;
                step.logs << echo;
            }
            if (cmd.isCommand() || cmd.isExtraCommand()) {
                substitute(m_loops, cmd.args);
                step.logs << QStringLiteral("%1 : %2\n").arg(cmd.cmd, cmd.args.join(QLatin1Char(' ')));
            }
            step.inRem = m_inRem;
        }
    }
    step.sent = true;
    m_lastSentLineNo = cmd.lineNo;
    ++m_lineIndex;
    return step;
}

void BatchInterpreter::execFor(const CmdLine& cmd, Step& step)
{
    LoopVar loop;
    QString rest = cmd.args.join(QLatin1Char(' '));
    rest = nextItem(rest, loop.name);
    rest = nextItem(rest, loop.token);
    rest = nextItem(rest, loop.start);
    rest = nextItem(rest, loop.end);
    nextItem(rest, loop.step);
    loop.forLine = m_lineIndex;
    loop.current = loop.start;

    for (int i = 0; i < m_loops.size(); ++i) {
        if (m_loops.at(i).name == loop.name) {
            m_loops.remove(i);
            break;
        }
    }
    m_loops.append(loop);
    step.logs << QStringLiteral("for %1 : %2 = %3\n").arg(loop.name, loop.token, loop.current);
}

void BatchInterpreter::execNext(const CmdLine& cmd, Step& step)
{
    const QString name = cmd.arg(0);
    LoopVar* loop = nullptr;
    for (LoopVar& l : m_loops) {
        if (l.name == name) {
            loop = &l;
            break;
        }
    }
    if (!loop) {
        step.logs << QStringLiteral("next %1 : %2 = %3\n").arg(QString(), QString(), QString());
        return;
    }

    const qint64 s = BatchArgs::toInt(loop->start);
    const qint64 e = BatchArgs::toInt(loop->end);
    const qint64 v = BatchArgs::toInt(loop->current);
    qint64 d = loop->step.isEmpty() ? 1 : BatchArgs::toInt(loop->step);
    if (d == 0)
        d = 1;
    // The step's sign is used as written: a step against the direction never
    // finishes (the user stops such a run).
    qint64 next;
    bool finished;
    if (s < e) {
        next = v + d;
        finished = next > e;
    } else {
        next = v - d;
        finished = next < e;
    }
    if (!finished) {
        loop->current = paddedValue(next, loop->start);
        m_lineIndex = loop->forLine;
    }
    step.logs << QStringLiteral("next %1 : %2 = %3\n").arg(loop->name, loop->token, loop->current);
}

QString BatchInterpreter::paddedValue(qint64 value, const QString& start)
{
    const QString digits = QString::number(value);
    if (start.size() > 1 && start.startsWith(QLatin1Char('0')) && digits.size() < start.size())
        return start.left(start.size() - digits.size()) + digits;
    return digits;
}

void BatchInterpreter::substitute(const QVector<LoopVar>& loops, QStringList& args)
{
    for (const LoopVar& loop : loops) {
        if (loop.token.isEmpty())
            continue;
        for (QString& arg : args) {
            int at = arg.indexOf(loop.token);
            if (at < 0)
                continue;
            QString out;
            int from = 0;
            for (; at >= 0; at = arg.indexOf(loop.token, from)) {
                const qint64 projected = qint64(out.size()) + (at - from) + loop.current.size()
                    + (arg.size() - at - loop.token.size());
                if (projected > maxArgumentLength) {
                    qCDebug(lcBatch).noquote() << "Batch argument too long; loop value not substituted";
                    break;
                }
                out += arg.midRef(from, at - from);
                out += loop.current;
                from = at + loop.token.size();
            }
            out += arg.midRef(from);
            arg = out;
        }
    }
}
