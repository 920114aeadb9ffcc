#pragma once

#include "analysis/Analyzed2DRes.h"
#include "io/ImageSeries.h"
#include "physics/XafsSpectrum.h"
#include "processing/EMPHeader.h"

#include <QMainWindow>
#include <QStringList>
#include <QVector>
#include <memory>

class Analyzer;
struct AreaRunInput;
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
