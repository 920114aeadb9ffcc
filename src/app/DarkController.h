#pragma once

#include "BodyContext.h"
#include "controls/FileDialogOnDemand.h"
#include "io/ImageSource.h"

#include <QObject>
#include <QStringList>
#include <memory>

class CommandTable;
class DarkField;
class Hdf5StackDialog;
class JobRunner;
class QFileDialog;
class TiffData;

// The detector's dark image: "Dark Data" reads it from image files or an
// HDF5 dataset (several frames are averaged) in the background, an HDF5 scan
// brings its own, "Clear Dark" removes it. While a dark is in force it is set
// on every image of both series of its size, whose block sums then subtract
// it on every path; the main window says which dark that is, and the
// provenance sidecars name it. The batch words load_dark and clear_dark.
class DarkController : public QObject
{
    Q_OBJECT
public:
    explicit DarkController(BodyContext& c);
    ~DarkController() override;

    const DarkField* dark() const { return m_dark.get(); }
    bool isLoading() const;
    void stopAndWait();
    // The dark in words for the provenance, empty when none is in force.
    QString description() const;
    // An arriving image gets the dark in force when it has its size.
    void applyTo(TiffData* image) const;

    // Reads and averages the frames in the background, then sets the mean
    // as the dark; false (reported) when it cannot start.
    bool load(const ImageSourcePtr& frames, const QString& origin);
    // Image files, or an HDF5 file with the dataset of its frames (empty:
    // the known layout's dark); false (reported) when it cannot start.
    bool loadFiles(const QStringList& files, const QString& dataset = QString());
    void clear();

signals:
    // The dark load a script waits for has ended; relayed as Body::finishBatchExec().
    void workEnded();

private:
    QFileDialog* makeDialog();
    void setDark(std::shared_ptr<const DarkField> dark);
    void chooseHdf5Dataset(const QString& file);
    void showState();
    void addCommands(CommandTable& t);

    BodyContext& m_c;
    JobRunner* m_runner = nullptr;
    std::shared_ptr<const DarkField> m_dark;
    FileDialogOnDemand m_dialog;   // made when first wanted
    Hdf5StackDialog* m_hdf5Dialog = nullptr;
};
