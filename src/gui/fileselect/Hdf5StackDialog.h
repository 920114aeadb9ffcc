#pragma once

#include "io/Hdf5Scan.h"

#include <QDialog>
#include <QVector>

namespace Ui {
class Hdf5StackDialog;
}

// Lists the datasets of an HDF5 file (path, shape, type, filters) and lets
// the user pick the image stack, the flat-field stack, the dark frames and
// the energies with their unit, pre-filled from a known layout. OK checks
// the choice (Hdf5ScanCheck); a problem is shown in the dialog, which stays
// open, and a good choice is passed on by scanChosen(). In dark mode only the
// dark frames are picked.
class Hdf5StackDialog : public QDialog
{
    Q_OBJECT
public:
    enum Mode { ScanMode, DarkMode };

    explicit Hdf5StackDialog(QWidget* parent = nullptr);
    ~Hdf5StackDialog() override;

    // Shows `sets` of `file`, each choice set from `prefill` (empty: none).
    void setCatalog(const QString& file, const QVector<Hdf5Dataset>& sets, const Hdf5Scan& prefill, Mode mode);
    // Lists the datasets of `file`, pre-fills the known layout and shows the
    // dialog; false (with *error, the dialog left as it was) when the file
    // cannot be listed.
    bool openFile(const QString& file, Mode mode, QString* error);
    // The choice as the form holds it.
    Hdf5Scan scan() const;
    Mode mode() const { return m_mode; }

public slots:
    // Checks the choice; passes it on and closes when it is good.
    void accept() override;

signals:
    void scanChosen(Hdf5Scan scan, int mode);

private:
    void fillChoice(class QComboBox* box, const QVector<Hdf5Dataset>& sets, bool (*fits)(const Hdf5Dataset&),
                    const QString& chosen);

    Ui::Hdf5StackDialog* ui;
    QString m_file;
    QString m_layout;
    Mode m_mode = ScanMode;
};
