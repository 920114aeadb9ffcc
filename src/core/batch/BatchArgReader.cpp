#include "batch/BatchArgReader.h"

#include "batch/BatchArgs.h"

#include <cmath>

void BatchArgReader::note(int i, const char* what, const char* used)
{
    const QString word = m_cmd.cmd;
    if (i >= m_cmd.args.size()) {
        m_notes << QStringLiteral("argument %1 of %2 is missing; %3 is used")
                       .arg(QString::number(i + 1), word, QLatin1String(used));
        return;
    }
    m_notes << QStringLiteral("argument %1 of %2, \"%3\", is not %4; %5 is used")
                   .arg(QString::number(i + 1), word, m_cmd.arg(i), QLatin1String(what), QLatin1String(used));
}

int BatchArgReader::n(int i)
{
    bool ok = false;
    m_cmd.arg(i).toInt(&ok, 10);
    if (!ok)
        note(i, "an integer", "0");
    return BatchArgs::toInt(m_cmd.arg(i));
}

double BatchArgReader::x(int i)
{
    bool ok = false;
    const double v = m_cmd.arg(i).toDouble(&ok);
    if (!ok || !std::isfinite(v))
        note(i, "a number", "0");
    return BatchArgs::toDouble(m_cmd.arg(i));
}

bool BatchArgReader::flag(int i)
{
    bool ok = false;
    const int v = m_cmd.arg(i).toInt(&ok, 10);
    if (!ok || (v != 0 && v != 1))
        note(i, "0 or 1", "off");
    return BatchArgs::toFlag(m_cmd.arg(i));
}
