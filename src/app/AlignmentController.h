#pragma once

#include "BodyContext.h"

#include <QObject>

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
    void alignSeries();

signals:
    // The alignment a script waits for has ended; relayed as Body::finishBatchExec().
    void workEnded();

private:
    void addCommands(CommandTable& t);
    // align_series [refImage] [thresholdShare]
    bool alignByScript(int refImage, double share);

    BodyContext& m_c;
    JobRunner* m_runner = nullptr;
};
