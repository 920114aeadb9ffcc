// The analyzer window's map choices: the shown map, the map scales and the
// selections the batch commands make.
#include "analyzer/Analyzer.h"

#include "ui_Analyzer.h"

#include "analysis/AnalyzerFields.h"
#include "analyzer/ElemCtrl.h"
#include "analyzer/LCFReference.h"
#include "analyzer/MapsExtraPanel.h"
#include "grid/Analyzed2DRes.h"
#include "spectrumview/XafsFileSelect.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QRadioButton>

using AnalyzerFields::number;
using AnalyzerFields::numberText;

namespace {

// Element image types, in the order of their buttons, and the map of a row
// each shows (-1: the correlation maps).
constexpr int elemTypeMap[9] = {ElemCtrl::DMut0,     ElemCtrl::DMutN,     -1,
                                -1,                  ElemCtrl::MutPlus,   ElemCtrl::MutMinus,
                                ElemCtrl::EdgeShift, ElemCtrl::Roi,       ElemCtrl::NRoi};
constexpr int elemTypeCorrelation = 2;
constexpr int elemTypeCorrelationTh = 3;

Analyzed2DRes* ifImage(Analyzed2DRes* map)
{
    return map->hasImage() ? map : nullptr;
}

}

Analyzed2DRes* Analyzer::currentImage() const
{
    Analyzed2DRes* res = nullptr;
    const int n = m_refs.size();
    if (ui->DoMLCFA->isChecked()) {
        const int b = m_imageGroup->checkedId();
        if (b >= 0 && b < n) {
            const LCFReference* row = m_refs[b];
            const int kind = ui->SelRatio->isChecked() ? 1 : 0;
            res = row->map(kind < row->mapCount() ? kind : 0);
        } else if (b == n + 3) {
            res = m_rFactorMap.get();
        } else if (b == n + 4) {
            res = m_fracSumMap.get();
        }
    }
    if (ui->DoRAA->isChecked()) {
        const int b = m_imageGroup->checkedId();
        if (b == n)
            res = ifImage(m_a2dDMut.get());
        else if (b == n + 1)
            res = ifImage(m_a2dRest.get());
        else if (b == n + 2)
            res = ifImage(m_a2dRati.get());
    }
    if (ui->DoElemA->isChecked()) {
        const int type = m_elemTypeGroup->checkedId();
        const int k = m_showGroup->checkedId();
        if (type == elemTypeCorrelation)
            res = m_corMap.get();
        else if (type == elemTypeCorrelationTh)
            res = m_corThMap.get();
        else if (type >= 0 && type < 9 && k >= 0 && k < m_elems.size())
            res = m_elems[k]->map(elemTypeMap[type]);
    }
    if (m_extra->modeButton()->isChecked())
        res = m_extra->chosenMap();
    return res;
}

QString Analyzer::currentImageTitle() const
{
    if (!currentImage())
        return QString();
    const int n = m_refs.size();
    if (ui->DoMLCFA->isChecked()) {
        const int b = m_imageGroup->checkedId();
        if (b >= 0 && b < n) {
            const QString file = QFileInfo(m_refs[b]->fileSelect()->fileName()).completeBaseName();
            const QString what = ui->SelRatio->isChecked() ? tr("fraction") : tr("amount");
            return tr("LCF %1: %2").arg(file.isEmpty() ? tr("row %1").arg(b + 1) : file, what);
        }
        if (b == n + 3)
            return tr("LCF R-factor");
        if (b == n + 4)
            return tr("LCF sum of fractions");
    }
    if (ui->DoRAA->isChecked()) {
        const int b = m_imageGroup->checkedId();
        if (b == n)
            return tr("Residual absorption: dmut");
        if (b == n + 1)
            return tr("Residual absorption: rest");
        if (b == n + 2)
            return tr("Residual absorption: ratio");
    }
    if (ui->DoElemA->isChecked()) {
        const QAbstractButton* type = m_elemTypeGroup->checkedButton();
        const int typeId = m_elemTypeGroup->checkedId();
        const QString kind = type ? type->text() : QString();
        if (typeId == elemTypeCorrelation || typeId == elemTypeCorrelationTh)
            return tr("Elements: %1").arg(kind);
        const int k = m_showGroup->checkedId();
        if (k >= 0 && k < m_elems.size())
            return tr("%1: %2").arg(m_elems[k]->name(), kind);
    }
    if (m_extra->modeButton()->isChecked())
        return m_extra->chosenCaption();
    return QString();
}

// --- scales

void Analyzer::applyScales(bool setPolicy, bool fixed)
{
    const double dMin = number(ui->DMutScaleMin->text());
    const double dMax = number(ui->DMutScaleMax->text());
    const double rMin = number(ui->RatioScaleMin->text());
    const double rMax = number(ui->RatioScaleMax->text());
    auto apply = [setPolicy, fixed](Analyzed2DRes* map, double lo, double hi) {
        if (setPolicy)
            map->setFixedScale(fixed);
        map->setScale(lo, hi);
    };
    for (LCFReference* row : qAsConst(m_refs)) {
        // A new scale draws every map's picture: owed maps get theirs when made.
        row->markOwedPictures();
        apply(row->keptMap(LCFReference::Amount), dMin, dMax);
        apply(row->keptMap(LCFReference::Fraction), rMin, rMax);
    }
    apply(m_a2dDMut.get(), dMin, dMax);
    apply(m_a2dRest.get(), dMin, dMax);
    apply(m_a2dRati.get(), rMin, rMax);
    for (const ElemCtrl* row : qAsConst(m_elems)) {
        for (int k = 0; k < row->mapCount(); ++k)
            apply(row->map(k), dMin, dMax);
    }
}

void Analyzer::scaleChanged()
{
    applyScales(false, false);
    emit changedSelection();
}

void Analyzer::scalePolicyChanged(bool f)
{
    applyScales(true, f);
}

void Analyzer::setFixedScale(bool f)
{
    ui->FixedScale->setChecked(f);
}

void Analyzer::setDMutScaleMax(double max)
{
    ui->DMutScaleMax->setText(numberText(max));
    scaleChanged();
}

void Analyzer::setDMutScaleMin(double min)
{
    ui->DMutScaleMin->setText(numberText(min));
    scaleChanged();
}

void Analyzer::setRatioScaleMax(double max)
{
    ui->RatioScaleMax->setText(numberText(max));
    scaleChanged();
}

void Analyzer::setRatioScaleMin(double min)
{
    ui->RatioScaleMin->setText(numberText(min));
    scaleChanged();
}

// --- selections of the batch commands

void Analyzer::selectAnalysisMode(int mode)
{
    if (QAbstractButton* b = m_modeGroup->button(mode))
        b->setChecked(true);
}

void Analyzer::selectLCFImageKind(int kind)
{
    if (QAbstractButton* b = m_kindGroup->button(kind))
        b->setChecked(true);
}

void Analyzer::selectElemImageType(int type)
{
    if (QAbstractButton* b = m_elemTypeGroup->button(type))
        b->setChecked(true);
    emit changedSelection();
}
