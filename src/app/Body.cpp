#include "app/Body.h"

#include "ui_Body.h"

#include "widgets/ColorBar.h"
#include "widgets/ImgDispA.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QThread>

Body::Body(QWidget* parent)
    : QMainWindow(parent)
    , ui(new Ui::Body)
{
    ui->setupUi(this);
    m_imageSelect = new QButtonGroup(this);
    m_imageSelect->addButton(ui->ShowData, 0);
    m_imageSelect->addButton(ui->ShowI0, 1);
    m_imageSelect->addButton(ui->ShowShiftMap, 2);
    m_imageSelect->addButton(ui->ShowResAnalysis, 3);
    m_imageWidth = -1;

    // Image view: zoom to the selection, back to the whole image, repaint on
    // colour-scale changes. The series, spectra and overlays plug in here.
    connect(ui->ZoomIn, &QPushButton::clicked, ui->dispA, &ImgDispA::setViewWAsSelectedArea);
    connect(ui->ResetScale, &QPushButton::clicked, ui->dispA, &ImgDispA::resetImageViewWindow);
    connect(ui->CBar, &ColorBar::cBarUpdating, this, &Body::cBarUpdating);
    connect(ui->CBarAll, &QPushButton::clicked, this, &Body::cBarUpdated);
}

void Body::cBarUpdating()
{
    ui->dispA->update();
}

void Body::cBarUpdated()
{
    ui->dispA->update();
}

Body::~Body()
{
    stopWorkerThreads();
    delete ui;
}

void Body::closeEvent(QCloseEvent* event)
{
    emit finishing();
    QMainWindow::closeEvent(event);
}

void Body::startWorkerThread(QThread* thread)
{
    m_workerThreads.append(thread);
    thread->start();
}

void Body::stopWorkerThreads()
{
    for (QThread* t : qAsConst(m_workerThreads))
        t->quit();
    for (QThread* t : qAsConst(m_workerThreads)) {
        t->wait();
        delete t;
    }
    m_workerThreads.clear();
}
