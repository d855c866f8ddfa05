// Several POIs at once on a page of 5,000 in the shown main window: a rubber band selecting all of
// them (tree and markers), one frame of dragging them all, and the undo of that move.

#include "SilentPrompts.h"
#include "PanelEvents.h"
#include "WidgetBenchmarkMain.h"
#include "app/MainWindow.h"
#include "app/PoiSelection.h"
#include "mapview/MapPanel.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <memory>

namespace {

constexpr int kPoiCount = 5000;
constexpr int kMapSide = 436;
constexpr int kStepPixels = 2;
// Outside every marker but on the map image: where a band starts.
const QPoint kEmptyCorner(511, 511);

// A shown window with a page of kPoiCount POIs spread over the map.
struct GroupFixture {
    QTemporaryDir dir;
    SilentPrompts prompts;
    std::unique_ptr<TForm1> window;
    MapPanel* panel = nullptr;

    GroupFixture()
    {
        const QString folder = dir.path() + QStringLiteral("/UI/");
        QDir().mkpath(folder + QStringLiteral("vynmap"));
        write(dir.filePath(QStringLiteral("bench.INI")), "[CONFIG]\r\nPATH=" + folder.toUtf8() + "\r\n");
        QByteArray page = "<?xml version=\"1.0\"?>\r\n<Page Name=\"bench_map\" Size=\"436,506\">\r\n";
        for (int i = 0; i < kPoiCount; ++i) {
            const int key = static_cast<int>(static_cast<long long>(i) * 7919 % kPoiCount);
            page += "<Icon IconStyle=\"NPC\" Location=\"" + QByteArray::number(key % kMapSide) + ","
                + QByteArray::number(key * 3 % kMapSide) + "\" Name=\"POI " + QByteArray::number(key)
                + "\" pathfindlocation=\"" + QByteArray::number(key) + ".50, 12, -1.25\" Size=\"12,12\"/>\r\n";
        }
        const QString path = folder + QStringLiteral("vynmap/icons_bench.xml");
        write(path, page + "</Page>\r\n");
        window = std::make_unique<TForm1>(dir.filePath(QStringLiteral("bench.INI")), &prompts);
        window->show();
        if (!window->openPage(path))
            qFatal("cannot open the page");
        panel = window->mapPanel();
        QCoreApplication::processEvents();
    }

    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }

    void send(QEvent::Type type, const QPoint& point, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        sendMouse(*panel, type, point, button, buttons);
    }

    // A band from the empty corner over the whole map.
    void bandAll()
    {
        send(QEvent::MouseButtonPress, kEmptyCorner, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, QPoint(0, 0), Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, QPoint(0, 0), Qt::LeftButton, Qt::NoButton);
    }
};

void BM_RubberBandSelectAll(benchmark::State& bench)
{
    GroupFixture fixture;
    size_t selected = 0;
    for (auto _ : bench) {
        fixture.bandAll();
        QCoreApplication::processEvents();  // paints the selection
        bench.PauseTiming();
        selected = fixture.window->selection().selectedPois().size();
        fixture.window->selection().select({});
        QCoreApplication::processEvents();
        bench.ResumeTiming();
    }
    if (selected != size_t(kPoiCount))
        bench.SkipWithError("the band did not select every POI");
    bench.SetLabel("5000 POIs");
}

void BM_GroupDragFrame(benchmark::State& bench)
{
    GroupFixture fixture;
    fixture.bandAll();
    const QPoint start = fixture.panel->markerRect(0).center();
    fixture.send(QEvent::MouseButtonPress, start, Qt::RightButton, Qt::RightButton);
    int step = 0;
    for (auto _ : bench) {
        const QPoint to = start + QPoint((step++ % 20) * kStepPixels, kStepPixels);
        fixture.send(QEvent::MouseMove, to, Qt::NoButton, Qt::RightButton);
        QCoreApplication::processEvents();  // paints the moved markers
    }
    fixture.send(QEvent::MouseButtonRelease, start, Qt::RightButton, Qt::NoButton);
    bench.SetLabel("5000 POIs");
}

void BM_GroupMoveUndo(benchmark::State& bench)
{
    GroupFixture fixture;
    fixture.bandAll();
    for (auto _ : bench) {
        bench.PauseTiming();
        fixture.window->moveSelected(QPoint(kStepPixels, 0));
        QCoreApplication::processEvents();
        bench.ResumeTiming();
        fixture.window->EditUndoExecute();
        QCoreApplication::processEvents();
    }
    bench.SetLabel("5000 POIs");
}

BENCHMARK(BM_RubberBandSelectAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GroupDragFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GroupMoveUndo)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
