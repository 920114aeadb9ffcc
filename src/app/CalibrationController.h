#pragma once

#include "BodyContext.h"
#include "grid/Analyzed2DRes.h"
#include "physics/XafsSpectrum.h"
#include "processing/EMPHeader.h"

#include <QObject>
#include <QString>

class CommandTable;
class JobRunner;
class QTextStream;

// The calibration against a standard and the energy-shift map: the
// calibration window, its job, the map with where it came from (for the
// provenance of saved files), the map's files, and the calibration words.
class CalibrationController : public QObject
{
    Q_OBJECT
public:
    explicit CalibrationController(BodyContext& c);
    ~CalibrationController() override;

    Analyzed2DRes& shiftMap() { return m_shiftMap; }
    const Analyzed2DRes& shiftMap() const { return m_shiftMap; }
    // SaveProvenance::ShiftMap: none, calibrated here or loaded from shiftMapFile().
    int shiftMapOrigin() const { return m_shiftMapOrigin; }
    const QString& shiftMapFile() const { return m_shiftMapFile; }
    bool isCalibrating() const;
    void stopAndWait();
    // Whether target spectra take Victoreen background lines.
    bool targetVictoreen() const;

    void newStdFile();
    void execCalibration();
    void clearShiftMap();
    void saveEMap(const QString& fname);
    void loadEMap(const QString& fname);
    static EMPHeader loadEMapHeader(QTextStream& in);
    void showShiftMap(bool f);
    void normalizeEShift();

signals:
    // The calibration has ended; relayed as Body::finishBatchExec().
    void workEnded();

private:
    // After the map changed: the image view and the spectrum at the mouse.
    void mapChanged();
    void addCommands(CommandTable& t);

    BodyContext& m_c;
    JobRunner* m_runner = nullptr;
    XafsSpectrum m_standard;
    bool m_hasStandard = false;
    Analyzed2DRes m_shiftMap;
    int m_shiftMapOrigin = 0;   // SaveProvenance::ShiftMap
    QString m_shiftMapFile;
    // The standard edge energy the map's shifts refer to (0: none).
    double m_mapEdgeEnergy = 0.0;
};
