#pragma once

#include "display/DrawText.h"
#include "plot/CurveSetPlot.h"
#include "plot/PlotScene.h"

#include <QFrame>

class DispA;
class QPainter;

// A plot of named curves on one scale with axis titles, drawn like the
// spectrum view (grid, ticks, legend).
class CurveSetView : public QFrame
{
    Q_OBJECT
public:
    explicit CurveSetView(QWidget* parent = nullptr);

    void setCurves(const QVector<NamedCurve>& curves, const PlotTitles& titles);
    const PlotFrame& frame() const { return m_frame; }
    const PlotTitles& titles() const { return m_titles; }

private:
    void draw(QPainter* p);

    DispA* m_area;
    DrawText m_text;
    PlotFrame m_frame;
    PlotTitles m_titles;
};
