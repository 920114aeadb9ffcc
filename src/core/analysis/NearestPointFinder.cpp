#include "analysis/NearestPointFinder.h"

NearestPointFinder::NearestPointFinder(const Spectrum& s)
    : NearestPointFinder(s.points().data(), s.count())
{
}

NearestPointFinder::NearestPointFinder(const SpectrumPoint* p, int n)
    : m_p(p), m_n(n), m_sorted(true)
{
    // Non-decreasing x give non-decreasing midpoints, which bisection needs;
    // a NaN fails the comparison and selects the scan.
    for (int i = 0; m_sorted && i + 1 < m_n; ++i)
        m_sorted = m_p[i + 1].x >= m_p[i].x;
}

int NearestPointFinder::operator()(double t) const
{
    if (!m_sorted)
        return scan(m_p, m_n, t);
    if (m_n <= 0)
        return -1;
    int lo = 0;
    int hi = m_n - 1; // hi == n - 1 stands for "no midpoint above t"
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if ((m_p[mid].x + m_p[mid + 1].x) / 2.0 > t)
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

int NearestPointFinder::byScan(const Spectrum& s, double t)
{
    return scan(s.points().data(), s.count(), t);
}

int NearestPointFinder::scan(const SpectrumPoint* p, int n, double t)
{
    for (int k = 0; k + 1 < n; ++k) {
        if ((p[k].x + p[k + 1].x) / 2.0 > t)
            return k;
    }
    return n - 1;
}
