#include "analysis/LcfRunJob.h"

namespace {

AreaFitSetup fitSetup(const AreaRunInput& input, const LcfRunSetup& setup)
{
    AreaFitSetup s;
    s.mlcf = setup.mlcf;
    s.nonNegative = setup.nonNegative;
    s.victoreen = input.victoreen;
    s.references = setup.references;
    s.mask = input.mask;
    return s;
}

} // namespace

LcfRunJob::LcfRunJob(const AreaRunInput& input, const LcfRunSetup& setup)
    : AreaRunJob(input), m_setup(setup)
{
    m_pipeline.setThreads(input.threads);
    m_pipeline.setBudget(input.budgetBytes);
    m_pipeline.prepare(input.i1, input.i0, input.grid, input.fluorescence, input.shift);
    m_hasFit = m_pipeline.setFit(fitSetup(input, setup));
    planSlices(&m_pipeline.walk(), m_pipeline.bandRows(), int(input.i1.size()));
}

QString LcfRunJob::refusal(const LcfRunSetup& setup)
{
    BlockFitter::Plan plan;
    BlockFitter::makePlan(setup.mlcf, setup.references, &plan);
    if (plan.used() == 0)
        return QStringLiteral("no reference row is in use (a row needs its use box checked and a spectrum loaded)");
    if (!(plan.lo <= plan.hi))
        return QStringLiteral("the reference spectra in use share no energy range");
    return QString();
}

bool LcfRunJob::analyzeRows(int first, int count, const std::atomic<bool>& stop)
{
    return m_pipeline.analyzeRows(first, count, &stop);
}

void LcfRunJob::recordRow(int row)
{
    m_pipeline.recordRows(m_setup.maps, row, 1);
}

bool LcfRunJob::runPointByPoint(const AreaRunInput& input, const LcfRunSetup& setup)
{
    const AbsorptionSpectrum source(input.i1, input.i0, input.grid.halfWidth, input.grid.halfHeight,
                                    input.fluorescence);
    return AreaPipeline::runPointByPoint(source, input.grid, input.shift, fitSetup(input, setup), setup.maps);
}
