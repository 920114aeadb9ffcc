#include "processing/EdgeNormalization.h"

#include "physics/BackgroundFit.h"

#include <QtGlobal>

namespace {

// Spectrum::crossingEnergy(0.5, Rising) with the extremes tracked as a
// spectrum tracks them while its points are added.
double halfHeightEnergy(const double* e, const double* mu, int n)
{
    double minY = 1e300;
    double maxY = -1e300;
    for (int i = 0; i < n; ++i) {
        if (mu[i] < minY)
            minY = mu[i];
        if (mu[i] > maxY)
            maxY = mu[i];
    }
    const double level = minY + 0.5 * (maxY - minY);
    for (int i = 0; i + 1 < n; ++i) {
        const double y0 = mu[i];
        const double y1 = mu[i + 1];
        if (y0 < level && level <= y1)
            return EdgeNormalization::crossing(e[i], y0, e[i + 1], y1, level);
    }
    return e[0];
}

} // namespace

void EdgeNormalization::fit(const double* e, const double* mu, int n, double eMin, double eMax, bool victoreen,
                            Line* line)
{
    if (victoreen ? n <= 3 : n <= 2)
        return;   // the line keeps what it had: nothing, for a new spectrum
    line->sampled = true;
    line->values.resize(std::size_t(n));
    const BackgroundFit::Coefficients c =
        BackgroundFit::fit([e](int i) { return e[i]; }, [mu](int i) { return mu[i]; }, n, eMin, eMax, victoreen);
    double* out = line->values.data();
    for (int i = 0; i < n; ++i)
        out[i] = BackgroundFit::value(c, victoreen, e[i]);
}

double EdgeNormalization::valueAt(const double* e, const double* y, int n, double x, int stride)
{
    auto at = [y, stride](int i) { return y[qint64(i) * stride]; };
    if (n == 0)
        return 0.0;
    if (n == 1)
        return at(0);
    if (x <= e[0])
        return interpolate(e[0], at(0), e[1], at(1), x);
    if (x >= e[n - 1])
        return interpolate(e[n - 2], at(n - 2), e[n - 1], at(n - 1), x);
    int lo = 0;
    int hi = n - 1;
    while (lo < hi - 1) {
        const int mid = (lo + hi) / 2;
        if (x < e[mid])
            hi = mid;
        else
            lo = mid;
    }
    return interpolate(e[lo], at(lo), e[hi], at(hi), x);
}

void EdgeNormalization::compute(const double* e, const double* mu, int n, bool victoreen)
{
    m_pre.sampled = false;
    m_post.sampled = false;
    m_e0 = 0.0;
    m_eh = 0.0;
    m_jump = 0.0;
    m_dnpb.resize(std::size_t(n > 0 ? n : 0));
    m_e.assign(e, e + (n > 0 ? n : 0));
    if (n <= 0)
        return;
    const double eh = halfHeightEnergy(e, mu, n);
    m_eh = eh;
    fit(e, mu, n, eh + preStart, eh + preEnd, victoreen, &m_pre);
    fit(e, mu, n, eh + postStart, eh + postEnd, victoreen, &m_post);
    // A line that was never sampled has no points: its value is 0 everywhere.
    const double* pre = m_pre.sampled ? m_pre.values.data() : nullptr;
    const double* post = m_post.sampled ? m_post.values.data() : nullptr;
    auto preAt = [pre](int i) { return pre ? pre[i] : 0.0; };
    auto postAt = [post](int i) { return post ? post[i] : 0.0; };

    // e0: mean of the midline crossings between the two windows.
    const double lo = eh + preEnd;
    const double hi = eh + postStart;
    double sum = 0.0;
    int found = 0;
    for (int i = 0; i + 1 < n; ++i) {
        const double x = e[i];
        if (!(lo < x && x < hi))
            continue;
        const double p = preAt(i);
        const double mid = p + (postAt(i) - p) / 2.0;
        const double mu0 = mu[i];
        const double mu1 = mu[i + 1];
        if ((mu1 - mid) * (mu0 - mid) <= 0.0) {
            sum += x + (mid - mu0) / (mu1 - mu0) * (e[i + 1] - x);
            ++found;
        }
    }
    m_e0 = found > 0 ? sum / found : 0.0;
    m_jump = (post ? valueAt(e, post, n, m_e0) : 0.0) - (pre ? valueAt(e, pre, n, m_e0) : 0.0);

    double* out = m_dnpb.data();
    for (int i = 0; i < n; ++i) {
        const double p = preAt(i);
        out[i] = (mu[i] - p) / (postAt(i) - p);
    }
}
