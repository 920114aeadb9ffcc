// Every one of the 112 command words through a real dispatcher thread into a
// real main window: each reaches the slot or field it drives, every line
// completes (the ones that start long work when that work has ended) and the
// run ends. Also the executor's own rules: failures end the run with the line
// named, unknown words, argument notes, the extra words, and the completion
// gate that lets exactly one completion per line through.

#include "BodyScript.h"

#include "analyzer/AElemsConds.h"
#include "analyzer/Analyzer.h"
#include "analyzer/ElemCtrl.h"
#include "analyzer/LCFReference.h"
#include "batch/BatchKeywords.h"
#include "calibration/CalibCtrl.h"
#include "fileselect/EOFSetup.h"
#include "fileselect/SelectDataFiles.h"
#include "i18n/Translation.h"
#include "imageview/ImgDispA.h"
#include "io/TiffData.h"
#include "savedialog/SaveDataCfg.h"
#include "spectrumview/XafsFileSelect.h"
#include "spectrumview/XafsView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTranslator>
#include <algorithm>
#include <functional>

namespace {

using Check = std::function<bool(Body&, const QString& dir)>;

struct WordCase {
    const char* word;
    // Script lines; "%D" stands for the data folder.
    const char* script;
    Check check;
    // The line completes later (it starts long work).
    bool late = false;
};

// Loads both series with energies from the file names.
#define LOAD                                                                                       \
    "eng_by_name_i1\neng_by_name_reg_exp_i1 \\d\\d\\d\\d\\.\\d\\deV\neng_by_name_factor_i1 1\n"   \
    "eng_by_name_i0\neng_by_name_reg_exp_i0 \\d\\d\\d\\d\\.\\d\\deV\neng_by_name_factor_i0 1\n"   \
    "load_I0_files_of_pattern NEW %D/i0/ *.tif\nload_I1_files_of_pattern NEW %D/i1/ *.tif\n"
#define ELEMS "analyzer_target_elements \"Fe-K Ni-K\"\n"
#define REFS "analyzer_set_LCF_std 0 1 0 %D/ref.dat 0\nanalyzer_set_LCF_std 1 1 0 %D/ref2.dat 0\n"
// A result map with values and a picture in reference row 0.
#define MAP LOAD REFS "select_region 0 0 20 14\nanalyzer_exec_LCF\nanalyzer_select_image 0\n"

EOFSetup* eof(Body& b, bool i1)
{
    return (i1 ? b.i1Panel() : b.i0Panel())->eofSetup();
}

template <class T>
T* child(const QObject* o, const char* name)
{
    return o->findChild<T*>(QLatin1String(name));
}

QString text(const QObject* o, const char* name)
{
    return child<QLineEdit>(o, name)->text();
}

bool checked(const QObject* o, const char* name)
{
    return child<QAbstractButton>(o, name)->isChecked();
}

QByteArray readFile(const QString& path);

bool exists(const QString& dir, const char* name)
{
    return QFile::exists(dir + QLatin1String("/out/") + QLatin1String(name));
}

ElemCtrl* elem(Body& b, const QString& name)
{
    return b.analyzer()->elemByName(name);
}

const std::vector<WordCase>& cases()
{
    static const std::vector<WordCase> list = {
        {"clear_I1_files", LOAD "clear_I1_files", [](Body& b, auto&) { return b.i1Series().isEmpty() && b.i0Series().size() == 12; }},
        {"clear_I0_files", LOAD "clear_I0_files", [](Body& b, auto&) { return b.i0Series().isEmpty() && b.i1Series().size() == 12; }},
        {"set_i1_energy_pattern", "set_i1_energy_pattern E(\\d+)", [](Body& b, auto&) { return eof(b, true)->settings().pattern == "E(\\d+)"; }},
        {"set_i0_energy_pattern", "set_i0_energy_pattern E(\\d+)", [](Body& b, auto&) { return eof(b, false)->settings().pattern == "E(\\d+)"; }},
        {"load_I1_files", "load_I1_files NEW %D/i1/i1_7080.00eV.tif %D/i1/i1_7085.00eV.tif", [](Body& b, auto&) { return b.i1Series().size() == 2; }, true},
        {"load_I0_files", "load_I0_files NEW %D/i0/i0_7080.00eV.tif %D/i0/i0_7085.00eV.tif %D/i0/i0_7090.00eV.tif", [](Body& b, auto&) { return b.i0Series().size() == 3 && b.i1Series().isEmpty(); }, true},
        {"load_I1_files_of_pattern", "load_I1_files_of_pattern NEW %D/i1 *.tif", [](Body& b, auto&) { return b.i1Series().size() == 12 && b.i1Series().at(0)->fileName().endsWith("i1/i1_7080.00eV.tif"); }, true},
        {"load_I0_files_of_pattern", "load_I0_files_of_pattern NEW %D/i0/ i0_70*.tif i0_711*.tif", [](Body& b, auto&) { return b.i0Series().size() == 6; }, true},
        {"cut_f_i0", "cut_f_i0 2", [](Body& b, auto&) { return b.i0Panel()->cutFirst() == 2; }},
        {"cut_f_i1", "cut_f_i1 3", [](Body& b, auto&) { return b.i1Panel()->cutFirst() == 3; }},
        {"cut_l_i0", "cut_l_i0 4", [](Body& b, auto&) { return b.i0Panel()->cutLast() == 4; }},
        {"cut_l_i1", "cut_l_i1 5", [](Body& b, auto&) { return b.i1Panel()->cutLast() == 5; }},
        {"skip_i0", "skip_i0 2", [](Body& b, auto&) { return b.i0Panel()->skip() == 2; }},
        {"skip_i1", "skip_i1 3", [](Body& b, auto&) { return b.i1Panel()->skip() == 3; }},
        {"show_latest_i0", "show_latest_i0 0", [](Body& b, auto&) { return !b.i0Panel()->showLatest() && b.i1Panel()->showLatest(); }},
        {"show_latest_i1", "show_latest_i1 0", [](Body& b, auto&) { return !b.i1Panel()->showLatest() && b.i0Panel()->showLatest(); }},
        {"eng_by_name_i0", "eng_by_calc_i0 1\neng_by_name_i0", [](Body& b, auto&) { return eof(b, false)->settings().source == EnergyOfFiles::ByFileName; }},
        {"eng_by_name_i1", "eng_by_calc_i1 1\neng_by_name_i1", [](Body& b, auto&) { return eof(b, true)->settings().source == EnergyOfFiles::ByFileName; }},
        {"eng_by_name_reg_exp_i0", "eng_by_name_reg_exp_i0 \\d+eV", [](Body& b, auto&) { return eof(b, false)->settings().pattern == "\\d+eV"; }},
        {"eng_by_name_reg_exp_i1", "eng_by_name_reg_exp_i1 \\d+eV", [](Body& b, auto&) { return eof(b, true)->settings().pattern == "\\d+eV"; }},
        {"eng_by_name_factor_i0", "eng_by_name_factor_i0 1000", [](Body& b, auto&) { return eof(b, false)->settings().factor == 1000.0; }},
        {"eng_by_name_factor_i1", "eng_by_name_factor_i1 0.5", [](Body& b, auto&) { return eof(b, true)->settings().factor == 0.5; }},
        {"eng_by_calc_i0", "eng_by_calc_i0 1", [](Body& b, auto&) { return eof(b, false)->settings().source == EnergyOfFiles::ByCalculation; }},
        {"eng_by_calc_i1", "eng_by_calc_i1 1", [](Body& b, auto&) { return eof(b, true)->settings().source == EnergyOfFiles::ByCalculation; }},
        {"eng_calc_base_i0", "eng_calc_base_i0 7000", [](Body& b, auto&) { return eof(b, false)->settings().start == 7000.0; }},
        {"eng_calc_base_i1", "eng_calc_base_i1 7001", [](Body& b, auto&) { return eof(b, true)->settings().start == 7001.0; }},
        {"eng_calc_delta_i0", "eng_calc_delta_i0 0.5", [](Body& b, auto&) { return eof(b, false)->settings().delta == 0.5; }},
        {"eng_calc_delta_i1", "eng_calc_delta_i1 0.25", [](Body& b, auto&) { return eof(b, true)->settings().delta == 0.25; }},
        {"eng_calc_end_i0", "eng_calc_end_i0 7500", [](Body& b, auto&) { return eof(b, false)->settings().end == 7500.0; }},
        {"eng_calc_end_i1", "eng_calc_end_i1 7501", [](Body& b, auto&) { return eof(b, true)->settings().end == 7501.0; }},
        {"eng_calc_num_i0", "eng_calc_num_i0 40", [](Body& b, auto&) { return eof(b, false)->settings().numOfPoints == 40; }},
        {"eng_calc_num_i1", "eng_calc_num_i1 41", [](Body& b, auto&) { return eof(b, true)->settings().numOfPoints == 41; }},
        {"eng_calc_even_in_eng_i0", "eng_calc_even_in_eng_i0 1", [](Body& b, auto&) { return eof(b, false)->settings().evenInEnergy; }},
        {"eng_calc_even_in_eng_i1", "eng_calc_even_in_eng_i1 1", [](Body& b, auto&) { return eof(b, true)->settings().evenInEnergy; }},
        {"eng_calc_even_in_deg_i0", "eng_calc_even_in_eng_i0 1\neng_calc_even_in_deg_i0 1", [](Body& b, auto&) { return !eof(b, false)->settings().evenInEnergy; }},
        {"eng_calc_even_in_deg_i1", "eng_calc_even_in_eng_i1 1\neng_calc_even_in_deg_i1 1", [](Body& b, auto&) { return !eof(b, true)->settings().evenInEnergy; }},
        {"eng_calc_disp_unit_i0", "eng_calc_disp_unit_i0 1\neng_calc_disp_unit_i0 99", [](Body& b, auto&) { return eof(b, false)->settings().unit == 1; }},
        {"eng_calc_disp_unit_i1", "eng_calc_disp_unit_i1 2", [](Body& b, auto&) { return eof(b, true)->settings().unit == 2; }},
        {"eng_by_ref_i0", "eng_by_ref_i0 %D/angles.txt", [](Body& b, auto&) { return eof(b, false)->settings().source == EnergyOfFiles::ByRefFile && eof(b, false)->refEnergies().size() == 12; }},
        {"eng_by_ref_i1", "eng_by_ref_i1 %D/angles.txt", [](Body& b, auto&) { return eof(b, true)->settings().source == EnergyOfFiles::ByRefFile && eof(b, true)->refEnergies().size() == 12; }},
        {"set_fluo_type", "set_fluo_type 1", [](Body& b, auto&) { return checked(&b, "FluoType"); }},
        {"set_band_w", "set_band_w 4", [](Body& b, auto&) { return text(&b, "HWidth") == "4"; }},
        {"set_band_h", "set_band_h 3.5", [](Body& b, auto&) { return text(&b, "VWidth") == "0"; }},
        {"select_disp_image", "select_disp_image 1\nselect_disp_image 4", [](Body& b, auto&) { return checked(&b, "ShowI0"); }},
        {"seek_image", LOAD "seek_image 3", [](Body& b, auto&) { return child<QSlider>(&b, "SeekBar")->value() == 3 && b.imageView()->image() == b.i1Series().at(3); }},
        {"save_image", LOAD "save_image %D/out/pic.png\nsave_image %D/out/plain", [](Body&, auto& d) { return exists(d, "pic.png") && exists(d, "pic-cBar.png") && QImage(d + "/out/pic.png").size() == QSize(20, 14) && exists(d, "pic.png.provenance.txt") && exists(d, "plain.png"); }},
        {"save_image_w_num", LOAD "save_image_w_num %D/out/pic.png 7", [](Body&, auto& d) { return exists(d, "pic-7.png") && exists(d, "pic-7-cBar.png"); }},
        {"save_all_images", MAP "save_all_images %D/out/all.png", [](Body&, auto& d) { return exists(d, "all-0-0.png") && exists(d, "all-1-1.png") && !exists(d, "all-2-0.png"); }, true},
        {"save_data", MAP "save_data %D/out/m.tif", [](Body&, auto& d) { return exists(d, "m-0.tif") && exists(d, "m-0.tif.provenance.txt") && exists(d, "m-0--cBar.png"); }, true},
        {"save_data_as_tiff", MAP "analyzer_select_image 1\nsave_data_as_tiff %D/out/t.png", [](Body&, auto& d) { return exists(d, "t-1.tif") && !exists(d, "t-1--cBar.png"); }, true},
        {"move_position", LOAD "move_position 5 6", [](Body& b, auto&) { return b.mouseX() == 5 && b.mouseY() == 6 && b.xafsView()->target().count() == 12; }},
        {"save_spectra", LOAD "move_position 5 6\nsave_spectra %D/out/s.dat", [](Body&, auto& d) { return exists(d, "s-T.dat") && readFile(d + "/out/s-T.dat.provenance.txt").contains("Spectrum at      : (5, 6), block"); }},
        {"select_region", "select_region 1 2 11 12", [](Body& b, auto&) { return b.imageView()->hasSelection() && b.imageView()->selectedArea() == QRectF(1, 2, 10, 10); }},
        {"scale_reset", LOAD "select_region 1 2 11 12\nzoom_in\nscale_reset", [](Body& b, auto&) { return b.imageView()->viewWindow().rect() == QRectF(0, 0, 20, 14); }},
        {"zoom_in", LOAD "select_region 1 2 11 12\nzoom_in", [](Body& b, auto&) { return b.imageView()->viewWindow().rect() == QRectF(1, 2, 10, 10); }},
        {"xafs_view_normalize", "xafs_view_normalize 1", [](Body& b, auto&) { return b.xafsView()->isNormalized(); }},
        {"xafs_view_enerugy_correction", "xafs_view_enerugy_correction 1", [](Body& b, auto&) { return b.xafsView()->isEnergyCorrected(); }},
        {"analyzer_show_window", "analyzer_show_window", [](Body& b, auto&) { return b.analyzer()->isVisible() && b.analyzer()->view()->isVisible(); }},
        {"analyzer_set_LCF_std", "analyzer_set_LCF_std 3 1 2.5 %D/ref.dat 0", [](Body& b, auto& d) {
             const LCFReference* r = b.analyzer()->refs().at(3);
             return r->fileSelect()->fileName() == d + "/ref.dat" && r->isUsed() && text(r, "DeltaE") == "2.5" && !checked(r, "IsVictreen"); }},
        {"analyzer_set_LCF_mode", "analyzer_set_LCF_mode 1", [](Body& b, auto&) { return b.analyzer()->isMLCF(); }},
        {"analyzer_exec_LCF", LOAD REFS "select_region 0 0 20 14\nanalyzer_exec_LCF", [](Body& b, auto&) {
             const Analyzed2DRes* m = b.analyzer()->refs().at(0)->map(LCFReference::Fraction);
             return m->data() && m->hasImage() && m->maxValue() > 0.0; }, true},
        {"analyzer_select_image", "analyzer_select_image 2", [](Body& b, auto&) { return b.analyzer()->refs().at(2)->showButton()->isChecked(); }},
        {"analyzer_select_image_type", "analyzer_select_image_type 1\nanalyzer_select_image_type 2", [](Body& b, auto&) { return checked(b.analyzer(), "SelRatio"); }},
        {"analyzer_set_ra_energy", "analyzer_set_ra_energy 7200", [](Body& b, auto&) { return b.analyzer()->raEnergy() == 7200.0; }},
        {"analyzer_set_ra_factor", "analyzer_set_ra_factor 0.5", [](Body& b, auto&) { return b.analyzer()->raFactor() == 0.5; }},
        {"analyzer_exec_ra", LOAD "analyzer_select_analysis_mode 1\nanalyzer_set_ra_energy 7120\nanalyzer_exec_ra", [](Body& b, auto&) { return b.analyzer()->a2dDMut()->data() && b.analyzer()->a2dRati()->hasImage(); }, true},
        {"analyzer_set_fixed_scale", "analyzer_set_fixed_scale 1", [](Body& b, auto&) { return checked(b.analyzer(), "FixedScale"); }},
        {"analyzer_set_scale_max", "analyzer_set_scale_max 2", [](Body& b, auto&) { return text(b.analyzer(), "DMutScaleMax") == "2" && text(b.analyzer(), "RatioScaleMax") == "2"; }},
        {"analyzer_set_scale_min", "analyzer_set_scale_min -1", [](Body& b, auto&) { return text(b.analyzer(), "DMutScaleMin") == "-1" && text(b.analyzer(), "RatioScaleMin") == "-1"; }},
        {"analyzer_set_dMut_scale_max", "analyzer_set_dMut_scale_max 3", [](Body& b, auto&) { return text(b.analyzer(), "DMutScaleMax") == "3"; }},
        {"analyzer_set_dMut_scale_min", "analyzer_set_dMut_scale_min 0.25", [](Body& b, auto&) { return text(b.analyzer(), "DMutScaleMin") == "0.25"; }},
        {"analyzer_set_ratio_scale_max", "analyzer_set_ratio_scale_max 4", [](Body& b, auto&) { return text(b.analyzer(), "RatioScaleMax") == "4"; }},
        {"analyzer_set_ratio_scale_min", "analyzer_set_ratio_scale_min 0.125", [](Body& b, auto&) { return text(b.analyzer(), "RatioScaleMin") == "0.125"; }},
        {"analyzer_view_normalize", "analyzer_view_normalize 1", [](Body& b, auto&) { return b.analyzer()->view()->isNormalized(); }},
        {"analyzer_view_enerugy_correction", "analyzer_view_enerugy_correction 1", [](Body& b, auto&) { return b.analyzer()->view()->isEnergyCorrected(); }},
        {"analyzer_target_elements", ELEMS, [](Body& b, auto&) { return b.analyzer()->elems().size() == 2 && elem(b, "Ni-K"); }},
        {"analyzer_select_analysis_mode", "analyzer_select_analysis_mode 2\nanalyzer_select_analysis_mode 5", [](Body& b, auto&) { return b.analyzer()->mode() == 2; }},
        {"analyzer_elems_select_target", ELEMS "analyzer_elems_select_target Ni-K", [](Body& b, auto&) { return elem(b, "Ni-K")->mainTargetButton()->isChecked(); }},
        {"analyzer_elems_select_show", ELEMS "analyzer_elems_select_show Ni-K", [](Body& b, auto&) { return elem(b, "Ni-K")->showButton()->isChecked(); }},
        {"analyzer_elems_set_deVs", ELEMS "analyzer_elems_set_deVs 12", [](Body& b, auto&) { return elem(b, "Fe-K")->snapshot().dE == 12.0 && elem(b, "Ni-K")->snapshot().dE == 12.0; }},
        {"analyzer_elems_set_corr_th", "analyzer_elems_set_corr_th 0.9", [](Body& b, auto&) { return b.analyzer()->correlationThreshold() == 0.9 && text(b.analyzer(), "CorTh") == "0.9"; }},
        {"analyzer_elems_select_disp_mode", "analyzer_elems_select_disp_mode 4", [](Body& b, auto&) { return checked(b.analyzer(), "ShowElemsMutPlus"); }},
        {"analyzer_elems_set_use", ELEMS "analyzer_elems_set_use Fe-K 0", [](Body& b, auto&) { return !elem(b, "Fe-K")->isUsed() && elem(b, "Ni-K")->isUsed(); }},
        {"analyzer_elems_sort_by_an", "analyzer_elems_sort_by_an 1", [](Body& b, auto&) { return checked(b.analyzer(), "SortByANo"); }},
        {"analyzer_elems_roi", ELEMS "analyzer_elems_roi Fe-K 7100 7200", [](Body& b, auto&) { const ElementSnapshot s = elem(b, "Fe-K")->snapshot(); return s.roiStart == 7100.0 && s.roiEnd == 7200.0; }},
        {"analyzer_elems_thdmut", ELEMS "analyzer_elems_thdmut Fe-K 0.3", [](Body& b, auto&) { return elem(b, "Fe-K")->snapshot().threshold == 0.3; }},
        {"analyzer_elems_no_neg", ELEMS "analyzer_elems_no_neg Fe-K 1", [](Body& b, auto&) { return elem(b, "Fe-K")->snapshot().noNeg && !elem(b, "Ni-K")->snapshot().noNeg; }},
        {"analyzer_elems_bg_dMut", "analyzer_elems_bg_dMut 9 0.5", [](Body& b, auto&) { return b.analyzer()->elemsConds()->values().dmut == 0.5; }},
        {"analyzer_elems_bg_dMutR", "analyzer_elems_bg_dMutR 9 0.75", [](Body& b, auto&) { return b.analyzer()->elemsConds()->dmutRatio() == 0.75; }},
        {"analyzer_elems_bg_dE", "analyzer_elems_bg_dE 12", [](Body& b, auto&) { return b.analyzer()->elemsConds()->values().dE == 0.0; }},
        {"analyzer_elems_bg_ROI", "analyzer_elems_bg_ROI x 3", [](Body& b, auto&) { return b.analyzer()->elemsConds()->values().roi == 3.0; }},
        {"analyzer_elems_bg_NROI", "analyzer_elems_bg_NROI x 4", [](Body& b, auto&) { return b.analyzer()->elemsConds()->values().nroi == 4.0; }},
        {"analyzer_exec_elems", LOAD "analyzer_target_elements Fe-K\nanalyzer_select_analysis_mode 2\nselect_region 0 0 20 14\nanalyzer_exec_elems", [](Body& b, auto&) { return elem(b, "Fe-K")->map(0)->data() && elem(b, "Fe-K")->map(0)->hasImage(); }, true},
        {"calib_show_window", "calib_show_window", [](Body& b, auto&) { return b.calibCtrl()->isVisible(); }},
        {"calib_load_std", "calib_load_std %D/ref.dat", [](Body& b, auto&) { return b.calibCtrl()->standard() && b.xafsView()->standard().count() > 0; }},
        {"calib_set_edge_eV", "calib_set_edge_eV 7112.5", [](Body& b, auto&) { return b.calibCtrl()->edgeEnergy() == 7112.5; }},
        {"calib_exec", LOAD "calib_load_std %D/ref.dat\ncalib_exec", [](Body& b, auto&) { return b.shiftMap().data() && !b.isCalibrating(); }, true},
        {"calib_load_map", LOAD "calib_load_std %D/ref.dat\ncalib_exec\ncalib_save_map %D/out/e\ncalib_clear_map\ncalib_load_map %D/out/e.emp", [](Body& b, auto& d) { return b.shiftMap().data() && exists(d, "e.emp.provenance.txt"); }, true},
        {"calib_clear_map", LOAD "calib_load_std %D/ref.dat\ncalib_exec\ncalib_clear_map", [](Body& b, auto&) { return b.shiftMap().data() && b.shiftMap().maxValue() == Analyzed2DRes::emptyMax; }, true},
        {"calib_save_map", LOAD "calib_load_std %D/ref.dat\ncalib_exec\ncalib_save_map %D/out/saved", [](Body&, auto& d) { return exists(d, "saved.emp"); }, true},
        {"saveDataCfg_show_window", "saveDataCfg_show_window", [](Body& b, auto&) { return b.saveDataCfg()->isVisible(); }},
        {"saveDataCfg_save_as_tiff", "saveDataCfg_save_as_text\nsaveDataCfg_save_as_tiff", [](Body& b, auto&) { return b.saveDataCfg()->settings().saveAsTiff; }},
        {"saveDataCfg_save_as_text", "saveDataCfg_save_as_text", [](Body& b, auto&) { return !b.saveDataCfg()->settings().saveAsTiff; }},
        {"saveDataCfg_tiff_fix_scale", "saveDataCfg_tiff_fix_scale 1", [](Body& b, auto&) { return b.saveDataCfg()->settings().tiffFixedScale; }},
        {"saveDataCfg_tiff_scale_min", "saveDataCfg_tiff_scale_min 0.2", [](Body& b, auto&) { return b.saveDataCfg()->settings().tiffScaleMin == 0.2; }},
        {"saveDataCfg_tiff_scale_max", "saveDataCfg_tiff_scale_max 0.8", [](Body& b, auto&) { return b.saveDataCfg()->settings().tiffScaleMax == 0.8; }},
        {"saveDataCfg_tiff_as_analyzed", "saveDataCfg_tiff_as_analyzed 1", [](Body& b, auto&) { return b.saveDataCfg()->settings().tiffAsAnalyzed; }},
        {"saveDataCfg_text_as_csv", "saveDataCfg_text_as_ssv\nsaveDataCfg_text_as_csv", [](Body& b, auto&) { return b.saveDataCfg()->settings().commaSeparated; }},
        {"saveDataCfg_text_as_ssv", "saveDataCfg_text_as_ssv", [](Body& b, auto&) { return !b.saveDataCfg()->settings().commaSeparated; }},
        {"saveDataCfg_text_as_xyz", "saveDataCfg_text_as_vals\nsaveDataCfg_text_as_xyz", [](Body& b, auto&) { return b.saveDataCfg()->settings().xyVal; }},
        {"saveDataCfg_text_as_vals", "saveDataCfg_text_as_vals", [](Body& b, auto&) { return !b.saveDataCfg()->settings().xyVal; }},
        {"quit", "set_band_w 2\nquit\nset_band_w 7", [](Body& b, auto&) { return text(&b, "HWidth") == "2"; }},
    };
    return list;
}

QString logText(Body& b)
{
    return child<QPlainTextEdit>(b.batchCtrl(), "BatchLogs")->toPlainText();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestBodyBatch : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        BatchKeywords::init();
        QVERIFY(m_dir.isValid());
        QCOMPARE(BodyScript::writeStack(m_dir.filePath("i1"), "i1", 12, 20, 14, 20000.0).size(), 12);
        QCOMPARE(BodyScript::writeStack(m_dir.filePath("i0"), "i0", 12, 20, 14, 30000.0).size(), 12);
        QVERIFY(BodyScript::writeSpectrum(m_dir.filePath("ref.dat"), 7110.0));
        QVERIFY(BodyScript::writeSpectrum(m_dir.filePath("ref2.dat"), 7116.0));
        QFile comma(m_dir.filePath("comma.dat"));
        QVERIFY(comma.open(QIODevice::WriteOnly));
        comma.write("7100,5 0,25\n7101,5 0,5\n7102,5 0,75\n7103,5 1,0\n");
        comma.close();
        QFile oneAngle(m_dir.filePath("one-angle.txt"));
        QVERIFY(oneAngle.open(QIODevice::WriteOnly));
        oneAngle.write("# Bragg angles\n16.3\n");
        oneAngle.close();
        QFile angles(m_dir.filePath("angles.txt"));
        QVERIFY(angles.open(QIODevice::WriteOnly | QIODevice::Text));
        angles.write("# Bragg angles\n");
        for (int k = 0; k < 12; ++k)
            angles.write(QByteArray::number(16.3 - 0.01 * k) + "\n");
        angles.close();
        QVERIFY(QDir(m_dir.path()).mkpath("out"));
    }

    // Each word reaches what it drives; every line completes once and the run ends.
    void everyWord_data()
    {
        QTest::addColumn<int>("index");
        QCOMPARE(int(cases().size()), 112);
        for (int i = 0; i < int(cases().size()); ++i)
            QTest::newRow(cases()[std::size_t(i)].word) << i;
    }
    void everyWord()
    {
        QFETCH(int, index);
        const WordCase& c = cases()[std::size_t(index)];
        // The table follows the command table: row i is command id i.
        QCOMPARE(BatchKeywords::commandId(c.word), index);
        const QString text = script(c.script);
        QVERIFY2(text.contains(c.word), c.word);

        Body body;
        const BodyScript::Outcome out = BodyScript::run(body, text);
        QVERIFY2(out.failure.isEmpty(), qPrintable(out.failure));
        if (index == BatchKeywords::Quit) {
            // quit ends the program: finishing(), no completion, nothing after it.
            QCOMPARE(out.finishing, 1);
            QCOMPARE(out.completions, 1);
            QVERIFY(!out.ended);
        } else {
            QVERIFY(out.ended);
            QVERIFY(!out.stopped);
            // The batch window keeps empty lines: each is a line of the run.
            QCOMPARE(out.completions, text.split('\n').size());
        }
        QVERIFY2(c.check(body, m_dir.path()), c.word);
        QCOMPARE(body.batchWaitsFor(), BatchWait::None);
    }

    // A failing line stops the run with its message; the batch window names the line.
    void failuresEndTheRun_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("failure");
        QTest::newRow("unknown word") << "set_band_w 1\nno_such_word 3\nset_band_w 2"
                                      << "Line 2: unknown command \"no_such_word\"";
        QTest::newRow("missing image") << "load_I1_files NEW %D/i1/i1_7080.00eV.tif %D/i1/missing.tif\nset_band_w 2"
                                       << "Line 1: 1 of 2 images could not be loaded: %D/i1/missing.tif";
        QTest::newRow("no file matches") << "load_I0_files_of_pattern NEW %D/i0/ *.img\nset_band_w 2"
                                         << "Line 1: No file in \"%D/i0/\" matches *.img";
        QTest::newRow("no files given") << "load_I1_files NEW\nset_band_w 2" << "Line 1: No I1 files to load";
        QTest::newRow("unreadable standard") << "calib_load_std %D/none.dat\nset_band_w 2"
                                             << "Line 1: Can't read the standard %D/none.dat";
        QTest::newRow("unreadable reference") << "analyzer_set_LCF_std 0 1 0 %D/none.dat\nset_band_w 2"
                                              << "Line 1: Can't read the reference %D/none.dat";
        QTest::newRow("calibration without images") << "calib_exec\nset_band_w 2"
                                                    << "Line 1: The calibration can't start: no I1 images are loaded";
        QTest::newRow("run without images") << "analyzer_exec_LCF\nset_band_w 2"
                                            << "Line 1: The LCF run can't start: no I1 images are loaded";
        QTest::newRow("save without values") << "save_data %D/out/none.tif\nset_band_w 2"
                                             << "Line 1: Can't write %D/out/none-0.tif: the map has no values";
        QTest::newRow("save without a map") << "analyzer_select_image 5\nsave_data_as_tiff %D/out/none.tif\nset_band_w 2"
                                            << "Line 2: Can't save %D/out/none-0.tif: no result map is selected";
        QTest::newRow("unwritable picture") << LOAD "save_image %D/no/such/dir/p.png\nset_band_w 2"
                                            << "Line 9: Can't open %D/no/such/dir/p.png";
        QTest::newRow("unknown map file") << "calib_load_map %D/none.emp\nset_band_w 2"
                                          << "Line 1: Can't load the energy map %D/none.emp";
        QTest::newRow("align without images") << "align_series\nset_band_w 2"
                                              << "Line 1: Can't align: no I1 images are loaded";
        // These used to end with status 0: a hidden "./.emp", an empty 0 x 0
        // map, maps of nothing but background.
        QTest::newRow("map saved without a name") << "calib_save_map\nset_band_w 2"
                                                  << "Line 1: Can not write an energy map: no file name given";
        QTest::newRow("map saved before any calibration") << "calib_save_map %D/out/m.emp\nset_band_w 2"
                                                          << "Line 1: Can not write %D/out/m.emp: there is no energy-shift map";
        QTest::newRow("LCF without reference rows") << LOAD "analyzer_exec_LCF\nset_band_w 2"
                                                    << "Line 9: The LCF run can't start: no reference row is in use";
        QTest::newRow("run outside the images")
            << LOAD REFS "select_region 100 100 120 120\nanalyzer_exec_LCF\nset_band_w 2"
            << "Line 12: The LCF run can't start: the area x 100 ... 120, y 100 ... 120 lies outside the images";
        QTest::newRow("standard that is no spectrum") << "calib_load_std %D/comma.dat\nset_band_w 2"
                                                      << "Line 1: Can't read the standard %D/comma.dat: No numeric data lines";
        QTest::newRow("reference list of one angle")
            << "eng_by_ref_i1 %D/one-angle.txt\nset_band_w 2"
            << "Line 1: Can't read the reference energy file %D/one-angle.txt: 1 angles; a series needs at least 2";
        QTest::newRow("line too long") << "set_band_w 1\n" + QString(70000, 'x') + "\nset_band_w 2"
                                       << "Line 2: the line is longer than 65536 characters";
        // A NUL byte used to cut the message short on stderr.
        QTest::newRow("NUL in a word") << QString("set_band_w 1\nab") + QChar(0) + "cd 3\nset_band_w 2"
                                       << "Line 2: unknown command \"ab\\0cd\"";
    }
    void failuresEndTheRun()
    {
        QFETCH(QString, script);
        QFETCH(QString, failure);
        script.replace("%D", m_dir.path());
        failure.replace("%D", m_dir.path());
        Body body;
        const BodyScript::Outcome out = BodyScript::run(body, script);
        QVERIFY(out.ended);
        QVERIFY(out.stopped);
        QVERIFY2(out.failure.startsWith(failure), qPrintable(out.failure));
        // The lines after the failing one do not run.
        QCOMPARE(text(&body, "HWidth"), script.startsWith("set_band_w 1") ? QString("1") : QString("10"));
        const QString log = logText(body);
        QVERIFY2(log.contains("Err: ") && log.contains(failure.section(':', 0, 0)), qPrintable(log));
        // The commands tab says which line failed and why.
        const QString state = body.batchCtrl()->runState();
        QVERIFY2(state.startsWith(failure.section(':', 0, 0) + " failed:"), qPrintable(state));
    }

    // Blank lines are reported but fail nothing; directives and comments complete without the executor.
    void blankAndCommentLinesComplete()
    {
        Body body;
        const BodyScript::Outcome out = BodyScript::run(
            body, "# a comment\n\n   \n:for i %i 1 2\nset_band_w %i\n:next i\n:rem_start\nbad word\n:rem_end\n:echo done");
        QVERIFY(out.ended);
        QVERIFY(!out.stopped);
        QVERIFY(out.failure.isEmpty());
        QCOMPARE(text(&body, "HWidth"), QString("2"));
        // 10 physical lines; the loop body and its :next run twice.
        QCOMPARE(out.completions, 12);
    }

    // Arguments that are not what the word takes are noted in the log and replaced.
    void argumentNotes()
    {
        Body body;
        const BodyScript::Outcome out = BodyScript::run(body, "set_band_w 2.5\nshow_latest_i1 yes\nseek_image");
        QVERIFY(out.ended && !out.stopped);
        const QString log = logText(body);
        QVERIFY2(log.contains("Note: line 1: argument 1 of set_band_w, \"2.5\", is not an integer; 0 is used"), qPrintable(log));
        QVERIFY2(log.contains("Note: line 2: argument 1 of show_latest_i1, \"yes\", is not 0 or 1; off is used"), qPrintable(log));
        QVERIFY2(log.contains("Note: line 3: argument 1 of seek_image is missing; 0 is used"), qPrintable(log));
        QCOMPARE(text(&body, "HWidth"), QString("0"));
        QVERIFY(!body.i1Panel()->showLatest());
    }

    // Every word with arguments of every wrong kind, one run after the other in
    // one loaded window: each run ends, and a failure names its line.
    void badArgumentsNeverCrash()
    {
        QTemporaryDir cwd;
        const QString before = QDir::currentPath();
        QDir::setCurrent(cwd.path());
        Body body;
        QVERIFY(BodyScript::run(body, script(LOAD)).failure.isEmpty());
        for (const BatchKeywords::Keyword& k : BatchKeywords::commandTable()) {
            if (k.id == BatchKeywords::Quit)
                continue;
            const QString line = QString::fromLatin1(k.word) + " -1 x 1e999 99999999999 \"\" nan -0";
            const BodyScript::Outcome out = BodyScript::run(body, line + "\n" + line.toUpper());
            QVERIFY2(out.ended, k.word);
            QVERIFY2(out.failure.isEmpty() || out.failure.startsWith("Line 1: ") || out.failure.startsWith("Line 2: "),
                     qPrintable(out.failure));
        }
        QDir::setCurrent(before);
    }

    // align_series finds each image's drift: four images of a bright square, image k drifted by (k, -k).
    void alignSeriesFindsTheDrift()
    {
        QTemporaryDir dir;
        QStringList files;
        for (int k = 0; k < 4; ++k) {
            std::vector<quint16> px(40 * 40, 1000);
            for (int y = 12; y < 28; ++y)
                for (int x = 12; x < 28; ++x)
                    px[std::size_t(y - k) * 40 + std::size_t(x + k)] = 9000;
            const QString path = dir.filePath(QString("a_%1.00eV.tif").arg(7100 + k));
            QVERIFY(writeTiff16(path, px.data(), 40, 40));
            files << path;
        }
        Body body;
        const BodyScript::Outcome out =
            BodyScript::run(body, "load_I1_files NEW " + files.join(' ') + "\ncalib_set_rule 1\nalign_series 0 0.4");
        QVERIFY2(out.ended && !out.stopped, qPrintable(out.failure));
        QCOMPARE(out.completions, 3);
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(body.i1Series().at(k)->shiftX(), -k);
            QCOMPARE(body.i1Series().at(k)->shiftY(), k);
        }
        QCOMPARE(body.calibCtrl()->rule(), 1);
    }

    // After an alignment the pictures made before are made again, with the
    // shifts, and the shown image has one; the series is not given a picture
    // of every image (large series would hold them all on top of the samples).
    void alignmentRendersOnlyPicturesInUse()
    {
        QTemporaryDir dir;
        QStringList files;
        for (int k = 0; k < 5; ++k) {
            std::vector<quint16> px(40 * 40, 1000);
            for (int y = 12; y < 28; ++y)
                for (int x = 12; x < 28; ++x)
                    px[std::size_t(y) * 40 + std::size_t(x + k)] = 9000;
            const QString path = dir.filePath(QString("a_%1.00eV.tif").arg(7100 + k));
            QVERIFY(writeTiff16(path, px.data(), 40, 40));
            files << path;
        }
        Body body;
        BodyScript::Outcome out = BodyScript::run(body, "show_latest_i1 0\nload_I1_files NEW " + files.join(' '));
        QVERIFY2(out.ended && !out.stopped, qPrintable(out.failure));
        body.sliderMoved(3);
        std::vector<bool> before;
        for (int k = 0; k < 5; ++k)
            before.push_back(body.i1Series().at(k)->displayImage() != nullptr);
        QVERIFY(std::count(before.begin(), before.end(), false) >= 3);
        out = BodyScript::run(body, "align_series 0 0.4");
        QVERIFY2(out.ended && !out.stopped, qPrintable(out.failure));
        QCOMPARE(body.i1Series().at(3)->shiftX(), -3);
        for (int k = 0; k < 5; ++k)
            QCOMPARE(body.i1Series().at(k)->displayImage() != nullptr, before[std::size_t(k)] || k == 3);
    }

    // A script loaded in the batch window reads relative names against its
    // own folder, whatever the working folder is; Exec is clicked.
    void scriptRelativePaths()
    {
        QTemporaryDir elsewhere;
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        QFile file(m_dir.filePath("relative.bat"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Text));
        file.write("load_I1_files_of_pattern NEW i1/ i1_*eV.tif\n"
                   "load_I0_files NEW i0/i0_7080.00eV.tif\n"
                   "load_I0_files_of_pattern NEW i0/ i0_*eV.tif\n"
                   "calib_load_std ref.dat\n"
                   "calib_exec\n"
                   "calib_save_map out/relative\n");
        file.close();

        Body body;
        body.batchCtrl()->load(file.fileName());
        bool ended = false;
        connect(body.batchDispatcher(), &BatchDispatcher::runEnded, &body, [&ended] { ended = true; });
        QTest::mouseClick(child<QPushButton>(body.batchCtrl(), "Exec"), Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return ended; }, 60000));
        QDir::setCurrent(before);
        QCOMPARE(body.i1Series().size(), 12);
        QCOMPARE(body.i0Series().size(), 12);
        QVERIFY(body.calibCtrl()->standard());
        QVERIFY(QFileInfo::exists(m_dir.filePath("out/relative.emp")));
        QVERIFY(!QFileInfo::exists(QDir(elsewhere.path()).filePath("out/relative.emp")));
        QVERIFY2(!logText(body).contains("Err"), qPrintable(logText(body)));
    }

    // Only the work a line waits for completes it, and only once.
    void strayCompletionsDoNotAdvanceTheScript()
    {
        Body body;
        QSignalSpy completions(&body, &Body::batchLineFinished);
        // No line waits: a completion from work started by hand is not passed on.
        emit body.finishBatchExec();
        QCOMPARE(completions.count(), 0);
        // A line that waits for its load is not completed by anything else; the
        // load's own end (delivered through the event loop) completes it once.
        body.execCmdSlot(CmdLine(script("load_I1_files NEW %D/i1/i1_7080.00eV.tif")), false);
        QCOMPARE(body.batchWaitsFor(), BatchWait::LoadI1);
        emit body.finishBatchExec();
        QCOMPARE(completions.count(), 0);
        QTRY_COMPARE(completions.count(), 1);
        QCOMPARE(body.i1Series().size(), 1);
        QCOMPARE(body.batchWaitsFor(), BatchWait::None);
        emit body.finishBatchExec();
        QCOMPARE(completions.count(), 1);
    }

    // Flat/dark, the spectra of every grid point and their provenance; the data dialog's filters.
    void saveSlotsWriteTheirFiles()
    {
        Body body;
        QVERIFY(BodyScript::run(body, script(LOAD)).failure.isEmpty());
        const QString out = m_dir.filePath("out/slots");
        QVERIFY(QDir().mkpath(out));
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(out);
        body.saveFlatDark();
        QDir::setCurrent(cwd);
        QVERIFY(QFile::exists(out + "/flat.dat") && QFile::exists(out + "/dark.dat"));
        child<QLineEdit>(&body, "HWidth")->setText("2");
        child<QLineEdit>(&body, "VWidth")->setText("2");
        body.imageView()->setSelectedArea(0, 0, 20, 14);
        body.saveEachSpectrum(out + "/xafs");
        QTRY_VERIFY(!body.isSaving());
        QVERIFY(readFile(out + "/xafs.dat").startsWith("# Orvantelle Save Xafs Spectra 1.0\n"));
        QVERIFY(QFile::exists(out + "/xafs.dat.provenance.txt"));
        child<QRadioButton>(&body, "SaveAsRaw")->setChecked(true);
        body.saveEachSpectrum(out + "/raw.txt");
        QTRY_VERIFY(!body.isSaving());
        const QByteArray raw = readFile(out + "/raw.txt");
        QVERIFY(raw.startsWith("# Orvantelle Save Raw Spectra 1.0\n"));
        // Blocks of 5 x 5 pixels: 4 x 3 grid points after the 7 header lines.
        QCOMPARE(raw.count('\n'), 7 + 4 * 3);
        // The provenance names the series, the energy rule and the block size.
        const QString p = QString::fromUtf8(readFile(out + "/raw.txt.provenance.txt"));
        QVERIFY2(p.contains("I1 series        : 12 files, first \"" + m_dir.path() + "/i1/i1_7080.00eV.tif\""), qPrintable(p));
        QVERIFY(p.contains("Bin half width, height : 2 2"));
        QVERIFY(p.contains("Energy rule      : from the file names"));
        body.saveDataCfg()->setSaveAsText();
        body.showSaveDataDialog();
        auto* dialog = child<QFileDialog>(&body, "SaveDataDialog");
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->nameFilters(), QStringList({"Data File (*.dat)", "Any Files (* *.*)"}));
        dialog->hide();
    }

    // A save that fails (nothing shown, a format nothing writes, a directory in
    // the way) names the file and leaves the old one as it was.
    void failedSaveKeepsTheOldFile()
    {
        const QString target = m_dir.filePath("out/keep.png");
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old contents");
        old.close();
        Body body;
        body.saveImage(target);
        QVERIFY2(body.lastFailure().contains("keep.png"), qPrintable(body.lastFailure()));
        QCOMPARE(readFile(target), QByteArray("old contents"));
        QVERIFY(BodyScript::run(body, script(LOAD)).failure.isEmpty());
        body.saveImage(m_dir.filePath("out/keep.nosuchformat"));
        QVERIFY(body.lastFailure().contains("keep.nosuchformat"));
        QVERIFY(!QFile::exists(m_dir.filePath("out/keep.nosuchformat")));
        QVERIFY(QDir().mkpath(m_dir.filePath("out/dir.png")));
        body.saveImage(m_dir.filePath("out/dir.png"));
        QVERIFY(body.lastFailure().contains("dir.png"));
        body.saveImage(target);
        QCOMPARE(QImage(target).size(), QSize(20, 14));
    }

    // A map loaded and saved again without a standard keeps its offsets and
    // edge energy (it used to be written with all offsets 0 and edge 0).
    void resavedMapKeepsItsOffsets()
    {
        {
            Body body;
            const BodyScript::Outcome out = BodyScript::run(
                body, script(LOAD "calib_load_std %D/ref.dat\nset_band_w 1\ncalib_exec\ncalib_save_map %D/out/first"));
            QVERIFY2(out.failure.isEmpty(), qPrintable(out.failure));
        }
        Body fresh;
        const BodyScript::Outcome out =
            BodyScript::run(fresh, script("calib_load_map %D/out/first.emp\ncalib_save_map %D/out/again"));
        QVERIFY2(out.failure.isEmpty(), qPrintable(out.failure));
        const auto part = [this](const char* name, bool body) {
            const QList<QByteArray> lines = readFile(m_dir.filePath(QString("out/%1.emp").arg(name))).split('\n');
            QList<QByteArray> out;
            bool inBody = false;
            for (const QByteArray& l : lines) {
                if (body ? inBody : l.startsWith("Std Edge Energy"))
                    out << l;
                inBody = inBody || l.startsWith("##---");
            }
            return out;
        };
        QCOMPARE(part("again", false), part("first", false));
        const QList<QByteArray> first = part("first", true);
        QCOMPARE(part("again", true), first);
        QVERIFY(first.size() >= 14);
        QVERIFY2(first.at(3).split(' ').count("0") < first.at(3).split(' ').size() - 2, first.at(3).constData());
    }

    // The save dialogs in Japanese.
    void saveDialogsInJapanese()
    {
        QTranslator translator;
        QVERIFY(installJapanese(*qApp, translator));
        {
            Body body;
            child<QPushButton>(&body, "SaveImage")->click();
            child<QPushButton>(&body, "SaveEachSpectrum")->click();
            QCOMPARE(child<QFileDialog>(&body, "SaveImageDialog")->nameFilters(),
                     QStringList({QString::fromUtf8("画像ファイル (*.png)"), QString::fromUtf8("すべてのファイル (* *.*)")}));
            QCOMPARE(child<QFileDialog>(&body, "SaveSpectraDialog")->nameFilters().first(),
                     QString::fromUtf8("XAFS スペクトル (*.dat)"));
            body.saveDataCfg()->setSaveAsText();
            body.showSaveDataDialog();
            QCOMPARE(child<QFileDialog>(&body, "SaveDataDialog")->nameFilters().first(),
                     QString::fromUtf8("データファイル (*.dat)"));
        }
        qApp->removeTranslator(&translator);
    }

private:
    QString script(const char* text) const { return QString::fromLatin1(text).replace("%D", m_dir.path()); }
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestBodyBatch)
#include "tst_bodybatch.moc"
