#include "base/LogCategories.h"
#include "base/TextItems.h"

#include <QDebug>

QString nextItem(const QString& line, QString& item)
{
    const int n = line.size();
    int start = 0;
    while (start < n && line.at(start).isSpace())
        ++start;
    if (start == n) {
        item.clear();
        return QString();
    }

    if (line.at(start) == QLatin1Char('"')) {
        const int close = line.indexOf(QLatin1Char('"'), start + 1);
        if (close < 0) {
            qCDebug(lcBase).noquote() << QString("In a line [%1] item is started from quote but not ended by quote").arg(line);
            item = line.mid(start + 1);
            return QString();
        }
        item = line.mid(start + 1, close - start - 1);
        return line.mid(close + 1);
    }

    int end = start;
    while (end < n && !line.at(end).isSpace())
        ++end;
    item = line.mid(start, end - start);
    if (item.endsWith(QLatin1Char('"')))
        qCDebug(lcBase).noquote() << QString("In a line [%1] item is started from not quote but ended by quote").arg(line);
    return end < n ? line.mid(end) : QString();
}

QString printable(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u == 0)
            out += QStringLiteral("\\0");
        else if ((u < 0x20 && u != '\t') || u == 0x7f || (u >= 0x80 && u < 0xa0))
            out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}
