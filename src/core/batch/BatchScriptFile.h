#pragma once

#include <QString>

// Reading and writing the batch window's script files.
namespace BatchScriptFile {

// Scripts larger than this are refused (a script is a few kilobytes).
constexpr qint64 maxBytes = qint64(32) << 20;

// Reads a script as UTF-8 text: every line of the file followed by a line
// feed; a line ends at LF, CR LF or a CR alone. Only regular files are read
// (a named pipe or a device would block or never end), and no line may be
// longer than BatchInterpreter::maxLineLength. False, with a message naming
// the file (and the line), otherwise.
bool read(const QString& fileName, QString* text, QString* error);
// Writes `text` through a temporary file that replaces the target only when
// complete. False, with a message naming the file, when that fails.
bool write(const QString& fileName, const QString& text, QString* error);

}
