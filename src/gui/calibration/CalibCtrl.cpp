#include "calibration/CalibCtrl.h"

#include "ui_CalibCtrl.h"

#include "base/StartupOptions.h"
#include "controls/JobProgressBar.h"
#include "physics/XafsSpectrum.h"
#include "processing/EdgeCalibration.h"
#include "controls/DialogFolder.h"

#include <QFileDialog>

namespace {

QFileDialog* mapDialog(QWidget* parent, const QString& name, bool save)
{
    auto* d = new QFileDialog(parent);
    d->setObjectName(name);
    d->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    d->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    d->setNameFilters({CalibCtrl::tr("Energy Distribution Map File (*.emp)"), CalibCtrl::tr("Any Files (* *.*)")});
    DialogFolder::follow(d, QStringLiteral("maps"));
    return d;
}

} // namespace

CalibCtrl::CalibCtrl(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::CalibCtrl)
    , m_openDialog([this] {
        QFileDialog* d = mapDialog(this, QStringLiteral("LoadMapDialog"), false);
        connect(d, &QFileDialog::fileSelected, this, &CalibCtrl::loadEMap);
        return d;
    })
    , m_saveDialog([this] {
        QFileDialog* d = mapDialog(this, QStringLiteral("SaveMapDialog"), true);
        connect(d, &QFileDialog::fileSelected, this, &CalibCtrl::saveEMap);
        return d;
    })
{
    ui->setupUi(this);
    ui->SelectStd->setCaption(tr("Select Std."));
    ui->SelectStd->showUse(false);
    for (int i = 0; i < EdgeCalibration::crystalCount; ++i) {
        const EdgeCalibration::Crystal& c = EdgeCalibration::crystal(i);
        ui->SelCrystal->addItem(QString::fromLatin1(c.name), c.d);
    }
    connect(ui->SelectStd, &XafsFileSelect::newFile, this, &CalibCtrl::newFile);
    connect(ui->StdBGVictreen, &QRadioButton::toggled, this, &CalibCtrl::stdBGToggled);
    connect(ui->ExecCalib, &QPushButton::clicked, this, &CalibCtrl::execCalibration);
    connect(ui->ClearMap, &QPushButton::clicked, this, &CalibCtrl::clearMap);
    connect(ui->LoadMap, &QPushButton::clicked, this, [this] { m_openDialog.show(); });
    connect(ui->SaveMap, &QPushButton::clicked, this, [this] { m_saveDialog.show(); });
}

CalibCtrl::~CalibCtrl()
{
    delete ui;
}

double CalibCtrl::spacing() const
{
    return ui->SelCrystal->currentData().toDouble();
}

double CalibCtrl::edgeEnergy() const
{
    return ui->EdgeEeV->text().toDouble();
}

bool CalibCtrl::targetVictoreen() const
{
    return ui->TargetBGVictreen->isChecked();
}

QString CalibCtrl::stdFileName() const
{
    return ui->SelectStd->fileName();
}

int CalibCtrl::rule() const
{
    return ui->CalibRule->currentIndex() == int(CalibrationRule::Fit) ? int(CalibrationRule::Fit)
                                                                       : int(CalibrationRule::HalfHeight);
}

void CalibCtrl::showStatistics(const CalibrationStats& stats)
{
    ui->DEMax->setText(QString::number(stats.max, 'g', 6));
    ui->DEMin->setText(QString::number(stats.min, 'g', 6));
    ui->DEAvr->setText(QString::number(stats.mean, 'g', 6));
    ui->DESigma->setText(QString::number(stats.sigma, 'g', 6));
}

JobProgressBar* CalibCtrl::progressBar() const
{
    return ui->CalibProgress;
}

void CalibCtrl::newFile(QString fname)
{
    m_standard.reset();
    auto s = std::make_unique<XafsSpectrum>();
    if (!s->load(fname)) {
        ui->SelectStd->clear();
        return;
    }
    const bool victoreen = ui->StdBGVictreen->isChecked();
    s->setVictoreen(victoreen);
    s->normalize(victoreen);
    ui->EdgeEeV->setText(QString::number(s->e0(), 'g', 6));
    m_standard = std::move(s);
    emit newStdFileLoaded();
}

void CalibCtrl::stdBGToggled(bool f)
{
    Q_UNUSED(f);
    if (!m_standard)
        return;
    const bool victoreen = ui->StdBGVictreen->isChecked();
    m_standard->setVictoreen(victoreen);
    m_standard->normalize(victoreen);
}

void CalibCtrl::loadStd(QString fname)
{
    ui->SelectStd->load(fname);
}

void CalibCtrl::setEdgeEV(QString eV)
{
    ui->EdgeEeV->setText(eV);
}

void CalibCtrl::setRule(int rule)
{
    if (rule == int(CalibrationRule::HalfHeight) || rule == int(CalibrationRule::Fit))
        ui->CalibRule->setCurrentIndex(rule);
}

void CalibCtrl::loadEShiftMap(QString fname)
{
    emit loadEMap(fname);
}
