// Map panel costs on a page of 5,000 POIs: one drag step (event, hit test, repaint of the
// changed rectangles), one hover (hit test, status texts, tooltip lookup) and, for scale, a
// repaint of the whole panel.

#include "PanelEvents.h"
#include "WidgetBenchmarkMain.h"
#include "mapview/MapPanel.h"
#include "mapview/MarkerGeometry.h"

#include <QApplication>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr int kPoiCount = 5000;
constexpr unsigned kSeed = 20240611;
constexpr int kMapSide = 512;
constexpr int kStepPixels = 3;
const QPoint kDragStart(256, 256);

// A shown panel with kPoiCount markers spread over the map and one marker at kDragStart on top.
struct PanelFixture {
    EditorState state;
    MapPanel panel;

    PanelFixture()
    {
        state.DocLoaded = true;
        state.ZoneRect = {-585, -1135, 1635, 1445};
        panel.setEditorState(&state);
        QImage image(kMapSide, kMapSide, QImage::Format_ARGB32);
        image.fill(Qt::darkGreen);
        panel.setMapImage(image);
        std::mt19937 random(kSeed);
        std::uniform_int_distribution<int> coordinate(0, kMapSide - 1);
        for (int i = 0; i < kPoiCount - 1; ++i)
            panel.appendMarker(MarkerRect({coordinate(random), coordinate(random)}, kDefaultIconSize),
                               MarkerFillColour(i % 2 ? "NPC" : "QST"),
                               QStringLiteral("POI %1").arg(i));
        panel.appendMarker(MarkerRect({kDragStart.x(), kDragStart.y()}, kDefaultIconSize),
                           MarkerFillColour("LOC"), QStringLiteral("dragged"));
        panel.show();
        QCoreApplication::processEvents();
    }

    void send(QEvent::Type type, const QPoint& point, Qt::MouseButton button,
              Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        sendMouse(panel, type, point, button, buttons, modifiers);
    }
};

// Pointer positions that walk across the map in small steps, row by row.
QPoint walk(int step)
{
    constexpr int kOrigin = 64;
    constexpr int kStepsPerRow = (kMapSide - 2 * kOrigin) / kStepPixels;
    return {kOrigin + (step % kStepsPerRow) * kStepPixels,
            kOrigin + (step / kStepsPerRow % kStepsPerRow) * kStepPixels};
}

void BM_DragStep(benchmark::State& bench)
{
    PanelFixture fixture;
    fixture.send(QEvent::MouseButtonPress, kDragStart, Qt::RightButton, Qt::RightButton);
    int step = 0;
    for (auto _ : bench) {
        fixture.send(QEvent::MouseMove, walk(step++), Qt::NoButton, Qt::RightButton);
        QCoreApplication::processEvents();  // paints the changed rectangles
    }
    fixture.send(QEvent::MouseButtonRelease, walk(step), Qt::RightButton, Qt::NoButton);
    bench.SetLabel("5000 markers");
}

void BM_Hover(benchmark::State& bench)
{
    PanelFixture fixture;
    int step = 0;
    int tips = 0;
    for (auto _ : bench) {
        const QPoint point = walk(step++);
        fixture.send(QEvent::MouseMove, point, Qt::NoButton, Qt::NoButton);
        tips += !fixture.panel.toolTipAt(point).isEmpty();
    }
    benchmark::DoNotOptimize(tips);
    bench.SetLabel("5000 markers");
}

void BM_FullRepaint(benchmark::State& bench)
{
    PanelFixture fixture;
    for (auto _ : bench)
        fixture.panel.repaint();
    bench.SetLabel("5000 markers");
}

BENCHMARK(BM_DragStep)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Hover)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
