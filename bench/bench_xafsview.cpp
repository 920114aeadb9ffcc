#include "imageview/DispA.h"
#include "ModelEdge.h"
#include "spectrumview/XafsView.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

// The widgets need an application object; without a display the offscreen
// platform is used.
void ensureApplication()
{
    if (qApp)
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "orvbench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
}

// A 300-point iron K-edge scan: 3 eV steps below the edge region, 1 eV through
// it, 9 eV above; the edge at 7112 + shift eV.
XafsSpectrum ironEdge300(double shift, double scale)
{
    ModelEdge m;
    m.edge = 7112.0 + shift;
    Spectrum s;
    for (int i = 0; i < 300; ++i) {
        const double e = i < 100 ? 6800.0 + 3.0 * i : i < 200 ? 7100.0 + (i - 100) : 7200.0 + 9.0 * (i - 200);
        s.add(e, scale * m.mu(e));
    }
    return XafsSpectrum(s, true, 1.5);
}

struct Scene {
    XafsView view;
    XafsSpectrum target = ironEdge300(0.0, 1.0);
    XafsSpectrum standard = ironEdge300(-2.0, 1.2);
    XafsSpectrum extras[3] = {ironEdge300(1.0, 0.8), ironEdge300(3.0, 1.1), ironEdge300(-1.0, 0.9)};
    QImage image;

    explicit Scene(bool normalized)
    {
        view.resize(640, 460);
        view.setNormalize(normalized);
        view.setStandard(standard);
        for (const XafsSpectrum& e : extras)
            view.addExtra(&e);
        view.setEdgeMarkers({{"Fe-K", 7112.0}});
        view.setEnergyMarker(7130.0);
        view.setTarget(target);
        DispA* area = view.findChild<DispA*>("Xafs");
        area->resize(630, 420);
        image = QImage(area->size(), QImage::Format_ARGB32_Premultiplied);
    }
    void repaint()
    {
        DispA* area = view.findChild<DispA*>("Xafs");
        area->render(&image);
    }
};

// One repaint of the plot (what every mouse move over the image costs):
// target, standard and three extras; Arg 1 normalised, 0 raw with the
// background lines.
void BM_XafsViewRepaint300(benchmark::State& state)
{
    ensureApplication();
    Scene scene(state.range(0) != 0);
    for (auto _ : state) {
        scene.repaint();
        benchmark::DoNotOptimize(scene.image.constBits());
    }
    state.SetLabel(state.range(0) ? "normalized" : "raw");
}
BENCHMARK(BM_XafsViewRepaint300)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// A new target handed over and repainted, as the main window does per move.
void BM_XafsViewSetTargetAndRepaint300(benchmark::State& state)
{
    ensureApplication();
    Scene scene(true);
    const XafsSpectrum other = ironEdge300(0.5, 1.05);
    bool flip = false;
    for (auto _ : state) {
        scene.view.setTarget(flip ? scene.target : other);
        scene.repaint();
        flip = !flip;
        benchmark::DoNotOptimize(scene.image.constBits());
    }
}
BENCHMARK(BM_XafsViewSetTargetAndRepaint300)->Unit(benchmark::kMillisecond);

}
