#include "physics/BackgroundLine.h"

#include "physics/LuSolver.h"

void BackgroundLine::fit(const Spectrum& spectrum, double eMin, double eMax, bool victoreen)
{
    const int n = spectrum.count();
    if (victoreen ? n <= 3 : n <= 2)
        return;
    m_victoreen = victoreen;
    if (victoreen)
        fitVictoreen(spectrum, eMin, eMax);
    else
        fitStraight(spectrum, eMin, eMax);

    clear();
    reserve(n);
    const SpectrumPoint* p = spectrum.points().data();
    const double o = spectrum.offsetInForce();
    for (int i = 0; i < n; ++i) {
        const double e = p[i].x - o;
        add(e, lineValue(e));
    }
}

void BackgroundLine::fitVictoreen(const Spectrum& spectrum, double eMin, double eMax)
{
    double cnt = 0, s3 = 0, s4 = 0, s6 = 0, s7 = 0, s8 = 0, sy = 0, s3y = 0, s4y = 0;
    const SpectrumPoint* p = spectrum.points().data();
    const double o = spectrum.offsetInForce();
    for (int i = 0, n = spectrum.count(); i < n; ++i) {
        const double e = p[i].x - o;
        if (e >= eMax)
            break;
        if (e < eMin)
            continue;
        const double l = PhysConst::hc / e;
        const double l3 = l * l * l;
        const double l4 = l3 * l;
        const double y = p[i].y;
        cnt += 1;
        s3 += l3;
        s4 += l4;
        s6 += l3 * l3;
        s7 += l3 * l4;
        s8 += l4 * l4;
        sy += y;
        s3y += l3 * y;
        s4y += l4 * y;
    }
    // With fewer than three points the system is singular and the solver
    // leaves non-finite coefficients, which is what the caller then sees.
    FixedLuSystem<3> sys;
    sys.a[0][0] = cnt;
    sys.a[0][1] = s3;
    sys.a[0][2] = s4;
    sys.a[1][0] = s3;
    sys.a[1][1] = s6;
    sys.a[1][2] = s7;
    sys.a[2][0] = s4;
    sys.a[2][1] = s7;
    sys.a[2][2] = s8;
    sys.b[0] = sy;
    sys.b[1] = s3y;
    sys.b[2] = s4y;
    double x[3];
    sys.solve(x);
    m_a0 = x[0];
    m_c3 = x[1];
    m_c4 = x[2];
}

void BackgroundLine::fitStraight(const Spectrum& spectrum, double eMin, double eMax)
{
    double cnt = 0, se = 0, se2 = 0, sy = 0, sey = 0, firstY = 0;
    const SpectrumPoint* p = spectrum.points().data();
    const double o = spectrum.offsetInForce();
    for (int i = 0, n = spectrum.count(); i < n; ++i) {
        const double e = p[i].x - o;
        if (e >= eMax)
            break;
        if (e < eMin)
            continue;
        const double y = p[i].y;
        if (cnt == 0)
            firstY = y;
        cnt += 1;
        se += e;
        se2 += e * e;
        sy += y;
        sey += e * y;
    }
    if (cnt >= 2) {
        FixedLuSystem<2> sys;
        sys.a[0][0] = se2;
        sys.a[0][1] = se;
        sys.a[1][0] = se;
        sys.a[1][1] = cnt;
        sys.b[0] = sey;
        sys.b[1] = sy;
        double x[2];
        sys.solve(x);
        m_slope = x[0];
        m_a0 = x[1];
    } else {
        m_slope = 0.0;
        m_a0 = cnt == 1 ? firstY : 0.0;
    }
}
