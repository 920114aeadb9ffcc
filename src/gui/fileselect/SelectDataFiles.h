#pragma once

#include <QFrame>
#include <QStringList>
#include <QVector>

class EOFSetup;
class QFileDialog;

namespace Ui {
class SelectDataFiles;
}

// The file panel of one image series (I0 or I1): picks the image files (file
// dialog or files dropped from a file manager), holds the loading options
// skip, cut-first and cut-last, lists the loaded images with their energies
// and owns the energy-of-files dialog that gives each image its energy.
class SelectDataFiles : public QFrame
{
    Q_OBJECT
public:
    explicit SelectDataFiles(QWidget* parent = nullptr);
    ~SelectDataFiles() override;

    // Energy of the image from the energy-of-files dialog; appends an entry
    // (text = path, data = energy), updates the count, returns the energy.
    double addFile(const QString& path, int fileNo);
    // The same for an image whose file gives its energy (an HDF5 scan): the
    // energy rule is not asked, now or when the energies are re-assigned.
    double addFileWithEnergy(const QString& path, double energy);

    // The loading options as typed (text that is not a number reads as 0).
    int skip() const;
    int cutFirst() const;
    int cutLast() const;
    bool showLatest() const;

    int currentIndex() const;
    int count() const;
    // Energy of entry i; 0 when there is no such entry.
    double energyAt(int i) const;
    // The paths of the entries, in order.
    QStringList paths() const;
    // Every entry got an energy of its own from the rule (none fell back on
    // its file number); false without entries.
    bool energiesKnown() const;
    // Gives every entry the energy the rule gives it now and returns them in
    // entry order (energiesReassigned follows).
    QVector<double> reassignEnergies();

    // The Select button's text and the window title ("I1 Data", "I0 Data").
    void setTitle(const QString& t);
    EOFSetup* eofSetup() const { return m_eofSetup; }

    // Shows "done / asked" while a load runs; hidden once done reaches asked.
    void setLoadProgress(int done, int asked);

public slots:
    // Connected to the list's index change: passed on only with Show Latest.
    void newImageSelected(int i);
    void clearFiles();
    void prev();
    void next();
    void select(int idx);
    void setSkip(int skip);
    void setCutF(int cutF);
    void setCutL(int cutL);
    void setShowLatest(bool f);
    void setEngByName(bool f);
    void setEngByCalc(bool f);
    void setEngCalcStart(double start);
    void setEngCalcDelta(double delta);
    void setEngCalcEnd(double end);
    void setEngCalcNum(int n);
    void setEvenInEng(bool f);
    void setEvenInDeg(bool f);
    void setDispUnit(int idx);
    void setEngByNameRegExp(const QString& pattern);
    void setEngByNameFactor(double factor);
    void setEngByRef(const QString& fname);
    // Files chosen in the file dialog or dropped on the panel: emits
    // filesSelected(files, Load New Files checked).
    void filesChosen(const QStringList& files);

signals:
    void currentIndexChanged(int idx);
    // newFile: the selection replaces the series (Load New Files) rather
    // than being added to it.
    void filesSelected(QStringList files, bool newFile);
    void clear();
    // An HDF5 scan file was chosen ("HDF5..." or dropped on the panel).
    void hdf5FileChosen(QString file);
    // A TXRM/XRM file was chosen (in the same dialog, or dropped).
    void txrmFileChosen(QString file);
    // OK or Apply in the Energy Setup re-assigned the energies of the entries.
    void energiesReassigned(QVector<double> energies);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void showFileDialog();
    void showHdf5Dialog();
    void scanFileChosen(const QString& file);
    void showEOFSetup();
    // Adds one entry with its energy; fileNo is the number the energy rule
    // reads (fileEnergy for an energy from the file), known whether the
    // energy is a real one.
    double addEntry(const QString& path, double energy, int fileNo, bool known);
    // The energy of the current entry beside the list.
    void showCurrentEnergy();

    Ui::SelectDataFiles* ui;
    // A window of its own; deleted with the panel.
    EOFSetup* m_eofSetup;
    QFileDialog* m_dialog = nullptr;
    QFileDialog* m_hdf5Dialog = nullptr;
};
