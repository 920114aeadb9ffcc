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

// Ends the process with status 1 after writing `what` and "; the program
// ends" to stderr, without allocating. For memory that ran out inside work
// that cannot be trusted to go on: Qt's own code does not release its locks
// when an exception passes through it, so carrying on can hang for ever.
[[noreturn]] void endForWantOfMemory(const char* what) noexcept;

// From now on an std::bad_alloc that nothing catches (in a thread of Qt's
// own, say) ends the process through endForWantOfMemory, naming the thread,
// instead of aborting it. Other uncaught exceptions still abort.
void endOnUncaughtOutOfMemory();
