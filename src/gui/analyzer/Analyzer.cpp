#include "analyzer/Analyzer.h"

#include "ui_Analyzer.h"

#include "analysis/AnalyzeProc.h"
#include "analysis/AnalyzerFields.h"
#include "analyzer/AElemsConds.h"
#include "analyzer/ElemCtrl.h"
#include "analyzer/LCFReference.h"
#include "analyzer/MapsExtraPanel.h"
#include "base/GeneralTexts.h"
#include "base/JobRunner.h"
#include "base/WorkerThread.h"
#include "controls/JobProgressBar.h"
#include "grid/Analyzed2DRes.h"
#include "spectrumview/XafsFileSelect.h"
#include "spectrumview/XafsView.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>

using AnalyzerFields::number;
using AnalyzerFields::numberText;
using AnalyzerFields::percentText;

Analyzer::Analyzer(QWidget* parent)
    : QFrame(parent)
    , m_a2dDMut(std::make_unique<Analyzed2DRes>(QStringLiteral("a2d DMut")))
    , m_a2dRest(std::make_unique<Analyzed2DRes>(QStringLiteral("a2d Rest")))
    , m_a2dRati(std::make_unique<Analyzed2DRes>(QStringLiteral("a2d Rati")))
    , m_corMap(std::make_unique<Analyzed2DRes>(QStringLiteral("a2d ElemsCor")))
    , m_corThMap(std::make_unique<Analyzed2DRes>(QStringLiteral("a2d ElemsCorTh")))
    , m_rFactorMap(std::make_unique<Analyzed2DRes>(QStringLiteral("a2d RFactor")))
    , m_fracSumMap(std::make_unique<Analyzed2DRes>(QStringLiteral("a2d FracSum")))
    , ui(new Ui::Analyzer)
{
    registerAnalysisMetaTypes();
    ui->setupUi(this);

    // Every radio button sits in a group of its own kind; the groups, not the
    // shared parent, make them exclusive.
    m_modeGroup = new QButtonGroup(this);
    m_modeGroup->addButton(ui->DoMLCFA, 0);
    m_modeGroup->addButton(ui->DoRAA, 1);
    m_modeGroup->addButton(ui->DoElemA, 2);
    m_extra = new MapsExtraPanel(this);
    ui->mainLayout->addWidget(m_extra);
    m_modeGroup->addButton(m_extra->modeButton(), 3);
    connect(m_extra, &MapsExtraPanel::mapChosen, this, [this] { emit changedSelection(); });
    ui->DoMLCFA->setChecked(true);
    m_kindGroup = new QButtonGroup(this);
    m_kindGroup->addButton(ui->SelDMut, 0);
    m_kindGroup->addButton(ui->SelRatio, 1);
    ui->SelDMut->setChecked(true);

    m_view = new XafsView;
    m_view->setWindowTitle(tr("Analyzing Spectrum"));
    QPen fitPen(QColor(0, 128, 255));
    fitPen.setWidth(2);
    m_view->addExtra(&m_fitResult, fitPen, tr("LCF fit"));
    m_view->setTargetName(tr("target"));

    m_imageGroup = new QButtonGroup(this);
    m_imageGroup->addButton(ui->ShowDMuT);
    m_imageGroup->addButton(ui->ShowRest);
    m_imageGroup->addButton(ui->ShowRatio);
    m_imageGroup->addButton(ui->ShowRFactor);
    m_imageGroup->addButton(ui->ShowFracSum);
    for (int i = 0; i < 4; ++i)
        addNewRef();
    m_refs.first()->showButton()->setChecked(true);

    m_engine = new AnalyzeProc;
    m_engineThread = new WorkerQThread(this);
    m_engineThread->setObjectName(QStringLiteral("analysis engine"));
    // Safe from this thread: the engine reads the switch at each request.
    connect(ui->NonNegative, &QCheckBox::toggled, m_engine, &AnalyzeProc::setNonNegative, Qt::DirectConnection);
    startWorkerThread(m_engineThread, m_engine);
    // Queued also when the engine had to stay on this thread (no thread to
    // be had): its answer then comes after the request has returned, as always.
    connect(this, &Analyzer::analyzeSpectrum0, m_engine, &AnalyzeProc::analyzeSpectrum0, Qt::QueuedConnection);
    connect(this, &Analyzer::analyzeSpectrumElems0, m_engine, &AnalyzeProc::analyzeSpectrumElems0,
            Qt::QueuedConnection);
    connect(m_engine, &AnalyzeProc::finished, this, &Analyzer::analyzeSpectrumFinished);
    connect(m_engine, &AnalyzeProc::finishedAElems, this, &Analyzer::analyzeSpectrumElemsFinished);
    connect(m_engine, &AnalyzeProc::showFitResults, this, &Analyzer::showFitResults);
    connect(m_engine, &AnalyzeProc::showFitQuality, this, [this](double r) {
        ui->FitQuality->setText(tr("R-factor: %1").arg(numberText(r)));
    });

    m_elemTypeGroup = new QButtonGroup(this);
    const QRadioButton* types[] = {ui->ShowElemsDMut0, ui->ShowElemsDMutN, ui->ShowElemsCorr,
                                   ui->ShowElemsCorrTh, ui->ShowElemsMutPlus, ui->ShowElemsMutMinus,
                                   ui->ShowElemsDE, ui->ShowElemsROI, ui->ShowElemsNROI};
    for (int i = 0; i < 9; ++i)
        m_elemTypeGroup->addButton(const_cast<QRadioButton*>(types[i]), i);
    ui->ShowElemsDMut0->setChecked(true);
    m_targetGroup = new QButtonGroup(this);
    m_showGroup = new QButtonGroup(this);
    connect(m_showGroup, &QButtonGroup::idClicked, this, [this] { emit changedSelection(); });

    m_corRunner = new JobRunner(this);
    ui->CorMapProgress->attach(m_corRunner);
    // Running, stopped or done: the run's line stays to say which.
    ui->RunProgress->setAlwaysVisible(true);

    connect(ui->AskAnalyze, &QPushButton::clicked, this, &Analyzer::askAnalyze);
    connect(ui->AskRAAnalyze, &QPushButton::clicked, this, &Analyzer::askRAAnalyze);
    connect(ui->AskAnalyzeElems, &QPushButton::clicked, this, [this] {
        stopCorMap();
        emit askAnalyzeElems();
    });
    connect(ui->ShowView, &QPushButton::clicked, this, [this] {
        m_view->show();
        m_view->raise();
    });
    connect(ui->AddRef, &QPushButton::clicked, this, &Analyzer::addNewRef);
    connect(m_imageGroup, &QButtonGroup::idClicked, this, &Analyzer::selectedNewRef);
    connect(ui->SelRatio, &QRadioButton::toggled, this, &Analyzer::selectedImgChanged);
    connect(m_elemTypeGroup, &QButtonGroup::idClicked, this, [this] { emit changedSelection(); });
    connect(ui->FixedScale, &QCheckBox::toggled, this, &Analyzer::scalePolicyChanged);
    for (QLineEdit* e : {ui->DMutScaleMin, ui->DMutScaleMax, ui->RatioScaleMin, ui->RatioScaleMax})
        connect(e, &QLineEdit::editingFinished, this, &Analyzer::scaleChanged);
    connect(ui->AElemNames, &QLineEdit::returnPressed, this, &Analyzer::newElems);
    connect(ui->SetSTD, &QPushButton::clicked, this, &Analyzer::setElemsStd);
    connect(ui->CorTh, &QLineEdit::editingFinished, this, &Analyzer::newCorTh);
    connect(ui->ReCalcCor, &QPushButton::clicked, this, &Analyzer::recalcCorMap);
    connect(this, &Analyzer::setNewCorrelation, this, &Analyzer::setCorrelation);

    ui->CorTh->setText(numberText(0.999));
    m_corThreshold = 0.999;
    recalcCorMap();
}

Analyzer::~Analyzer()
{
    // The correlation job and the engine read maps and rows: both stop
    // before anything they read goes away.
    m_corRunner->stopAndWait();
    m_engineThread->quit();
    m_engineThread->wait();
    delete m_engine;
    m_engine = nullptr;
    delete m_view;
    m_view = nullptr;
    delete ui;
}

// --- reference rows and the image group

void Analyzer::addNewRef()
{
    auto* row = new LCFReference(ui->RefBase);
    m_refs.append(row);
    const int n = m_refs.size();
    row->fileSelect()->setCaption(tr("Select Ref%1").arg(n));
    const bool inUse = n < 3;
    row->fileSelect()->setUse(inUse);
    row->changedUse(inUse);
    ui->RefBaseLayout->addWidget(row, n - 1, 0);
    m_imageGroup->addButton(row->showButton(), n - 1);
    renumberImageButtons();
    m_view->addExtra(&row->spectrum());
    connect(row, &LCFReference::newFileSelected, this, [this, row] {
        // The legend names a reference by its file.
        m_view->setExtraName(&row->spectrum(), QFileInfo(row->fileSelect()->fileName()).fileName());
        m_view->update();
    });
    connect(row, &LCFReference::newDeltaE, this, &Analyzer::reAnalyzeSpectrum);
    resize(size().expandedTo(sizeHint()));
}

void Analyzer::renumberImageButtons()
{
    const int n = m_refs.size();
    m_imageGroup->setId(ui->ShowDMuT, n);
    m_imageGroup->setId(ui->ShowRest, n + 1);
    m_imageGroup->setId(ui->ShowRatio, n + 2);
    m_imageGroup->setId(ui->ShowRFactor, n + 3);
    m_imageGroup->setId(ui->ShowFracSum, n + 4);
}

void Analyzer::selectedNewRef(int)
{
    emit changedSelection();
}

void Analyzer::selectedImgChanged(bool)
{
    emit changedSelection();
}

void Analyzer::setLCFStd(int no, bool use, double dE, QString fname, QString isVic)
{
    if (no < 0 || no >= m_refs.size())
        return;
    m_refs[no]->setStd(use, dE, fname, isVic);
}

void Analyzer::selectImage(int id)
{
    if (QAbstractButton* b = m_imageGroup->button(id))
        b->setChecked(true);
    emit changedSelection();
}

// --- analysis requests and answers

QVector<ReferenceSnapshot> Analyzer::referenceSnapshots() const
{
    QVector<ReferenceSnapshot> out;
    out.reserve(m_refs.size());
    for (const LCFReference* r : m_refs)
        out.append(r->snapshot());
    return out;
}

QVector<ElementSnapshot> Analyzer::elementSnapshots() const
{
    QVector<ElementSnapshot> out;
    out.reserve(m_elems.size());
    for (const ElemCtrl* e : m_elems)
        out.append(e->snapshot());
    return out;
}

BackgroundValues Analyzer::backgroundValues() const
{
    return ui->AElemsCds->values();
}

int Analyzer::mainTarget() const
{
    return m_elems.isEmpty() ? 0 : m_targetGroup->checkedId();
}

bool Analyzer::isMLCF() const
{
    return ui->MLCF->isChecked();
}

int Analyzer::mode() const
{
    if (ui->DoRAA->isChecked())
        return 1;
    if (ui->DoElemA->isChecked())
        return 2;
    return 0;
}

XafsSpectrum* Analyzer::takeCurveBuffer()
{
    if (m_freeCurves.empty()) {
        m_curvePool.push_back(std::make_unique<XafsSpectrum>());
        m_freeCurves.push_back(m_curvePool.back().get());
    }
    XafsSpectrum* buffer = m_freeCurves.back();
    m_freeCurves.pop_back();
    m_curvesInFlight.push_back(buffer);
    return buffer;
}

void Analyzer::analyzeAndShowSpectrum(const XafsSpectrum& s)
{
    m_current = s;
    m_view->setTarget(m_current);
    analyzeSpectrum(m_current);
}

void Analyzer::analyzeSpectrum(const XafsSpectrum& s)
{
    if (ui->DoMLCFA->isChecked()) {
        const QVector<ReferenceSnapshot> refs = referenceSnapshots();
        // The engine answers (and writes a curve) only when the sample has
        // points and there are at least two rows.
        XafsSpectrum* res = !s.isEmpty() && refs.size() >= 2 ? takeCurveBuffer() : nullptr;
        emit analyzeSpectrum0(s, refs, res, ui->MLCF->isChecked());
    }
    if (ui->DoElemA->isChecked())
        emit analyzeSpectrumElems0(s, elementSnapshots(), nullptr, mainTarget(), backgroundValues());
}

void Analyzer::reAnalyzeSpectrum()
{
    analyzeSpectrum(m_current);
}

void Analyzer::showFitResults(const QVector<int>& rows, const QVector<double>& fractions,
                              const QVector<double>& amounts)
{
    const int n = qMin(rows.size(), qMin(fractions.size(), amounts.size()));
    for (int k = 0; k < n; ++k) {
        if (rows[k] >= 0 && rows[k] < m_refs.size())
            m_refs[rows[k]]->showFitResult(fractions[k], amounts[k]);
    }
}

void Analyzer::analyzeSpectrumFinished()
{
    if (!m_curvesInFlight.empty()) {
        XafsSpectrum* curve = m_curvesInFlight.front();
        m_curvesInFlight.pop_front();
        std::swap(m_fitResult, *curve);
        m_freeCurves.push_back(curve);
    }
    if (!m_contAccess)
        m_view->update();
    emit finished();
}

void Analyzer::analyzeSpectrumElemsFinished()
{
    showElementResult(m_engine->elementResult());
    calcCorrelation();
    emit analyzeElemsFinished();
}

void Analyzer::showElementResult(const ElementResult& r)
{
    m_rawDmut = r.rawDmut;
    const int n = qMin(m_elems.size(), r.dmut.size());
    for (int i = 0; i < n; ++i)
        m_elems[i]->showResult(r.dmut[i], r.dmutRatio[i], r.muPlus[i], r.muMinus[i], r.edgeShift[i], r.roi[i],
                               r.nroi[i]);
}

void Analyzer::setContAccess(bool f)
{
    m_contAccess = f;
    m_engine->setContAccess(f);
    // A run is about to write the maps a correlation rebuild reads.
    if (f)
        stopCorMap();
}

void Analyzer::setLCFMode(int f)
{
    ui->MLCF->setChecked(f == 1);
}

void Analyzer::setProgress(double perCent)
{
    ui->Progress->setText(percentText(perCent));
}

void Analyzer::setElemsProgress(double perCent)
{
    ui->ElemsProgress->setText(percentText(perCent));
}

void Analyzer::showRunState(int mode, bool running)
{
    QPushButton* button = mode == 2 ? ui->AskAnalyzeElems : mode == 1 ? ui->AskRAAnalyze : ui->AskAnalyze;
    // While a run goes, its button stops it.
    button->setText(running ? QCoreApplication::translate("General", GeneralTexts::stop) : tr("Analyze"));
}

void Analyzer::show()
{
    QFrame::show();
    m_view->show();
}

void Analyzer::setNormalize(bool f)
{
    m_view->setNormalize(f);
}

void Analyzer::setEnergyCorrection(bool f)
{
    m_view->setEnergyCorrection(f);
}

// --- fields read by the runs

double Analyzer::raEnergy() const
{
    return number(ui->RAAtEV->text());
}

double Analyzer::raFactor() const
{
    return number(ui->RAFactor->text());
}

bool Analyzer::dispOnTime() const
{
    return ui->DispOnTime->isChecked();
}

bool Analyzer::elemsDispOnTime() const
{
    return ui->ElemsDispOnTime->isChecked();
}

bool Analyzer::nonNegative() const
{
    return ui->NonNegative->isChecked();
}

void Analyzer::setNonNegative(bool f)
{
    ui->NonNegative->setChecked(f);
}

bool Analyzer::maskEnabled() const
{
    return ui->MaskByJump->isChecked();
}

double Analyzer::maskThreshold() const
{
    return number(ui->MaskJumpTh->text());
}

qint64 Analyzer::memoryBudgetBytes() const
{
    const double mb = number(ui->RunMemBudgetMB->text());
    // Up to 1 PB; beyond that (or NaN, or not positive) the field is not a budget.
    if (!(mb > 0.0 && mb < 1e9))
        return 0;
    return qint64(mb * 1024.0 * 1024.0);
}

JobProgressBar* Analyzer::runProgress() const
{
    return ui->RunProgress;
}

AElemsConds* Analyzer::elemsConds() const
{
    return ui->AElemsCds;
}

void Analyzer::setRaEnergy(double eng)
{
    ui->RAAtEV->setText(numberText(eng));
}

void Analyzer::setRaFactor(double factor)
{
    ui->RAFactor->setText(numberText(factor));
}
