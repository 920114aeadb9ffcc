#pragma once

#include "BodyContext.h"
#include "controls/FileDialogOnDemand.h"

#include <QObject>
#include <QString>
#include <memory>

class Analyzed2DRes;
class CommandTable;
class JobRunner;
class QFileDialog;
class SaveFileJob;
struct SaveProvenance;

// Saving: the picture on show, result maps as 16-bit TIFF or text, the
// spectra of a grid and the flat/dark pair, with the save dialogs, the save
// configuration window and a provenance sidecar next to every saved map and
// spectra file; the batch words of saving and of the save configuration.
// Nothing replaces a good file until its new version is complete; a save
// that fails is reported by name.
class SaveController : public QObject
{
    Q_OBJECT
public:
    explicit SaveController(BodyContext& c);
    ~SaveController() override;

    // A spectra file or a large text map is being written.
    bool isSaving() const;
    void stopAndWait();
    // Writes the provenance sidecar of a saved file; false (reported) when that fails.
    // `mapNote`: what the map's values mean (SaveProvenance::mapNote);
    // `spectrumAt`: where a spectrum file's spectrum comes from.
    bool writeProvenance(const QString& savedFile, const QString& mapNote = QString(),
                         const QString& spectrumAt = QString());
    // The note of a map whose values need one (the fit-quality map), else empty.
    QString mapNoteOf(const Analyzed2DRes* map) const;
    // Where the current results come from (series, rules, references, dark).
    SaveProvenance provenance(const QString& mapNote = QString()) const;

    void saveImage(const QString& fname);
    void saveImageWNum(const QString& fname, const QString& num);
    void saveAllImages(const QString& fname);
    void showSaveDataDialog();
    void saveData(const QString& fname);
    void saveDataAsTiff(const QString& fname, int ext);
    void saveDataAsText(const QString& fname, int ext);
    void saveFlatDark();
    void saveEachSpectrum(const QString& fname);
    void saveEachXafsSpectrum(const QString& fname);
    void saveEachRawSpectrum(const QString& fname);

signals:
    // A file job a script waits for has ended; relayed as Body::finishBatchExec().
    void workEnded();

private:
    // Starts a file job on the save runner; the batch waits for it.
    void startSaveJob(const std::shared_ptr<SaveFileJob>& job);
    // The 16-bit TIFF of the selected map under fname numbered with ext;
    // false (reported) when nothing was written.
    bool writeMapTiff(const QString& fname, int ext);
    void startSpectraFile(const QString& fname, bool raw);
    void addCommands(CommandTable& t);
    void addConfigCommands(CommandTable& t);

    BodyContext& m_c;
    JobRunner* m_runner = nullptr;
    // Made when first wanted.
    FileDialogOnDemand m_imageDialog;
    FileDialogOnDemand m_dataDialog;
    FileDialogOnDemand m_spectraDialog;
};
