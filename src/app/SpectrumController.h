#pragma once

#include "BodyContext.h"
#include "physics/XafsSpectrum.h"

#include <QObject>

class CommandTable;
class QPainter;

// The spectrum under the mouse: the block of the form's half sizes at the
// image pixel under the mouse, its absorption spectrum in the spectrum
// window, the read-outs, the cross-section profiles and the overlay drawn on
// the image, with the batch words of the block and of the spectrum window.
class SpectrumController : public QObject
{
    Q_OBJECT
public:
    explicit SpectrumController(BodyContext& c);
    ~SpectrumController() override;

    const XafsSpectrum& current() const { return m_current; }
    int mouseX() const { return m_mouseX; }
    int mouseY() const { return m_mouseY; }
    // The block half sizes of the form (signs dropped).
    int halfWidth() const;
    int halfHeight() const;

    // The mouse is on image pixel (x, y).
    void showAt(double x, double y);
    // Recomputes the spectrum at the mouse position.
    void show();
    void showCrossSections();
    void drawOverlay(QPainter* p);

private:
    void addCommands(CommandTable& t);

    BodyContext& m_c;
    XafsSpectrum m_current;
    int m_mouseX = 0;
    int m_mouseY = 0;
};
