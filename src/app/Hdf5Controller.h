#pragma once

#include "BodyContext.h"
#include "io/Hdf5Scan.h"
#include "io/ImageSource.h"

#include <QObject>

class CommandTable;
class Hdf5StackDialog;

// HDF5 scans: "HDF5..." in either series panel (or a scan file dropped on
// one) lists the file's datasets in the scan dialog; the chosen scan loads
// as the I1 series (images, the file's energies), the I0 series (flats, one
// per energy or averaged into one) and the dark (its frames averaged), in
// the background with the panels' progress. A scan that does not arrive
// whole is not kept. The batch word load_hdf5_scan. TXRM/XRM files (the same
// file dialog, a drop, the batch word load_txrm) load the same way: their
// images as I1 with their energies, their reference image as one flat.
class Hdf5Controller : public QObject
{
    Q_OBJECT
public:
    explicit Hdf5Controller(BodyContext& c);
    ~Hdf5Controller() override;

    // Checks the scan and starts its loads; false (reported, nothing
    // changed) when the check fails.
    bool loadScan(const Hdf5Scan& scan);
    // Opens the scan dialog on `file` (the known layout pre-filled).
    void chooseScan(const QString& file);
    // Checks a TXRM/XRM file and starts its loads; false (reported,
    // nothing changed) when the check fails.
    bool loadTxrm(const QString& file);

private:
    // Starts the loads of a checked scan file (flats may be null).
    void start(const QString& file, const ImageSourcePtr& images, const ImageSourcePtr& flats);
    void loadEnded(bool i1, int request);
    void addCommands(CommandTable& t);
    // load_hdf5_scan FILE [IMAGES [FLATS [DARKS [ENERGIES [UNIT]]]]]
    bool loadByScript(const QStringList& args);
    // load_txrm FILE
    bool loadTxrmByScript(const QString& file);

    BodyContext& m_c;
    Hdf5StackDialog* m_dialog = nullptr;
    // The loads of the last scan, 0 when none is on its way.
    QString m_file;
    int m_i1Request = 0;
    int m_i0Request = 0;
    bool m_withFlats = false;
};
