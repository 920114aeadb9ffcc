#include "spectrumview/CurveSetView.h"

#include "imageview/DispA.h"
#include "spectrumview/PlotPainter.h"

#include <QPainter>
#include <QVBoxLayout>

CurveSetView::CurveSetView(QWidget* parent)
    : QFrame(parent)
    , m_area(new DispA(this))
{
    m_area->setWheelZoomEnabled(false);
    m_area->setShiftPanEnabled(false);
    m_area->setMinimumSize(320, 200);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_area);
    connect(m_area, &DispA::drawImage1, this, &CurveSetView::draw);
}

void CurveSetView::setCurves(const QVector<NamedCurve>& curves, const PlotTitles& titles)
{
    m_frame = CurveSetPlot::build(curves);
    m_titles = titles;
    m_area->update();
}

void CurveSetView::draw(QPainter* p)
{
    if (!p)
        return;
    ChCoord* chart = m_area->cc();
    chart->setScreen(0, m_area->height(), m_area->width(), 0);
    chart->applyMargins();
    PlotPainter::paint(p, PlotScene::layout(m_frame, *chart, m_titles), m_text);
}
