#pragma once

#include <QHash>
#include <QString>
#include <QVector>

// Named options from the command line and the configuration file, in order of
// arrival. The first arrival of a name fixes its value; later ones are kept
// in the list but never found by a lookup, so the command line (read first)
// wins over the file.
class OptionTable
{
public:
    struct Entry {
        QString name;
        QString value;
        QString rest;
    };

    void add(const QString& name, const QString& value, const QString& rest);
    bool contains(const QString& name) const;
    QString value(const QString& name, const QString& defaultValue = QString()) const;
    const QVector<Entry>& entries() const { return m_entries; }

private:
    QVector<Entry> m_entries;
    QHash<QString, int> m_firstIndex;
};
