#pragma once

#include "base/OptionTable.h"

#include <QString>
#include <QStringList>

// The command line and the configuration file turned into the few settings
// start-up acts on. Nothing here touches a window, so start-up can be tested
// without one.

// Every argument that begins with "-" is an option; the next argument is its
// value unless it begins with "-" too. Other arguments are skipped.
void readCommandLine(const QStringList& arguments, OptionTable& table);

// One option per line: name, blanks, value; "#" starts a comment (even inside
// quotes). Returns false, with a debug message, when the file can't be opened
// ("Can't open config file : <name>") or is no regular file ("Not a regular
// file (a named pipe) : <name>", ...), which is refused before it is opened.
bool readConfigFile(const QString& fileName, OptionTable& table);

// "config.cfg", replaced by "-c", then by "-config".
QString configFileName(const OptionTable& table);

struct StartupSettings {
    QString dataRoot;
    QString batchFile;
    bool runBatch = false;
    bool english = false;
};

StartupSettings startupSettings(const OptionTable& table);

// A configuration file in the working folder can load a script (-b) and run
// it (-x) by itself, so a folder someone sent can start a script at a
// double-click. The note names the configuration and the script it starts:
// empty when the command line named the script (the user chose it) or the
// configuration starts none. `commandLine` holds the command line alone,
// `all` the command line and the configuration.
QString configuredScriptNote(const OptionTable& commandLine, const OptionTable& all, const QString& configFile);

// The directory every file dialog starts in, and the batch window's.
namespace AppPaths {
QString defaultDir();   // "C:" + YEN SIGN + "Data"
QString dataRoot();
void setDataRoot(const QString& dir);
QString batchDir();
// Where a file dialog opens: `lastUsed` when that folder exists, else the
// data root when it exists, else the home folder.
QString startFolder(const QString& lastUsed);
}
