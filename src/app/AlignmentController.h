#pragma once

#include "BodyContext.h"

#include <QObject>
#include <QString>

class CommandTable;
class JobRunner;

// Alignment of the I1 images: the image processor window, the shift of the
// current image, clearing every shift, aligning the whole series as a job,
// and the batch word that aligns the series to a reference image.
class AlignmentController : public QObject
{
    Q_OBJECT
public:
    explicit AlignmentController(BodyContext& c);
    ~AlignmentController() override;

    bool isAligning() const;
    void stopAndWait();

    void giveProcData();
    void setImgShift(int dx, int dy);
    void clearAllShifts();
    // "Align Series": every I1 image aligned to the reference image of the
    // image processor at its threshold share (by default image 0 at 0.4 of
    // its strongest edge, as align_series does).
    void alignSeries();

signals:
    // The alignment a script waits for has ended; relayed as Body::finishBatchExec().
    void workEnded();

private:
    void addCommands(CommandTable& t);
    // Starts aligning the I1 series to image refImage binarised at share x
    // its strongest edge; the reason when it cannot start, else empty.
    QString alignTo(int refImage, double share);
    // align_series [refImage] [thresholdShare]
    bool alignByScript(int refImage, double share);

    BodyContext& m_c;
    JobRunner* m_runner = nullptr;
};
