// A whole map pack of the real size (PackMaker.h): opening its folder until the index is filled,
// against a pugixml parse of the same bytes; the index's memory against the bytes; find as you
// type over all its POIs, in the index and in the Pack panel; and --check of the folder.
// Set VYNMAP_PACK_KEEP=DIR to keep the pack.
#include "PackMaker.h"
#include "WidgetBenchmarkMain.h"
#include "app/CommandLine.h"
#include "app/PackPanel.h"
#include "document/PackIndex.h"

#include <QEventLoop>
#include <QLineEdit>
#include <QTreeWidget>
#include <QTemporaryDir>
#include <QTextStream>

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <malloc.h>

namespace {

packbench::Pack& pack()
{
    static QTemporaryDir temporary;
    static packbench::Pack made = [] {
        const QByteArray keep = qgetenv("VYNMAP_PACK_KEEP");
        return packbench::MakePack(keep.isEmpty() ? temporary.path() : QString::fromLocal8Bit(keep));
    }();
    return made;
}

// Opens the pack until the panel's counts are all in (filled), or also every page's problems and
// POIs (checked).
void fill(PackIndex& index, bool checked = true)
{
    QEventLoop loop;
    QObject::connect(&index, checked ? &PackIndex::checked : &PackIndex::filled, &loop, &QEventLoop::quit);
    index.open(pack().root, PackIndexSettings{});
    if (checked ? !index.isChecked() : !index.isFilled())
        loop.exec();
}

void BM_PackPugixmlParse(benchmark::State& state)
{
    for (auto _ : state) {
        for (const std::string& bytes : pack().contents) {
            pugi::xml_document doc;
            if (!doc.load_buffer(bytes.data(), bytes.size()))
                state.SkipWithError("pugixml refused the pack");
            benchmark::DoNotOptimize(doc.first_child());
        }
    }
    state.SetBytesProcessed(state.iterations() * pack().bytes);
}

void BM_PackIndexOpen(benchmark::State& state)
{
    for (auto _ : state) {
        auto index = std::make_unique<PackIndex>();
        fill(*index, false);
        benchmark::DoNotOptimize(index->files().size());
        state.PauseTiming();
        index.reset();  // stops the check that goes on
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * pack().bytes);
}

// What the index holds, counted and as the allocator saw it grow, against the pack's bytes.
void BM_PackIndexChecked(benchmark::State& state)
{
    for (auto _ : state) {
        PackIndex index;
        fill(index);
        benchmark::DoNotOptimize(index.files().size());
    }
}

void BM_PackIndexMemory(benchmark::State& state)
{
    for (auto _ : state) {
        malloc_trim(0);
        const std::size_t before = mallinfo2().uordblks;
        auto index = std::make_unique<PackIndex>();
        fill(*index);
        malloc_trim(0);
        const std::size_t after = mallinfo2().uordblks;
        int pois = 0;
        for (const PackIndexFile& file : index->files())
            pois += static_cast<int>(file.pois.size());
        state.counters["FileBytes"] = static_cast<double>(index->fileBytes());
        state.counters["IndexBytes"] = static_cast<double>(index->memoryBytes());
        state.counters["HeapBytes"] = static_cast<double>(after - before);
        state.counters["Pois"] = pois;
    }
}

// Each keystroke of a word typed into the find field: the whole index searched for the text so far.
void BM_PackFindKeystroke(benchmark::State& state)
{
    static PackIndex index;
    if (index.files().empty())
        fill(index);
    const QString word = QStringLiteral("lighthouse");
    std::size_t hits = 0;
    int keystroke = 0;
    for (auto _ : state) {
        PackFindQuery query;
        query.text = word.left(1 + keystroke++ % word.size());
        hits += index.find(query, 1000).size();
    }
    benchmark::DoNotOptimize(hits);
}

// The same keystrokes in the Pack panel's find field: the index searched and the result list
// filled (at most its first PackPanel::kShownResults lines).
void BM_PackPanelKeystroke(benchmark::State& state)
{
    static PackIndex index;
    if (index.files().empty())
        fill(index);
    static PackPanel panel(Language::English, index);
    const QString word = QStringLiteral("lighthouse");
    int keystroke = 0;
    for (auto _ : state)
        panel.findField()->setText(word.left(1 + keystroke++ % word.size()));
    benchmark::DoNotOptimize(panel.resultList()->topLevelItemCount());
}

void BM_PackCheckFolder(benchmark::State& state)
{
    for (auto _ : state) {
        QString report;
        QTextStream out(&report);
        checkPages(pack().config, {pack().root}, out, false, QString(), CheckWay::Headless);
        benchmark::DoNotOptimize(report);
    }
}

BENCHMARK(BM_PackPugixmlParse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackIndexOpen)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PackIndexChecked)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PackIndexMemory)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PackFindKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackPanelKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackCheckFolder)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
