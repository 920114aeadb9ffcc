#pragma once

#include <QString>
#include <QtGlobal>

#include <array>

// One element of the absorption-edge table.
struct EdgeRow {
    static constexpr int Slots = 5;

    qint32 z = 0;                  // atomic number as read from the file
    double edge[Slots] = {};       // K, LI, LII, LIII edge energies in keV; slot 4: M1 wavelength in A
    double c[Slots] = {};          // Victoreen coefficient C per slot
    double d[Slots] = {};          // Victoreen coefficient D per slot
};

// Absorption-edge energies and Victoreen coefficients read from the edge file; row n holds
// atomic number n because the file's title line becomes row 0.
class EdgeTable
{
public:
    static constexpr int MaxRows = 100;
    enum Edge { K = 0, LI = 1, LII = 2, LIII = 3 };

    // Empties the table and reads `path`. Lines after the MaxRows-th row are ignored.
    // On failure writes "Cannot open [Victoreen1.txt]\n" and returns false with an empty table.
    bool load(const QString &path = QStringLiteral(":Victoreen1.txt"));

    int rowCount() const { return m_count; }
    // Row i, or nullptr when i is outside 0 .. rowCount() - 1.
    const EdgeRow *row(int i) const;
    // Edge energy in keV of atomic number z and edge index (0 K .. 3 LIII, 4 the M1 slot);
    // 0 when either is outside the table.
    double edgeEnergy(int z, int edge) const;
    double c(int z, int edge) const;
    double d(int z, int edge) const;

    // Edge index of an edge name in any letter case: "K" 0, "L1"/"LI" 1, "L2"/"LII" 2,
    // "L3"/"LIII" 3; anything else 0.
    static int edgeIndex(const QString &name);

    // The process-wide table, read from ":Victoreen1.txt" on first use (thread-safe) and
    // never changed afterwards.
    static const EdgeTable &global();

private:
    using Column = double (EdgeRow::*)[EdgeRow::Slots];
    double value(int z, int edge, Column field) const;
    void addLine(const QString &line);

    std::array<EdgeRow, MaxRows> m_rows {};
    int m_count = 0;
};

// Fills the process-wide edge table; the main window calls it once while it is built.
void loadEdgeTable();
