#include "base/StartupOptions.h"
#include "DebugCapture.h"
#include "fileselect/EOFSetup.h"
#include "fileselect/SelectDataFiles.h"
#include "i18n/Translation.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>
#include <cmath>
#include <functional>

using PanelStep = std::function<void(SelectDataFiles&)>;
Q_DECLARE_METATYPE(PanelStep)

namespace {

constexpr double hc = 12398.424360387684;
constexpr double d0 = 3.13553;

double energyOfDegrees(double deg)
{
    return hc / (2.0 * d0 * std::sin(deg * M_PI / 180.0));
}

template <class T>
T* child(QWidget* w, const char* name)
{
    T* c = w->findChild<T*>(name);
    if (!c)
        qFatal("no widget %s", name);
    return c;
}

QString text(QWidget* w, const char* name)
{
    return child<QLineEdit>(w, name)->text();
}

bool checked(QWidget* w, const char* name)
{
    return child<QAbstractButton>(w, name)->isChecked();
}

}

class TestSelectDataFiles : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void panelEndToEnd();
    void dialogDefaults();
    void rangeAndPattern_data();
    void rangeAndPattern();
    void energySource_data();
    void energySource();
    void typedEdits();
    void japanese();
    void scanFileRouting_data();
    void scanFileRouting();

private:
    QString writeFile(const QString& name, const QByteArray& content = "x");
    QTemporaryDir m_dir;
};

void TestSelectDataFiles::initTestCase()
{
    QVERIFY(m_dir.isValid());
    AppPaths::setDataRoot(m_dir.path());
}

QString TestSelectDataFiles::writeFile(const QString& name, const QByteArray& content)
{
    const QString path = m_dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestSelectDataFiles::panelEndToEnd()
{
    SelectDataFiles panel;
    panel.setTitle("I1 Data");
    QCOMPARE(child<QPushButton>(&panel, "Select")->text(), QString("I1 Data"));
    QCOMPARE(panel.windowTitle(), QString("I1 Data"));
    QSignalSpy selected(&panel, &SelectDataFiles::filesSelected);
    QSignalSpy index(&panel, &SelectDataFiles::currentIndexChanged);
    QSignalSpy cleared(&panel, &SelectDataFiles::clear);

    // The file dialog: existing files, several, from the data root.
    QTest::mouseClick(child<QPushButton>(&panel, "Select"), Qt::LeftButton);
    QFileDialog* dialog = panel.findChild<QFileDialog*>();
    QVERIFY(dialog);
    QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFiles);
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(dialog->nameFilters(), QStringList({"CTTR Files, IMG Files, Tiff Files (*.dat *.img *.tif *.tiff)",
                                                 "Any Files (* *.*)"}));
    QCOMPARE(QDir(dialog->directory()).canonicalPath(), QDir(m_dir.path()).canonicalPath());
    const QStringList files{writeFile("scan_7112_5000.tif"), writeFile("scan_7113_2500.tif"),
                            writeFile("scan_7114_0000.tif")};
    emit dialog->filesSelected(files);
    dialog->hide();
    QCOMPARE(selected.count(), 1);
    QCOMPARE(selected[0][0].toStringList(), files);
    QCOMPARE(selected[0][1].toBool(), true);

    // Dropped from a file manager: the same signal, with Add Files chosen;
    // folders and remote URLs are left out.
    QTest::mouseClick(child<QRadioButton>(&panel, "AddFiles"), Qt::LeftButton);
    QVERIFY(!checked(&panel, "LoadNewFiles"));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(files[2]), QUrl::fromLocalFile(m_dir.path()),
                  QUrl("http://example.org/a.tif"), QUrl::fromLocalFile(files[0])});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&panel, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&panel, &drop);
    QCOMPARE(selected.count(), 2);
    QCOMPARE(selected[1][0].toStringList(), QStringList({files[2], files[0]}));
    QCOMPARE(selected[1][1].toBool(), false);
    QMimeData folderOnly;
    folderOnly.setUrls({QUrl::fromLocalFile(m_dir.path())});
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &folderOnly, Qt::LeftButton, Qt::NoModifier);
    refused.ignore();
    QApplication::sendEvent(&panel, &refused);
    QVERIFY(!refused.isAccepted());

    // The loading options as the main window reads them.
    panel.setSkip(3);
    panel.setCutF(2);
    panel.setCutL(1);
    QCOMPARE(text(&panel, "Skip"), QString("3"));
    QCOMPARE(QVector<int>({panel.skip(), panel.cutFirst(), panel.cutLast()}), QVector<int>({3, 2, 1}));
    child<QLineEdit>(&panel, "Skip")->setText("abc");
    QCOMPARE(panel.skip(), 0);

    // Images arrive: energies from the names (first pattern, factor 1).
    panel.setLoadProgress(1, 3);
    QLabel* progress = child<QLabel>(&panel, "LoadProgress");
    QVERIFY(!progress->isHidden());
    QCOMPARE(progress->text(), QString("1 / 3"));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(panel.addFile(files[i], i), 7112.5 + 0.75 * i);
    panel.setLoadProgress(3, 3);
    QVERIFY(progress->isHidden());
    QCOMPARE(panel.count(), 3);
    QCOMPARE(child<QLabel>(&panel, "Count")->text(), QString("3"));
    QComboBox* list = child<QComboBox>(&panel, "Selected");
    QCOMPARE(list->itemText(1), files[1]);
    QCOMPARE(panel.energyAt(1), 7113.25);
    QCOMPARE(list->itemData(2).toDouble(), 7114.0);
    QCOMPARE(panel.energyAt(3), 0.0);

    // Without Show Latest, choosing an entry is not passed on.
    index.clear();
    QVERIFY(!panel.showLatest());
    list->setCurrentIndex(2);
    panel.select(1);
    QCOMPARE(index.count(), 0);
    QCOMPARE(panel.currentIndex(), 1);
    panel.setShowLatest(true);
    QVERIFY(checked(&panel, "ShowLatest"));

    // Navigation stays within the list.
    const QVector<std::pair<PanelStep, int>> moves{
        {[](SelectDataFiles& p) { p.select(-1); }, 1}, {[](SelectDataFiles& p) { p.select(3); }, 1},
        {[](SelectDataFiles& p) { p.prev(); }, 0},     {[](SelectDataFiles& p) { p.prev(); }, 0},
        {[](SelectDataFiles& p) { p.select(2); }, 2},  {[](SelectDataFiles& p) { p.next(); }, 2},
        {[](SelectDataFiles& p) { p.prev(); }, 1},     {[](SelectDataFiles& p) { p.next(); }, 2}};
    QVector<int> emitted;
    for (const auto& move : moves) {
        move.first(panel);
        QCOMPARE(panel.currentIndex(), move.second);
    }
    for (const QList<QVariant>& args : index)
        emitted << args[0].toInt();
    QCOMPARE(emitted, QVector<int>({0, 2, 1, 2}));

    // Clear asks the owner; clearFiles empties the list.
    QTest::mouseClick(child<QPushButton>(&panel, "Clear"), Qt::LeftButton);
    QCOMPARE(cleared.count(), 1);
    QCOMPARE(panel.count(), 3);
    panel.setLoadProgress(1, 2);
    panel.clearFiles();
    QCOMPARE(panel.count(), 0);
    QCOMPARE(child<QLabel>(&panel, "Count")->text(), QString("0"));
    QVERIFY(progress->isHidden());

    QTest::mouseClick(child<QPushButton>(&panel, "EngOfFilesSetup"), Qt::LeftButton);
    QVERIFY(panel.eofSetup()->isVisible());
    QVERIFY(panel.eofSetup()->windowTitle().contains("I1 Data"));
}

void TestSelectDataFiles::dialogDefaults()
{
    SelectDataFiles panel;
    EOFSetup* eof = panel.eofSetup();
    QCOMPARE(eof->objectName(), QString("EngOfFilesSetup"));
    QVERIFY(checked(eof, "FromFileName") && !checked(eof, "FromFileNum") && !checked(eof, "FromRefFile"));
    QVERIFY(checked(eof, "EvenInAngle") && !checked(eof, "EvenInEnergy"));
    QComboBox* units = child<QComboBox>(eof, "DisplayUnit");
    QCOMPARE(units->currentIndex(), 0);
    QCOMPARE(units->count(), 3);
    const QStringList fields{text(eof, "Start"), text(eof, "End"), text(eof, "Delta"), text(eof, "NumOfPoints"),
                             text(eof, "Factor"), text(eof, "RefFilePath")};
    QCOMPARE(fields, QStringList({"8000", "9000", "1", "1000", "1", ""}));
    QComboBox* patterns = child<QComboBox>(eof, "PatternList");
    QStringList all;
    for (int i = 0; i < patterns->count(); ++i)
        all << patterns->itemText(i);
    QCOMPARE(all, QStringList({"\\d\\d\\d\\d_\\d\\d\\d\\d", "\\d\\d\\d\\d_\\d\\d", "\\d\\d\\d\\d_\\d\\deV",
                               "\\d\\d\\d\\d\\.\\d\\d\\d\\d", "\\d\\d\\d\\d\\.\\d\\d", "\\d\\d\\d\\d\\.\\d\\deV",
                               "\\d\\d_\\d\\d\\d\\d\\d\\dKeV", "\\d_\\d\\d\\d\\d\\d\\dKeV"}));
    QCOMPARE(patterns->currentIndex(), 0);
    QCOMPARE(text(eof, "Pattern"), all[0]);

    // Defaults by calculation: 8000 eV to 9000 eV, even in angle.
    panel.setEngByCalc(true);
    QCOMPARE(panel.addFile("a.tif", 0), eof->energyOf("b", 0));
    QVERIFY(std::fabs(panel.energyAt(0) - 8000.0) < 1e-9);
    QVERIFY(std::fabs(panel.addFile("a.tif", 1000) - 9000.0) < 1e-9);
    QVERIFY(std::fabs(panel.addFile("a.tif", 500) - 8500.0) > 1.0);
}

void TestSelectDataFiles::rangeAndPattern_data()
{
    QTest::addColumn<PanelStep>("steps");
    QTest::addColumn<QStringList>("fields");   // Start End Delta N Pattern Factor
    QTest::addColumn<int>("patterns");         // entries of PatternList
    QTest::addColumn<int>("current");          // its current entry

    const QString first = "\\d\\d\\d\\d_\\d\\d\\d\\d";
    QTest::newRow("end, then start") << PanelStep([](SelectDataFiles& p) {
        p.setEngCalcEnd(9500);
        p.setEngCalcStart(8000);
    }) << QStringList{"8000", "9500", "1.5", "1000", first, "1"} << 8 << 0;
    QTest::newRow("delta") << PanelStep([](SelectDataFiles& p) { p.setEngCalcDelta(0.5); })
                           << QStringList{"8000", "8500", "0.5", "1000", first, "1"} << 8 << 0;
    QTest::newRow("number of points") << PanelStep([](SelectDataFiles& p) { p.setEngCalcNum(400); })
                                      << QStringList{"8000", "9000", "2.5", "400", first, "1"} << 8 << 0;
    QTest::newRow("6 digits") << PanelStep([](SelectDataFiles& p) { p.setEngCalcStart(7000.123456); })
                              << QStringList{"7000.12", "8000.12", "1", "1000", first, "1"} << 8 << 0;
    QTest::newRow("pattern written, rule not run")
        << PanelStep([](SelectDataFiles& p) { p.setEngByNameRegExp("\\d_\\d\\d\\d\\d\\d\\dkeV"); })
        << QStringList{"8000", "9000", "1", "1000", "\\d_\\d\\d\\d\\d\\d\\dkeV", "1"} << 8 << 0;
    QTest::newRow("factor") << PanelStep([](SelectDataFiles& p) { p.setEngByNameFactor(2.0 / 3.0); })
                            << QStringList{"8000", "9000", "1", "1000", first, "0.666667"} << 8 << 0;
    QTest::newRow("remembered keV pattern chosen") << PanelStep([](SelectDataFiles& p) {
        p.eofSetup()->newPatternSelected("\\d_\\d\\d\\d\\d\\d\\dKeV");
    }) << QStringList{"8000", "9000", "1", "1000", "\\d_\\d\\d\\d\\d\\d\\dKeV", "1000"} << 8 << 7;
    QTest::newRow("new keV pattern added once") << PanelStep([](SelectDataFiles& p) {
        p.setEngByNameRegExp("E\\d\\.\\d\\d\\dkeV");
        p.eofSetup()->newPattern();
        p.eofSetup()->newPattern();
    }) << QStringList{"8000", "9000", "1", "1000", "E\\d\\.\\d\\d\\dkeV", "1000"} << 9 << 8;
    QTest::newRow("eV pattern resets the factor") << PanelStep([](SelectDataFiles& p) {
        p.setEngByNameFactor(1000);
        p.eofSetup()->newPatternSelected("\\d\\d\\d\\d_\\d\\deV");
    }) << QStringList{"8000", "9000", "1", "1000", "\\d\\d\\d\\d_\\d\\deV", "1"} << 8 << 2;
}

void TestSelectDataFiles::rangeAndPattern()
{
    QFETCH(PanelStep, steps);
    QFETCH(QStringList, fields);
    QFETCH(int, patterns);
    QFETCH(int, current);
    SelectDataFiles panel;
    steps(panel);
    EOFSetup* eof = panel.eofSetup();
    QCOMPARE(QStringList({text(eof, "Start"), text(eof, "End"), text(eof, "Delta"), text(eof, "NumOfPoints"),
                          text(eof, "Pattern"), text(eof, "Factor")}),
             fields);
    QCOMPARE(child<QComboBox>(eof, "PatternList")->count(), patterns);
    QCOMPARE(child<QComboBox>(eof, "PatternList")->currentIndex(), current);
}

void TestSelectDataFiles::energySource_data()
{
    QTest::addColumn<PanelStep>("steps");
    QTest::addColumn<QString>("source");   // the checked source button, or empty
    QTest::addColumn<double>("energy");    // of file 10 named a_7112_5000.tif

    const QString ref = writeFile("angles.dat", "title\n14\n13.9\n13.8\n");
    const QString missing = m_dir.filePath("missing.dat");
    const double calc = energyOfDegrees(14.1);   // 14 + 0.01 * 10 in degrees
    auto inDegrees = [](SelectDataFiles& p) {
        p.setDispUnit(2);
        p.setEngCalcStart(14);
        p.setEngCalcDelta(0.01);
    };
    QTest::newRow("name") << PanelStep([](SelectDataFiles&) {}) << "FromFileName" << 7112.5;
    QTest::newRow("calc in eV, even in energy") << PanelStep([](SelectDataFiles& p) {
        p.setEngByCalc(true);
        p.setEvenInEng(true);
        p.setEngCalcDelta(2);
    }) << "FromFileNum" << 8020.0;
    QTest::newRow("calc in keV, even in energy") << PanelStep([](SelectDataFiles& p) {
        p.setEngByCalc(true);
        p.setEvenInDeg(false);
        p.setDispUnit(1);
        p.setEngCalcStart(7);
        p.setEngCalcDelta(0.01);
    }) << "FromFileNum" << 7100.0;
    QTest::newRow("calc in degrees") << PanelStep([inDegrees](SelectDataFiles& p) {
        p.setEngByCalc(true);
        inDegrees(p);
    }) << "FromFileNum" << calc;
    QTest::newRow("unit beyond the list ignored") << PanelStep([inDegrees](SelectDataFiles& p) {
        p.setEngByCalc(true);
        inDegrees(p);
        p.setDispUnit(3);
        p.setDispUnit(-1);
    }) << "FromFileNum" << calc;
    QTest::newRow("name unchecked: calculation") << PanelStep([inDegrees](SelectDataFiles& p) {
        inDegrees(p);
        p.setEngByName(false);
    }) << "" << calc;
    QTest::newRow("ref file") << PanelStep([ref](SelectDataFiles& p) { p.setEngByRef(ref); }) << "FromRefFile"
                              << energyOfDegrees(13.8);
    QTest::newRow("ref choice cleared") << PanelStep([ref, inDegrees](SelectDataFiles& p) {
        inDegrees(p);
        p.setEngByRef(ref);
        p.setEngByRef("");
    }) << "" << calc;
    QTest::newRow("unreadable ref keeps the list") << PanelStep([ref, missing](SelectDataFiles& p) {
        p.setEngByRef(ref);
        p.setEngByRef(missing);
    }) << "FromRefFile" << energyOfDegrees(13.8);
    QTest::newRow("unreadable ref, empty list") << PanelStep([missing](SelectDataFiles& p) {
        p.setEngByRef(missing);
    }) << "FromRefFile" << 8010.0;
}

void TestSelectDataFiles::energySource()
{
    QFETCH(PanelStep, steps);
    QFETCH(QString, source);
    QFETCH(double, energy);
    SelectDataFiles panel;
    steps(panel);
    EOFSetup* eof = panel.eofSetup();
    QString checkedSource;
    for (const char* name : {"FromFileName", "FromFileNum", "FromRefFile"})
        checkedSource += checked(eof, name) ? QString(name) : QString();
    QCOMPARE(checkedSource, source);
    const double e = panel.addFile(m_dir.filePath("a_7112_5000.tif"), 10);
    QVERIFY2(std::fabs(e - energy) <= 1e-9 * energy, qPrintable(QString::number(e, 'g', 17)));
}

void TestSelectDataFiles::typedEdits()
{
    SelectDataFiles panel;
    EOFSetup* eof = panel.eofSetup();
    eof->show();
    QVERIFY(QTest::qWaitForWindowExposed(eof));
    auto type = [eof](const char* name, const QString& value) {
        QLineEdit* edit = child<QLineEdit>(eof, name);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, value);
        QTest::keyClick(edit, Qt::Key_Return);
    };
    type("Start", "7500");
    QCOMPARE(text(eof, "End"), QString("8500"));
    type("NumOfPoints", "abc");
    QCOMPARE(text(eof, "Delta"), QString("inf"));
    type("NumOfPoints", "500");
    QCOMPARE(text(eof, "Delta"), QString("2"));
    type("Pattern", "\\d\\d_\\d\\d\\d\\d\\d\\dkeV");
    type("Pattern", "\\d\\d_\\d\\d\\d\\d\\d\\dkeV");
    QCOMPARE(text(eof, "Factor"), QString("1000"));
    QComboBox* patterns = child<QComboBox>(eof, "PatternList");
    QCOMPARE(patterns->count(), 9);
    // Picking a remembered pattern from the list takes it over.
    patterns->setFocus();
    QTest::keyClick(patterns, Qt::Key_Home);
    QCOMPARE(text(eof, "Pattern"), patterns->itemText(0));
    QCOMPARE(text(eof, "Factor"), QString("1"));
    DebugCapture capture;
    eof->refFileSelected(m_dir.filePath("none.dat"));
    QCOMPARE(DebugCapture::lines(), QStringList{"Can't open ref file " + m_dir.filePath("none.dat")});
    QCOMPARE(text(eof, "RefFilePath"), QString());
}

void TestSelectDataFiles::japanese()
{
    QTranslator translator;
    QVERIFY(installJapanese(*qApp, translator));
    SelectDataFiles panel;
    EOFSetup* eof = panel.eofSetup();
    const QStringList texts{child<QPushButton>(&panel, "Select")->text(), child<QCheckBox>(&panel, "ShowLatest")->text(),
                            child<QRadioButton>(eof, "FromFileNum")->text(), child<QPushButton>(eof, "SelRefFile")->text(),
                            child<QComboBox>(eof, "DisplayUnit")->itemText(2)};
    qApp->removeTranslator(&translator);
    QCOMPARE(texts, QStringList({"選択", "最新を表示", "ファイル番号からエネルギー算出", "選択", "度"}));
}

// A scan file dropped alone, or picked in the "HDF5..." dialog, goes to the
// signal of its kind (by its first bytes, not its name); others are images.
void TestSelectDataFiles::scanFileRouting_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("kind");
    const QString fixtures = QStringLiteral(SCAN_FIXTURES_DIR "/");
    QTest::newRow("HDF5") << fixtures + "hdf5/xanes_layout.h5" << "hdf5";
    QTest::newRow("TXRM") << fixtures + "txrm/three_8x6.txrm" << "txrm";
    QTest::newRow("XRM") << fixtures + "txrm/one_image.xrm" << "txrm";
    QTest::newRow("TIFF named .txrm") << writeFile("not_a_scan.txrm", "II*\0") << "files";
}

void TestSelectDataFiles::scanFileRouting()
{
    QFETCH(QString, file);
    QFETCH(QString, kind);
    SelectDataFiles panel;
    QSignalSpy hdf5(&panel, &SelectDataFiles::hdf5FileChosen);
    QSignalSpy txrm(&panel, &SelectDataFiles::txrmFileChosen);
    QSignalSpy files(&panel, &SelectDataFiles::filesSelected);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(file)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&panel, &enter);
    QDropEvent drop(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&panel, &drop);
    QCOMPARE(QVector<int>({hdf5.count(), txrm.count(), files.count()}),
             QVector<int>({kind == "hdf5", kind == "txrm", kind == "files"}));
    if (kind == "files")
        return;
    QTest::mouseClick(child<QPushButton>(&panel, "SelectHdf5"), Qt::LeftButton);
    QFileDialog* dialog = panel.findChild<QFileDialog*>(QStringLiteral("Hdf5FileDialog"));
    QVERIFY(dialog);
    QVERIFY(dialog->nameFilters().contains(QStringLiteral("TXRM/XRM Files (*.txrm *.xrm)")));
    emit dialog->fileSelected(file);
    dialog->hide();
    QSignalSpy& chosen = kind == "hdf5" ? hdf5 : txrm;
    QCOMPARE(chosen.count(), 2);
    QCOMPARE(chosen.last().first().toString(), file);
}

QTEST_MAIN(TestSelectDataFiles)
#include "tst_selectdatafiles.moc"
