#pragma once

// A small demo measurement (tools/make-demo's library) written to a temporary
// folder and read back through the project's readers, with map lists and
// value-for-value comparison of maps, for the whole-area run tests.

#include "analysis/AnalysisSnapshots.h"
#include "DemoConfig.h"
#include "DemoModel.h"
#include "DemoWriter.h"
#include "grid/Analyzed2DRes.h"
#include "grid/ScanGrid.h"
#include "grid/ShiftMapView.h"
#include "io/TiffData.h"
#include "physics/XafsSpectrum.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace DemoMeasurement {


inline const char* const compounds[] = {"fe_metal", "fe2", "fe3"};

// A small demo measurement read back through the project's readers.
struct Demo {
    QTemporaryDir dir;
    std::unique_ptr<DemoModel> model;
    std::vector<std::unique_ptr<TiffData>> images;
    std::vector<const TiffData*> i1, i0;
    QVector<ReferenceSnapshot> refs;
    std::vector<double> shift;
    int width = 0, height = 0;

    bool make(bool noise, int w, int h, int energies)
    {
        DemoConfig c;
        c.outDir = dir.path();
        c.width = w;
        c.height = h;
        c.energies = energies;
        c.seed = 7;
        c.noise = noise;
        c.threads = 2;
        model = std::make_unique<DemoModel>(c);
        QString error;
        if (!model->isValid() || !DemoWriter::write(*model, c, &error))
            return false;
        width = c.width;
        height = c.height;
        if (!load("i1", &i1) || !load("i0", &i0) || i1.size() != std::size_t(c.energies))
            return false;
        // Undo the sample drift as an alignment would (the I1 images were
        // loaded first, in energy order).
        for (std::size_t k = 0; k < i1.size(); ++k)
            images[k]->setShift(-model->drift()[k].dx, -model->drift()[k].dy);
        for (const char* name : compounds) {
            ReferenceSnapshot r;
            if (!r.spectrum.load(QDir(dir.path()).filePath(QString("refs/%1.dat").arg(name))))
                return false;
            r.spectrum.setOffset(0.0, true);
            // Straight background lines: the Victoreen pre-edge line of these
            // references, extrapolated far above the edge, crosses the
            // post-edge line.
            r.spectrum.normalize(false);
            r.use = r.fileChosen = true;
            refs.append(r);
        }
        shift.assign(model->shift().begin(), model->shift().end());
        return true;
    }

    bool load(const QString& sub, std::vector<const TiffData*>* out)
    {
        const QDir d(QDir(dir.path()).filePath(sub));
        static const QRegularExpression re("(\\d+\\.\\d+)eV");
        for (const QString& name : d.entryList({"*.tif"}, QDir::Files, QDir::Name)) {
            auto t = std::make_unique<TiffData>();
            if (!t->read(d.filePath(name)))
                return false;
            t->setEnergy(re.match(name).captured(1).toDouble());
            out->push_back(t.get());
            images.push_back(std::move(t));
        }
        return !out->empty();
    }

    ShiftMapView shiftView() const
    {
        ShiftMapView v;
        v.data = shift.data();
        v.width = width;
        v.height = height;
        return v;
    }
};

struct Maps {
    std::vector<std::unique_ptr<Analyzed2DRes>> owned;
    QVector<Analyzed2DRes*> list;
    Maps(const ScanGrid& g, int n)
    {
        for (int i = 0; i < n; ++i) {
            owned.push_back(std::make_unique<Analyzed2DRes>());
            owned.back()->setup(g);
            list.append(owned.back().get());
        }
    }
};

inline bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// First difference between two map lists, or an empty string.
inline QString firstDifference(const Maps& a, const Maps& b)
{
    for (int m = 0; m < a.list.size(); ++m) {
        const Analyzed2DRes& u = *a.list[m];
        const Analyzed2DRes& v = *b.list[m];
        if (!sameBits(u.minValue(), v.minValue()) || !sameBits(u.maxValue(), v.maxValue()))
            return QString("map %1: range %2 ... %3 vs %4 ... %5")
                .arg(m).arg(u.minValue()).arg(u.maxValue()).arg(v.minValue()).arg(v.maxValue());
        for (int y = 0; y < u.height(); ++y)
            for (int x = 0; x < u.width(); ++x)
                if (!sameBits(u.value(x, y), v.value(x, y)))
                    return QString("map %1 at (%2, %3): %4 vs %5")
                        .arg(m).arg(x).arg(y).arg(u.value(x, y), 0, 'g', 17).arg(v.value(x, y), 0, 'g', 17);
    }
    return QString();
}

inline int nonZeroValues(const Analyzed2DRes& m)
{
    int n = 0;
    for (int y = 0; y < m.height(); ++y)
        for (int x = 0; x < m.width(); ++x)
            n += m.value(x, y) != 0.0;
    return n;
}

} // namespace DemoMeasurement
