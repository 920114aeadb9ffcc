#pragma once

class DrawText;
class QPainter;
struct PlotScene;

// Paints a laid-out plot: grid, frame, markers and curves clipped to the
// plotting rectangle, then the legend and the texts.
namespace PlotPainter {
void paint(QPainter* p, const PlotScene& scene, DrawText& text);
}
