#include "NavigationController.h"

#include "ui_Body.h"

#include "base/RunOnThreads.h"
#include "batch/BatchKeywords.h"
#include "BatchExecutor.h"
#include "CalibrationController.h"
#include "CommandTable.h"
#include "fileselect/SelectDataFiles.h"
#include "imageproc/ImgProc.h"
#include "imageview/ColorBar.h"
#include "imageview/ImgDispA.h"
#include "io/TiffData.h"
#include "SeriesController.h"
#include "spectrumview/XafsView.h"

#include <QButtonGroup>
#include <atomic>
#include <thread>

using namespace BatchKeywords;

NavigationController::NavigationController(BodyContext& c)
    : m_c(c)
{
    Ui::Body* ui = m_c.ui;
    connect(ui->CBar, &ColorBar::cBarUpdating, this, [this] { renderShown(false); });
    connect(ui->CBarAll, &QPushButton::clicked, this, [this] { renderShown(true); });
    connect(ui->ShowData, &QRadioButton::toggled, this, &NavigationController::selectedDataI0);
    connect(ui->Prev, &QToolButton::clicked, this, &NavigationController::prev);
    connect(ui->Next, &QToolButton::clicked, this, &NavigationController::next);
    connect(ui->SeekBar, &QSlider::sliderMoved, this, &NavigationController::sliderMoved);
    connect(ui->SelectI1Files, &SelectDataFiles::currentIndexChanged, this, &NavigationController::showData);
    // Browsing the I0 series goes through its own panel; its index changes
    // show an image only while I0 is the selected series.
    connect(ui->SelectI0Files, &SelectDataFiles::currentIndexChanged, this, [this](int i) {
        if (m_c.ui->ShowI0->isChecked())
            showData(i);
    });
    addCommands(m_c.batch->table());
}

bool NavigationController::showsI1() const
{
    return m_c.ui->ShowData->isChecked();
}

ImageSeries& NavigationController::selectedSeries()
{
    return m_c.series->series(showsI1());
}

SelectDataFiles* NavigationController::selectedPanel() const
{
    return m_c.series->panel(showsI1());
}

TiffData* NavigationController::currentImage()
{
    return selectedSeries().at(selectedPanel()->currentIndex());
}

QRectF NavigationController::workArea() const
{
    const ImgDispA* view = m_c.ui->dispA;
    return view->hasSelection() ? view->selectedArea() : view->viewWindow().rect();
}

void NavigationController::showData(int no)
{
    Ui::Body* ui = m_c.ui;
    ui->SeekBar->setValue(no);
    TiffData* image = selectedSeries().at(no);
    if (!image)
        return;
    ui->dispA->setImage(image);
    ui->CBar->setDataRange(image->minimum(), image->maximum());
    ui->dispA->update();
    // The image processor works on the I1 images.
    if (showsI1())
        m_c.imgProc->setSource(image);
    m_c.xafsView->setEnergyMarker(image->energy());
    m_c.xafsView->update();
}

void NavigationController::selectedDataI0(bool f)
{
    Q_UNUSED(f);
    showData(selectedPanel()->currentIndex());
}

void NavigationController::prev()
{
    selectedPanel()->prev();
}

void NavigationController::next()
{
    selectedPanel()->next();
}

void NavigationController::sliderMoved(int idx)
{
    selectedPanel()->select(idx);
    if (const TiffData* image = selectedSeries().at(idx))
        m_c.xafsView->setEnergyMarker(image->energy());
    m_c.xafsView->update();
}

void NavigationController::renderShown(bool allImages)
{
    Ui::Body* ui = m_c.ui;
    Analyzed2DRes& shiftMap = m_c.calibration->shiftMap();
    if (ui->ShowShiftMap->isChecked() && shiftMap.hasImage()) {
        shiftMap.genImg();
    } else if (ui->ShowResAnalysis->isChecked()) {
        if (ui->dispA->resultLayer())
            ui->dispA->resultLayer()->renderLayer();
    } else if (allImages) {
        if (selectedPanel()->currentIndex() >= 0 && selectedSeries().isValidIndex(selectedPanel()->currentIndex())) {
            // Pictures already made are made again; an image without one gets
            // it when it is first shown (the view renders what has none), so a
            // series of large images does not hold a picture of every image on
            // top of its samples. Every image renders on its own; spread them
            // over the processors.
            const std::vector<TiffData*>& images = selectedSeries().images();
            const TiffData* current = currentImage();
            std::atomic<std::size_t> nextImage{0};
            runOnThreads(qMax(1, int(std::thread::hardware_concurrency())), [&](int) {
                for (std::size_t i = nextImage++; i < images.size(); i = nextImage++)
                    if (images[i] == current || images[i]->displayImage())
                        images[i]->genImage();
            });
        }
    } else if (TiffData* image = currentImage()) {
        image->genImage();
    }
    ui->dispA->update();
}

void NavigationController::addCommands(CommandTable& t)
{
    ImgDispA* view = m_c.ui->dispA;
    t.add(SelectDispImage, [this](const CmdLine&, BatchArgReader& a) {
        if (QAbstractButton* b = m_c.imageSelect->button(a.n(0)))
            b->setChecked(true);
    });
    t.add(SeekImage, [this](const CmdLine&, BatchArgReader& a) { showData(a.n(0)); });
    t.add(SelectRegion, [view](const CmdLine&, BatchArgReader& a) {
        const int x1 = a.n(0), y1 = a.n(1), x2 = a.n(2), y2 = a.n(3);
        view->setSelectedArea(x1, y1, x2, y2);
    });
    t.add(ScaleReset, [view](const CmdLine&, BatchArgReader&) { view->resetImageViewWindow(); });
    t.add(ZoomIn, [view](const CmdLine&, BatchArgReader&) { view->setViewWAsSelectedArea(); });
}
