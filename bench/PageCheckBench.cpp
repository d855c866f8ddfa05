// The headless check of a folder of 500 icon pages of 20 to 200 POIs, plain and with --strict:
// every map has its zone rectangle and its 512 x 512 DXT1 image, the POIs' world locations agree
// with their Location to within half a pixel, and one POI in fifty lies 30 to 60 pixels off.
// Set VYNMAP_BENCH_KEEP=DIR to keep the generated UI folder (DIR/vynmap/, DIR/editor.INI).

#include "../tests/helpers/DdsTestFile.h"
#include "WidgetBenchmarkMain.h"
#include "app/CommandLine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr int kPages = 500;
constexpr int kFewest = 20;
constexpr int kMost = 200;
constexpr int kWidth = 436;
constexpr int kHeight = 506;
constexpr int kZoneWidth = 2220;   // world units across the page
constexpr int kZoneHeight = 2580;  // world units down the page
constexpr int kMapSide = 512;
constexpr int kDxt1BlockBytes = 8;
constexpr int kMisplacedOneIn = 50;
constexpr double kNoise = 0.5;
constexpr unsigned kSeed = 20261208;
const char* const kTypes[] = {"CLST", "LOC", "MOB", "NAME", "NPC", "QST", "ZONE"};

struct Zone {
    int x1, y1;
};

QByteArray world(double value)
{
    return QByteArray::number(value, 'f', 2);
}

// One page: POIs at random pixels whose world locations agree through the map's rectangle.
QByteArray pageBytes(int number, Zone zone, std::mt19937& random)
{
    std::uniform_int_distribution<int> count(kFewest, kMost);
    std::uniform_int_distribution<int> x(0, kWidth);
    std::uniform_int_distribution<int> y(0, kHeight);
    std::uniform_real_distribution<double> noise(-kNoise, kNoise);
    std::uniform_int_distribution<int> misplaced(0, kMisplacedOneIn - 1);
    std::uniform_int_distribution<int> offset(30, 60);
    QByteArray bytes = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Page Name=\"map_"
        + QByteArray::number(number) + "\" 1location=\"Zone " + QByteArray::number(number) + "\" Size=\"436,506\">\r\n";
    const int pois = count(random);
    for (int i = 0; i < pois; ++i) {
        const int px = x(random);
        const int py = y(random);
        double wx = -(zone.x1 + (px + noise(random)) * kZoneWidth / kWidth);
        const double wz = zone.y1 + (py + noise(random)) * kZoneHeight / kHeight;
        if (misplaced(random) == 0)
            wx -= offset(random) * double(kZoneWidth) / kWidth;
        const QByteArray type = kTypes[i % 7];
        bytes += "<Icon IconStyle=\"" + type + "\" IconType=\"Image\" Location=\"" + QByteArray::number(px) + ","
            + QByteArray::number(py) + "\" Name=\"Point " + QByteArray::number(i) + "\" pathfindlocation=\"" + world(wx)
            + ", 12, " + world(wz) + "\" Size=\"12,12\" Tooltip=\"Merchant\"/>\r\n";
    }
    return bytes + "</Page>\r\n";
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

struct CheckFolder {
    QTemporaryDir temporary;
    QString root;
    QString config;
    QStringList pages;

    CheckFolder()
    {
        const QByteArray keep = qgetenv("VYNMAP_BENCH_KEEP");
        root = keep.isEmpty() ? temporary.path() : QString::fromLocal8Bit(keep);
        QDir().mkpath(root + "/vynmap");
        QDir().mkpath(root + "/images/maps");
        ddstest::Header dxt1;
        dxt1.width = dxt1.height = kMapSide;
        const std::vector<uint8_t> map = ddstest::ddsFile(
            dxt1, std::vector<uint8_t>(size_t(kMapSide / 4) * (kMapSide / 4) * kDxt1BlockBytes, 0x5A));
        writeFile(root + "/images/maps/map.dds", QByteArray(reinterpret_cast<const char*>(map.data()), qsizetype(map.size())));
        std::mt19937 random(kSeed);
        QByteArray styles = "<MapStyles>\r\n";
        for (int i = 0; i < kPages; ++i) {
            const Zone zone{-kZoneWidth / 2 + i, -kZoneHeight / 2 - i};
            styles += "<ImageStyle Name=\"map_" + QByteArray::number(i) + "\" zonerect=\"" + QByteArray::number(zone.x1)
                + "," + QByteArray::number(zone.y1) + "," + QByteArray::number(zone.x1 + kZoneWidth) + ","
                + QByteArray::number(zone.y1 + kZoneHeight) + "\"><Image Source=\"images\\maps\\map.dds\"/></ImageStyle>\r\n";
            pages << root + QStringLiteral("/vynmap/icons_map_%1.xml").arg(i);
            writeFile(pages.last(), pageBytes(i, zone, random));
        }
        writeFile(root + "/vynmap/core_mapstyles.xml", styles + "</MapStyles>\r\n");
        config = root + "/editor.INI";
        writeFile(config, "[CONFIG]\r\nPATH=" + root.toUtf8() + "/\r\n");
    }
};

CheckFolder& folder()
{
    static CheckFolder made;
    return made;
}

void checkFolder(benchmark::State& state, bool strict)
{
    for (auto _ : state) {
        QString report;
        QTextStream out(&report);
        checkPages(folder().config, folder().pages, out, strict, QString(), CheckWay::Headless);
        benchmark::DoNotOptimize(report);
    }
}

void BM_CheckFolder(benchmark::State& state)
{
    checkFolder(state, false);
}

void BM_CheckFolderStrict(benchmark::State& state)
{
    checkFolder(state, true);
}

BENCHMARK(BM_CheckFolder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckFolderStrict)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
