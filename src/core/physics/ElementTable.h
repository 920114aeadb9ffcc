#pragma once

#include <QString>
#include <QtGlobal>

// One row of the element table.
struct ElementRow {
    qint32 z;            // atomic number, equal to the row index
    const char *symbol;  // chemical symbol, exact case
    double weight;       // atomic weight in g/mol, 0 where none is known
};

// The fixed element table: row 0 is a blank placeholder, rows 1 to 109 are "H" to "Mt",
// row 110 is deuterium ("D").
class ElementTable
{
public:
    static constexpr int Rows = 111;

    // Row z, or nullptr when z is outside 0 .. Rows - 1.
    static const ElementRow *row(int z);
    // Atomic-number field of the first row whose symbol equals `symbol` exactly
    // (case-sensitive), or -1 when none does.
    static int atomicNumber(const QString &symbol);
    // Symbol of row z; empty outside the table.
    static QString symbol(int z);
    // Atomic weight of row z in g/mol; 0 outside the table.
    static double weight(int z);
};

// The display units: a name and the printf-style format that shows a value in it.
namespace UnitTable {
enum Unit { EV = 0, KeV = 1, Angstrom = 2, Deg = 3 };
constexpr int Count = 4;

// "eV", "keV", "A", "deg"; empty outside 0 .. Count - 1.
QString name(int unit);
// "% 8.2f" for eV, "% 8.5f" for the others; empty outside the table.
QString format(int unit);
// `value` printed with the format of `unit`; empty outside the table.
QString formatValue(int unit, double value);
}
