#pragma once

#include "analysis/AnalysisSnapshots.h"

#include <QFrame>

namespace Ui {
class AElemsConds;
}

// The background values of the element analysis: what an element row's
// results become where its edge step is not above its threshold.
class AElemsConds : public QFrame
{
    Q_OBJECT
public:
    explicit AElemsConds(QWidget* parent = nullptr);
    ~AElemsConds() override;

    // BGVDMut, BGVDE, BGVROI and BGVNROI read as numbers.
    BackgroundValues values() const;
    // BGVDMutR: kept for scripts, not used by the analysis.
    double dmutRatio() const;

public slots:
    void setDMut(double v);
    void setDMutRatio(double v);
    void setDE(double v);
    void setROI(double v);
    void setNROI(double v);

private:
    Ui::AElemsConds* ui;
};
