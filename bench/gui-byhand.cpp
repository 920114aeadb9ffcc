// gui-byhand DIR: a demo measurement (tools/make-demo) worked through the
// windows as a new user would, offscreen, with the program's defaults
// wherever the user has no reason to touch anything. Prints one
// "name: value" line per figure:
//   live_<compound>, true_<compound>   the live fit at pixel (128, 61) with the
//                     default block, against the true fractions there (block mean)
//   live_max_error    the largest of the three differences
//   map_mae, map_p95  an LCF map made through the windows (calibration on the
//                     foil, "Align Series" with its defaults, single pixels)
//                     against the truth
//   aligned_moved     images the alignment moved
// Nothing is typed that a window offers to choose: the energy pattern is
// picked from the panel's list and applied with the Energy Setup's OK.

#include "DemoData.h"
#include "GuiDriver.h"

#include "analyzer/Analyzer.h"
#include "analyzer/LCFReference.h"
#include "Body.h"
#include "calibration/CalibCtrl.h"
#include "display/ColorTables.h"
#include "fileselect/EOFSetup.h"
#include "fileselect/SelectDataFiles.h"
#include "grid/Analyzed2DRes.h"
#include "imageproc/ImgProc.h"
#include "imageview/ImgDispA.h"
#include "io/TiffData.h"
#include "spectrumview/XafsFileSelect.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <cmath>
#include <cstdio>

namespace {

const char* const demoPattern = "\\d\\d\\d\\d\\.\\d\\deV";

// Picks the demo's energy pattern from the panel's list and presses OK.
bool pickEnergyPattern(SelectDataFiles* panel)
{
    EOFSetup* setup = panel->eofSetup();
    auto* list = setup->findChild<QComboBox*>(QStringLiteral("PatternList"));
    const int i = list ? list->findText(QString::fromLatin1(demoPattern)) : -1;
    if (i < 0)
        return false;
    list->setCurrentIndex(i);
    auto* buttons = setup->findChild<QDialogButtonBox*>(QStringLiteral("ApplyButtons"));
    if (!buttons || !buttons->button(QDialogButtonBox::Ok))
        return false;
    QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
    return true;
}

void load(Body& body, const QDir& dir, const QString& i1Folder)
{
    emit body.i1Panel()->filesSelected(DemoData::tiffFiles(dir.filePath(i1Folder)), true);
    GuiDriver::waitUntil([&] { return !body.isLoading(); });
}

// Moves the mouse over image pixel (x, y) of the main view with a real event.
void hover(Body& body, int x, int y)
{
    ImgDispA* view = body.imageView();
    const QPoint s = view->screenPointOf(QPointF(x + 0.5, y + 0.5)).toPoint();
    QWidget* top = view->window();
    QTest::mouseMove(top->windowHandle(), view->mapTo(top, s));
    QApplication::processEvents();
}

double blockMean(const DemoData::Truth& t, int k, int cx, int cy, int hw, int hh)
{
    double sum = 0.0;
    int n = 0;
    for (int y = cy - hh; y <= cy + hh; ++y)
        for (int x = cx - hw; x <= cx + hw; ++x)
            if (x >= 0 && y >= 0 && x < t.width && y < t.height) {
                sum += t.fractions[k][std::size_t(y) * t.width + x];
                ++n;
            }
    return n ? sum / n : 0.0;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ColorTables::init();
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: gui-byhand DIR\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    Body body;
    body.show();
    if (!QTest::qWaitForWindowExposed(&body))
        std::fprintf(stderr, "gui-byhand: the main window was not shown; going on\n");
    Analyzer* analyzer = body.analyzer();
    analyzer->show();

    // Both series first, the energies afterwards (the way round a user who
    // only then notices the axis would do it).
    emit body.i0Panel()->filesSelected(DemoData::tiffFiles(dir.filePath(QStringLiteral("i0"))), true);
    load(body, dir, QStringLiteral("i1"));
    if (body.i1Series().isEmpty() || body.i0Series().isEmpty()) {
        std::fprintf(stderr, "gui-byhand: no series in %s\n", argv[1]);
        return 1;
    }
    if (!pickEnergyPattern(body.i1Panel()) || !pickEnergyPattern(body.i0Panel())) {
        std::fprintf(stderr, "gui-byhand: the Energy Setup offers no demo pattern or no OK\n");
        return 1;
    }
    const int width = body.imageWidth(), height = body.imageHeight();
    DemoData::Truth truth;
    if (!truth.read(dir.path(), width, height)) {
        std::fprintf(stderr, "gui-byhand: cannot read the truth maps\n");
        return 1;
    }

    // The three references, each chosen in its row; nothing else changed.
    for (int k = 0; k < DemoData::compoundCount; ++k)
        analyzer->refs()[k]->fileSelect()->fileSelected(
            dir.filePath(QStringLiteral("refs/%1.dat").arg(DemoData::compounds[k])));
    const int hw = body.findChild<QLineEdit*>(QStringLiteral("HWidth"))->text().toInt();
    const int hh = body.findChild<QLineEdit*>(QStringLiteral("VWidth"))->text().toInt();
    hover(body, 100, 100);
    hover(body, 128, 61);
    QTest::qWait(300);
    std::fprintf(stderr, "mouse at %d %d\n", body.mouseX(), body.mouseY());
    double worst = 0.0;
    for (int k = 0; k < DemoData::compoundCount; ++k) {
        const double live = analyzer->refs()[k]->coefficient();
        const double want = blockMean(truth, k, 128, 61, hw, hh);
        worst = std::max(worst, std::fabs(live - want));
        std::printf("live_%s: %.4f\n", DemoData::compounds[k], live);
        std::printf("true_%s: %.4f\n", DemoData::compounds[k], want);
    }
    std::printf("live_block: %d x %d\n", 2 * hw + 1, 2 * hh + 1);
    std::printf("live_max_error: %.4f\n", worst);

    // The map by hand, with the block sizes the demo script uses: the foil
    // (calib/) as I1 calibrated against the standard in 3 x 3 blocks, the
    // sample loaded again and aligned with the window's defaults, an LCF run
    // at single pixels over the whole image.
    auto* hwEdit = body.findChild<QLineEdit*>(QStringLiteral("HWidth"));
    auto* vwEdit = body.findChild<QLineEdit*>(QStringLiteral("VWidth"));
    const auto setBlock = [&](const char* half) {
        for (QLineEdit* e : {hwEdit, vwEdit}) {
            e->selectAll();
            QTest::keyClicks(e, QString::fromLatin1(half));
            QTest::keyClick(e, Qt::Key_Return);
        }
    };
    load(body, dir, QStringLiteral("calib"));
    CalibCtrl* calib = body.calibCtrl();
    calib->show();
    calib->findChild<XafsFileSelect*>(QStringLiteral("SelectStd"))->fileSelected(dir.filePath(QStringLiteral("std/fe_foil.dat")));
    setBlock("1");
    body.imageView()->setSelectedArea(0, 0, width, height);
    QTest::mouseClick(calib->findChild<QPushButton*>(QStringLiteral("ExecCalib")), Qt::LeftButton);
    GuiDriver::waitUntil([&] { return !body.isCalibrating(); });
    load(body, dir, QStringLiteral("i1"));
    ImgProc* proc = body.imgProc();
    proc->show();
    QTest::mouseClick(proc->findChild<QPushButton*>(QStringLiteral("AlignSeries")), Qt::LeftButton);
    GuiDriver::waitUntil([&] { return !body.isAligning(); });
    int moved = 0;
    for (const TiffData* t : body.i1Series().images())
        moved += (t->shiftX() != 0 || t->shiftY() != 0) ? 1 : 0;
    setBlock("0");
    body.imageView()->setSelectedArea(0, 0, width, height);
    QTest::mouseClick(analyzer->findChild<QPushButton*>(QStringLiteral("AskAnalyze")), Qt::LeftButton);
    QTest::qWait(200);
    GuiDriver::waitUntil([&] { return !body.isRunning2D(); });
    QVector<Analyzed2DRes*> fractions;
    for (int k = 0; k < DemoData::compoundCount; ++k)
        fractions.append(analyzer->refs()[k]->map(LCFReference::Fraction));
    double mae = 0.0, p95 = 0.0;
    DemoData::fractionErrors(truth, fractions, &mae, &p95);
    std::printf("aligned_moved: %d\n", moved);
    std::printf("map_mae: %.4f\n", mae);
    std::printf("map_p95: %.4f\n", p95);
    return 0;
}
