#include "CommandTable.h"

void CommandTable::add(int id, Action action)
{
    addLong(id, [action = std::move(action)](const CmdLine& cmd, BatchArgReader& args) {
        action(cmd, args);
        return true;
    });
}

void CommandTable::addLong(int id, Handler handler)
{
    // One row per id: a second row for the same word is a mistake of the
    // program, not of a script.
    Q_ASSERT_X(!m_rows.contains(id), "CommandTable::addLong", "two rows for one command id");
    m_rows.insert(id, std::move(handler));
}

bool CommandTable::run(int id, const CmdLine& cmd, BatchArgReader& args, const Failure& fail) const
{
    const auto row = m_rows.constFind(id);
    if (row == m_rows.constEnd()) {
        fail(QStringLiteral("No handler for command \"%1\" (id %2)").arg(cmd.cmd).arg(id));
        return true;
    }
    return (*row)(cmd, args);
}
