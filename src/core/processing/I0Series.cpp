#include "processing/I0Series.h"

#include "io/TiffData.h"
#include "processing/BlockSum.h"

#include <algorithm>
#include <cmath>
#include <numeric>

I0Series::I0Series(const std::vector<const TiffData*>& images)
{
    std::vector<const TiffData*> present;
    present.reserve(images.size());
    for (const TiffData* t : images)
        if (t)
            present.push_back(t);
    std::vector<std::size_t> order(present.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    // Images without a usable energy (NaN) go to the end, keeping the order a
    // strict weak one.
    std::stable_sort(order.begin(), order.end(), [&present](std::size_t l, std::size_t r) {
        const double el = present[l]->energy();
        const double er = present[r]->energy();
        if (std::isnan(el))
            return false;
        if (std::isnan(er))
            return true;
        return el < er;
    });
    m_images.reserve(present.size());
    m_energies.reserve(present.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (order[k] != k)
            m_wasSorted = false;
        m_images.push_back(present[order[k]]);
        m_energies.push_back(present[order[k]]->energy());
    }
}

I0Series::Bracket I0Series::bracket(double e) const
{
    const int n = count();
    Bracket br;
    if (n == 0)
        return br;
    if (n == 1) {
        br.count = 1;
        return br;
    }
    br.count = 2;
    if (e < m_energies[0]) {
        br.a = 0;
        br.b = 1;
        return br;
    }
    if (e >= m_energies[std::size_t(n - 1)]) {
        br.a = n - 2;
        br.b = n - 1;
        return br;
    }
    // First index k in 1 ... n-1 with e < E[k]; it exists because e is below
    // the last energy.
    int lo = 1;
    int hi = n - 1;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (e < m_energies[std::size_t(mid)])
            hi = mid;
        else
            lo = mid + 1;
    }
    br.a = lo - 1;
    br.b = lo;
    return br;
}

double I0Series::blockSumAt(double e, int x, int y, int xw, int yw) const
{
    const Bracket br = bracket(e);
    if (br.count == 0)
        return 1.0;
    const double sa = BlockSum::of(*image(br.a), x, y, xw, yw);
    const double sb = needsSecond(br, e) ? BlockSum::of(*image(br.b), x, y, xw, yw) : 0.0;
    return valueAt(br, e, sa, sb);
}

void I0Series::blockSumsAlong(double e, int x, int y, bool horizontal, int n, int xw, int yw, double* out) const
{
    if (n <= 0)
        return;
    const Bracket br = bracket(e);
    if (br.count == 0) {
        std::fill(out, out + n, 1.0);
        return;
    }
    std::vector<double> second;
    BlockSum::along(*image(br.a), x, y, horizontal, n, xw, yw, out);
    if (needsSecond(br, e)) {
        second.resize(std::size_t(n));
        BlockSum::along(*image(br.b), x, y, horizontal, n, xw, yw, second.data());
    }
    for (int i = 0; i < n; ++i)
        out[i] = valueAt(br, e, out[i], second.empty() ? 0.0 : second[std::size_t(i)]);
}

void I0Series::prefetch(double e, int x, int y, int xw, int yw) const
{
    const Bracket br = bracket(e);
    if (br.count == 0)
        return;
    BlockSum::prefetch(*image(br.a), x, y, xw, yw);
    if (needsSecond(br, e))
        BlockSum::prefetch(*image(br.b), x, y, xw, yw);
}

bool I0Series::needsSecond(const Bracket& br, double e) const
{
    if (br.count != 2)
        return false;
    const double a = energy(br.a);
    const double b = energy(br.b);
    const bool exactAtA = e == a && b - a > 1e-200 && image(br.a)->pixelType() != TiffData::CttrFloat
                          && image(br.b)->pixelType() != TiffData::CttrFloat;
    return !exactAtA;
}
