#include "analysis/ElementAnalysis.h"

#include "analysis/NearestPointFinder.h"
#include "base/LogCategories.h"
#include "physics/EdgeTable.h"

#include <QDebug>
#include <limits>

void ElementResult::clear()
{
    rawDmut.clear();
    dmut.clear();
    dmutRatio.clear();
    muPlus.clear();
    muMinus.clear();
    edgeShift.clear();
    roi.clear();
    nroi.clear();
}

namespace {

// Mean energy where mu rises through `mid` between points k and j, minus e0;
// 0 when it never does.
double edgeShiftOf(const SpectrumPoint* p, double o, int k, int j, double mid, double e0)
{
    double sum = 0.0;
    int crossings = 0;
    for (int m = k; m < j; ++m) {
        if (p[m].y < mid && mid <= p[m + 1].y) {
            sum += ((p[m].x - o) + (p[m + 1].x - o)) / 2.0;
            ++crossings;
        }
    }
    return crossings > 0 ? sum / crossings - e0 : 0.0;
}

} // namespace

void analyzeElements(const XafsSpectrum& sample, const QVector<ElementSnapshot>& rows, int mainT,
                     const BackgroundValues& background, ElementResult& out)
{
    analyzeElements(sample.points().data(), sample.count(), sample.offsetInForce(), rows, mainT, background, out);
}

void analyzeElements(const SpectrumPoint* p, int n, double o, const QVector<ElementSnapshot>& rows, int mainT,
                     const BackgroundValues& background, ElementResult& out)
{
    out.clear();
    const EdgeTable& edges = EdgeTable::global();
    const NearestPointFinder nearest(p, n);

    for (const ElementSnapshot& row : rows) {
        const double e0 = 1000.0 * edges.edgeEnergy(row.z, row.edge);
        const double muPlus = Spectrum::valueAt(p, n, o, e0 + row.dE + o);
        const double muMinus = Spectrum::valueAt(p, n, o, e0 - row.dE + o);
        const double dmut = muPlus - muMinus;
        out.rawDmut.append(dmut);
        if (!(dmut > row.threshold)) { // a NaN step is not above either
            out.dmut.append(background.dmut);
            out.muPlus.append(background.dmut);
            out.muMinus.append(background.dmut);
            out.edgeShift.append(background.dE);
            out.roi.append(background.roi);
            out.nroi.append(background.nroi);
            continue;
        }

        const int k = nearest(e0 - row.dE + o);
        const int j = nearest(e0 + row.dE + o);
        const double shift = j > k ? edgeShiftOf(p, o, k, j, (muPlus + muMinus) / 2.0, e0) : 0.0;

        double roi = 0.0;
        double nroi = 0.0;
        const int i = nearest(row.roiStart + o);
        const int l = nearest(row.roiEnd + o);
        if (l > i) {
            double sum = 0.0;
            for (int m = i; m < l; ++m)
                sum += p[m].y - muMinus;
            roi = sum / (l - i);
            if (row.noNeg && roi < 0.0) {
                roi = background.roi;
                nroi = background.nroi;
            } else {
                nroi = roi / dmut;
            }
        }

        out.dmut.append(dmut);
        out.muPlus.append(muPlus);
        out.muMinus.append(muMinus);
        out.edgeShift.append(shift);
        out.roi.append(roi);
        out.nroi.append(nroi);
    }

    if (rows.isEmpty())
        return;
    double target;
    if (mainT >= 0 && mainT < out.dmut.size()) {
        target = out.dmut[mainT];
    } else {
        qCDebug(lcAnalysis).noquote() << QStringLiteral("No target element row %1: dmut ratios are NaN").arg(mainT);
        target = std::numeric_limits<double>::quiet_NaN();
    }
    for (double d : qAsConst(out.dmut))
        out.dmutRatio.append(d / target);
}

ElementResult analyzeElements(const XafsSpectrum& sample, const QVector<ElementSnapshot>& rows, int mainT,
                              const BackgroundValues& background)
{
    ElementResult result;
    analyzeElements(sample, rows, mainT, background, result);
    return result;
}
