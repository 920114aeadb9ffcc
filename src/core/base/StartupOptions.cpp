#include "base/StartupOptions.h"

#include "base/FileCheck.h"
#include "base/LogCategories.h"
#include "base/TextItems.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

void readCommandLine(const QStringList& arguments, OptionTable& table)
{
    const auto isOption = [](const QString& s) { return s.startsWith(QLatin1Char('-')); };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& name = arguments.at(i);
        if (!isOption(name))
            continue;
        QString value;
        if (i + 1 < arguments.size() && !isOption(arguments.at(i + 1)))
            value = arguments.at(++i);
        table.add(name, value, value);
    }
}

bool readConfigFile(const QString& fileName, OptionTable& table)
{
    // A named pipe or a device as the configuration file would hang start-up.
    if (refuseNonRegularFile(fileName))
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qCDebug(lcBase).noquote() << "Can't open config file : " + fileName;
        return false;
    }
    QTextStream in(&file);
    QString line;
    while (in.readLineInto(&line)) {
        const int hash = line.indexOf(QLatin1Char('#'));
        if (hash >= 0)
            line.truncate(hash);
        if (line.simplified().isEmpty())
            continue;
        QString name, value;
        const QString rest = nextItem(line, name);
        nextItem(rest, value);
        table.add(name, value, rest);
    }
    return true;
}

QString configFileName(const OptionTable& table)
{
    QString name = QStringLiteral("config.cfg");
    if (table.contains(QStringLiteral("-c")))
        name = table.value(QStringLiteral("-c"));
    if (table.contains(QStringLiteral("-config")))
        name = table.value(QStringLiteral("-config"));
    return name;
}

StartupSettings startupSettings(const OptionTable& table)
{
    StartupSettings s;
    s.dataRoot = AppPaths::defaultDir();
    if (table.contains(QStringLiteral("DataRoot")))
        s.dataRoot = table.value(QStringLiteral("DataRoot"));
    if (table.contains(QStringLiteral("-d")))
        s.dataRoot = table.value(QStringLiteral("-d"));
    s.english = table.contains(QStringLiteral("-e"));
    s.batchFile = table.value(QStringLiteral("-b"));
    s.runBatch = table.contains(QStringLiteral("-x"));
    return s;
}

QString configuredScriptNote(const OptionTable& commandLine, const OptionTable& all, const QString& configFile)
{
    const QString b = QStringLiteral("-b");
    const QString x = QStringLiteral("-x");
    if (commandLine.contains(b) || !all.contains(b) || all.value(b).isEmpty())
        return QString();
    const QString script = QFileInfo(all.value(b)).absoluteFilePath();
    const QString config = QFileInfo(configFile).absoluteFilePath();
    return all.contains(x) ? QStringLiteral("The configuration %1 runs the batch script %2 at start").arg(config, script)
                           : QStringLiteral("The configuration %1 loads the batch script %2").arg(config, script);
}

namespace AppPaths {
namespace {
QString& dataRootStore()
{
    static QString dir = defaultDir();
    return dir;
}
}

QString defaultDir()
{
    return QStringLiteral("C:") + QChar(0x00A5) + QStringLiteral("Data");
}

QString dataRoot()
{
    return dataRootStore();
}

void setDataRoot(const QString& dir)
{
    dataRootStore() = dir;
}

QString batchDir()
{
    return defaultDir();
}

QString startFolder(const QString& lastUsed)
{
    for (const QString& dir : {lastUsed, dataRoot()}) {
        if (!dir.isEmpty() && QFileInfo(dir).isDir())
            return QFileInfo(dir).absoluteFilePath();
    }
    return QDir::homePath();
}
}
