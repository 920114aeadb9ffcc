#pragma once

#include <QString>

// Writes `message` and the local time ("yyMMdd hh:mm:ss.zzz") as one debug
// line; long operations mark their start and end with it.
void logWithTime(const QString& message);
