#include "processing/FourierTransform.h"

#include "physics/Spectrum.h"
#include "processing/FftPlan.h"

#include <QDebug>
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <mutex>

namespace {

// FFTW's planner (plan creation and destruction) shares global state with
// every other plan of the process: one lock for all of them.
std::mutex& plannerMutex()
{
    return FftPlan::plannerMutex();
}

}

FourierTransform::~FourierTransform()
{
    release();
}

bool FourierTransform::setSize(int n)
{
    if (n == m_n)
        return true;
    release();
    if (n <= 0)
        return true;
    const std::size_t bytes = sizeof(fftw_complex) * std::size_t(n);
    m_fwdIn = static_cast<fftw_complex*>(fftw_malloc(bytes));
    m_fwdOut = static_cast<fftw_complex*>(fftw_malloc(bytes));
    m_bwdIn = static_cast<fftw_complex*>(fftw_malloc(bytes));
    m_bwdOut = static_cast<fftw_complex*>(fftw_malloc(bytes));
    m_mag = static_cast<double*>(fftw_malloc(sizeof(double) * std::size_t(n)));
    if (m_fwdIn && m_fwdOut && m_bwdIn && m_bwdOut && m_mag) {
        std::lock_guard<std::mutex> lock(plannerMutex());
        m_fwdPlan = fftw_plan_dft_1d(n, m_fwdIn, m_fwdOut, FFTW_FORWARD, FFTW_ESTIMATE);
        m_bwdPlan = fftw_plan_dft_1d(n, m_bwdIn, m_bwdOut, FFTW_BACKWARD, FFTW_ESTIMATE);
    }
    if (!m_fwdPlan || !m_bwdPlan) {
        qWarning().noquote() << "FourierTransform: can not set up a transform of size" << n;
        release();
        return false;
    }
    m_n = n;
    // ESTIMATE planning leaves the arrays alone; start from a defined state.
    std::fill_n(&m_fwdIn[0][0], 2 * std::size_t(n), 0.0);
    std::fill_n(&m_fwdOut[0][0], 2 * std::size_t(n), 0.0);
    std::fill_n(&m_bwdIn[0][0], 2 * std::size_t(n), 0.0);
    std::fill_n(&m_bwdOut[0][0], 2 * std::size_t(n), 0.0);
    std::fill_n(m_mag, std::size_t(n), 0.0);
    return true;
}

void FourierTransform::forward(const Spectrum& series)
{
    if (m_n == 0)
        return;
    const auto& pts = series.points();
    const int count = std::min(m_n, int(pts.size()));
    for (int i = 0; i < m_n; ++i) {
        m_fwdIn[i][0] = i < count ? pts[std::size_t(i)].y : 0.0;
        m_fwdIn[i][1] = 0.0;
    }
    fftw_execute(m_fwdPlan);
}

void FourierTransform::forward(const double* values, int count)
{
    if (m_n == 0)
        return;
    if (!values)
        count = 0;
    for (int i = 0; i < m_n; ++i) {
        m_fwdIn[i][0] = i < count ? values[i] : 0.0;
        m_fwdIn[i][1] = 0.0;
    }
    fftw_execute(m_fwdPlan);
}

void FourierTransform::magnitude()
{
    for (int k = 0; k < m_n; ++k)
        m_mag[k] = std::sqrt(m_fwdOut[k][0] * m_fwdOut[k][0] + m_fwdOut[k][1] * m_fwdOut[k][1]);
}

void FourierTransform::release()
{
    if (m_fwdPlan || m_bwdPlan) {
        std::lock_guard<std::mutex> lock(plannerMutex());
        if (m_fwdPlan)
            fftw_destroy_plan(m_fwdPlan);
        if (m_bwdPlan)
            fftw_destroy_plan(m_bwdPlan);
    }
    m_fwdPlan = m_bwdPlan = nullptr;
    for (void* p : {static_cast<void*>(m_fwdIn), static_cast<void*>(m_fwdOut), static_cast<void*>(m_bwdIn),
                    static_cast<void*>(m_bwdOut), static_cast<void*>(m_mag)})
        if (p)
            fftw_free(p);
    m_fwdIn = m_fwdOut = m_bwdIn = m_bwdOut = nullptr;
    m_mag = nullptr;
    m_n = 0;
}
