#include "batch/CmdLine.h"

#include "base/TextItems.h"
#include "batch/BatchKeywords.h"

void CmdLine::parse(const QString& fromLine)
{
    *this = CmdLine();
    line = fromLine;
    const int hash = line.indexOf(QLatin1Char('#'));
    text = hash >= 0 ? line.left(hash) : line;
    if (text.isEmpty())
        return;
    QString rest = nextItem(line, cmd);
    QString item;
    while (!rest.isEmpty()) {
        rest = nextItem(rest, item);
        if (!item.isEmpty())
            args << item;
    }
}

int CmdLine::directiveId() const
{
    return BatchKeywords::directiveId(cmd);
}

int CmdLine::commandId() const
{
    return BatchKeywords::commandId(cmd);
}

bool CmdLine::isDirective() const
{
    return directiveId() != BatchKeywords::NoDirective;
}

bool CmdLine::isCommand() const
{
    return commandId() != BatchKeywords::NoCommand;
}

int CmdLine::extraCommandId() const
{
    return BatchKeywords::extraCommandId(cmd);
}

bool CmdLine::isExtraCommand() const
{
    return extraCommandId() != BatchKeywords::NoExtraCommand;
}

void registerBatchMetaTypes()
{
    qRegisterMetaType<CmdLine>("CmdLine");
}
