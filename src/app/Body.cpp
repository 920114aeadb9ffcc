#include "app/Body.h"

#include "ui_Body.h"

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
