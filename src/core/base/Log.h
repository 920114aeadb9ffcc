#pragma once

#include <QString>

// Writes `message` and the local time ("yyMMdd hh:mm:ss.zzz") as one debug
// line; long operations mark their start and end with it.
void logWithTime(const QString& message);

// Puts a guard around the message handler in force (Qt's own by default):
// a message that cannot be formatted or written for want of memory is cut
// down to its ASCII characters and written straight to stderr, without
// allocating. Without it the std::bad_alloc leaves through ~QDebug(), a
// destructor, and ends the program; with it a warning about memory running
// out is itself safe to give when memory has run out. Once per process,
// before any thread starts.
void guardMessageOutput();

// A warning of a fixed text that never throws: for the handlers of
// std::bad_alloc, where building a message may itself run out of memory.
void warnNoMemory(const char* text) noexcept;
