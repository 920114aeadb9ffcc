#include "ResultMapController.h"

#include "ui_Body.h"

#include "analyzer/AElemsConds.h"
#include "analyzer/Analyzer.h"
#include "analyzer/LCFReference.h"
#include "base/LogCategories.h"
#include "batch/BatchKeywords.h"
#include "BatchExecutor.h"
#include "CommandTable.h"
#include "grid/Analyzed2DRes.h"
#include "imageview/ImgDispA.h"
#include "SeriesController.h"
#include "spectrumview/XafsFileSelect.h"
#include "controls/WindowPlace.h"

#include <QDebug>

using namespace BatchKeywords;

namespace {

// Element rows are named in the commands; a name no row has changes nothing.
void noElementRow(const QString& command, const QString& name)
{
    qCDebug(lcApp).noquote() << QStringLiteral("%1: no element row is named \"%2\"").arg(command, name);
}

} // namespace

ResultMapController::ResultMapController(BodyContext& c)
    : m_c(c)
{
    Analyzer* analyzer = m_c.analyzer = new Analyzer;
    Ui::Body* ui = m_c.ui;
    connect(ui->ShowAnalyzer, &QPushButton::clicked, analyzer, [analyzer] { WindowPlace::bringUp(analyzer); });
    connect(analyzer, &Analyzer::changedSelection, this, &ResultMapController::selectedNewRef);
    connect(ui->ShowResAnalysis, &QRadioButton::toggled, this, &ResultMapController::showResAnalysis);
    connect(ui->DeGlitch, &QPushButton::clicked, this, &ResultMapController::deglitch);
    connect(ui->ShowProcImg, &QCheckBox::toggled, this, &ResultMapController::showProcImg);
    connect(ui->CheckVals, &QPushButton::clicked, this, &ResultMapController::showAnalyzedVals);
    connect(ui->RangeMinMax, &QCheckBox::toggled, this, [this] {
        if (auto* map = dynamic_cast<Analyzed2DRes*>(m_c.ui->dispA->resultLayer()))
            applyRangeRule(map);
        m_c.ui->dispA->update();
    });
    addCommands(m_c.batch->table());
    addElementCommands(m_c.batch->table());
}

ResultMapController::~ResultMapController()
{
    delete m_c.analyzer;
}

void ResultMapController::applyRangeRule(Analyzed2DRes* map) const
{
    if (map)
        map->setRangeRule(m_c.ui->RangeMinMax->isChecked() ? DisplayRange::MinMax : DisplayRange::Robust);
}

void ResultMapController::pickAnalyzerMap()
{
    Analyzed2DRes* map = m_c.analyzer->currentImage();
    applyRangeRule(map);
    m_c.ui->dispA->setResultLayer(map, m_c.analyzer->currentImageTitle());
}

void ResultMapController::showResAnalysis(bool f)
{
    Q_UNUSED(f);
    pickAnalyzerMap();
    Ui::Body* ui = m_c.ui;
    ui->dispA->setShowOverlayer(ui->ShowShiftMap->isChecked() || ui->ShowResAnalysis->isChecked());
    ui->dispA->update();
}

void ResultMapController::selectedNewRef()
{
    showResAnalysis(true);
}

void ResultMapController::setupResAnalysisImage()
{
    if (Analyzed2DRes* map = m_c.analyzer->currentImage())
        map->genImg();
}

void ResultMapController::showProcImg(bool f)
{
    Analyzed2DRes* map = m_c.analyzer->currentImage();
    if (!map)
        return;
    map->selectProcImg(f);
    map->genImg();
    m_c.ui->dispA->update();
}

void ResultMapController::deglitch()
{
    Analyzed2DRes* map = m_c.analyzer->currentImage();
    if (!map)
        return;
    m_c.analyzer->stopCorMap();
    map->setDeglitchConds(m_c.ui->DeGlitchFactor->text().toDouble(), m_c.ui->DeGlitchRatio->text().toDouble());
    map->selectProcImg(true);
    map->genImg();
    map->deglitch();
    m_c.ui->dispA->update();
}

void ResultMapController::showAnalyzedVals()
{
    const Analyzed2DRes* map = m_c.analyzer->currentImage();
    if (!map)
        return;
    qCDebug(lcResults).noquote() << QStringLiteral("vals of ") + map->name();
    const int width = m_c.series->imageWidth();
    const int height = m_c.series->imageHeight();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            qCDebug(lcResults).noquote() << QString::asprintf("%4d %4d %15.6f %15.6f", x, y, map->value(x, y),
                                                    map->procValue(x, y));
}

int ResultMapController::shownReferenceRow() const
{
    const QVector<LCFReference*>& rows = m_c.analyzer->refs();
    for (int i = 0; i < rows.size(); ++i)
        if (rows.at(i)->showButton()->isChecked())
            return i;
    return 0;
}

void ResultMapController::addCommands(CommandTable& t)
{
    Analyzer* an = m_c.analyzer;
    using C = const CmdLine&;
    using A = BatchArgReader&;
    t.add(AnalyzerShowWindow, [an](C, A) { an->show(); });
    t.add(AnalyzerSetLCFStd, [this, an](C, A a) {
        const int row = a.n(0);
        const bool use = a.flag(1);
        const double dE = a.x(2);
        const QString fname = a.text(3);
        an->setLCFStd(row, use, dE, fname, a.text(4));
        if (row < 0 || row >= an->refs().size()) {
            m_c.batch->reportFailure(QStringLiteral("There is no reference row %1").arg(row));
        } else if (!fname.isEmpty()) {
            const XafsFileSelect* chooser = an->refs().at(row)->fileSelect();
            if (!chooser->isFileChosen() || chooser->fileName() != fname) {
                // The row keeps no reason; a second read gives it.
                XafsSpectrum probe;
                QString why;
                probe.load(fname, &why);
                m_c.batch->reportFailure(QStringLiteral("Can't read the reference %1: %2").arg(fname, why));
            }
        }
    });
    t.add(AnalyzerSetLCFMode, [an](C, A a) { an->setLCFMode(a.flag(0) ? 1 : 0); });
    t.add(AnalyzerSelectImage, [an](C, A a) { an->selectImage(a.n(0)); });
    t.add(AnalyzerSelectImageType, [an](C, A a) { an->selectLCFImageKind(a.n(0)); });
    t.add(AnalyzerSetRaEnergy, [an](C, A a) { an->setRaEnergy(a.x(0)); });
    t.add(AnalyzerSetRaFactor, [an](C, A a) { an->setRaFactor(a.x(0)); });
    t.add(AnalyzerSetFixedScale, [an](C, A a) { an->setFixedScale(a.flag(0)); });
    t.add(AnalyzerSetScaleMax, [an](C, A a) {
        const double v = a.x(0);
        an->setDMutScaleMax(v);
        an->setRatioScaleMax(v);
    });
    t.add(AnalyzerSetScaleMin, [an](C, A a) {
        const double v = a.x(0);
        an->setDMutScaleMin(v);
        an->setRatioScaleMin(v);
    });
    t.add(AnalyzerSetDMutScaleMax, [an](C, A a) { an->setDMutScaleMax(a.x(0)); });
    t.add(AnalyzerSetDMutScaleMin, [an](C, A a) { an->setDMutScaleMin(a.x(0)); });
    t.add(AnalyzerSetRatioScaleMax, [an](C, A a) { an->setRatioScaleMax(a.x(0)); });
    t.add(AnalyzerSetRatioScaleMin, [an](C, A a) { an->setRatioScaleMin(a.x(0)); });
    t.add(AnalyzerViewNormalize, [an](C, A a) { an->setNormalize(a.flag(0)); });
    t.add(AnalyzerViewEnergyCorrection, [an](C, A a) { an->setEnergyCorrection(a.flag(0)); });
    t.add(AnalyzerTargetElements, [an](C, A a) { an->setTargetElements(a.text(0)); });
    t.add(AnalyzerSelectAnalysisMode, [an](C, A a) { an->selectAnalysisMode(a.n(0)); });
}

void ResultMapController::addElementCommands(CommandTable& t)
{
    Analyzer* an = m_c.analyzer;
    using C = const CmdLine&;
    using A = BatchArgReader&;
    t.add(AnalyzerElemsSelectTarget, [this, an](C cmd, A a) {
        if (!an->selectElemTarget(a.text(0)))
            noElementRow(cmd.cmd, a.text(0));
        showResAnalysis(true);
    });
    t.add(AnalyzerElemsSelectShow, [this, an](C cmd, A a) {
        if (!an->selectElemShow(a.text(0)))
            noElementRow(cmd.cmd, a.text(0));
        showResAnalysis(true);
    });
    t.add(AnalyzerElemsSetDeVs, [an](C, A a) { an->setElemsPrePostDE(a.x(0)); });
    t.add(AnalyzerElemsSetCorrTh, [an](C, A a) { an->setCorThreshold(a.x(0)); });
    t.add(AnalyzerElemsSelectDispMode, [an](C, A a) { an->selectElemImageType(a.n(0)); });
    t.add(AnalyzerElemsSetUse, [an](C cmd, A a) {
        if (!an->setElemUse(a.text(0), a.flag(1)))
            noElementRow(cmd.cmd, a.text(0));
    });
    t.add(AnalyzerElemsSortByAn, [an](C, A a) { an->setSortByANo(a.flag(0)); });
    t.add(AnalyzerElemsRoi, [an](C cmd, A a) {
        const double start = a.x(1);
        const double end = a.x(2);
        if (!an->setElemROI(a.text(0), start, end))
            noElementRow(cmd.cmd, a.text(0));
    });
    t.add(AnalyzerElemsThDMut, [an](C cmd, A a) {
        if (!an->setElemThDMut(a.text(0), a.x(1)))
            noElementRow(cmd.cmd, a.text(0));
    });
    t.add(AnalyzerElemsNoNeg, [an](C cmd, A a) {
        if (!an->setElemNoNeg(a.text(0), a.flag(1)))
            noElementRow(cmd.cmd, a.text(0));
    });
    // The background values take the second argument; the first is not read.
    t.add(AnalyzerElemsBgDMut, [an](C, A a) { an->elemsConds()->setDMut(a.x(1)); });
    t.add(AnalyzerElemsBgDMutR, [an](C, A a) { an->elemsConds()->setDMutRatio(a.x(1)); });
    t.add(AnalyzerElemsBgDE, [an](C, A a) { an->elemsConds()->setDE(a.x(1)); });
    t.add(AnalyzerElemsBgROI, [an](C, A a) { an->elemsConds()->setROI(a.x(1)); });
    t.add(AnalyzerElemsBgNROI, [an](C, A a) { an->elemsConds()->setNROI(a.x(1)); });
}
