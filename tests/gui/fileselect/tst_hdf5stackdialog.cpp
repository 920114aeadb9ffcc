// The HDF5 scan dialog on the h5py-written fixtures: the known layout fills
// the choices, a bad choice is explained in the dialog, which stays open, and
// a good one is passed on.

#include "fileselect/Hdf5StackDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

namespace {

QString fixture(const char* name)
{
    return QStringLiteral(HDF5_FIXTURES_DIR "/") + QLatin1String(name);
}

QComboBox* box(const QDialog& d, const char* name)
{
    return d.findChild<QComboBox*>(QLatin1String(name));
}

}

class TestHdf5StackDialog : public QObject
{
    Q_OBJECT
private slots:
    void prefilledFromLayout();
    void badChoiceStaysOpen();
    void darkMode();
};

void TestHdf5StackDialog::prefilledFromLayout()
{
    const QString file = fixture("exchange_layout.h5");
    QVector<Hdf5Dataset> sets;
    QString error;
    QVERIFY(Hdf5Catalog::list(file, &sets, &error));
    Hdf5Scan known;
    QVERIFY(Hdf5Layouts::recognise(sets, &known));
    Hdf5StackDialog dialog;
    dialog.setCatalog(file, sets, known, Hdf5StackDialog::ScanMode);
    QCOMPARE(dialog.findChild<QTableWidget*>("Datasets")->rowCount(), sets.size());
    QCOMPARE(dialog.scan().images, QStringLiteral("/exchange/data"));
    QCOMPARE(dialog.scan().flats, QStringLiteral("/exchange/data_white"));
    QCOMPARE(dialog.scan().energies, QStringLiteral("/exchange/energy"));
    // Only 3-D numbers are offered as the image stack; "(none)" comes first.
    QComboBox* images = box(dialog, "ImagesSet");
    for (int i = 1; i < images->count(); ++i)
        QCOMPARE(Hdf5Catalog::find(sets, images->itemData(i).toString())->rank(), 3);
    QCOMPARE(box(dialog, "EnergiesSet")->count(), 2);

    QSignalSpy chosen(&dialog, &Hdf5StackDialog::scanChosen);
    dialog.show();
    dialog.accept();
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.at(0).at(0).value<Hdf5Scan>().darks, QStringLiteral("/exchange/data_dark"));
    QVERIFY(!dialog.isVisible());
}

void TestHdf5StackDialog::badChoiceStaysOpen()
{
    const QString file = fixture("energy_count.h5");
    QVector<Hdf5Dataset> sets;
    QString error;
    QVERIFY(Hdf5Catalog::list(file, &sets, &error));
    Hdf5Scan known;
    QVERIFY(Hdf5Layouts::recognise(sets, &known));
    Hdf5StackDialog dialog;
    dialog.setCatalog(file, sets, known, Hdf5StackDialog::ScanMode);
    QSignalSpy chosen(&dialog, &Hdf5StackDialog::scanChosen);
    dialog.show();
    dialog.accept();
    QCOMPARE(chosen.count(), 0);
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.findChild<QLabel*>("CheckMessage")->text().contains(QLatin1String("3 energies for 4 images")));
    // Without energies the same images are fine.
    box(dialog, "EnergiesSet")->setCurrentIndex(0);
    dialog.accept();
    QCOMPARE(chosen.count(), 1);
}

void TestHdf5StackDialog::darkMode()
{
    const QString file = fixture("xanes_layout.h5");
    QVector<Hdf5Dataset> sets;
    QString error;
    QVERIFY(Hdf5Catalog::list(file, &sets, &error));
    Hdf5StackDialog dialog;
    dialog.setCatalog(file, sets, Hdf5Scan(), Hdf5StackDialog::DarkMode);
    QVERIFY(!box(dialog, "ImagesSet")->isEnabled());
    QSignalSpy chosen(&dialog, &Hdf5StackDialog::scanChosen);
    dialog.accept();
    QCOMPARE(chosen.count(), 0);
    QComboBox* darks = box(dialog, "DarksSet");
    darks->setCurrentIndex(darks->findData(QStringLiteral("/img_dark")));
    dialog.accept();
    QCOMPARE(chosen.count(), 1);
    const Hdf5Scan s = chosen.at(0).at(0).value<Hdf5Scan>();
    QCOMPARE(s.darks, QStringLiteral("/img_dark"));
    QVERIFY(s.images.isEmpty());
}

QTEST_MAIN(TestHdf5StackDialog)
#include "tst_hdf5stackdialog.moc"
