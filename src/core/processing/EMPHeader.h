#pragma once

#include <QMetaType>
#include <QtGlobal>

// The header of an energy-map file: the scan grid the map was made with, the
// standard's edge energy and the crystal spacing its angle offsets refer to.
// valid is set when the magic line and the width, height, edge-energy and
// spacing lines were all found.
struct EMPHeader {
    bool valid = false;
    qint32 width = 0;
    qint32 height = 0;
    qint32 binHalfWidth = 0;
    qint32 binHalfHeight = 0;
    qint32 areaX0 = 0;
    qint32 areaX1 = 0;
    qint32 areaY0 = 0;
    qint32 areaY1 = 0;
    double stdEdgeEnergy = 0.0;  // eV
    double spacing = 0.0;        // angstrom, under the label "Spacing [nm]"
};

Q_DECLARE_METATYPE(EMPHeader)

// Registers "EMPHeader" with the meta-type system; safe to call more than once.
void registerEMPHeaderMetaType();
