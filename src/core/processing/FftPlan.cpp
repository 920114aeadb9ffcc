#include "processing/FftPlan.h"

std::mutex& FftPlan::plannerMutex()
{
    static std::mutex m;
    return m;
}

fftw_complex* FftPlan::allocate(int n)
{
    return static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * std::size_t(n > 0 ? n : 1)));
}

void FftPlan::release(fftw_complex* p)
{
    if (p)
        fftw_free(p);
}

FftPlan::FftPlan(int n, int sign)
    : m_n(n)
{
    if (n <= 0)
        return;
    // Planning with FFTW_ESTIMATE leaves the arrays alone; they only tell
    // the planner the alignment execute() will see.
    fftw_complex* in = allocate(n);
    fftw_complex* out = allocate(n);
    if (in && out) {
        std::lock_guard<std::mutex> lock(plannerMutex());
        m_plan = fftw_plan_dft_1d(n, in, out, sign, FFTW_ESTIMATE);
    }
    release(in);
    release(out);
}

FftPlan::~FftPlan()
{
    if (m_plan) {
        std::lock_guard<std::mutex> lock(plannerMutex());
        fftw_destroy_plan(m_plan);
    }
}
