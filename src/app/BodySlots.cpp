// Body: the read access of drivers and tests, and the slots under the names
// the windows, the batch language and the drivers call, each passed on to the
// controller of its concern.
#include "Body.h"

#include "ui_Body.h"

#include "AlignmentController.h"
#include "BatchExecutor.h"
#include "CalibrationController.h"
#include "NavigationController.h"
#include "ResultMapController.h"
#include "RunController.h"
#include "SaveController.h"
#include "SeriesController.h"
#include "SpectrumController.h"

const ImageSeries& Body::i1Series() const
{
    return m_c.series->i1();
}

const ImageSeries& Body::i0Series() const
{
    return m_c.series->i0();
}

SelectDataFiles* Body::i1Panel() const
{
    return ui->SelectI1Files;
}

SelectDataFiles* Body::i0Panel() const
{
    return ui->SelectI0Files;
}

ImgDispA* Body::imageView() const
{
    return ui->dispA;
}

BatchDispatcher* Body::batchDispatcher() const
{
    return m_c.batch->dispatcher();
}

const CommandTable& Body::commandTable() const
{
    return m_c.batch->table();
}

const XafsSpectrum& Body::currentSpectrum() const
{
    return m_c.spectrum->current();
}

const Analyzed2DRes& Body::shiftMap() const
{
    return m_c.calibration->shiftMap();
}

int Body::mouseX() const
{
    return m_c.spectrum->mouseX();
}

int Body::mouseY() const
{
    return m_c.spectrum->mouseY();
}

int Body::imageWidth() const
{
    return m_c.series->imageWidth();
}

int Body::imageHeight() const
{
    return m_c.series->imageHeight();
}

bool Body::isLoading() const
{
    return m_c.series->isLoading();
}

bool Body::isRunning2D() const
{
    return m_c.runs->isRunning();
}

bool Body::isCalibrating() const
{
    return m_c.calibration->isCalibrating();
}

bool Body::isAligning() const
{
    return m_c.alignment->isAligning();
}

bool Body::isSaving() const
{
    return m_c.saving->isSaving();
}

const QString& Body::lastFailure() const
{
    return m_c.batch->lastFailure();
}

BatchWait::Work Body::batchWaitsFor() const
{
    return m_c.batch->waitsFor();
}

void Body::clearI1Files()
{
    m_c.series->clearFiles(true);
}

void Body::clearI0Files()
{
    m_c.series->clearFiles(false);
}

void Body::readI1Files(const QStringList& files, bool newFile)
{
    m_c.series->readFiles(true, files, newFile);
}

void Body::readI0Files(const QStringList& files, bool newFile)
{
    m_c.series->readFiles(false, files, newFile);
}

void Body::loadedI1(TiffData* data, int fNo)
{
    m_c.series->loadedI1(data, fNo);
}

void Body::loadedI0(TiffData* data, int fNo)
{
    m_c.series->loadedI0(data, fNo);
}

void Body::selectedDataI0(bool f)
{
    m_c.navigation->selectedDataI0(f);
}

void Body::showData(int no)
{
    m_c.navigation->showData(no);
}

void Body::seekImage(int imgNo)
{
    m_c.navigation->showData(imgNo);
}

void Body::prev()
{
    m_c.navigation->prev();
}

void Body::next()
{
    m_c.navigation->next();
}

void Body::sliderMoved(int idx)
{
    m_c.navigation->sliderMoved(idx);
}

void Body::cBarUpdating()
{
    m_c.navigation->renderShown(false);
}

void Body::cBarUpdated()
{
    m_c.navigation->renderShown(true);
}

void Body::showXafsSpectrum(double x, double y)
{
    m_c.spectrum->showAt(x, y);
}

void Body::showXafsSpectrum()
{
    m_c.spectrum->show();
}

void Body::onMouseMovedInDispA()
{
    m_c.spectrum->showCrossSections();
}

void Body::draw(QPainter* p)
{
    m_c.spectrum->drawOverlay(p);
}

void Body::newStdFile()
{
    m_c.calibration->newStdFile();
}

void Body::execCalibration()
{
    m_c.calibration->execCalibration();
}

void Body::clearShiftMap()
{
    m_c.calibration->clearShiftMap();
}

void Body::saveEMap(const QString& fname)
{
    m_c.calibration->saveEMap(fname);
}

void Body::loadEMap(const QString& fname)
{
    m_c.calibration->loadEMap(fname);
}

EMPHeader Body::loadEMapHeader(QTextStream& in)
{
    return CalibrationController::loadEMapHeader(in);
}

void Body::showShiftMap(bool f)
{
    m_c.calibration->showShiftMap(f);
}

void Body::normalizeEShift()
{
    m_c.calibration->normalizeEShift();
}

void Body::giveProcData()
{
    m_c.alignment->giveProcData();
}

void Body::setImgShift(int dx, int dy)
{
    m_c.alignment->setImgShift(dx, dy);
}

void Body::clearAllShifts()
{
    m_c.alignment->clearAllShifts();
}

void Body::startLCF2DAnalysis()
{
    m_c.runs->startLCF2DAnalysis();
}

void Body::stop2DAnalysis()
{
    m_c.runs->stop2DAnalysis();
}

void Body::analyzeASpectrumFinished()
{
    m_c.runs->analyzeASpectrumFinished();
}

void Body::generateResImages()
{
    m_c.runs->generateResImages();
}

void Body::startElems2DAnalysis()
{
    m_c.runs->startElems2DAnalysis();
}

void Body::stopElems2DAnalysis()
{
    m_c.runs->stopElems2DAnalysis();
}

void Body::analyzeElemsFinished()
{
    m_c.runs->analyzeElemsFinished();
}

void Body::generateElemsResImages()
{
    m_c.runs->generateElemsResImages();
}

void Body::startRA2DAnalysis()
{
    m_c.runs->startRA2DAnalysis();
}

void Body::generateRAResImage()
{
    m_c.runs->generateRAResImage();
}

void Body::execFourierA()
{
    m_c.runs->execFourierA();
}

void Body::showResAnalysis(bool f)
{
    m_c.maps->showResAnalysis(f);
}

void Body::selectedNewRef()
{
    m_c.maps->selectedNewRef();
}

void Body::setupResAnalysisImage()
{
    m_c.maps->setupResAnalysisImage();
}

void Body::showProcImg(bool f)
{
    m_c.maps->showProcImg(f);
}

void Body::deglitch()
{
    m_c.maps->deglitch();
}

void Body::showAnalyzedVals()
{
    m_c.maps->showAnalyzedVals();
}

void Body::saveImage(const QString& fname)
{
    m_c.saving->saveImage(fname);
}

void Body::saveImageWNum(const QString& fname, const QString& num)
{
    m_c.saving->saveImageWNum(fname, num);
}

void Body::saveAllImages(const QString& fname)
{
    m_c.saving->saveAllImages(fname);
}

void Body::showSaveDataDialog()
{
    m_c.saving->showSaveDataDialog();
}

void Body::saveData(const QString& fname)
{
    m_c.saving->saveData(fname);
}

void Body::saveDataAsTiff(const QString& fname, int ext)
{
    m_c.saving->saveDataAsTiff(fname, ext);
}

void Body::saveDataAsText(const QString& fname, int ext)
{
    m_c.saving->saveDataAsText(fname, ext);
}

void Body::saveFlatDark()
{
    m_c.saving->saveFlatDark();
}

void Body::saveEachSpectrum(const QString& fname)
{
    m_c.saving->saveEachSpectrum(fname);
}

void Body::saveEachXafsSpectrum(const QString& fname)
{
    m_c.saving->saveEachXafsSpectrum(fname);
}

void Body::saveEachRawSpectrum(const QString& fname)
{
    m_c.saving->saveEachRawSpectrum(fname);
}

void Body::execCmdSlot(CmdLine cmd, bool inRem)
{
    m_c.batch->execute(cmd, inRem);
}
