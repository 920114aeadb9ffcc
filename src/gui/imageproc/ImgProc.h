#pragma once

#include "processing/ImageAligner.h"

#include <QFrame>
#include <QImage>
#include <memory>
#include <vector>

class ColorScale;
class JobProgressBar;
class SeriesAlignJob;
class TiffData;

namespace Ui {
class ImgProc;
}

// The image processor: the shown I1 image as an edge image, binarised with a
// threshold, compared with a reference binary image at a trial shift (overlay
// and normalised scalar product), the shift stepped by hand or found by a
// climb, and stored in the image through the main window. Has its own colour
// scale. The state and arithmetic live in ImageAligner.
class ImgProc : public QFrame
{
    Q_OBJECT
public:
    explicit ImgProc(QWidget* parent = nullptr);
    ~ImgProc() override;

    const ImageAligner& aligner() const { return m_aligner; }
    // The picture last handed to the display.
    const QImage& picture() const { return m_picture; }
    JobProgressBar* progressBar() const;
    ColorScale* colorScale() const { return m_scale; }
    // The numbers in BinThV, ShiftX and ShiftY.
    double threshold() const;
    int shiftX() const;
    int shiftY() const;

    // The reference image and the threshold share "Align Series" uses.
    int alignRefImage() const;
    double alignShare() const;
    void setAlignParameters(int refImage, double share);
    // Shows what an alignment did: the shift of every image and a summary.
    void showAlignResult(const SeriesAlignJob& job);
    // Says why Align Series did nothing.
    void showAlignFailure(const QString& text);
    QString alignSummary() const;
    // What the view shows when Comp. has nothing to compare yet.
    QString compareHint() const;

    // A job aligning every image of `images` (not owned) to the reference at
    // the current threshold; null, with "no ref bin image", without a
    // reference. The caller starts it on its runner.
    std::shared_ptr<SeriesAlignJob> seriesJob(const std::vector<TiffData*>& images) const;
    // As if `image` were shown with "Edge Detect" and "Binary" ticked,
    // `threshold` typed and "Set Ref." pressed: the reference becomes the
    // binarised edge image of `image`. False when no pixel is above the
    // threshold (no reference then).
    bool setReferenceOf(TiffData* image, double threshold);

signals:
    void askGiveData();
    void askClearAllShifts();
    void updateImg();
    void imgShift(int sx, int sy);
    // "Align Series": the main window answers with seriesJob(its I1 images).
    void askAlignSeries();

public slots:
    // The image to process (not owned; null when the series is cleared).
    // Without "Edge Detect" the image is shown as it is; otherwise the edge
    // image is made, binarised when "Binary" is checked, and drawn.
    void setSource(TiffData* source);

    void movedBinThVSlider(int s);
    void newBinThV();
    void setBinThV();
    void setRefBin();
    void toggledEdgeDetect(bool f);
    void edgeDetect();
    void binarize();
    void drawOnImage();
    void shiftBinImg();
    void autoShiftBinImg();
    void autoShiftBinImg0();
    void setShift();
    void clearAllShifts();

private:
    void stepShift(int dx, int dy);
    void showThresholdOfSlider(int s);

    Ui::ImgProc* ui;
    ColorScale* m_scale;
    // The image handed over last (not owned), shown as it is without
    // "Edge Detect".
    TiffData* m_source = nullptr;
    ImageAligner m_aligner;
    QImage m_picture;
};
