#pragma once

#include "batch/CmdLine.h"
#include "controls/FileDialogOnDemand.h"

#include <QStringList>
#include <QWidget>

class BatchDispatcher;
class QFileDialog;

namespace Ui {
class BatchCtrl;
}

// The batch window: a command editor, a progress log and the buttons that
// load, save and run the script. Running hands the editor's lines to the
// dispatcher (in its own thread); the dispatcher's log lands here.
class BatchCtrl : public QWidget
{
    Q_OBJECT
public:
    explicit BatchCtrl(QWidget* parent = nullptr);
    ~BatchCtrl() override;

    // The progress log keeps its last maxLogLines lines; a line that grows
    // beyond maxLogLineLength characters (echoes add no line feed) is ended.
    static constexpr int maxLogLines = 10000;
    static constexpr int maxLogLineLength = 4096;

    // Stores the dispatcher and connects Stop, doDispatchCmds and its Log.
    void setDispatcher(BatchDispatcher* dispatcher);
    BatchDispatcher* dispatcher() const { return m_dispatcher; }
    // The last script sent for execution, one entry per editor line.
    const QStringList& lastScript() const { return m_lastScript; }
    // The folder of the script last loaded or saved (empty before any):
    // relative names in its lines are read against it.
    const QString& scriptFolder() const { return m_scriptFolder; }
    // The script folder when the run in progress (or the last run) started.
    const QString& runFolder() const { return m_runFolder; }

signals:
    void doDispatchCmds(QStringList cmdLines);
    void batchStop();
    // A script could not be loaded (the message names the file); start-up
    // with "-x" uses it to end a headless run with a failure.
    void loadFailed(QString message);

public slots:
    void execCmdsSlot();
    void clear();
    void clearLog();
    void save(QString fname);
    void load(QString fname);
    void Log(QString LogMsg);
    void setBatchFile(QString fname);
    void execBatchSlot();
    void showCmdErr(CmdLine cmd);
    // The run's state on the commands tab: the line in progress is marked,
    // a failing line's message is shown under the script.
    void markLine(CmdLine cmd);
    void showFailure(int lineNo, QString what);
    void showEnded(bool stopped);

    QString runState() const;

private:
    QFileDialog* makeDialog(bool forSaving);
    void highlightLine(int lineNo, const QColor& colour);

    Ui::BatchCtrl* ui;
    BatchDispatcher* m_dispatcher = nullptr;
    // Made when the Save and Load buttons are first pressed.
    FileDialogOnDemand m_saveDialog;
    FileDialogOnDemand m_openDialog;
    QStringList m_lastScript;
    QString m_scriptFolder;
    QString m_runFolder;
    int m_lineNo = 0;
    bool m_failed = false;
};
