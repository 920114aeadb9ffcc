#pragma once

#include "batch/CmdLine.h"

#include <QList>
#include <QString>

// Relative file and folder names in a script are read against the script's
// own folder, so a script runs the same whether it was started from its
// folder, from elsewhere on the command line or loaded in the batch window.
// Absolute names and empty names (which clear a choice) are left as written.
namespace BatchPaths {

// The argument indices of command `commandId` (a command word's or an extra
// word's id) that name files or folders;
// `fromIndex` is set to the first index from which every argument is a file
// name (-1 when there is no such tail).
QList<int> pathArguments(int commandId, int* fromIndex);

// `path` read against `folder`: unchanged when it is empty, absolute, or
// `folder` is empty; otherwise `folder` joined with it as written (a
// trailing separator is kept, since folder arguments may need it).
QString resolve(const QString& folder, const QString& path);

// `cmd` with every file or folder argument read against `folder`.
CmdLine resolved(const CmdLine& cmd, const QString& folder);

}
