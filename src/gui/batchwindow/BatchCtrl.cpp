#include "batchwindow/BatchCtrl.h"

#include "ui_BatchCtrl.h"

#include "base/LogCategories.h"
#include "base/StartupOptions.h"
#include "batch/BatchDispatcher.h"
#include "batch/BatchScriptFile.h"
#include "controls/DialogFolder.h"

#include <QDebug>
#include <QFileDialog>
#include <QFileInfo>
#include <QTextCursor>

BatchCtrl::BatchCtrl(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::BatchCtrl)
{
    ui->setupUi(this);
    m_saveDialog = makeDialog(true);
    m_openDialog = makeDialog(false);
    connect(m_saveDialog, &QFileDialog::fileSelected, this, &BatchCtrl::save);
    connect(m_openDialog, &QFileDialog::fileSelected, this, &BatchCtrl::load);
    connect(ui->Save, &QPushButton::clicked, m_saveDialog, &QFileDialog::show);
    connect(ui->Load, &QPushButton::clicked, m_openDialog, &QFileDialog::show);
    connect(ui->Exec, &QPushButton::clicked, this, &BatchCtrl::execCmdsSlot);
    connect(ui->Stop, &QPushButton::clicked, this, &BatchCtrl::batchStop);
    connect(ui->Clear, &QPushButton::clicked, this, &BatchCtrl::clear);
    connect(ui->ClearLog, &QPushButton::clicked, this, &BatchCtrl::clearLog);
}

BatchCtrl::~BatchCtrl()
{
    delete ui;
}

QFileDialog* BatchCtrl::makeDialog(bool forSaving)
{
    auto* dialog = new QFileDialog(this);
    dialog->setAcceptMode(forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters({tr("Batch File (*.bat)"), tr("Any Files (* *.*)")});
    DialogFolder::follow(dialog, QStringLiteral("scripts"));
    return dialog;
}

void BatchCtrl::setDispatcher(BatchDispatcher* dispatcher)
{
    m_dispatcher = dispatcher;
    connect(ui->Stop, &QPushButton::clicked, dispatcher, &BatchDispatcher::batchStopSlot);
    connect(this, &BatchCtrl::doDispatchCmds, dispatcher, &BatchDispatcher::doDispatchCmds);
    connect(dispatcher, &BatchDispatcher::Log, this, &BatchCtrl::Log);
}

void BatchCtrl::execCmdsSlot()
{
    // Empty lines are kept so that line numbers stay those of the editor.
    m_lastScript = ui->BatchCmds->toPlainText().split(QLatin1Char('\n'));
    m_runFolder = m_scriptFolder;
    emit doDispatchCmds(m_lastScript);
}

void BatchCtrl::clear()
{
    ui->BatchCmds->clear();
}

void BatchCtrl::clearLog()
{
    ui->BatchLogs->clear();
}

void BatchCtrl::save(QString fname)
{
    QString error;
    if (!BatchScriptFile::write(fname, ui->BatchCmds->toPlainText(), &error)) {
        qCDebug(lcGui).noquote() << error;
        Log(error + QLatin1Char('\n'));
        return;
    }
    m_scriptFolder = QFileInfo(fname).absolutePath();
}

void BatchCtrl::load(QString fname)
{
    QString text;
    QString error;
    if (!BatchScriptFile::read(fname, &text, &error)) {
        // The editor keeps its text.
        qCDebug(lcGui).noquote() << error;
        Log(error + QLatin1Char('\n'));
        emit loadFailed(error);
        return;
    }
    ui->BatchCmds->setPlainText(text);
    m_scriptFolder = QFileInfo(fname).absolutePath();
}

void BatchCtrl::Log(QString LogMsg)
{
    QTextCursor cursor = ui->BatchLogs->textCursor();
    cursor.insertText(LogMsg);
    cursor.movePosition(QTextCursor::End);
    ui->BatchLogs->setTextCursor(cursor);
}

void BatchCtrl::setBatchFile(QString fname)
{
    load(fname);
}

void BatchCtrl::execBatchSlot()
{
    execCmdsSlot();
}

void BatchCtrl::showCmdErr(CmdLine cmd)
{
    Log(QStringLiteral("Err: %1\n").arg(cmd.text));
}
