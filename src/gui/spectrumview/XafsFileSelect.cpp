#include "spectrumview/XafsFileSelect.h"

#include "ui_XafsFileSelect.h"

#include "base/StartupOptions.h"
#include "controls/DialogFolder.h"

#include <QFileDialog>

XafsFileSelect::XafsFileSelect(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::XafsFileSelect)
{
    ui->setupUi(this);
    connect(ui->Use, &QCheckBox::toggled, this, &XafsFileSelect::changedUse);
    connect(ui->Select, &QPushButton::clicked, this, &XafsFileSelect::showDialog);
    connect(ui->Clear, &QPushButton::clicked, this, &XafsFileSelect::clear);
}

XafsFileSelect::~XafsFileSelect()
{
    delete ui;
}

void XafsFileSelect::setCaption(const QString& caption)
{
    ui->Select->setText(caption);
}

QString XafsFileSelect::caption() const
{
    return ui->Select->text();
}

QString XafsFileSelect::fileName() const
{
    return ui->Selected->text();
}

bool XafsFileSelect::isUsed() const
{
    return ui->Use->isChecked();
}

void XafsFileSelect::load(const QString& fname)
{
    fileSelected(fname);
}

void XafsFileSelect::fileSelected(const QString& fname)
{
    m_fileChosen = true;
    ui->Selected->setText(fname);
    emit newFile(fname);
}

void XafsFileSelect::clear()
{
    ui->Selected->clear();
    // A cleared row shows no file, so it must not keep taking part as if one
    // were chosen.
    m_fileChosen = false;
    emit cleared();
}

void XafsFileSelect::setUse(bool f)
{
    ui->Use->setChecked(f);
}

void XafsFileSelect::showUse(bool f)
{
    ui->Use->setVisible(f);
}

void XafsFileSelect::showDialog()
{
    if (!m_dialog) {
        m_dialog = new QFileDialog(this);
        m_dialog->setFileMode(QFileDialog::ExistingFile);
        m_dialog->setAcceptMode(QFileDialog::AcceptOpen);
        m_dialog->setNameFilters({tr("XAFS Data File (*.dat)"), tr("Any Files (* *.*)")});
        DialogFolder::follow(m_dialog, QStringLiteral("spectra"));
        connect(m_dialog, &QFileDialog::fileSelected, this, &XafsFileSelect::fileSelected);
    }
    m_dialog->show();
}
