// A map window file of about 350 KB (75 zone pages, 740 icons among other widgets): opening it and
// listing its zone pages, saving it after one edited value, both against our XML parse of the
// same bytes, switching the window between two 40-icon zone pages, and --check of the file.
#include "SilentPrompts.h"
#include "WidgetBenchmarkMain.h"
#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/IconPageEditor.h"
#include "support/IconPageXml.h"
#include "support/ZonePageFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <string>

namespace {

constexpr int kZonePages = 75;
constexpr int kIcons = 740;
constexpr int kBigPageIcons = 40;
constexpr int kWidgetsPerPage = 12;
const char* const kSizes[] = {"21,21", "31,31", "42,42"};

std::string line(int depth, const std::string& text)
{
    return std::string(static_cast<std::size_t>(depth) * 2, ' ') + text + "\r\n";
}

// The first two zone pages hold 40 icons each, the others share the rest.
int iconsOf(int page)
{
    if (page < 2)
        return kBigPageIcons;
    return (kIcons - 2 * kBigPageIcons) / (kZonePages - 2);
}

std::string mapWindowFile()
{
    std::string file = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n";
    file += line(0, "<Page Name=\"Map\" Location=\"0,0\" Size=\"800,600\">");
    for (int page = 0; page < kZonePages; ++page) {
        // The other widgets of the window: frames, buttons with text, nested panels.
        file += line(1, "<Page Name=\"Panel" + std::to_string(page) + "\" Location=\"4,4\" Size=\"200,40\">");
        for (int w = 0; w < kWidgetsPerPage; ++w)
            file += line(2, "<Button Name=\"B" + std::to_string(w) + "\" Location=\"" + std::to_string(w * 10)
                                + ",2\" Size=\"40,20\" Style=\"/ButtonStyles.standard\">Go " + std::to_string(w)
                                + "</Button>");
        file += line(1, "</Page>");
    }
    file += line(1, "<Page Name=\"MapPage\" Size=\"436,506\">");
    file += line(2, "<Page Name=\"Icons\" ScrollExtent=\"436,506\">");
    int id = 0;
    for (int page = 0; page < kZonePages; ++page) {
        file += line(3, "<Page Name=\"zone_" + std::to_string(page)
                            + "\" ScrollExtent=\"436,506\" Size=\"436,506\" Visible=\"false\">");
        for (int i = 0; i < iconsOf(page); ++i, ++id)
            file += line(4, "<Icon BackgroundTint=\"#FFFFFF\" IconRect=\"0,0,21,21\" IconResource=\"/images/icons.dds\" "
                            "IconStyle=\"style\" IconType=\"map\" Location=\"" + std::to_string(id * 7 % 420) + ","
                            + std::to_string(id * 13 % 490) + "\" MouseOverColor=\"#FFFF00\" Name=\"Icon "
                            + std::to_string(id) + "\" pathfindlocation=\"" + std::to_string(id) + ".5, 3, -"
                            + std::to_string(id) + "\" PressedColor=\"#FF0000\" ScrollExtent=\"21,21\" Size=\""
                            + kSizes[id % 3] + "\" Tooltip=\":0df33755464a2ea6_1:Place " + std::to_string(id)
                            + "\" TreatAsButton=\"true\" />");
        file += line(3, "</Page>");
    }
    file += line(2, "</Page>");
    file += line(1, "</Page>");
    file += line(0, "</Page>");
    return file;
}

const std::string& fileBytes()
{
    static const std::string bytes = mapWindowFile();
    return bytes;
}

// Our XML layer's parse of the same bytes, with the icon page hooks: the yardstick.
void BM_ZoneFileParse(benchmark::State& state)
{
    for (auto _ : state) {
        TSimpleXML document;
        ConfigureIconPageXml(document);
        // As the editor parses a page it has read: the document takes the bytes over.
        benchmark::DoNotOptimize(ParseIconPage(document, fileBytes(), 3));
    }
    state.counters["KB"] = static_cast<double>(fileBytes().size()) / 1024;
}

// Reading the file as zone pages and showing the first: what opening does before the window.
void BM_ZoneFileOpen(benchmark::State& state)
{
    for (auto _ : state) {
        ZonePageFile file(fileBytes());
        TSimpleXML document;
        ConfigureIconPageXml(document);
        file.show(0, document);
        benchmark::DoNotOptimize(file.pages().size());
    }
}

// One edited value: the bytes of the save and taking them as the file read.
void BM_ZoneFileSaveOneEdit(benchmark::State& state)
{
    ZonePageFile file(fileBytes());
    TSimpleXML document;
    ConfigureIconPageXml(document);
    file.show(1, document);
    int round = 0;
    for (auto _ : state) {
        document.Root().Items().Item(0)->Properties().Find("Location")->SetValue(std::to_string(round++ % 400) + ",5");
        std::string bytes = file.editedBytes(1, document.Root());
        file.saved(std::move(bytes), 1, document.Root());
    }
}

// A UI folder holding the map window file, and a configuration file naming the folder.
struct ZoneFileFolder {
    QTemporaryDir dir;
    QString config = dir.filePath(QStringLiteral("bench.INI"));
    QString map = dir.filePath(QStringLiteral("UI/map_window.xml"));

    // False, with the benchmark skipped, when the files cannot be written.
    bool write(benchmark::State& state)
    {
        QDir().mkpath(dir.filePath(QStringLiteral("UI/vynmap")));
        QFile ini(config);
        QFile file(map);
        const auto size = static_cast<qint64>(fileBytes().size());
        if (!ini.open(QIODevice::WriteOnly) || !file.open(QIODevice::WriteOnly)
            || ini.write("[CONFIG]\r\nPATH=" + dir.filePath(QStringLiteral("UI/")).toUtf8() + "\r\n") < 0
            || file.write(fileBytes().data(), size) != size) {
            state.SkipWithError("cannot write the files");
            return false;
        }
        return true;
    }
};

// File > Zone Page in the window, between two 40-icon pages.
void BM_ZonePageSwitch(benchmark::State& state)
{
    ZoneFileFolder folder;
    if (!folder.write(state))
        return;
    SilentPrompts prompts;
    TForm1 window(folder.config, &prompts);
    window.show();
    if (!window.openPage(folder.map + QStringLiteral("#zone_0"))) {
        state.SkipWithError("the file did not open");
        return;
    }
    int page = 0;
    for (auto _ : state)
        window.editor().ShowZonePage(page ^= 1);
}

// --check FILE of the map window file: every zone page checked, the file read and indexed once.
// Reported per zone page.
void BM_CheckZoneFile(benchmark::State& state)
{
    ZoneFileFolder folder;
    if (!folder.write(state))
        return;
    QString printed;
    for (auto _ : state) {
        printed.clear();
        QTextStream out(&printed);
        checkPages(folder.config, {folder.map}, out, false, QString(), CheckWay::Headless);
    }
    if (printed.count(QLatin1Char('\n')) != kZonePages)
        state.SkipWithError("not every zone page was checked");
    state.counters["ZonePages"] = kZonePages;
}

BENCHMARK(BM_ZoneFileParse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoneFileOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoneFileSaveOneEdit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZonePageSwitch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckZoneFile)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
