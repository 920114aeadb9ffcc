#pragma once

#include <QFrame>

class QFileDialog;

namespace Ui {
class XafsFileSelect;
}

// A file-chooser row for one spectrum file: a "Use" box, the chosen name and
// Select / Clear buttons. Reference rows and the calibration window's
// standard chooser are made of it.
class XafsFileSelect : public QFrame
{
    Q_OBJECT
public:
    explicit XafsFileSelect(QWidget* parent = nullptr);
    ~XafsFileSelect() override;

    // The Select button's text ("Select Ref1", "Select Std.").
    void setCaption(const QString& caption);
    QString caption() const;
    QString fileName() const;
    // A file has been chosen (and not cleared since).
    bool isFileChosen() const { return m_fileChosen; }
    bool isUsed() const;

public slots:
    // Both: remember the file, show it and emit newFile(fname).
    void load(const QString& fname);
    void fileSelected(const QString& fname);
    // Empties the name and forgets the file (emits cleared()).
    void clear();
    void setUse(bool f);
    void showUse(bool f);

signals:
    void changedUse(bool f);
    void newFile(QString fname);
    void cleared();

private:
    void showDialog();

    Ui::XafsFileSelect* ui;
    QFileDialog* m_dialog = nullptr;
    bool m_fileChosen = false;
};
