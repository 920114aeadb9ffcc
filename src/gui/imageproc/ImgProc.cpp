#include "imageproc/ImgProc.h"

#include "ui_ImgProc.h"

#include "base/LogCategories.h"
#include "controls/JobProgressBar.h"
#include "display/ColorScale.h"
#include "processing/ImageAlignment.h"
#include "processing/SeriesAlignJob.h"

#include <QDebug>
#include <QSignalBlocker>

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
    if (!source)
        m_aligner.setSource(nullptr);
    if (!ui->EdgeDetect->isChecked() || !source)
        return;
    m_aligner.setSource(source);
    edgeDetect();
    if (ui->BinaryImage->isChecked())
        binarize();
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
    if (ui->Compare->isChecked()) {
        if (!m_aligner.comparable())
            return;
        if (ui->AAutoShift->isChecked())
            autoShiftBinImg0();
        m_picture = m_aligner.compare(shiftX(), shiftY());
        ui->NormScolarP->setText(ImageAligner::scoreText(m_aligner.lastScore()));
    } else {
        const ProcImage& shown = ui->BinaryImage->isChecked() ? m_aligner.binary() : m_aligner.value();
        if (shown.isEmpty()) {
            m_picture = QImage();
        } else {
            m_scale->setDataRange(shown.minimum, shown.maximum);
            m_picture = m_aligner.picture(ui->BinaryImage->isChecked(), m_scale->mapper());
        }
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
