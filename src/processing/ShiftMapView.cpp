#include "processing/ShiftMapView.h"

#include "widgets/ColorScale.h"   // Analyzed2DRes.h needs the complete type
#include "analysis/Analyzed2DRes.h"

ShiftMapView ShiftMapView::of(const Analyzed2DRes* map)
{
    ShiftMapView v;
    if (map && map->data()) {
        v.data = map->data();
        v.width = map->width();
        v.height = map->height();
    }
    return v;
}
