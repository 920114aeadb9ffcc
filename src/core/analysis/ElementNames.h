#pragma once

#include <QString>
#include <QVector>

// One target element of the element analysis as named by the user.
struct ElementName {
    int z = 0;          // atomic number
    int edge = 0;       // edge index (0 K, 1 LI, 2 LII, 3 LIII)
    QString name;       // "Fe-K", "Pb-LIII": element and edge as written
    double edgeEnergy = 0.0;  // eV
};

namespace ElementNames {

// Parses a list of element names separated by commas and blanks. An item is
// an element symbol, optionally followed by "-" and an edge name ("K" when
// none is given); items whose symbol is not an element are skipped.
QVector<ElementName> parse(const QString& text);

// Orders by ascending atomic number: selection sort, each position taking the
// first of the smallest remaining.
void sortByAtomicNumber(QVector<ElementName>& names);

}
