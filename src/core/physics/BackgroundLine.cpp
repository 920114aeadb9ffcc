#include "physics/BackgroundLine.h"

void BackgroundLine::fit(const Spectrum& spectrum, double eMin, double eMax, bool victoreen)
{
    const int n = spectrum.count();
    if (victoreen ? n <= 3 : n <= 2)
        return;
    m_victoreen = victoreen;
    const SpectrumPoint* p = spectrum.points().data();
    const double o = spectrum.offsetInForce();
    m_c = BackgroundFit::fit([p, o](int i) { return p[i].x - o; }, [p](int i) { return p[i].y; }, n, eMin, eMax,
                             victoreen);

    clear();
    reserve(n);
    for (int i = 0; i < n; ++i) {
        const double e = p[i].x - o;
        add(e, lineValue(e));
    }
}
