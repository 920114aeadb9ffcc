#pragma once

#include "base/LogCategories.h"

#include <QString>

// The one check every reader of this program makes before it opens a file it
// was given (images, spectra, the configuration file, batch scripts, energy-map
// files): the name must lead, after following symbolic links, to a regular
// file. A named pipe, a device, a socket or a directory is refused by name
// before anything opens it, so that a pipe with no writer or an endless device
// cannot block a loader thread forever.
//
// Use it as the first step of a reader:
//
//     QString reason;
//     if (!checkReadableFile(path, &reason)) {
//         qCDebug(lcBase).noquote() << reason;
//         return false;
//     }
//
// A reader that has its own fixed text for a file that cannot be opened keeps
// it by refusing only what exists and is not a regular file, then opening as
// before:
//
//     if (refuseNonRegularFile(path))   // writes "Not a regular file ..."
//         return false;
//     if (!file.open(...)) { qCDebug(lcBase) << "Can not open ..."; return false; }
namespace FileCheck {

enum class Kind { Regular, Missing, Directory, NamedPipe, CharacterDevice, BlockDevice, Socket, Other };

// What `path` names, following symbolic links (a dangling link is Missing).
Kind kindOf(const QString& path);

// "a directory", "a named pipe", ... for the messages below.
QString describe(Kind kind);

} // namespace FileCheck

// True when `path` names a regular file. Otherwise false, and *reason (when
// given) says why, naming the file:
//   "No such file : <path>"
//   "Not a regular file (a named pipe) : <path>"   (a directory, a device, ...)
bool checkReadableFile(const QString& path, QString* reason = nullptr);

// For readers with their own message for a missing file: when `path` exists
// but is not a regular file, writes "Not a regular file (<what>) : <path>" to
// the debug output and returns true (refuse it); otherwise returns false and
// writes nothing (a regular file, or nothing there: the caller's open decides).
bool refuseNonRegularFile(const QString& path);
