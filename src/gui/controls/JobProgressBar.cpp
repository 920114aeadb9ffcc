#include "controls/JobProgressBar.h"

#include "base/GeneralTexts.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <cmath>

JobProgressBar::JobProgressBar(QWidget* parent)
    : QWidget(parent)
    , m_bar(new QProgressBar(this))
    , m_text(new QLabel(this))
    , m_stop(new QPushButton(QCoreApplication::translate("General", GeneralTexts::stop), this))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    m_bar->setRange(0, 1000);
    m_bar->setTextVisible(false);
    row->addWidget(m_bar, 1);
    row->addWidget(m_text);
    row->addWidget(m_stop);
    m_stop->setEnabled(false);
    setVisible(false);
}

void JobProgressBar::attach(JobRunner* runner)
{
    if (m_runner)
        disconnect(m_runner, nullptr, this, nullptr);
    m_runner = runner;
    if (!runner)
        return;
    connect(runner, &JobRunner::started, this, &JobProgressBar::onStarted);
    connect(runner, &JobRunner::progress, this, &JobProgressBar::onProgress);
    connect(runner, &JobRunner::finished, this, &JobProgressBar::onFinished);
    connect(m_stop, &QPushButton::clicked, runner, &JobRunner::stop);
}

void JobProgressBar::setAlwaysVisible(bool f)
{
    m_alwaysVisible = f;
    setVisible(f || (m_runner && m_runner->isRunning()));
}

QString JobProgressBar::describe(const JobProgress& p)
{
    const QLocale english(QLocale::English);
    QString s = QString::number(p.percent(), 'f', 1) + QStringLiteral(" %");
    if (p.itemsPerSecond > 0.0)
        s += QStringLiteral(" \u00b7 ") + english.toString(qint64(std::llround(p.itemsPerSecond)))
            + QStringLiteral(" /s");
    if (p.secondsLeft >= 0.0 && p.done < p.total)
        s += QStringLiteral(" \u00b7 ") + QString::number(std::ceil(p.secondsLeft), 'f', 0)
            + QStringLiteral(" s left");
    return s;
}

QString JobProgressBar::statusText() const
{
    return m_text->text();
}

QString JobProgressBar::endText(const JobProgress& p, bool stopped, double seconds)
{
    if (stopped)
        return QCoreApplication::translate("JobProgressBar", "Stopped at %1 %").arg(p.percent(), 0, 'f', 1);
    return QCoreApplication::translate("JobProgressBar", "Done: %1 in %2 s")
        .arg(QLocale(QLocale::English).toString(p.total))
        .arg(seconds, 0, 'f', 1);
}

void JobProgressBar::onStarted(qint64 total)
{
    Q_UNUSED(total);
    m_following = !m_owns || m_owns();
    if (!m_following)
        return;
    m_clock.start();
    m_bar->setValue(0);
    m_text->setText(QCoreApplication::translate("JobProgressBar", "Running: %1").arg(describe(JobProgress())));
    m_stop->setEnabled(true);
    setVisible(true);
}

void JobProgressBar::onProgress(const JobProgress& p)
{
    if (!m_following)
        return;
    m_bar->setValue(int(std::lround(p.percent() * 10.0)));
    m_text->setText(QCoreApplication::translate("JobProgressBar", "Running: %1").arg(describe(p)));
}

void JobProgressBar::onFinished(bool stopped)
{
    if (!m_following)
        return;
    m_following = false;
    m_stop->setEnabled(false);
    // A stopped run leaves no half-full bar behind; its text says where it stopped.
    m_bar->setValue(stopped ? 0 : m_bar->maximum());
    const JobProgress last = m_runner ? m_runner->lastProgress() : JobProgress();
    m_text->setText(endText(last, stopped, m_clock.isValid() ? m_clock.nsecsElapsed() * 1e-9 : 0.0));
    setVisible(m_alwaysVisible);
}
