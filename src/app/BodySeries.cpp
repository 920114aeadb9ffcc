// Body: reading and clearing the two series, images arriving from the
// loaders, browsing, the colour bar and the overlay on the image view.
#include "Body.h"

#include "ui_Body.h"

#include "base/RunOnThreads.h"
#include "batch/BatchFiles.h"
#include "fileselect/SelectDataFiles.h"
#include "imageproc/ImgProc.h"
#include "imageview/ColorBar.h"
#include "imageview/ImgDispA.h"
#include "io/LoadTiff.h"
#include "io/TiffData.h"
#include "spectrumview/XafsView.h"

#include <QDebug>
#include <QPainter>
#include <atomic>
#include <thread>

bool Body::showsI1() const
{
    return ui->ShowData->isChecked();
}

ImageSeries& Body::selectedSeries()
{
    return showsI1() ? m_i1 : m_i0;
}

SelectDataFiles* Body::selectedPanel() const
{
    return showsI1() ? ui->SelectI1Files : ui->SelectI0Files;
}

TiffData* Body::currentImage()
{
    return selectedSeries().at(selectedPanel()->currentIndex());
}

void Body::clearI1Files()
{
    stopSeriesWork();
    m_imgProc->setSource(nullptr);
    m_i1Loader->cancelRequestsUpTo(m_i1Book.cancelAll());
    ui->dispA->setImage(nullptr);
    ui->dispA->setResultLayer(nullptr);
    ui->SelectI1Files->clearFiles();
    m_i1.clear();
    m_imageWidth = -1;
    m_imageHeight = -1;
    ui->dispA->update();
}

void Body::clearI0Files()
{
    stopSeriesWork();
    m_i0Loader->cancelRequestsUpTo(m_i0Book.cancelAll());
    ui->dispA->setImage(nullptr);
    ui->dispA->setResultLayer(nullptr);
    ui->SelectI0Files->clearFiles();
    m_i0.clear();
    m_warnedI0Size = false;
    ui->dispA->update();
}

void Body::readI1Files(const QStringList& files, bool newFile)
{
    readFiles(true, files, newFile);
}

void Body::readI0Files(const QStringList& files, bool newFile)
{
    readFiles(false, files, newFile);
}

void Body::readFiles(bool i1, const QStringList& files, bool newFile)
{
    if (newFile) {
        if (i1)
            clearI1Files();
        else
            clearI0Files();
    }
    SelectDataFiles* panel = i1 ? ui->SelectI1Files : ui->SelectI0Files;
    const int skip = panel->skip() > 0 ? panel->skip() : 1;
    const int cutFirst = panel->cutFirst() >= 0 ? panel->cutFirst() : 0;
    const int cutLast = panel->cutLast() >= 0 ? panel->cutLast() : 0;
    // Kept so that a batch line can tell which files did not arrive.
    SeriesLoadRequest& record = m_lastLoad[i1 ? 0 : 1];
    record.expected = BatchFiles::filesToRead(files, skip, cutFirst, cutLast);
    record.before = (i1 ? m_i1 : m_i0).size();
    if (i1) {
        record.request = m_i1Book.startRequest();
        emit loadI1Files(files, skip, cutFirst, cutLast);
    } else {
        record.request = m_i0Book.startRequest();
        emit loadI0Files(files, skip, cutFirst, cutLast);
    }
}

void Body::loaderFinished(bool i1)
{
    SeriesLoadBook& book = i1 ? m_i1Book : m_i0Book;
    book.finish();
    (i1 ? ui->SelectI1Files : ui->SelectI0Files)->setLoadProgress(0, 0);
    // The last image may have been handled while the loader still counted
    // as busy (its flag is cleared after the last image is sent): the
    // refresh that waits for the end of the list happens here at the latest.
    if (i1)
        refreshAfterI1Images();
    else if (!m_i0.isEmpty())
        showXafsSpectrum();
    emit finishBatchExec();
}

void Body::loadedI1(TiffData* data, int fNo)
{
    if (!data)
        return;
    if (m_i1Book.isStale()) {
        delete data;
        return;
    }
    QString refusal;
    if (!SeriesSizeCheck::acceptI1(m_i1, *data, &refusal)) {
        qWarning().noquote() << refusal;
        delete data;
        return;
    }
    data->setColorScale(ui->CBar->scale());
    data->setEnergy(ui->SelectI1Files->addFile(data->fileName(), fNo));
    m_i1.append(data);
    if (m_i1Loader->busy() && !ui->SelectI1Files->showLatest())
        return;
    refreshAfterI1Images();
}

void Body::refreshAfterI1Images()
{
    if (m_i1.isEmpty())
        return;
    const bool showLatest = ui->SelectI1Files->showLatest();
    showXafsSpectrum();
    m_imageWidth = int(m_i1.first()->width());
    m_imageHeight = int(m_i1.first()->height());
    ui->SeekBar->setMaximum(m_i1.size() - 1);
    if (showLatest)
        showData(m_i1.size() - 1);
    ui->SelectI1Files->select(m_i1.size() - 1);
    // Without "Show Latest" the panel's selection does not reach the view;
    // an empty view still gets the image the panel now points at.
    if (!showLatest && showsI1() && !ui->dispA->image())
        showData(m_i1.size() - 1);
}

void Body::loadedI0(TiffData* data, int fNo)
{
    if (!data)
        return;
    if (m_i0Book.isStale()) {
        delete data;
        return;
    }
    const QString warning = SeriesSizeCheck::i0Warning(m_i1, m_i0, *data, &m_warnedI0Size);
    if (!warning.isEmpty())
        qWarning().noquote() << warning;
    data->setColorScale(ui->CBar->scale());
    data->setEnergy(ui->SelectI0Files->addFile(data->fileName(), fNo));
    m_i0.append(data);
    if (m_i0Loader->busy() && !ui->SelectI0Files->showLatest())
        return;
    showXafsSpectrum();
}

void Body::showData(int no)
{
    ui->SeekBar->setValue(no);
    ImageSeries& series = selectedSeries();
    TiffData* image = series.at(no);
    if (!image)
        return;
    ui->dispA->setImage(image);
    ui->CBar->setDataRange(image->minimum(), image->maximum());
    ui->dispA->update();
    m_imgProc->setSource(image);
    m_xafsView->setEnergyMarker(image->energy());
    m_xafsView->update();
}

void Body::seekImage(int imgNo)
{
    showData(imgNo);
}

void Body::selectedDataI0(bool f)
{
    Q_UNUSED(f);
    showData(selectedPanel()->currentIndex());
}

void Body::prev()
{
    selectedPanel()->prev();
}

void Body::next()
{
    selectedPanel()->next();
}

void Body::sliderMoved(int idx)
{
    selectedPanel()->select(idx);
    if (const TiffData* image = selectedSeries().at(idx))
        m_xafsView->setEnergyMarker(image->energy());
    m_xafsView->update();
}

void Body::renderShown(bool allImages)
{
    if (ui->ShowShiftMap->isChecked() && m_shiftMap.hasImage()) {
        m_shiftMap.genImg();
    } else if (ui->ShowResAnalysis->isChecked()) {
        if (ui->dispA->resultLayer())
            ui->dispA->resultLayer()->renderLayer();
    } else if (allImages) {
        if (selectedPanel()->currentIndex() >= 0 && selectedSeries().isValidIndex(selectedPanel()->currentIndex())) {
            // Every image renders on its own; spread them over the processors.
            const std::vector<TiffData*>& images = selectedSeries().images();
            std::atomic<std::size_t> nextImage{0};
            runOnThreads(qMax(1, int(std::thread::hardware_concurrency())), [&](int) {
                for (std::size_t i = nextImage++; i < images.size(); i = nextImage++)
                    images[i]->genImage();
            });
        }
    } else if (TiffData* image = currentImage()) {
        image->genImage();
    }
    ui->dispA->update();
}

void Body::cBarUpdating()
{
    renderShown(false);
}

void Body::cBarUpdated()
{
    renderShown(true);
}

void Body::draw(QPainter* p)
{
    const ChCoord* c = ui->dispA->cc();
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
    const int width = qMax(0, m_imageWidth);
    const int height = qMax(0, m_imageHeight);
    p->drawLine(QPointF(cx, c->screenY(0)), QPointF(cx, c->screenY(height)));
    p->drawLine(QPointF(c->screenX(0), cy), QPointF(c->screenX(width), cy));
    if (ui->dispA->hasSelection()) {
        const QRectF a = ui->dispA->selectedArea();
        p->setPen(QPen(QColor(192, 192, 255)));
        p->drawRect(QRectF(QPointF(c->screenX(a.left()), c->screenY(a.top())),
                           QPointF(c->screenX(a.right()), c->screenY(a.bottom()))));
    }
    p->restore();
    ui->CBar->update();
}
