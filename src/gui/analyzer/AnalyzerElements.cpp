// The analyzer window's element part: element rows, their results, the
// correlation with the standard and the correlation maps.
#include "analyzer/Analyzer.h"

#include "ui_Analyzer.h"

#include "analysis/AnalyzerFields.h"
#include "analysis/CorrelationMapJob.h"
#include "analysis/ElementCorrelation.h"
#include "analysis/ElementNames.h"
#include "analyzer/ElemCtrl.h"
#include "base/JobRunner.h"
#include "grid/Analyzed2DRes.h"
#include "spectrumview/XafsView.h"

#include <QButtonGroup>
#include <QRadioButton>

using AnalyzerFields::number;
using AnalyzerFields::numberText;

namespace {

// A correlation-map rebuild with at most this many point-row terms runs at
// once on the GUI thread; a larger one goes to the job runner.
constexpr qint64 inlineCorMapTerms = qint64(1) << 18;

const QString styleAbove = QStringLiteral("background-color: rgb(211, 255, 241);");
const QString styleBelow = QStringLiteral("background-color: rgb(176, 192, 192);");

}

void Analyzer::newElems()
{
    // The rows about to go are read by a correlation rebuild that may run.
    stopCorMap();
    delete m_targetGroup;
    delete m_showGroup;
    m_targetGroup = new QButtonGroup(this);
    m_showGroup = new QButtonGroup(this);
    connect(m_showGroup, &QButtonGroup::idClicked, this, [this] { emit changedSelection(); });
    for (ElemCtrl* row : qAsConst(m_elems)) {
        ui->AElemBaseLayout->removeWidget(row);
        row->hide();
        row->deleteLater();
    }
    m_elems.clear();

    QVector<ElementName> names = ElementNames::parse(ui->AElemNames->text());
    if (ui->SortByANo->isChecked())
        ElementNames::sortByAtomicNumber(names);
    for (int i = 0; i < names.size(); ++i) {
        auto* row = new ElemCtrl(ui->AElemBaseFrame);
        row->setElement(names[i]);
        m_elems.append(row);
        m_targetGroup->addButton(row->mainTargetButton(), i);
        m_showGroup->addButton(row->showButton(), i);
        ui->AElemBaseLayout->addWidget(row, i, 0);
    }
    if (!m_elems.isEmpty()) {
        m_elems.first()->mainTargetButton()->setChecked(true);
        m_elems.first()->showButton()->setChecked(true);
    }
    showEdgeMarkers();
    resize(size().expandedTo(sizeHint()));
}

void Analyzer::showEdgeMarkers()
{
    QVector<XafsView::EdgeMarker> markers;
    for (const ElemCtrl* row : qAsConst(m_elems)) {
        XafsView::EdgeMarker m;
        m.name = row->name();
        m.energy = row->edgeEnergy();
        markers.append(m);
    }
    m_view->setEdgeMarkers(markers);
}

void Analyzer::setTargetElements(QString elements)
{
    ui->AElemNames->setText(elements);
    newElems();
}

void Analyzer::setElemsStd()
{
    for (ElemCtrl* row : qAsConst(m_elems))
        row->setStdRatio(row->lastRatio());
    recalcCorMap();
}

void Analyzer::calcCorrelation()
{
    QVector<CorrelationTerm> terms;
    terms.reserve(m_elems.size());
    for (const ElemCtrl* row : qAsConst(m_elems))
        terms.append(CorrelationTerm{row->isUsed(), row->lastRatio(), row->stdRatio()});
    double cor = 0.0;
    if (ElementCorrelation::compute(terms, cor))
        emit setNewCorrelation(cor);
}

void Analyzer::setCorrelation(double cor)
{
    m_correlation = cor;
    if (m_inSetCorrelation)
        return;
    m_inSetCorrelation = true;
    ui->ElemsCorrelation->setText(numberText(cor));
    const bool above = cor > m_corThreshold;
    if (above != m_corAbove) {
        ui->ElemsCorrelation->setStyleSheet(above ? styleAbove : styleBelow);
        m_corAbove = above;
    }
    m_inSetCorrelation = false;
}

void Analyzer::newCorTh()
{
    const double th = number(ui->CorTh->text());
    ui->CorTh->setText(numberText(th));
    m_corThreshold = th;
    recalcCorMap();
}

void Analyzer::setCorThreshold(double th)
{
    ui->CorTh->setText(numberText(th));
    m_corThreshold = th;
    recalcCorMap();
}

void Analyzer::recalcCorMap()
{
    // A newer rebuild replaces one still running.
    stopCorMap();
    QVector<CorrelationMapJob::Source> sources;
    for (const ElemCtrl* row : qAsConst(m_elems)) {
        if (row->isUsed())
            sources.append(CorrelationMapJob::Source{row->map(ElemCtrl::DMutN), row->stdRatio()});
    }
    auto job = std::make_shared<CorrelationMapJob>(m_corMap->grid(), sources, m_corThreshold, m_corMap.get(),
                                                   m_corThMap.get());
    job->onProgress([this](double perCent) { setElemsProgress(perCent); });
    job->onFinished([this](bool stopped) {
        if (stopped)
            return;
        m_corMap->genImg();
        m_corThMap->genImg();
        emit changedSelection();
    });
    if (job->totalItems() * qMax(1, sources.size()) <= inlineCorMapTerms)
        job->runHere();
    else
        m_corRunner->start(job);
}

void Analyzer::stopCorMap()
{
    m_corRunner->stopAndWait();
}

bool Analyzer::isCorMapRunning() const
{
    return m_corRunner->isRunning();
}

// --- batch operations on the element rows

void Analyzer::setSortByANo(bool f)
{
    ui->SortByANo->setChecked(f);
}

void Analyzer::setElemsPrePostDE(double dE)
{
    for (ElemCtrl* row : qAsConst(m_elems))
        row->setPrePostDE(dE);
}

ElemCtrl* Analyzer::elemByName(const QString& name) const
{
    for (ElemCtrl* row : m_elems) {
        if (row->name() == name)
            return row;
    }
    return nullptr;
}

bool Analyzer::setElemNoNeg(const QString& name, bool f)
{
    ElemCtrl* row = elemByName(name);
    if (row)
        row->setNoNeg(f);
    return row;
}

bool Analyzer::setElemThDMut(const QString& name, double v)
{
    ElemCtrl* row = elemByName(name);
    if (row)
        row->setThDMut(v);
    return row;
}

bool Analyzer::setElemROI(const QString& name, double start, double end)
{
    ElemCtrl* row = elemByName(name);
    if (row)
        row->setROI(start, end);
    return row;
}

bool Analyzer::setElemUse(const QString& name, bool f)
{
    ElemCtrl* row = elemByName(name);
    if (row)
        row->setUse(f);
    return row;
}

bool Analyzer::selectElemShow(const QString& name)
{
    ElemCtrl* row = elemByName(name);
    if (row)
        row->showButton()->setChecked(true);
    return row;
}

bool Analyzer::selectElemTarget(const QString& name)
{
    ElemCtrl* row = elemByName(name);
    if (row)
        row->mainTargetButton()->setChecked(true);
    return row;
}
