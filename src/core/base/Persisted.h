#pragma once

#include <QString>
#include <QVariant>

// Settings kept from one run of the program to the next (last folders, the
// energy rules, window places), in a file beside the configuration file,
// which keeps its own role. Nothing is kept until start-up names the file:
// tests and headless runs leave no trace and read nothing.
namespace Persisted {

// "<folder of configFile>/orvantelle-settings.ini"
QString fileBeside(const QString& configFile);
// Keeps settings in `file` from now on; an empty name keeps nothing.
void setFile(const QString& file);
QString file();
bool enabled();

// The stored value, or `fallback` when nothing is kept or none was stored.
QVariant value(const QString& key, const QVariant& fallback = QVariant());
// Stores the value (nothing when nothing is kept).
void setValue(const QString& key, const QVariant& value);

}
