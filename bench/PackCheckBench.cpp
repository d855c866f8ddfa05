// A map pack of the real size: 25 POI files of 4 zone pages each, 42,000 world-only POIs of 16
// types used from 11 to 11,000 times, two types mistyped, about 156 POIs repeating another and 7
// mistyped locations. Opening every page (--check) against the whole pack's check with its rules
// (--check --strict): the pack's check should take at most twice as long.
// Set VYNMAP_BENCH_KEEP=DIR to keep the generated pack.

#include "WidgetBenchmarkMain.h"
#include "app/CommandLine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr int kFiles = 25;
constexpr int kPagesPerFile = 4;
constexpr int kPoisPerPage = 420;  // 42,000 in all
constexpr int kZoneSide = 2000;    // world units across a page
constexpr int kRepeatOneIn = 270;
constexpr unsigned kSeed = 20261210;
// The pack's types with their weights: how often each is drawn.
const std::pair<const char*, int> kTypes[] = {
    {"MOBSOLO", 11000}, {"NPC", 8000},  {"LOCATION", 6000}, {"QUESTSTART", 4000}, {"QUESTUPDATE", 3000},
    {"MOBNAMED", 2500}, {"SHOP", 2000}, {"QUESTSHINY", 1500}, {"TRANSPORT", 1200}, {"BOOK", 900},
    {"BELL", 600},      {"HOUSE", 400}, {"ZONE", 300},      {"MOBHEROIC", 200},   {"CRAFT", 100},
    {"RESOURCE", 11}};
const char* const kMistyped[] = {"-1195.00,.59.79,.165.57", "36.24-,39.94,-150.40", "106.90,25.03,-494,73",
                                 "-223-61,-14.41,-270.04",  "-2,038.16-322.84,-1848.97", "-150.68,-56-62,182.52",
                                 "20.68,-46.-2,46.19"};

QByteArray fixed2(double value)
{
    return QByteArray::number(value, 'f', 2);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

struct Pack {
    QTemporaryDir temporary;
    QString root;
    QString config;

    Pack()
    {
        const QByteArray keep = qgetenv("VYNMAP_BENCH_KEEP");
        root = keep.isEmpty() ? temporary.path() : QString::fromLocal8Bit(keep);
        QDir().mkpath(root + "/vynmap");
        QDir().mkpath(root + "/POI");
        std::mt19937 random(kSeed);
        std::vector<int> weights;
        for (const auto& type : kTypes)
            weights.push_back(type.second);
        std::discrete_distribution<int> typeOf(weights.begin(), weights.end());
        std::uniform_real_distribution<double> across(0, kZoneSide);
        std::uniform_int_distribution<int> repeat(0, kRepeatOneIn - 1);
        QByteArray styles = "<MapStyles>\r\n";
        int id = 10000;
        int mistyped = 0;
        for (int f = 0; f < kFiles; ++f) {
            QByteArray file = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Page Name=\"POI\">\r\n";
            for (int p = 0; p < kPagesPerFile; ++p) {
                const QByteArray name = "region_" + QByteArray::number(f) + "_" + QByteArray::number(p);
                const int x1 = (f * kPagesPerFile + p) * kZoneSide;
                styles += "<ImageStyle Name=\"" + name + "\" zonerect=\"" + QByteArray::number(x1) + ",0,"
                    + QByteArray::number(x1 + kZoneSide) + "," + QByteArray::number(kZoneSide) + "\"/>\r\n";
                file += "<Page Name=\"" + name + "\">\r\n";
                QByteArray last;
                for (int i = 0; i < kPoisPerPage; ++i, ++id) {
                    const char* type = kTypes[typeOf(random)].first;
                    QByteArray world = fixed2(-(x1 + across(random))) + ",12.00," + fixed2(across(random));
                    QByteArray tooltip = "Place " + QByteArray::number(id);
                    if (!last.isEmpty() && repeat(random) == 0)
                        world = last;  // typed twice
                    if (i == kPoisPerPage / 2 && mistyped < int(std::size(kMistyped)) && (f + p) % 4 == 0)
                        world = kMistyped[mistyped++];
                    if (id % 20011 == 0)
                        type = "QUESTUPDAT";
                    last = world;
                    file += "<Icon Name=\"ID" + QByteArray::number(id) + "\" PathFindLocation=\"" + world
                        + "\" PoiDescription=\"ID:" + QByteArray::number(id) + "&#xA;" + world + "\" PoiType=\"" + type
                        + "\" Tooltip=\"" + tooltip + " &#xA;\"/>\r\n";
                }
                file += "</Page>\r\n";
            }
            writeFile(root + QStringLiteral("/POI/region_%1.xml").arg(f), file + "</Page>\r\n");
        }
        writeFile(root + "/vynmap/core_mapstyles.xml", styles + "</MapStyles>\r\n");
        config = root + "/editor.INI";
        writeFile(config, "[CONFIG]\r\nPATH=" + root.toUtf8() + "/\r\n");
    }
};

Pack& pack()
{
    static Pack made;
    return made;
}

void checkPack(benchmark::State& state, bool strict)
{
    for (auto _ : state) {
        QString report;
        QTextStream out(&report);
        checkPages(pack().config, {pack().root}, out, strict, QString(), CheckWay::Headless);
        benchmark::DoNotOptimize(report);
    }
}

// Every page of the pack opened by the editor's own opening code.
void BM_PackOpen(benchmark::State& state)
{
    checkPack(state, false);
}

// The same with the page check and the pack's rules on every page.
void BM_PackCheck(benchmark::State& state)
{
    checkPack(state, true);
}

BENCHMARK(BM_PackOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackCheck)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
