#pragma once

// A small transmission stack of a model edge with a known energy shift per
// pixel, and the standard spectrum of the same edge written as a plain
// two-column file: the calibration tests calibrate it and compare with the
// shift they put in.

#include "ModelEdge.h"
#include "TestStacks.h"

#include <QFile>
#include <QTextStream>
#include <cmath>
#include <vector>

struct ShiftedEdgeStack {
    static constexpr int width = 24;
    static constexpr int height = 18;
    static constexpr double i0Counts = 20000.0;

    ModelEdge edge;
    TestStacks stacks;
    std::vector<const TiffData*> i1;
    std::vector<const TiffData*> i0;

    ShiftedEdgeStack() { edge.whiteLine = 0.3; }

    // The shift put into pixel (x, y), eV.
    static double shift(double x, double y) { return -1.2 + 0.12 * x + 0.05 * y; }

    static std::vector<double> energies()
    {
        std::vector<double> e;
        for (double v = 7000.0; v < 7090.0; v += 6.0)
            e.push_back(v);
        for (double v = 7090.0; v < 7160.0; v += 0.7)
            e.push_back(v);
        for (double v = 7160.0; v <= 7400.0; v += 20.0)
            e.push_back(v);
        return e;
    }

    bool make()
    {
        if (!stacks.isValid())
            return false;
        const TiffData* flat = stacks.u16(width, height, 7000.0, [](int, int) { return i0Counts; });
        if (!flat)
            return false;
        i0.push_back(flat);
        for (double e : energies()) {
            const TiffData* t = stacks.u16(width, height, e, [this, e](int x, int y) {
                return std::round(i0Counts * std::exp(-edge.mu(e - shift(x, y))));
            });
            if (!t)
                return false;
            i1.push_back(t);
        }
        return true;
    }

    // The standard (no shift) from 6950 to 7600 eV every 0.25 eV.
    bool writeStandard(const QString& path) const
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Text))
            return false;
        QTextStream out(&f);
        out.setRealNumberNotation(QTextStream::FixedNotation);
        out << "# model edge standard\n";
        for (int i = 0; i <= 2600; ++i) {
            const double e = 6950.0 + 0.25 * i;
            out.setRealNumberPrecision(2);
            out << e << ' ';
            out.setRealNumberPrecision(7);
            out << edge.mu(e) << '\n';
        }
        return true;
    }
};
