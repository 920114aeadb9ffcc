#include "base/Log.h"

#include <QDateTime>
#include <QDebug>

void logWithTime(const QString& message)
{
    qDebug().noquote() << message
                       << QDateTime::currentDateTime().toString(QStringLiteral("yyMMdd hh:mm:ss.zzz"));
}
