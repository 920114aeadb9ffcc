#pragma once

#include "physics/Spectrum.h"

// Finds the measured point nearest to a target energy: the first index k
// (0 <= k < n - 1) with (x(k) + x(k + 1)) / 2 > t, else n - 1 (-1 without
// points). Targets are compared with the stored x. Bisects when the x do not
// decrease, otherwise scans; both give the same index.
class NearestPointFinder
{
public:
    explicit NearestPointFinder(const Spectrum& s);
    // Over n plain points (not copied; they must outlive the finder).
    NearestPointFinder(const SpectrumPoint* p, int n);
    int operator()(double t) const;
    bool bisects() const { return m_sorted; }
    // The scan of the definition, for any order of points.
    static int byScan(const Spectrum& s, double t);

private:
    static int scan(const SpectrumPoint* p, int n, double t);

    const SpectrumPoint* m_p;
    int m_n;
    bool m_sorted;
};
