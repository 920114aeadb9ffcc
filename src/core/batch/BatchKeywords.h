#pragma once

#include <QString>
#include <vector>

// The words of the batch language: the six interpreter directives and the 112
// command words, each with its id. Both tables are process-wide, built once
// (at start-up through init(), or on first use) and read-only afterwards.
// Lookups compare upper-cased words, so keywords are case-insensitive; the
// first matching entry in table order wins.
namespace BatchKeywords {

struct Keyword {
    const char* word;
    int id;
};

enum Directive {
    For = 0,
    Next = 1,
    Echo = 2,
    RemStart = 3,
    RemEnd = 4,
    End = 5,
    NoDirective = 6
};

// Ids of the command words; the executor switches on them.
enum Command {
    ClearI1Files = 0,
    ClearI0Files,
    SetI1EnergyPattern,
    SetI0EnergyPattern,
    LoadI1Files,
    LoadI0Files,
    LoadI1FilesOfPattern,
    LoadI0FilesOfPattern,
    CutFI0,
    CutFI1,
    CutLI0 = 10,
    CutLI1,
    SkipI0,
    SkipI1,
    ShowLatestI0,
    ShowLatestI1,
    EngByNameI0,
    EngByNameI1,
    EngByNameRegExpI0,
    EngByNameRegExpI1,
    EngByNameFactorI0 = 20,
    EngByNameFactorI1,
    EngByCalcI0,
    EngByCalcI1,
    EngCalcBaseI0,
    EngCalcBaseI1,
    EngCalcDeltaI0,
    EngCalcDeltaI1,
    EngCalcEndI0,
    EngCalcEndI1,
    EngCalcNumI0 = 30,
    EngCalcNumI1,
    EngCalcEvenInEngI0,
    EngCalcEvenInEngI1,
    EngCalcEvenInDegI0,
    EngCalcEvenInDegI1,
    EngCalcDispUnitI0,
    EngCalcDispUnitI1,
    EngByRefI0,
    EngByRefI1,
    SetFluoType = 40,
    SetBandW,
    SetBandH,
    SelectDispImage,
    SeekImage,
    SaveImage,
    SaveImageWNum,
    SaveAllImages,
    SaveData,
    SaveDataAsTiff,
    MovePosition = 50,
    SaveSpectra,
    SelectRegion,
    ScaleReset,
    ZoomIn,
    XafsViewNormalize,
    XafsViewEnergyCorrection,
    AnalyzerShowWindow,
    AnalyzerSetLCFStd,
    AnalyzerSetLCFMode,
    AnalyzerExecLCF = 60,
    AnalyzerSelectImage,
    AnalyzerSelectImageType,
    AnalyzerSetRaEnergy,
    AnalyzerSetRaFactor,
    AnalyzerExecRa,
    AnalyzerSetFixedScale,
    AnalyzerSetScaleMax,
    AnalyzerSetScaleMin,
    AnalyzerSetDMutScaleMax,
    AnalyzerSetDMutScaleMin = 70,
    AnalyzerSetRatioScaleMax,
    AnalyzerSetRatioScaleMin,
    AnalyzerViewNormalize,
    AnalyzerViewEnergyCorrection,
    AnalyzerTargetElements,
    AnalyzerSelectAnalysisMode,
    AnalyzerElemsSelectTarget,
    AnalyzerElemsSelectShow,
    AnalyzerElemsSetDeVs,
    AnalyzerElemsSetCorrTh = 80,
    AnalyzerElemsSelectDispMode,
    AnalyzerElemsSetUse,
    AnalyzerElemsSortByAn,
    AnalyzerElemsRoi,
    AnalyzerElemsThDMut,
    AnalyzerElemsNoNeg,
    AnalyzerElemsBgDMut,
    AnalyzerElemsBgDMutR,
    AnalyzerElemsBgDE,
    AnalyzerElemsBgROI = 90,
    AnalyzerElemsBgNROI,
    AnalyzerExecElems,
    CalibShowWindow,
    CalibLoadStd,
    CalibSetEdgeEV,
    CalibExec,
    CalibLoadMap,
    CalibClearMap,
    CalibSaveMap,
    SaveDataCfgShowWindow = 100,
    SaveDataCfgSaveAsTiff,
    SaveDataCfgSaveAsText,
    SaveDataCfgTiffFixScale,
    SaveDataCfgTiffScaleMin,
    SaveDataCfgTiffScaleMax,
    SaveDataCfgTiffAsAnalyzed,
    SaveDataCfgTextAsCsv,
    SaveDataCfgTextAsSsv,
    SaveDataCfgTextAsXyz,
    SaveDataCfgTextAsVals = 110,
    Quit = 111,
    NoCommand = 112
};

// Words beyond the 112 commands, looked up only for a word that is not one
// of them (so the 112 ids and "not a command" stay as they are). They do what
// the windows offer but the command table has no word for.
enum ExtraCommand {
    // align_series [refImage] [thresholdShare]: the I1 series aligned to the
    // binarised edge image of image refImage (default 0), the threshold being
    // thresholdShare (default 0.4) of its strongest edge. Completes later.
    AlignSeries = 200,
    // calib_set_rule 0|1: the calibration rule, half height (0) or fit (1).
    CalibSetRule = 201,
    // load_hdf5_scan FILE [IMAGES [FLATS [DARKS [ENERGIES [eV|keV]]]]]: an
    // HDF5 scan as the I1 series (images), the I0 series (flats) and the
    // dark; a dataset left out is the known layout's, "-" means none.
    // Completes when all of it has arrived.
    LoadHdf5Scan = 202,
    // load_dark FILE...: the dark image, the mean of the image files, or of
    // the dataset (2nd argument, default the layout's dark) of an HDF5 file.
    LoadDark = 203,
    // clear_dark: no dark is subtracted any more.
    ClearDark = 204,
    // save_all_maps_hdf5 FILE: every map of the analysis in one HDF5 file.
    SaveAllMapsHdf5 = 205,
    // load_txrm FILE: a TXRM/XRM file's images as the I1 series with their
    // energies, its reference image (if any) as the one flat of the I0
    // series. Completes when all of it has arrived.
    LoadTxrm = 206,
    // edge_maps [W] [base]: the edge energy, edge jump and white-line maps of
    // the area (white line within [E0, E0 + W], W = 30 eV by default); with
    // base, saved as base_e0.tif/.txt and so on.
    EdgeMaps = 230,
    // pca_run [n] [base]: PCA of the normalised spectra inside the sample,
    // score maps of the first n components (default 3); base as above, plus
    // base_pca.txt (explained variance, component spectra).
    PcaRun = 231,
    // kmeans_run [k] [seed] [base]: k-means (default k 3, seed 1) on the
    // last PCA's scores; the cluster map saved as base_clusters.
    KMeansRun = 232,
    // cluster_as_reference c r file: cluster c's mean spectrum written to
    // file and loaded into reference row r, in use.
    ClusterAsReference = 233,
    // analyzer_nonneg 0|1: fits with fractions >= 0 (on) or free (off).
    AnalyzerNonNegative = 234,
    NoExtraCommand = 299
};

// Builds the tables; start-up calls it before any thread exists.
void init();

const std::vector<Keyword>& directiveTable();
const std::vector<Keyword>& commandTable();
const std::vector<Keyword>& extraCommandTable();

// Id of `word` in the directive table, NoDirective when it is none.
int directiveId(const QString& word);
// Id of `word` in the command table, NoCommand when it is none.
int commandId(const QString& word);
// Id of `word` among the extra words, NoExtraCommand when it is none (and
// always for one of the 112 command words).
int extraCommandId(const QString& word);

}
