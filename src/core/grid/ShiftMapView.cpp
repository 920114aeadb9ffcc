#include "grid/ShiftMapView.h"

#include "grid/Analyzed2DRes.h"

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
