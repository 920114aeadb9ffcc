#pragma once

#include "output/SaveDataSettings.h"

#include <QImage>
#include <QString>

class Analyzed2DRes;
struct ViewWindow;

// The saving steps of the main window that are not long work: the picture
// of the display, a result map as TIFF or text, and the flat/dark pair. Each
// writes through a temporary file and reports failure by its return value
// and a message naming the file.
namespace MapSaving {

// The picture cropped to the view window, at image resolution: pixels from
// the window's left and top edge to left + width and top + height, both ends
// included, limited to the picture. A null image when nothing is left.
QImage cropToView(const QImage& picture, const ViewWindow& view);

// The map's shown layer as 16-bit values (fixed scale or its own range),
// the whole map or one pixel per grid point (as analysed), as a TIFF.
// False when the map has no values or the file cannot be written.
bool saveMapAsTiff(Analyzed2DRes& map, const QString& path, const SaveDataSettings& settings,
                   QString* error);
// The map's values at its grid points as text in the dialog's layout.
bool saveMapAsText(const Analyzed2DRes& map, const QString& path, const SaveDataSettings& settings,
                   QString* error);
// "flat.dat" (every pixel 1) and "dark.dat" (every pixel 0), 16-bit TIFF
// files of width x height, in `directory`.
bool saveFlatDark(int width, int height, const QString& directory, QString* error);

}
