#pragma once

#include "BodyContext.h"

#include <QObject>
#include <QRectF>

class CommandTable;
class ImageSeries;
class SelectDataFiles;
class TiffData;

// Browsing the images: the series the image-select group shows (I1 with
// "Data", else I0), the image at its panel's index in the image view, the
// previous/next buttons and the slider, re-rendering on colour-bar changes,
// and the batch words of the view.
class NavigationController : public QObject
{
    Q_OBJECT
public:
    explicit NavigationController(BodyContext& c);

    bool showsI1() const;
    ImageSeries& selectedSeries();
    SelectDataFiles* selectedPanel() const;
    // The image at the selected panel's current index, or null.
    TiffData* currentImage();
    // The image view's selection, else its view window.
    QRectF workArea() const;

    void showData(int no);
    void selectedDataI0(bool f);
    void prev();
    void next();
    void sliderMoved(int idx);
    // Re-renders what the image view shows; with allImages every image of
    // the selected series.
    void renderShown(bool allImages);

private:
    void addCommands(CommandTable& t);

    BodyContext& m_c;
};
