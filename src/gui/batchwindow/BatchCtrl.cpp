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
#include <QTextBlock>
#include <QTextCursor>

BatchCtrl::BatchCtrl(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::BatchCtrl)
    , m_saveDialog([this] {
        QFileDialog* d = makeDialog(true);
        connect(d, &QFileDialog::fileSelected, this, &BatchCtrl::save);
        return d;
    })
    , m_openDialog([this] {
        QFileDialog* d = makeDialog(false);
        connect(d, &QFileDialog::fileSelected, this, &BatchCtrl::load);
        return d;
    })
{
    ui->setupUi(this);
    // A script of a million lines must not keep a million log lines (nor
    // their undo steps): the oldest go.
    ui->BatchLogs->setMaximumBlockCount(maxLogLines);
    ui->BatchLogs->setUndoRedoEnabled(false);
    connect(ui->Save, &QPushButton::clicked, this, [this] { m_saveDialog.show(); });
    connect(ui->Load, &QPushButton::clicked, this, [this] { m_openDialog.show(); });
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
    connect(dispatcher, &BatchDispatcher::execCmdSig, this, &BatchCtrl::markLine);
    connect(dispatcher, &BatchDispatcher::runFailedAt, this, &BatchCtrl::showFailure);
    connect(dispatcher, &BatchDispatcher::runEnded, this, &BatchCtrl::showEnded);
}

void BatchCtrl::execCmdsSlot()
{
    // Empty lines are kept so that line numbers stay those of the editor.
    m_lastScript = ui->BatchCmds->toPlainText().split(QLatin1Char('\n'));
    m_runFolder = m_scriptFolder;
    m_failed = false;
    m_lineNo = 0;
    ui->RunState->setStyleSheet(QString());
    ui->RunState->setText(tr("Running"));
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
    // Echoes add no line feed: a long run of them would make one endless
    // line, which the line limit cannot shorten.
    if (cursor.block().length() > maxLogLineLength)
        cursor.insertText(QStringLiteral("\n"));
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

void BatchCtrl::highlightLine(int lineNo, const QColor& colour)
{
    QList<QTextEdit::ExtraSelection> marks;
    const QTextBlock block = ui->BatchCmds->document()->findBlockByNumber(lineNo - 1);
    if (lineNo > 0 && block.isValid()) {
        QTextEdit::ExtraSelection mark;
        mark.format.setBackground(colour);
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        mark.cursor = QTextCursor(block);
        marks << mark;
    }
    ui->BatchCmds->setExtraSelections(marks);
}

void BatchCtrl::markLine(CmdLine cmd)
{
    if (cmd.lineNo <= 0)
        return;
    m_lineNo = cmd.lineNo;
    highlightLine(cmd.lineNo, QColor(255, 240, 160));
    ui->RunState->setText(tr("Running line %1: %2").arg(cmd.lineNo).arg(cmd.text.trimmed()));
}

void BatchCtrl::showFailure(int lineNo, QString what)
{
    m_failed = true;
    highlightLine(lineNo, QColor(255, 190, 190));
    ui->RunState->setStyleSheet(QStringLiteral("color: #a00000;"));
    ui->RunState->setText(tr("Line %1 failed: %2").arg(lineNo).arg(what));
}

void BatchCtrl::showEnded(bool stopped)
{
    if (m_failed)
        return;
    ui->BatchCmds->setExtraSelections({});
    ui->RunState->setText(stopped ? tr("Stopped at line %1").arg(m_lineNo) : tr("Done"));
}

QString BatchCtrl::runState() const
{
    return ui->RunState->text();
}

void BatchCtrl::showCmdErr(CmdLine cmd)
{
    Log(QStringLiteral("Err: %1\n").arg(cmd.text));
}
