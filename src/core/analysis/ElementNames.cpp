#include "analysis/ElementNames.h"

#include "physics/EdgeTable.h"
#include "physics/ElementTable.h"

#include <QStringList>
#include <utility>

namespace ElementNames {

QVector<ElementName> parse(const QString& text)
{
    QVector<ElementName> out;
    QString list = text;
    list.replace(QLatin1Char(','), QLatin1Char(' '));
    list = list.simplified();
    if (list.isEmpty())
        return out;
    const QStringList items = list.split(QLatin1Char(' '));
    for (const QString& item : items) {
        QString element = item;
        QString edge = QStringLiteral("K");
        const int dash = item.indexOf(QLatin1Char('-'), 1);
        if (dash > 0) {
            element = item.left(dash);
            edge = item.mid(dash + 1);
        }
        const int z = ElementTable::atomicNumber(element);
        if (z <= 0)
            continue;
        ElementName e;
        e.z = z;
        e.edge = EdgeTable::edgeIndex(edge);
        e.name = QStringLiteral("%1-%2").arg(element, edge);
        e.edgeEnergy = 1000.0 * EdgeTable::global().edgeEnergy(z, e.edge);
        out.append(e);
    }
    return out;
}

void sortByAtomicNumber(QVector<ElementName>& names)
{
    for (int i = 0; i < names.size(); ++i) {
        int best = i;
        for (int j = i + 1; j < names.size(); ++j) {
            if (names[j].z < names[best].z)
                best = j;
        }
        if (best != i)
            std::swap(names[i], names[best]);
    }
}

}
