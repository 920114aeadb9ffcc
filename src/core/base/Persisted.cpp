#include "base/Persisted.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

// Set once at start-up, before any window reads it.
QString& settingsFile()
{
    static QString file;
    return file;
}

}

namespace Persisted {

QString fileBeside(const QString& configFile)
{
    return QFileInfo(configFile).absoluteDir().filePath(QStringLiteral("orvantelle-settings.ini"));
}

void setFile(const QString& file)
{
    settingsFile() = file;
}

QString file()
{
    return settingsFile();
}

bool enabled()
{
    return !settingsFile().isEmpty();
}

QVariant value(const QString& key, const QVariant& fallback)
{
    if (!enabled())
        return fallback;
    return QSettings(settingsFile(), QSettings::IniFormat).value(key, fallback);
}

void setValue(const QString& key, const QVariant& value)
{
    if (!enabled())
        return;
    QSettings s(settingsFile(), QSettings::IniFormat);
    s.setValue(key, value);
}

}
