#pragma once

#include "BodyContext.h"

#include <QObject>
#include <functional>
#include <memory>

class CommandTable;
class ElementRunJob;
class JobRunner;
class SlicedJob;
struct AreaRunInput;

// The 2D runs over an area: LCF/MLCF, elements, residual absorption and the
// Fourier analysis. Each run is a job on the run runner: its slices compute a
// band of grid rows off the GUI thread and record it into the analyzer's
// maps; the band hook shows the progress (and the maps with "Disp. on Time"),
// and the end of the run renders the maps and tells the batch the run is
// done. The one place that knows which run is going.
class RunController : public QObject
{
    Q_OBJECT
public:
    explicit RunController(BodyContext& c);

    // The runner holds a run.
    bool isRunning() const;
    // A run was asked for and has not ended or been stopped (the live
    // analysis of the spectrum under the mouse waits meanwhile).
    bool running2D() const { return m_running2D; }
    void stopAndWait();

    void startLCF2DAnalysis();
    void stop2DAnalysis();
    void analyzeASpectrumFinished();
    void generateResImages();
    void startElems2DAnalysis();
    void stopElems2DAnalysis();
    void analyzeElemsFinished();
    void generateElemsResImages();
    void startRA2DAnalysis();
    void generateRAResImage();
    void execFourierA();

    // Runs another area job (the edge maps, the PCA, the clusters) on the
    // run runner, so that it never overlaps a run and everything that stops
    // the runs stops it too; `ended(stopped)` is called at its end. False
    // (and nothing started) while the runner holds a job.
    bool startOtherJob(std::shared_ptr<SlicedJob> job, std::function<void(bool stopped)> ended);
    JobRunner* runner() const { return m_runner; }
    // The runner holds a job started by startOtherJob (set before it starts).
    bool runsOtherJob() const { return m_runKind == RunKind::Other; }

    // What a run reads: the series, its grid over the selected area (else
    // the whole image) with the form's half sizes, the shift map, the mask.
    AreaRunInput runInput() const;

signals:
    // A run has ended; relayed as Body::finishBatchExec().
    void workEnded();

private:
    enum class RunKind { None, Lcf, Elements, Residual, Fourier, Other };

    // Why a run of this kind cannot start on the current area and rows
    // (empty: it can), and the same reported as "The <run> run can't start".
    QString refusal(RunKind kind) const;
    bool refuseRun(RunKind kind, const QString& run);
    void runnerFinished(bool stopped);
    void endRun(bool stopped);
    void addCommands(CommandTable& t);
    // analyzer_exec_LCF, analyzer_exec_elems, analyzer_exec_ra.
    bool startBatchRun(int id);

    BodyContext& m_c;
    JobRunner* m_runner = nullptr;
    std::shared_ptr<ElementRunJob> m_lastElementJob;
    // Which run the runner holds: its end does what that run's end does.
    RunKind m_runKind = RunKind::None;
    std::function<void(bool)> m_otherEnded;
    bool m_running2D = false;
};
