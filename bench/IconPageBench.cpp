// Opening and saving icon pages of 500 and 5,000 POIs on the real main window (offscreen):
// reading the page, the POI tree and the markers, the first paint of the window, and the bytes
// and file write of a save, and the peak memory per POI of opening 5,000 and 50,000 POIs; the
// opening of 50,000 POIs until shown against the page check of the same page.
// Run: build/bench/IconPageBench

#include "ProcessMemory.h"
#include "SilentPrompts.h"
#include "WidgetBenchmarkMain.h"
#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/IconPageEditor.h"
#include "document/IconPageFile.h"
#include "mapview/MapPanel.h"
#include "support/AtomicFile.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTextStream>

#include <malloc.h>

#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr int kSmallPage = 500;
constexpr int kLargePage = 5000;
constexpr int kHugePage = 50000;
constexpr double kBytesPerKiB = 1024.0;
constexpr int kMapSize = 436;
const char* const kTypes[] = {"CLST", "LOC", "MOB", "NAME", "NPC", "QST", "ZONE"};

// A UI folder with a configuration file pointing at it and one generated page per size.
class BenchFolder {
public:
    BenchFolder()
    {
        QDir().mkpath(root() + QStringLiteral("vynmap"));
        writeFile(configPath(), "[CONFIG]\r\nPATH=" + root().toUtf8() + "\r\n");
    }

    QString root() const { return m_dir.path() + QStringLiteral("/UI/"); }
    QString configPath() const { return m_dir.filePath(QStringLiteral("bench.INI")); }

    // icons_<count>.xml with `count` POIs in shuffled name order, as the game writes them.
    QString pagePath(int count)
    {
        const QString path = root() + QStringLiteral("vynmap/icons_%1.xml").arg(count);
        if (!QFile::exists(path))
            writeFile(path, generatedPage(count));
        return path;
    }

private:
    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }

    static QByteArray generatedPage(int count)
    {
        QByteArray page = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<Page Name=\"bench_map\" 1location=\"Bench Zone\" Size=\"436,506\">\r\n";
        for (int i = 0; i < count; ++i) {
            // A multiplicative shuffle, so the tree really has to sort.
            const int key = static_cast<int>((static_cast<long long>(i) * 7919) % count);
            const QByteArray size = (i % 7 == 6) ? "14,14" : "12,12";
            page += "<Icon IconStyle=\"" + QByteArray(kTypes[i % 7]) + "\" IconType=\"map\" Location=\""
                + QByteArray::number(key % kMapSize) + "," + QByteArray::number((key * 3) % kMapSize)
                + "\" Name=\"POI " + QByteArray::number(key) + " 대장간\" OnHoverIn=\"Parent.LocalText="
                "pathfindlocation\" pathfindlocation=\"" + QByteArray::number(key) + ".50, 12, -"
                + QByteArray::number(key) + ".25\" ScrollExtent=\"" + size + "\" Size=\"" + size
                + "\" Tooltip=\"Tooltip &amp; line " + QByteArray::number(i) + "\r\nsecond line\" "
                "TreatAsButton=\"true\"/>\r\n";
        }
        return page + "</Page>\r\n";
    }

    QTemporaryDir m_dir;
};

BenchFolder& folder()
{
    static BenchFolder instance;
    return instance;
}

// A shown main window; the benchmarks reuse one per run.
struct Window {
    SilentPrompts prompts;
    TForm1 form{folder().configPath(), &prompts};
    Window() { form.show(); }
};

void setPageCounters(benchmark::State& state)
{
    state.SetComplexityN(state.range(0));
    state.counters["POIs"] = static_cast<double>(state.range(0));
}

// Reading an icon page with BuildPoiTree: read, parse, tree, markers, map style lookup.
void BM_LoadIconPage(benchmark::State& state)
{
    Window window;
    const std::string path = folder().pagePath(static_cast<int>(state.range(0))).toStdString();
    for (auto _ : state) {
        const bool loaded = window.form.editor().document().readIconPage(QString::fromStdString(path));
        benchmark::DoNotOptimize(loaded);
    }
    if (window.form.mapPanel()->markerCount() != state.range(0))
        state.SkipWithError("not every POI got a marker");
    setPageCounters(state);
}

// The whole opening as the File menu runs it, then the first paint of the window.
void BM_OpenAndPaint(benchmark::State& state)
{
    Window window;
    const QString path = folder().pagePath(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        window.form.openPage(path);
        const QImage painted = window.form.grab().toImage();
        benchmark::DoNotOptimize(painted.constBits());
    }
    setPageCounters(state);
}

// Opening as the window does it until the tree and the markers are shown: the opening, then
// the events that lay out and paint the shown window.
void BM_OpenAndShow(benchmark::State& state)
{
    Window window;
    const QString path = folder().pagePath(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        window.form.openPage(path);
        window.form.repaint();
        QCoreApplication::processEvents();
    }
    if (window.form.mapPanel()->markerCount() != state.range(0))
        state.SkipWithError("not every POI got a marker");
    setPageCounters(state);
}

// The page check of the same page in this process: what --check does after start-up (the page
// read and checked without a window, the line printed).
void BM_CheckPage(benchmark::State& state)
{
    const QString path = folder().pagePath(static_cast<int>(state.range(0)));
    QString printed;
    for (auto _ : state) {
        printed.clear();
        QTextStream out(&printed);
        if (checkPages(folder().configPath(), {path}, out, false, QString(), CheckWay::Headless) != 0)
            state.SkipWithError("the page did not check");
    }
    setPageCounters(state);
}

// Saving: the page's bytes with the byte order mark, and the atomic file write.
void BM_SavePage(benchmark::State& state)
{
    Window window;
    const QString path = folder().pagePath(static_cast<int>(state.range(0)));
    window.form.openPage(path);
    const std::string target = (path + QStringLiteral(".saved")).toStdString();
    TSimpleXML& document = window.form.editor().xmlscan();
    int64_t bytes = 0;
    for (auto _ : state) {
        const std::string written = IconPageBytes(document, true);
        AtomicFile::write(target, written);
        bytes += static_cast<int64_t>(written.size());
    }
    state.SetBytesProcessed(bytes);
    setPageCounters(state);
}

// Starts the kernel's peak resident size afresh at the current size; false where not allowed.
bool resetPeakMemory()
{
    std::ofstream clearRefs("/proc/self/clear_refs");
    clearRefs << "5";
    clearRefs.flush();
    return static_cast<bool>(clearRefs);
}

// Opening a page with everything it builds, and the memory that costs at its peak, per POI:
// the resident size the open adds at its highest, over what the process held before.
void BM_OpenPeakMemory(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const QString path = folder().pagePath(count);
    double peakBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<Window>();
        malloc_trim(0);  // memory freed earlier would otherwise be reused unseen
        const long before = statusKiB("VmRSS");
        const bool measured = before >= 0 && resetPeakMemory();
        state.ResumeTiming();
        window->form.openPage(path);
        state.PauseTiming();
        const long peak = statusKiB("VmHWM");
        if (!measured || peak < 0)
            state.SkipWithError("peak memory unavailable");
        else
            peakBytes = std::max(peakBytes, (peak - before) * kBytesPerKiB);
        window.reset();
        state.ResumeTiming();
    }
    state.counters["PeakBytesPerPOI"] = peakBytes / count;
    state.counters["PeakMiB"] = peakBytes / (kBytesPerKiB * kBytesPerKiB);
    setPageCounters(state);
}

BENCHMARK(BM_LoadIconPage)->Arg(kSmallPage)->Arg(kLargePage)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_OpenAndPaint)->Arg(kSmallPage)->Arg(kLargePage)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
// Both on the largest page, repeated: their ratio is one of the report's.
BENCHMARK(BM_OpenAndShow)->Arg(kHugePage)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_CheckPage)->Arg(kHugePage)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_SavePage)->Arg(kSmallPage)->Arg(kLargePage)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_OpenPeakMemory)->Arg(kLargePage)->Arg(kHugePage)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
