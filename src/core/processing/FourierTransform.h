#pragma once

#include <fftw3.h>

class Spectrum;

// One-dimensional complex discrete Fourier transform of a fixed size on FFTW
// buffers: forward and backward plans are made once per size (FFTW_ESTIMATE,
// no measuring) and reused until the size changes. Planning goes through a
// process-wide lock because FFTW's planner is not thread-safe, so transforms
// may live in worker threads; executing a plan needs no lock.
class FourierTransform
{
public:
    FourierTransform() = default;
    explicit FourierTransform(int n) { setSize(n); }
    ~FourierTransform();
    FourierTransform(const FourierTransform&) = delete;
    FourierTransform& operator=(const FourierTransform&) = delete;

    // Allocates the buffers and plans for n points; nothing happens when n is
    // the current size. n <= 0 releases everything. Returns false (size 0)
    // when FFTW cannot allocate or plan.
    bool setSize(int n);
    int size() const { return m_n; }

    // Loads y values (or plain values) into the real parts, imaginary parts 0,
    // values beyond the series 0, and runs the forward transform (sign -1):
    // X_k = sum_j x_j exp(-2 pi i j k / n). Nothing happens at size 0.
    void forward(const Spectrum& series);
    void forward(const double* values, int count);
    // |X_k| = sqrt(re^2 + im^2) of the last forward transform, k = 0 .. n-1,
    // into the magnitude buffer.
    void magnitude();

    // The magnitude buffer (n values; nullptr at size 0) and one value of it
    // (0 for an index outside).
    const double* magnitudes() const { return m_mag; }
    double magnitudeAt(int k) const { return k >= 0 && k < m_n ? m_mag[k] : 0.0; }
    // Component k of the last forward transform (0 outside).
    double re(int k) const { return k >= 0 && k < m_n ? m_fwdOut[k][0] : 0.0; }
    double im(int k) const { return k >= 0 && k < m_n ? m_fwdOut[k][1] : 0.0; }

    // Frees every buffer and both plans; the size becomes 0.
    void release();

private:
    int m_n = 0;
    fftw_complex* m_fwdIn = nullptr;
    fftw_complex* m_fwdOut = nullptr;
    fftw_complex* m_bwdIn = nullptr;
    fftw_complex* m_bwdOut = nullptr;
    double* m_mag = nullptr;
    fftw_plan m_fwdPlan = nullptr;
    fftw_plan m_bwdPlan = nullptr;
};
