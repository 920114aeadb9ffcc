#include "base/StartupOptions.h"
#include "display/ColorTables.h"
#include "imageview/CrossSView.h"
#include "imageview/DispA.h"
#include "ModelEdge.h"
#include "plot/PlotScene.h"
#include "spectrumview/XafsView.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <functional>

namespace {

using ColorTest = std::function<bool(const QColor&)>;

bool isBlack(const QColor& c)
{
    return c.red() < 80 && c.green() < 80 && c.blue() < 80;
}
bool isRed(const QColor& c)
{
    return c.red() > 200 && c.green() < 70 && c.blue() < 70;
}
bool isBlue(const QColor& c)
{
    return c.red() < 70 && c.green() < 70 && c.blue() > 200;
}
ColorTest near(const QColor& want)
{
    return [want](const QColor& c) {
        return std::abs(c.red() - want.red()) < 40 && std::abs(c.green() - want.green()) < 40 &&
               std::abs(c.blue() - want.blue()) < 40;
    };
}

// Whether a pixel within `radius` of p passes the test.
bool found(const QImage& img, QPoint p, int radius, const ColorTest& test)
{
    for (int y = p.y() - radius; y <= p.y() + radius; ++y)
        for (int x = p.x() - radius; x <= p.x() + radius; ++x)
            if (img.valid(x, y) && test(img.pixelColor(x, y)))
                return true;
    return false;
}

int countPixels(const QImage& img, const ColorTest& test)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += test(img.pixelColor(x, y)) ? 1 : 0;
    return n;
}

// A model iron K edge at 7112 + shift eV, 1 eV steps through the edge.
XafsSpectrum ironEdge(double shift, double dE = 0.0)
{
    ModelEdge m;
    m.edge = 7112.0 + shift;
    Spectrum s;
    scan200(0.0, [&](double e) { s.add(e, m.mu(e)); });
    return XafsSpectrum(s, true, dE);
}

QPoint onScreen(const ChCoord* c, double x, double y)
{
    return QPoint(int(c->screenX(x)), int(c->screenY(y)));
}

}

class TestXafsView : public QObject
{
    Q_OBJECT
private slots:
    void formDefaultsAndExtras();
    void endToEnd();
    void crossSectionViews();
};

void TestXafsView::formDefaultsAndExtras()
{
    XafsView v;
    QCOMPARE(v.windowTitle(), QString("XAFS"));
    for (const char* name : {"XVal", "YVal"})
        QVERIFY(v.findChild<QLineEdit*>(name)->isReadOnly());
    QVERIFY(v.findChild<QCheckBox*>("Normalized")->isChecked());
    QVERIFY(v.findChild<QCheckBox*>("ECorrect")->isChecked());
    QVERIFY(!v.findChild<QCheckBox*>("ShowRaw")->isChecked());
    QVERIFY(!v.findChild<QCheckBox*>("ShowFFT")->isChecked());
    QVERIFY(v.findChild<QPushButton*>("Save"));
    DispA* area = v.findChild<DispA*>("Xafs");
    QVERIFY(area);
    QVERIFY(!area->wheelZoomEnabled());

    v.setNormalize(false);
    v.setEnergyCorrection(false);
    QVERIFY(!v.isNormalized());
    QVERIFY(!v.isEnergyCorrected());

    // Pens follow their spectra when one is removed; duplicates are ignored.
    XafsSpectrum a, b, c;
    v.addExtra(&a, QPen(Qt::blue, 2));
    v.addExtra(&b);
    v.addExtra(&a);
    v.addExtra(&c);
    QCOMPARE(v.extraCount(), 3);
    QCOMPARE(v.extraPen(0).color(), QColor(Qt::blue));
    QCOMPARE(v.extraPen(2).color(), ColorTables::palette(2));
    v.removeExtra(&a);
    QCOMPARE(v.extraCount(), 2);
    QCOMPARE(v.extraPen(0).color(), ColorTables::palette(0));
    v.setExtraPen(1, QPen(Qt::magenta));
    QCOMPARE(v.extraPen(1).color(), QColor(Qt::magenta));
    v.clearExtras();
    QCOMPARE(v.extraCount(), 0);
}

void TestXafsView::endToEnd()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    AppPaths::setDataRoot(dir.path());

    XafsView v;
    v.resize(700, 500);
    v.show();
    QVERIFY(QTest::qWaitForWindowExposed(&v));
    DispA* area = v.findChild<DispA*>("Xafs");
    const ChCoord* chart = area->cc();
    QSignalSpy updated(&v, &XafsView::updated);

    // The standard's edge 30 eV above the target's, the extra's 30 eV below.
    const XafsSpectrum target = ironEdge(0.0, 25.0);
    const XafsSpectrum standard = ironEdge(30.0);
    XafsSpectrum extra = ironEdge(-30.0);
    v.setStandard(standard);
    v.addExtra(&extra, QPen(QColor(0, 0, 255), 2));
    const double shift = v.setTarget(target);
    QVERIFY2(std::abs(shift + 30.0) < 0.5, qPrintable(QString::number(shift)));
    QVERIFY(updated.count() >= 1);
    QCOMPARE(v.target().count(), target.count());

    // Normalised: one scale; the target drawn 25 eV lower (its dE).
    auto dn = [](const XafsSpectrum& s, double e) { return s.doubleNormalizedPreBase(e); };
    QImage img = area->grab().toImage();
    QVERIFY(found(img, onScreen(chart, 7127.0 - 25.0, dn(target, 7127.0)), 3, isBlack));
    QVERIFY(found(img, onScreen(chart, 7127.0, dn(standard, 7127.0)), 3, isRed));
    QVERIFY(found(img, onScreen(chart, 7097.0, dn(extra, 7097.0)), 3, isBlue));
    // Without the correction the target moves back; the standard stays.
    v.findChild<QCheckBox*>("ECorrect")->setChecked(false);
    img = area->grab().toImage();
    QVERIFY(found(img, onScreen(chart, 7127.0, dn(target, 7127.0)), 3, isBlack));
    QVERIFY(!found(img, onScreen(chart, 7127.0 - 25.0, dn(target, 7127.0)), 2, isBlack));
    QVERIFY(found(img, onScreen(chart, 7127.0, dn(standard, 7127.0)), 3, isRed));

    // An extra out of use disappears but stays in the list (and is saved).
    extra.setUse(false);
    v.update();
    img = area->grab().toImage();
    QCOMPARE(countPixels(img, isBlue), 0);
    QCOMPARE(v.extraCount(), 1);

    // Edge and energy markers.
    v.setEdgeMarkers({{"Fe-K", 7112.0}});
    v.setEnergyMarker(7300.0);
    img = area->grab().toImage();
    const int edgeX = int(chart->screenX(7112.0));
    const int markY = int((chart->iy0() + chart->iy1()) / 2);
    QVERIFY(found(img, QPoint(edgeX, int(chart->iy1()) + 5), 1, isRed));
    QVERIFY(found(img, QPoint(int(chart->screenX(7300.0)), markY), 2, near(QColor(0, 128, 255))));
    v.setEnergyMarker(-1.0);
    img = area->grab().toImage();
    QCOMPARE(countPixels(img, near(QColor(0, 128, 255))), 0);

    // Raw: every spectrum on its own scale with dashed background lines.
    const int before = updated.count();
    v.findChild<QCheckBox*>("Normalized")->setChecked(false);
    QCOMPARE(updated.count(), before + 1);
    img = area->grab().toImage();
    QVERIFY(found(img, onScreen(chart, 7127.0, target.valueAt(7127.0)), 3, isBlack));
    const QPoint stdRaw = PlotScene::place(*chart, 7127.0, standard.valueAt(7127.0), PlotRange::ofY(standard));
    QVERIFY(found(img, stdRaw, 3, isRed));
    QVERIFY(countPixels(img, near(QColor(0, 192, 220))) > 50);
    QVERIFY(countPixels(img, near(QColor(220, 192, 0))) > 50);

    // The raw intensity series and its Fourier magnitudes.
    Spectrum raw;
    for (int i = 0; i < 100; ++i)
        raw.add(7000.0 + 4 * i, 50000.0 + 8000.0 * std::cos(2 * M_PI * 3 * i / 100.0));
    v.setRawSeries(raw);
    v.findChild<QCheckBox*>("ShowRaw")->setChecked(true);
    img = area->grab().toImage();
    QVERIFY(found(img, onScreen(chart, 40.0, raw.y(40)), 2, near(QColor(192, 0, 0))));
    v.findChild<QCheckBox*>("ShowFFT")->setChecked(true);
    img = area->grab().toImage();
    // The cosine of three periods peaks at k = 3, at the top of the scale.
    QCOMPARE(chart->x1(), 10.0);
    QVERIFY(found(img, onScreen(chart, 3.0, chart->y1()), 2, near(QColor(0, 192, 0))));

    // Mouse read-out in data coordinates.
    v.findChild<QCheckBox*>("ShowRaw")->setChecked(false);
    v.findChild<QCheckBox*>("Normalized")->setChecked(true);
    area->grab();
    const QPoint at = onScreen(chart, 7400.0, 0.5);
    QMouseEvent move(QEvent::MouseMove, QPointF(at), area->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(area, &move);
    const double px = std::abs(chart->realLengthX(1.0));
    QVERIFY(std::abs(v.findChild<QLineEdit*>("XVal")->text().toDouble() - 7400.0) <= 2 * px);
    QVERIFY(std::abs(v.findChild<QLineEdit*>("YVal")->text().toDouble() - 0.5) <= 2 * std::abs(chart->realLengthY(1.0)));
    area->setRealMousePos(7300.0, 0.8);
    QCOMPARE(v.findChild<QLineEdit*>("XVal")->text(), QString("7300"));
    QCOMPARE(v.findChild<QLineEdit*>("YVal")->text(), QString("0.8"));

    // Save through the dialog: -T corrected, -std and -other0 as stored.
    v.findChild<QPushButton*>("Save")->click();
    QFileDialog* dlg = v.findChild<QFileDialog*>();
    QVERIFY(dlg);
    QCOMPARE(dlg->acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(dlg->nameFilters(), QStringList({"Data File (*.dat)", "Any Files (* *.*)"}));
    QCOMPARE(QDir(dlg->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
    emit dlg->fileSelected(dir.filePath("run.dat"));
    dlg->hide();
    Spectrum t, s, o;
    QVERIFY(t.loadFromText(dir.filePath("run-T.dat")));
    QVERIFY(s.loadFromText(dir.filePath("run-std.dat")));
    QVERIFY(o.loadFromText(dir.filePath("run-other0.dat")));
    QCOMPARE(t.count(), target.count());
    QCOMPARE(t.x(0), target.x(0) - 25.0);
    // Six significant digits in the file.
    QVERIFY(std::abs(t.y(100) - target.doubleNormalizedPreBase().y(100)) < 1e-5);
    QCOMPARE(s.x(0), standard.x(0));
    QCOMPARE(o.x(10), extra.x(10));
    QVERIFY(!QFile::exists(dir.filePath("run-other1.dat")));

    // Without a standard the edge shift is 0 and no -std file is written.
    v.clearStandard();
    QCOMPARE(v.setTarget(target), 0.0);
    v.saveData(dir.filePath("again"));
    QVERIFY(QFile::exists(dir.filePath("again-T.dat")));
    QVERIFY(!QFile::exists(dir.filePath("again-std.dat")));
}

void TestXafsView::crossSectionViews()
{
    CrossSView h, vert;
    h.resize(300, 80);
    vert.resize(80, 300);
    vert.setOrientation(1);
    QCOMPARE(vert.orientation(), 1);
    Spectrum p;
    for (int i = 0; i < 300; ++i)
        p.add(i, i < 150 ? 1.0 : 3.0);
    h.setProfile(p);
    vert.setProfile(p);
    h.setCursorPos(100.0);
    vert.setCursorPos(100.0);
    const auto cursorColor = near(QColor(192, 192, 0));

    QImage img = h.grab().toImage();
    // A step up at column 150: low on the left, high on the right; the cursor a column.
    QVERIFY(found(img, QPoint(50, int(h.cc()->screenY(1.0))), 1, isBlack));
    QVERIFY(found(img, QPoint(250, int(h.cc()->screenY(3.0))), 1, isBlack));
    QVERIFY(int(h.cc()->screenY(3.0)) < int(h.cc()->screenY(1.0)));
    QVERIFY(found(img, QPoint(100, 5), 0, cursorColor) && found(img, QPoint(100, 70), 0, cursorColor));

    img = vert.grab().toImage();
    // Rows down the widget, values to the right; the cursor a row.
    QVERIFY(found(img, QPoint(int(vert.cc()->screenX(1.0)), 50), 1, isBlack));
    QVERIFY(found(img, QPoint(int(vert.cc()->screenX(3.0)), 250), 1, isBlack));
    QVERIFY(int(vert.cc()->screenX(3.0)) > int(vert.cc()->screenX(1.0)));
    QVERIFY(found(img, QPoint(5, 100), 0, cursorColor) && found(img, QPoint(70, 100), 0, cursorColor));

    // No profile: a blank view.
    CrossSView empty;
    empty.resize(100, 50);
    QCOMPARE(countPixels(empty.grab().toImage(), isBlack), 0);
}

QTEST_MAIN(TestXafsView)
#include "tst_xafsview.moc"
