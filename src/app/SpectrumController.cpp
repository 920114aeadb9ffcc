#include "SpectrumController.h"

#include "ui_Body.h"

#include "analyzer/Analyzer.h"
#include "batch/BatchArgs.h"
#include "batch/BatchKeywords.h"
#include "BatchExecutor.h"
#include "CalibrationController.h"
#include "CommandTable.h"
#include "imageview/ColorBar.h"
#include "imageview/CrossSView.h"
#include "imageview/ImgDispA.h"
#include "io/TiffData.h"
#include "NavigationController.h"
#include "processing/AbsorptionSpectrum.h"
#include "processing/CrossSection.h"
#include "processing/I0Series.h"
#include "fileselect/SelectDataFiles.h"
#include "RunController.h"
#include "SeriesController.h"
#include "spectrumview/XafsView.h"
#include "controls/WindowPlace.h"

#include <QCoreApplication>
#include <QPainter>
#include <cmath>

using namespace BatchKeywords;

SpectrumController::SpectrumController(BodyContext& c)
    : m_c(c)
{
    m_c.xafsView = new XafsView;
    m_c.xafsView->setWindowTitle(QCoreApplication::translate("Body", "Spectrum at the position"));
    m_c.xafsView->setTargetName(QCoreApplication::translate("Body", "target"));
    connect(m_c.ui->ShowXafsView, &QPushButton::clicked, m_c.xafsView, [this] { WindowPlace::bringUp(m_c.xafsView); });
    m_c.xafsView->show();
    // The read-outs follow what the view shows.
    connect(m_c.ui->dispA, &ImgDispA::shownLayerChanged, this, &SpectrumController::showCrossSections);
    addCommands(m_c.batch->table());
}

SpectrumController::~SpectrumController()
{
    delete m_c.xafsView;
}

int SpectrumController::halfWidth() const
{
    return qAbs(m_c.ui->HWidth->text().toInt());
}

int SpectrumController::halfHeight() const
{
    return qAbs(m_c.ui->VWidth->text().toInt());
}

void SpectrumController::showAt(double x, double y)
{
    m_mouseX = int(x);
    m_mouseY = int(y);
    show();
    m_c.ui->dispA->update();
}

void SpectrumController::show()
{
    Ui::Body* ui = m_c.ui;
    XafsView* view = m_c.xafsView;
    const TiffData* shown = m_c.navigation->currentImage();
    view->setEnergyMarker(shown ? shown->energy() : -1.0);
    view->setEnergiesKnown(m_c.series->i1().isEmpty() || m_c.series->panel(true)->energiesKnown());
    view->update();

    const double shift = m_c.calibration->shiftMap().value(m_mouseX, m_mouseY);
    const AbsorptionSpectrum source(m_c.series->i1().constImages(), m_c.series->i0().constImages(), halfWidth(),
                                    halfHeight(), ui->FluoType->isChecked());
    Spectrum mu, raw;
    source.spectrumAndRaw(m_mouseX, m_mouseY, &mu, &raw, true);
    m_current = XafsSpectrum(mu, m_c.calibration->targetVictoreen(), shift);
    const double edgeShift = view->setTarget(m_current);
    if (!m_c.runs->running2D())
        m_c.analyzer->analyzeAndShowSpectrum(m_current);

    ui->Position->setText(QString::asprintf("(% 4d, % 4d)", m_mouseX, m_mouseY));
    // The windows say which block they show.
    const QString block = QCoreApplication::translate("Body", "(%1, %2), block %3 x %4 pixels")
                              .arg(m_mouseX)
                              .arg(m_mouseY)
                              .arg(2 * halfWidth() + 1)
                              .arg(2 * halfHeight() + 1);
    view->setWindowTitle(QCoreApplication::translate("Body", "Spectrum at %1").arg(block));
    m_c.analyzer->view()->setWindowTitle(QCoreApplication::translate("Body", "Analyzing Spectrum at %1").arg(block));
    ui->EShiftOnTbl->setText(QString::asprintf("%5.2f", shift));
    ui->EShiftFromStd->setText(QString::asprintf("%5.2f", edgeShift));
    view->setRawSeries(raw);
}

void SpectrumController::showCrossSections()
{
    Ui::Body* ui = m_c.ui;
    const ImgDispA* view = ui->dispA;
    const QPointF pt = view->hasRealMousePos() ? view->realMousePos() : view->imagePoint(view->mc()->pos());
    const int x = int(pt.x());
    const int y = int(pt.y());
    // The profiles line up with the image: they span what the view shows.
    const ViewWindow shown = view->shownWindow();
    ui->HCross->setPositionRange(shown.x - 0.5, shown.x + shown.w - 0.5);
    ui->VCross->setPositionRange(shown.y - 0.5, shown.y + shown.h - 0.5);
    QString kind;
    if (view->showOverlayer() && view->resultLayer()) {
        // A map on show: its value, its profiles, its kind and unit.
        const DisplayLayer& map = *view->resultLayer();
        ui->HCross->setProfile(CrossSection::layerRow(map, y));
        ui->VCross->setProfile(CrossSection::layerColumn(map, x));
        const double v = map.layerValue(x, y);
        ui->Value->setText(std::isfinite(v) ? groupedValueText(v) : QStringLiteral("-"));
        kind = view->resultTitle();
    } else if (const TiffData* image = m_c.navigation->currentImage()) {
        const bool i1 = m_c.navigation->showsI1();
        const I0Series i0 = i1 ? I0Series(m_c.series->i0().constImages()) : I0Series();
        const I0Series* i0Ptr = i1 ? &i0 : nullptr;
        const int width = m_c.series->imageWidth() > 0 ? m_c.series->imageWidth() : int(image->width());
        const int height = m_c.series->imageHeight() > 0 ? m_c.series->imageHeight() : int(image->height());
        ui->HCross->setProfile(CrossSection::horizontal(*image, i0Ptr, width, y, halfHeight()));
        ui->VCross->setProfile(CrossSection::vertical(*image, i0Ptr, height, x, halfWidth()));
        ui->Value->setText(groupedValueText(image->sample(x, y)));
        kind = i1 ? QCoreApplication::translate("Body", "I1 counts") : QCoreApplication::translate("Body", "I0 counts");
    }
    ui->HCross->setCursorPos(x);
    ui->VCross->setCursorPos(y);
    ui->ValueKind->setText(kind);
    ui->CBar->setCaption(kind);
}

void SpectrumController::drawOverlay(QPainter* p)
{
    const ChCoord* c = m_c.ui->dispA->cc();
    const int xw = halfWidth();
    const int yw = halfHeight();
    p->save();
    p->setBrush(Qt::NoBrush);
    QPen block(QColor(255, 0, 0));
    block.setWidth(2);
    p->setPen(block);
    p->drawRect(QRectF(QPointF(c->screenX(m_mouseX - xw), c->screenY(m_mouseY - yw)),
                       QPointF(c->screenX(m_mouseX + xw + 1), c->screenY(m_mouseY + yw + 1))));
    // The cross-hair runs through the middle of the pixel under the mouse.
    p->setPen(QPen(QColor(192, 192, 0)));
    const double cx = c->screenX(m_mouseX + 0.5);
    const double cy = c->screenY(m_mouseY + 0.5);
    const int width = qMax(0, m_c.series->imageWidth());
    const int height = qMax(0, m_c.series->imageHeight());
    p->drawLine(QPointF(cx, c->screenY(0)), QPointF(cx, c->screenY(height)));
    p->drawLine(QPointF(c->screenX(0), cy), QPointF(c->screenX(width), cy));
    if (m_c.ui->dispA->hasSelection()) {
        const QRectF a = m_c.ui->dispA->selectedArea();
        p->setPen(QPen(QColor(192, 192, 255)));
        p->drawRect(QRectF(QPointF(c->screenX(a.left()), c->screenY(a.top())),
                           QPointF(c->screenX(a.right()), c->screenY(a.bottom()))));
    }
    p->restore();
    m_c.ui->CBar->update();
}

void SpectrumController::addCommands(CommandTable& t)
{
    Ui::Body* ui = m_c.ui;
    t.add(SetBandW, [ui](const CmdLine&, BatchArgReader& a) { ui->HWidth->setText(BatchArgs::fieldText(a.n(0))); });
    t.add(SetBandH, [ui](const CmdLine&, BatchArgReader& a) { ui->VWidth->setText(BatchArgs::fieldText(a.n(0))); });
    t.add(MovePosition, [ui](const CmdLine&, BatchArgReader& a) {
        const int x = a.n(0);
        const int y = a.n(1);
        ui->dispA->setRealMousePos(x, y);
    });
    XafsView* view = m_c.xafsView;
    t.add(XafsViewNormalize, [view](const CmdLine&, BatchArgReader& a) { view->setNormalize(a.flag(0)); });
    t.add(XafsViewEnergyCorrection,
          [view](const CmdLine&, BatchArgReader& a) { view->setEnergyCorrection(a.flag(0)); });
}
