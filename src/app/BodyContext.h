#pragma once

class AlignmentController;
class Analyzer;
class MapsExtraController;
class BatchCtrl;
class BatchExecutor;
class CalibCtrl;
class CalibrationController;
class DarkController;
class Hdf5Controller;
class ImgProc;
class MapsFileController;
class NavigationController;
class QButtonGroup;
class QMainWindow;
class ResultMapController;
class RunController;
class SaveController;
class SaveDataCfg;
class SeriesController;
class SpectrumController;
class XafsView;

namespace Ui {
class Body;
}

// What the main window's controllers share: the window with its form, the
// secondary windows and the controllers themselves. Body fills it while it
// builds them (a controller sets the pointer of the window it creates) and
// owns all of it. A controller reaches a sibling only through here, at the
// time of the call, so the order of building matters only for the wiring.
struct BodyContext {
    QMainWindow* window = nullptr;
    Ui::Body* ui = nullptr;
    // ShowData (0), ShowI0 (1), ShowShiftMap (2), ShowResAnalysis (3).
    QButtonGroup* imageSelect = nullptr;

    BatchCtrl* batchCtrl = nullptr;
    XafsView* xafsView = nullptr;
    CalibCtrl* calib = nullptr;
    Analyzer* analyzer = nullptr;
    SaveDataCfg* saveDataCfg = nullptr;
    ImgProc* imgProc = nullptr;

    BatchExecutor* batch = nullptr;
    SeriesController* series = nullptr;
    NavigationController* navigation = nullptr;
    SpectrumController* spectrum = nullptr;
    CalibrationController* calibration = nullptr;
    ResultMapController* maps = nullptr;
    RunController* runs = nullptr;
    SaveController* saving = nullptr;
    AlignmentController* alignment = nullptr;
    DarkController* dark = nullptr;
    Hdf5Controller* hdf5 = nullptr;
    MapsFileController* mapsFile = nullptr;
    MapsExtraController* mapsExtra = nullptr;
};
