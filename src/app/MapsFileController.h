#pragma once

#include "BodyContext.h"
#include "controls/FileDialogOnDemand.h"

#include <QObject>

class CommandTable;
class QFileDialog;
struct MapsFileContent;

// "Save all maps (HDF5)" and the batch word save_all_maps_hdf5: every result
// map of the analysis that holds values, the grid, the energies, the
// energy-shift map, the references' spectra and the provenance in one HDF5
// file (MapsHdf5File).
class MapsFileController : public QObject
{
    Q_OBJECT
public:
    explicit MapsFileController(BodyContext& c);
    ~MapsFileController() override;

    // False (reported) when nothing was written.
    bool save(const QString& fname);
    // What the file would hold now.
    MapsFileContent content() const;

private:
    void addCommands(CommandTable& t);

    BodyContext& m_c;
    FileDialogOnDemand m_dialog;   // made when first wanted
};
