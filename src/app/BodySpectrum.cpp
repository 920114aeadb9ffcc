// Body: the absorption spectrum of the block under the mouse, the read-outs
// and the cross-section profiles.
#include "Body.h"

#include "ui_Body.h"

#include "analyzer/Analyzer.h"
#include "fileselect/SelectDataFiles.h"
#include "imageview/CrossSView.h"
#include "imageview/ImgDispA.h"
#include "io/TiffData.h"
#include "processing/AbsorptionSpectrum.h"
#include "processing/CrossSection.h"
#include "processing/I0Series.h"
#include "spectrumview/XafsView.h"

#include <cmath>

void Body::showXafsSpectrum(double x, double y)
{
    m_mouseX = int(x);
    m_mouseY = int(y);
    showXafsSpectrum();
    ui->dispA->update();
}

void Body::showXafsSpectrum()
{
    const TiffData* shown = currentImage();
    m_xafsView->setEnergyMarker(shown ? shown->energy() : -1.0);
    m_xafsView->update();

    const double shift = m_shiftMap.value(m_mouseX, m_mouseY);
    const AbsorptionSpectrum source(m_i1.constImages(), m_i0.constImages(), halfWidth(), halfHeight(),
                                    ui->FluoType->isChecked());
    Spectrum mu, raw;
    source.spectrumAndRaw(m_mouseX, m_mouseY, &mu, &raw);
    m_current = XafsSpectrum(mu, targetVictoreen(), shift);
    const double edgeShift = m_xafsView->setTarget(m_current);
    if (!m_running2D)
        m_analyzer->analyzeAndShowSpectrum(m_current);

    ui->Position->setText(QString::asprintf("(% 4d, % 4d)", m_mouseX, m_mouseY));
    ui->EShiftOnTbl->setText(QString::asprintf("%5.2f", shift));
    ui->EShiftFromStd->setText(QString::asprintf("%5.2f", edgeShift));
    m_xafsView->setRawSeries(raw);
}

void Body::onMouseMovedInDispA()
{
    const ImgDispA* view = ui->dispA;
    const QPointF pt = view->hasRealMousePos() ? view->realMousePos() : view->imagePoint(view->mc()->pos());
    const int x = int(pt.x());
    const int y = int(pt.y());
    const TiffData* image = currentImage();
    if (!image)
        return;
    const bool i1 = showsI1();
    const I0Series i0 = i1 ? I0Series(m_i0.constImages()) : I0Series();
    const I0Series* i0Ptr = i1 ? &i0 : nullptr;
    const int width = m_imageWidth > 0 ? m_imageWidth : int(image->width());
    const int height = m_imageHeight > 0 ? m_imageHeight : int(image->height());
    ui->HCross->setProfile(CrossSection::horizontal(*image, i0Ptr, width, y, halfHeight()));
    ui->HCross->setCursorPos(x);
    ui->VCross->setProfile(CrossSection::vertical(*image, i0Ptr, height, x, halfWidth()));
    ui->VCross->setCursorPos(y);
    ui->HCross->update();
    ui->VCross->update();
    if (!ui->ShowResAnalysis->isChecked())
        ui->Value->setText(groupedValueText(image->sample(x, y)));
}
