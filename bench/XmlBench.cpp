// Parses and writes a generated icon page of 5,000 POIs with our XML layer, with and without
// the icon page value hooks, and parses the same bytes with two widely used XML parsers;
// prints our parse time as a ratio to each.
#include "document/IconPageFile.h"
#include "support/xml/SimpleXml.h"
#include "support/xml/SimpleXmlParser.h"
#include "support/IconPageXml.h"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <pugixml.hpp>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <limits>
#include <map>
#include <vector>
#include <string>

namespace {

constexpr int kPoiCount = 5000;
// The page whose parsed document is weighed, as large as the biggest pages the editor opens.
constexpr int kMemoryPoiCount = 50000;
// The machine is shared: ratios compare medians of several repetitions.
constexpr int kRepetitions = 7;
constexpr int kPageSize = 436;
const char* const kStyles[] = {"CLST", "LOC", "MOB", "NAME", "NPC", "QST", "ZONE"};
constexpr int kStyleCount = sizeof kStyles / sizeof kStyles[0];

// Tooltips long enough that a POI takes about 500 bytes, as in the game's pages.
const char kKoreanTooltip[] = "\xEB\xA7\x88\xEC\x9D\x84\xEC\x9D\x98 \xEC\xB4\x8C\xEC\x9E\xA5 &amp; "
                              "\xED\x80\x98\xEC\x8A\xA4\xED\x8A\xB8 \xEB\xA7\x88\xEC\x9D\x84\xEC\x9D\x98 "
                              "\xEC\xB4\x8C\xEC\x9E\xA5\xEC\x9E\x85\xEB\x8B\x88\xEB\x8B\xA4. "
                              "Talk to the elder before sunset; he hands out the village quests &amp; rewards.&#10;"
                              "Second line of the tooltip with more text for the hover box.";
const char kEnglishTooltip[] = "Level 8-10 &lt;elite&gt; &amp; friends. Packs roam the clearing at night and "
                               "call for help when one of them is hurt; bring a healer.&#10;"
                               "Second line of the tooltip with more text for the hover box.";

// An icon page shaped like the game's: one Icon element per POI, ten properties each, some
// values in Korean and some holding escaped characters.
std::string GenerateIconPage(int poiCount = kPoiCount)
{
    std::string page = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                       "<Page Name=\"bench\" 1location=\"\xEB\xB2\xA4\xEC\xB9\x98 Bench\" Size=\"436,506\">\r\n";
    char line[1024];
    for (int i = 0; i < poiCount; ++i) {
        const bool korean = i % 3 == 0;
        std::snprintf(line, sizeof line,
                      "  <Icon IconStyle=\"%s\" IconType=\"map\" Location=\"%d,%d\" Name=\"%s %d\" "
                      "OnHoverIn=\"Parent.Parent.Parent.Parent.WC_Titlebar.QM_LocEntry.QM_LocText.LocalText="
                      "pathfindlocation\" pathfindlocation=\"%d.%02d, %d, %d.%02d\" ScrollExtent=\"12,12\" "
                      "Size=\"12,12\" Tooltip=\"%s\" TreatAsButton=\"true\"/>\r\n",
                      kStyles[i % kStyleCount], (i * 7) % kPageSize, (i * 13) % kPageSize,
                      korean ? "\xEC\xB4\x8C\xEC\x9E\xA5" : "Ranger Camp", i, i * 3, i % 100, i % 50, -i * 2, i % 100,
                      korean ? kKoreanTooltip : kEnglishTooltip);
        page += line;
    }
    page += "</Page>\r\n";
    return page;
}

const std::string& IconPage()
{
    static const std::string page = GenerateIconPage();
    return page;
}

// The peers refuse a property name that starts with a digit: the same bytes with that one
// name replaced by a legal one of the same length.
std::string ForPeers(std::string page)
{
    const std::string from = " 1location=";
    for (std::size_t at = page.find(from); at != std::string::npos; at = page.find(from, at))
        page.replace(at, from.size(), " _location=");
    return page;
}

const std::string& PeerIconPage()
{
    static const std::string page = ForPeers(IconPage());
    return page;
}

void InstallIconPageHooks(TSimpleXML& doc)
{
    ConfigureIconPageDocument(doc);  // as the editor configures a page
}

// One thread is parser against parser; the editor reads a page this big with two.
void ParseOurs(benchmark::State& state, bool hooks, bool oneThread = true)
{
    const std::string& page = IconPage();
    const std::size_t editorLimit = TSimpleXMLParser::SetSplitReadBytes(std::numeric_limits<std::size_t>::max());
    if (!oneThread)
        TSimpleXMLParser::SetSplitReadBytes(editorLimit);
    for (auto _ : state) {
        TSimpleXML doc;
        if (hooks)
            InstallIconPageHooks(doc);
        // As the editor reads a page: bytes of its own (here a copy, as pugixml's load_buffer
        // makes one), which the document takes over.
        doc.LoadFromBuffer(page);
        if (doc.Root().ItemCount() != kPoiCount)
            state.SkipWithError("wrong POI count");
        benchmark::DoNotOptimize(doc.Root().ItemCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
    TSimpleXMLParser::SetSplitReadBytes(editorLimit);
}

void WriteOurs(benchmark::State& state, bool hooks)
{
    TSimpleXML doc;
    if (hooks)
        InstallIconPageHooks(doc);
    doc.Options().Exclude(sxoAutoIndent);
    doc.LoadFromBuffer(IconPage());  // as the editor reads a page
    // The editor saves a page through SaveToString (then writes the file atomically).
    for (auto _ : state) {
        const std::string bytes = doc.SaveToString();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * IconPage().size()));
}

void BM_ParseNoHooks(benchmark::State& state) { ParseOurs(state, false); }
void BM_ParseWithHooks(benchmark::State& state) { ParseOurs(state, true); }
void BM_ParseWithHooksAsEditor(benchmark::State& state) { ParseOurs(state, true, false); }
void BM_WriteNoHooks(benchmark::State& state) { WriteOurs(state, false); }
void BM_WriteWithHooks(benchmark::State& state) { WriteOurs(state, true); }

void PugixmlParse(benchmark::State& state, const std::string& page)
{
    for (auto _ : state) {
        pugi::xml_document doc;
        const pugi::xml_parse_result result = doc.load_buffer(page.data(), page.size());
        if (!result)
            state.SkipWithError(result.description());
        benchmark::DoNotOptimize(doc.first_child());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

void BM_PugixmlParse(benchmark::State& state) { PugixmlParse(state, PeerIconPage()); }

// The page that run-benchmarks.sh checks with the editor (VYNMAP_CHECK_PAGE names it), parsed by
// pugixml: the yardstick of the whole --check.
void RegisterCheckPageParse()
{
    const char* path = std::getenv("VYNMAP_CHECK_PAGE");
    if (path == nullptr || *path == '\0')
        return;
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    static const std::string page = ForPeers(bytes.str());
    benchmark::RegisterBenchmark("BM_PugixmlParseCheckPage",
                                 [](benchmark::State& state) { PugixmlParse(state, page); })
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(kRepetitions)
        ->DisplayAggregatesOnly(true);
}

void BM_Libxml2Parse(benchmark::State& state)
{
    const std::string& page = PeerIconPage();
    for (auto _ : state) {
        xmlDocPtr doc = xmlReadMemory(page.data(), static_cast<int>(page.size()), "bench.xml", nullptr, XML_PARSE_NONET);
        if (doc == nullptr)
            state.SkipWithError("libxml2 reported an error");
        xmlFreeDoc(doc);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

// Heap bytes in use by this process, large blocks included.
std::size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Heap bytes per POI that a parsed page with the editor's hooks holds, beside its bytes per POI
// in the file.
void PrintDocumentMemory()
{
    const std::string page = GenerateIconPage(kMemoryPoiCount);
    const std::size_t before = HeapInUse();
    {
        TSimpleXML doc;
        InstallIconPageHooks(doc);
        doc.LoadFromBuffer(page);
        const std::size_t after = HeapInUse();
        std::printf("document of %d POIs: %.0f heap bytes per POI, %.0f file bytes per POI\n", kMemoryPoiCount,
                    static_cast<double>(after - before) / kMemoryPoiCount,
                    static_cast<double>(page.size()) / kMemoryPoiCount);
    }
}

// Every benchmark repeated, reporting the mean, median and spread of the repetitions.
#define XML_BENCHMARK(function) \
    BENCHMARK(function)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions)->DisplayAggregatesOnly(true)
XML_BENCHMARK(BM_ParseNoHooks);
XML_BENCHMARK(BM_ParseWithHooks);
XML_BENCHMARK(BM_ParseWithHooksAsEditor);
XML_BENCHMARK(BM_WriteNoHooks);
XML_BENCHMARK(BM_WriteWithHooks);
XML_BENCHMARK(BM_PugixmlParse);
XML_BENCHMARK(BM_Libxml2Parse);

// Console output as usual, keeping each benchmark's median time for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.error_occurred)
                FFailed = true;
            else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                FTimes[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Returns false when a time is missing (a peer failed or the benchmark was filtered out).
    bool PrintRatios() const
    {
        const char* ours[] = {"BM_ParseNoHooks", "BM_ParseWithHooks"};
        const char* peers[] = {"BM_PugixmlParse", "BM_Libxml2Parse"};
        bool complete = !FFailed;
        for (const char* peer : peers) {
            for (const char* mine : ours) {
                const auto a = FTimes.find(mine);
                const auto b = FTimes.find(peer);
                if (a == FTimes.end() || b == FTimes.end()) {
                    complete = false;
                    continue;
                }
                std::printf("median %-18s / %-16s = %.2f\n", mine, peer, a->second / b->second);
            }
        }
        return complete;
    }

private:
    std::map<std::string, double> FTimes;
    bool FFailed = false;
};

} // namespace

int main(int argc, char** argv)
{
    // Repetitions of the benchmarks take turns, so that a busy spell on the shared machine
    // slows all of them alike and the ratios hold.
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    RegisterCheckPageParse();
    std::printf("icon page: %d POIs, %zu bytes\n", kPoiCount, IconPage().size());
    PrintDocumentMemory();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const bool complete = reporter.PrintRatios();
    benchmark::Shutdown();
    xmlCleanupParser();
    return complete ? 0 : 1;
}
