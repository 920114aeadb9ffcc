#pragma once

#include "batch/BatchArgReader.h"
#include "batch/CmdLine.h"

#include <QHash>
#include <QString>
#include <functional>

// The batch executor's table from a command id (BatchKeywords: the 112
// command words and the extra words) to what the command does. Each
// controller of the main window adds the rows of its concern; a line whose id
// has no row fails with a message naming the word instead of doing nothing.
class CommandTable
{
public:
    // A command that may start long work: true when the line is done on
    // return, false when it completes later (the work it started says so).
    using Handler = std::function<bool(const CmdLine& cmd, BatchArgReader& args)>;
    // A command that is done when it returns.
    using Action = std::function<void(const CmdLine& cmd, BatchArgReader& args)>;
    using Failure = std::function<void(const QString& message)>;

    void add(int id, Action action);
    void addLong(int id, Handler handler);

    bool has(int id) const { return m_rows.contains(id); }
    int size() const { return m_rows.size(); }

    // Runs the row of `id` and returns whether the line is done. Without a
    // row, `fail` hears "No handler for command ..." and the line is done.
    bool run(int id, const CmdLine& cmd, BatchArgReader& args, const Failure& fail) const;

private:
    QHash<int, Handler> m_rows;
};
