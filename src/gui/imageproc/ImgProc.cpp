#include "imageproc/ImgProc.h"

#include "ui_ImgProc.h"

#include "base/LogCategories.h"
#include "controls/JobProgressBar.h"
#include "display/ColorScale.h"
#include "io/TiffData.h"
#include "processing/ImageAlignment.h"
#include "processing/SeriesAlignJob.h"

#include <QDebug>
#include <QSignalBlocker>
#include <QTableWidgetItem>

ImgProc::ImgProc(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::ImgProc)
    , m_scale(new ColorScale(this))
{
    ui->setupUi(this);
    ui->CBar->setScale(m_scale);

    connect(ui->BinThVSlider, &QSlider::valueChanged, this, &ImgProc::movedBinThVSlider);
    connect(ui->BinThV, &QLineEdit::editingFinished, this, &ImgProc::setBinThV);
    connect(ui->MaxEdgeV, &QLineEdit::editingFinished, this, &ImgProc::newBinThV);
    connect(ui->MinEdgeV, &QLineEdit::editingFinished, this, &ImgProc::newBinThV);
    connect(ui->SetRef, &QPushButton::clicked, this, &ImgProc::setRefBin);
    connect(ui->EdgeDetect, &QCheckBox::toggled, this, &ImgProc::toggledEdgeDetect);
    connect(ui->BinaryImage, &QCheckBox::toggled, this, &ImgProc::askGiveData);
    connect(ui->Compare, &QCheckBox::toggled, this, &ImgProc::askGiveData);
    connect(ui->ShiftX, &QLineEdit::editingFinished, this, &ImgProc::drawOnImage);
    connect(ui->ShiftY, &QLineEdit::editingFinished, this, &ImgProc::drawOnImage);
    connect(ui->AAutoShift, &QCheckBox::toggled, this, &ImgProc::drawOnImage);
    connect(ui->CBar, &ColorBar::cBarUpdated, this, &ImgProc::drawOnImage);
    connect(this, &ImgProc::updateImg, this, &ImgProc::drawOnImage);
    connect(ui->ShiftL, &QToolButton::clicked, this, [this] { stepShift(-1, 0); });
    connect(ui->ShiftR, &QToolButton::clicked, this, [this] { stepShift(1, 0); });
    connect(ui->ShiftU, &QToolButton::clicked, this, [this] { stepShift(0, -1); });
    connect(ui->ShiftD, &QToolButton::clicked, this, [this] { stepShift(0, 1); });
    connect(ui->ShiftAuto, &QPushButton::clicked, this, &ImgProc::autoShiftBinImg);
    connect(ui->SetShift, &QPushButton::clicked, this, &ImgProc::setShift);
    connect(ui->ClearAllShifts, &QPushButton::clicked, this, &ImgProc::clearAllShifts);
    connect(ui->AlignSeries, &QPushButton::clicked, this, &ImgProc::askAlignSeries);
    ui->AlignShifts->horizontalHeader()->setStretchLastSection(true);
    ui->AlignProgress->setAlwaysVisible(true);
}

ImgProc::~ImgProc()
{
    delete ui;
}

JobProgressBar* ImgProc::progressBar() const
{
    return ui->AlignProgress;
}

double ImgProc::threshold() const
{
    return ui->BinThV->text().toDouble();
}

int ImgProc::shiftX() const
{
    return ui->ShiftX->text().toInt();
}

int ImgProc::shiftY() const
{
    return ui->ShiftY->text().toInt();
}

int ImgProc::alignRefImage() const
{
    return ui->AlignRefImage->value();
}

double ImgProc::alignShare() const
{
    return ui->AlignShare->text().toDouble();
}

void ImgProc::setAlignParameters(int refImage, double share)
{
    ui->AlignRefImage->setValue(refImage);
    ui->AlignShare->setText(QString::number(share, 'g', 6));
}

void ImgProc::showAlignResult(const SeriesAlignJob& job)
{
    const int n = job.sliceCount();
    ui->AlignShifts->setRowCount(n);
    for (int i = 0; i < n; ++i) {
        const QPoint p = job.shifts()[std::size_t(i)];
        const bool found = job.found(i);
        const QStringList cells = {QString::number(i), found ? QString::number(p.x()) : QStringLiteral("-"),
                                   found ? QString::number(p.y()) : QStringLiteral("-")};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            ui->AlignShifts->setItem(i, c, item);
        }
    }
    const SeriesAlignJob::Summary s = job.summary();
    QString text = tr("%1 of %2 images aligned to image %3: %4 moved.")
                       .arg(s.aligned)
                       .arg(n)
                       .arg(alignRefImage())
                       .arg(s.moved);
    if (s.largestImage >= 0)
        text += QLatin1Char(' ')
                + tr("Largest shift %1 px (image %2: %3, %4).")
                      .arg(s.largest, 0, 'f', 1)
                      .arg(s.largestImage)
                      .arg(s.largestShift.x())
                      .arg(s.largestShift.y());
    ui->AlignSummary->setText(text);
}

void ImgProc::showAlignFailure(const QString& text)
{
    ui->AlignSummary->setText(text);
}

QString ImgProc::alignSummary() const
{
    return ui->AlignSummary->text();
}

QString ImgProc::compareHint() const
{
    return ui->CompareHint->text();
}

std::shared_ptr<SeriesAlignJob> ImgProc::seriesJob(const std::vector<TiffData*>& images) const
{
    if (m_aligner.reference().isEmpty()) {
        qCDebug(lcGui).noquote() << "no ref bin image";
        return nullptr;
    }
    return std::make_shared<SeriesAlignJob>(images, m_aligner.reference(), threshold());
}

bool ImgProc::setReferenceOf(TiffData* image, double threshold)
{
    {
        const QSignalBlocker edgeBlock(ui->EdgeDetect);
        const QSignalBlocker binaryBlock(ui->BinaryImage);
        ui->EdgeDetect->setChecked(true);
        ui->BinaryImage->setChecked(true);
    }
    ui->BinThV->setText(QString::number(threshold, 'g', 6));
    setSource(image);
    setBinThV();
    if (m_aligner.binary().isEmpty() || !(m_aligner.binary().maximum > 0.0))
        return false;
    setRefBin();
    return !m_aligner.reference().isEmpty();
}

void ImgProc::setSource(TiffData* source)
{
    m_source = source;
    m_aligner.setSource(source);
    if (source && ui->EdgeDetect->isChecked()) {
        edgeDetect();
        if (ui->BinaryImage->isChecked())
            binarize();
    }
    drawOnImage();
}

void ImgProc::showThresholdOfSlider(int s)
{
    const double t = ImageAlignment::thresholdOfSlider(s, ui->MaxEdgeV->text().toDouble(),
                                                       ui->MinEdgeV->text().toDouble());
    ui->BinThV->setText(QString::number(t, 'g', 6));
    binarize();
    drawOnImage();
}

void ImgProc::movedBinThVSlider(int s)
{
    showThresholdOfSlider(s);
}

void ImgProc::newBinThV()
{
    showThresholdOfSlider(ui->BinThVSlider->value());
}

void ImgProc::setBinThV()
{
    {
        // The slider follows the typed threshold without rewriting it.
        const QSignalBlocker block(ui->BinThVSlider);
        ui->BinThVSlider->setValue(ImageAlignment::sliderOfThreshold(
            threshold(), ui->MaxEdgeV->text().toDouble(), ui->MinEdgeV->text().toDouble()));
    }
    binarize();
    drawOnImage();
}

void ImgProc::setRefBin()
{
    if (m_aligner.setReference())
        drawOnImage();
}

void ImgProc::toggledEdgeDetect(bool f)
{
    Q_UNUSED(f);
    emit askGiveData();
}

void ImgProc::edgeDetect()
{
    m_aligner.edgeDetect();
}

void ImgProc::binarize()
{
    m_aligner.binarize(threshold());
}

void ImgProc::drawOnImage()
{
    const bool comparing = ui->Compare->isChecked() && m_aligner.comparable();
    if (comparing) {
        if (ui->AAutoShift->isChecked())
            autoShiftBinImg0();
        m_picture = m_aligner.compare(shiftX(), shiftY());
        ui->NormScolarP->setText(ImageAligner::scoreText(m_aligner.lastScore()));
        ui->CompareHint->clear();
    } else {
        // Whatever there is to see: the binary or edge image, else the image itself.
        const bool edges = ui->EdgeDetect->isChecked() && m_source;
        const ProcImage& shown = ui->BinaryImage->isChecked() ? m_aligner.binary() : m_aligner.value();
        if (edges && !shown.isEmpty()) {
            m_scale->setDataRange(shown.minimum, shown.maximum);
            m_picture = m_aligner.picture(ui->BinaryImage->isChecked(), m_scale->mapper());
        } else if (m_source) {
            if (!m_source->layerImage())
                m_source->renderLayer();
            m_picture = m_source->layerImage() ? *m_source->layerImage() : QImage();
        } else {
            m_picture = QImage();
        }
        ui->CompareHint->setText(ui->Compare->isChecked() && m_source
                                     ? tr("Nothing to compare yet: tick Edge Detect and Binary, choose a "
                                          "threshold and press Set Ref.; or press Align Series.")
                                     : QString());
    }
    ui->DispA->setImage(m_picture.isNull() ? nullptr : &m_picture);
    ui->DispA->update();
}

void ImgProc::stepShift(int dx, int dy)
{
    ui->ShiftX->setText(QString::number(shiftX() + dx));
    ui->ShiftY->setText(QString::number(shiftY() + dy));
    shiftBinImg();
}

void ImgProc::shiftBinImg()
{
    drawOnImage();
}

void ImgProc::autoShiftBinImg()
{
    autoShiftBinImg0();
    drawOnImage();
}

void ImgProc::autoShiftBinImg0()
{
    if (!m_aligner.comparable())
        return;
    const ImageAlignment::SearchResult r = m_aligner.search(shiftX(), shiftY());
    ui->ShiftX->setText(QString::number(r.sx));
    ui->ShiftY->setText(QString::number(r.sy));
    if (ui->ASetShift->isChecked())
        setShift();
}

void ImgProc::setShift()
{
    emit imgShift(shiftX(), shiftY());
}

void ImgProc::clearAllShifts()
{
    emit askClearAllShifts();
}
