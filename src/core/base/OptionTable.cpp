#include "base/OptionTable.h"

void OptionTable::add(const QString& name, const QString& value, const QString& rest)
{
    if (!m_firstIndex.contains(name))
        m_firstIndex.insert(name, m_entries.size());
    m_entries.append({name, value, rest});
}

bool OptionTable::contains(const QString& name) const
{
    return m_firstIndex.contains(name);
}

QString OptionTable::value(const QString& name, const QString& defaultValue) const
{
    const auto it = m_firstIndex.constFind(name);
    return it == m_firstIndex.constEnd() ? defaultValue : m_entries.at(*it).value;
}
