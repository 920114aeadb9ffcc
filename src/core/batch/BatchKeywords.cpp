#include "batch/BatchKeywords.h"

#include <QHash>

namespace BatchKeywords {
namespace {

const std::vector<Keyword> directives = {
    {":for", For},
    {":next", Next},
    {":echo", Echo},
    {":rem_start", RemStart},
    {":rem_end", RemEnd},
    {":end", End},
};

const std::vector<Keyword> commands = {
    {"clear_I1_files", 0},
    {"clear_I0_files", 1},
    {"set_i1_energy_pattern", 2},
    {"set_i0_energy_pattern", 3},
    {"load_I1_files", 4},
    {"load_I0_files", 5},
    {"load_I1_files_of_pattern", 6},
    {"load_I0_files_of_pattern", 7},
    {"cut_f_i0", 8},
    {"cut_f_i1", 9},
    {"cut_l_i0", 10},
    {"cut_l_i1", 11},
    {"skip_i0", 12},
    {"skip_i1", 13},
    {"show_latest_i0", 14},
    {"show_latest_i1", 15},
    {"eng_by_name_i0", 16},
    {"eng_by_name_i1", 17},
    {"eng_by_name_reg_exp_i0", 18},
    {"eng_by_name_reg_exp_i1", 19},
    {"eng_by_name_factor_i0", 20},
    {"eng_by_name_factor_i1", 21},
    {"eng_by_calc_i0", 22},
    {"eng_by_calc_i1", 23},
    {"eng_calc_base_i0", 24},
    {"eng_calc_base_i1", 25},
    {"eng_calc_delta_i0", 26},
    {"eng_calc_delta_i1", 27},
    {"eng_calc_end_i0", 28},
    {"eng_calc_end_i1", 29},
    {"eng_calc_num_i0", 30},
    {"eng_calc_num_i1", 31},
    {"eng_calc_even_in_eng_i0", 32},
    {"eng_calc_even_in_eng_i1", 33},
    {"eng_calc_even_in_deg_i0", 34},
    {"eng_calc_even_in_deg_i1", 35},
    {"eng_calc_disp_unit_i0", 36},
    {"eng_calc_disp_unit_i1", 37},
    {"eng_by_ref_i0", 38},
    {"eng_by_ref_i1", 39},
    {"set_fluo_type", 40},
    {"set_band_w", 41},
    {"set_band_h", 42},
    {"select_disp_image", 43},
    {"seek_image", 44},
    {"save_image", 45},
    {"save_image_w_num", 46},
    {"save_all_images", 47},
    {"save_data", 48},
    {"save_data_as_tiff", 49},
    {"move_position", 50},
    {"save_spectra", 51},
    {"select_region", 52},
    {"scale_reset", 53},
    {"zoom_in", 54},
    {"xafs_view_normalize", 55},
    {"xafs_view_enerugy_correction", 56},
    {"analyzer_show_window", 57},
    {"analyzer_set_LCF_std", 58},
    {"analyzer_set_LCF_mode", 59},
    {"analyzer_exec_LCF", 60},
    {"analyzer_select_image", 61},
    {"analyzer_select_image_type", 62},
    {"analyzer_set_ra_energy", 63},
    {"analyzer_set_ra_factor", 64},
    {"analyzer_exec_ra", 65},
    {"analyzer_set_fixed_scale", 66},
    {"analyzer_set_scale_max", 67},
    {"analyzer_set_scale_min", 68},
    {"analyzer_set_dMut_scale_max", 69},
    {"analyzer_set_dMut_scale_min", 70},
    {"analyzer_set_ratio_scale_max", 71},
    {"analyzer_set_ratio_scale_min", 72},
    {"analyzer_view_normalize", 73},
    {"analyzer_view_enerugy_correction", 74},
    {"analyzer_target_elements", 75},
    {"analyzer_select_analysis_mode", 76},
    {"analyzer_elems_select_target", 77},
    {"analyzer_elems_select_show", 78},
    {"analyzer_elems_set_deVs", 79},
    {"analyzer_elems_set_corr_th", 80},
    {"analyzer_elems_select_disp_mode", 81},
    {"analyzer_elems_set_use", 82},
    {"analyzer_elems_sort_by_an", 83},
    {"analyzer_elems_roi", 84},
    {"analyzer_elems_thdmut", 85},
    {"analyzer_elems_no_neg", 86},
    {"analyzer_elems_bg_dMut", 87},
    {"analyzer_elems_bg_dMutR", 88},
    {"analyzer_elems_bg_dE", 89},
    {"analyzer_elems_bg_ROI", 90},
    {"analyzer_elems_bg_NROI", 91},
    {"analyzer_exec_elems", 92},
    {"calib_show_window", 93},
    {"calib_load_std", 94},
    {"calib_set_edge_eV", 95},
    {"calib_exec", 96},
    {"calib_load_map", 97},
    {"calib_clear_map", 98},
    {"calib_save_map", 99},
    {"saveDataCfg_show_window", 100},
    {"saveDataCfg_save_as_tiff", 101},
    {"saveDataCfg_save_as_text", 102},
    {"saveDataCfg_tiff_fix_scale", 103},
    {"saveDataCfg_tiff_scale_min", 104},
    {"saveDataCfg_tiff_scale_max", 105},
    {"saveDataCfg_tiff_as_analyzed", 106},
    {"saveDataCfg_text_as_csv", 107},
    {"saveDataCfg_text_as_ssv", 108},
    {"saveDataCfg_text_as_xyz", 109},
    {"saveDataCfg_text_as_vals", 110},
    {"quit", 111},
};

const std::vector<Keyword> extraCommands = {
    {"align_series", AlignSeries},
    {"calib_set_rule", CalibSetRule},
    {"load_hdf5_scan", LoadHdf5Scan},
    {"load_dark", LoadDark},
    {"clear_dark", ClearDark},
    {"save_all_maps_hdf5", SaveAllMapsHdf5},
    {"load_txrm", LoadTxrm},
    {"edge_maps", EdgeMaps},
    {"pca_run", PcaRun},
    {"kmeans_run", KMeansRun},
    {"cluster_as_reference", ClusterAsReference},
    {"analyzer_nonneg", AnalyzerNonNegative},
};

// Upper-cased word -> id of its first entry in table order.
using Index = QHash<QString, int>;

Index buildIndex(const std::vector<Keyword>& table)
{
    Index index;
    index.reserve(int(table.size()));
    for (const Keyword& k : table) {
        const QString upper = QString::fromLatin1(k.word).toUpper();
        if (!index.contains(upper))
            index.insert(upper, k.id);
    }
    return index;
}

const Index& directiveIndex()
{
    static const Index index = buildIndex(directives);
    return index;
}

const Index& commandIndex()
{
    static const Index index = buildIndex(commands);
    return index;
}

const Index& extraCommandIndex()
{
    static const Index index = buildIndex(extraCommands);
    return index;
}

} // namespace

void init()
{
    directiveIndex();
    commandIndex();
    extraCommandIndex();
}

const std::vector<Keyword>& directiveTable()
{
    return directives;
}

const std::vector<Keyword>& commandTable()
{
    return commands;
}

const std::vector<Keyword>& extraCommandTable()
{
    return extraCommands;
}

int directiveId(const QString& word)
{
    return directiveIndex().value(word.toUpper(), NoDirective);
}

int commandId(const QString& word)
{
    return commandIndex().value(word.toUpper(), NoCommand);
}

int extraCommandId(const QString& word)
{
    if (commandId(word) != NoCommand)
        return NoExtraCommand;
    return extraCommandIndex().value(word.toUpper(), NoExtraCommand);
}

}
