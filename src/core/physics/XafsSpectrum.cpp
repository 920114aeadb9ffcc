#include "physics/XafsSpectrum.h"

#include "base/LogCategories.h"
#include "physics/SpectrumFiles.h"

#include <QDebug>
#include <atomic>
#include <cmath>

XafsSpectrum::XafsSpectrum(const Spectrum& mu, bool victoreen, double dE)
    : m_victoreen(victoreen), m_dE(dE)
{
    const double o = mu.offsetInForce();
    assignPoints(mu, o);
    setOffset(o, false);
    if (!isEmpty())
        normalize(victoreen);
}

void XafsSpectrum::normalize(bool victoreen)
{
    const int n = count();
    if (n == 0)
        return;
    const double eh = crossingEnergy(0.5, Rising);
    m_preEdge.fit(*this, eh + m_preStart, eh + m_preEnd, victoreen);
    m_postEdge.fit(*this, eh + m_postStart, eh + m_postEnd, victoreen);
    m_e0 = findE0(eh);
    m_jump = m_postEdge.valueAt(m_e0) - m_preEdge.valueAt(m_e0);

    Spectrum* derived[] = {&m_normalized, &m_doubleNormalizedPreBase, &m_normalizedPostBase,
                           &m_doubleNormalizedPostBase};
    for (Spectrum* s : derived) {
        s->clear();
        s->reserve(n);
    }
    const SpectrumPoint* p = points().data();
    const double o = offsetInForce();
    const double jump = m_jump;
    for (int i = 0; i < n; ++i) {
        const double e = p[i].x - o;
        const double mu = p[i].y;
        // y() gives 0 beyond a line's points: a fit skipped for too few
        // points may have left a line of another length.
        const double pre = m_preEdge.y(i);
        const double post = m_postEdge.y(i);
        const double postBase = (mu - post) / jump;
        const double preBase2 = (mu - pre) / (post - pre);
        const double postBase2 = (mu - post) / (post - pre);
        m_normalized.add(e, postBase + 1.0);
        m_doubleNormalizedPreBase.add(e, preBase2);
        m_normalizedPostBase.add(e, postBase);
        m_doubleNormalizedPostBase.add(e, postBase2);
    }
}

double XafsSpectrum::findE0(double eh) const
{
    // Mean of every crossing of the midline between the two lines in the gap
    // between the pre-edge and post-edge windows.
    const SpectrumPoint* p = points().data();
    const double o = offsetInForce();
    const double lo = eh + m_preEnd;
    const double hi = eh + m_postStart;
    double sum = 0.0;
    int found = 0;
    for (int i = 0, n = count(); i + 1 < n; ++i) {
        const double e = p[i].x - o;
        if (!(lo < e && e < hi))
            continue;
        const double pre = m_preEdge.y(i);
        const double mid = pre + (m_postEdge.y(i) - pre) / 2.0;
        const double mu0 = p[i].y;
        const double mu1 = p[i + 1].y;
        if ((mu1 - mid) * (mu0 - mid) <= 0.0) {
            sum += e + (mid - mu0) / (mu1 - mu0) * ((p[i + 1].x - o) - e);
            ++found;
        }
    }
    return found > 0 ? sum / found : 0.0;
}

bool XafsSpectrum::load(const QString& path, QString* why)
{
    return SpectrumFiles::readSpectrum(path, *this, why);
}

bool XafsSpectrum::save(const QString& path, bool energyCorrected) const
{
    return SpectrumFiles::writeXafsSpectrum(path, *this, energyCorrected);
}

double XafsSpectrum::doubleNormalizedPreBase(double e) const
{
    if (std::isnan(e))
        NanEnergies::note();
    return m_doubleNormalizedPreBase.valueAt(e);
}

namespace NanEnergies {

namespace {
std::atomic<qint64> noted{0};
const char* const message = "nan EeV in XafsSpectrum::doubleNormalizedPreBase";
}

void note(qint64 count)
{
    if (count > 0 && noted.fetch_add(count) == 0)
        qCDebug(lcPhysics).noquote() << message;
}

qint64 endRun()
{
    const qint64 n = noted.exchange(0);
    if (n > 1)
        qCDebug(lcPhysics).noquote() << QStringLiteral("%1 : %2 evaluations in this run").arg(QLatin1String(message)).arg(n);
    return n;
}

}

void registerSpectrumMetaTypes()
{
    qRegisterMetaType<XafsSpectrum>("XafsSpectrum");
    qRegisterMetaType<XafsSpectrum*>("XafsSpectrum*");
}
