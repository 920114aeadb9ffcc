#pragma once

#include "batch/CmdLine.h"
#include "BatchWait.h"
#include "grid/Analyzed2DRes.h"
#include "io/ImageSeries.h"
#include "physics/XafsSpectrum.h"
#include "processing/EMPHeader.h"

#include <QMainWindow>
#include <QStringList>
#include <QVector>
#include <memory>

class Analyzer;
struct AreaRunInput;
class BatchCtrl;
class BatchDispatcher;
class QFileDialog;
class SaveDataCfg;
class SaveFileJob;
struct SaveProvenance;
class CalibCtrl;
class ImgDispA;
class ImgProc;
class JobRunner;
class QTextStream;
class LoadTiff;
class QButtonGroup;
class QPainter;
class QThread;
class SelectDataFiles;
class TiffData;
class XafsView;

namespace Ui {
class Body;
}

// The one main window: owns the two image series, every secondary window,
// the worker objects and their threads. Its slots read the form, call the
// core and show the result; the slots of each concern live in their own
// source file (series and navigation, the spectrum under the mouse, ...).
class Body : public QMainWindow
{
    Q_OBJECT
public:
    explicit Body(QWidget* parent = nullptr);
    ~Body() override;

    // Read access for the batch executor, drivers and tests.
    const ImageSeries& i1Series() const { return m_i1; }
    const ImageSeries& i0Series() const { return m_i0; }
    SelectDataFiles* i1Panel() const;
    SelectDataFiles* i0Panel() const;
    ImgDispA* imageView() const;
    XafsView* xafsView() const { return m_xafsView; }
    const XafsSpectrum& currentSpectrum() const { return m_current; }
    const Analyzed2DRes& shiftMap() const { return m_shiftMap; }
    CalibCtrl* calibCtrl() const { return m_calib; }
    ImgProc* imgProc() const { return m_imgProc; }
    Analyzer* analyzer() const { return m_analyzer; }
    // A 2D run (LCF, elements, residual or Fourier) is in progress.
    bool isRunning2D() const;
    // Long work of the main window in progress (calibration, alignment).
    bool isCalibrating() const;
    bool isAligning() const;
    int mouseX() const { return m_mouseX; }
    int mouseY() const { return m_mouseY; }
    int imageWidth() const { return m_imageWidth; }
    int imageHeight() const { return m_imageHeight; }
    // A load of either series is still on its way.
    bool isLoading() const { return m_i1Book.isLoading() || m_i0Book.isLoading(); }

public slots:
    // Series and navigation.
    void clearI1Files();
    void clearI0Files();
    void readI1Files(const QStringList& files, bool newFile);
    void readI0Files(const QStringList& files, bool newFile);
    void selectedDataI0(bool f);
    void showData(int no);
    void prev();
    void next();
    void sliderMoved(int idx);
    void draw(QPainter* p);
    void cBarUpdating();
    void cBarUpdated();
    void loadedI1(TiffData* data, int fNo);
    void loadedI0(TiffData* data, int fNo);
    void seekImage(int imgNo);

    // The spectrum under the mouse and the read-outs.
    void showXafsSpectrum(double x, double y);
    void showXafsSpectrum();
    void onMouseMovedInDispA();

    // Calibration and the energy-shift map.
    void newStdFile();
    void execCalibration();
    void clearShiftMap();
    void saveEMap(const QString& fname);
    void loadEMap(const QString& fname);
    EMPHeader loadEMapHeader(QTextStream& in);
    void showShiftMap(bool f);
    void normalizeEShift();

    // Alignment of the I1 images.
    void giveProcData();
    void setImgShift(int dx, int dy);
    void clearAllShifts();
    void alignSeries();

    // 2D runs over an area: LCF/MLCF, elements, residual absorption and the
    // Fourier analysis, each a job that records its maps band by band.
    void startLCF2DAnalysis();
    void stop2DAnalysis();
    void analyzeASpectrumFinished();
    void generateResImages();
    void startRA2DAnalysis();
    void generateRAResImage();
    void startElems2DAnalysis();
    void stopElems2DAnalysis();
    void analyzeElemsFinished();
    void generateElemsResImages();
    void execFourierA();

    // Analysis: the analyzer window, result maps on show, deglitching.
    void showResAnalysis(bool f);
    void selectedNewRef();
    void setupResAnalysisImage();
    void showProcImg(bool f);
    void deglitch();
    void showAnalyzedVals();

signals:
    void loadI1Files(QStringList files, int skip, int cutFirst, int cutLast);
    void loadI0Files(QStringList files, int skip, int cutFirst, int cutLast);
    void finishing();
    void finishBatchExec();


    // --- Batch execution and saving (BodyBatch*.cpp, BodySave.cpp) ---
public:
    BatchCtrl* batchCtrl() const { return m_batchCtrl; }
    BatchDispatcher* batchDispatcher() const { return m_batchDispatcher; }
    SaveDataCfg* saveDataCfg() const { return m_saveDataCfg; }
    // A spectra file or a large text map is being written.
    bool isSaving() const;
    // The last failure reported to the user (status bar), empty when none.
    const QString& lastFailure() const { return m_lastFailure; }
    // What the batch line in progress waits for (None when it is not waiting).
    BatchWait::Work batchWaitsFor() const { return m_batchWait.work; }

public slots:
    // Executes one batch line (see BodyBatch.cpp).
    void execCmdSlot(CmdLine cmd, bool inRem);

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

signals:
    // The batch line in progress has completed: exactly one per line, when
    // what it started has ended (finishBatchExec from anything else while no
    // line waits is not passed on).
    void batchLineFinished();
    // The batch line in progress failed (a file that cannot be read or
    // written, a run that cannot start, an unknown command).
    void batchCommandFailed(QString message);

private:
    // Gives the image view the analyzer's chosen map with its caption.
    void pickAnalyzerMap();
    void buildBatch();
    void buildSaving();
    // Writes `message` as a warning and into the status bar; a batch line in
    // progress fails with it.
    void reportFailure(const QString& message);
    // Missing or malformed arguments of the line in progress, as warnings
    // and in the batch window's log.
    void logArgumentNotes(const QStringList& notes);
    // Completion of the batch line, called on every finishBatchExec().
    void batchCompletion();
    bool batchWorkEnded() const;
    // The batch executor's families; each returns whether the line is done
    // now or completes later (BatchWait set).
    bool execSeriesCommand(int id, const CmdLine& cmd);
    bool execViewCommand(int id, const CmdLine& cmd);
    bool execSaveCommand(int id, const CmdLine& cmd);
    bool execAnalyzerCommand(int id, const CmdLine& cmd);
    bool execCalibCommand(int id, const CmdLine& cmd);
    bool execSaveCfgCommand(int id, const CmdLine& cmd);
    bool execExtraCommand(const CmdLine& cmd);
    // analyzer_exec_LCF, analyzer_exec_elems, analyzer_exec_ra.
    bool startBatchRun(int id);
    // Starts a series load of the batch; false (failed) when it has no file.
    bool batchLoad(bool i1, const QStringList& files, bool newFile);
    // Waits for `work` when `started`, else fails with `refusal`.
    bool waitFor(BatchWait::Work work, bool started, const QString& refusal);
    // Index of the first reference row whose Show button is checked, 0 if none.
    int shownReferenceRow() const;
    // Starts a file job on the save runner; the batch waits for it.
    void startSaveJob(const std::shared_ptr<SaveFileJob>& job);
    // The 16-bit TIFF of the selected map under fname numbered with ext;
    // false (reported) when nothing was written.
    bool writeMapTiff(const QString& fname, int ext);
    void startSpectraFile(const QString& fname, bool raw);
    SaveProvenance provenance() const;
    // Writes the provenance sidecar of a saved file; false when that fails.
    bool writeProvenance(const QString& savedFile);

    BatchDispatcher* m_batchDispatcher = nullptr;
    BatchCtrl* m_batchCtrl = nullptr;
    BatchWait m_batchWait;
    bool m_batchLineOpen = false;
    CmdLine m_batchCmd;
    QStringList m_batchFailures;
    QString m_lastFailure;
    SeriesLoadRequest m_lastLoad[2];   // 0: I1, 1: I0

    QFileDialog* m_imageDialog = nullptr;
    QFileDialog* m_dataDialog = nullptr;
    QFileDialog* m_spectraDialog = nullptr;
    SaveDataCfg* m_saveDataCfg = nullptr;
    JobRunner* m_saveRunner = nullptr;
    // Where the energy-shift map came from, for the provenance sidecars.
    int m_shiftMapOrigin = 0;          // SaveProvenance::ShiftMap
    QString m_shiftMapFile;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLoaders();
    void buildCalibration();
    void buildImageProcessor();
    void buildAnalyzer();
    // What a 2D run reads: the series, its grid over the selected area (else
    // the whole image) with the form's half sizes, the shift map, the mask.
    AreaRunInput runInput() const;
    void endRun(bool stopped);
    // Every long job that reads the series ends before a series changes.
    void stopSeriesWork();
    // Whether target spectra take Victoreen background lines.
    bool targetVictoreen() const;
    // The image view's selection, else its view window.
    QRectF workArea() const;
    void redrawImage();
    void disableWindowsToCome();
    // Starts `thread` and remembers it so the destructor can stop it before
    // the objects living in it are destroyed.
    void startWorkerThread(QThread* thread);
    void stopWorkerThreads();

    // The series the image-select group shows (I1 with "Data", else I0),
    // its panel, and the image at the panel's current index (or null).
    bool showsI1() const;
    ImageSeries& selectedSeries();
    SelectDataFiles* selectedPanel() const;
    TiffData* currentImage();
    void readFiles(bool i1, const QStringList& files, bool newFile);
    void loaderFinished(bool i1);
    // Spectrum, image size, slider and selection after I1 images arrived.
    void refreshAfterI1Images();
    // Re-renders what the image view shows; with allImages every image of
    // the selected series.
    void renderShown(bool allImages);
    // The block half sizes of the form (signs dropped).
    int halfWidth() const;
    int halfHeight() const;

    Ui::Body* ui;
    QButtonGroup* m_imageSelect = nullptr;
    QVector<QThread*> m_workerThreads;

    LoadTiff* m_i1Loader = nullptr;
    LoadTiff* m_i0Loader = nullptr;
    ImageSeries m_i1;
    ImageSeries m_i0;
    SeriesLoadBook m_i1Book;
    SeriesLoadBook m_i0Book;
    bool m_warnedI0Size = false;

    XafsView* m_xafsView = nullptr;
    QVector<QWidget*> m_secondaryWindows;

    CalibCtrl* m_calib = nullptr;
    JobRunner* m_calibRunner = nullptr;
    ImgProc* m_imgProc = nullptr;
    JobRunner* m_alignRunner = nullptr;
    XafsSpectrum m_standard;
    bool m_hasStandard = false;

    Analyzer* m_analyzer = nullptr;
    JobRunner* m_runRunner = nullptr;
    std::shared_ptr<class ElementRunJob> m_lastElementJob;
    // Which run the runner holds: its end does what that run's end does.
    enum class RunKind { None, Lcf, Elements, Residual, Fourier } m_runKind = RunKind::None;

    Analyzed2DRes m_shiftMap;
    XafsSpectrum m_current;
    int m_imageWidth = -1;
    int m_imageHeight = -1;
    int m_mouseX = 0;
    int m_mouseY = 0;
    bool m_running2D = false;
};
