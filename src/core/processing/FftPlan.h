#pragma once

#include <fftw3.h>
#include <mutex>

// One FFTW plan of a one-dimensional complex transform of size n (forward,
// sign -1, or backward, sign +1), made with FFTW_ESTIMATE. FFTW's planner is
// not thread-safe: every plan of the program is made and destroyed under
// plannerMutex(), which any other owner of FFTW plans must lock as well.
// Executing a plan is thread-safe: execute() takes the arrays, so several
// threads can share one plan, each with buffers from allocate().
class FftPlan
{
public:
    explicit FftPlan(int n, int sign = FFTW_FORWARD);
    ~FftPlan();
    FftPlan(const FftPlan&) = delete;
    FftPlan& operator=(const FftPlan&) = delete;

    int size() const { return m_n; }
    bool isValid() const { return m_plan != nullptr; }
    // out = transform of in (n values each, two distinct buffers from allocate()).
    void execute(fftw_complex* in, fftw_complex* out) const { fftw_execute_dft(m_plan, in, out); }

    // Buffers with the alignment the plans expect (fftw_malloc / fftw_free).
    static fftw_complex* allocate(int n);
    static void release(fftw_complex* p);

    // The process-wide lock around FFTW's planner.
    static std::mutex& plannerMutex();

private:
    int m_n = 0;
    fftw_plan m_plan = nullptr;
};
