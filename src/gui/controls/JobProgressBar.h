#pragma once

#include "base/JobRunner.h"

#include <QElapsedTimer>
#include <functional>
#include <QPointer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

// How every window shows long work: a progress bar, the rate and the time
// left, and a Stop button that stops the attached runner. Hidden while idle
// unless told to stay visible.
class JobProgressBar : public QWidget
{
    Q_OBJECT
public:
    explicit JobProgressBar(QWidget* parent = nullptr);

    void attach(JobRunner* runner);
    // Several bars may watch one runner: each then shows only the runs for
    // which `owns` answers true as they start (every run while unset).
    void setRunFilter(std::function<bool()> owns) { m_owns = std::move(owns); }
    JobRunner* runner() const { return m_runner; }
    // Keep the bar visible while idle (it shows the last result then).
    void setAlwaysVisible(bool f);

    // "12.5 % · 230,000 /s · 3 s left" for the given progress.
    static QString describe(const JobProgress& p);
    // After a job: "Stopped at 42.0 %" or "Done: 65,536 in 3.2 s".
    static QString endText(const JobProgress& p, bool stopped, double seconds);
    // What the bar says now: "Running: ...", or the end text of the last job.
    QString statusText() const;

private:
    void onStarted(qint64 total);
    void onProgress(const JobProgress& p);
    void onFinished(bool stopped);

    QPointer<JobRunner> m_runner;
    QProgressBar* m_bar;
    QLabel* m_text;
    QPushButton* m_stop;
    std::function<bool()> m_owns;
    // The runner's current run is one this bar shows.
    bool m_following = false;
    bool m_alwaysVisible = false;
    QElapsedTimer m_clock;
};
