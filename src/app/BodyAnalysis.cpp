// Body: the analyzer window and the result maps it selects: showing them,
// deglitching them and dumping their values.
#include "Body.h"

#include "ui_Body.h"

#include "analyzer/Analyzer.h"
#include "base/JobRunner.h"
#include "controls/JobProgressBar.h"
#include "imageview/ImgDispA.h"

#include <QDebug>

void Body::buildAnalyzer()
{
    m_analyzer = new Analyzer;
    m_secondaryWindows.append(m_analyzer);
    m_runRunner = new JobRunner(this);
    m_analyzer->runProgress()->attach(m_runRunner);
    connect(m_runRunner, &JobRunner::finished, this, &Body::endRun);
    connect(ui->ShowAnalyzer, &QPushButton::clicked, m_analyzer, &Analyzer::show);
    // The runs are driven by their jobs: the analyzer's per-spectrum answers
    // (finished, analyzeElemsFinished) belong to the live analysis only.
    connect(m_analyzer, &Analyzer::askAnalyze, this, &Body::startLCF2DAnalysis);
    connect(m_analyzer, &Analyzer::askAnalyzeElems, this, &Body::startElems2DAnalysis);
    connect(m_analyzer, &Analyzer::askRAAnalyze, this, &Body::startRA2DAnalysis);
    connect(m_analyzer, &Analyzer::changedSelection, this, &Body::selectedNewRef);
    connect(ui->ExecFourierA, &QPushButton::clicked, this, &Body::execFourierA);
    m_running2D = false;
    connect(ui->ShowResAnalysis, &QRadioButton::toggled, this, &Body::showResAnalysis);
    connect(ui->DeGlitch, &QPushButton::clicked, this, &Body::deglitch);
    connect(ui->ShowProcImg, &QCheckBox::toggled, this, &Body::showProcImg);
    connect(ui->CheckVals, &QPushButton::clicked, this, &Body::showAnalyzedVals);
}

void Body::showResAnalysis(bool f)
{
    Q_UNUSED(f);
    pickAnalyzerMap();
    ui->dispA->setShowOverlayer(ui->ShowShiftMap->isChecked() || ui->ShowResAnalysis->isChecked());
    redrawImage();
}

void Body::pickAnalyzerMap()
{
    ui->dispA->setResultLayer(m_analyzer->currentImage(), m_analyzer->currentImageTitle());
}

void Body::selectedNewRef()
{
    showResAnalysis(true);
}

void Body::setupResAnalysisImage()
{
    if (Analyzed2DRes* map = m_analyzer->currentImage())
        map->genImg();
}

void Body::showProcImg(bool f)
{
    Analyzed2DRes* map = m_analyzer->currentImage();
    if (!map)
        return;
    map->selectProcImg(f);
    map->genImg();
    redrawImage();
}

void Body::deglitch()
{
    Analyzed2DRes* map = m_analyzer->currentImage();
    if (!map)
        return;
    m_analyzer->stopCorMap();
    map->setDeglitchConds(ui->DeGlitchFactor->text().toDouble(), ui->DeGlitchRatio->text().toDouble());
    map->selectProcImg(true);
    map->genImg();
    map->deglitch();
    redrawImage();
}

void Body::showAnalyzedVals()
{
    const Analyzed2DRes* map = m_analyzer->currentImage();
    if (!map)
        return;
    qDebug().noquote() << QStringLiteral("vals of ") + map->name();
    for (int y = 0; y < m_imageHeight; ++y)
        for (int x = 0; x < m_imageWidth; ++x)
            qDebug().noquote() << QString::asprintf("%4d %4d %15.6f %15.6f", x, y, map->value(x, y), map->procValue(x, y));
}
