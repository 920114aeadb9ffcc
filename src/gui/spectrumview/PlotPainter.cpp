#include "spectrumview/PlotPainter.h"

#include "display/DrawText.h"
#include "plot/PlotScene.h"

#include <QPainter>

void PlotPainter::paint(QPainter* p, const PlotScene& scene, DrawText& text)
{
    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setBrush(Qt::NoBrush);
    p->setPen(scene.gridPen);
    p->drawLines(scene.grid);
    p->setPen(scene.framePen);
    p->drawRect(scene.inner);
    // Curves and markers stay inside the plot (extras may run off the target's scale).
    p->setClipRect(scene.inner.adjusted(-1, -1, 1, 1));
    for (const PlotPolyline& l : scene.markers) {
        p->setPen(l.pen);
        p->drawPolyline(l.points);
    }
    for (const PlotPolyline& l : scene.curves) {
        p->setPen(l.pen);
        p->drawPolyline(l.points);
    }
    p->setClipping(false);
    if (!scene.legendBox.isEmpty()) {
        p->setPen(QPen(QColor(160, 160, 160), 1));
        p->setBrush(QColor(255, 255, 255, 230));
        p->drawRect(scene.legendBox);
        p->setBrush(Qt::NoBrush);
        for (const PlotPolyline& l : scene.legendLines) {
            p->setPen(l.pen);
            p->drawPolyline(l.points);
        }
    }
    for (const PlotText& t : scene.texts) {
        p->setPen(t.color);
        if (t.angle == 0.0)
            text.putText(p, t.text, t.box, t.align, t.maxPoint, true);
        else
            text.putRotatedText(p, t.text, t.box, t.angle, t.align, t.maxPoint, true);
    }
    p->restore();
}
