#pragma once

#include "batch/CmdLine.h"
#include "BatchWait.h"
#include "BodyContext.h"
#include "grid/Analyzed2DRes.h"
#include "io/ImageSeries.h"
#include "physics/XafsSpectrum.h"
#include "processing/EMPHeader.h"

#include <QMainWindow>
#include <QStringList>
#include <QVector>

class BatchDispatcher;
class CommandTable;
class ImgDispA;
class QPainter;
class QTextStream;
class QThread;
class SelectDataFiles;
class TiffData;

// The one main window: builds its form, the worker threads and one
// controller per concern (BodyContext), and wires them. It owns them all.
// Its slots keep the names the windows, the batch language and the drivers
// call; each passes the call on to the controller of its concern.
class Body : public QMainWindow
{
    Q_OBJECT
public:
    explicit Body(QWidget* parent = nullptr);
    ~Body() override;

    // Read access for drivers and tests.
    const ImageSeries& i1Series() const;
    const ImageSeries& i0Series() const;
    SelectDataFiles* i1Panel() const;
    SelectDataFiles* i0Panel() const;
    ImgDispA* imageView() const;
    XafsView* xafsView() const { return m_c.xafsView; }
    CalibCtrl* calibCtrl() const { return m_c.calib; }
    Analyzer* analyzer() const { return m_c.analyzer; }
    BatchCtrl* batchCtrl() const { return m_c.batchCtrl; }
    SaveDataCfg* saveDataCfg() const { return m_c.saveDataCfg; }
    ImgProc* imgProc() const { return m_c.imgProc; }
    // Every window of the program with the name its picture is saved under
    // ("main-window", "analyzer-window", ...), the main window first.
    QVector<QPair<QWidget*, QString>> namedWindows() const;
    BatchDispatcher* batchDispatcher() const;
    const CommandTable& commandTable() const;
    const XafsSpectrum& currentSpectrum() const;
    const Analyzed2DRes& shiftMap() const;
    int mouseX() const;
    int mouseY() const;
    int imageWidth() const;
    int imageHeight() const;
    bool isLoading() const;    // a load of either series is on its way
    bool isRunning2D() const;  // a 2D run is in progress
    bool isCalibrating() const;
    bool isAligning() const;
    bool isSaving() const;     // a spectra file or a large text map is being written
    // The last failure reported to the user (status bar), empty when none.
    const QString& lastFailure() const;
    // What the batch line in progress waits for (None when it is not waiting).
    BatchWait::Work batchWaitsFor() const;

public slots:
    // Series and navigation (SeriesController, NavigationController).
    void clearI1Files();
    void clearI0Files();
    void readI1Files(const QStringList& files, bool newFile);
    void readI0Files(const QStringList& files, bool newFile);
    void loadedI1(TiffData* data, int fNo);
    void loadedI0(TiffData* data, int fNo);
    void selectedDataI0(bool f);
    void showData(int no);
    void seekImage(int imgNo);
    void prev();
    void next();
    void sliderMoved(int idx);
    void cBarUpdating();
    void cBarUpdated();
    // The spectrum under the mouse (SpectrumController).
    void showXafsSpectrum(double x, double y);
    void showXafsSpectrum();
    void onMouseMovedInDispA();
    void draw(QPainter* p);
    // Calibration and the energy-shift map (CalibrationController).
    void newStdFile();
    void execCalibration();
    void clearShiftMap();
    void saveEMap(const QString& fname);
    void loadEMap(const QString& fname);
    EMPHeader loadEMapHeader(QTextStream& in);
    void showShiftMap(bool f);
    void normalizeEShift();
    // Alignment of the I1 images (AlignmentController).
    void giveProcData();
    void setImgShift(int dx, int dy);
    void clearAllShifts();
    // 2D runs (RunController).
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
    // The analyzer's result maps (ResultMapController).
    void showResAnalysis(bool f);
    void selectedNewRef();
    void setupResAnalysisImage();
    void showProcImg(bool f);
    void deglitch();
    void showAnalyzedVals();
    // Saving (SaveController).
    void saveImage(const QString& fname);
    void saveImageWNum(const QString& fname, const QString& num);
    void saveAllImages(const QString& fname);
    void showSaveDataDialog();
    void saveData(const QString& fname);
    void saveDataAsTiff(const QString& fname, int ext);
    void saveDataAsText(const QString& fname, int ext);
    void saveFlatDark();
    void saveEachSpectrum(const QString& fname);
    void saveEachXafsSpectrum(const QString& fname);
    void saveEachRawSpectrum(const QString& fname);
    // One batch line (BatchExecutor).
    void execCmdSlot(CmdLine cmd, bool inRem);

signals:
    void loadI1Files(QStringList files, int skip, int cutFirst, int cutLast);
    void loadI0Files(QStringList files, int skip, int cutFirst, int cutLast);
    void finishing();
    void finishBatchExec();
    // The batch line in progress has completed: exactly one per line, when
    // what it started has ended.
    void batchLineFinished();
    // The batch line in progress failed.
    void batchCommandFailed(QString message);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildForm();
    void buildControllers();
    void wireThreads();
    void wireImageView();
    void wireControllers();
    void placeWindows();
    // Moves `worker` into a thread of its own and starts it; the destructor
    // stops it before the objects living in it are destroyed.
    void startWorker(QObject* worker, const QString& name, bool lowPriority);
    void stopWorkerThreads();

    Ui::Body* ui;
    BodyContext m_c;
    QVector<QThread*> m_workerThreads;
};
