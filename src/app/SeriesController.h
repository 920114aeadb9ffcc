#pragma once

#include "BatchWait.h"
#include "BodyContext.h"
#include "io/ImageSeries.h"
#include "io/ImageSource.h"
#include "io/LoadTiff.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>

class CommandTable;
class SelectDataFiles;
class TiffData;

// The two image series (I1 "Data" and I0) and their loading: the loaders
// (Body moves them into their threads), reading and clearing a series, the
// images arriving, the image size, and the batch words of the series and
// their panels.
class SeriesController : public QObject
{
    Q_OBJECT
public:
    explicit SeriesController(BodyContext& c);
    ~SeriesController() override;

    const ImageSeries& i1() const { return m_i1; }
    const ImageSeries& i0() const { return m_i0; }
    ImageSeries& series(bool i1) { return i1 ? m_i1 : m_i0; }
    SelectDataFiles* panel(bool i1) const;
    LoadTiff* loader(bool i1) const { return i1 ? m_i1Loader : m_i0Loader; }
    // Size of the first I1 image; -1 while none has arrived.
    int imageWidth() const { return m_imageWidth; }
    int imageHeight() const { return m_imageHeight; }
    void setImageSize(int width, int height);
    bool isLoading() const { return m_i1Book.isLoading() || m_i0Book.isLoading(); }

    void clearFiles(bool i1);
    void readFiles(bool i1, const QStringList& files, bool newFile);
    // The same for the images of a source (an HDF5 stack): the series is
    // replaced; returns the load's request number.
    int readSource(bool i1, const ImageSourcePtr& source);
    void loadedI1(TiffData* data, int fNo);
    void loadedI0(TiffData* data, int fNo);
    // Images a source load handed over together.
    void loadedGroup(bool i1, const LoadedImages& group);
    // The images of a series take the energies of its panel's entries.
    void setEnergies(bool i1, const QVector<double>& energies);
    // Every long job that reads the series ends before a series changes.
    void stopWorkOnSeries();
    // Drops what the loaders still have to read (before they are destroyed).
    void cancelLoads();

    // Whether the load with request number `request` has ended.
    bool loadArrived(bool i1, int request) const;
    // What went missing of the last load, empty when every file arrived.
    QString loadShortfall(bool i1) const;

signals:
    void loadI1Files(QStringList files, int skip, int cutFirst, int cutLast);
    void loadI0Files(QStringList files, int skip, int cutFirst, int cutLast);
    // A loader finished its list; relayed as Body::finishBatchExec().
    void workEnded();
    // The load with request number `request` of a series has ended (just
    // before workEnded()).
    void loadFinished(bool i1, int request);

private:
    void loaderFinished(bool i1);
    // An image arrived: kept in the series and listed in its panel, or
    // deleted (a cancelled load, a size the series refuses); true when kept.
    bool takeI1(TiffData* data, int fNo);
    bool takeI0(TiffData* data, int fNo);
    // The window after images were kept.
    void refreshAfterNewImages(bool i1);
    // The image view shows one of the images of `s`.
    bool showsImageOf(const ImageSeries& s) const;
    // Spectrum (when `spectrum`), image size, slider and selection after
    // I1 images arrived.
    void refreshAfterI1Images(bool spectrum = true);
    void addCommands(CommandTable& t);
    // Starts a series load of the batch; false (failed) when it has no file.
    bool batchLoad(bool i1, const QStringList& files, bool newFile);

    BodyContext& m_c;
    LoadTiff* m_i1Loader = nullptr;
    LoadTiff* m_i0Loader = nullptr;
    ImageSeries m_i1;
    ImageSeries m_i0;
    SeriesLoadBook m_i1Book;
    SeriesLoadBook m_i0Book;
    SeriesLoadRequest m_lastLoad[2];   // 0: I1, 1: I0
    // While a load runs, the window follows it at most this often.
    static constexpr int followMs = 100;
    QElapsedTimer m_followClock[2];   // since the load began or the window last followed it
    bool m_warnedI0Size = false;
    int m_imageWidth = -1;
    int m_imageHeight = -1;
};
