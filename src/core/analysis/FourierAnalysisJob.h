#pragma once

#include "analysis/AreaRunJob.h"
#include "processing/AbsorptionSpectrum.h"
#include "processing/BlockBands.h"

#include <QStringList>
#include <memory>
#include <vector>

class FftPlan;

// The Fourier diagnostic over an area as a job. For every grid point, g = the
// block sum of the first I1 image and h_k = |F_k|, the magnitude of component
// k of the forward DFT of length M (M: number of I1 images) of the point's raw
// spectrum (one I1 block sum per image that contains the point, in series
// order, imaginary parts 0, missing values 0). For every k the sums
// Sg = sum g^2, Sh = sum h_k^2 and Sgh = sum g h_k are added in grid order, so
// they are those of a walk per k, but one pass and one FFT per point give all
// k. When the run is complete, one debug line per k: "Res", k, Sg, Sh, Sgh and
// Sgh / sqrt(|Sg Sh|), separated by blanks.
class FourierAnalysisJob : public AreaRunJob
{
public:
    explicit FourierAnalysisJob(const AreaRunInput& input);
    ~FourierAnalysisJob() override;

    int components() const { return m_m; }
    // The sums so far (complete once the job finished unstopped).
    double sumG2() const { return m_sg; }
    const std::vector<double>& sumH2() const { return m_sh; }
    const std::vector<double>& sumGH() const { return m_sgh; }
    // The debug lines of the result, one per k.
    QStringList resultLines() const;
    qint64 workingBytes() const;

protected:
    bool analyzeRows(int first, int count, const std::atomic<bool>& stop) override;
    void recordRow(int row) override { Q_UNUSED(row); }
    void finished(bool stopped) override;

private:
    // Scratch bytes of a thread beyond the bands' own.
    qint64 scratchBytes() const;

    AbsorptionSpectrum m_source;
    BlockBands m_bands;
    int m_m = 0;
    std::unique_ptr<FftPlan> m_plan;
    // Per block of the band: g, then h_0 ... h_{M-1}.
    std::vector<double> m_gh;
    double m_sg = 0.0;
    std::vector<double> m_sh;
    std::vector<double> m_sgh;
};
