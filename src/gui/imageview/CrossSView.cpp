#include "imageview/CrossSView.h"

#include "plot/PlotScene.h"

#include <QPainter>

CrossSView::CrossSView(QWidget* parent)
    : DispA(parent)
{
    setWheelZoomEnabled(false);
    setShiftPanEnabled(false);
    connect(this, &DispA::drawImage1, this, &CrossSView::draw);
}

void CrossSView::setOrientation(int o)
{
    m_orientation = o == 1 ? 1 : 0;
    update();
}

void CrossSView::setProfile(const Spectrum& profile)
{
    m_profile = profile;
    update();
}

void CrossSView::setCursorPos(double pos)
{
    m_cursor = pos;
    update();
}

void CrossSView::setPositionRange(double lo, double hi)
{
    if (lo == m_posLo && hi == m_posHi)
        return;
    m_posLo = lo;
    m_posHi = hi;
    update();
}

void CrossSView::draw(QPainter* p)
{
    if (!p || m_profile.isEmpty())
        return;
    PlotRange positions;
    positions.lo = m_posLo;
    positions.hi = m_posHi;
    const ProfileScene s =
        ProfileScene::layout(m_profile, m_orientation, m_cursor, *cc(), width(), height(), positions);
    p->save();
    p->setPen(QPen(Qt::black, 1));
    p->drawPolyline(s.points);
    if (s.hasCursor) {
        p->setPen(QPen(QColor(192, 192, 0), 1));
        p->drawLine(s.cursor);
    }
    p->restore();
}
