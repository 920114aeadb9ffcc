#include "base/Log.h"
#include "base/LogCategories.h"

#include <QDateTime>
#include <QDebug>

void logWithTime(const QString& message)
{
    qCDebug(lcTime).noquote() << message
                       << QDateTime::currentDateTime().toString(QStringLiteral("yyMMdd hh:mm:ss.zzz"));
}
