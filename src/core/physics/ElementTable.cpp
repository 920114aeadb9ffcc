#include "ElementTable.h"

namespace {

// Rows are generated from public physical data; see tools/gen-tables/README.md.
// clang-format off
const ElementRow kElements[ElementTable::Rows] = {
// BEGIN generated element rows (tools/gen-tables/gen_tables.py)
    {0, " ", 0},
    {1, "H", 1.0079},
    {2, "He", 4.0026},
    {3, "Li", 6.94},
    {4, "Be", 9.0122},
    {5, "B", 10.81},
    {6, "C", 12.011},
    {7, "N", 14.007},
    {8, "O", 15.999},
    {9, "F", 18.9984},
    {10, "Ne", 20.1797},
    {11, "Na", 22.9898},
    {12, "Mg", 24.305},
    {13, "Al", 26.9815},
    {14, "Si", 28.085},
    {15, "P", 30.9738},
    {16, "S", 32.06},
    {17, "Cl", 35.453},
    {18, "Ar", 39.948},
    {19, "K", 39.0983},
    {20, "Ca", 40.078},
    {21, "Sc", 44.9559},
    {22, "Ti", 47.867},
    {23, "V", 50.9415},
    {24, "Cr", 51.996},
    {25, "Mn", 54.938},
    {26, "Fe", 55.847},
    {27, "Co", 58.9332},
    {28, "Ni", 58.96},
    {29, "Cu", 63.546},
    {30, "Zn", 65.38},
    {31, "Ga", 69.72},
    {32, "Ge", 72.63},
    {33, "As", 74.9216},
    {34, "Se", 78.971},
    {35, "Br", 79.904},
    {36, "Kr", 83.798},
    {37, "Rb", 85.4678},
    {38, "Sr", 87.62},
    {39, "Y", 88.9058},
    {40, "Zr", 91.224},
    {41, "Nb", 92.9064},
    {42, "Mo", 95.95},
    {43, "Tc", 97.907},
    {44, "Ru", 101.07},
    {45, "Rh", 102.906},
    {46, "Pd", 106.42},
    {47, "Ag", 107.868},
    {48, "Cd", 112.414},
    {49, "In", 114.818},
    {50, "Sn", 118.71},
    {51, "Sb", 121.76},
    {52, "Te", 127.6},
    {53, "I", 126.905},
    {54, "Xe", 131.293},
    {55, "Cs", 132.905},
    {56, "Ba", 137.327},
    {57, "La", 138.905},
    {58, "Ce", 140.116},
    {59, "Pr", 140.908},
    {60, "Nd", 144.242},
    {61, "Pm", 145.0},
    {62, "Sm", 150.36},
    {63, "Eu", 151.96},
    {64, "Gd", 157.25},
    {65, "Tb", 158.925},
    {66, "Dy", 162.5},
    {67, "Ho", 164.93},
    {68, "Er", 167.259},
    {69, "Tm", 168.934},
    {70, "Yb", 173.045},
    {71, "Lu", 174.967},
    {72, "Hf", 178.49},
    {73, "Ta", 180.948},
    {74, "W", 183.84},
    {75, "Re", 186.207},
    {76, "Os", 190.23},
    {77, "Ir", 192.217},
    {78, "Pt", 195.084},
    {79, "Au", 196.9665},
    {80, "Hg", 200.592},
    {81, "Tl", 204.383},
    {82, "Pb", 207.2},
    {83, "Bi", 208.98},
    {84, "Po", 209.0},
    {85, "At", 210.0},
    {86, "Rn", 222.0},
    {87, "Fr", 223.0},
    {88, "Ra", 226.0},
    {89, "Ac", 227.0},
    {90, "Th", 232.038},
    {91, "Pa", 231.036},
    {92, "U", 238.051},
    {93, "Np", 237.048},
    {94, "Pu", 239.052},
    {95, "Am", 243.0},
    {96, "Cm", 247.07},
    {97, "Bk", 247.07},
    {98, "Cf", 251.0},
    {99, "Es", 252.083},
    {100, "Fm", 257.095},
    {101, "Md", 0},
    {102, "No", 0},
    {103, "Lr", 0},
    {104, "Rf", 0},
    {105, "Db", 0},
    {106, "Sg", 0},
    {107, "Bh", 0},
    {108, "Hs", 0},
    {109, "Mt", 0},
    {110, "D", 2.01355321},
// END generated element rows
};
// clang-format on

struct UnitRow {
    const char *name;
    const char *format;
};

const UnitRow kUnits[UnitTable::Count] = {
    {"eV", "% 8.2f"},
    {"keV", "% 8.5f"},
    {"A", "% 8.5f"},
    {"deg", "% 8.5f"},
};

} // namespace

const ElementRow *ElementTable::row(int z)
{
    return (z >= 0 && z < Rows) ? &kElements[z] : nullptr;
}

int ElementTable::atomicNumber(const QString &symbol)
{
    for (const ElementRow &r : kElements) {
        if (symbol == QLatin1String(r.symbol))
            return r.z;
    }
    return -1;
}

QString ElementTable::symbol(int z)
{
    const ElementRow *r = row(z);
    return r ? QString::fromLatin1(r->symbol) : QString();
}

double ElementTable::weight(int z)
{
    const ElementRow *r = row(z);
    return r ? r->weight : 0.0;
}

namespace UnitTable {

QString name(int unit)
{
    return (unit >= 0 && unit < Count) ? QString::fromLatin1(kUnits[unit].name) : QString();
}

QString format(int unit)
{
    return (unit >= 0 && unit < Count) ? QString::fromLatin1(kUnits[unit].format) : QString();
}

QString formatValue(int unit, double value)
{
    if (unit < 0 || unit >= Count)
        return QString();
    return QString::asprintf(kUnits[unit].format, value);
}

} // namespace UnitTable
