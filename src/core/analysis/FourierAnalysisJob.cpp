#include "analysis/FourierAnalysisJob.h"

#include "base/RunOnThreads.h"
#include "processing/FftPlan.h"

#include <QDebug>
#include <atomic>
#include <cmath>

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
    const qint64 perBlock = (m_m + 1) * qint64(sizeof(double));
    const qint64 perThread = m_m * qint64(sizeof(double) + 2 * sizeof(fftw_complex));
    planSlices(&m_bands.walk(), m_bands.rowsForBudget(input.budgetBytes, perBlock, perThread), m_m);
}

FourierAnalysisJob::~FourierAnalysisJob() = default;

qint64 FourierAnalysisJob::workingBytes() const
{
    return m_peakBytes + qint64(m_gh.capacity() * sizeof(double))
           + m_bands.threads() * (m_bands.scratchBytesPerThread()
                                  + m_m * qint64(sizeof(double) + 2 * sizeof(fftw_complex)));
}

bool FourierAnalysisJob::analyzeRows(int first, int count, const std::atomic<bool>& stop)
{
    if (m_m == 0 || !m_bands.compute(first, count))
        return m_m == 0;
    m_peakBytes = qMax(m_peakBytes, m_bands.valueBytes());
    const BlockSpectra& values = m_bands.values();
    const qint64 blocks = values.blocks();
    const int m = m_m;
    const std::size_t st = std::size_t(m) + 1;
    m_gh.assign(std::size_t(blocks) * st, 0.0);
    if (!m_plan->isValid())
        return false;
    const FftPlan& plan = *m_plan;
    const qint64 chunk = 64;
    const qint64 chunks = (blocks + chunk - 1) / chunk;
    std::atomic<qint64> next{0};
    auto work = [&]() {
        std::vector<double> y(static_cast<std::size_t>(m));
        fftw_complex* in = FftPlan::allocate(m);
        fftw_complex* out = FftPlan::allocate(m);
        for (qint64 c = next++; c < chunks && !stop.load(std::memory_order_relaxed); c = next++) {
            for (qint64 b = c * chunk; b < qMin(blocks, (c + 1) * chunk); ++b) {
                double* r = m_gh.data() + std::size_t(b) * st;
                // The first image's sum is kept whether or not its image
                // contains the centre (a block sum, 0 outside).
                r[0] = values.value(b, 0);
                const int n = values.values(b, y.data());
                for (int k = 0; k < m; ++k) {
                    in[k][0] = k < n ? y[std::size_t(k)] : 0.0;
                    in[k][1] = 0.0;
                }
                plan.execute(in, out);
                for (int k = 0; k < m; ++k)
                    r[1 + k] = std::sqrt(out[k][0] * out[k][0] + out[k][1] * out[k][1]);
            }
        }
        FftPlan::release(in);
        FftPlan::release(out);
    };
    const int nt = int(qMin<qint64>(m_bands.threads(), chunks));
    runOnThreads(qMax(1, nt), [&work](int) { work(); });
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
        qDebug().noquote() << line;
}
