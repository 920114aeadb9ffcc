#pragma once

#include <QMainWindow>
#include <QVector>

class QButtonGroup;
class QThread;

namespace Ui {
class Body;
}

// The one main window: owns the image series, every secondary window, the
// worker objects and their threads. Its slots read the form, call the core
// and show the result.
class Body : public QMainWindow
{
    Q_OBJECT
public:
    explicit Body(QWidget* parent = nullptr);
    ~Body() override;

public slots:
    // The colour bar is being dragged / "Set All": re-render what is shown.
    void cBarUpdating();
    void cBarUpdated();

signals:
    void finishing();
    void finishBatchExec();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Starts `thread` and remembers it so the destructor can stop it before
    // the objects living in it are destroyed.
    void startWorkerThread(QThread* thread);
    void stopWorkerThreads();

    Ui::Body* ui;
    QButtonGroup* m_imageSelect = nullptr;
    QVector<QThread*> m_workerThreads;
    int m_imageWidth = -1;
};
