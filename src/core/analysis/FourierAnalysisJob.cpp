#include "analysis/FourierAnalysisJob.h"

#include "base/BlockLoop.h"
#include "base/LogCategories.h"
#include "processing/FftPlan.h"

#include <QDebug>
#include <cmath>

namespace {

// What a thread of the Fourier run works in: a raw spectrum and the
// transform's two buffers.
struct FourierScratch {
    explicit FourierScratch(int m) : y(std::size_t(m)), in(FftPlan::allocate(m)), out(FftPlan::allocate(m)) {}
    ~FourierScratch()
    {
        FftPlan::release(in);
        FftPlan::release(out);
    }
    FourierScratch(const FourierScratch&) = delete;
    FourierScratch& operator=(const FourierScratch&) = delete;

    std::vector<double> y;
    fftw_complex* in;
    fftw_complex* out;
};

} // namespace

FourierAnalysisJob::FourierAnalysisJob(const AreaRunInput& input)
    : AreaRunJob(input),
      m_source(input.i1, {}, input.grid.halfWidth, input.grid.halfHeight, false)
{
    m_bands.setThreads(input.threads);
    m_bands.setup(&m_source, input.grid, BlockSpectra::RawSums);
    m_m = m_bands.images();
    m_plan = std::make_unique<FftPlan>(m_m, FFTW_FORWARD);
    m_sh.assign(std::size_t(m_m), 0.0);
    m_sgh.assign(std::size_t(m_m), 0.0);
    planSlices(m_bands, (m_m + 1) * qint64(sizeof(double)), scratchBytes());
}

FourierAnalysisJob::~FourierAnalysisJob() = default;

qint64 FourierAnalysisJob::scratchBytes() const
{
    return m_m * qint64(sizeof(double) + 2 * sizeof(fftw_complex));
}

qint64 FourierAnalysisJob::workingBytes() const
{
    return m_bands.workingBytes(scratchBytes()) + qint64(m_gh.capacity() * sizeof(double));
}

bool FourierAnalysisJob::analyzeRows(int first, int count, const std::atomic<bool>& stop)
{
    if (m_m == 0 || !m_bands.compute(first, count, &stop))
        return m_m == 0;
    const BlockSpectra& values = m_bands.values();
    const qint64 blocks = values.blocks();
    const int m = m_m;
    const std::size_t st = std::size_t(m) + 1;
    m_gh.assign(std::size_t(blocks) * st, 0.0);
    if (!m_plan->isValid())
        return false;
    const FftPlan& plan = *m_plan;
    forEachBlock(blocks, m_bands.threads(), &stop, [m] { return FourierScratch(m); },
                 [&](FourierScratch& s, qint64 b) {
        double* r = m_gh.data() + std::size_t(b) * st;
        // The first image's sum is kept whether or not its image contains
        // the centre (a block sum, 0 outside).
        r[0] = values.value(b, 0);
        const int n = values.values(b, s.y.data());
        for (int k = 0; k < m; ++k) {
            s.in[k][0] = k < n ? s.y[std::size_t(k)] : 0.0;
            s.in[k][1] = 0.0;
        }
        plan.execute(s.in, s.out);
        for (int k = 0; k < m; ++k)
            r[1 + k] = std::sqrt(s.out[k][0] * s.out[k][0] + s.out[k][1] * s.out[k][1]);
    });
    if (stop.load())
        return true;
    // The sums in grid order (the band's blocks are in grid order; the far
    // points add nothing: their g and h are 0).
    double* sh = m_sh.data();
    double* sgh = m_sgh.data();
    for (qint64 b = 0; b < blocks; ++b) {
        const double* r = m_gh.data() + std::size_t(b) * st;
        const double g = r[0];
        m_sg += g * g;
        for (int k = 0; k < m; ++k) {
            const double h = r[1 + k];
            sh[k] += h * h;
            sgh[k] += g * h;
        }
    }
    return true;
}

QStringList FourierAnalysisJob::resultLines() const
{
    QStringList lines;
    for (int k = 0; k < m_m; ++k) {
        QString line;
        QDebug d(&line);
        d << "Res" << k << m_sg << m_sh[std::size_t(k)] << m_sgh[std::size_t(k)]
          << m_sgh[std::size_t(k)] / std::sqrt(std::fabs(m_sg * m_sh[std::size_t(k)]));
        lines << line.trimmed();
    }
    return lines;
}

void FourierAnalysisJob::finished(bool stopped)
{
    if (stopped)
        return;
    for (const QString& line : resultLines())
        qCDebug(lcResults).noquote() << line;
}
