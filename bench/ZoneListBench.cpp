// Open by map name on a folder of 500 icon pages of 20 to 200 POIs each, written as the game
// writes them (byte order mark, CR LF): the full list in the dialog, the first line on screen,
// closing the dialog mid-scan, the scan alone and the --list-maps output.
// Set VYNMAP_BENCH_KEEP=DIR to keep the generated UI folder (DIR/vynmap/, DIR/editor.INI), e.g. to
// time the command line itself.

#include "WidgetBenchmarkMain.h"
#include "app/CommandLine.h"
#include "document/IconPageFile.h"
#include "tools/ZoneList.h"
#include "tools/ZoneScan.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTextStream>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <random>

namespace {

constexpr int kPageCount = 500;
constexpr int kFewestPois = 20;
constexpr int kMostPois = 200;
constexpr unsigned kSeed = 20261207;
constexpr int kMapSide = 512;
const char* const kTypes[] = {"CLST", "LOC", "MOB", "NAME", "NPC", "QST", "ZONE"};

QByteArray pageBytes(int number, std::mt19937& random)
{
    std::uniform_int_distribution<int> poiCount(kFewestPois, kMostPois);
    std::uniform_int_distribution<int> coordinate(0, kMapSide - 1);
    std::uniform_int_distribution<int> type(0, 6);
    QByteArray bytes = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    bytes += "<Page Name=\"map_" + QByteArray::number(number) + "\" 1location=\"Zone "
        + QByteArray::number((number * 7919) % kPageCount) + "\" Size=\"436,506\">\r\n";
    const int pois = poiCount(random);
    for (int i = 0; i < pois; ++i) {
        const QByteArray style = kTypes[type(random)];
        const QByteArray size = style == "ZONE" ? "14,14" : "12,12";
        bytes += "  <Icon IconStyle=\"" + style + "\" IconType=\"Image\" Location=\""
            + QByteArray::number(coordinate(random)) + "," + QByteArray::number(coordinate(random))
            + "\" Name=\"Point of interest " + QByteArray::number(i)
            + "\" OnHoverIn=\"ShowTooltip\" pathfindlocation=\"" + QByteArray::number(coordinate(random))
            + ".00, 12, -" + QByteArray::number(coordinate(random)) + ".50\" ScrollExtent=\"" + size
            + "\" Size=\"" + size + "\" Tooltip=\"Merchant &amp; trainer&#13;&#10;Open at night\""
              " TreatAsButton=\"true\"/>\r\n";
    }
    bytes += "</Page>\r\n";
    return bytes;
}

// The UI folder with its page folder and a configuration file pointing at it.
struct PageFolderFixture {
    QTemporaryDir temporary;
    QString root;
    std::string pages;
    QString config;

    PageFolderFixture()
    {
        const QByteArray keep = qgetenv("VYNMAP_BENCH_KEEP");
        root = keep.isEmpty() ? temporary.path() : QString::fromLocal8Bit(keep);
        QDir().mkpath(root + "/vynmap");
        std::mt19937 random(kSeed);
        for (int i = 0; i < kPageCount; ++i) {
            QFile file(root + QStringLiteral("/vynmap/icons_map_%1.xml").arg(i));
            file.open(QIODevice::WriteOnly);
            file.write(pageBytes(i, random));
        }
        config = root + "/editor.INI";
        QFile ini(config);
        ini.open(QIODevice::WriteOnly);
        ini.write("[CONFIG]\r\nPATH=" + root.toUtf8() + "/\r\n");
        pages = root.toStdString() + "/vynmap/";
    }
};

PageFolderFixture& fixture()
{
    static PageFolderFixture folder;
    return folder;
}

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A shown dialog scanning the folder; waits for its event loop like the running editor.
std::unique_ptr<TForm7> showDialog()
{
    auto dialog = std::make_unique<TForm7>();
    dialog->setFolder(fixture().pages);
    dialog->show();
    return dialog;
}

template <class Predicate>
void serveUntil(Predicate done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void BM_DialogFullList(benchmark::State& state)
{
    const QString expected = MapsLabelText(kPageCount);
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        auto dialog = showDialog();
        auto* label = dialog->findChild<QLabel*>(QStringLiteral("Label1"));
        serveUntil([&] { return label->text() == expected; });
        state.SetIterationTime(secondsSince(start));
    }
}

void BM_DialogFirstLine(benchmark::State& state)
{
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        auto dialog = showDialog();
        auto* list = dialog->findChild<QListWidget*>(QStringLiteral("ZoneList"));
        serveUntil([&] { return list->count() > 0; });
        QCoreApplication::processEvents();  // the first paint
        state.SetIterationTime(secondsSince(start));
    }
}

void BM_DialogCloseMidScan(benchmark::State& state)
{
    for (auto _ : state) {
        auto dialog = showDialog();
        auto* list = dialog->findChild<QListWidget*>(QStringLiteral("ZoneList"));
        serveUntil([&] { return list->count() > 0; });
        const Clock::time_point start = Clock::now();
        dialog->reject();
        dialog.reset();
        state.SetIterationTime(secondsSince(start));
    }
}

void BM_ScanOnly(benchmark::State& state)
{
    TSimpleXML loader;
    ConfigureIconPageDocument(loader);
    for (auto _ : state) {
        int found = 0;
        ScanZoneFolder(fixture().pages, loader, [&found](ZonePage) { ++found; }, nullptr);
        benchmark::DoNotOptimize(found);
    }
}

void BM_ListMapsOutput(benchmark::State& state)
{
    for (auto _ : state) {
        QString text;
        QTextStream out(&text);
        listMaps(fixture().config, fixture().root + "/vynmap-editor", out);
        benchmark::DoNotOptimize(text);
    }
}

BENCHMARK(BM_DialogFullList)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DialogFirstLine)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DialogCloseMidScan)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListMapsOutput)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
